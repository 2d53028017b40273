// Finding MIDI devices by name: the numbered list, the " (k)" rank and the ends-with match.
#include "QKFramework/Midi/MidiDeviceNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

std::vector<std::string> ToNarrow(const StringArray& names)
{
    std::vector<std::string> result;
    for (std::uint32_t i = 0; i < names.GetCount(); ++i)
        result.emplace_back(NString(names.GetAt(i)->GetString()).GetString());
    return result;
}

TEST(MidiDeviceNamesTest, DuplicateNamesAreNumberedAtTheirFirstPlace)
{
    struct Case
    {
        std::vector<std::string> products;
        std::vector<std::string> listed;
    };
    const Case cases[] = {
        {{}, {}},
        {{"Vedidu"}, {"Vedidu"}},
        {{"Vedidu", "Vedidu"}, {"Vedidu (1)", "Vedidu (2)"}},
        {{"Midi Through", "Vedidu", "Other", "Vedidu", "Vedidu"},
         {"Midi Through", "Vedidu (1)", "Vedidu (2)", "Vedidu (3)", "Other"}},
        // Equal names only: case matters for the numbering.
        {{"Vedidu", "VEDIDU"}, {"Vedidu", "VEDIDU"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToNarrow(NumberDuplicateDeviceNames(c.products)), c.listed);
}

TEST(MidiDeviceNamesTest, PortNameRankComesFromTheParenthesisedEnding)
{
    struct Case
    {
        const char16_t* name;
        const char16_t* base;
        std::int32_t index;
    };
    const Case cases[] = {
        {u"Vedidu", u"Vedidu", 0},
        {u"Vedidu (1)", u"Vedidu", 0},
        {u"Vedidu (2)", u"Vedidu", 1},
        {u"Vedidu (12)", u"Vedidu", 11},
        {u"Vedidu (0)", u"Vedidu", -1},
        {u"Vedidu)", u"Vedidu)", 0},
        {u"(1)", u"(1)", 0},
        {u"", u"", 0},
    };
    for (const Case& c : cases)
    {
        const MidiPortNameParts parts = ParseMidiPortName(WString(c.name));
        EXPECT_TRUE(parts.baseName.IsEqual(c.base)) << NString(c.name).GetString();
        EXPECT_EQ(parts.index, c.index) << NString(c.name).GetString();
    }
}

TEST(MidiDeviceNamesTest, DeviceIsFoundByCaseInsensitiveEndingAndRank)
{
    const std::vector<std::string> products = {"Midi Through", "2- Vedidu", "Vedidu Keys", "VEDIDU",
                                               "Vedidu Vedidu"};
    struct Case
    {
        const char16_t* name;
        std::int32_t device;
    };
    const Case cases[] = {
        {u"Vedidu", 1},      {u"vedidu", 1}, {u"Vedidu (2)", 3}, {u"Vedidu (3)", 4}, {u"Vedidu (4)", -1},
        {u"Vedidu (0)", -1}, {u"Keys", 2},   {u"Vedi", -1},      {u"Nothing", -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindMidiDevice(products, WString(c.name)), c.device) << NString(c.name).GetString();
}

TEST(MidiDeviceNamesTest, ContainmentIgnoresCase)
{
    StringArray names;
    names.Add(WString(u"Vedidu (1)"));
    names.Add(WString(u"vedidu (2)"));
    names.Add(WString(u"Midi Through"));
    EXPECT_EQ(CountNamesContaining(names, WString(u"VEDIDU")), 2u);
    EXPECT_EQ(CountNamesContaining(names, WString(u"Vedidu (2)")), 1u);
    EXPECT_EQ(CountNamesContaining(names, WString(u"Keys")), 0u);
}

} // namespace
} // namespace QK
