// Records and lists from outside (files, the device library, SysEx) are untrusted. Every
// block here is held in storage of exactly its size, so that any read past it is an
// AddressSanitizer error; a walk that loops would never finish the test.
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace QK
{
namespace
{

using Bytes = std::vector<std::uint8_t>;

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4 && at + i < bytes.size(); ++i)
        bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

Bytes Record(std::uint32_t size, std::uint32_t codeSpace, std::uint32_t kind, const Bytes& data = {})
{
    Bytes record(12 + data.size());
    PutU32(record, 0, size);
    PutU32(record, 4, codeSpace);
    PutU32(record, 8, kind);
    std::copy(data.begin(), data.end(), record.begin() + 12);
    return record;
}

// A copy on the heap of exactly the given size.
std::unique_ptr<std::uint8_t[]> Exact(const Bytes& bytes, std::size_t size)
{
    std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size ? size : 1]);
    std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size), copy.get());
    return copy;
}

// Reads one record and checks that the outcome is one of the documented ones.
void CheckRecordRead(const std::uint8_t* bytes, std::uint32_t size)
{
    VariantEx value;
    const QKRESULT result = VariantEx::Deserialize(value, bytes, size);
    ASSERT_TRUE(result == QK_OK || result == QK_E_FAIL) << result;
    if (Failed(result))
    {
        EXPECT_TRUE(value.GetKind() == kVariantEmpty || value.GetKind() == kVariantBytes) << value.GetKind();
    }
    value.ToString();
}

// Walks a block as a list in every way a caller can, and checks the answers.
void CheckListWalk(const std::uint8_t* bytes, std::uint32_t size)
{
    VariantEx list;
    ASSERT_EQ(list.SetData(kVariantList, bytes, size), kVariantList);
    const std::uint32_t count = list.GetListCount();
    EXPECT_LE(std::uint64_t{count} * 12, size);
    for (std::uint32_t i = 0; i <= count; ++i)
    {
        VariantEx item;
        const QKRESULT result = list.GetListItem(i, item);
        ASSERT_TRUE(result == QK_OK || result == -1) << result;
        if (i == count)
        {
            EXPECT_EQ(result, -1);
        }
        if (result == -1)
        {
            EXPECT_EQ(item.GetKind(), kVariantEmpty);
        }
    }
    Array<VariantEx> items;
    EXPECT_EQ(list.GetListItems(items), QK_OK);
    EXPECT_EQ(items.GetCount(), count);
    list.ToString();
}

Bytes SampleList()
{
    VariantEx items[5];
    const std::int32_t number = -5;
    items[0].SetData(kVariantInt32, &number, 4);
    items[1].SetString("text");
    const std::uint8_t bytes[] = {1, 2, 3};
    items[2].SetBytes(bytes, 3);
    items[3].SetList(items, 3);
    VariantEx list;
    list.SetList(items, 5);
    Bytes record(list.GetLength() + 12);
    EXPECT_GT(VariantEx::Serialize(list, record.data(), static_cast<std::uint32_t>(record.size())), 0);
    return record;
}

TEST(ValueRecordRobustnessTest, EveryTruncationFailsCleanly)
{
    const Bytes record = SampleList();
    for (std::size_t size = 0; size <= record.size(); ++size)
    {
        SCOPED_TRACE(size);
        const auto exact = Exact(record, size);
        VariantEx value;
        const QKRESULT result = VariantEx::Deserialize(value, exact.get(), static_cast<std::uint32_t>(size));
        EXPECT_EQ(result, size == record.size() ? QK_OK : QK_E_FAIL);
        CheckRecordRead(exact.get(), static_cast<std::uint32_t>(size));

        // The list's block cut short: the items before the cut are still there.
        if (size >= 12)
        {
            const Bytes block(record.begin() + 12, record.begin() + static_cast<std::ptrdiff_t>(size));
            const auto exactBlock = Exact(block, block.size());
            CheckListWalk(exactBlock.get(), static_cast<std::uint32_t>(block.size()));
        }
    }
}

TEST(ValueRecordRobustnessTest, BadSizesEndTheWalk)
{
    const Bytes good = Record(13, 1, kVariantInt8, {1});
    struct
    {
        const char* name;
        Bytes bad;
        // Whether the bad record ends the block; otherwise a good record follows it.
        bool last;
    } const cases[] = {
        {"size 0", Record(0, 1, kVariantInt8, {2}), false},
        {"size 4", Record(4, 1, kVariantInt8, {2}), false},
        {"size 11", Record(11, 1, kVariantInt8, {2}), false},
        {"size past the block", Record(14, 1, kVariantInt8, {2}), true},
        {"size 0xFFFFFFFF", Record(0xFFFFFFFFu, 1, kVariantInt8, {2}), false},
        {"size that wraps the offset", Record(0xFFFFFFF4u, 1, kVariantInt8, {2}), false},
        {"a header cut short", Bytes{13, 0, 0, 0, 1, 0}, true},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Bytes block = good;
        block.insert(block.end(), c.bad.begin(), c.bad.end());
        if (!c.last)
            block.insert(block.end(), good.begin(), good.end());
        const auto exact = Exact(block, block.size());
        VariantEx list;
        list.SetData(kVariantList, exact.get(), static_cast<std::uint32_t>(block.size()));
        EXPECT_EQ(list.GetListCount(), 1u);
        VariantEx item;
        EXPECT_EQ(list.GetListItem(0, item), QK_OK);
        EXPECT_EQ(item.ToInt32(), 1);
        EXPECT_EQ(list.GetListItem(1, item), -1);
        CheckListWalk(exact.get(), static_cast<std::uint32_t>(block.size()));
    }
}

TEST(ValueRecordRobustnessTest, RandomBlocksNeverEscapeTheirBounds)
{
    std::mt19937 random(20240611u);
    auto next = [&random](std::uint32_t below) { return static_cast<std::uint32_t>(random() % below); };
    for (int round = 0; round < 4000; ++round)
    {
        Bytes block(next(160));
        for (std::uint8_t& byte : block)
            byte = static_cast<std::uint8_t>(random());
        // Plausible headers at random places make the walks go deeper than noise alone.
        for (std::uint32_t plant = next(6); plant > 0 && block.size() >= 12; --plant)
        {
            const std::size_t at = next(static_cast<std::uint32_t>(block.size() - 11));
            PutU32(block, at, next(4) == 0 ? random() : 12 + next(40));
            PutU32(block, at + 4, next(3));
            PutU32(block, at + 8, next(19));
        }
        SCOPED_TRACE(round);
        const auto exact = Exact(block, block.size());
        CheckRecordRead(exact.get(), static_cast<std::uint32_t>(block.size()));
        CheckListWalk(exact.get(), static_cast<std::uint32_t>(block.size()));
        if (HasFatalFailure())
            return;
    }
}

} // namespace
} // namespace QK
