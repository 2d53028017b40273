// Text forms, parsed texts, shared buffers, and the pair and string holders.
#include "QKFramework/Utilities/Storage/VariantEx.h"
#include "tests/support/ValueRecords.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

std::string Utf8(const WString& text)
{
    return NString(text.GetString()).GetString();
}

VariantEx MakeList(std::initializer_list<VariantEx> items)
{
    const std::vector<VariantEx> all(items);
    VariantEx list;
    EXPECT_EQ(list.SetList(all.data(), static_cast<std::uint32_t>(all.size())), QK_OK);
    return list;
}

struct TextFormCase
{
    const char* name;
    std::function<VariantEx()> make;
    const char* text;
};

const TextFormCase kTextForms[] = {
    {"empty", [] { return VariantEx(); }, "<empty>"},
    {"bool true", [] { return Make<VariantEx>(kVariantBool, {2}); }, "true"},
    {"bool false", [] { return Make<VariantEx>(kVariantBool, {0}); }, "false"},
    {"int8 -1", [] { return Make<VariantEx>(kVariantInt8, {0xFF}); }, "-1 (0xFFFFFFFF)"},
    {"int8 5", [] { return Make<VariantEx>(kVariantInt8, {5}); }, "5 (0x05)"},
    {"uint8 255", [] { return Make<VariantEx>(kVariantUInt8, {0xFF}); }, "255 (0xFF)"},
    {"int16 -2", [] { return Make<VariantEx>(kVariantInt16, {0xFE, 0xFF}); }, "-2 (0xFFFFFFFE)"},
    {"uint16 0x1234", [] { return Make<VariantEx>(kVariantUInt16, {0x34, 0x12}); }, "4660 (0x1234)"},
    {"int32 5", [] { return Make<VariantEx>(kVariantInt32, {5, 0, 0, 0}); }, "5 (0x00000005)"},
    {"int32 -1", [] { return Make<VariantEx>(kVariantInt32, {0xFF, 0xFF, 0xFF, 0xFF}); }, "-1 (0xFFFFFFFF)"},
    {"uint32 max", [] { return Make<VariantEx>(kVariantUInt32, {0xFF, 0xFF, 0xFF, 0xFF}); }, "4294967295 (0xFFFFFFFF)"},
    {"float 1.5", [] { return Make<VariantEx>(kVariantFloat, {0, 0, 0xC0, 0x3F}); }, "1.500000"},
    {"double -0.25", [] { return Make<VariantEx>(kVariantDouble, {0, 0, 0, 0, 0, 0, 0xD0, 0xBF}); }, "-0.250000"},
    {"int64 255", [] { return Make<VariantEx>(kVariantInt64, {0xFF, 0, 0, 0, 0, 0, 0, 0}); }, "255 (0xFF)"},
    {"int64 -1",
     [] { return Make<VariantEx>(kVariantInt64, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}); },
     "-1 (0xFFFFFFFFFFFFFFFF)"},
    {"uint64 255", [] { return Make<VariantEx>(kVariantUInt64, {0xFF, 0, 0, 0, 0, 0, 0, 0}); }, "FF"},
    {"text", [] { return MakeText<VariantEx>("h\xC3\xA9llo"); }, "h\xC3\xA9llo"},
    {"empty text", [] { return MakeText<VariantEx>(""); }, ""},
    {"list of a 32-bit 5 and an empty value",
     [] { return MakeList({Make<VariantEx>(kVariantInt32, {5, 0, 0, 0}), VariantEx()}); },
     "array(2):\n  [0] 5 (0x00000005)\n  [1] <empty>"},
    {"nested lists",
     []
     {
         return MakeList({Make<VariantEx>(kVariantInt8, {1}),
                          MakeList({Make<VariantEx>(kVariantBool, {1}), MakeList({}), MakeList({MakeText<VariantEx>("x")})})});
     },
     "array(2):\n"
     "  [0] 1 (0x01)\n"
     "  [1] array(3):\n"
     "    [0] true\n"
     "    [1] <empty array>\n"
     "    [2] array(1):\n"
     "      [0] x"},
    {"list without records", [] { return MakeList({}); }, "<empty array>"},
};

