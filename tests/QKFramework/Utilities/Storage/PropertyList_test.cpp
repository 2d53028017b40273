#include "QKFramework/Utilities/Storage/PropertyList.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace QK
{
namespace
{

const std::string kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
                            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                            "<plist version=\"1.0\">\n";
const std::string kFooter = "</plist>\n";

std::string Written(const XNode* node, std::uint32_t options = XNode::kWriteDocument)
{
    XNode::OutputFile output;
    EXPECT_EQ(XNode::Write(node, output, options), 0);
    return output.text;
}

XNode* Child(XNode* parent, const char* key, std::uint32_t type)
{
    XNode* node = XNode::Create(parent, type);
    XNode::SetKey(node, key);
    return node;
}

XNodeTree ParseText(const std::string& text, XNode* errorNode = nullptr)
{
    return XNodeTree(XNode::Parse(text.data(), text.size(), "test", errorNode));
}

// A dict nested depth levels deep under the root dict, holding one integer.
std::string NestedDicts(int depth)
{
    std::string text = kHeader + "<dict>";
    for (int i = 0; i < depth; ++i)
        text += "<key>k</key><dict>";
    text += "<key>leaf</key><integer>1</integer>";
    for (int i = 0; i < depth; ++i)
        text += "</dict>";
    return text + "</dict>\n" + kFooter;
}

TEST(PropertyListWriterTest, WritesTheDocumentLayout)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    XNode::SetString(Child(root.Get(), "Name", XNode::kTypeString), "a<b");
    EXPECT_EQ(Written(root.Get()), kHeader +
                                       "<dict>\n"
                                       "\t<key>Name</key><string>a&lt;b</string>\n"
                                       "</dict>\n" +
                                       kFooter);
}

TEST(PropertyListWriterTest, WritesEachValueKind)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    XNode* node = root.Get();
    Child(node, "Empty", XNode::kTypeDict);
    XNode::SetValueFromText(Child(node, "Yes", XNode::kTypeBool), "TRUE");
    Child(node, "No", XNode::kTypeBool);
    XNode::SetInteger(Child(node, "Count", XNode::kTypeNone), 12);
    XNode::SetInteger(Child(node, "Negative", XNode::kTypeNone), -2147483647 - 1);
    XNode::SetValueFromText(Child(node, "Ratio", XNode::kTypeReal), "1.5");
    XNode::SetValueFromText(Child(node, "Huge", XNode::kTypeReal), "3.4e38");
    XNode::SetValueFromText(Child(node, "Blob", XNode::kTypeData), "QU&Jw==");
    XNode* list = Child(node, "List", XNode::kTypeArray);
    XNode::SetString(XNode::Create(list, XNode::kTypeString), "Tom's \"quote\" & <tag>");
    Child(list, "ignored in arrays", XNode::kTypeArray);
    XNode* flagged = Child(node, "Flagged", XNode::kTypeString);
    XNode::SetFlag(flagged, XNode::kFlagVisible, true);
    XNode::SetFlag(flagged, XNode::kFlagLocked, true);
    Child(node, "Untyped", XNode::kTypeNone);

    EXPECT_EQ(Written(node),
              kHeader +
                  "<dict>\n"
                  "\t<key>Empty</key><dict/>\n"
                  "\t<key>Yes</key><true/>\n"
                  "\t<key>No</key><false/>\n"
                  "\t<key>Count</key><integer>12</integer>\n"
                  "\t<key>Negative</key><integer>-2147483648</integer>\n"
                  "\t<key>Ratio</key><real>1.500000</real>\n"
                  "\t<key>Huge</key><real>339999995214436424907732413799364296704.000000</real>\n"
                  "\t<key>Blob</key><data>QU&amp;Jw==</data>\n"
                  "\t<key>List</key><array>\n"
                  "\t\t<string>Tom&apos;s &quot;quote&quot; &amp; &lt;tag&gt;</string>\n"
                  "\t\t<array/>\n"
                  "\t</array>\n"
                  "\t<key>Flagged</key><string visible=\"true\" locked=\"true\"></string>\n"
                  "\t"
                  "</dict>\n" +
                  kFooter);
}

