#include "QKFramework/Utilities/Storage/ArrayBuffer.h"
#include "QKFramework/Utilities/Storage/Buffer.h"
#include "QKFramework/Utilities/Storage/RCBuffer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace QK
{
namespace
{

// The heap, with call counts and failures on request.
class ScriptedAllocator final : public IAllocator
{
public:
    void* Alloc(std::size_t size) override
    {
        ++allocs;
        return Refuse() ? nullptr : std::malloc(size);
    }
    void* AllocZeroed(std::size_t count, std::size_t size) override
    {
        ++allocs;
        return Refuse() ? nullptr : std::calloc(count, size);
    }
    void* Realloc(void* block, std::size_t size) override
    {
        ++reallocs;
        return Refuse() ? nullptr : std::realloc(block, size);
    }
    void Free(void* block) override
    {
        if (block)
            ++frees;
        std::free(block);
    }

    void Reset()
    {
        allocs = reallocs = frees = 0;
        failures = 0;
    }
    int Calls() const { return allocs + reallocs; }

    int allocs = 0;
    int reallocs = 0;
    int frees = 0;
    int failures = 0; // the next this many requests fail

private:
    bool Refuse()
    {
        if (failures == 0)
            return false;
        --failures;
        return true;
    }
};

ScriptedAllocator& Heap()
{
    static ScriptedAllocator heap;
    return heap;
}

IAllocator* ScriptedHeap()
{
    return &Heap();
}

template <std::uint32_t Granule, std::uint32_t MaxSlack>
using TestBuffer = BufferT<Granule, MaxSlack, 8, char*, ScriptedHeap>;

class BufferTest : public ::testing::Test
{
protected:
    void SetUp() override { Heap().Reset(); }
};

std::vector<unsigned char> BytesOf(const IBuffer& buffer)
{
    const auto* data = static_cast<const unsigned char*>(buffer.GetBuffer());
    return std::vector<unsigned char>(data, data + buffer.GetSize());
}

// --- Growth and keep rules ------------------------------------------------------------

struct SizeStep
{
    std::uint32_t size;
    std::uint32_t capacity;
    bool heapCalled; // whether the step went to the allocator
};

struct GrowthCase
{
    const char* name;
    std::function<std::unique_ptr<IBuffer, void (*)(IBuffer*)>()> make;
    std::vector<SizeStep> steps;
};

void PrintTo(const GrowthCase& c, std::ostream* os)
{
    *os << c.name;
}

template <std::uint32_t Granule, std::uint32_t MaxSlack>
std::unique_ptr<IBuffer, void (*)(IBuffer*)> MakeBuffer()
{
    return {new TestBuffer<Granule, MaxSlack>(),
            [](IBuffer* b) { delete dynamic_cast<TestBuffer<Granule, MaxSlack>*>(b); }};
}

class BufferGrowthTest : public ::testing::TestWithParam<GrowthCase>
{
protected:
    void SetUp() override { Heap().Reset(); }
};

TEST_P(BufferGrowthTest, SetSizeGrowsByGranuleAndKeepsWithinTheLimit)
{
    auto buffer = GetParam().make();
    for (const SizeStep& step : GetParam().steps)
    {
        SCOPED_TRACE(step.size);
        const int callsBefore = Heap().Calls();
        EXPECT_EQ(buffer->SetSize(step.size), step.size);
        EXPECT_EQ(buffer->GetSize(), step.size);
        EXPECT_EQ(buffer->GetCapacity(), step.capacity);
        EXPECT_EQ(Heap().Calls() != callsBefore, step.heapCalled);
        EXPECT_EQ(buffer->GetBuffer() == nullptr, step.capacity == 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Instances, BufferGrowthTest,
    ::testing::Values(
        GrowthCase{"Chars",
                   MakeBuffer<1, 128>,
                   {{200, 200, true}, {100, 200, false}, {50, 50, true}, {0, 50, false}}},
        GrowthCase{
            "Ring", MakeBuffer<1024, 1024>, {{1, 1024, true}, {1025, 2048, true}, {1024, 2048, false}}},
        GrowthCase{"Pointers",
                   MakeBuffer<4, 0>,
                   {{5, 8, true}, {6, 8, false}, {7, 8, false}, {8, 8, false}, {4, 4, true}, {0, 0, false}}},
        GrowthCase{
            "ExactBytes", MakeBuffer<1, 0>, {{10, 10, true}, {9, 9, true}, {10, 10, true}, {0, 0, false}}},
        GrowthCase{"PoolList", MakeBuffer<16, 6400>, {{1, 16, true}, {17, 32, true}, {0, 32, false}}}),
    [](const auto& info) { return info.param.name; });

// The growth of holders that change by an element at a time: a full block at least doubles,
// and a block is given back only below a quarter in use, to twice the size.
TEST_F(BufferTest, AmortizedSizingDoublesAndGivesBackBelowAQuarter)
{
    const SizeStep steps[] = {{8, 8, true},    {16, 16, true},   {24, 32, true},
                              {32, 32, false}, {40, 64, true},   {16, 64, false},
                              {15, 32, true},  {100, 104, true}, {0, 0, false}};
    TestBuffer<8, 0> buffer;
    for (const SizeStep& step : steps)
    {
        SCOPED_TRACE(step.size);
        const int callsBefore = Heap().Calls();
        EXPECT_EQ(buffer.SetSizeAmortized(step.size), step.size);
        EXPECT_EQ(buffer.GetSize(), step.size);
        EXPECT_EQ(buffer.GetCapacity(), step.capacity);
        EXPECT_EQ(Heap().Calls() != callsBefore, step.heapCalled);
    }

    // The keep limit still holds: a granule's spare bytes never make it give memory back.
    TestBuffer<1024, 1024> ring(0, 0);
    ring.SetSizeAmortized(100);
    ring.SetSizeAmortized(1);
    EXPECT_EQ(ring.GetCapacity(), 1024u);

    // The contents survive both ways.
    TestBuffer<1, 0> bytes;
    for (std::uint32_t n = 1; n <= 300; ++n)
    {
        bytes.SetSizeAmortized(n);
        static_cast<unsigned char*>(bytes.GetBuffer())[n - 1] = static_cast<unsigned char>(n);
    }
    bytes.SetSizeAmortized(3);
    EXPECT_EQ(BytesOf(bytes), (std::vector<unsigned char>{1, 2, 3}));
}

TEST_F(BufferTest, ReallocationKeepsTheContents)
{
    TestBuffer<4, 0> buffer(6, 0, true);
    std::memcpy(buffer.GetBuffer(), "abcdef", 6);
    buffer.SetSize(100);
    EXPECT_EQ(std::memcmp(buffer.GetBuffer(), "abcdef", 6), 0);
    buffer.SetSize(3);
    EXPECT_EQ(BytesOf(buffer), (std::vector<unsigned char>{'a', 'b', 'c'}));
}

TEST_F(BufferTest, ConstructorReservesExactlyAndZeroFills)
{
    TestBuffer<1024, 1024> buffer(1000, 1500, true);
    EXPECT_EQ(buffer.GetCapacity(), 1500u) << "a reserve is not raised to the granule";
    EXPECT_EQ(BytesOf(buffer), std::vector<unsigned char>(1000, 0));

    TestBuffer<1, 0> tight(10, 3000);
    EXPECT_EQ(tight.GetCapacity(), 10u) << "a reserve beyond the keep limit is given back at once";
}

TEST_F(BufferTest, AllocateKeepsTheBlockOnlyForTheSameGranuleMultiple)
{
    TestBuffer<16, 0> buffer;
    buffer.Allocate(10);
    void* block = buffer.GetBuffer();
    std::memset(block, 'x', 10);

    EXPECT_EQ(buffer.Allocate(16), 16u);
    EXPECT_EQ(buffer.GetBuffer(), block);
    EXPECT_EQ(static_cast<char*>(buffer.GetBuffer())[9], 'x');
    EXPECT_EQ(Heap().allocs, 1);

    EXPECT_EQ(buffer.Allocate(17), 17u);
    EXPECT_EQ(buffer.GetCapacity(), 32u);
    EXPECT_EQ(Heap().allocs, 2);
    EXPECT_EQ(Heap().frees, 1);

    EXPECT_EQ(buffer.Allocate(0), 0u);
    EXPECT_EQ(buffer.GetCapacity(), 0u);
    EXPECT_EQ(buffer.GetBuffer(), nullptr);
    EXPECT_EQ(Heap().frees, 2);
}

// --- Allocation failure ---------------------------------------------------------------

struct FailureCase
{
    const char* name;
    std::function<void(IBuffer&)> grow;
};

void PrintTo(const FailureCase& c, std::ostream* os)
{
    *os << c.name;
}

class BufferFailureTest : public ::testing::TestWithParam<FailureCase>
{
protected:
    void SetUp() override { Heap().Reset(); }
};

TEST_P(BufferFailureTest, FailedGrowthThrowsAndKeepsBlockAndSize)
{
    TestBuffer<1, 0> buffer(4, 0, true);
    std::memcpy(buffer.GetBuffer(), "abcd", 4);
    void* block = buffer.GetBuffer();
    Heap().failures = 1;

    try
    {
        GetParam().grow(buffer);
        FAIL() << "no exception";
    }
    catch (const Exception<std::bad_alloc>& e)
    {
        EXPECT_STREQ(e.what(), "bad allocation");
    }
    EXPECT_EQ(buffer.GetBuffer(), block);
    EXPECT_EQ(buffer.GetSize(), 4u);
    EXPECT_EQ(buffer.GetCapacity(), 4u);
    EXPECT_EQ(BytesOf(buffer), (std::vector<unsigned char>{'a', 'b', 'c', 'd'}));
}

INSTANTIATE_TEST_SUITE_P(Operations, BufferFailureTest,
                         ::testing::Values(FailureCase{"SetSize", [](IBuffer& b) { b.SetSize(1000); }},
                                           FailureCase{"Allocate", [](IBuffer& b) { b.Allocate(1000); }},
                                           FailureCase{
                                               "SetSizeAmortized", [](IBuffer& b)
                                               { dynamic_cast<TestBuffer<1, 0>&>(b).SetSizeAmortized(5); }}),
                         [](const auto& info) { return info.param.name; });

TEST_F(BufferTest, FailedReserveInConstructorThrowsWithoutLeaking)
{
    Heap().failures = 1;
    EXPECT_THROW((TestBuffer<1, 0>(1, 100)), std::bad_alloc);
    EXPECT_EQ(Heap().frees, 0);
}

TEST_F(BufferTest, RefusedShrinkKeepsTheLargerBlock)
{
    TestBuffer<1, 0> buffer(100);
    std::memset(buffer.GetBuffer(), 'y', 100);
    Heap().failures = 1;
    EXPECT_EQ(buffer.SetSize(10), 10u);
    EXPECT_EQ(buffer.GetCapacity(), 100u);
    EXPECT_EQ(BytesOf(buffer), std::vector<unsigned char>(10, 'y'));
}

TEST_F(BufferTest, SizeBeyondThirtyTwoBitsIsAnAllocationFailure)
{
    TestBuffer<1024, 0> buffer;
    EXPECT_THROW(buffer.SetSize(0xFFFFFFFFu), std::bad_alloc);
    EXPECT_EQ(buffer.GetCapacity(), 0u);
}

// --- Fill and FillWide ----------------------------------------------------------------

struct FillCase
{
    std::uint32_t offset;
    std::int32_t count;
    QKRESULT result;
    const char* expected; // the 8 bytes after filling "abcdefgh" with '*'
};

void PrintTo(const FillCase& c, std::ostream* os)
{
    *os << "offset " << c.offset << " count " << c.count;
}

class BufferFillTest : public ::testing::TestWithParam<FillCase>
{
};

TEST_P(BufferFillTest, FillsTheRangeOrRefusesIt)
{
    TestBuffer<1, 0> buffer(8);
    std::memcpy(buffer.GetBuffer(), "abcdefgh", 8);
    EXPECT_EQ(buffer.Fill('*', GetParam().offset, GetParam().count), GetParam().result);
    EXPECT_EQ(std::string(static_cast<char*>(buffer.GetBuffer()), 8), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, BufferFillTest,
    ::testing::Values(FillCase{2, 3, QK_OK, "ab***fgh"}, FillCase{5, -1, QK_OK, "abcde***"},
                      FillCase{0, -1, QK_OK, "********"}, FillCase{8, -1, QK_OK, "abcdefgh"},
                      FillCase{8, 0, QK_OK, "abcdefgh"}, FillCase{9, -1, QK_E_INVALIDARG, "abcdefgh"},
                      FillCase{0, 9, QK_E_INVALIDARG, "abcdefgh"},
                      FillCase{7, 2, QK_E_INVALIDARG, "abcdefgh"},
                      FillCase{0xFFFFFFFFu, 2, QK_E_INVALIDARG, "abcdefgh"}));

struct FillWideCase
{
    std::uint32_t offset;
    std::int32_t count;
    QKRESULT result;
    std::vector<unsigned char> expected; // the 5 bytes after filling zeros with 0x1234
};

void PrintTo(const FillWideCase& c, std::ostream* os)
{
    *os << "offset " << c.offset << " count " << c.count;
}

class BufferFillWideTest : public ::testing::TestWithParam<FillWideCase>
{
};

TEST_P(BufferFillWideTest, FillsWholeUnitsOnly)
{
    TestBuffer<1, 0> buffer(5, 0, true);
    EXPECT_EQ(buffer.FillWide(0x1234, GetParam().offset, GetParam().count), GetParam().result);
    EXPECT_EQ(BytesOf(buffer), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Ranges, BufferFillWideTest,
                         ::testing::Values(FillWideCase{0, -1, QK_OK, {0x34, 0x12, 0x34, 0x12, 0}},
                                           FillWideCase{1, 2, QK_OK, {0, 0x34, 0x12, 0x34, 0x12}},
                                           FillWideCase{1, -1, QK_OK, {0, 0x34, 0x12, 0x34, 0x12}},
                                           FillWideCase{4, -1, QK_OK, {0, 0, 0, 0, 0}},
                                           FillWideCase{0, 3, QK_E_INVALIDARG, {0, 0, 0, 0, 0}},
                                           FillWideCase{6, -1, QK_E_INVALIDARG, {0, 0, 0, 0, 0}}));

// --- Reference-counted buffers ---------------------------------------------------------

using FileBuffer = LBufferT<1, 0>;

ConstRCPtr<LIBuffer> MakeBytes(const std::vector<unsigned char>& bytes)
{
    ConstRCPtr<LIBuffer> buffer;
    FileBuffer::Create(buffer, static_cast<std::uint32_t>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(buffer->GetBuffer(), bytes.data(), bytes.size());
    return buffer;
}

struct SizedCopyCase
{
    std::uint32_t size;
    std::uint32_t offset;
    std::vector<unsigned char> expected;
};

void PrintTo(const SizedCopyCase& c, std::ostream* os)
{
    *os << "size " << c.size << " offset " << c.offset;
}

class SizedCopyTest : public ::testing::TestWithParam<SizedCopyCase>
{
};

TEST_P(SizedCopyTest, CopiesFromOffsetAndZeroFillsTheRest)
{
    const ConstRCPtr<LIBuffer> source = MakeBytes({1, 2, 3, 4, 5, 6});
    ConstRCPtr<LIBuffer> copy;
    source->CreateSizedCopy(copy, GetParam().size, GetParam().offset);
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.Get(), source.Get());
    EXPECT_EQ(BytesOf(*copy), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Ranges, SizedCopyTest,
                         ::testing::Values(SizedCopyCase{10, 3, {4, 5, 6, 0, 0, 0, 0, 0, 0, 0}},
                                           SizedCopyCase{10, 6, std::vector<unsigned char>(10, 0)},
                                           SizedCopyCase{2, 1, {2, 3}}, SizedCopyCase{0, 0, {}}));

TEST(RCBufferTest, SizedCopyMayReplaceTheBufferItIsMadeFrom)
{
    ConstRCPtr<LIBuffer> buffer = MakeBytes({7, 8, 9});
    buffer->CreateSizedCopy(buffer, 4, 1);
    EXPECT_EQ(BytesOf(*buffer), (std::vector<unsigned char>{8, 9, 0, 0}));
    EXPECT_EQ(buffer->GetRefCount(), 1);
}

TEST(RCBufferTest, UnshareableBufferTakenBySecondPointerIsCopied)
{
    RCPtr<LIBuffer> holder;
    FileBuffer::Create(holder, 3);
    std::memcpy(holder->GetBuffer(), "abc", 3);
    holder->SetUnshareable(true);

    const ConstRCPtr<LIBuffer> second(holder);
    EXPECT_NE(second.Get(), holder.Get());
    EXPECT_EQ(holder->GetRefCount(), 1);
    EXPECT_EQ(second->GetRefCount(), 1);
    EXPECT_TRUE(second->IsShareable());
    EXPECT_EQ(BytesOf(*second), (std::vector<unsigned char>{'a', 'b', 'c'}));

    static_cast<char*>(holder->GetBuffer())[0] = 'z';
    EXPECT_EQ(static_cast<const char*>(second->GetBuffer())[0], 'a')
        << "the holder writes only its own buffer";
}

TEST(RCBufferTest, ShareableBufferIsShared)
{
    const ConstRCPtr<LIBuffer> holder = MakeBytes({1, 2});
    const ConstRCPtr<LIBuffer> second(holder);
    EXPECT_EQ(second.Get(), holder.Get());
    EXPECT_EQ(holder->GetRefCount(), 2);
}

TEST(RCBufferTest, PointerAtIsNullFromTheSizeOn)
{
    const ConstRCPtr<LIBuffer> buffer = MakeBytes({1, 2, 3});
    EXPECT_EQ(buffer->GetPointerAt(2), static_cast<const unsigned char*>(buffer->GetBuffer()) + 2);
    EXPECT_EQ(buffer->GetPointerAt(3), nullptr);
    EXPECT_EQ(MakeBytes({})->GetPointerAt(0), nullptr);
}

TEST_F(BufferTest, FailedBufferCreationThrowsAndLeavesTheTargetAlone)
{
    using ScriptedBuffer = LBufferT<1, 0, 8, char*, ScriptedHeap>;
    ConstRCPtr<LIBuffer> target = MakeBytes({5});
    const LIBuffer* before = target.Get();
    Heap().failures = 1;
    EXPECT_THROW(ScriptedBuffer::Create(target, 100), std::bad_alloc);
    EXPECT_EQ(target.Get(), before);
}

// --- ArrayBuffer ------------------------------------------------------------------------

using IntArray = ArrayBuffer<std::int32_t, 1, 0>;

std::vector<std::int32_t> ItemsOf(IArray<std::int32_t>& array)
{
    return std::vector<std::int32_t>(array.GetBuffer(), array.GetBuffer() + array.GetCount());
}

TEST(ArrayBufferTest, InsertAtAppendsAtTheCountAndRefusesBeyond)
{
    IntArray array;
    EXPECT_EQ(array.Add(1), 1);
    EXPECT_EQ(array.InsertAt(1, 3), 2) << "answers the new count";
    EXPECT_EQ(array.InsertAt(1, 2), 3);
    EXPECT_EQ(array.InsertAt(4, 9), QK_E_INVALIDARG);
    EXPECT_EQ(ItemsOf(array), (std::vector<std::int32_t>{1, 2, 3}));
}

TEST(ArrayBufferTest, InsertingAnElementOfItselfInsertsItsValue)
{
    IntArray array;
    array.Add(5);
    array.Add(6);
    array.InsertAt(0, *array.GetAt(1));
    EXPECT_EQ(ItemsOf(array), (std::vector<std::int32_t>{6, 5, 6}));
}

TEST(ArrayBufferTest, SetCountZeroFillsNewElements)
{
    IntArray array;
    array.Add(1);
    array.Add(2);
    array.Add(3);
    array.SetCount(1);
    EXPECT_EQ(array.SetCount(3), 3);
    EXPECT_EQ(ItemsOf(array), (std::vector<std::int32_t>{1, 0, 0}));
}

TEST(ArrayBufferTest, InsertCountOpensZeroedSlotsAndRemoveRangeCloses)
{
    IntArray array(2);
    *array.GetAt(0) = 1;
    *array.GetAt(1) = 4;
    EXPECT_EQ(array.InsertCount(1, 2), 4);
    EXPECT_EQ(ItemsOf(array), (std::vector<std::int32_t>{1, 0, 0, 4}));
    EXPECT_EQ(array.InsertCount(5, 1), QK_E_INVALIDARG);
    EXPECT_EQ(array.InsertCount(9, 0), 4) << "nothing to insert answers the count";

    EXPECT_EQ(array.RemoveRange(1, 4), QK_E_INVALIDARG);
    EXPECT_EQ(array.RemoveRange(1, 2), 2);
    EXPECT_EQ(ItemsOf(array), (std::vector<std::int32_t>{1, 4}));
}

TEST(ArrayBufferTest, RemoveItemHandsTheElementOverOrLeavesItemAlone)
{
    IntArray array;
    array.Add(7);
    array.Add(8);
    std::int32_t item = -1;
    EXPECT_EQ(array.RemoveItem(2, item), QK_E_INVALIDARG);
    EXPECT_EQ(item, -1);
    EXPECT_EQ(array.RemoveItem(0, item), 1);
    EXPECT_EQ(item, 7);
    EXPECT_EQ(ItemsOf(array), (std::vector<std::int32_t>{8}));
}

TEST(ArrayBufferTest, StorageFollowsTheGrowthOfItsInstance)
{
    ArrayBuffer<std::uint32_t, 4, 1600> pool;
    pool.SetCount(1);
    EXPECT_EQ(pool.GetCapacity(), 16u);
    pool.SetCount(5);
    EXPECT_EQ(pool.GetCapacity(), 32u);
    pool.SetCount(0);
    EXPECT_EQ(pool.GetCapacity(), 32u) << "within 1600 spare elements the block stays";
}

// --- ArrayBufferM -----------------------------------------------------------------------

using MidiBytes = ArrayBufferM<signed char, 4, 1, 0, 1, 8, ScriptedHeap>;

bool IsInside(const void* pointer, const void* object, std::size_t size)
{
    const auto* p = static_cast<const char*>(pointer);
    const auto* o = static_cast<const char*>(object);
    return p >= o && p < o + size;
}

TEST_F(BufferTest, ArrayBufferMKeepsFourElementsInlineAndMovesToTheHeapAbove)
{
    MidiBytes bytes;
    for (signed char b = 1; b <= 4; ++b)
    {
        bytes.Add(b);
        EXPECT_TRUE(IsInside(bytes.GetBuffer(), &bytes, sizeof bytes));
    }
    EXPECT_EQ(Heap().Calls(), 0);

    bytes.Add(5);
    EXPECT_EQ(bytes.GetCount(), 5u);
    EXPECT_FALSE(IsInside(bytes.GetBuffer(), &bytes, sizeof bytes));
    EXPECT_EQ(bytes.GetCapacity(), 5u);
    EXPECT_EQ(std::vector<signed char>(bytes.GetBuffer(), bytes.GetBuffer() + 5),
              (std::vector<signed char>{1, 2, 3, 4, 5}));

    EXPECT_EQ(bytes.SetCount(3), 3);
    EXPECT_TRUE(IsInside(bytes.GetBuffer(), &bytes, sizeof bytes));
    EXPECT_EQ(bytes.GetCapacity(), 0u) << "the heap block is released";
    EXPECT_EQ(Heap().frees, 1);
    EXPECT_EQ(std::vector<signed char>(bytes.GetBuffer(), bytes.GetBuffer() + 3),
              (std::vector<signed char>{1, 2, 3}));

    bytes.SetCount(0);
    EXPECT_EQ(bytes.GetCount(), 0u);
    EXPECT_TRUE(IsInside(bytes.GetBuffer(), &bytes, sizeof bytes));
}

TEST_F(BufferTest, ArrayBufferMFillsItsInlineElementsWithinTheirCount)
{
    MidiBytes bytes;
    bytes.SetCount(3);
    EXPECT_EQ(bytes.Fill(0x7F, 1, -1), QK_OK);
    EXPECT_EQ(bytes.Fill(0x7F, 0, 4), QK_E_INVALIDARG) << "the fourth inline slot is not in use";
    EXPECT_EQ(std::vector<signed char>(bytes.GetBuffer(), bytes.GetBuffer() + 3),
              (std::vector<signed char>{0, 0x7F, 0x7F}));
}

TEST_F(BufferTest, ArrayBufferMKeepsItsInlineBytesWhenTheHeapRefuses)
{
    MidiBytes bytes;
    bytes.Add(1);
    bytes.Add(2);
    Heap().failures = 1;
    EXPECT_THROW(bytes.SetCount(6), std::bad_alloc);
    EXPECT_EQ(bytes.GetCount(), 2u);
    EXPECT_EQ(bytes.GetBuffer()[1], 2);
}

} // namespace
} // namespace QK
