// The user's and the system's language as language ids: locale names, the environment's
// order, and the settings files that name the system's locale.
#include "QKFramework/Platform/Core/LanguageIds.h"
#include "tests/support/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

using TestSupport::ScopedEnvironment;

TEST(LanguageIdsTest, LocaleNamesByTheirLanguage)
{
    const struct
    {
        const char* locale;
        std::uint32_t id;
    } cases[] = {
        {"de_DE.UTF-8", 0x0407}, {"de", 0x0407},    {"es_MX", 0x0C0A}, {"fr_CA.UTF-8", 0x040C}, {"it_IT", 0x0410},
        {"ja_JP.UTF-8", 0x0411}, {"en_GB", 0x0409}, {"pt_BR", 0x0409}, {"C", 0x0409},            {"", 0x0409},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageIdOfLocale(c.locale), c.id) << c.locale;
}

TEST(LanguageIdsTest, TheUsersLanguageIsTheFirstVariableSet)
{
    const struct
    {
        const char* all;
        const char* messages;
        const char* lang;
        std::uint32_t id;
    } cases[] = {
        {"fr_FR", "de_DE", "it_IT", 0x040C},
        {"", "de_DE", "it_IT", 0x0407},
        {nullptr, nullptr, "it_IT", 0x0410},
        {nullptr, "pt_BR", "it_IT", 0x0409},
        {nullptr, nullptr, nullptr, 0x0409},
    };
    for (const auto& c : cases)
    {
        const ScopedEnvironment all("LC_ALL", c.all);
        const ScopedEnvironment messages("LC_MESSAGES", c.messages);
        const ScopedEnvironment lang("LANG", c.lang);
        EXPECT_EQ(GetUserLanguageId(), c.id) << (c.lang ? c.lang : "no LANG");
    }
}

TEST(LanguageIdsTest, ASettingOfTheLocaleFile)
{
    const struct
    {
        const char* text;
        const char* name;
        const char* value;
    } cases[] = {
        {"LANG=de_DE.UTF-8\n", "LANG", "de_DE.UTF-8"},
        {"# comment\nLANG=\"fr_FR.UTF-8\"\r\n", "LANG", "fr_FR.UTF-8"},
        {"  export LANG='es_ES' \n", "LANG", "es_ES"},
        {"LANGUAGE=it\nLANG=ja_JP", "LANG", "ja_JP"},
        {"LANG=en_US\nLANG=de_DE\n", "LANG", "de_DE"},
        {"LC_MESSAGES=ja_JP\nLANG=de_DE\n", "LC_MESSAGES", "ja_JP"},
        {"LANGUAGE=it\n", "LANG", ""},
        {"LANG\n", "LANG", ""},
        {"LANG=\"\n", "LANG", "\""},
        {"", "LANG", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindLocaleSetting(c.text, c.name), c.value) << c.text;
}

} // namespace
} // namespace QK
