// Version: the executable's version block in one translation, and the values the application
// reports as its identity ("CompanyName", "ProductName", "ProductVersion", "LegalCopyright",
// ...). The block is the program's own resource (FileVersionInfo), which the application's
// build writes from its version data; the framework holds no such text itself.
//
// The translation is the first of the block's table whose primary language (the low ten bits)
// is the user's, else the system's, else English, else the table's first.
//
// A block that cannot be had raises the runtime error whose detail is FormatErrorIdMessage of
// an error id: 903 no module file name, 902 no version block, 901 a block that cannot be
// read, 900 no translation table.
//
// Any thread once constructed; construction reads the string table of the installed control
// services only when it fails.
#pragma once

#include "QKFramework/Platform/Core/FileVersionInfo.h"
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <span>
#include <string>

namespace QK
{

class Version
{
public:
    static constexpr std::int32_t kErrorNoTranslation = 900;
    static constexpr std::int32_t kErrorUnreadableBlock = 901;
    static constexpr std::int32_t kErrorNoBlock = 902;
    static constexpr std::int32_t kErrorNoModuleFileName = 903;

    // What the system answers for a module: its file name, its version block and the
    // languages to choose the translation by.
    struct Source
    {
        std::string moduleFileName;
        std::span<const std::uint8_t> block;
        std::uint32_t userLanguage = 0x0409;
        std::uint32_t systemLanguage = 0x0409;

        // The running executable's (there is one module, whose resources the table holds).
        static Source Of(ResourceModule module);
    };

    explicit Version(ResourceModule module);
    explicit Version(const Source& source);

    // The value of name ("ProductVersion") in the chosen translation; empty when the block
    // has none.
    WString GetValue(const char16_t* name) const;

    const VersionTranslation& GetTranslation() const noexcept { return m_translation; }
    const std::string& GetModuleFileName() const noexcept { return m_moduleFileName; }

private:
    std::string m_moduleFileName;
    FileVersionInfo m_info;
    VersionTranslation m_translation;
};

// The framework string table's "EXCEPTION_ID" text with id in its number's place; without a
// string table (or without that text in it), "The application encountered problems during
// startup and will now close.  (Error code = <id>)".
WString FormatErrorIdMessage(std::int32_t id);

} // namespace QK
