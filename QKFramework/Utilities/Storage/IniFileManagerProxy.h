// CIniFileManagerProxy: the settings files manager itself (see IIniFileManager.h); the
// reference-counted LIniFileManager hands every call to it.
//
// Open documents are kept in opening order. A handle is the address of a document's record
// and is only ever compared, never followed, until it is found in the list.
#pragma once

#include "QKFramework/Utilities/Storage/IIniFileManager.h"
#include "QKFramework/Utilities/Storage/PropertyList.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace QK
{

// One open settings document.
struct IniFileInfo
{
    NString path;      // the bytes of the path given to OpenFile
    NString keyPrefix; // the application key with "." turned into "_", and a "."
    XNodeTree root;
    bool modified = false;
    // A file was there but could not be read, or held no dictionary: it is moved aside
    // before the first save.
    bool keepUnreadable = false;
    // The person has been told that it could not be moved aside (told once).
    bool toldNotMoved = false;
};

class CIniFileManagerProxy : public IIniFileManager
{
public:
    CIniFileManagerProxy() = default;
    CIniFileManagerProxy(const CIniFileManagerProxy&) = delete;
    CIniFileManagerProxy& operator=(const CIniFileManagerProxy&) = delete;

    QKRESULT Reserved(std::int32_t value) override;
    QKRESULT CloseAllFiles() override;
    QKRESULT OpenFile(const WString& path, const WString& applicationKey, const WString& applicationName,
                      IniFileHandle& handle) override;
    QKRESULT SaveFile(IniFileHandle handle) override;
    bool KeyExists(IniFileHandle handle, const WString& key) override;
    QKRESULT CloseFile(IniFileHandle handle, bool save) override;
    QKRESULT GetInteger(IniFileHandle handle, const WString& key, std::int32_t defaultValue,
                        std::int32_t& value) override;
    QKRESULT SetInteger(IniFileHandle handle, const WString& key, std::int32_t value) override;
    QKRESULT GetString(IniFileHandle handle, const WString& key, WString defaultValue,
                       WString& value) override;
    QKRESULT SetString(IniFileHandle handle, const WString& key, WString value) override;
    QKRESULT GetChildCount(IniFileHandle handle, const WString& key, std::uint32_t& count) override;
    QKRESULT GetChildKey(IniFileHandle handle, const WString& key, std::int32_t index,
                         WString& childKey) override;
    QKRESULT GetArrayCount(IniFileHandle handle, const WString& key, std::uint32_t& count) override;
    QKRESULT SetArrayCount(IniFileHandle handle, const WString& key, std::int32_t count) override;
    QKRESULT GetArrayString(IniFileHandle handle, const WString& key, std::int32_t index,
                            WString& value) override;
    QKRESULT SetArrayString(IniFileHandle handle, const WString& key, std::int32_t index,
                            WString value) override;
    QKRESULT RemoveArrayItem(IniFileHandle handle, const WString& key, std::int32_t index) override;

    // Writes every open file that changed, keeping them open; 0, or -1 when one could not be
    // written (its path goes into failedPaths when given).
    QKRESULT SaveAllFiles(std::vector<NString>* failedPaths = nullptr);

    // Where the manager tells the person what happened to their settings (a file that could
    // not be read and where it was kept): one line each, without the program's name. None by
    // default; the debug log hears it all the same.
    using NoticeSink = std::function<void(const std::string&)>;
    void SetNoticeSink(NoticeSink sink) { m_noticeSink = std::move(sink); }

    // Frees the documents still open without saving them; the owner closes them first.
    virtual ~CIniFileManagerProxy();

private:
    IniFileInfo* Find(IniFileHandle handle) const;
    // The node of key in the file's document, created when create is set; null when missing.
    static XNode* Lookup(IniFileInfo& file, const WString& key, bool create);
    QKRESULT Save(IniFileInfo& file);
    // Moves the unreadable file aside under the first free numbered name; false when it
    // could not be moved.
    bool KeepUnreadableFile(IniFileInfo& file);

    std::vector<std::unique_ptr<IniFileInfo>> m_files;
    NoticeSink m_noticeSink;
};

} // namespace QK
