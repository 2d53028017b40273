#include "QKFramework/Utilities/Storage/RCPtrArray.h"

#include "QKFramework/Utilities/Storage/ConstRCPtrArray.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace QK
{
// The element class named in the out-of-range texts.
class LJoystick : public LRefCountedObject
{
};

namespace
{

// An object that knows its id and counts how many of its kind were destroyed. A copyable
// one answers CreateCopy as a buffer would, so that storing it while unshareable copies it.
class Tracked : public LRefCountedObject
{
public:
    explicit Tracked(int id, bool copyable = false) : m_id(id), m_copyable(copyable) {}
    ~Tracked() override { ++s_destroyed; }

    ConstRCPtr<LRefCountedObject> CreateCopy() const override
    {
        if (!m_copyable)
            return LRefCountedObject::CreateCopy();
        return ConstRCPtr<LRefCountedObject>(new Tracked(m_id + 100, true));
    }

    int Id() const { return m_id; }

    static inline int s_destroyed = 0;

private:
    int m_id;
    bool m_copyable;
};

using List = ConstRCPtrArray<Tracked, 1, 0>;
using RCList = RCPtrArray<Tracked, 1, 0>;

class PointerArrayTest : public testing::Test
{
protected:
    void SetUp() override { Tracked::s_destroyed = 0; }

    static RCPtr<Tracked> Make(int id) { return RCPtr<Tracked>(new Tracked(id)); }

    // The ids in walking order, -1 for a null element.
    template <class P> static std::vector<int> Ids(const IIterable<P>& list)
    {
        std::vector<int> ids;
        typename IIterable<P>::Iterator it = list.Begin();
        for (std::uint32_t i = list.GetCount(); i != 0; --i)
        {
            const P* element = list.GetIteratorPosition(it.Next());
            ids.push_back(*element ? element->Get()->Id() : -1);
        }
        return ids;
    }

    template <class Array> static void Fill(Array& list, const std::vector<RCPtr<Tracked>>& objects)
    {
        for (const RCPtr<Tracked>& object : objects)
            list.Add(object);
    }
};

// --- Adding, storing and references --------------------------------------------------------

TEST_F(PointerArrayTest, AddTakesOneReferenceAndRemoveAllGivesItBack)
{
    RCPtr<Tracked> a = Make(1);
    List list;
    EXPECT_EQ(list.Add(a), 0);
    EXPECT_EQ(list.Add(a), 1);
    EXPECT_EQ(a->GetRefCount(), 3);
    EXPECT_EQ(list.RemoveAll(), QK_OK);
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(a->GetRefCount(), 1);
}

TEST_F(PointerArrayTest, InsertAtAnswersTheIndexAndChecksIt)
{
    RCPtr<Tracked> a = Make(1), b = Make(2), c = Make(3);
    List list;
    Fill(list, {a, c});
    EXPECT_EQ(list.InsertAt(3, b), QK_E_INVALIDARG);
    EXPECT_EQ(b->GetRefCount(), 1);
    EXPECT_EQ(list.InsertAt(1, b), 1);
    EXPECT_EQ(list.InsertAt(3, b), 3);
    EXPECT_EQ(Ids(list), (std::vector<int>{1, 2, 3, 2}));
    EXPECT_EQ(b->GetRefCount(), 3);
}

// An insert into a full block moves it, so the item must be read first.
TEST_F(PointerArrayTest, InsertingAnElementOfTheSameArrayWhileItGrows)
{
    List list;
    Fill(list, {Make(1), Make(2)});
    for (int i = 0; i < 10; ++i)
        list.InsertAt(0, *list.GetAt(list.GetCount() - 1));
    EXPECT_EQ(list.GetCount(), 12u);
    EXPECT_EQ(list.GetAt(0)->Get()->Id(), 2);
    EXPECT_EQ(list.GetAt(0)->Get()->GetRefCount(), 11);
}

TEST_F(PointerArrayTest, StoringAnUnshareableObjectStoresAPrivateCopy)
{
    RCPtr<Tracked> original(new Tracked(1, true));
    original->SetUnshareable(true);
    List list;
    EXPECT_EQ(list.Add(original), 0);
    EXPECT_EQ(original->GetRefCount(), 1);
    EXPECT_EQ(list.GetAt(0)->Get()->Id(), 101);
    EXPECT_EQ(list.GetAt(0)->Get()->GetRefCount(), 1);
}

// A list that shared the object would see the holder's in-place changes; so a failing copy
// must leave the list as it was.
TEST_F(PointerArrayTest, AnUnshareableObjectThatCannotBeCopiedIsNotStored)
{
    RCPtr<Tracked> original = Make(1);
    original->SetUnshareable(true);
    List list;
    Fill(list, {Make(2)});
    EXPECT_THROW(list.InsertAt(0, original), std::logic_error);
    EXPECT_EQ(Ids(list), std::vector<int>{2});
    EXPECT_EQ(original->GetRefCount(), 1);
}

TEST_F(PointerArrayTest, DestroyingTheArrayReleasesItsObjects)
{
    {
        RCList list;
        Fill(list, {Make(1), Make(2), Make(3)});
        EXPECT_EQ(Tracked::s_destroyed, 0);
    }
    EXPECT_EQ(Tracked::s_destroyed, 3);
}

// --- Removing ------------------------------------------------------------------------------

TEST_F(PointerArrayTest, RemoveItemMovesTheReferenceIntoItem)
{
    RCPtr<Tracked> a = Make(1), b = Make(2);
    List list;
    Fill(list, {a, b});
    ConstRCPtr<Tracked> item(new Tracked(9));
    a = nullptr;
    EXPECT_EQ(list.RemoveItem(0, item), 1);
    EXPECT_EQ(Tracked::s_destroyed, 1); // the object item held before
    EXPECT_EQ(item->Id(), 1);
    EXPECT_EQ(item->GetRefCount(), 1);
    EXPECT_EQ(Ids(list), std::vector<int>{2});
}

TEST_F(PointerArrayTest, RemoveLastMovesTheReferenceAndFailsWhenEmpty)
{
    List list;
    Fill(list, {Make(1), Make(2)});
    ConstRCPtr<Tracked> item;
    EXPECT_EQ(list.RemoveLast(item), 1);
    EXPECT_EQ(item->Id(), 2);
    EXPECT_EQ(item->GetRefCount(), 1);

    list.RemoveAll();
    EXPECT_EQ(list.RemoveLast(item), QK_E_FAIL);
    EXPECT_FALSE(item);
    EXPECT_EQ(Tracked::s_destroyed, 2);
}

struct OutOfRangeCase
{
    const char* face;
    std::function<void(RCPtrArray<LJoystick, 1, 0>&, RCPtr<LJoystick>&)> remove;
    const char* text;
};

TEST_F(PointerArrayTest, RemoveItemPastTheEndThrowsNamingTheFaceAndChangesNothing)
{
    const OutOfRangeCase cases[] = {
        {"const face",
         [](RCPtrArray<LJoystick, 1, 0>& list, RCPtr<LJoystick>& item)
         {
             ConstRCPtrArray<LJoystick, 1, 0>& face = list;
             face.RemoveItem(face.GetCount(), item);
         },
         "Out of Range : QK::ConstRCPtrArray<class QK::LJoystick,1,0>::RemoveItem : "
         "utilities\\Storage/ConstRCPtrArray : Line 217"},
        {"RCPtr face",
         [](RCPtrArray<LJoystick, 1, 0>& list, RCPtr<LJoystick>& item)
         { list.RemoveItem(list.GetCount(), item); },
         "Out of Range : QK::RCPtrArray<class QK::LJoystick,1,0>::RemoveItem : "
         "utilities\\Storage/RCPtrArray : Line 175"},
    };
    for (const OutOfRangeCase& c : cases)
    {
        SCOPED_TRACE(c.face);
        RCPtr<LJoystick> stored(new LJoystick);
        RCPtr<LJoystick> item(new LJoystick);
        RCPtrArray<LJoystick, 1, 0> list;
        list.Add(stored);
        try
        {
            c.remove(list, item);
            ADD_FAILURE() << "no exception";
        }
        catch (const std::out_of_range& e)
        {
            EXPECT_STREQ(e.what(), c.text);
        }
        EXPECT_EQ(list.GetCount(), 1u);
        EXPECT_EQ(list.GetAt(0)->Get(), stored.Get());
        EXPECT_EQ(item->GetRefCount(), 1);
        EXPECT_EQ(stored->GetRefCount(), 2);
    }
}

TEST_F(PointerArrayTest, RemoveRangePastTheEndRemovesWhatExistsThenThrows)
{
    List list;
    Fill(list, {Make(1), Make(2), Make(3)});
    EXPECT_THROW(list.RemoveRange(1, 5), std::out_of_range);
    EXPECT_EQ(Tracked::s_destroyed, 2);
    EXPECT_EQ(Ids(list), std::vector<int>{1});
}

// A destructor that looks at the list it was removed from: removing a long range releases
// the elements in index order, each after the list already holds only what stays.
TEST_F(PointerArrayTest, RemoveRangeReleasesInOrderFromAListThatHoldsOnlyWhatStays)
{
    static List* s_list = nullptr;
    static std::vector<std::pair<int, std::uint32_t>> s_seen;
    class Watching : public Tracked
    {
    public:
        using Tracked::Tracked;
        ~Watching() override { s_seen.emplace_back(Id(), s_list->GetCount()); }
    };
    constexpr int kCount = 2000;
    List list;
    s_list = &list;
    s_seen.clear();
    for (int id = 0; id < kCount; ++id)
        list.Add(ConstRCPtr<Tracked>(new Watching(id)));

    EXPECT_EQ(list.RemoveRange(1, kCount - 2), 2);

    ASSERT_EQ(s_seen.size(), static_cast<std::size_t>(kCount - 2));
    for (std::size_t i = 0; i < s_seen.size(); ++i)
        ASSERT_EQ(s_seen[i], std::make_pair(static_cast<int>(i) + 1, 2u)) << i;
    EXPECT_EQ(Ids(list), (std::vector<int>{0, kCount - 1}));
    list.SetCount(0);
    s_list = nullptr;
}

// --- Counts and slots ----------------------------------------------------------------------

TEST_F(PointerArrayTest, SetCountOpensNullSlotsAndReleasesWhatItCuts)
{
    List list;
    EXPECT_EQ(list.SetCount(3), 3);
    EXPECT_EQ(Ids(list), (std::vector<int>{-1, -1, -1}));
    EXPECT_EQ(list.GetAt(2), list.GetBuffer() + 2);

    *list.GetAt(0) = Make(1);
    *list.GetAt(2) = Make(3);
    EXPECT_EQ(list.SetCount(1), 1);
    EXPECT_EQ(Tracked::s_destroyed, 1);
    EXPECT_EQ(Ids(list), std::vector<int>{1});
}

TEST_F(PointerArrayTest, InsertCountOpensNullSlotsInside)
{
    List list;
    Fill(list, {Make(1), Make(2)});
    EXPECT_EQ(list.InsertCount(1, 2), 4);
    EXPECT_EQ(Ids(list), (std::vector<int>{1, -1, -1, 2}));
    EXPECT_EQ(list.InsertCount(4, 1), 5);
    EXPECT_EQ(list.InsertCount(6, 1), QK_E_INVALIDARG);
    EXPECT_EQ(list.InsertCount(9, 0), 5);
    EXPECT_EQ(Ids(list), (std::vector<int>{1, -1, -1, 2, -1}));
}

TEST_F(PointerArrayTest, PositionsStepByOnePointer)
{
    List list;
    Fill(list, {Make(1), Make(2), Make(3)});
    const auto first = reinterpret_cast<std::uintptr_t>(list.FirstPointer());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(list.EndPointer()), first + 3 * sizeof(void*));
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(list.BeforeFirstPointer()), first - sizeof(void*));
    EXPECT_EQ(list.Advance(list.FirstPointer(), 2), list.LastPointer());
    EXPECT_EQ(list.Advance(list.FirstPointer(), -5), list.BeforeFirstPointer());
}