TEST(VariantExTest, TextFormsByKind)
{
    for (const TextFormCase& c : kTextForms)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8(c.make().ToString()), c.text);
    }
}

TEST(VariantExTest, ReferencesAndBlocksShowTheirAddress)
{
    const std::uint8_t bytes[] = {1};
    VariantEx reference;
    reference.SetReadOnlyReference(bytes, 1);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%" PRIX64, static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(bytes)));
    EXPECT_EQ(Utf8(reference.ToString()), expected);

    const VariantEx block = Make<VariantEx>(kVariantBytes, {1, 2});
    std::uint32_t size = 0;
    std::snprintf(expected, sizeof expected, "%" PRIX64,
                  static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(block.GetData(size))));
    EXPECT_EQ(Utf8(block.ToString()), expected);
}

TEST(VariantExTest, ListLevelsIndentTheItems)
{
    const VariantEx list = MakeList({Make<VariantEx>(kVariantInt8, {1}), MakeList({Make<VariantEx>(kVariantInt8, {2})})});
    WString text;
    list.ToString(text, 1);
    EXPECT_EQ(Utf8(text), "array(2):\n    [0] 1 (0x01)\n    [1] array(1):\n      [0] 2 (0x02)");
    list.ListToString(text, 0);
    EXPECT_EQ(Utf8(text), "array(2):\n  [0] 1 (0x01)\n  [1] array(1):\n    [0] 2 (0x02)");
    list.ToString(text, -5);
    EXPECT_EQ(Utf8(text), Utf8(list.ToString()));

    // A value that is not a list has no indent at any level.
    Make<VariantEx>(kVariantInt8, {3}).ListToString(text, 3);
    EXPECT_EQ(Utf8(text), "3 (0x03)");
}

TEST(VariantExTest, DeeplyNestedListsAreCutShort)
{
    VariantEx list = MakeList({});
    for (int i = 0; i < 200; ++i)
        list = MakeList({list});
    const std::string text = Utf8(list.ToString());
    EXPECT_NE(text.find("array(1): ..."), std::string::npos);
    EXPECT_EQ(text.find("<empty array>"), std::string::npos);
    EXPECT_LT(text.size(), 64u * 200u);
}

