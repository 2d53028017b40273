// Font discovery over made-up font files in a temporary folder, and over the installed fonts.
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/FontRenderer/FontFileInfo.h"
#include "QKFramework/Renderer/FontRenderer/FontNameTable.h"
#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/Render/SyntheticFonts.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace QK
{
namespace
{

using TestSupport::CollectionFile;
using TestSupport::Put16;
using TestSupport::Put32;
using TestSupport::SyntheticName;
using TestSupport::TempFolder;
using TestSupport::TrueTypeFile;
using TestSupport::WindowsNames;

std::u16string Text(const WString& text)
{
    return text.GetString();
}

class FontFileInfoTest : public ::testing::Test
{
protected:
    void SetUp() override { m_app.SetSystemFamily(WString(u"System Sans")); }
    void TearDown() override
    {
        LFontFileInfo::Reset();
        LFontFileInfo::SetFontFolder(WString());
    }

    void Write(const std::string& name, const std::string& bytes) { m_folder.WriteFile(name, bytes); }
    WString PathOf(const std::string& name) const { return WString((m_folder / name).c_str()); }
    QKRESULT Scan()
    {
        LFontFileInfo::SetFontFolder(WString(m_folder.Path().c_str()));
        return LFontFileInfo::ScanFontFolder();
    }

    TempFolder m_folder;
    TestSupport::ScopedRenderApp m_app;
};

TEST_F(FontFileInfoTest, OneFamilyInTwoFilesMakesOneRecordAndStylesFallBack)
{
    Write("ArialBd.ttf", TrueTypeFile(WindowsNames(u"Arial", u"Bold")));
    Write("Arial.TTF", TrueTypeFile(WindowsNames(u"Arial", u"Regular")));
    Write("Sys.ttf", TrueTypeFile(WindowsNames(u"System Sans", u"Book")));
    ASSERT_EQ(Scan(), QK_OK);

    ASSERT_EQ(LFontFileInfo::GetCount(), 2u);
    const RCPtr<LFontFileInfo> arial = LFontFileInfo::GetAt(0);
    EXPECT_EQ(Text(arial->GetFamilyName()), u"Arial");
    EXPECT_EQ(Text(arial->GetPath(0)), Text(PathOf("Arial.TTF")));
    EXPECT_EQ(Text(arial->GetPath(1)), Text(PathOf("ArialBd.ttf")));
    EXPECT_TRUE(arial->GetPath(2).IsEmpty());

    const ConstRCPtr<LFont> bold = LFont::FindOrCreate(WString(u"Arial"), 9.0f, 1);
    EXPECT_EQ(LFontFileInfo::GetFileID(bold), 1);
    EXPECT_EQ(Text(LFontFileInfo::GetFilePath(1)), Text(PathOf("ArialBd.ttf")));

    // Italic falls back to the regular file and keeps that choice; underline chooses no file.
    const ConstRCPtr<LFont> italic = LFont::FindOrCreate(WString(u"Arial"), 9.0f, 2 | 4);
    EXPECT_EQ(LFontFileInfo::GetFileID(italic), 2);
    EXPECT_EQ(Text(arial->GetPath(2)), Text(PathOf("Arial.TTF")));
    // Bold italic: bold comes before regular.
    EXPECT_EQ(LFontFileInfo::GetFileID(LFont::FindOrCreate(WString(u"Arial"), 9.0f, 3)), 3);
    EXPECT_EQ(Text(arial->GetPath(3)), Text(PathOf("ArialBd.ttf")));

    // Families match exactly: lower case goes to the system font's family.
    EXPECT_EQ(LFontFileInfo::GetFileID(LFont::FindOrCreate(WString(u"arial"), 9.0f, 0)), 4);

    // A font asked again is answered from the map, even once the list has moved on.
    const std::int32_t first = LFontFileInfo::GetFileID(bold);
    const RCPtr<LFontFileInfo> later = LFontFileInfo::AddFileInfo();
    EXPECT_EQ(later->GetIndex(), 2);
    EXPECT_EQ(LFontFileInfo::GetFileID(bold), first);

    EXPECT_TRUE(LFontFileInfo::GetFilePath(-1).IsEmpty());
    EXPECT_TRUE(LFontFileInfo::GetFilePath(12 * 4).IsEmpty());
}

TEST_F(FontFileInfoTest, ANameNeitherListedNorSystemIsARuntimeError)
{
    Write("a.ttf", TrueTypeFile(WindowsNames(u"Arial", u"Regular")));
    ASSERT_EQ(Scan(), QK_OK);
    try
    {
        LFontFileInfo::GetFileID(LFont::FindOrCreate(WString(u"Nowhere"), 9.0f, 0));
        FAIL() << "no error";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(),
                     "Runtime Error : QK::LFontFileInfo::GetFileID : Renderer\\FontRenderer\\FontFileInfo : Line 469");
    }

    LFontFileInfo::SetFontFolder(WString((m_folder / "missing").c_str()));
    EXPECT_EQ(LFontFileInfo::ScanFontFolder(), QK_E_FAIL);
    EXPECT_EQ(LFontFileInfo::GetCount(), 0u);
}

TEST_F(FontFileInfoTest, CollectionsKeepEachFacesIndex)
{
    Write("pair.TTC", CollectionFile({WindowsNames(u"Alpha", u"Regular"), WindowsNames(u"Beta", u"Bold Oblique")}));
    ASSERT_EQ(Scan(), QK_OK);
    ASSERT_EQ(LFontFileInfo::GetCount(), 2u);
    EXPECT_EQ(Text(LFontFileInfo::GetFilePath(0)), Text(PathOf("pair.TTC")));
    EXPECT_EQ(LFontFileInfo::GetFaceIndex(0), 0);
    // "Bold Oblique" is this system's bold italic.
    EXPECT_EQ(Text(LFontFileInfo::GetFilePath(4 + 3)), Text(PathOf("pair.TTC")));
    EXPECT_EQ(LFontFileInfo::GetFaceIndex(4 + 3), 1);
    EXPECT_TRUE(LFontFileInfo::GetFilePath(4).IsEmpty());
}

TEST_F(FontFileInfoTest, NameRecordsCountByPlatformLanguageAndId)
{
    struct Case
    {
        const char* what;
        std::vector<SyntheticName> names;
        std::vector<std::u16string> expected; // "family/subfamily" per registration
    };
    const Case cases[] = {
        {"Macintosh and Windows names register twice",
         {{1, 0, 1, u"Gamma"}, {1, 0, 2, u"Italic"}, {3, 0x409, 1, u"Gamma"}, {3, 0x409, 2, u"Italic"}},
         {u"Gamma/italic", u"Gamma/italic"}},
        {"German names are ignored", {{3, 0x407, 1, u"Delta"}, {3, 0x409, 2, u"Bold"}}, {}},
        {"other ids and empty texts are ignored",
         {{3, 0x409, 4, u"Full"}, {3, 0x409, 1, u""}, {3, 0x409, 1, u"Eps"}, {3, 0x409, 2, u"Oblique"}},
         {u"Eps/oblique"}},
        {"the first texts are kept, a later pair registers again",
         {{3, 0x409, 1, u"Zeta"}, {3, 0x409, 1, u"Other"}, {3, 0x409, 2, u"Book"}, {3, 0x409, 1, u"Eta"},
          {3, 0x409, 2, u"Bold"}},
         {u"Zeta/book", u"Eta/bold"}},
    };
    for (const Case& c : cases)
    {
        const std::string bytes = TrueTypeFile(c.names);
        FontBytesInMemory memory(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        std::vector<FontFaceName> names;
        ReadFontFaceNames(memory, names);
        std::vector<std::u16string> got;
        for (const FontFaceName& name : names)
            got.push_back(Text(name.family) + u"/" + Text(name.subfamily));
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST_F(FontFileInfoTest, BrokenFilesAreSkippedAndTheRestStillCount)
{
    const std::string good = TrueTypeFile(WindowsNames(u"Good", u"Regular"));
    std::string hugeCount = CollectionFile({WindowsNames(u"Bad", u"Regular")});
    Put32(hugeCount, 8, 0x7FFFFFFF);
    std::string hugeRecords = good;
    Put16(hugeRecords, 12 + 32 + 54 + 2, 0xFFFF); // the name table's record count
    std::string farString = good;
    Put16(farString, 12 + 32 + 54 + 6 + 10, 0xFFF0); // the family record's string offset
    std::string farTable = good;
    Put32(farTable, 36, 0x7FFFFFF0); // the name table's offset
    // Table records up to the end of the file, none of them "name".
    std::string manyTables = std::string(12, '\0') + std::string(200, 'A');
    Put16(manyTables, 4, 0xFFFF);

    Write("a-truncated.ttf", good.substr(0, good.size() - 3));
    Write("b-garbage.ttf", std::string(300, '\xA5'));
    Write("c-empty.ttf", "");
    Write("d-huge-count.ttc", hugeCount);
    Write("e-huge-records.ttf", hugeRecords);
    Write("f-far-string.ttf", farString);
    Write("g-far-table.ttf", farTable);
    Write("h-many-tables.ttf", manyTables);
    Write("i-short.ttc", "ttcf");
    Write("z-good.ttf", good);
    ASSERT_EQ(Scan(), QK_OK);

    ASSERT_EQ(LFontFileInfo::GetCount(), 1u);
    EXPECT_EQ(Text(LFontFileInfo::GetAt(0)->GetFamilyName()), u"Good");
    EXPECT_EQ(Text(LFontFileInfo::GetFilePath(0)), Text(PathOf("z-good.ttf")));
}

TEST(InstalledFontFiles, TheSystemsListFindsDejaVuSans)
{
    LFontFileInfo::SetFontFolder(WString());
    ASSERT_EQ(LFontFileInfo::ScanFontFolder(), QK_OK);
    bool found = false;
    for (std::uint32_t i = 0; i < LFontFileInfo::GetCount(); ++i)
    {
        const RCPtr<LFontFileInfo> record = LFontFileInfo::GetAt(i);
        if (record->GetFamilyName().IsEqual(u"DejaVu Sans"))
        {
            found = true;
            // The slanted faces are named "Oblique": the regular slot stays upright.
            EXPECT_EQ(std::u16string(record->GetPath(0).GetString()).find(u"Oblique"), std::u16string::npos);
            EXPECT_NE(std::u16string(record->GetPath(2).GetString()).find(u"Oblique"), std::u16string::npos);
        }
    }
    EXPECT_TRUE(found);
    LFontFileInfo::Reset();
}

} // namespace
} // namespace QK
