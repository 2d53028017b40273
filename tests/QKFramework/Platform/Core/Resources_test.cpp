#include "QKFramework/Platform/Core/Resources.h"

#include "QKFramework/Utilities/Storage/StringT.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

std::string Text(std::span<const std::uint8_t> bytes)
{
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TEST(ResourcesTest, EmbeddedFilesAreFoundByTypeAndNameIgnoringCase)
{
    const std::string skin = "<Skins>\n</Skins>\n";
    EXPECT_EQ(Text(FindResourceData(nullptr, "QKXML", "TEST_SKIN_XML")), skin);
    EXPECT_EQ(Text(FindResourceData(nullptr, "qkxml", "test_skin_xml")), skin);
    EXPECT_EQ(Text(FindResourceData(GetApplicationInstance(), "QKXML", "APP_SKINS")), skin);

    EXPECT_TRUE(FindResourceData(nullptr, "GDIPLUS", "TEST_SKIN_XML").empty());
    EXPECT_TRUE(FindResourceData(nullptr, "QKXML", "TEST SKIN.XML").empty());
    EXPECT_TRUE(FindResourceData(nullptr, "QKXML", "").empty());
}

TEST(ResourcesTest, SourceNamesMapToResourceNames)
{
    const struct
    {
        const char16_t* source;
        bool isResource;
        const char16_t* name;
    } cases[] = {
        {u"::knob.png", true, u"KNOB_PNG"},
        {u"::APP_SKINS", true, u"APP_SKINS"},
        {u"::big knob.v2.png", true, u"BIG_KNOB_V2_PNG"},
        {u"::", true, u""},
        {u":knob.png", false, u":KNOB_PNG"},
        {u"", false, u""},
        {u"/tmp/knob.png", false, u"/TMP/KNOB_PNG"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(IsResourceSourceName(c.source), c.isResource) << NString(c.source).GetString();
        EXPECT_TRUE(GetResourceName(c.source).IsEqual(c.name)) << NString(c.source).GetString();
    }
}

TEST(ResourcesTest, TheApplicationInstanceIsRecorded)
{
    const ResourceModule before = GetApplicationInstance();
    int module = 0;
    SetApplicationInstance(&module);
    EXPECT_EQ(GetApplicationInstance(), &module);
    SetApplicationInstance(before);
}

} // namespace
} // namespace QK
