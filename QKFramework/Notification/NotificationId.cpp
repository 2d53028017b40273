#include "QKFramework/Notification/NotificationId.h"

#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <string_view>
#include <unordered_map>

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

// Where each interned name stands in the table, by its id and by its text, so that finding
// one does not walk a table that may hold any number of names (a string table's bindings
// name notifications of their own). The views look at the interned copies, which never
// change or go.
struct TableIndex
{
    std::unordered_map<NID, std::uint32_t> byId;
    std::unordered_map<std::u16string_view, std::uint32_t> byName;
};

TableIndex& Index()
{
    static auto* const index = new TableIndex();
    return *index;
}

NID AsId(const char16_t* text) noexcept
{
    return reinterpret_cast<NID>(text);
}

// The index of the interned name with that id, or -1.
std::int32_t FindId(NID id)
{
    const auto found = Index().byId.find(id);
    return found == Index().byId.end() ? -1 : static_cast<std::int32_t>(found->second);
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
        return FindId(name.GetIdValue()) >= 0 ? name.GetIdValue() : 0;
    }

    const char16_t* text = name.GetText();
    if (!text || *text == 0)
        return 0;

    MutexLock lock(GetNidRegistryLock());
    StringArrayT<char16_t, char>& table = Table();
    TableIndex& index = Index();
    if (FindId(AsId(text)) >= 0)
        return AsId(text);
    const auto found = index.byName.find(std::u16string_view(text));
    if (found != index.byName.end())
        return AsId(table.GetAt(found->second)->GetString());
    table.Add(WString(text));
    const auto position = static_cast<std::uint32_t>(table.GetCount() - 1);
    const WString& interned = *table.GetAt(position);
    index.byId.emplace(AsId(interned.GetString()), position);
    index.byName.emplace(std::u16string_view(interned.GetString(), interned.GetLength()), position);
    return AsId(interned.GetString());
}

WString GetNotificationName(NID id)
{
    if (id == 0)
        return WString();
    MutexLock lock(GetNidRegistryLock());
    const std::int32_t index = FindId(id);
    return index < 0 ? WString() : *Table().GetAt(static_cast<std::uint32_t>(index));
}

} // namespace QK
