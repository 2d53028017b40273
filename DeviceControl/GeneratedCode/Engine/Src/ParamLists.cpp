#include "DeviceControl/GeneratedCode/Engine/Inc/ParamLists.h"

#include <vector>

namespace QK
{

namespace
{
Variant IdValue(std::int32_t id)
{
    Variant value;
    value.SetData(kVariantInt32, &id, sizeof id);
    return value;
}

// Sets list to the items, each built from its entries; empties list on failure.
template <class Record, class Entries>
QKRESULT MakeList(const Record* records, std::uint32_t count, Variant& list, Entries entries)
{
    if (!records && count != 0)
    {
        list.Clear();
        return QK_E_INVALIDARG;
    }
    std::vector<Variant> items(count);
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const QKRESULT result = entries(records[i], items[i]);
        if (Failed(result))
        {
            list.Clear();
            return result;
        }
    }
    const QKRESULT result = list.SetList(items.data(), count);
    if (Failed(result))
        list.Clear();
    return result;
}
} // namespace

QKRESULT MakeParamDescriptors(const ParamDescriptor* descriptors, std::uint32_t count, ParamDescriptors& list)
{
    return MakeList(descriptors, count, list,
                    [](const ParamDescriptor& descriptor, Variant& item)
                    {
                        const Variant id = IdValue(descriptor.id);
                        const Variant* entries[] = {&id, &descriptor.descriptor};
                        return item.SetList(entries, 2);
                    });
}

QKRESULT MakeParamValues(const ParamValue* values, std::uint32_t count, ParamValues& list)
{
    return MakeList(values, count, list,
                    [](const ParamValue& value, Variant& item)
                    {
                        const Variant id = IdValue(value.id);
                        const Variant* entries[] = {&value.value, &id, &value.descriptor};
                        return item.SetList(entries, 3);
                    });
}

QKRESULT ReadParamDescriptor(const Variant& list, std::uint32_t index, ParamDescriptor& descriptor)
{
    descriptor.id = -1;
    descriptor.descriptor.Clear();
    Variant item;
    Variant id;
    if (Failed(list.GetListItem(index, item)) || item.GetListCount() != 2 || Failed(item.GetListItem(0, id)) ||
        Failed(item.GetListItem(1, descriptor.descriptor)))
    {
        descriptor.descriptor.Clear();
        return -1;
    }
    descriptor.id = id.ToInt32();
    return QK_OK;
}

} // namespace QK
