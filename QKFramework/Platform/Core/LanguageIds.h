// The languages of the user and of the system as Windows language ids (LCIDs), which the
// string tables and the version information are keyed by: en 0x0409, de 0x0407, es 0x0C0A,
// fr 0x040C, it 0x0410, ja 0x0411, English for any other language.
//
// Any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace QK
{

// The language id of a locale name ("de_DE.UTF-8" gives 0x0407); 0x0409 for any other.
std::uint32_t LanguageIdOfLocale(std::string_view locale);

// The user's language: the first of LC_ALL, LC_MESSAGES and LANG that is set.
std::uint32_t GetUserLanguageId();

// The system's language: LC_MESSAGES, else LANG, of the system's locale settings
// (/etc/locale.conf, else /etc/default/locale); English when there are none.
std::uint32_t GetSystemLanguageId();

// The value that a locale settings file gives name: the last line "name=value" (blanks
// around it and one pair of quotes taken off; "export " before the name allowed); empty
// when there is none.
std::string FindLocaleSetting(std::string_view text, std::string_view name);

} // namespace QK
