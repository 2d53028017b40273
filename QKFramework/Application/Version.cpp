#include "QKFramework/Application/Version.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Core/LanguageIds.h"
#include "QKFramework/Platform/Core/SpecialFolders.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

namespace QK
{

namespace
{

constexpr const char* kSource = "Application\\Version";
constexpr const char* kConstructor = "QK::Version::Version";
constexpr const char16_t* kDefaultErrorIdText =
    u"The application encountered problems during startup and will now close.  (Error code = %d)";

[[noreturn]] void ThrowErrorId(std::int32_t id, const ThrowSite& site)
{
    Throw<std::runtime_error>(site, NString(FormatErrorIdMessage(id).GetString()).GetString());
}

// The entry whose primary language is the user's, else the system's, else English, else the
// first.
VersionTranslation ChooseTranslation(const std::vector<VersionTranslation>& table, std::uint32_t userLanguage,
                                     std::uint32_t systemLanguage)
{
    constexpr std::uint32_t kPrimaryLanguageMask = 0x3FF;
    constexpr std::uint32_t kEnglish = 0x09;
    for (const std::uint32_t language : {userLanguage, systemLanguage, kEnglish})
        for (const VersionTranslation& entry : table)
            if ((entry.language & kPrimaryLanguageMask) == (language & kPrimaryLanguageMask))
                return entry;
    return table.front();
}

// text with "%d" made the number and "%%" a single "%". A string table is read from outside
// the program, so its text never becomes a format: any other "%" stays as it stands.
WString FillInNumber(const WString& text, std::int32_t number)
{
    const std::u16string_view source(text.GetString(), text.GetLength());
    const WString digits = WString::Format(u"%d", number);
    std::u16string result;
    for (std::size_t i = 0; i < source.size(); ++i)
    {
        if (source[i] == u'%' && i + 1 < source.size() && (source[i + 1] == u'd' || source[i + 1] == u'%'))
        {
            if (source[i + 1] == u'd')
                result.append(digits.GetString(), digits.GetLength());
            else
                result.push_back(u'%');
            ++i;
            continue;
        }
        result.push_back(source[i]);
    }
    return WString(result.c_str());
}

} // namespace

Version::Source Version::Source::Of(ResourceModule)
{
    Source source;
    source.moduleFileName = GetExecutablePath();
    source.block = FileVersionInfo::FindInExecutable();
    source.userLanguage = GetUserLanguageId();
    source.systemLanguage = GetSystemLanguageId();
    return source;
}

Version::Version(ResourceModule module) : Version(Source::Of(module)) {}

Version::Version(const Source& source) : m_moduleFileName(source.moduleFileName)
{
    if (m_moduleFileName.empty())
        ThrowErrorId(kErrorNoModuleFileName, QK_SITE(kConstructor, kSource));
    if (source.block.empty())
        ThrowErrorId(kErrorNoBlock, QK_SITE(kConstructor, kSource));
    if (!m_info.Read(source.block))
        ThrowErrorId(kErrorUnreadableBlock, QK_SITE(kConstructor, kSource));
    std::vector<VersionTranslation> table;
    if (!m_info.QueryTranslations(table))
        ThrowErrorId(kErrorNoTranslation, QK_SITE(kConstructor, kSource));
    m_translation = ChooseTranslation(table, source.userLanguage, source.systemLanguage);
}

WString Version::GetValue(const char16_t* name) const
{
    char block[32];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04X%04X\\", m_translation.language,
                  m_translation.codePage);
    WString value;
    if (!name || !m_info.QueryValue(std::string(block) + NString(name).GetString(), value))
        value.Clear();
    return value;
}

WString FormatErrorIdMessage(std::int32_t id)
{
    WString text;
    if (const LControlFactory* factory = LControlApp::GetControlFactory())
        if (const RCPtr<LStringTable> strings = factory->GetFrameworkStringTable())
            FindStringMapValue(*strings, u"EXCEPTION_ID", text);
    if (text.IsEmpty())
        text = WString(kDefaultErrorIdText);
    return FillInNumber(text, id);
}

} // namespace QK
