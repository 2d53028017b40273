#include "QKFramework/Utilities/Storage/ParamValues.h"

#include <vector>

namespace QK
{

namespace
{
// Results of reading a malformed parameter list.
constexpr QKRESULT kBadList = -4;
constexpr QKRESULT kBadItem = -7;

// The most bytes a list block may take.
constexpr std::uint64_t kMaxListBytes = 0x7FFFFFFFu;

Variant Int32Value(std::int32_t number)
{
    Variant value;
    value.SetData(kVariantInt32, &number, sizeof(number));
    return value;
}

QKRESULT MakeList(Variant& list, std::initializer_list<const Variant*> items)
{
    return list.SetList(items.begin(), static_cast<std::uint32_t>(items.size()));
}
} // namespace

ParamValues::ParamValues()
{
    SetList(static_cast<const Variant*>(nullptr), 0);
}

QKRESULT ParamValues::SetSingle(const ParamDescriptor& descriptor, const Variant& value)
{
    const Variant id = Int32Value(descriptor.id);
    Variant item;
    const QKRESULT result = MakeList(item, {&value, &id, &descriptor.descriptor});
    if (Failed(result))
        return result;
    return SetList(&item, 1);
}

QKRESULT ParamValues::GetAt(std::uint32_t index, Variant& value, std::int32_t& id, Variant& descriptor) const
{
    value.Clear();
    id = kNoParamID;
    if (GetKind() != kVariantList || GetLength() < 5 || index >= GetListCount())
        return kBadList;
    Variant item;
    if (GetListItem(index, item) != QK_OK || item.GetKind() != kVariantList || item.GetListCount() != 3)
        return kBadItem;
    Variant idValue;
    item.GetListItem(0, value);
    item.GetListItem(1, idValue);
    item.GetListItem(2, descriptor);
    id = idValue.ToInt32();
    return QK_OK;
}

ParamDescriptors::ParamDescriptors(const ParamRange& range)
{
    ParamRanges ranges;
    ranges.SetRanges(&range, 1);

    // One item holds the record of a 32-bit id and of an empty descriptor.
    constexpr std::uint64_t kItemBytes = kValueRecordHeaderSize + (kValueRecordHeaderSize + 4) + kValueRecordHeaderSize;
    std::vector<Variant> items;
    const Variant emptyDescriptor;
    for (std::uint32_t r = 0; r < ranges.GetListCount(); ++r)
    {
        Variant pair;
        Variant first;
        Variant count;
        if (ranges.GetListItem(r, pair) != QK_OK || pair.GetListItem(0, first) != QK_OK ||
            pair.GetListItem(1, count) != QK_OK || count.ToInt32() <= 0)
            continue;
        const auto n = static_cast<std::uint32_t>(count.ToInt32());
        if ((items.size() + n) * kItemBytes > kMaxListBytes)
        {
            items.clear();
            break;
        }
        const auto firstId = static_cast<std::uint32_t>(first.ToInt32());
        for (std::uint32_t i = 0; i < n; ++i)
        {
            const Variant id = Int32Value(static_cast<std::int32_t>(firstId + i));
            items.emplace_back();
            MakeList(items.back(), {&id, &emptyDescriptor});
        }
    }
    SetList(items.data(), static_cast<std::uint32_t>(items.size()));
}

QKRESULT ParamRanges::SetRanges(const ParamRange* ranges, std::uint32_t count)
{
    if (!ranges || count == 0)
        return kBadList;
    std::vector<Variant> items(count);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const Variant first = Int32Value(ranges[i].first);
        const Variant number = Int32Value(ranges[i].count);
        const QKRESULT result = MakeList(items[i], {&first, &number});
        if (Failed(result))
            return result;
    }
    return SetList(items.data(), count);
}

} // namespace QK
