#include "DeviceControl/GeneratedCode/Engine/Inc/ParamCache.h"

#include "QKFramework/Utilities/Storage/VariantOrder.h"

#include <vector>

namespace QK
{

namespace
{
// Results of reading a level of a value tree.
constexpr QKRESULT kNotAList = -4;
constexpr QKRESULT kNotAnEntry = -7;

struct Entry
{
    Variant value;
    std::int32_t id = -1;
    Variant descriptor;
};

// Entries sort by id as unsigned, then by descriptor.
bool IsEntryBefore(const Entry& entry, std::int32_t id, const Variant& descriptor)
{
    const auto entryId = static_cast<std::uint32_t>(entry.id);
    const auto key = static_cast<std::uint32_t>(id);
    if (entryId != key)
        return entryId < key;
    return IsVariantLess(entry.descriptor, descriptor);
}

// One level of a tree: an empty value is an empty level; anything else must be a list of
// three-record lists whose second record is a 32-bit id.
QKRESULT ReadLevel(const Variant& level, std::vector<Entry>& entries)
{
    entries.clear();
    if (level.GetKind() == kVariantEmpty)
        return QK_OK;
    if (level.GetKind() != kVariantList)
        return kNotAList;
    const std::uint32_t count = level.GetListCount();
    entries.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        Variant item;
        Variant id;
        Entry entry;
        if (level.GetListItem(i, item) != QK_OK || item.GetKind() != kVariantList || item.GetListCount() != 3 ||
            item.GetListItem(0, entry.value) != QK_OK || item.GetListItem(1, id) != QK_OK ||
            id.GetKind() != kVariantInt32 || item.GetListItem(2, entry.descriptor) != QK_OK)
            return kNotAnEntry;
        entry.id = id.ToInt32();
        entries.push_back(std::move(entry));
    }
    return QK_OK;
}

QKRESULT WriteLevel(const std::vector<Entry>& entries, Variant& level)
{
    std::vector<Variant> items(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        Variant id;
        id.SetData(kVariantInt32, &entries[i].id, sizeof(entries[i].id));
        const Variant* records[] = {&entries[i].value, &id, &entries[i].descriptor};
        const QKRESULT result = items[i].SetList(records, 3);
        if (Failed(result))
            return result;
    }
    return level.SetList(items.data(), static_cast<std::uint32_t>(items.size()));
}

// Where the entry (id, descriptor) is, or would be inserted; found tells which.
std::size_t FindEntry(const std::vector<Entry>& entries, std::int32_t id, const Variant& descriptor, bool& found)
{
    std::size_t low = 0;
    std::size_t high = entries.size();
    while (low < high)
    {
        const std::size_t middle = low + (high - low) / 2;
        if (IsEntryBefore(entries[middle], id, descriptor))
            low = middle + 1;
        else
            high = middle;
    }
    found = low < entries.size() && entries[low].id == id && entries[low].descriptor.IsEqual(descriptor);
    return low;
}

// Stores value as the entry (id, descriptor), or removes the entry for an empty value.
// 0 when the level changed, 1 when it did not.
QKRESULT PutEntry(std::vector<Entry>& entries, std::int32_t id, const Variant& descriptor, const Variant& value)
{
    bool found = false;
    const std::size_t at = FindEntry(entries, id, descriptor, found);
    if (value.GetKind() == kVariantEmpty)
    {
        if (!found)
            return QK_FALSE;
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(at));
        return QK_OK;
    }
    if (found)
    {
        if (entries[at].value.IsEqual(value))
            return QK_FALSE;
        entries[at].value = value;
        return QK_OK;
    }
    Entry entry;
    entry.value = value;
    entry.id = id;
    entry.descriptor = descriptor;
    entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    return QK_OK;
}

bool IsValidPathItem(const Variant& item)
{
    switch (item.GetKind())
    {
    case kVariantEmpty:
    case kVariantWritableReference:
    case kVariantReadOnlyReference:
        return false;
    case kVariantList:
        return item.GetListCount() != 0;
    default:
        return true;
    }
}

// The path a descriptor names: the items of a list, else the descriptor itself.
bool BuildPath(const Variant& descriptor, std::vector<Variant>& path)
{
    path.clear();
    if (descriptor.GetKind() == kVariantList)
    {
        const std::uint32_t count = descriptor.GetListCount();
        path.resize(count);
        for (std::uint32_t i = 0; i < count; ++i)
            if (descriptor.GetListItem(i, path[i]) != QK_OK)
                return false;
    }
    else
    {
        path.push_back(descriptor);
    }
    if (path.empty())
        return false;
    for (const Variant& item : path)
        if (!IsValidPathItem(item))
            return false;
    return true;
}