// Capacities in pointers after each count, for the growth and keep settings in use.
template <class Array>
void ExpectCapacities(std::initializer_list<std::pair<std::uint32_t, std::uint32_t>> steps)
{
    Array list;
    for (const auto& [count, capacity] : steps)
    {
        list.SetCount(count);
        EXPECT_EQ(list.GetCapacity(), capacity * sizeof(void*)) << "count " << count;
    }
}

// A full block grows to what is asked or to twice its size, whichever is more; a block is
// given back once less than a quarter of it is used, to twice the count.
TEST_F(PointerArrayTest, StorageGrowsAndKeepsRoomByPointers)
{
    ExpectCapacities<ConstRCPtrArray<Tracked, 1, 0>>({{1, 1}, {5, 5}, {6, 10}, {3, 10}, {2, 4}, {0, 0}});
    ExpectCapacities<ConstRCPtrArray<Tracked, 16, 16>>(
        {{1, 16}, {17, 32}, {33, 64}, {16, 64}, {15, 32}, {0, 0}});
    ExpectCapacities<ConstRCPtrArray<Tracked, 256, 256>>(
        {{1, 256}, {257, 512}, {513, 1024}, {256, 1024}, {255, 512}});
}

// A list built one element at a time (a skin's look list may hold tens of thousands) moves
// its block only as it doubles, whichever way the elements come in.
TEST_F(PointerArrayTest, BuildingAListOneElementAtATimeMovesItsBlockOnlyAsItDoubles)
{
    constexpr std::uint32_t kCount = 4096;
    const RCPtr<Tracked> object = Make(1);
    RCList one;
    one.Add(object);
    struct Way
    {
        const char* name;
        std::function<void(RCList&)> append;
    };
    const Way ways[] = {
        {"Add", [&](RCList& list) { list.Add(object); }},
        {"InsertAt the end", [&](RCList& list) { list.InsertAt(list.GetCount(), object); }},
        {"InsertAt the front", [&](RCList& list) { list.InsertAt(0, object); }},
        {"Add on the ConstRCPtr face",
         [&](RCList& list) { static_cast<List&>(list).Add(ConstRCPtr<Tracked>(object)); }},
        {"Append", [&](RCList& list) { list.Append(one); }},
        {"AppendIterable", [&](RCList& list) { list.AppendIterable(one); }},
        {"SetCount", [&](RCList& list) { list.SetCount(list.GetCount() + 1); }},
    };
    for (const Way& way : ways)
    {
        SCOPED_TRACE(way.name);
        RCList list;
        int moves = 0;
        std::uint32_t capacity = 0;
        for (std::uint32_t i = 0; i < kCount; ++i)
        {
            way.append(list);
            moves += list.GetCapacity() != capacity;
            capacity = list.GetCapacity();
        }
        EXPECT_EQ(list.GetCount(), kCount);
        // 1, 2, 4, ..., 4096 pointers.
        EXPECT_EQ(moves, 13);
    }
}

