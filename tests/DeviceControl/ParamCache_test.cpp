// The parameter cache: one value per slot with change detection, and value trees addressed
// by descriptor paths.

#include "TestBytes.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParamCache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace QK;
using namespace QK::test;

class CountingCache : public LParamCache
{
public:
    CountingCache() : LParamCache(79) {}
    QKRESULT OnValueChanged(std::uint32_t index, const Variant& slot) override
    {
        changes.push_back({index, slot});
        return LParamCache::OnValueChanged(index, slot);
    }

    struct Change
    {
        std::uint32_t index;
        Variant slot;
    };
    std::vector<Change> changes;
};

Variant Int32(std::int32_t number)
{
    Variant value;
    value.SetData(kVariantInt32, &number, sizeof(number));
    return value;
}

Variant List(std::vector<Variant> items)
{
    Variant list;
    list.SetList(items.data(), static_cast<std::uint32_t>(items.size()));
    return list;
}

ParamDescriptor At(std::int32_t id, const Variant& descriptor = Variant())
{
    ParamDescriptor result(id);
    result.descriptor = descriptor;
    return result;
}

struct Step
{
    const char* what;
    std::int32_t id;
    Variant value;
    bool notify;
    QKRESULT expected;
    std::size_t changesAfter;
};

TEST(ParamCache, AnswersWhetherAStoreChangedTheSlot)
{
    const Step steps[] = {
        {"first value", 3, Bytes("\x01"), true, 0, 1},
        {"same value", 3, Bytes("\x01"), true, 1, 1},
        {"same bytes as another kind", 3, Int32(1), true, 0, 2},
        {"new value without notification", 3, Bytes("\x02"), false, 0, 2},
        {"same value without notification", 3, Bytes("\x02"), false, 1, 2},
        {"emptied", 3, Variant(), true, 0, 3},
        {"empty again", 3, Variant(), true, 1, 3},
        {"another slot", 78, Bytes("\x02"), true, 0, 4},
        {"past the slots", 79, Bytes("\x01"), true, -1, 4},
        {"a special id", -8, Bytes("\x01"), true, -1, 4},
    };
    const RCPtr<CountingCache> cache(new CountingCache());
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.what);
        EXPECT_EQ(cache->SetValue(At(step.id), step.value, step.notify), step.expected);
        EXPECT_EQ(cache->changes.size(), step.changesAfter);
    }
    ASSERT_EQ(cache->changes.size(), 4u);
    EXPECT_EQ(cache->changes[0].index, 3u);
    EXPECT_EQ(BytesOf(cache->changes[0].slot), "\x01");
    EXPECT_EQ(cache->changes[3].index, 78u);

    Variant value = Bytes("stale");
    EXPECT_EQ(cache->GetValue(At(78), value), 0);
    EXPECT_EQ(BytesOf(value), "\x02");
    EXPECT_EQ(cache->GetValue(At(3), value), 0);
    EXPECT_EQ(value.GetKind(), kVariantEmpty);
    value = Bytes("stale");
    EXPECT_EQ(cache->GetValue(At(79), value), -1);
    EXPECT_EQ(value.GetKind(), kVariantEmpty);
    EXPECT_EQ(cache->GetValue(At(-8), value), -1);
}

TEST(ParamCache, KeepsATreeOfValuesUnderDescriptorPaths)
{
    const RCPtr<CountingCache> cache(new CountingCache());
    const Variant path = List({Int32(7), Bytes("left")});
    EXPECT_EQ(cache->SetValue(At(5, path), Bytes("\x11"), true), 0);
    EXPECT_EQ(cache->SetValue(At(5, path), Bytes("\x11"), true), 1);
    EXPECT_EQ(cache->SetValue(At(5, List({Int32(7), Bytes("right")})), Bytes("\x22"), true), 0);
    EXPECT_EQ(cache->changes.size(), 2u);

    Variant value;
    EXPECT_EQ(cache->GetValue(At(5, path), value), 0);
    EXPECT_EQ(BytesOf(value), "\x11");
    EXPECT_EQ(cache->GetValue(At(5, List({Int32(7), Bytes("right")})), value), 0);
    EXPECT_EQ(BytesOf(value), "\x22");
    EXPECT_EQ(cache->GetValue(At(5, List({Int32(7), Bytes("up")})), value), 1);
    EXPECT_EQ(value.GetKind(), kVariantEmpty);
    EXPECT_EQ(cache->GetValue(At(5, List({Int32(8), Bytes("left")})), value), 1);

    // Without a descriptor the whole tree comes out: one entry (id 5, descriptor 7) whose
    // value is the level holding the two leaves.
    EXPECT_EQ(cache->GetValue(At(5), value), 0);
    ASSERT_EQ(value.GetKind(), kVariantList);
    ASSERT_EQ(value.GetListCount(), 1u);
    Variant entry;
    Variant field;
    ASSERT_EQ(value.GetListItem(0, entry), 0);
    ASSERT_EQ(entry.GetListCount(), 3u);
    entry.GetListItem(1, field);
    EXPECT_EQ(field.GetKind(), kVariantInt32);
    EXPECT_EQ(field.ToInt32(), 5);
    entry.GetListItem(2, field);
    EXPECT_TRUE(field.IsEqual(Int32(7)));
    entry.GetListItem(0, field);
    EXPECT_EQ(field.GetListCount(), 2u);

    // Removing a leaf, then removing it again.
    EXPECT_EQ(cache->SetValue(At(5, path), Variant(), true), 0);
    EXPECT_EQ(cache->SetValue(At(5, path), Variant(), true), 1);
    EXPECT_EQ(cache->GetValue(At(5, path), value), 1);
    EXPECT_EQ(cache->changes.size(), 3u);
    // Other slots are untouched.
    EXPECT_EQ(cache->GetValue(At(4), value), 0);
    EXPECT_EQ(value.GetKind(), kVariantEmpty);
}

