#include "QKFramework/Utilities/Storage/HashedList.h"

#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/ArrayUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <vector>

namespace QK
{
namespace
{

TEST(HashedListTest, AddFindReplaceAndRemove)
{
    HashedList<std::int32_t, std::int32_t> list;
    // 0x10, 0x1010 and 0x2010 share bucket 1; 0x01 and 0x02 share bucket 0.
    for (const std::int32_t key : {0x10, 0x1010, 0x2010, 0x01, 0x02})
        EXPECT_TRUE(list.Add(key, key * 2));
    EXPECT_EQ(list.GetCount(), 5u);
    EXPECT_FALSE(list.Add(0x1010, 7));
    EXPECT_EQ(list.GetCount(), 5u);
    ASSERT_NE(list.Find(0x1010), nullptr);
    EXPECT_EQ(*list.Find(0x1010), 7);
    EXPECT_EQ(*list.Find(0x02), 4);
    EXPECT_EQ(list.Find(0x3010), nullptr);

    EXPECT_TRUE(list.Remove(0x10));
    EXPECT_FALSE(list.Remove(0x10));
    EXPECT_EQ(list.Find(0x10), nullptr);
    EXPECT_EQ(*list.Find(0x2010), 0x4020);
    EXPECT_EQ(list.GetCount(), 4u);
    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.Find(0x01), nullptr);
}

TEST(HashedListTest, BitFunctionsPickTheBucket)
{
    EXPECT_EQ(HashBits4To11{}(0x12345), 0x34u);
    EXPECT_EQ(HashBits0To7{}(0x12345), 0x45u);
    EXPECT_EQ(HashBits4To11{}(-1), 255u);

    // A large random population against a plain model, with either bit function.
    auto check = [](auto& list) {
        std::mt19937 random(99);
        std::vector<std::int32_t> keys;
        for (int i = 0; i < 2000; ++i)
        {
            const std::int32_t key = static_cast<std::int32_t>(random() % 5000);
            const bool isNew = std::find(keys.begin(), keys.end(), key) == keys.end();
            EXPECT_EQ(list.Add(key, key + 1), isNew);
            if (isNew)
                keys.push_back(key);
        }
        EXPECT_EQ(list.GetCount(), keys.size());
        for (std::int32_t key = 0; key < 5000; ++key)
        {
            const bool listed = std::find(keys.begin(), keys.end(), key) != keys.end();
            const std::int32_t* value = list.Find(key);
            ASSERT_EQ(value != nullptr, listed) << key;
            if (value)
            {
                EXPECT_EQ(*value, key + 1);
            }
        }
    };
    HashedList<std::int32_t, std::int32_t, HashBits4To11> high;
    HashedList<std::int32_t, std::int32_t, HashBits0To7> low;
    check(high);
    check(low);
}

struct Record : public virtual LRefCountedObject
{
    explicit Record(int v) : value(v) {}
    int value;
};

TEST(RCPtrMapTest, MapsObjectsByIdentity)
{
    const ConstRCPtr<Record> a(new Record(1));
    const ConstRCPtr<Record> b(new Record(1));
    RCPtrMap<Record, Record, 8> map;
    EXPECT_TRUE(map.Find(a.Get()).IsNull());
    EXPECT_TRUE(map.Add(a, RCPtr<Record>(new Record(10))));
    EXPECT_TRUE(map.Add(b, RCPtr<Record>(new Record(20))));
    EXPECT_EQ(map.Find(a.Get())->value, 10);
    EXPECT_EQ(map.Find(b.Get())->value, 20);
    // The map keeps its keys alive.
    EXPECT_EQ(a->GetRefCount(), 2);
    map.RemoveAll();
    EXPECT_EQ(a->GetRefCount(), 1);
    EXPECT_TRUE(map.Find(b.Get()).IsNull());
}

TEST(ArrayUtilsTest, SortSortsTheRunOnly)
{
    Array<int> array;
    for (const int value : {9, 5, 7, 1, 3, 8, 0})
        array.Add(value);
    ArrayUtils::Sort(array, 1, 4, std::less<int>());
    EXPECT_EQ((std::vector<int>(array.GetBuffer(), array.GetBuffer() + 7)), (std::vector<int>{9, 1, 3, 5, 7, 8, 0}));
    ArrayUtils::Sort(array, 0, 7, std::greater<int>());
    EXPECT_EQ((std::vector<int>(array.GetBuffer(), array.GetBuffer() + 7)), (std::vector<int>{9, 8, 7, 5, 3, 1, 0}));
    // Fewer than two elements stay as they are, at either end.
    ArrayUtils::Sort(array, 7, 0, std::less<int>());
    ArrayUtils::Sort(array, 3, 1, std::less<int>());
    EXPECT_EQ(*array.GetAt(3), 5);

    for (const auto& [start, count] : {std::pair{0u, 8u}, {7u, 1u}, {8u, 0u}, {1u, 0xFFFFFFFFu}})
    {
        try
        {
            ArrayUtils::Sort(array, start, count, std::less<int>());
            ADD_FAILURE() << start << " + " << count;
        }
        catch (const std::out_of_range& error)
        {
            EXPECT_EQ(std::string(error.what()).rfind("Out of Range : QK::ArrayUtils::Sort : ", 0), 0u)
                << error.what();
        }
    }
}

} // namespace
} // namespace QK
