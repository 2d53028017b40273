// libFuzzer target for the value-record reader: the input is read as one record and, from
// its first byte on, as the block of a list that is walked, read item by item and shown.
#include "QKFramework/Utilities/Storage/VariantEx.h"
#include "tests/fuzz/FuzzCheck.h"

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
    for (std::uint32_t i = 0; i <= count; ++i)
    {
        QK::VariantEx item;
        const QK::QKRESULT result = list.GetListItem(i, item);
        FUZZ_CHECK(result == QK::QK_OK || result == -1);
        FUZZ_CHECK(i < count || result == -1);
    }
    list.ToString();
    return 0;
}
