// IIniFileManager: the application's settings files, read and written by key path.
//
// A settings file is an XML property list held in memory while it is open. It is named by
// a file handle from OpenFile and read and written by dotted key paths ("Window.Left",
// "RecentFiles[2]"), which all live in one dictionary named after the application key.
// Writes change the document in memory; the file changes only when it is saved (SaveFile,
// CloseFile with save, CloseAllFiles). No lock is taken: callers on several threads
// serialise their calls.
//
// Results: 0 success; 1 OpenFile of a file that is open already; -1 a key that is missing
// or of the wrong type, an index out of range, or a document that cannot be made or saved;
// -3 an unknown file handle. Reading a missing integer or string answers the default with 0.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

// The address of the open file's record; 0 never names a file.
using IniFileHandle = std::uintptr_t;

class IIniFileManager
{
public:
    static constexpr QKRESULT kResultAlreadyOpen = 1;
    static constexpr QKRESULT kResultFailed = -1;
    static constexpr QKRESULT kResultUnknownFile = -3;

    // Does nothing; 0.
    virtual QKRESULT Reserved(std::int32_t value) = 0;
    // Closes every file, saving the changed ones; 0, or -1 when a save failed.
    virtual QKRESULT CloseAllFiles() = 0;
    // Opens the file at path, or a new document holding only the "Application" entry with
    // applicationName when it cannot be read or holds no dictionary. Such a file is moved
    // aside before the new document is first saved in its place: to the same name with
    // ".unreadable" added (".unreadable.2" and on when that is taken), as the notice sink
    // and the debug log tell. The application key, with "." turned into "_", names the
    // dictionary of the keys. 0, 1 (already open: the first handle), or -1.
    virtual QKRESULT OpenFile(const WString& path, const WString& applicationKey,
                              const WString& applicationName, IniFileHandle& handle) = 0;
    // Writes a changed file, through a symbolic link to the file it leads to; 0 when nothing
    // changed or the save succeeded, else -1 (also when an unreadable file could not be
    // moved aside).
    virtual QKRESULT SaveFile(IniFileHandle handle) = 0;
    virtual bool KeyExists(IniFileHandle handle, const WString& key) = 0;
    // Closes the file, after saving it when save is set (it is closed also when that fails).
    virtual QKRESULT CloseFile(IniFileHandle handle, bool save) = 0;
    // A bool as 1 or 0, an integer, a real cut toward zero; 0 for other types.
    virtual QKRESULT GetInteger(IniFileHandle handle, const WString& key, std::int32_t defaultValue,
                                std::int32_t& value) = 0;
    virtual QKRESULT SetInteger(IniFileHandle handle, const WString& key, std::int32_t value) = 0;
    // The text of a string or data entry; empty for other types.
    virtual QKRESULT GetString(IniFileHandle handle, const WString& key, WString defaultValue,
                               WString& value) = 0;
    virtual QKRESULT SetString(IniFileHandle handle, const WString& key, WString value) = 0;
    // The entries of a dictionary or array (0 for a plain value); -1 for a missing key.
    virtual QKRESULT GetChildCount(IniFileHandle handle, const WString& key, std::uint32_t& count) = 0;
    virtual QKRESULT GetChildKey(IniFileHandle handle, const WString& key, std::int32_t index,
                                 WString& childKey) = 0;
    virtual QKRESULT GetArrayCount(IniFileHandle handle, const WString& key, std::uint32_t& count) = 0;
    // Makes the key an array of count entries, empty strings where none were; a negative
    // count is refused with -1.
    virtual QKRESULT SetArrayCount(IniFileHandle handle, const WString& key, std::int32_t count) = 0;
    virtual QKRESULT GetArrayString(IniFileHandle handle, const WString& key, std::int32_t index,
                                    WString& value) = 0;
    // Grows the array to index + 1 entries when needed.
    virtual QKRESULT SetArrayString(IniFileHandle handle, const WString& key, std::int32_t index,
                                    WString value) = 0;
    virtual QKRESULT RemoveArrayItem(IniFileHandle handle, const WString& key, std::int32_t index) = 0;

protected:
    ~IIniFileManager() = default;
};

} // namespace QK
