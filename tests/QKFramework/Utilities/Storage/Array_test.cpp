#include "QKFramework/Utilities/Storage/Array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

template <class T> Array<T> MakeArray(std::initializer_list<T> items)
{
    Array<T> array;
    for (const T& item : items)
        array.Add(item);
    return array;
}

template <class T, std::uint32_t N> SimpleFixedArray<T, N> MakeFixed(std::initializer_list<T> items)
{
    SimpleFixedArray<T, N> array(static_cast<std::uint32_t>(items.size()));
    std::uint32_t i = 0;
    for (const T& item : items)
        array.GetBuffer()[i++] = item;
    return array;
}

// The elements in walking order, read the way every container is read.
template <class T> std::vector<T> Walk(const IIterable<T>& container)
{
    std::vector<T> items;
    typename IIterable<T>::Iterator it = container.Begin();
    for (std::uint32_t i = container.GetCount(); i != 0; --i)
        items.push_back(*container.GetIteratorPosition(it.Next()));
    return items;
}

template <class T> std::vector<T> WalkBackwards(const IIterable<T>& container)
{
    std::vector<T> items;
    typename IIterable<T>::Iterator it = container.RBegin();
    for (std::uint32_t i = container.GetCount(); i != 0; --i)
        items.push_back(*container.GetIteratorPosition(it.Next()));
    return items;
}

std::uintptr_t Address(const void* p)
{
    return reinterpret_cast<std::uintptr_t>(p);
}

// An iterable without contiguous storage: every other element of a vector. It keeps the
// walking defaults of IIterable, so they are the ones under test.
class EveryOther : public IIterable<int>
{
public:
    using IIterable<int>::GetIteratorPosition;

    explicit EveryOther(std::vector<int> slots) : m_slots(std::move(slots)) {}

    std::uint32_t GetCount() const override { return static_cast<std::uint32_t>((m_slots.size() + 1) / 2); }
    int* GetIteratorPosition(int* position) override { return position; }

    int* Advance(int* position, std::int32_t n) const override
    {
        if (GetCount() == 0)
            return nullptr;
        const std::uintptr_t target = Address(position) + static_cast<std::uintptr_t>(n * 2 * kSlot);
        if (target <= Address(BeforeFirstPointer()))
            return BeforeFirstPointer();
        return target < Address(EndPointer()) ? reinterpret_cast<int*>(target) : EndPointer();
    }
    int* FirstPointer() const override { return Slot(0); }
    int* EndPointer() const override { return Slot(2 * std::intptr_t{GetCount()}); }
    int* LastPointer() const override { return Slot(2 * std::intptr_t{GetCount()} - 2); }
    int* BeforeFirstPointer() const override { return Slot(-2); }

private:
    static constexpr std::intptr_t kSlot = sizeof(int);

    int* Slot(std::intptr_t i) const
    {
        if (m_slots.empty())
            return nullptr;
        return reinterpret_cast<int*>(Address(m_slots.data()) + static_cast<std::uintptr_t>(i * kSlot));
    }
    std::vector<int> m_slots;
};

void ExpectOutOfRange(const std::function<void()>& action)
{
    try
    {
        action();
        ADD_FAILURE() << "no exception";
    }
    catch (const std::out_of_range& e)
    {
        EXPECT_STREQ(e.what(), "invalid vector<T> subscript");
    }
}

// --- Array: inserting, reading, removing ---------------------------------------------------

