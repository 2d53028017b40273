// The skin art generator: reproducible to the byte, and every high-DPI image exactly twice its
// standard twin; what the build embedded is what the generator draws.
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace QK
{
namespace
{

using TestSupport::TempFolder;

// Every file the generator wrote, by name.
std::map<std::string, std::string> RunGenerator(const TempFolder& folder)
{
    const std::string command = std::string("'") + VEDIDU_SKIN_ART + "' --out '" + folder.Path() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        files[entry.path().filename().string()] = folder.ReadFile(entry.path().filename().string());
    return files;
}

DecodedImage Decode(const std::string& bytes)
{
    DecodedImage image;
    EXPECT_TRUE(DecodePng(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), image));
    return image;
}

std::string ResourceName(const std::string& file)
{
    return NString(GetResourceName(WString(file.c_str())).GetString()).GetString();
}

TEST(SkinArtTest, TwoRunsWriteTheSameBytesAndEveryHighDpiImageIsTwiceItsTwin)
{
    const TempFolder first;
    const TempFolder second;
    const auto a = RunGenerator(first);
    const auto b = RunGenerator(second);
    ASSERT_GT(a.size(), 2u);
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a)
    {
        ASSERT_TRUE(b.count(name)) << name;
        EXPECT_TRUE(bytes == b.at(name)) << name << " differs between two runs";
    }
    ASSERT_TRUE(a.count("Skins.xml"));

    int pairs = 0;
    for (const auto& [name, bytes] : a)
    {
        const auto suffix = name.rfind("_2x.png");
        if (suffix == std::string::npos || suffix + 7 != name.size())
            continue;
        const std::string twin = name.substr(0, suffix) + ".png";
        ASSERT_TRUE(a.count(twin)) << name << " has no standard twin";
        const DecodedImage high = Decode(bytes);
        const DecodedImage standard = Decode(a.at(twin));
        EXPECT_EQ(high.width, 2 * standard.width) << name;
        EXPECT_EQ(high.height, 2 * standard.height) << name;
        ++pairs;
    }
    for (const auto& [name, bytes] : a)
        if (name.size() > 4 && name.ends_with(".png"))
        {
            for (char c : name)
                EXPECT_FALSE(c >= 'A' && c <= 'Z') << name << " is not lower case";
            const bool isHigh = name.ends_with("_2x.png");
            EXPECT_TRUE(isHigh || a.count(name.substr(0, name.size() - 4) + "_2x.png")) << name << " has no high-DPI twin";
        }
    EXPECT_GT(pairs, 10);

    // The build embedded this very art: each image is a "GDIPLUS" resource with these bytes.
    for (const auto& [name, bytes] : a)
    {
        if (!name.ends_with(".png"))
            continue;
        const auto data = FindResourceData(GetApplicationInstance(), "GDIPLUS", ResourceName(name));
        EXPECT_TRUE(std::string(reinterpret_cast<const char*>(data.data()), data.size()) == bytes)
            << name << " is not embedded as drawn";
    }
    const auto skins = FindResourceData(GetApplicationInstance(), "QKXML", "APP_SKINS");
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(skins.data()), skins.size()) == a.at("Skins.xml"));
}

} // namespace
} // namespace QK