// A list that goes up and down by one at the edge of its block, or is emptied one element at
// a time, does not move its block back and forth.
TEST_F(PointerArrayTest, AListChangingByOneAtTheEdgeOfItsBlockKeepsIt)
{
    const RCPtr<Tracked> object = Make(1);
    RCList list;
    for (int i = 0; i < 1024; ++i)
        list.Add(object);
    ASSERT_EQ(list.GetCapacity(), 1024 * sizeof(void*));
    std::uint32_t capacity = list.GetCapacity();
    int moves = 0;
    RCPtr<Tracked> taken;
    const auto step = [&](const std::function<void()>& change)
    {
        change();
        moves += list.GetCapacity() != capacity;
        capacity = list.GetCapacity();
    };
    for (int i = 0; i < 1000; ++i)
    {
        step([&] { list.Add(object); });
        step([&] { list.RemoveLast(taken); });
        step([&] { list.RemoveItem(0, taken); });
        step([&] { list.Add(object); });
    }
    EXPECT_EQ(moves, 1) << "the block grew once, and stayed";

    moves = 0;
    while (list.GetCount() != 0)
        step([&] { list.RemoveItem(0, taken); });
    EXPECT_LE(moves, 12);
    EXPECT_EQ(capacity, 0u);
    EXPECT_EQ(object->GetRefCount(), 2);
}

