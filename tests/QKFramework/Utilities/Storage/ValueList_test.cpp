// Lists of values: a block of records laid end to end, as parameter lists travel.
#include "QKFramework/Utilities/Storage/ParamValues.h"
#include "QKFramework/Utilities/Storage/Variant.h"
#include "tests/support/ValueRecords.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

Bytes Join(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(ValueListTest, ItemsComeBackInOrder)
{
    Variant items[4];
    items[0] = Make(kVariantInt32, {5, 0, 0, 0});
    items[1].SetString("name");
    items[2] = Make(kVariantBytes, {1, 2, 3});
    Variant nested;
    nested.SetList(items, 2);
    items[3] = nested;

    Variant list;
    ASSERT_EQ(list.SetList(items, 4), QK_OK);
    EXPECT_EQ(list.GetKind(), kVariantList);
    EXPECT_EQ(list.GetListCount(), 4u);
    for (std::uint32_t i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        Variant item;
        ASSERT_EQ(list.GetListItem(i, item), QK_OK);
        EXPECT_TRUE(item.IsEqual(items[i]));
    }
    Variant inner;
    ASSERT_EQ(list.GetListItem(3, inner), QK_OK);
    EXPECT_EQ(inner.GetListCount(), 2u);

    // The pointer form writes the same block.
    const Variant* pointers[] = {&items[0], &items[1], &items[2], &items[3]};
    Variant fromPointers;
    ASSERT_EQ(fromPointers.SetList(pointers, 4), QK_OK);
    EXPECT_TRUE(fromPointers.IsEqual(list));
}

TEST(ValueListTest, AnIndexPastTheEndOrANonListGivesMinusOneAndAnEmptyValue)
{
    Variant items[2];
    items[0] = Make(kVariantInt8, {1});
    items[1] = Make(kVariantInt8, {2});
    Variant list;
    list.SetList(items, 2);

    Variant out;
    out.SetString("previous");
    EXPECT_EQ(list.GetListItem(2, out), -1);
    EXPECT_EQ(out.GetKind(), kVariantEmpty);
    EXPECT_EQ(list.GetListItem(0xFFFFFFFFu, out), -1);

    out.SetString("previous");
    EXPECT_EQ(items[0].GetListItem(0, out), -1);
    EXPECT_EQ(out.GetKind(), kVariantEmpty);
    EXPECT_EQ(items[0].GetListCount(), 0u);

    Variant empty;
    empty.SetList(items, 0);
    EXPECT_EQ(empty.GetKind(), kVariantList);
    EXPECT_EQ(empty.GetLength(), 0u);
    EXPECT_EQ(empty.GetListCount(), 0u);
    EXPECT_EQ(empty.GetListItem(0, out), -1);
}

TEST(ValueListTest, AReferenceWithoutDataIsWrittenAsAnEmptyRecord)
{
    Variant items[3];
    items[0] = Make(kVariantInt8, {7});
    items[1].SetReadOnlyReference(nullptr, 4);
    items[2] = Make(kVariantInt8, {8});
    Variant list;
    ASSERT_EQ(list.SetList(items, 3), QK_OK);
    EXPECT_EQ(DataOf(list), Join({Record(13, 1, kVariantInt8, {7}), Record(12, 1, kVariantEmpty),
                                  Record(13, 1, kVariantInt8, {8})}));
    Variant item;
    EXPECT_EQ(list.GetListItem(2, item), QK_OK);
    EXPECT_EQ(item.ToInt32(), 8);

    const Variant* withNull[] = {&items[0], nullptr};
    ASSERT_EQ(list.SetList(withNull, 2), QK_OK);
    EXPECT_EQ(DataOf(list), Join({Record(13, 1, kVariantInt8, {7}), Record(12, 1, kVariantEmpty)}));
    EXPECT_EQ(list.SetList(static_cast<const Variant* const*>(nullptr), 1), QK_E_INVALIDARG);
}

TEST(ValueListTest, AReferenceItemArrivesAsItsBytes)
{
    const std::uint8_t bytes[] = {4, 5, 6};
    Variant reference;
    reference.SetReadOnlyReference(bytes, 3);
    Variant list;
    list.SetList(&reference, 1);
    Variant item;
    EXPECT_EQ(list.GetListItem(0, item), QK_OK);
    EXPECT_EQ(item.GetKind(), kVariantBytes);
    EXPECT_EQ(DataOf(item), (Bytes{4, 5, 6}));
}

TEST(ValueListTest, AnUnreadableItemGivesMinusOne)
{
    // The middle record is a 32-bit value with three bytes.
    const Bytes block = Join({Record(13, 1, kVariantInt8, {1}), Record(15, 1, kVariantInt32, {1, 2, 3}),
                              Record(13, 1, kVariantInt8, {3})});
    Variant list = Make(kVariantList, block);
    EXPECT_EQ(list.GetListCount(), 3u);
    Variant item;
    EXPECT_EQ(list.GetListItem(1, item), -1);
    EXPECT_EQ(item.GetKind(), kVariantEmpty);
    EXPECT_EQ(list.GetListItem(2, item), QK_OK);
    EXPECT_EQ(item.ToInt32(), 3);
}

TEST(ValueListTest, AListMayContainItselfAndBeReadIntoItself)
{
    Variant items[2];
    items[0] = Make(kVariantInt8, {1});
    items[0].SetList(items, 2);
    ASSERT_EQ(items[0].GetKind(), kVariantList);
    EXPECT_EQ(items[0].GetListCount(), 2u);
    Variant inner;
    ASSERT_EQ(items[0].GetListItem(0, inner), QK_OK);
    EXPECT_EQ(inner.ToInt32(), 1) << "the list holds the value it had before";

    Variant list = items[0];
    ASSERT_EQ(list.GetListItem(0, list), QK_OK);
    EXPECT_EQ(list.ToInt32(), 1);
}

TEST(ValueListTest, SeventyNineParameterValuesSurviveTheirBytes)
{
    // One byte block per parameter, as a preset's parameter list carries them.
    std::vector<Variant> parameters(79);
    for (std::uint32_t i = 0; i < parameters.size(); ++i)
    {
        Bytes data;
        for (std::uint32_t j = 0; j <= i % 5; ++j)
            data.push_back(static_cast<std::uint8_t>(i * 7 + j));
        parameters[i].SetBytes(data.data(), static_cast<std::uint32_t>(data.size()));
    }
    ParamValues values;
    ASSERT_EQ(values.SetList(parameters.data(), static_cast<std::uint32_t>(parameters.size())), QK_OK);

    // Through the list's own record, as a preset file or the device library hands it on.
    Bytes record(values.GetLength() + 12);
    ASSERT_EQ(Variant::Serialize(values, record.data(), static_cast<std::uint32_t>(record.size())),
              static_cast<QKRESULT>(record.size()));
    ParamValues copy;
    ASSERT_EQ(Variant::Deserialize(copy, record.data(), static_cast<std::uint32_t>(record.size())), QK_OK);
    EXPECT_TRUE(copy.IsEqual(values));

    // And through the bare block.
    ParamValues fromBlock;
    const Bytes block = DataOf(values);
    ASSERT_EQ(fromBlock.SetData(kVariantList, block.data(), static_cast<std::uint32_t>(block.size())), kVariantList);

    for (const ParamValues* list : {&copy, &fromBlock})
    {
        ASSERT_EQ(list->GetListCount(), 79u);
        for (std::uint32_t i = 0; i < 79; ++i)
        {
            SCOPED_TRACE(i);
            Variant item;
            ASSERT_EQ(list->GetListItem(i, item), QK_OK);
            EXPECT_EQ(item.GetKind(), kVariantBytes);
            EXPECT_EQ(DataOf(item), DataOf(parameters[i]));
        }
    }
    ParamValues assigned;
    assigned = copy;
    EXPECT_TRUE(assigned.IsEqual(values));
}

} // namespace
} // namespace QK
