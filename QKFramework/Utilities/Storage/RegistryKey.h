// LRegistryKey: reads one key of the registry (the platform's key store): its named values,
// the names of its sub-keys, and its sub-keys as keys of their own. Nothing is written.
//
// Every operation opens the key when it is not open and closes it again before it returns,
// also when an exception leaves it; a key opened by its owner with Open stays open until
// the key is destroyed. A lock serialises the operations on one key, which may therefore
// be used from several threads; separate keys share nothing. Failures are results, never
// exceptions.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/RegistryStore.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include <cstdint>
#include <memory>

namespace QK
{

class LRegistryKey : public virtual LRefCountedObject
{
public:
    // Root selectors.
    static constexpr std::int32_t kClassesRoot = 0;
    static constexpr std::int32_t kCurrentUser = 1;
    static constexpr std::int32_t kLocalMachine = 2;
    static constexpr std::int32_t kUsers = 3;

    // Stores the key's place; nothing is opened yet. A root selector other than 0 to 3
    // makes every operation fail. view64 asks for the 64-bit registry view.
    LRegistryKey(std::int32_t root, const WString& path, std::uint32_t view64 = 0);
    ~LRegistryKey() override;

    static ConstRCPtr<LRegistryKey> Create(std::int32_t root, const WString& path, std::uint32_t view64 = 0);

    // 1 when already open; else 0 when the key could be opened, 0x80004005 when not.
    QKRESULT Open() const;
    bool IsOpen() const;

    // Reads the value called name. A text (plain or expandable) becomes the narrow-text
    // kind; any other value is read as a value record. 0, or 0x80004005 when the key
    // cannot be opened, the value does not exist or cannot be read; value is then unchanged.
    QKRESULT GetValue(const WString& name, VariantEx& value) const;
    // The names of the sub-keys. 0, or 0x80004005 when the key cannot be opened or the
    // sub-keys cannot be counted (names unchanged then) or a name cannot be read (the
    // names read so far stay, the rest are empty).
    QKRESULT GetSubKeyNames(StringArray& names) const;
    // The sub-key called name (ignoring case), whose path ends with name as given; empty
    // when the key cannot be opened or listed, or has no such sub-key.
    ConstRCPtr<LRegistryKey> GetSubKey(const WString& name) const;

    std::int32_t GetRoot() const noexcept { return m_root; }
    const WString& GetPath() const noexcept { return m_path; }

private:
    // Opens the key for one operation and closes it again at the end unless it was open.
    class OperationScope;

    // Null while the key is not open.
    mutable std::unique_ptr<IRegistryKeyHandle> m_key;
    std::int32_t m_root;
    WString m_path;
    std::uint32_t m_view64;
    mutable Mutex m_lock;
};

} // namespace QK
