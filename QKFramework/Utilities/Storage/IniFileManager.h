// LIniFileManager: the application's one settings files manager as a reference-counted
// object; every operation is that of CIniFileManagerProxy (see IIniFileManager.h).
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Storage/IniFileManagerProxy.h"

#include <memory>

namespace QK
{

class LIniFileManager : public IIniFileManager, public virtual LRefCountedObject
{
public:
    static RCPtr<LIniFileManager> Create();

    QKRESULT Reserved(std::int32_t value) override { return m_proxy->Reserved(value); }
    QKRESULT CloseAllFiles() override { return m_proxy->CloseAllFiles(); }
    QKRESULT OpenFile(const WString& path, const WString& applicationKey, const WString& applicationName,
                      IniFileHandle& handle) override
    {
        return m_proxy->OpenFile(path, applicationKey, applicationName, handle);
    }
    QKRESULT SaveFile(IniFileHandle handle) override { return m_proxy->SaveFile(handle); }
    bool KeyExists(IniFileHandle handle, const WString& key) override
    {
        return m_proxy->KeyExists(handle, key);
    }
    QKRESULT CloseFile(IniFileHandle handle, bool save) override { return m_proxy->CloseFile(handle, save); }
    QKRESULT GetInteger(IniFileHandle handle, const WString& key, std::int32_t defaultValue,
                        std::int32_t& value) override
    {
        return m_proxy->GetInteger(handle, key, defaultValue, value);
    }
    QKRESULT SetInteger(IniFileHandle handle, const WString& key, std::int32_t value) override
    {
        return m_proxy->SetInteger(handle, key, value);
    }
    QKRESULT GetString(IniFileHandle handle, const WString& key, WString defaultValue,
                       WString& value) override
    {
        return m_proxy->GetString(handle, key, defaultValue, value);
    }
    QKRESULT SetString(IniFileHandle handle, const WString& key, WString value) override
    {
        return m_proxy->SetString(handle, key, value);
    }
    QKRESULT GetChildCount(IniFileHandle handle, const WString& key, std::uint32_t& count) override
    {
        return m_proxy->GetChildCount(handle, key, count);
    }
    QKRESULT GetChildKey(IniFileHandle handle, const WString& key, std::int32_t index,
                         WString& childKey) override
    {
        return m_proxy->GetChildKey(handle, key, index, childKey);
    }
    QKRESULT GetArrayCount(IniFileHandle handle, const WString& key, std::uint32_t& count) override
    {
        return m_proxy->GetArrayCount(handle, key, count);
    }
    QKRESULT SetArrayCount(IniFileHandle handle, const WString& key, std::int32_t count) override
    {
        return m_proxy->SetArrayCount(handle, key, count);
    }
    QKRESULT GetArrayString(IniFileHandle handle, const WString& key, std::int32_t index,
                            WString& value) override
    {
        return m_proxy->GetArrayString(handle, key, index, value);
    }
    QKRESULT SetArrayString(IniFileHandle handle, const WString& key, std::int32_t index,
                            WString value) override
    {
        return m_proxy->SetArrayString(handle, key, index, value);
    }
    QKRESULT RemoveArrayItem(IniFileHandle handle, const WString& key, std::int32_t index) override
    {
        return m_proxy->RemoveArrayItem(handle, key, index);
    }

    QKRESULT SaveAllFiles(std::vector<NString>* failedPaths = nullptr) { return m_proxy->SaveAllFiles(failedPaths); }
    void SetNoticeSink(CIniFileManagerProxy::NoticeSink sink) { m_proxy->SetNoticeSink(std::move(sink)); }

private:
    LIniFileManager() = default;

    std::unique_ptr<CIniFileManagerProxy> m_proxy = std::make_unique<CIniFileManagerProxy>();
};

} // namespace QK
