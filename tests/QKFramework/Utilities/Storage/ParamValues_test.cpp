// The parameter records and lists: their item layout on the wire and their readers.

#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

using namespace QK;

std::vector<std::uint8_t> BlockOf(const Variant& list)
{
    std::uint32_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(list.GetData(size));
    return data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>();
}

Variant Byte(std::uint8_t byte)
{
    Variant value;
    value.SetBytes(&byte, 1);
    return value;
}

TEST(ParamValues, DefaultIsAnEmptyList)
{
    const ParamValues values;
    EXPECT_EQ(values.GetKind(), kVariantList);
    EXPECT_EQ(values.GetLength(), 0u);
    EXPECT_EQ(values.GetListCount(), 0u);
    Variant value = Byte(1);
    std::int32_t id = 9;
    Variant descriptor;
    EXPECT_EQ(values.GetAt(0, value, id, descriptor), -4);
    EXPECT_EQ(id, -1);
    EXPECT_EQ(value.GetKind(), kVariantEmpty);

    Array<ParamValue> records;
    records.SetCount(2);
    EXPECT_EQ(records.GetAt(1)->id, -1);
    EXPECT_EQ(records.GetAt(1)->descriptor.GetKind(), kVariantEmpty);
    EXPECT_EQ(records.GetAt(1)->value.GetKind(), kVariantEmpty);
}

// The item is (value, id, descriptor): its records are what the device-control library and
// stored preset lists read.
TEST(ParamValues, SetSingleWritesOneItemOfValueIdAndDescriptor)
{
    ParamValues values;
    ParamDescriptor first(1);
    values.SetSingle(first, Byte(1));
    ASSERT_EQ(values.SetSingle(ParamDescriptor(5), Byte(0x20)), 0);
    const std::vector<std::uint8_t> expected = {
        53, 0, 0, 0, 1, 0, 0, 0, 16, 0, 0, 0,     // the item: a list
        13, 0, 0, 0, 1, 0, 0, 0, 14, 0, 0, 0, 0x20, // value: one byte
        16, 0, 0, 0, 1, 0, 0, 0, 6, 0, 0, 0, 5, 0, 0, 0, // id: 32-bit 5
        12, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0,      // descriptor: empty
    };
    EXPECT_EQ(BlockOf(values), expected);
    ASSERT_EQ(values.GetListCount(), 1u);

    Variant value;
    std::int32_t id = 0;
    Variant descriptor = Byte(9);
    ASSERT_EQ(values.GetAt(0, value, id, descriptor), 0);
    EXPECT_EQ(value.GetKind(), kVariantBytes);
    EXPECT_EQ(value.GetLength(), 1u);
    EXPECT_EQ(value.ToInt32(), 0x20);
    EXPECT_EQ(id, 5);
    EXPECT_EQ(descriptor.GetKind(), kVariantEmpty);
    EXPECT_EQ(values.GetAt(1, value, id, descriptor), -4);
    EXPECT_EQ(id, -1);
}

TEST(ParamValues, SetSingleReplacesAListOfSeveralItems)
{
    ParamValues values;
    Variant items[3] = {Byte(1), Byte(2), Byte(3)};
    values.SetList(items, 3);
    ASSERT_EQ(values.GetListCount(), 3u);
    ParamDescriptor descriptor(7);
    descriptor.descriptor = Byte(0x55);
    ASSERT_EQ(values.SetSingle(descriptor, Byte(4)), 0);
    EXPECT_EQ(values.GetListCount(), 1u);
    Variant value;
    Variant readDescriptor;
    std::int32_t id = 0;
    ASSERT_EQ(values.GetAt(0, value, id, readDescriptor), 0);
    EXPECT_EQ(id, 7);
    EXPECT_TRUE(readDescriptor.IsEqual(Byte(0x55)));
}

struct BadList
{
    const char* what;
    Variant content;
    std::uint32_t index;
    QKRESULT expected;
};

