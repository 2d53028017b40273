#include "QKFramework/Notification/NotificationId.h"

#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

namespace
{

// Both live until the process ends: an interned name must outlive every id handed out,
// and objects destroyed by exit handlers may still release notifications.
StringArrayT<char16_t, char>& Table()
{
    static auto* const table = new StringArrayT<char16_t, char>();
    return *table;
}

const char16_t* AsText(NID id) noexcept
{
    return reinterpret_cast<const char16_t*>(id);
}

NID AsId(const char16_t* text) noexcept
{
    return reinterpret_cast<NID>(text);
}

} // namespace

Mutex& GetNidRegistryLock()
{
    static auto* const lock = new Mutex();
    return *lock;
}

const StringArrayT<char16_t, char>& GetNotificationIdNames()
{
    return Table();
}

NotificationName::NotificationName(const WString& name) noexcept : m_name(name.GetString()) {}

NID GetNotificationId(NotificationName name)
{
    if (name.IsId())
    {
        if (name.GetIdValue() == 0)
            return 0;
        MutexLock lock(GetNidRegistryLock());
        return Table().FindData(AsText(name.GetIdValue())) >= 0 ? name.GetIdValue() : 0;
    }

    const char16_t* text = name.GetText();
    if (!text || *text == 0)
        return 0;

    MutexLock lock(GetNidRegistryLock());
    StringArrayT<char16_t, char>& table = Table();
    std::int32_t index = table.FindData(text);
    if (index < 0)
    {
        const WString copy(text);
        index = table.Find(copy, true);
        if (index < 0)
        {
            table.Add(copy);
            index = static_cast<std::int32_t>(table.GetCount() - 1);
        }
    }
    return AsId(table.GetAt(static_cast<std::uint32_t>(index))->GetString());
}

WString GetNotificationName(NID id)
{
    if (id == 0)
        return WString();
    MutexLock lock(GetNidRegistryLock());
    const StringArrayT<char16_t, char>& table = Table();
    const std::int32_t index = table.FindData(AsText(id));
    return index < 0 ? WString() : *table.GetAt(static_cast<std::uint32_t>(index));
}

} // namespace QK
