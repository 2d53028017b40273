// The controller's SysEx messages, byte for byte, and what the builders and the dump
// reader refuse.
#include "Engine/PresetEditorCommon/PresetSysEx.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"

#include <gtest/gtest.h>

#include <vector>

namespace QK
{
namespace
{

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const Array<signed char>& array)
{
    Bytes bytes;
    for (std::uint32_t i = 0; i < array.GetCount(); ++i)
        bytes.push_back(static_cast<std::uint8_t>(*array.GetAt(i)));
    return bytes;
}

Array<signed char> ToArray(const Bytes& bytes)
{
    Array<signed char> array;
    for (const std::uint8_t byte : bytes)
        array.Add(static_cast<signed char>(byte));
    return array;
}

// A preset image whose bytes tell where they came from: byte k holds k % 128.
Bytes PatternImage()
{
    Bytes image(kParameterImageSize);
    for (std::size_t k = 0; k < image.size(); ++k)
        image[k] = static_cast<std::uint8_t>(k % 128);
    return image;
}

// The 79 values of an image, each of its table size.
Array<Variant> ValuesOf(const Bytes& image)
{
    Array<Variant> values;
    values.SetCount(kParameterCount);
    for (std::uint32_t i = 0; i < kParameterCount; ++i)
        values.GetAt(i)->SetBytes(image.data() + GetParameterByteOffset(i), GetParameterByteSize(i));
    return values;
}

Bytes Dump(const Bytes& image, std::uint8_t command = 0x66)
{
    Bytes dump = {0xF0, 0x47, 0x00, 0x50, command, 0x00, 0x01, 0x03};
    dump.insert(dump.end(), image.begin(), image.end());
    dump.push_back(0xF7);
    return dump;
}

TEST(PresetSysExTest, RequestsAreTheControllersBytes)
{
    Array<signed char> framed;
    for (const std::int32_t preset : {0, 3, 8})
    {
        ASSERT_EQ(PresetSysEx::FrameSysEx(PresetSysEx::BuildGetPresetRequest(preset), framed), QK_OK);
        EXPECT_EQ(ToBytes(framed),
                  (Bytes{0xF0, 0x47, 0x7F, 0x50, 0x66, 0x00, 0x01, static_cast<std::uint8_t>(preset), 0xF7}));
    }
    EXPECT_EQ(ToBytes(PresetSysEx::BuildSendPresetHeader(8)),
              (Bytes{0x47, 0x7F, 0x50, 0x64, 0x01, 0x0E, 0x08}));
    EXPECT_EQ(ToBytes(PresetSysEx::BuildIdentityRequest()), (Bytes{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}));
}

TEST(PresetSysExTest, FramingAddsOnlyWhatIsMissing)
{
    struct Case
    {
        Bytes in;
        QKRESULT result;
        Bytes out;
    };
    const Case cases[] = {
        {{0x47, 0x01}, QK_OK, {0xF0, 0x47, 0x01, 0xF7}},
        {{0xF0, 0x47, 0xF7}, QK_OK, {0xF0, 0x47, 0xF7}},
        {{0xF0, 0x47}, QK_OK, {0xF0, 0x47, 0xF7}},
        {{0x47, 0xF7}, QK_OK, {0xF0, 0x47, 0xF7}},
        {{0xF0, 0xF7}, QK_OK, {0xF0, 0xF7}},
        {{0x05}, QK_OK, {0xF0, 0x05, 0xF7}},
        {{0xF0}, QK_E_FAIL, {}},
        {{0xF7}, QK_E_FAIL, {}},
        {{}, QK_E_INVALIDARG, {}},
    };
    for (const Case& c : cases)
    {
        Array<signed char> framed;
        EXPECT_EQ(PresetSysEx::FrameSysEx(ToArray(c.in), framed), c.result);
        EXPECT_EQ(ToBytes(framed), c.out);
    }
}

TEST(PresetSysExTest, OnlyTheFirstFourBytesMakeADeviceReply)
{
    struct Case
    {
        Bytes bytes;
        bool reply;
    };
    const Case cases[] = {
        {{0xF0, 0x47, 0x00, 0x50}, true},
        {{0xF0, 0x47, 0x00, 0x50, 0x13, 0xF7}, true},
        {{0xF0, 0x47, 0x00}, false},
        {{0xF0, 0x47, 0x7F, 0x50, 0x66}, false},
        {{0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x47, 0xF7}, false},
        {{}, false},
    };
    for (const Case& c : cases)
    {
        const Array<signed char> array = ToArray(c.bytes);
        EXPECT_EQ(PresetSysEx::IsDeviceReply(array.GetBuffer(), array.GetCount()), c.reply);
    }
}

TEST(PresetSysExTest, SendBodyHoldsTheHeaderAndTheImageInTableOrder)
{
    const Bytes image = PatternImage();
    Array<signed char> body;
    ASSERT_EQ(PresetSysEx::BuildSendPresetBody(0, ValuesOf(image), body), QK_OK);
    Array<signed char> message;
    ASSERT_EQ(PresetSysEx::FrameSysEx(body, message), QK_OK);

    Bytes expected = {0xF0, 0x47, 0x7F, 0x50, 0x64, 0x01, 0x0E, 0x00};
    expected.insert(expected.end(), image.begin(), image.end());
    expected.push_back(0xF7);
    ASSERT_EQ(message.GetCount(), 224u);
    EXPECT_EQ(ToBytes(message), expected);
}

TEST(PresetSysExTest, SendBodyRefusesWhatDoesNotFitTheTable)
{
    const Bytes image = PatternImage();
    struct Case
    {
        const char* what;
        std::int32_t preset;
        Array<Variant> values;
        QKRESULT result;
    };
    std::vector<Case> cases;
    cases.push_back({"preset -1", -1, ValuesOf(image), QK_E_INVALIDARG});
    cases.push_back({"preset 9", 9, ValuesOf(image), QK_E_INVALIDARG});
    {
        Array<Variant> values = ValuesOf(image);
        values.SetCount(78);
        cases.push_back({"78 values", 0, values, QK_E_INVALIDARG});
    }
    {
        Array<Variant> values = ValuesOf(image);
        const std::uint8_t two[] = {1, 2};
        values.GetAt(1)->SetBytes(two, 2);
        cases.push_back({"a one-byte value of two bytes", 0, values, QK_E_INVALIDARG});
    }
    {
        Array<Variant> values = ValuesOf(image);
        const std::uint8_t tempo[] = {0x00, 0x80};
        values.GetAt(kArpeggiatorTempoIndex)->SetBytes(tempo, 2);
        cases.push_back({"a byte above 7F", 0, values, QK_E_INVALIDARG});
    }
    {
        Array<Variant> values = ValuesOf(image);
        *values.GetAt(5) = Variant();
        cases.push_back({"an empty value", 0, values, QK_E_FAIL});
    }
    {
        Array<Variant> values = ValuesOf(image);
        Variant list;
        list.SetList(values.GetBuffer(), 2);
        *values.GetAt(5) = list;
        cases.push_back({"a list value", 0, values, QK_E_NOTIMPL});
    }
    for (const Case& c : cases)
    {
        Array<signed char> body;
        body.Add(1);
        EXPECT_EQ(PresetSysEx::BuildSendPresetBody(c.preset, c.values, body), c.result) << c.what;
        EXPECT_EQ(body.GetCount(), 0u) << c.what;
    }
}

TEST(PresetSysExTest, DumpIsCutByTheTableSizes)
{
    const Bytes image = PatternImage();
    const Bytes whole = Dump(image);
    // Any command byte, and a dump without its closing F7, still carry the values.
    for (const Bytes& dump : {whole, Dump(image, 0x13), Bytes(whole.begin(), whole.end() - 1)})
    {
        const Array<signed char> bytes = ToArray(dump);
        Array<Variant> values;
        ASSERT_EQ(PresetSysEx::CutPresetDump(bytes.GetBuffer(), bytes.GetCount(), values), QK_OK);
        ASSERT_EQ(values.GetCount(), kParameterCount);
        for (std::uint32_t i = 0; i < kParameterCount; ++i)
        {
            std::uint32_t size = 0;
            const auto* data = static_cast<const std::uint8_t*>(values.GetAt(i)->GetData(size));
            EXPECT_EQ(values.GetAt(i)->GetKind(), kVariantBytes);
            ASSERT_EQ(size, GetParameterByteSize(i)) << i;
            EXPECT_EQ(Bytes(data, data + size), Bytes(image.begin() + GetParameterByteOffset(i),
                                                      image.begin() + GetParameterByteOffset(i) + size))
                << i;
        }
    }
}

TEST(PresetSysExTest, DumpsThatCannotHoldAPresetChangeNothing)
{
    const Bytes image = PatternImage();
    Bytes highByte = Dump(image);
    highByte[100] = 0x80;
    Bytes notReply = Dump(image);
    notReply[2] = 0x7F;
    const Bytes whole = Dump(image);
    const Bytes shortDump(whole.begin(), whole.begin() + 222);
    for (const Bytes& dump : {shortDump, highByte, notReply, Bytes{0xF0, 0x47, 0x00, 0x50}})
    {
        // Exactly as long as the dump, so that a read past its end is caught.
        const std::vector<signed char> bytes(dump.begin(), dump.end());
        Array<Variant> values;
        values.SetCount(3);
        EXPECT_EQ(PresetSysEx::CutPresetDump(bytes.data(), static_cast<std::uint32_t>(bytes.size()), values),
                  QK_E_INVALIDARG);
        EXPECT_EQ(values.GetCount(), 0u);
    }
}

} // namespace
} // namespace QK