// Entries of a level stay sorted by id and then descriptor, whatever the insertion order.
TEST(ParamCache, KeepsEntriesSorted)
{
    const RCPtr<CountingCache> cache(new CountingCache());
    const Variant descriptors[] = {Int32(30), Bytes("bb"), Int32(-2), Bytes("a"), Variant(Int32(10))};
    for (const Variant& descriptor : descriptors)
        ASSERT_EQ(cache->SetValue(At(1, descriptor), Bytes("\x01"), false), 0);
    Variant tree;
    ASSERT_EQ(cache->GetValue(At(1), tree), 0);
    ASSERT_EQ(tree.GetListCount(), 5u);
    const Variant expected[] = {Int32(-2), Int32(10), Int32(30), Bytes("a"), Bytes("bb")};
    for (std::uint32_t i = 0; i < 5; ++i)
    {
        Variant entry;
        Variant descriptor;
        tree.GetListItem(i, entry);
        entry.GetListItem(2, descriptor);
        EXPECT_TRUE(descriptor.IsEqual(expected[i])) << i;
    }
}

TEST(ParamCache, PlainValueIsReplacedByATree)
{
    const RCPtr<CountingCache> cache(new CountingCache());
    ASSERT_EQ(cache->SetValue(At(2), Bytes("\x05"), true), 0);
    Variant value;
    // A path into a plain value finds nothing, and removing from it changes nothing.
    EXPECT_EQ(cache->GetValue(At(2, Int32(1)), value), -1);
    EXPECT_EQ(cache->SetValue(At(2, Int32(1)), Variant(), true), 1);
    EXPECT_EQ(cache->GetValue(At(2), value), 0);
    EXPECT_EQ(BytesOf(value), "\x05");

    EXPECT_EQ(cache->SetValue(At(2, Int32(1)), Bytes("\x06"), true), 0);
    EXPECT_EQ(cache->GetValue(At(2, Int32(1)), value), 0);
    EXPECT_EQ(BytesOf(value), "\x06");
    EXPECT_EQ(cache->GetValue(At(2), value), 0);
    EXPECT_EQ(value.GetKind(), kVariantList);
    EXPECT_EQ(cache->changes.size(), 2u);
}

TEST(ParamCache, RefusesInvalidPaths)
{
    std::uint8_t bytes[2] = {1, 2};
    Variant reference;
    reference.SetReadOnlyReference(bytes, 2);
    Variant writable;
    writable.SetWritableReference(bytes, 2);
    Variant emptyList;
    emptyList.SetList(static_cast<const Variant*>(nullptr), 0);
    const Variant paths[] = {
        reference,
        writable,
        emptyList,
        List({Int32(1), Variant()}),
        List({emptyList}),
    };
    const RCPtr<CountingCache> cache(new CountingCache());
    for (const Variant& path : paths)
    {
        Variant value;
        EXPECT_EQ(cache->SetValue(At(0, path), Bytes("\x01"), true), -1);
        EXPECT_EQ(cache->GetValue(At(0, path), value), -1);
    }
    EXPECT_TRUE(cache->changes.empty());
}

// A level on the path that is a plain value cannot be descended into.
TEST(ParamCache, MalformedLevelsAreReported)
{
    const RCPtr<CountingCache> cache(new CountingCache());
    ASSERT_EQ(cache->SetValue(At(6, Int32(1)), Bytes("\x01"), false), 0);
    Variant value;
    EXPECT_EQ(cache->SetValue(At(6, List({Int32(1), Int32(2)})), Bytes("\x02"), false), -1);
    EXPECT_EQ(cache->GetValue(At(6, List({Int32(1), Int32(2)})), value), -4);
    // A level whose items are not entries.
    ASSERT_EQ(cache->SetValue(At(6, Int32(1)), List({Int32(4), Int32(5)}), false), 0);
    EXPECT_EQ(cache->GetValue(At(6, List({Int32(1), Int32(2)})), value), -7);
    EXPECT_EQ(cache->SetValue(At(6, List({Int32(1), Int32(2)})), Bytes("\x02"), false), -1);
    EXPECT_EQ(cache->GetValue(At(6, Int32(1)), value), 0);
    EXPECT_TRUE(value.IsEqual(List({Int32(4), Int32(5)})));
}

} // namespace