TEST(Array, AddAnswersTheNewIndexAndInsertAtChecksTheIndex)
{
    Array<std::string> array;
    EXPECT_EQ(array.Add("a"), 0);
    EXPECT_EQ(array.Add("c"), 1);
    EXPECT_EQ(array.InsertAt(3, "x"), QK_E_INVALIDARG);
    EXPECT_EQ(array.InsertAt(1, "b"), 1);
    EXPECT_EQ(array.InsertAt(3, "d"), 3);
    EXPECT_EQ(Walk<std::string>(array), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(Array, InsertAtCopiesAnItemThatIsItsOwnElement)
{
    Array<std::string> array = MakeArray<std::string>({"a", "b"});
    for (int i = 0; i < 20; ++i) // enough inserts to make the storage move
        array.InsertAt(0, *array.GetAt(array.GetCount() - 1));
    EXPECT_EQ(array.GetCount(), 22u);
    EXPECT_EQ(*array.GetAt(0), "b");
}

TEST(Array, BadIndexToGetAtRaisesTheStandardOutOfRangeAndChangesNothing)
{
    Array<int> array = MakeArray({1, 2, 3});
    const Array<int>& readOnly = array;
    int item = 7;
    ExpectOutOfRange([&] { array.GetAt(3); });
    ExpectOutOfRange([&] { readOnly.GetAt(3); });
    ExpectOutOfRange([&] { array.RemoveItem(3, item); });
    EXPECT_EQ(item, 7);
    EXPECT_EQ(Walk<int>(array), (std::vector<int>{1, 2, 3}));

    Array<int> empty;
    ExpectOutOfRange([&] { empty.RemoveLast(item); });
    EXPECT_EQ(empty.GetCount(), 0u);
}

TEST(Array, RemoveItemAndRemoveLastHandTheElementOver)
{
    Array<std::string> array = MakeArray<std::string>({"a", "b", "c"});
    std::string item;
    EXPECT_EQ(array.RemoveItem(0, item), 2);
    EXPECT_EQ(item, "a");
    EXPECT_EQ(array.RemoveLast(item), 1);
    EXPECT_EQ(item, "c");
    EXPECT_EQ(Walk<std::string>(array), std::vector<std::string>{"b"});
}

struct RangeCase
{
    const char* name;
    std::vector<int> start;
    std::uint32_t index;
    std::uint32_t count;
    QKRESULT result;
    std::vector<int> after;
};

template <class Container> void CheckRemoveRange(const RangeCase& c)
{
    SCOPED_TRACE(c.name);
    Container array;
    for (int item : c.start)
        array.Add(item);
    EXPECT_EQ(array.RemoveRange(c.index, c.count), c.result);
    EXPECT_EQ(Walk<int>(array), c.after);
}

TEST(Array, RemoveRangeChecksIndexAndRange)
{
    const RangeCase cases[] = {
        {"middle", {1, 2, 3, 4}, 1, 2, 2, {1, 4}},
        {"everything", {1, 2, 3, 4}, 0, 4, 0, {}},
        {"nothing from an empty array", {}, 0, 0, QK_E_INVALIDARG, {}},
        {"nothing at the end", {1, 2}, 2, 0, QK_E_INVALIDARG, {1, 2}},
        {"past the end", {1, 2, 3, 4}, 2, 3, QK_E_INVALIDARG, {1, 2, 3, 4}},
        {"count that wraps", {1, 2, 3, 4}, 1, 0xFFFFFFFF, QK_E_INVALIDARG, {1, 2, 3, 4}},
    };
    for (const RangeCase& c : cases)
        CheckRemoveRange<Array<int>>(c);
}

TEST(Array, InsertCountOpensDefaultElements)
{
    Array<std::string> array = MakeArray<std::string>({"a", "b"});
    EXPECT_EQ(array.InsertCount(1, 2), 4);
    EXPECT_EQ(Walk<std::string>(array), (std::vector<std::string>{"a", "", "", "b"}));
    EXPECT_EQ(array.InsertCount(4, 0), 4);
    EXPECT_EQ(array.InsertCount(5, 1), QK_E_INVALIDARG);
    EXPECT_EQ(array.GetCount(), 4u);
}

TEST(Array, SetCountGrowsWithZeroesAndShrinks)
{
    Array<int> array = MakeArray({5});
    EXPECT_EQ(array.SetCount(3), 3);
    EXPECT_EQ(Walk<int>(array), (std::vector<int>{5, 0, 0}));
    EXPECT_EQ(array.SetCount(1), 1);
    EXPECT_EQ(Walk<int>(array), std::vector<int>{5});
}

TEST(Array, SwapChecksBothIndices)
{
    struct Case
    {
        std::uint32_t index1, index2;
        QKRESULT result;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {0, 1, QK_OK, {"b", "a"}},
        {1, 1, QK_OK, {"a", "b"}},
        {2, 0, QK_E_INVALIDARG, {"a", "b"}},
        {0, 2, QK_E_INVALIDARG, {"a", "b"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.index1 << "," << c.index2);
        Array<std::string> array = MakeArray<std::string>({"a", "b"});
        EXPECT_EQ(array.Swap(c.index1, c.index2), c.result);
        EXPECT_EQ(Walk<std::string>(array), c.after);
    }
}

// --- Positions and walks -------------------------------------------------------------------

TEST(Array, PositionsAreElementAddressesWithTwoSentinels)
{
    Array<std::int64_t> array = MakeArray<std::int64_t>({10, 20, 30});
    const std::uintptr_t first = Address(array.GetAt(0));
    EXPECT_EQ(Address(array.FirstPointer()), first);
    EXPECT_EQ(Address(array.LastPointer()), first + 16);
    EXPECT_EQ(Address(array.EndPointer()), first + 24);
    EXPECT_EQ(Address(array.BeforeFirstPointer()), first - 8);

    struct Case
    {
        std::int64_t* from;
        std::int32_t n;
        std::int64_t* to;
    };
    const Case cases[] = {
        {array.FirstPointer(), -5, array.BeforeFirstPointer()},
        {array.LastPointer(), 5, array.EndPointer()},
        {array.FirstPointer(), 1, array.GetAt(1)},
        {array.EndPointer(), -1, array.LastPointer()},
        {array.BeforeFirstPointer(), 1, array.FirstPointer()},
        {array.FirstPointer(), -1, array.BeforeFirstPointer()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(array.Advance(c.from, c.n), c.to) << "n = " << c.n;

    EXPECT_EQ(array.Begin().position, array.FirstPointer());
    EXPECT_EQ(array.End().position, array.EndPointer());
    EXPECT_EQ(array.RBegin().step, -1);
    EXPECT_EQ(array.REnd().position, array.BeforeFirstPointer());
}

TEST(Array, RemoveAllLeavesNoBufferAndNullPositions)
{
    Array<int> array = MakeArray({1, 2});
    EXPECT_EQ(array.RemoveAll(), QK_OK);
    EXPECT_EQ(array.GetCount(), 0u);
    EXPECT_EQ(array.GetBuffer(), nullptr);
    EXPECT_EQ(array.FirstPointer(), nullptr);
    EXPECT_EQ(array.EndPointer(), nullptr);
    EXPECT_EQ(array.LastPointer(), nullptr);
    EXPECT_EQ(array.BeforeFirstPointer(), nullptr);
    EXPECT_EQ(array.Advance(nullptr, 1), nullptr);
    EXPECT_EQ(array.Begin().position, nullptr);
}

TEST(Array, WalksForwardAndBackward)
{
    Array<int> array = MakeArray({1, 2, 3});
    EXPECT_EQ(Walk<int>(array), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(WalkBackwards<int>(array), (std::vector<int>{3, 2, 1}));
}

TEST(IIterable, DefaultsWalkAnIterableWithoutContiguousStorage)
{
    EveryOther source({1, -1, 2, -1, 3});
    EXPECT_EQ(Walk<int>(source), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(WalkBackwards<int>(source), (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(*source.GetAt(2), 3);
    EXPECT_EQ(source.GetAt(3), nullptr);
    EXPECT_EQ(source.Swap(0, 2), QK_OK);
    EXPECT_EQ(source.Swap(0, 3), QK_E_INVALIDARG);
    EXPECT_EQ(Walk<int>(source), (std::vector<int>{3, 2, 1}));

    Array<int> array = MakeArray({9});
    EXPECT_EQ(array.AppendIterable(source), 4);
    EXPECT_EQ(Walk<int>(array), (std::vector<int>{9, 3, 2, 1}));
}

// --- Appending, assigning, comparing -------------------------------------------------------

TEST(Array, AppendKeepsOrderAndAnswersTheNewCount)
{
    Array<std::string> target = MakeArray<std::string>({"a", "b"});
    const Array<std::string> source = MakeArray<std::string>({"c", "d", "e"});
    EXPECT_EQ(target.Append(source), 5);
    EXPECT_EQ(Walk<std::string>(target), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(source.GetCount(), 3u);
}

TEST(Array, AppendingOrAssigningEmptySources)
{
    Array<int> target = MakeArray({1, 2});
    const Array<int> empty;
    EXPECT_EQ(target.AppendIterable(empty), 2);
    EXPECT_EQ(target.Append(empty), 2);
    EXPECT_EQ(Walk<int>(target), (std::vector<int>{1, 2}));
    EXPECT_EQ(target.Assign(empty), 0);
    EXPECT_EQ(target.GetCount(), 0u);
}

TEST(Array, AssignReplacesTheElements)
{
    Array<int> target = MakeArray({1, 2, 3});
    EXPECT_EQ(target.Assign(MakeFixed<int, 8>({7, 8})), 2);
    EXPECT_EQ(Walk<int>(target), (std::vector<int>{7, 8}));
}

// The storage moves while it grows; the old elements must still be the ones copied.
TEST(Array, AppendingAnArrayToItselfDoublesIt)
{
    Array<std::string> array = MakeArray<std::string>({"a", "b", "c"});
    EXPECT_EQ(array.Append(array), 6);
    EXPECT_EQ(array.AppendIterable(array), 12);
    EXPECT_EQ(Walk<std::string>(array),
              (std::vector<std::string>{"a", "b", "c", "a", "b", "c", "a", "b", "c", "a", "b", "c"}));
}

TEST(Array, AssigningAnArrayToItselfKeepsIt)
{
    Array<std::string> array = MakeArray<std::string>({"a", "b"});
    EXPECT_EQ(array.Assign(array), 2);
    EXPECT_EQ(Walk<std::string>(array), (std::vector<std::string>{"a", "b"}));
}

TEST(Array, IsEqualComparesCountsThenElementsInStep)
{
    struct Case
    {
        std::vector<int> left, right;
        bool equal;
    };
    const Case cases[] = {
        {{}, {}, true},          {{1, 2}, {1, 2}, true},  {{1, 2}, {1, 2, 3}, false},
        {{1, 2}, {1, 3}, false}, {{1, 2}, {2, 2}, false},
    };
    for (const Case& c : cases)
    {
        Array<int> left;
        Array<int> right;
        for (int item : c.left)
            left.Add(item);
        for (int item : c.right)
            right.Add(item);
        EXPECT_EQ(Array<int>::IsEqual(left, right), c.equal)
            << testing::PrintToString(c.left) << " vs " << testing::PrintToString(c.right);
    }
    EXPECT_TRUE(Array<int>::IsEqual(MakeArray({4, 5}), MakeFixed<int, 8>({4, 5})));
}

// --- SimpleFixedArray ----------------------------------------------------------------------

TEST(SimpleFixedArray, CountIsCappedAtItsInlineCapacity)
{
    SimpleFixedArray<signed char, 8> array(12);
    EXPECT_EQ(array.GetCount(), 8u);
    EXPECT_EQ(array.GetMaxCount(), 8u);
    EXPECT_EQ(array.SetCount(12), 8);
    EXPECT_EQ(array.SetCount(3), 3);

    SimpleFixedArray<signed char, 8> empty;
    EXPECT_NE(empty.GetBuffer(), nullptr);
    EXPECT_EQ(empty.FirstPointer(), nullptr);
}

TEST(SimpleFixedArray, IsFilledThroughItsBufferAfterSettingTheCount)
{
    SimpleFixedArray<signed char, 8> message(6);
    const signed char bytes[] = {-16, 0x41, 0x10, 0x42, 0x12, -9};
    std::copy(std::begin(bytes), std::end(bytes), message.GetBuffer());
    EXPECT_EQ(Walk<signed char>(message), std::vector<signed char>(std::begin(bytes), std::end(bytes)));
}

TEST(SimpleFixedArray, AddAnswersTheNewCount)
{
    SimpleFixedArray<int, 8> array;
    EXPECT_EQ(array.Add(5), 1);
    EXPECT_EQ(array.Add(6), 2);
    EXPECT_EQ(array.InsertAt(0, 4), 3);
    EXPECT_EQ(array.InsertAt(4, 9), QK_E_INVALIDARG);
    EXPECT_EQ(Walk<int>(array), (std::vector<int>{4, 5, 6}));
}

TEST(SimpleFixedArray, RemoveRangeAllowsEmptyRangesAnywhere)
{
    const RangeCase cases[] = {
        {"nothing from an empty array", {}, 0, 0, 0, {}},
        {"nothing far past the end", {1, 2}, 9, 0, 2, {1, 2}},
        {"middle", {1, 2, 3, 4}, 1, 2, 2, {1, 4}},
        {"past the end", {1, 2, 3, 4}, 2, 3, QK_E_INVALIDARG, {1, 2, 3, 4}},
        {"count that wraps", {1, 2, 3, 4}, 1, 0xFFFFFFFF, QK_E_INVALIDARG, {1, 2, 3, 4}},
    };
    for (const RangeCase& c : cases)
        CheckRemoveRange<SimpleFixedArray<int, 8>>(c);
}

TEST(SimpleFixedArray, InsertCountStaysWithinCapacityAndKeepsOldSlotValues)
{
    SimpleFixedArray<int, 8> array = MakeFixed<int, 8>({1, 2, 3, 4, 5, 6, 7, 8});
    array.SetCount(3);
    EXPECT_EQ(array.InsertCount(1, 2), 5);
    EXPECT_EQ(Walk<int>(array), (std::vector<int>{1, 2, 3, 2, 3}));
    EXPECT_EQ(array.InsertCount(0, 4), QK_E_INVALIDARG);
    EXPECT_EQ(array.InsertCount(6, 1), QK_E_INVALIDARG);
    EXPECT_EQ(array.InsertCount(9, 0), 5);
    EXPECT_EQ(array.GetCount(), 5u);
}

TEST(SimpleFixedArray, AppendBeyondCapacityFailsWithTheCountAtCapacity)
{
    SimpleFixedArray<signed char, 8> target = MakeFixed<signed char, 8>({1, 2, 3, 4, 5});
    const SimpleFixedArray<signed char, 8> source = MakeFixed<signed char, 8>({6, 7, 8, 9, 10});
    EXPECT_EQ(target.Append(source), QK_E_FAIL);
    EXPECT_EQ(target.GetCount(), 8u);

    SimpleFixedArray<signed char, 8> fits = MakeFixed<signed char, 8>({1, 2, 3});
    EXPECT_EQ(fits.Append(source), 8);
    EXPECT_EQ(Walk<signed char>(fits), (std::vector<signed char>{1, 2, 3, 6, 7, 8, 9, 10}));
}

// Reading past the count would read whatever lies behind the storage, so these answer an
// invalid argument and leave the item alone.
TEST(SimpleFixedArray, RemovingAnElementThatIsNotThereIsAnInvalidArgument)
{
    SimpleFixedArray<int, 8> array = MakeFixed<int, 8>({1});
    int item = 7;
    EXPECT_EQ(array.RemoveItem(1, item), QK_E_INVALIDARG);
    EXPECT_EQ(array.GetAt(1), nullptr);
    EXPECT_EQ(array.RemoveLast(item), 0);
    EXPECT_EQ(item, 1);
    item = 7;
    EXPECT_EQ(array.RemoveLast(item), QK_E_INVALIDARG);
    EXPECT_EQ(item, 7);
}

} // namespace
} // namespace QK
