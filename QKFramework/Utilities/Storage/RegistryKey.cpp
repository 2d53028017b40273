#include "QKFramework/Utilities/Storage/RegistryKey.h"

#include <new>
#include <vector>

namespace QK
{

namespace
{

RegistryRoot RootOf(std::int32_t selector)
{
    switch (selector)
    {
    case LRegistryKey::kClassesRoot:
        return RegistryRoot::ClassesRoot;
    case LRegistryKey::kCurrentUser:
        return RegistryRoot::CurrentUser;
    case LRegistryKey::kLocalMachine:
        return RegistryRoot::LocalMachine;
    case LRegistryKey::kUsers:
        return RegistryRoot::Users;
    default:
        return RegistryRoot::Invalid;
    }
}

// UTF-16 little-endian bytes up to the first NUL unit or the end of the bytes, whichever
// comes first: a text stored without its terminator ends with its value.
WString TextOfValue(const std::vector<std::uint8_t>& data)
{
    std::u16string units;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
    {
        const char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == 0)
            break;
        units.push_back(unit);
    }
    return WString(units.c_str());
}

} // namespace

class LRegistryKey::OperationScope
{
public:
    explicit OperationScope(const LRegistryKey& key) : m_key(key), m_wasOpen(key.m_key != nullptr)
    {
        if (!m_wasOpen)
            m_key.Open();
    }
    ~OperationScope()
    {
        if (!m_wasOpen)
            m_key.m_key.reset();
    }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;

    IRegistryKeyHandle* Handle() const { return m_key.m_key.get(); }

private:
    const LRegistryKey& m_key;
    bool m_wasOpen;
};

LRegistryKey::LRegistryKey(std::int32_t root, const WString& path, std::uint32_t view64)
    : m_root(root), m_path(path), m_view64(view64)
{
}

LRegistryKey::~LRegistryKey() = default;

ConstRCPtr<LRegistryKey> LRegistryKey::Create(std::int32_t root, const WString& path, std::uint32_t view64)
{
    LRegistryKey* key = new (std::nothrow) LRegistryKey(root, path, view64);
    if (!key)
        ThrowBadAlloc();
    return ConstRCPtr<LRegistryKey>(key);
}

QKRESULT LRegistryKey::Open() const
{
    MutexLock lock(m_lock);
    if (m_key)
        return QK_FALSE;
    m_key = GetRegistryStore().OpenKey(RootOf(m_root), m_path, m_view64 != 0);
    return m_key ? QK_OK : QK_E_FAIL;
}

bool LRegistryKey::IsOpen() const
{
    MutexLock lock(m_lock);
    return m_key != nullptr;
}

QKRESULT LRegistryKey::GetValue(const WString& name, VariantEx& value) const
{
    MutexLock lock(m_lock);
    OperationScope scope(*this);
    if (!scope.Handle())
        return QK_E_FAIL;
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
    if (!scope.Handle()->QueryValue(name, type, data))
        return QK_E_FAIL;

    if (type == kRegistryString || type == kRegistryExpandString)
    {
        value.SetString(NString(TextOfValue(data).GetString()));
        return QK_OK;
    }
    // Read aside, so that a value that is not a readable record leaves value as it was.
    VariantEx read;
    if (data.size() > UINT32_MAX ||
        Failed(VariantEx::Deserialize(read, data.data(), static_cast<std::uint32_t>(data.size()))))
        return QK_E_FAIL;
    value = read;
    return QK_OK;
}

QKRESULT LRegistryKey::GetSubKeyNames(StringArray& names) const
{
    MutexLock lock(m_lock);
    OperationScope scope(*this);
    if (!scope.Handle())
        return QK_E_FAIL;
    std::uint32_t count = 0;
    if (!scope.Handle()->QuerySubKeyCount(count))
        return QK_E_FAIL;
    names.RemoveAll();
    if (Failed(names.SetCount(count)))
        return QK_E_FAIL;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        if (!scope.Handle()->EnumSubKey(i, *names.GetAt(i)))
            return QK_E_FAIL;
    }
    return QK_OK;
}

ConstRCPtr<LRegistryKey> LRegistryKey::GetSubKey(const WString& name) const
{
    MutexLock lock(m_lock);
    StringArray names;
    if (Failed(GetSubKeyNames(names)) || names.Find(name, false) < 0)
        return nullptr;
    // Below a root key the sub-key's path is its name alone.
    const WString path = m_path.IsEmpty() ? name : m_path + WString(u"\\") + name;
    return Create(m_root, path, m_view64);
}

} // namespace QK