TEST(PropertyListWriterTest, VolatileNodesAreLeftOutUnlessAsked)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    XNode* kept = Child(root.Get(), "Kept", XNode::kTypeInteger);
    XNode* passing = XNode::Create(nullptr, XNode::kTypeInteger);
    XNode::SetKey(passing, "Passing");
    XNode::SetFlag(passing, XNode::kFlagVolatile, true);
    XNode::SetDirty(root.Get(), false);
    XNode::AddChild(root.Get(), passing);
    XNode::SetInteger(passing, 5);
    EXPECT_FALSE(root.Get()->HasFlag(XNode::kFlagDirty)) << "a volatile change leaves its container clean";
    EXPECT_EQ(XNode::CountChildren(root.Get(), false), 1u);
    EXPECT_EQ(XNode::CountChildren(root.Get(), true), 2u);

    EXPECT_EQ(Written(root.Get(), 0), "<dict>\n\t<key>Kept</key><integer>0</integer>\n</dict>\n");
    EXPECT_EQ(Written(root.Get(), XNode::kWriteVolatile | XNode::kWriteStateAttributes),
              "<dict>\n"
              "\t<key>Kept</key><integer>0</integer>\n"
              "\t<key>Passing</key><integer volatile=\"true\">5</integer>\n"
              "</dict>\n");
    XNode::SetInteger(kept, 1);
    EXPECT_EQ(Written(root.Get(), XNode::kWriteStateAttributes),
              "<dict dirty=\"true\">\n\t<key>Kept</key><integer dirty=\"true\">1</integer>\n</dict>\n");

    XNode::SetFlag(kept, XNode::kFlagVolatile, true);
    EXPECT_EQ(Written(root.Get(), 0), "<dict/>\n") << "only volatile children count as none";
}

TEST(PropertyListWriterTest, ARootKeyIsWrittenOnlyOutsideADocument)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeInteger));
    XNode::SetKey(root.Get(), "Alone");
    EXPECT_EQ(Written(root.Get(), 0), "<key>Alone</key><integer>0</integer>\n");
    EXPECT_EQ(Written(root.Get()), kHeader + "<integer>0</integer>\n" + kFooter);
}

TEST(PropertyListWriterTest, ControlCharactersStillReadBack)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    XNode::SetString(Child(root.Get(), "Text", XNode::kTypeString), "a\r\nb\tc\x01"
                                                                    "d\x1B");
    const std::string text = Written(root.Get());
    XNodeTree read = ParseText(text);
    ASSERT_TRUE(read);
    EXPECT_EQ(XNode::FindChild(read.Get(), "Text")->GetText(), "a\r\nb\tc\xEF\xBF\xBD"
                                                               "d\xEF\xBF\xBD");
}

TEST(PropertyListWriterTest, ATreeTooDeepToReadBackIsRefused)
{
    XNodeTree fits = ParseText(NestedDicts(XNode::kMaxLevels - 2));
    ASSERT_TRUE(fits) << "the deepest tree the reader takes";
    const std::string text = Written(fits.Get());
    XNodeTree again = ParseText(text);
    ASSERT_TRUE(again);
    EXPECT_EQ(Written(again.Get()), text);

    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    std::string path = "k";
    for (int i = 1; i < XNode::kMaxLevels - 1; ++i)
        path += ".k";
    ASSERT_NE(XNode::GetNode(root.Get(), (path + ".leaf").c_str(), XNode::kPathCreate), nullptr);
    XNode* deepest = XNode::GetNode(root.Get(), path.c_str(), 0);
    XNode::SetType(deepest, XNode::kTypeDict);
    XNode::OutputFile output;
    EXPECT_EQ(XNode::Write(root.Get(), output, XNode::kWriteDocument), XNode::kWriteErrorTooDeep);
}

