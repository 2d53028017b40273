// The version block: the translation chosen by the user's and the system's language, the
// values read in it, and what a program without a usable block raises, with and without a
// framework string table; and the block this test program carries, as its application reads it.
#include "QKFramework/Application/Version.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlFactory.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace QK
{
namespace
{

using TestSupport::TempFolder;

std::string Narrow(const WString& text)
{
    return NString(text.GetString()).GetString();
}

std::span<const std::uint8_t> Bytes(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

Version::Source SourceOf(std::string_view block, std::uint32_t user = 0x0409, std::uint32_t system = 0x0409)
{
    Version::Source source;
    source.moduleFileName = "/opt/test/program";
    source.block = Bytes(block);
    source.userLanguage = user;
    source.systemLanguage = system;
    return source;
}

constexpr std::string_view kThreeLanguages = "# German, English and French\r\n"
                                             "\\VarFileInfo\\Translation=0407 04E4  0409 04B0\t040C 04E4\r\n"
                                             "\r\n"
                                             "\\StringFileInfo\\040704E4\\ProductName=Deutsch\r\n"
                                             "\\StringFileInfo\\040904B0\\ProductName=English\r\n"
                                             "\\StringFileInfo\\040904b0\\LegalCopyright=(C) = everyone\r\n"
                                             "\\StringFileInfo\\040C04E4\\ProductName=Fran\xC3\xA7"
                                             "ais\r\n";

struct TranslationCase
{
    const char* name;
    std::string_view block;
    std::uint32_t user;
    std::uint32_t system;
    const char* productName;
    VersionTranslation translation;
};

TEST(VersionTest, TheTranslationIsTheUsersElseTheSystemsElseEnglishElseTheFirst)
{
    constexpr std::string_view kNoEnglish = "\\VarFileInfo\\Translation=0407 04E4 040C 04E4\n"
                                            "\\StringFileInfo\\040704E4\\ProductName=Deutsch\n"
                                            "\\StringFileInfo\\040C04E4\\ProductName=Francais\n";
    const TranslationCase cases[] = {
        {"the user's language", kThreeLanguages, 0x040C, 0x0407, "Fran\xC3\xA7" "ais", {0x040C, 0x04E4}},
        {"the user's primary language (Swiss German)", kThreeLanguages, 0x0807, 0x040C, "Deutsch", {0x0407, 0x04E4}},
        {"the system's when the user's is missing", kThreeLanguages, 0x0C0A, 0x040C, "Fran\xC3\xA7" "ais",
         {0x040C, 0x04E4}},
        {"English when neither is there", kThreeLanguages, 0x0C0A, 0x0410, "English", {0x0409, 0x04B0}},
        {"the first without English", kNoEnglish, 0x0C0A, 0x0410, "Deutsch", {0x0407, 0x04E4}},
        {"the system's before English", kNoEnglish, 0x0411, 0x040C, "Francais", {0x040C, 0x04E4}},
    };
    for (const TranslationCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Version version(SourceOf(c.block, c.user, c.system));
        EXPECT_EQ(version.GetTranslation(), c.translation);
        EXPECT_EQ(Narrow(version.GetValue(u"ProductName")), c.productName);
    }
}

TEST(VersionTest, ValuesAreFoundIgnoringCaseAndTakenAsTheyStand)
{
    const Version version(SourceOf(kThreeLanguages));
    EXPECT_EQ(version.GetModuleFileName(), "/opt/test/program");
    EXPECT_EQ(Narrow(version.GetValue(u"ProductName")), "English");
    EXPECT_EQ(Narrow(version.GetValue(u"productname")), "English");
    EXPECT_EQ(Narrow(version.GetValue(u"LegalCopyright")), "(C) = everyone");
    EXPECT_TRUE(version.GetValue(u"CompanyName").IsEmpty()) << "a value the block does not hold";
    EXPECT_TRUE(version.GetValue(u"").IsEmpty());
    EXPECT_TRUE(version.GetValue(nullptr).IsEmpty());
}

// A factory whose framework string table holds text as "EXCEPTION_ID" (none when text is
// null), installed as the controls' application for the object's life.
class FrameworkStrings final : public DefaultControlAppServices
{
public:
    explicit FrameworkStrings(const char* text) : m_previous(LControlApp::GetServices())
    {
        std::string strings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<Zelvo_StringTable_Definitions><Application Name=\"Framework\"/>"
                              "<StringTable ID=\"Framework\">";
        if (text)
            strings += std::string("<String ID=\"EXCEPTION_ID\"><Locale LCID=\"0x0009\">") + text +
                       "</Locale></String>";
        strings += "<String ID=\"OK\"><Locale LCID=\"0x0009\">OK</Locale></String>"
                   "</StringTable></Zelvo_StringTable_Definitions>\n";
        m_folder.WriteFile("FrameworkStrings.xml", strings);
        m_folder.WriteFile("StringTables.xml", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                               "<Zelvo_StringTable_Definitions><Application Name=\"Test\"/>"
                                               "</Zelvo_StringTable_Definitions>\n");
        const QKRESULT loaded =
            m_factory->LoadStringTable(WString((m_folder.Path() + "/FrameworkStrings.xml").c_str()),
                                       WString((m_folder.Path() + "/StringTables.xml").c_str()), 0x0409);
        EXPECT_EQ(loaded, QK_OK);
        LControlApp::SetServices(this);
    }
    FrameworkStrings(const FrameworkStrings&) = delete;
    FrameworkStrings& operator=(const FrameworkStrings&) = delete;
    ~FrameworkStrings() { LControlApp::SetServices(m_previous); }

    LControlFactory* GetControlFactory() const override { return m_factory.Get(); }

private:
    const IControlAppServices* m_previous;
    TempFolder m_folder;
    RCPtr<LControlFactory> m_factory{new LControlFactory(WString(u"Test"))};
};

struct FailureCase
{
    const char* name;
    const char* moduleFileName;
    std::string_view block;
    std::int32_t id;
};

// The runtime error's text up to its line number, which is the throw's own.
std::string ErrorOf(const Version::Source& source)
{
    try
    {
        Version version(source);
        return "no error";
    }
    catch (const std::runtime_error& error)
    {
        const std::string text = error.what();
        return text.substr(0, text.rfind(" : Line "));
    }
}

TEST(VersionTest, AProgramWithoutAUsableBlockRaisesTheErrorOfItsId)
{
    constexpr std::string_view kValuesOnly = "\\StringFileInfo\\040904B0\\ProductName=P\n";
    static constexpr char kWithNul[] = "\\VarFileInfo\\Translation=0409 04B0\n\0\n";
    const FailureCase cases[] = {
        {"no module file name", "", kThreeLanguages, 903},
        {"no version block", "/opt/test/program", "", 902},
        {"a line without a value", "/opt/test/program", "\\VarFileInfo\\Translation\n", 901},
        {"a path that is no path", "/opt/test/program", "ProductName=P\n", 901},
        {"a path given twice", "/opt/test/program",
         "\\VarFileInfo\\Translation=0409 04B0\n\\varfileinfo\\translation=0407 04B0\n", 901},
        {"text that is not UTF-8", "/opt/test/program", "\\VarFileInfo\\Translation=0409 04B0 \xC3\n", 901},
        {"a NUL byte", "/opt/test/program", std::string_view(kWithNul, sizeof kWithNul - 1), 901},
        {"no translation table", "/opt/test/program", kValuesOnly, 900},
        {"an empty translation table", "/opt/test/program", "\\VarFileInfo\\Translation= \n", 900},
        {"a language without its code page", "/opt/test/program", "\\VarFileInfo\\Translation=0409\n", 900},
        {"a table of other words", "/opt/test/program", "\\VarFileInfo\\Translation=409 4B0\n", 900},
        {"a table that is no number", "/opt/test/program", "\\VarFileInfo\\Translation=0409 04BX\n", 900},
    };
    for (const FailureCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        Version::Source source = SourceOf(c.block);
        source.moduleFileName = c.moduleFileName;
        const std::string number = std::to_string(c.id);
        const std::string site = " : QK::Version::Version : Application\\Version";
        EXPECT_EQ(ErrorOf(source), "Runtime Error : The application encountered problems during startup and will "
                                   "now close.  (Error code = " +
                                       number + ")" + site);
        {
            // The table's text is no format: only its "%d" and "%%" are filled in.
            const FrameworkStrings strings("Trouble %d (%s), 100%% sure");
            EXPECT_EQ(ErrorOf(source), "Runtime Error : Trouble " + number + " (%s), 100% sure" + site);
        }
        {
            const FrameworkStrings strings(nullptr);
            EXPECT_EQ(ErrorOf(source), "Runtime Error : The application encountered problems during startup "
                                       "and will now close.  (Error code = " +
                                           number + ")" + site)
                << "a table without the text";
        }
    }
}

// The test program's own block, as the application's identity and the about box read it.
TEST(VersionTest, TheProgramsOwnBlockNamesTheTestProgram)
{
    const Version version(GetApplicationInstance());
    EXPECT_NE(version.GetModuleFileName().find("app_tests"), std::string::npos) << version.GetModuleFileName();
    EXPECT_EQ(version.GetTranslation(), (VersionTranslation{0x0409, 0x04B0}));
    EXPECT_EQ(Narrow(version.GetValue(u"CompanyName")), "QK Test Works");
    EXPECT_EQ(Narrow(version.GetValue(u"ProductName")), "QK Test Program");
    EXPECT_EQ(Narrow(version.GetValue(u"ProductVersion")), "7.8.9");
    EXPECT_EQ(Narrow(version.GetValue(u"LegalCopyright")), "No rights reserved.");
}

} // namespace
} // namespace QK