TEST(VariantExTest, TextIsParsedForNumbersAndBools)
{
    struct
    {
        const char* text;
        bool boolean;
        std::int32_t int32;
        std::int64_t int64;
        std::uint32_t uint32;
        double real;
    } const cases[] = {
        {"TRUE", true, 0, 0, 0, 0.0},
        {"true", true, 0, 0, 0, 0.0},
        {"yes", false, 0, 0, 0, 0.0},
        {"1", false, 1, 1, 1, 1.0},
        {"42abc", false, 42, 42, 42, 42.0},
        {"  -7", false, -7, -7, 0xFFFFFFF9u, -7.0},
        {"4294967296", false, INT32_MAX, 4294967296LL, 0, 4294967296.0},
        {"99999999999999999999", false, INT32_MAX, INT64_MAX, 0xFFFFFFFFu, 1e20},
        {"3.5e2x", false, 3, 3, 3, 350.0},
        {"", false, 0, 0, 0, 0.0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        const VariantEx value = MakeText<VariantEx>(c.text);
        EXPECT_EQ(value.ToBool(), c.boolean);
        EXPECT_EQ(value.ToInt32(), c.int32);
        EXPECT_EQ(value.ToInt16(), static_cast<std::int16_t>(c.int32));
        EXPECT_EQ(value.ToUInt16(), static_cast<std::uint16_t>(c.int32));
        EXPECT_EQ(value.ToInt8(), static_cast<std::int8_t>(c.int32));
        EXPECT_EQ(value.ToUInt8(), static_cast<std::uint8_t>(c.int32));
        EXPECT_EQ(value.ToInt64(), c.int64);
        EXPECT_EQ(value.ToUInt64(), static_cast<std::uint64_t>(c.int64));
        EXPECT_EQ(value.ToUInt32(), c.uint32);
        EXPECT_DOUBLE_EQ(value.ToDouble(), c.real);
        EXPECT_FLOAT_EQ(value.ToFloat(), static_cast<float>(c.real));
    }
    // Every other kind answers as Variant does.
    EXPECT_EQ(Make<VariantEx>(kVariantInt8, {0xFF}).ToUInt16(), 255);
    EXPECT_TRUE(Make<VariantEx>(kVariantBytes, {0}).ToBool());
    EXPECT_EQ(Make<VariantEx>(kVariantDouble, {0, 0, 0, 0, 0, 0, 0x04, 0x40}).ToInt32(), 3);
}

TEST(VariantExTest, ATextWhoseTerminatorWasOverwrittenStaysInsideItsBlock)
{
    VariantEx value = MakeText<VariantEx>("12");
    std::uint32_t size = 0;
    char* data = static_cast<char*>(value.GetMutableData(size));
    ASSERT_EQ(size, 3u);
    data[2] = '3';
    EXPECT_EQ(Utf8(value.ToString()), "12");
    EXPECT_EQ(value.ToInt32(), 12);
    EXPECT_EQ(value.ToInt64(), 12);
}

TEST(VariantExTest, BuffersAreSharedWithTheirReceiver)
{
    ConstRCPtr<LIBuffer> kept;
    {
        const VariantEx value = Make<VariantEx>(kVariantBytes, {1, 2, 3});
        kept = value.GetBuffer();
        std::uint32_t size = 0;
        EXPECT_EQ(kept->GetBuffer(), value.GetData(size));
        EXPECT_EQ(kept->GetSize(), 3u);

        // A copy has a buffer of its own.
        const VariantEx copy(value);
        EXPECT_NE(copy.GetBuffer().Get(), kept.Get());
        EXPECT_TRUE(copy.IsEqual(value));
    }
    EXPECT_EQ(kept->GetRefCount(), 1);
    EXPECT_EQ(static_cast<const std::uint8_t*>(kept->GetBuffer())[2], 3);

    VariantEx text;
    text.SetString(NString("abc"));
    EXPECT_EQ(text.GetKind(), kVariantText);
    EXPECT_EQ(text.GetLength(), 4u);
    EXPECT_EQ(text.GetBuffer()->GetSize(), 4u);
    EXPECT_STREQ(static_cast<const char*>(text.GetBuffer()->GetBuffer()), "abc");

    text.SetBytes(nullptr, 0);
    EXPECT_TRUE(text.GetBuffer().IsNull()) << "a block of no bytes has no buffer";
}

TEST(VariantExTest, GetBufferOfAnotherKindThrows)
{
    for (const VariantEx& value : {VariantEx(), Make<VariantEx>(kVariantInt32, {1, 0, 0, 0}), MakeList({VariantEx()})})
    {
        try
        {
            value.GetBuffer();
            ADD_FAILURE() << "no exception";
        }
        catch (const std::runtime_error& e)
        {
            EXPECT_STREQ(e.what(), "Runtime Error : QK::VariantEx::GetBuffer : Utilities\\Storage\\VariantEx : Line 464");
        }
    }
}

TEST(VariantExTest, CopiesBetweenVariantAndVariantEx)
{
    Variant plain;
    plain.SetString("plain");
    VariantEx fromPlain(plain);
    EXPECT_STREQ(static_cast<const char*>(fromPlain.GetBuffer()->GetBuffer()), "plain");
    VariantEx assigned;
    assigned = plain;
    EXPECT_TRUE(assigned.IsEqual(plain));
    assigned = fromPlain;
    EXPECT_TRUE(assigned.IsEqual(fromPlain));
    EXPECT_NE(assigned.GetBuffer().Get(), fromPlain.GetBuffer().Get());

    Variant back(fromPlain);
    EXPECT_STREQ(back.GetOwnedBuffer(), "plain");
}

TEST(VariantExTest, GetListItems)
{
    Array<VariantEx> items;
    items.Add(MakeText<VariantEx>("stale"));
    EXPECT_EQ(Make<VariantEx>(kVariantInt32, {1, 0, 0, 0}).GetListItems(items), QK_E_INVALIDARG);
    EXPECT_EQ(items.GetCount(), 0u);
    items.Add(MakeText<VariantEx>("stale"));
    EXPECT_EQ(VariantEx().GetListItems(items), QK_OK);
    EXPECT_EQ(items.GetCount(), 0u);

    const VariantEx list = MakeList({MakeText<VariantEx>("a"), Make<VariantEx>(kVariantInt8, {2})});
    ASSERT_EQ(list.GetListItems(items), QK_OK);
    ASSERT_EQ(items.GetCount(), 2u);
    EXPECT_STREQ(static_cast<const char*>(items.GetAt(0)->GetBuffer()->GetBuffer()), "a");
    EXPECT_EQ(items.GetAt(1)->ToInt32(), 2);

    // An item that cannot be read stays empty; the others are read.
    const std::uint8_t block[] = {15, 0, 0, 0, 1, 0, 0, 0, 6, 0, 0, 0, 1, 2, 3, 13, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 9};
    VariantEx partly;
    partly.SetData(kVariantList, block, sizeof block);
    ASSERT_EQ(partly.GetListItems(items), QK_OK);
    ASSERT_EQ(items.GetCount(), 2u);
    EXPECT_EQ(items.GetAt(0)->GetKind(), kVariantEmpty);
    EXPECT_EQ(items.GetAt(1)->ToInt32(), 9);
}

TEST(VariantExTest, DeserializeKeepsTheBlockInABuffer)
{
    const std::uint8_t record[] = {15, 0, 0, 0, 1, 0, 0, 0, 15, 0, 0, 0, 'o', 'k', 0};
    VariantEx value;
    ASSERT_EQ(VariantEx::Deserialize(value, record, sizeof record), QK_OK);
    EXPECT_STREQ(static_cast<const char*>(value.GetBuffer()->GetBuffer()), "ok");
}

// --- Holders --------------------------------------------------------------------------------

struct JoinPair
{
    WString operator()(const Pair<WString, VariantEx>& pair) const
    {
        return pair.key + WString(u"=") + pair.value.ToString();
    }
};

TEST(HolderTest, PairCopiesItsValuesAndShowsThemThroughItsFunction)
{
    VariantEx value = MakeText<VariantEx>("on");
    const ConstRCPtr<LPair<WString, VariantEx, JoinPair>> pair(
        new LPair<WString, VariantEx, JoinPair>(WString(u"Power"), value));
    value.SetString("off");
    EXPECT_EQ(Utf8(pair->ToString()), "Power=on");
    EXPECT_TRUE(pair->GetTag().IsNull());
    EXPECT_NE(pair->value.GetBuffer().Get(), value.GetBuffer().Get());

    // The pair is an ordinary counted object: it can be tagged and travels by pointer.
    const ConstRCPtr<LRefCountedObject> asObject(pair);
    EXPECT_EQ(pair->GetRefCount(), 2);
}

TEST(HolderTest, WrapperStringableIsItsString)
{
    const WString text(u"status text");
    const ConstRCPtr<LWrapperStringable<>> holder = LWrapperStringable<>::Create(text);
    EXPECT_EQ(holder->GetRefCount(), 1);
    EXPECT_TRUE(holder->IsEqual(text));
    EXPECT_EQ(Utf8(holder->ToString()), "status text");
    EXPECT_TRUE(holder->GetTag().IsNull());

    const ConstRCPtr<LRefCountedObject> asObject(holder);
    EXPECT_EQ(Utf8(asObject->ToString()), "status text");
}

} // namespace
} // namespace QK