TEST(PropertyListPathTest, CreatesNamesAndIndices)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeNone));
    XNode* third = XNode::GetNode(root.Get(), "Window.Size[2]", XNode::kPathCreate);
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(root.Get()->GetType(), XNode::kTypeDict);
    XNode* window = XNode::FindChild(root.Get(), "Window");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetType(), XNode::kTypeDict);
    XNode* size = XNode::FindChild(window, "size");
    ASSERT_NE(size, nullptr);
    EXPECT_EQ(size->GetType(), XNode::kTypeArray);
    ASSERT_EQ(size->GetSlotCount(), 3u);
    for (std::uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(size->GetSlot(i)->GetType(), XNode::kTypeDict);
    EXPECT_EQ(size->GetSlot(2), third);

    EXPECT_EQ(XNode::GetNode(root.Get(), "WINDOW.size[2]", 0), third) << "names ignore ASCII case";
    EXPECT_EQ(XNode::GetNode(root.Get(), "Window.Size[3]", 0), nullptr);
    EXPECT_EQ(XNode::GetNode(root.Get(), "Window.Other", 0), nullptr);
    EXPECT_EQ(XNode::GetNode(root.Get(), "", 0), root.Get());
    EXPECT_EQ(XNode::GetNode(root.Get(), nullptr, 0), root.Get());
}

TEST(PropertyListPathTest, MalformedPathsFindNothing)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    ASSERT_NE(XNode::GetNode(root.Get(), "List[0]", XNode::kPathCreate), nullptr);
    for (const char* path :
         {"List[", "List[x]", "List[]", "List[1", "List[-1]", "List[99999999999]", "[", "]x["})
    {
        EXPECT_EQ(XNode::GetNode(root.Get(), path, 0), nullptr) << path;
        EXPECT_EQ(XNode::GetNode(root.Get(), path, XNode::kPathCreate), nullptr) << path;
    }
}

TEST(PropertyListPathTest, VolatileCreationAndRemoval)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    XNode::SetDirty(root.Get(), false);
    XNode* leaf = XNode::GetNode(root.Get(), "Session.Last", XNode::kPathCreateVolatile);
    ASSERT_NE(leaf, nullptr);
    EXPECT_TRUE(leaf->HasFlag(XNode::kFlagVolatile));
    XNode* session = XNode::FindChild(root.Get(), "Session");
    EXPECT_FALSE(session->HasFlag(XNode::kFlagVolatile)) << "only the leaf is volatile";

    EXPECT_EQ(XNode::GetNode(root.Get(), "Session.Last", XNode::kPathRemove), nullptr);
    EXPECT_EQ(XNode::FindChild(session, "Last"), nullptr);
    EXPECT_EQ(XNode::GetNode(root.Get(), "Session", XNode::kPathRemove), nullptr);
    EXPECT_EQ(XNode::CountChildren(root.Get(), true), 0u);
}

TEST(PropertyListNodeTest, KeysHashAndMatchWithoutCase)
{
    EXPECT_EQ(XNode::KeyHash("Name", 4), XNode::KeyHash("nAME", 4));
    EXPECT_NE(XNode::KeyHash("Name", 4), XNode::KeyHash("Mane", 4));
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    XNode* upper = Child(root.Get(), "NAME", XNode::kTypeString);
    EXPECT_EQ(XNode::FindChild(root.Get(), "name"), upper);
    EXPECT_EQ(XNode::FindChild(root.Get(), "nam"), nullptr);
    XNode::SetKey(upper, "");
    EXPECT_FALSE(upper->HasKey());
    EXPECT_EQ(upper->GetKeyHash(), 0u);
}

