// The key store over text files: the registry of this platform. The program only reads it;
// people and installers write the files.
//
// File format (UTF-8, one entry per line):
//
//     ; a comment (also "#"); blank lines are ignored
//     [HKEY_LOCAL_MACHINE\Software\Quenmar\Audio\Drivers]
//     "SoftwarePath"=string:/opt/quenmar/audio
//     "Template"=expand:%HOME%/presets
//     "Channel"=dword:0000002a
//     "Serial"=qword:00000000000000ff
//     "Record"=hex:0c,00,00,00,01,00,00,00,00,00,00,00
//     "Raw"=hex(1):41,00,42,00
//     @=string:the key's default value
//
//  - A section names a key: a root (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
//    HKEY_LOCAL_MACHINE, HKEY_USERS, or HKCR, HKCU, HKLM, HKU) and the key's path below it,
//    joined by backslashes. Roots, key names and value names match ignoring case. A key
//    exists with all its parents; a section may appear more than once.
//  - A value line gives a quoted name (no quote inside) or @, "=", a type and ":", then
//    the data. string: and expand: take the rest of the line as it stands (an expandable
//    text is not expanded); dword: and qword: take 1 to 8 or 1 to 16 hexadecimal digits;
//    hex: takes bytes as two hexadecimal digits each, separated by commas (none at all is
//    an empty value); hex(N): is the same with the value type N given in hexadecimal, as
//    registry exports write it. A later line for the same value replaces an earlier one.
//  - A line that does not parse is skipped, and so are the values of a section that does
//    not parse or whose root the file does not serve. A file larger than 16 MiB is not read.
//
// A store parses each file once and opens its keys from what it parsed; a file that changed
// since (another size, time of change or file) is parsed again, so an edit shows at the next
// open. Keys may be opened from any thread.
#pragma once

#include "QKFramework/Utilities/Storage/RegistryStore.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace QK
{

class IniKeyStore final : public IRegistryStore
{
public:
    // The files that serve a root, least important first: a later file's values win.
    using FileList = std::function<std::vector<std::string>(RegistryRoot)>;

    explicit IniKeyStore(FileList files);
    ~IniKeyStore();

    std::unique_ptr<IRegistryKeyHandle> OpenKey(RegistryRoot root, const WString& path, bool view64) const override;

    // The keys of one text (a file's contents), parsed once and opened as many times as
    // wanted; for tests of the format.
    class ParsedText
    {
    public:
        explicit ParsedText(std::string_view text);
        ~ParsedText();
        std::unique_ptr<IRegistryKeyHandle> OpenKey(RegistryRoot root, const WString& path) const;

    private:
        std::shared_ptr<const void> m_keys;
    };

    // Opens a key as one text defines it (parsed for this call).
    static std::unique_ptr<IRegistryKeyHandle> OpenKeyInText(std::string_view text, RegistryRoot root,
                                                             const WString& path);

private:
    // A file as it was when parsed, and what it held.
    struct ParsedFile
    {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = -1;
        std::int64_t modifiedSeconds = 0;
        std::int64_t modifiedNanoseconds = 0;
        std::shared_ptr<const void> keys;
    };

    FileList m_files;
    mutable std::mutex m_cacheLock;
    mutable std::unordered_map<std::string, ParsedFile> m_cache;
};

// The names the application gives the key store: the folder of its company, where the files
// lie, and an environment variable that may name one folder for every root instead (for
// tests). Until the application names them, there is no company folder and no variable.
struct KeyStoreNames
{
    std::string companyFolder;
    std::string folderVariable;
};
void SetKeyStoreNames(const KeyStoreNames& names);
KeyStoreNames GetKeyStoreNames();

// The key-store files of this desktop for a root, least important first:
//  - the folder variable set: <that folder>/registry.ini alone, for every root.
//  - HKEY_CURRENT_USER: $XDG_CONFIG_HOME/<company>/registry.ini (by default ~/.config/...).
//  - The other roots: <dir>/<company>/registry.ini for every folder of $XDG_CONFIG_DIRS (by
//    default /etc/xdg), the first folder being the most important.
// Relative folders are ignored, as the XDG base-directory rules ask; without a company folder
// there are no files but the variable's.
std::vector<std::string> XdgKeyStoreFiles(RegistryRoot root);

} // namespace QK
