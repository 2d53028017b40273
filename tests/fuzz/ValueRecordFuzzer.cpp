// libFuzzer target for the value-record reader: the input is read as one record and, from
// its first byte on, as the block of a list that is walked, read item by item (all at once
// and by index) and shown.
#include "QKFramework/Utilities/Storage/VariantEx.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/SameValue.h"

#include <cstddef>
#include <cstdint>
#include <limits>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > std::numeric_limits<std::uint32_t>::max())
        return 0;
    const auto length = static_cast<std::uint32_t>(size);

    QK::VariantEx value;
    const QK::QKRESULT read = QK::VariantEx::Deserialize(value, data, length);
    FUZZ_CHECK(read == QK::QK_OK || read == QK::QK_E_FAIL);
    value.ToString();

    QK::VariantEx list;
    list.SetData(QK::kVariantList, data, length);
    const std::uint32_t count = list.GetListCount();
    // All items in one walk; reading each by its index walks the list from its start, so
    // the first, middle and last ones and those past the end stand for the rest, and must
    // be the items of the walk.
    QK::Array<QK::VariantEx> items;
    FUZZ_CHECK(list.GetListItems(items) == QK::QK_OK);
    FUZZ_CHECK(items.GetCount() == count);
    for (const std::uint32_t i : {0u, 1u, count / 2, count - 1, count, count + 1})
    {
        QK::VariantEx item;
        const QK::QKRESULT result = list.GetListItem(i, item);
        FUZZ_CHECK(result == QK::QK_OK || result == -1);
        FUZZ_CHECK(i < count || result == -1);
        if (i < count)
            FUZZ_CHECK(VediduFuzz::SameValue(item, *items.GetAt(i)));
    }
    list.ToString();
    return 0;
}