TEST(PropertyListNodeTest, IntegersReadInAnyBaseAndStayIn32Bits)
{
    const struct
    {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"42", 42},
        {"0x10", 16},
        {"010", 8},
        {"-7", -7},
        {"  12abc", 12},
        {"junk", 0},
        {"2147483648", INT32_MAX},
        {"-9999999999", INT32_MIN},
        {"0xFFFFFFFF", INT32_MAX},
    };
    XNodeTree node(XNode::Create(nullptr, XNode::kTypeInteger));
    for (const auto& c : cases)
    {
        XNode::SetValueFromText(node.Get(), c.text);
        EXPECT_EQ(node.Get()->GetInteger(), c.value) << c.text;
    }
}

TEST(PropertyListNodeTest, ContainersCountTheirHolders)
{
    XNodeTree first(XNode::Create(nullptr, XNode::kTypeArray));
    XNodeTree second(XNode::Create(nullptr, XNode::kTypeArray));
    XNode* shared = XNode::Create(first.Get(), XNode::kTypeString);
    ASSERT_TRUE(XNode::SetArrayItem(second.Get(), 3, shared));
    EXPECT_EQ(second.Get()->GetSlotCount(), 4u);
    EXPECT_EQ(shared->GetReferenceCount(), 2u);
    EXPECT_EQ(shared->GetParentCount(), 2u);

    XNode::RemoveChild(first.Get(), shared);
    EXPECT_EQ(shared->GetReferenceCount(), 1u) << "still held by the second array";
    EXPECT_TRUE(XNode::SetArrayItem(second.Get(), 3, XNode::Create(nullptr, XNode::kTypeBool)));
    EXPECT_TRUE(XNode::SetArrayCount(second.Get(), 1));
    EXPECT_EQ(second.Get()->GetSlotCount(), 1u);
    EXPECT_FALSE(XNode::SetArrayCount(XNode::Create(first.Get(), XNode::kTypeDict), 2)) << "arrays only";
    EXPECT_FALSE(XNode::AddChild(first.Get(), first.Get()));
    // The sanitizers report what was freed twice or never.
}

TEST(PropertyListNodeTest, DirtyMarksClimbAndClearBelow)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    XNode* leaf = XNode::GetNode(root.Get(), "A.B.C", XNode::kPathCreate);
    XNode::SetDirty(root.Get(), false);
    XNode* b = XNode::GetNode(root.Get(), "A.B", 0);
    EXPECT_FALSE(b->HasFlag(XNode::kFlagDirty));
    XNode::SetInteger(leaf, 3);
    EXPECT_TRUE(leaf->HasFlag(XNode::kFlagDirty));
    EXPECT_TRUE(b->HasFlag(XNode::kFlagDirty));
    EXPECT_TRUE(root.Get()->HasFlag(XNode::kFlagDirty));
    XNode::SetDirty(root.Get(), false);
    EXPECT_FALSE(leaf->HasFlag(XNode::kFlagDirty));
    XNode::SetInteger(leaf, 3);
    EXPECT_FALSE(root.Get()->HasFlag(XNode::kFlagDirty)) << "the same value changes nothing";
}