TEST(ParamValues, GetAtRefusesWhatIsNotAListOfEntries)
{
    Variant two[2] = {Byte(1), Byte(2)};
    Variant pair;
    pair.SetList(two, 2);
    Variant notEntries;
    notEntries.SetList(two, 2);
    Variant listOfPair;
    listOfPair.SetList(&pair, 1);
    Variant shortList;
    shortList.SetData(kVariantList, "\x05\x00\x00\x00", 4);
    ParamValues good;
    good.SetSingle(ParamDescriptor(3), Byte(1));

    const BadList cases[] = {
        {"empty value", Variant(), 0, -4},
        {"a byte block", Byte(1), 0, -4},
        {"a list of 4 bytes", shortList, 0, -4},
        {"an item that is not a list", notEntries, 0, -7},
        {"an item of two entries", listOfPair, 0, -7},
        {"past the last item", good, 1, -4},
    };
    for (const BadList& c : cases)
    {
        SCOPED_TRACE(c.what);
        ParamValues values;
        static_cast<Variant&>(values) = c.content;
        Variant value = Byte(1);
        std::int32_t id = 42;
        Variant descriptor;
        EXPECT_EQ(values.GetAt(c.index, value, id, descriptor), c.expected);
        EXPECT_EQ(id, -1);
        EXPECT_EQ(value.GetKind(), kVariantEmpty);
    }
}

TEST(ParamRanges, SetRangesWritesOnePairPerRange)
{
    ParamRanges ranges;
    const ParamRange pairs[] = {{0, 79}, {-8, 1}};
    ASSERT_EQ(ranges.SetRanges(pairs, 2), 0);
    ASSERT_EQ(ranges.GetListCount(), 2u);
    for (std::uint32_t i = 0; i < 2; ++i)
    {
        Variant item;
        Variant first;
        Variant count;
        ASSERT_EQ(ranges.GetListItem(i, item), 0);
        ASSERT_EQ(item.GetListCount(), 2u);
        item.GetListItem(0, first);
        item.GetListItem(1, count);
        EXPECT_EQ(first.GetKind(), kVariantInt32);
        EXPECT_EQ(first.ToInt32(), pairs[i].first);
        EXPECT_EQ(count.GetKind(), kVariantInt32);
        EXPECT_EQ(count.ToInt32(), pairs[i].count);
    }

    const std::vector<std::uint8_t> before = BlockOf(ranges);
    EXPECT_EQ(ranges.SetRanges(pairs, 0), -4);
    EXPECT_EQ(ranges.SetRanges(nullptr, 2), -4);
    EXPECT_EQ(BlockOf(ranges), before);
}

TEST(ParamDescriptors, ARangeExpandsToOneDescriptorPerId)
{
    const ParamDescriptors all(ParamRange{0, 79});
    ASSERT_EQ(all.GetListCount(), 79u);
    for (std::uint32_t i = 0; i < 79; ++i)
    {
        Variant item;
        Variant id;
        Variant descriptor = Byte(1);
        ASSERT_EQ(all.GetListItem(i, item), 0);
        ASSERT_EQ(item.GetListCount(), 2u);
        item.GetListItem(0, id);
        item.GetListItem(1, descriptor);
        EXPECT_EQ(id.GetKind(), kVariantInt32);
        EXPECT_EQ(id.ToInt32(), static_cast<std::int32_t>(i));
        EXPECT_EQ(descriptor.GetKind(), kVariantEmpty);
    }
    EXPECT_EQ(ParamDescriptors(ParamRange{-10, 3}).GetListCount(), 3u);
    EXPECT_EQ(ParamDescriptors(ParamRange{5, 0}).GetListCount(), 0u);
    EXPECT_EQ(ParamDescriptors(ParamRange{5, -3}).GetListCount(), 0u);
    // A range whose list could not be held gives no items instead of exhausting memory.
    EXPECT_EQ(ParamDescriptors(ParamRange{0, 0x7FFFFFFF}).GetListCount(), 0u);
}

TEST(ParamDescriptor, CopiesOwnTheirDescriptor)
{
    ParamValue original;
    original.id = 4;
    original.descriptor = Byte(1);
    original.value = Byte(2);
    ParamValue copy = original;
    original.descriptor = Byte(3);
    original.value.Clear();
    EXPECT_EQ(copy.id, 4);
    EXPECT_TRUE(copy.descriptor.IsEqual(Byte(1)));
    EXPECT_TRUE(copy.value.IsEqual(Byte(2)));
    const ParamDescriptor& asDescriptor = copy;
    EXPECT_EQ(asDescriptor.id, 4);
}

} // namespace
