// The version information of the executable, in place of the version resource that Windows
// reads from a module's file (GetFileVersionInfoW) and answers queries on (VerQueryValueW).
//
// The build writes it from its own version data as the resource "VERSION" "1" of the
// resource table (Resources.h): UTF-8 text, one value per line as "<query path>=<value>",
// the query paths those of VerQueryValueW:
//     \VarFileInfo\Translation=0409 04B0
//     \StringFileInfo\040904B0\ProductName=...
// The translation table is a list of language and code page pairs, each four hexadecimal
// digits. Blank lines and lines that begin with "#" are skipped, a "\r" before a line's end
// is dropped; the value is the rest of the line as it stands. Paths match ignoring ASCII case.
//
// Any thread; the object is a plain value.
#pragma once

#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace QK
{

struct VersionTranslation
{
    std::uint16_t language = 0;
    std::uint16_t codePage = 0;

    friend bool operator==(const VersionTranslation&, const VersionTranslation&) = default;
};

class FileVersionInfo
{
public:
    static constexpr const char* kResourceType = "VERSION";
    static constexpr const char* kResourceName = "1";

    // The version information of the running executable's resource table; empty bytes when it
    // holds none.
    static std::span<const std::uint8_t> FindInExecutable();

    // Reads a block. False, keeping nothing, for bytes that are not one: a line without "="
    // or whose path does not begin with "\", a path given twice, a NUL byte or text that is
    // not well-formed UTF-8.
    bool Read(std::span<const std::uint8_t> bytes);

    // The value at path; false when the block has none.
    bool QueryValue(std::string_view path, WString& value) const;
    // "\VarFileInfo\Translation" as pairs; false when it is missing, empty or anything but
    // pairs of four hexadecimal digits.
    bool QueryTranslations(std::vector<VersionTranslation>& translations) const;

private:
    // Upper-cased path to the value as UTF-8.
    std::map<std::string, std::string> m_values;
};

} // namespace QK