TEST(PropertyListReaderTest, ReadsTypesKeysAndAttributes)
{
    XNodeTree root = ParseText(kHeader +
                               "<dict>\n"
                               "\t<KEY>A</KEY><Integer>0x10</Integer>\n"
                               "\t<key>Tom&apos;s\nkey</key><string>x &amp; y\r\nz &#x263A;</string>\n"
                               "\t<key>R</key><real>2.5</real>\n"
                               "\t<key>T</key><true/>\n"
                               "\t<key>F</key><false/>\n"
                               "\t<key>D</key><data>AA&lt;</data>\n"
                               "\t<key>L</key><array visible=\"TRUE\"><string>one</string><dict/></array>\n"
                               "\t<key>E</key><string></string>\n"
                               "\t<unknown>ignored</unknown>\n"
                               "</dict>\n" +
                               kFooter);
    ASSERT_TRUE(root);
    XNode* node = root.Get();
    EXPECT_EQ(node->GetType(), XNode::kTypeDict);
    EXPECT_FALSE(node->HasFlag(XNode::kFlagDirty)) << "a loaded tree is clean";
    EXPECT_EQ(XNode::FindChild(node, "a")->GetInteger(), 16);
    XNode* tom = XNode::FindChild(node, "Tom's\nkey");
    ASSERT_NE(tom, nullptr) << "a key split by Expat comes back whole";
    EXPECT_EQ(tom->GetText(), "x & y\nz \xE2\x98\xBA");
    EXPECT_FLOAT_EQ(XNode::FindChild(node, "R")->GetReal(), 2.5f);
    EXPECT_TRUE(XNode::FindChild(node, "T")->GetBool());
    EXPECT_EQ(XNode::FindChild(node, "F")->GetType(), XNode::kTypeBool);
    EXPECT_FALSE(XNode::FindChild(node, "F")->GetBool());
    EXPECT_EQ(XNode::FindChild(node, "D")->GetText(), "AA<");
    XNode* list = XNode::FindChild(node, "L");
    EXPECT_TRUE(list->HasFlag(XNode::kFlagVisible));
    ASSERT_EQ(list->GetSlotCount(), 2u);
    EXPECT_EQ(list->GetSlot(0)->GetText(), "one");
    EXPECT_EQ(list->GetSlot(1)->GetType(), XNode::kTypeDict);
    EXPECT_EQ(XNode::FindChild(node, "E")->GetType(), XNode::kTypeString);
}

TEST(PropertyListReaderTest, WrittenTreesReadBackUnchanged)
{
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    XNode::SetString(XNode::GetNode(root.Get(), "Strings.Quote", XNode::kPathCreate), "<\"&'>\n\ttabbed");
    XNode::SetInteger(XNode::GetNode(root.Get(), "Numbers.Int", XNode::kPathCreate), -5);
    XNode* real = XNode::GetNode(root.Get(), "Numbers.Real", XNode::kPathCreate);
    XNode::SetType(real, XNode::kTypeReal);
    XNode::SetValueFromText(real, "-0.125");
    XNode::SetString(XNode::GetNode(root.Get(), "List[2]", XNode::kPathCreate), "third");
    XNode::SetString(XNode::GetNode(root.Get(), "Long", XNode::kPathCreate),
                     std::string(1 << 20, 'x').c_str());
    const std::string text = Written(root.Get());

    XNodeTree again = ParseText(text);
    ASSERT_TRUE(again);
    EXPECT_EQ(Written(again.Get()), text);
    EXPECT_EQ(XNode::GetNode(again.Get(), "Long", 0)->GetText().size(), 1u << 20)
        << "long strings are not cut";
}

TEST(PropertyListReaderTest, ErrorsGiveTheMessageAndLineInTheErrorNodeAndOnStandardError)
{
    XNodeTree error(XNode::Create(nullptr, XNode::kTypeNone));
    const std::string text = "<plist>\n<dict>\n<key>A</key>\n</plist>\n";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ParseText(text, error.Get()));
    EXPECT_FALSE(XNodeTree(XNode::Parse(text.data(), text.size(), nullptr, nullptr)));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "test:4: mismatched tag\nXML Load Error:4: mismatched tag\n");
    EXPECT_EQ(error.Get()->GetType(), XNode::kTypeString);
    EXPECT_EQ(error.Get()->GetText(), "XML Load Error \"mismatched tag\" line 4");
}