// The value at entry (id, descriptor) of a level; empty when absent.
Variant EntryValue(const std::vector<Entry>& entries, std::int32_t id, const Variant& descriptor)
{
    bool found = false;
    const std::size_t at = FindEntry(entries, id, descriptor, found);
    return found ? entries[at].value : Variant();
}
} // namespace

LParamCache::LParamCache(std::uint32_t slotCount)
    : m_slotCount(slotCount), m_slots(std::make_unique<Variant[]>(slotCount))
{
}

QKRESULT LParamCache::SetValue(const ParamDescriptor& descriptor, const Variant& value, bool notify)
{
    const auto index = static_cast<std::uint32_t>(descriptor.id);
    if (index >= m_slotCount)
        return -1;
    LockWordGuard guard(m_lock);
    QKRESULT result = QK_FALSE;
    if (descriptor.descriptor.GetKind() == kVariantEmpty)
    {
        if (!m_slots[index].IsEqual(value))
        {
            m_slots[index] = value;
            result = QK_OK;
        }
    }
    else
    {
        result = SetAtPath(index, descriptor, value);
    }
    if (result == QK_OK && notify)
        OnValueChanged(index, m_slots[index]);
    return result;
}

QKRESULT LParamCache::GetValue(const ParamDescriptor& descriptor, Variant& value)
{
    value.Clear();
    const auto index = static_cast<std::uint32_t>(descriptor.id);
    if (index >= m_slotCount)
        return -1;
    LockWordGuard guard(m_lock);
    if (descriptor.descriptor.GetKind() == kVariantEmpty)
    {
        value = m_slots[index];
        return QK_OK;
    }
    return GetAtPath(index, descriptor, value);
}

void LParamCache::Prepare(std::int32_t) {}

QKRESULT LParamCache::OnValueChanged(std::uint32_t, const Variant&)
{
    return QK_E_NOTIMPL;
}

// A slot that does not hold a tree is taken as an empty one; it is replaced only when the
// store changes something, so a store that answers "unchanged" leaves the slot as it was.
QKRESULT LParamCache::SetAtPath(std::uint32_t index, const ParamDescriptor& descriptor, const Variant& value)
{
    std::vector<Variant> path;
    if (!BuildPath(descriptor.descriptor, path))
        return -1;
    const std::int32_t id = descriptor.id;
    const std::size_t depth = path.size();

    // levels[k] holds the entries of level k, from the slot (level 0) down to the last.
    std::vector<std::vector<Entry>> levels(depth);
    if (Failed(ReadLevel(m_slots[index], levels[0])))
        levels[0].clear();
    for (std::size_t k = 0; k + 1 < depth; ++k)
        if (Failed(ReadLevel(EntryValue(levels[k], id, path[k]), levels[k + 1])))
            return -1;

    const QKRESULT put = PutEntry(levels[depth - 1], id, path[depth - 1], value);
    if (put != QK_OK)
        return put;

    // Every level on the path changed: write each one into its parent's entry, deepest first.
    Variant written;
    if (Failed(WriteLevel(levels[depth - 1], written)))
        return -1;
    for (std::size_t k = depth - 1; k-- > 0;)
    {
        PutEntry(levels[k], id, path[k], written);
        if (Failed(WriteLevel(levels[k], written)))
            return -1;
    }
    m_slots[index] = written;
    return QK_OK;
}

QKRESULT LParamCache::GetAtPath(std::uint32_t index, const ParamDescriptor& descriptor, Variant& value)
{
    std::vector<Variant> path;
    std::vector<Entry> level;
    if (!BuildPath(descriptor.descriptor, path) || Failed(ReadLevel(m_slots[index], level)))
        return -1;
    const std::int32_t id = descriptor.id;
    for (std::size_t k = 0; k + 1 < path.size(); ++k)
    {
        const QKRESULT read = ReadLevel(EntryValue(level, id, path[k]), level);
        if (Failed(read))
            return read;
    }
    bool found = false;
    const std::size_t at = FindEntry(level, id, path.back(), found);
    if (!found)
        return QK_FALSE;
    value = level[at].value;
    return QK_OK;
}

} // namespace QK