TEST_F(PointerArrayTest, ConstructionMakesNullElementsWithTheReserve)
{
    ConstRCPtrArray<Tracked, 256, 256> ring(256, 256);
    EXPECT_EQ(ring.GetCount(), 256u);
    EXPECT_EQ(ring.GetCapacity(), 256 * sizeof(void*));
    EXPECT_EQ(ring.GetAt(255)->Get(), nullptr);

    // The reserve is taken exactly, and kept while the spare room stays within the keep limit.
    ConstRCPtrArray<Tracked, 16, 16> reserved(2, 10);
    EXPECT_EQ(Ids(reserved), (std::vector<int>{-1, -1}));
    EXPECT_EQ(reserved.GetCapacity(), 10 * sizeof(void*));

    List empty(0, 0);
    EXPECT_EQ(empty.GetBuffer(), nullptr);
    EXPECT_EQ(empty.FirstPointer(), nullptr);
}

// --- Swapping ------------------------------------------------------------------------------

TEST_F(PointerArrayTest, SwapOnBothFacesKeepsEveryCount)
{
    RCPtr<Tracked> a = Make(1), b = Make(2);
    RCList list;
    Fill(list, {a, b, a});
    ConstRCPtrArray<Tracked, 1, 0>& constFace = list;
    IArray<RCPtr<Tracked>>& rcFace = list;

    EXPECT_EQ(constFace.Swap(0, 1), QK_OK);
    EXPECT_EQ(Ids<RCPtr<Tracked>>(list), (std::vector<int>{2, 1, 1}));
    EXPECT_EQ(rcFace.Swap(1, 0), QK_OK);
    EXPECT_EQ(rcFace.Swap(2, 2), QK_OK);
    EXPECT_EQ(Ids<RCPtr<Tracked>>(list), (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(a->GetRefCount(), 3);
    EXPECT_EQ(b->GetRefCount(), 2);

    EXPECT_EQ(constFace.Swap(0, 3), QK_E_INVALIDARG);
    EXPECT_EQ(rcFace.Swap(3, 0), QK_E_INVALIDARG);
    EXPECT_EQ(Ids<RCPtr<Tracked>>(list), (std::vector<int>{1, 2, 1}));
}

// --- Appending and the two faces -----------------------------------------------------------

TEST_F(PointerArrayTest, AppendedObjectsAreHeldByBothLists)
{
    RCPtr<Tracked> a = Make(1), b = Make(2);
    RCList source;
    Fill(source, {a, b});

    List target;
    Fill(target, {b});
    EXPECT_EQ(target.Append(source), 3); // an RCPtrArray as IArray<ConstRCPtr<T>>
    EXPECT_EQ(target.AppendIterable(source), 5);
    EXPECT_EQ(Ids(target), (std::vector<int>{2, 1, 2, 1, 2}));
    EXPECT_EQ(a->GetRefCount(), 1 + 1 + 2);
    EXPECT_EQ(b->GetRefCount(), 1 + 1 + 3);

    EXPECT_EQ(target.Assign(source), 2);
    EXPECT_EQ(Ids(target), (std::vector<int>{1, 2}));
    EXPECT_EQ(a->GetRefCount(), 3);
}

TEST_F(PointerArrayTest, AppendingAListToItselfDoublesItsReferences)
{
    RCPtr<Tracked> a = Make(1);
    RCList list;
    Fill(list, {a, Make(2)});
    EXPECT_EQ(list.Append(list), 4);
    EXPECT_EQ(Ids<RCPtr<Tracked>>(list), (std::vector<int>{1, 2, 1, 2}));
    EXPECT_EQ(a->GetRefCount(), 3);
    EXPECT_EQ(list.Assign(list), 4);
    EXPECT_EQ(a->GetRefCount(), 3);
}

int CountThroughConstList(const ConstRCPtrArray<Tracked, 1, 0>& list)
{
    return static_cast<int>(list.GetCount());
}

TEST_F(PointerArrayTest, BothFacesAnswerOnTheSameElements)
{
    RCList list;
    IArray<ConstRCPtr<Tracked>>& constFace = list;
    IArray<RCPtr<Tracked>>& rcFace = list;

    EXPECT_EQ(constFace.Add(ConstRCPtr<Tracked>(Make(1))), 0);
    EXPECT_EQ(rcFace.Add(Make(2)), 1);
    EXPECT_EQ(CountThroughConstList(list), 2);
    for (std::uint32_t i = 0; i < 2; ++i)
        EXPECT_EQ(static_cast<const void*>(constFace.GetAt(i)), static_cast<const void*>(rcFace.GetAt(i)));
    EXPECT_EQ(Ids(constFace), Ids(rcFace));

    // The RCPtr face hands out objects that may be changed.
    RCPtr<Tracked> taken;
    EXPECT_EQ(list.RemoveItem(1, taken), 1);
    EXPECT_EQ(taken->Id(), 2);
    EXPECT_EQ(list.RemoveLast(taken), 0);
    EXPECT_EQ(taken->Id(), 1);
    EXPECT_EQ(constFace.GetCount(), 0u);
    EXPECT_EQ(Tracked::s_destroyed, 1);
}

TEST_F(PointerArrayTest, ASharedListLivesAsLongAsItsLastHolder)
{
    ConstRCPtr<LRCPtrArray<Tracked>> shared(new LRCPtrArray<Tracked>);
    {
        RCPtr<LRCPtrArray<Tracked>> writer(const_cast<LRCPtrArray<Tracked>*>(shared.Get()));
        EXPECT_EQ(writer->Add(Make(1)), 0);
        EXPECT_EQ(shared->GetRefCount(), 2);
    }
    EXPECT_EQ(shared->GetCount(), 1u);
    shared = nullptr;
    EXPECT_EQ(Tracked::s_destroyed, 1);
}

} // namespace
} // namespace QK