TEST(PropertyListReaderTest, BadTextFailsCleanly)
{
    const struct
    {
        const char* what;
        std::string text;
        const char* error;
    } cases[] = {
        {"empty", "", "XML Load Error \"no element found\" line 1"},
        {"truncated", (kHeader + "<dict>\n\t<key>A</key><str"), nullptr},
        {"not XML", "AppSettings=1\n[Window]\nLeft=3\n", nullptr},
        {"binary", std::string("\x00\xFF\xFE<\x01", 5), nullptr},
        {"a hundred levels", NestedDicts(100), "XML Load Error \"parsing aborted\" line 4"},
        {"one level too deep", NestedDicts(XNode::kMaxLevels - 1), nullptr},
        {"junk after the document", kHeader + "<dict/>\n" + kFooter + "<dict/>", nullptr},
        {"undefined entity", "<dict><key>&nope;</key></dict>", nullptr},
    };
    for (const auto& c : cases)
    {
        XNodeTree error(XNode::Create(nullptr, XNode::kTypeNone));
        EXPECT_FALSE(ParseText(c.text, error.Get())) << c.what;
        if (c.error)
            EXPECT_EQ(error.Get()->GetText(), c.error) << c.what;
        else
            EXPECT_EQ(error.Get()->GetText().rfind("XML Load Error \"", 0), 0u) << c.what;
    }
}

TEST(PropertyListReaderTest, ExtraTopLevelValuesInsideThePlistAreDropped)
{
    XNodeTree root = ParseText(
        kHeader + "<dict><key>A</key><integer>1</integer></dict>\n<integer>2</integer>\n" + kFooter);
    ASSERT_TRUE(root);
    EXPECT_EQ(root.Get()->GetType(), XNode::kTypeDict);
    EXPECT_EQ(XNode::CountChildren(root.Get(), true), 1u);
}

TEST(PropertyListFileTest, SaveReplacesTheFileAndLoadReadsItBack)
{
    TestSupport::TempFolder folder;
    const std::string path = folder / "doc.plist";
    folder.WriteFile("doc.plist", "old");
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    XNode::SetInteger(XNode::GetNode(root.Get(), "Value", XNode::kPathCreate), 7);
    ASSERT_EQ(XNode::SaveFile(root.Get(), path.c_str(), 0), 0);
    EXPECT_EQ(folder.ReadFile("doc.plist"), Written(root.Get()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1)
        << "no temporary file left";

    XNodeTree loaded(XNode::LoadFile(path.c_str(), nullptr));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(XNode::GetNode(loaded.Get(), "value", 0)->GetInteger(), 7);
}

TEST(PropertyListFileTest, UnreadableFilesLoadAsNothing)
{
    TestSupport::TempFolder folder;
    folder.WriteFile("empty.plist", "");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(XNodeTree(XNode::LoadFile((folder / "missing.plist").c_str(), nullptr)));
    EXPECT_FALSE(XNodeTree(XNode::LoadFile(folder.Path().c_str(), nullptr))) << "a folder";
    XNodeTree error(XNode::Create(nullptr, XNode::kTypeNone));
    EXPECT_FALSE(XNodeTree(XNode::LoadFile((folder / "empty.plist").c_str(), error.Get())));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), folder / "empty.plist" + ":1: no element found\n")
        << "only the file that does not parse is told";
    EXPECT_EQ(error.Get()->GetText(), "XML Load Error \"no element found\" line 1");

    // A quiet load leaves the telling to its caller; the error node is filled all the same.
    XNodeTree quietError(XNode::Create(nullptr, XNode::kTypeNone));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(XNodeTree(XNode::LoadFile((folder / "empty.plist").c_str(), quietError.Get(), true)));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(quietError.Get()->GetText(), "XML Load Error \"no element found\" line 1");
}

TEST(PropertyListFileTest, AFailedSaveLeavesNothingBehind)
{
    TestSupport::TempFolder folder;
    folder.WriteFile("plain", "x");
    XNodeTree root(XNode::Create(nullptr, XNode::kTypeDict));
    EXPECT_NE(XNode::SaveFile(root.Get(), (folder / "plain/doc.plist").c_str(), 0), 0);
    EXPECT_NE(XNode::SaveFile(root.Get(), (folder / "missing/doc.plist").c_str(), 0), 0);
    EXPECT_EQ(folder.ReadFile("plain"), "x");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

} // namespace
} // namespace QK
