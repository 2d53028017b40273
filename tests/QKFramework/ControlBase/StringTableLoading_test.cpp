// String tables: the language passes, merging, the character-data rules and the sources.
#include "QKFramework/ControlBase/ControlFactory.h"

#include "tests/QKFramework/ControlBase/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace QK
{
namespace
{

using TestSupport::Entry;
using TestSupport::SkinFolder;

RCPtr<LControlFactory> NewFactory()
{
    return RCPtr<LControlFactory>(new LControlFactory(WString(u"PresetEditor")));
}

struct LanguageCase
{
    std::uint32_t lcid;
    const char16_t* ok;
    const char16_t* cancel;
    const char16_t* germanOnly;
};

class StringTableLanguage : public testing::TestWithParam<LanguageCase>
{
};

TEST_P(StringTableLanguage, PassesFallBackOnlyWhenNothingMatched)
{
    const LanguageCase& c = GetParam();
    const RCPtr<LControlFactory> factory = NewFactory();
    ASSERT_EQ(factory->LoadStringTable(WString(u"::FRAMEWORK_STRINGS"), WString(u"::APP_STRINGS"), c.lcid), 0);

    const RCPtr<LStringTable> framework = factory->GetFrameworkStringTable();
    EXPECT_EQ(Entry(framework, u"OK"), c.ok);
    EXPECT_EQ(Entry(framework, u"CANCEL"), c.cancel);
    EXPECT_EQ(Entry(framework, u"GERMAN_ONLY"), c.germanOnly);
    // The application's table is English only: its second pass is English whatever the
    // framework's passes found.
    EXPECT_EQ(Entry(factory->GetApplicationStringTable(), u"STARTUP_ERROR"), u"Start-up failed.\nSecond line");
}

INSTANTIATE_TEST_SUITE_P(
    Lcids, StringTableLanguage,
    testing::Values(
        // Chinese (Taiwan): nothing for 1028, so the traditional-Chinese texts.
        LanguageCase{1028, u"確定", u"取消", u"<none>"},
        // English (United Kingdom): the primary language 9 in the second pass.
        LanguageCase{2057, u"OK", u"Cancel", u"<none>"},
        // Japanese through its primary language 0x11.
        LanguageCase{1041, u"了解", u"キャンセル", u"<none>"},
        // German: the exact language matches one string, so the others stay absent.
        LanguageCase{1031, u"<none>", u"<none>", u"Nur deutsch"},
        // Nothing for Hungarian at all: English in the third pass.
        LanguageCase{1038, u"OK", u"Cancel", u"<none>"}));

TEST(StringTableLoading, ControlTablesKeepTheirExactText)
{
    const RCPtr<LControlFactory> factory = NewFactory();
    ASSERT_EQ(factory->LoadStringTable(WString(u"::FRAMEWORK_STRINGS"), WString(u"::APP_STRINGS"), 1033), 0);
    // Two "Locale" elements of one language append; white space and entities stay as read.
    EXPECT_EQ(Entry(factory->GetStringTable(WString(u"PresetEditor.Pad|label")), u"LABEL"), u"Pad one");
    EXPECT_EQ(Entry(factory->GetControlStringTable(nullptr, WString(u"mainControl")), u"LABEL"), u"  Main & more  ");
    EXPECT_EQ(factory->GetStringTable(WString(u"PresetEditor|nothing")).Get(), nullptr);
}

TEST(StringTableLoading, TablesHandedOutAreCopies)
{
    const RCPtr<LControlFactory> factory = NewFactory();
    factory->LoadStringTable(WString(u"::FRAMEWORK_STRINGS"), WString(u"::APP_STRINGS"), 9);
    RCPtr<LStringTable> first = factory->GetFrameworkStringTable();
    (*first)[WString(u"OK")] = WString(u"changed");
    EXPECT_EQ(Entry(factory->GetFrameworkStringTable(), u"OK"), u"OK");
    EXPECT_NE(first.Get(), factory->GetFrameworkStringTable().Get());
}

TEST(StringTableLoading, TwoDocumentsWithOneTableMerge)
{
    TestSupport::TempFolder folder;
    folder.WriteFile("one.xml", "<r><StringTable ID=\"Shared\"><String ID=\"A\"><Locale LCID=\"9\">first</Locale>"
                                "</String></StringTable></r>");
    folder.WriteFile("two.xml", "<r><StringTable ID=\"Shared\"><String ID=\"B\"><Locale LCID=\"0x0009\">second"
                                "</Locale></String><String ID=\"A\"><Locale LCID=\"9\">+more</Locale></String>"
                                "</StringTable></r>");
    const RCPtr<LControlFactory> factory = NewFactory();
    ASSERT_EQ(factory->LoadStringTable(WString((folder / "one.xml").c_str()), WString((folder / "two.xml").c_str()), 9),
              0);
    const RCPtr<LStringTable> shared = factory->GetStringTable(WString(u"Shared"));
    EXPECT_EQ(Entry(shared, u"A"), u"first+more");
    EXPECT_EQ(Entry(shared, u"B"), u"second");
}

TEST(StringTableLoading, TheMergedTableIsTheFrameworksWithTheApplicationsTextsOverIt)
{
    TestSupport::TempFolder folder;
    folder.WriteFile("framework.xml", "<r><StringTable ID=\"Framework\"><String ID=\"A\"><Locale LCID=\"9\">framework A"
                                      "</Locale></String><String ID=\"B\"><Locale LCID=\"9\">framework B</Locale>"
                                      "</String></StringTable></r>");
    folder.WriteFile("application.xml", "<r><Application Name=\"App\"/><StringTable ID=\"|App\"><String ID=\"B\">"
                                        "<Locale LCID=\"9\">application B</Locale></String><String ID=\"C\">"
                                        "<Locale LCID=\"9\">application C</Locale></String></StringTable></r>");
    const RCPtr<LControlFactory> factory(new LControlFactory(WString(u"App")));
    EXPECT_FALSE(factory->GetMergedStringTable());
    ASSERT_EQ(factory->LoadStringTable(WString((folder / "framework.xml").c_str()),
                                       WString((folder / "application.xml").c_str()), 9),
              0);
    const RCPtr<LStringTable> merged = factory->GetMergedStringTable();
    EXPECT_EQ(TestSupport::AllEntries(merged), u"A=framework A\nB=application B\nC=application C\n");
    EXPECT_EQ(Entry(factory->GetFrameworkStringTable(), u"B"), u"framework B") << "the registry stays as it was";
}

TEST(StringTableLoading, OnlyTheFourStringElementsCount)
{
    // The root is skipped whatever its name, so its "Application" sets nothing; skin elements
    // mean nothing here; a "Locale" without a language, a table without an ID and a string
    // without an ID take nothing.
    const char* document = "<Application Name=\"Root\"><Application Name=\"Renamed\"/>"
                           "<StringTable ID=\"T\"><String ID=\"S\"><SubControl/><Skin Name=\"x\"/>"
                           "<Locale>no language</Locale><Locale LCID=\"9\">text</Locale></String>"
                           "<String><Locale LCID=\"9\">no id</Locale></String></StringTable>"
                           "<StringTable><String ID=\"S\"><Locale LCID=\"9\">no table</Locale></String>"
                           "</StringTable></Application>";
    TestSupport::TempFolder folder;
    folder.WriteFile("strings.xml", document);
    const RCPtr<LControlFactory> factory = NewFactory();
    factory->LoadStringTable(WString(u"::NO_SUCH_RESOURCE"), WString((folder / "strings.xml").c_str()), 9);
    EXPECT_TRUE(factory->GetApplicationName().IsEqual(u"Renamed"));
    const RCPtr<LStringTable> table = factory->GetStringTable(WString(u"T"));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->size(), 1u);
    EXPECT_EQ(Entry(table, u"S"), u"text");
    EXPECT_EQ(factory->GetSkinCount(), 0u);
}

TEST(StringTableLoading, SourcesFromFilesMatchTheResources)
{
    SkinFolder folder;
    const RCPtr<LControlFactory> fromFiles = NewFactory();
    ASSERT_EQ(fromFiles->LoadStringTable(folder.File("FrameworkStrings.xml"), folder.File("StringTables.xml"), 1041),
              0);
    const RCPtr<LControlFactory> fromResources = NewFactory();
    fromResources->LoadStringTable(WString(u"::FRAMEWORK_STRINGS"), WString(u"::APP_STRINGS"), 1041);
    for (const char16_t* table : {u"Framework", u"|PresetEditor", u"PresetEditor.Pad|label"})
    {
        const RCPtr<LStringTable> a = fromFiles->GetStringTable(WString(table));
        const RCPtr<LStringTable> b = fromResources->GetStringTable(WString(table));
        ASSERT_TRUE(a && b);
        EXPECT_EQ(TestSupport::AllEntries(a), TestSupport::AllEntries(b));
    }
}

TEST(StringTableLoading, MissingSources)
{
    const RCPtr<LControlFactory> factory = NewFactory();
    // A missing resource is skipped; the other source still loads.
    EXPECT_EQ(factory->LoadStringTable(WString(u"::NO_SUCH_RESOURCE"), WString(u"::APP_STRINGS"), 9), 0);
    EXPECT_FALSE(factory->GetFrameworkStringTable());
    EXPECT_TRUE(factory->GetApplicationStringTable());
    // An empty resource and an empty file are nothing to read.
    TestSupport::TempFolder folder;
    folder.WriteFile("empty.xml", "");
    EXPECT_EQ(factory->LoadStringTable(WString(u"::EMPTY_SKIN"), WString((folder / "empty.xml").c_str()), 9), 0);
    // A missing file raises File's error.
    try
    {
        factory->LoadStringTable(WString((folder / "missing.xml").c_str()), WString(u"::APP_STRINGS"), 9);
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(std::string(error.what()), "Runtime Error : read : QK::File::Read : Utilities\\Storage\\QKFile : Line 500");
    }
}

TEST(StringTableLoading, MalformedDocumentKeepsWhatWasReadAndAnswersZero)
{
    TestSupport::TempFolder folder;
    folder.WriteFile("broken.xml", "<r><StringTable ID=\"T\"><String ID=\"A\"><Locale LCID=\"9\">kept</Locale>"
                                   "</String>\n<String ID=\"B\"><Locale LCID=\"9\">cut");
    const RCPtr<LControlFactory> factory = NewFactory();
    EXPECT_EQ(factory->LoadStringTable(WString((folder / "broken.xml").c_str()), WString(u"::NONE"), 9), 0);
    EXPECT_EQ(Entry(factory->GetStringTable(WString(u"T")), u"A"), u"kept");
    EXPECT_TRUE(factory->GetErrorText().IsEqual(u"no element found"));
    EXPECT_EQ(factory->GetErrorLine(), 2u);
}

} // namespace
} // namespace QK
