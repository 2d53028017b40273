#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include "PngTestImages.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::TempFolder;

std::uint32_t Argb(const ColorRGBA& color)
{
    return color.ToARGB();
}

ConstRCPtr<LColorizer> Solid(const ColorRGBA& color)
{
    return ConstRCPtr<LColorizer>(new LColorizer(u"Tint", LColorizer::kSolid, color));
}

// Writes the bitmap's pixels as a PNG where VEDIDU_PICTURES_DIR names a folder, for a person
// to look at.
void SavePicture(const ConstRCPtr<LBitmap>& bitmap, const std::string& name)
{
    const char* folder = std::getenv("VEDIDU_PICTURES_DIR");
    if (!folder)
        return;
    std::vector<std::uint8_t> bgra;
    for (std::int32_t y = 0; y < bitmap->GetHeight(); ++y)
        for (std::int32_t x = 0; x < bitmap->GetWidth(); ++x)
        {
            const std::uint32_t argb = Argb(bitmap->GetPixel(x, y));
            for (int shift : {0, 8, 16, 24})
                bgra.push_back(static_cast<std::uint8_t>(argb >> shift));
        }
    std::ofstream(std::string(folder) + "/" + name, std::ios::binary)
        << TestSupport::EncodePng(static_cast<std::uint32_t>(bitmap->GetWidth()),
                                  static_cast<std::uint32_t>(bitmap->GetHeight()), bgra);
}

void ExpectError(const std::function<void()>& call, const std::string& text)
{
    try
    {
        call();
        ADD_FAILURE() << "no exception, expected " << text;
    }
    catch (const std::exception& error)
    {
        EXPECT_EQ(error.what(), text);
    }
}

TEST(BitmapTest, ResourcesLoadOnceForEveryCaseOfTheirName)
{
    const std::size_t cached = LBitmap::GetCacheCount();
    {
        const ConstRCPtr<LBitmap> knob = LBitmap::LoadBitmap(u"::knob.png");
        ASSERT_TRUE(knob);
        EXPECT_EQ(knob->GetRect(), (RectL{0, 0, 3, 2}));
        EXPECT_NE(knob->GetHandle(), 0u);
        EXPECT_EQ(Argb(knob->GetPixel(0, 0)), 0xFFFF0000u);
        EXPECT_EQ(Argb(knob->GetPixel(1, 0)), 0x8000FF00u);
        EXPECT_EQ(Argb(knob->GetPixel(2, 1)), 0x280A141Eu);
        EXPECT_EQ(LBitmap::LoadBitmap(u"::KNOB.PNG").Get(), knob.Get());
        EXPECT_EQ(LBitmap::LoadBitmap(u"::Knob.Png").Get(), knob.Get());
        EXPECT_EQ(LBitmap::GetCacheCount(), cached + 1);
        EXPECT_TRUE(knob->GetCacheKey().IsEqual(u"::KNOB.PNG"));

        // Names that load nothing give null and leave the cache as it was.
        for (const char16_t* name : {u"::missing.png", u"::broken.png", u"::empty.png", u"::", u"",
                                     u"/no/such/file.png"})
            EXPECT_FALSE(LBitmap::LoadBitmap(name)) << NString(name).GetString();
        EXPECT_EQ(LBitmap::GetCacheCount(), cached + 1);
    }
    // The last outside release takes the entry out and ends the bitmap.
    EXPECT_EQ(LBitmap::GetCacheCount(), cached);
    const ConstRCPtr<LBitmap> again = LBitmap::LoadBitmap(u"::knob.png");
    ASSERT_TRUE(again);
    EXPECT_EQ(LBitmap::GetCacheCount(), cached + 1);
}

TEST(BitmapTest, FilesLoadByPathAndCorruptOnesGiveNull)
{
    TempFolder folder;
    const std::string knob = TestSupport::EncodePng(3, 2, TestSupport::kKnobPixels);
    folder.WriteFile("Knob.png", knob);
    folder.WriteFile("knob.png", TestSupport::EncodePng(1, 1, {1, 2, 3, 255}));
    folder.WriteFile("truncated.png", knob.substr(0, knob.size() / 2));
    std::string corrupt = knob;
    corrupt[40] = static_cast<char>(corrupt[40] ^ 0xFF);
    folder.WriteFile("corrupt.png", corrupt);
    folder.WriteFile("text.png", "hello");
    folder.WriteFile("empty.png", "");

    const std::size_t cached = LBitmap::GetCacheCount();
    const ConstRCPtr<LBitmap> upper = LBitmap::LoadBitmap(WString((folder / "Knob.png").c_str()));
    const ConstRCPtr<LBitmap> lower = LBitmap::LoadBitmap(WString((folder / "knob.png").c_str()));
    ASSERT_TRUE(upper && lower);
    EXPECT_NE(upper.Get(), lower.Get());
    EXPECT_EQ(upper->GetWidth(), 3);
    EXPECT_EQ(lower->GetWidth(), 1);
    EXPECT_EQ(LBitmap::LoadBitmap(WString((folder / "Knob.png").c_str())).Get(), upper.Get());
    EXPECT_EQ(Argb(upper->GetPixel(0, 1)), 0xFFFFFFFFu);

    for (const char* name : {"truncated.png", "corrupt.png", "text.png", "empty.png", "missing.png", ""})
        EXPECT_FALSE(LBitmap::LoadBitmap(WString((folder / name).c_str()))) << name;
    EXPECT_EQ(LBitmap::GetCacheCount(), cached + 2);
}

// The PNG with its compressed pixels cut to half, every chunk's checksum right: the header
// reads well, the pixels do not decode.
std::string WithPixelsCutShort(const std::string& png)
{
    const auto bigEndian = [&](std::size_t at) {
        return std::uint32_t{static_cast<std::uint8_t>(png[at])} << 24 |
               std::uint32_t{static_cast<std::uint8_t>(png[at + 1])} << 16 |
               std::uint32_t{static_cast<std::uint8_t>(png[at + 2])} << 8 | static_cast<std::uint8_t>(png[at + 3]);
    };
    const auto chunk = [](const std::string& type, const std::string& data) {
        std::string bytes;
        for (const std::uint32_t word : {static_cast<std::uint32_t>(data.size())})
            for (int shift : {24, 16, 8, 0})
                bytes += static_cast<char>(word >> shift);
        bytes += type + data;
        const uLong crc = crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.data() + 4),
                                static_cast<uInt>(bytes.size() - 4));
        for (int shift : {24, 16, 8, 0})
            bytes += static_cast<char>(crc >> shift);
        return bytes;
    };
    std::string result = png.substr(0, 8);
    for (std::size_t at = 8; at + 12 <= png.size();)
    {
        const std::uint32_t length = bigEndian(at);
        const std::string type = png.substr(at + 4, 4);
        const std::string data = png.substr(at + 8, length);
        result += type == "IDAT" ? chunk(type, data.substr(0, data.size() / 2)) : png.substr(at, length + 12);
        at += length + 12;
    }
    return result;
}

TEST(BitmapTest, ImagesAreDecodedWhenFirstNeededAndOnlyOnce)
{
    TempFolder folder;
    std::vector<std::uint8_t> pixels(40 * 30 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 160);
    const std::string png = TestSupport::EncodePng(40, 30, pixels);
    folder.WriteFile("sheet.png", png);
    const auto pixelOf = [&](std::int32_t x, std::int32_t y) {
        const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * 40 + static_cast<std::size_t>(x)) * 4];
        return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
    };

    // Each way of needing the pixels decodes them; sizes and sub-bitmaps need only the header.
    const std::pair<const char*, std::function<void(const ConstRCPtr<LBitmap>&)>> firstUses[] = {
        {"GetPixel", [&](const ConstRCPtr<LBitmap>& b) { EXPECT_EQ(Argb(b->GetPixel(3, 2)), pixelOf(8, 7)); }},
        {"Clone", [&](const ConstRCPtr<LBitmap>& b) { EXPECT_EQ(Argb(b->Clone()->GetPixel(3, 2)), pixelOf(8, 7)); }},
        {"GetBitmapData",
         [&](const ConstRCPtr<LBitmap>& b) { EXPECT_EQ(*b->GetBitmapData()->GetPixelAddress(8, 7), pixelOf(8, 7)); }},
        {"colorizing", [&](const ConstRCPtr<LBitmap>& b) {
             const ConstRCPtr<LBitmap> tinted = LBitmap::LoadColorizedBitmap(Solid({1, 0, 0, 1}), 0.0f, 0, 0, b, nullptr);
             EXPECT_EQ(Argb(tinted->GetPixel(3, 2)), pixelOf(8, 7));
         }},
    };
    for (const auto& [use, call] : firstUses)
    {
        SCOPED_TRACE(use);
        const ConstRCPtr<LBitmap> sheet = LBitmap::LoadBitmap(WString((folder / "sheet.png").c_str()));
        ASSERT_TRUE(sheet);
        EXPECT_EQ(sheet->GetRect(), (RectL{0, 0, 40, 30}));
        const ConstRCPtr<LBitmap> part = sheet->CreateSubBitmap(5, 5, 10, 10);
        EXPECT_EQ(sheet->CreateSubBitmap(0, 0, 0, 0)->GetRect(), (RectL{0, 0, 40, 30}));
        EXPECT_FALSE(sheet->IsDecoded());
        EXPECT_FALSE(part->IsDecoded());

        call(part);
        EXPECT_TRUE(sheet->IsDecoded());
        EXPECT_TRUE(part->IsDecoded());
        const BitmapImage* image = sheet->GetGdiplusBitmap();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->GetWidth(), 40u);
        call(part);
        EXPECT_EQ(sheet->GetGdiplusBitmap(), image) << "decoded once";
    }

    // A file whose header reads well but whose pixels do not decode: it loads with its size,
    // as it cannot be known to be damaged without decoding it, and then holds no pixels: it
    // draws nothing and reads as transparent, as a part that failed to load shows nothing.
    folder.WriteFile("cut.png", WithPixelsCutShort(png));
    std::vector<std::uint8_t> unused(40 * 30 * 4);
    ASSERT_FALSE(DecodePngInto(reinterpret_cast<const std::uint8_t*>(WithPixelsCutShort(png).data()),
                               WithPixelsCutShort(png).size(), 40, 30, reinterpret_cast<std::uint32_t*>(unused.data())));
    const ConstRCPtr<LBitmap> cut = LBitmap::LoadBitmap(WString((folder / "cut.png").c_str()));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->GetRect(), (RectL{0, 0, 40, 30}));
    EXPECT_EQ(cut->GetGdiplusBitmap(), nullptr);
    EXPECT_EQ(Argb(cut->GetPixel(1, 1)), 0u);
    EXPECT_FALSE(cut->GetBitmapData()->IsLocked());
    EXPECT_EQ(cut->Clone()->GetGdiplusBitmap(), nullptr);
}

// The device picture is large enough to be decoded on a worker from the moment it is loaded;
// it must look exactly like an image decoded when first needed: not decoded before a use,
// the right pixels after it, nothing for damaged pixels, and a bitmap dropped while its
// worker still runs goes cleanly.
TEST(BitmapTest, LargeImagesDecodedAheadReadAsImagesDecodedOnDemand)
{
    TempFolder folder;
    for (const auto& [width, height] : {std::pair{40u, 30u}, std::pair{1024u, 640u}})
    {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        std::vector<std::uint8_t> pixels(std::size_t{width} * height * 4);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<std::uint8_t>(i * 13 + i / 4096);
        const std::string png = TestSupport::EncodePng(width, height, pixels);
        const std::string name = "picture" + std::to_string(width) + ".png";
        folder.WriteFile(name, png);
        folder.WriteFile("cut" + name, WithPixelsCutShort(png));
        const WString path((folder / name).c_str());
        const WString cutPath((folder / ("cut" + name)).c_str());

        const ConstRCPtr<LBitmap> picture = LBitmap::LoadBitmap(path);
        ASSERT_TRUE(picture);
        EXPECT_EQ(picture->GetRect(), (RectL{0, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)}));
        EXPECT_FALSE(picture->IsDecoded());
        for (const auto& [x, y] : {std::pair{0u, 0u}, std::pair{width - 1, height - 1}, std::pair{width / 2, height / 3}})
        {
            const std::uint8_t* p = &pixels[(std::size_t{y} * width + x) * 4];
            EXPECT_EQ(Argb(picture->GetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y))),
                      std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0]);
        }
        EXPECT_TRUE(picture->IsDecoded());

        const ConstRCPtr<LBitmap> cut = LBitmap::LoadBitmap(cutPath);
        ASSERT_TRUE(cut);
        EXPECT_EQ(cut->GetGdiplusBitmap(), nullptr);

        // Loaded and let go at once, its decode perhaps still under way.
        folder.WriteFile("again" + name, png);
        {
            const ConstRCPtr<LBitmap> dropped = LBitmap::LoadBitmap(WString((folder / ("again" + name)).c_str()));
            ASSERT_TRUE(dropped);
            const_cast<LBitmap*>(dropped.Get())->ReleaseInternalReferences();
        }
        const_cast<LBitmap*>(picture.Get())->ReleaseInternalReferences();
        const_cast<LBitmap*>(cut.Get())->ReleaseInternalReferences();
    }
}

// A paint about to draw many images sends them to the decoding workers first. Such an image
// reads exactly as one decoded on demand, through any of its sub-bitmaps, and comes back ready
// to draw (premultiplied); an image in memory or decoded already has nothing to send.
TEST(BitmapTest, ImagesSentAheadToTheWorkersReadAsImagesDecodedOnDemand)
{
    TempFolder folder;
    std::vector<std::uint8_t> pixels(40 * 30 * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 7 + i / 160);
    folder.WriteFile("ahead.png", TestSupport::EncodePng(40, 30, pixels));
    folder.WriteFile("ondemand.png", TestSupport::EncodePng(40, 30, pixels));

    const ConstRCPtr<LBitmap> ahead = LBitmap::LoadBitmap(WString((folder / "ahead.png").c_str()));
    const ConstRCPtr<LBitmap> onDemand = LBitmap::LoadBitmap(WString((folder / "ondemand.png").c_str()));
    ASSERT_TRUE(ahead && onDemand);
    const ConstRCPtr<LBitmap> part = ahead->CreateSubBitmap(5, 5, 10, 10);
    part->StartDecoding();
    part->StartDecoding();
    EXPECT_FALSE(ahead->IsDecoded()) << "the result is taken when first needed";
    for (std::int32_t y = 0; y < 30; ++y)
        for (std::int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(Argb(ahead->GetPixel(x, y)), Argb(onDemand->GetPixel(x, y))) << x << "," << y;
    EXPECT_EQ(Argb(part->GetPixel(0, 0)), Argb(onDemand->GetPixel(5, 5)));
    EXPECT_TRUE(ahead->GetGdiplusBitmap()->IsPremultiplied());
    EXPECT_FALSE(onDemand->GetGdiplusBitmap()->IsPremultiplied());

    const BitmapImage* decoded = ahead->GetGdiplusBitmap();
    ahead->StartDecoding();
    EXPECT_EQ(ahead->GetGdiplusBitmap(), decoded) << "decoded once";
    const ConstRCPtr<LBitmap> filled = LBitmap::CreateFilledBitmap(4, 4, ColorRGBA{0.5f, 0.25f, 1.0f, 0.5f});
    filled->StartDecoding();
    EXPECT_FALSE(filled->GetGdiplusBitmap()->IsPremultiplied());

    const_cast<LBitmap*>(ahead.Get())->ReleaseInternalReferences();
    const_cast<LBitmap*>(onDemand.Get())->ReleaseInternalReferences();
}

TEST(BitmapTest, SubBitmapsNameTheImageOwnerAndReadOnlyInsideTheImage)
{
    const ConstRCPtr<LBitmap> knob = LBitmap::LoadBitmap(u"::knob.png");
    ASSERT_TRUE(knob);
    const ConstRCPtr<LBitmap> right = knob->CreateSubBitmap(1, 0, 2, 2);
    const ConstRCPtr<LBitmap> corner = right->CreateSubBitmap(1, 1, 1, 1);
    EXPECT_EQ(right->GetParent().Get(), knob.Get());
    EXPECT_EQ(corner->GetParent().Get(), knob.Get());
    EXPECT_EQ(corner->GetRect(), (RectL{2, 1, 1, 1}));
    EXPECT_EQ(corner->GetHandle(), knob->GetHandle());
    EXPECT_EQ(Argb(corner->GetPixel(0, 0)), 0x280A141Eu);

    const ConstRCPtr<LBitmap> same = right->CreateSubBitmap(0, 0, 0, 0);
    EXPECT_EQ(same->GetRect(), right->GetRect());
    EXPECT_EQ(same->GetParent().Get(), knob.Get());

    // Not clipped, but nothing outside the image is read.
    const ConstRCPtr<LBitmap> outside = knob->CreateSubBitmap(2, 1, 5, 5);
    EXPECT_EQ(outside->GetRect(), (RectL{2, 1, 5, 5}));
    EXPECT_EQ(Argb(outside->GetPixel(0, 0)), 0x280A141Eu);
    EXPECT_EQ(Argb(outside->GetPixel(1, 0)), 0u);
    EXPECT_EQ(knob->GetGdiplusBitmap()->GetLastStatus(), BitmapImage::kStatusInvalidParameter);
    EXPECT_EQ(Argb(knob->GetPixel(-1, 0)), 0u);
    EXPECT_EQ(Argb(knob->CreateSubBitmap(INT32_MAX, 0, 1, 1)->GetPixel(INT32_MAX, 0)), 0u);
    EXPECT_EQ(outside->Clone()->GetGdiplusBitmap(), nullptr);

    const ConstRCPtr<LBitmap> clone = right->Clone();
    EXPECT_EQ(clone->GetRect(), (RectL{0, 0, 2, 2}));
    EXPECT_TRUE(clone->GetParent().IsNull());
    EXPECT_NE(clone->GetHandle(), knob->GetHandle());
    EXPECT_EQ(Argb(clone->GetPixel(1, 1)), 0x280A141Eu);
}

TEST(BitmapTest, BitmapDataLocksTheImageAndStaysInsideIt)
{
    const ConstRCPtr<LBitmap> knob = LBitmap::LoadBitmap(u"::knob.png");
    ASSERT_TRUE(knob);
    const ConstRCPtr<LBitmap> sub = knob->CreateSubBitmap(1, 1, 1, 1);
    {
        const ConstRCPtr<LBitmapData> data = sub->GetBitmapData();
        ASSERT_TRUE(data->IsLocked());
        EXPECT_EQ(data->GetWidth(), 3);
        EXPECT_EQ(data->GetHeight(), 2);
        EXPECT_EQ(data->GetStride(), 12);
        EXPECT_EQ(data->GetSecondSource(), nullptr);
        EXPECT_EQ(*data->GetPixelAddress(1, 0), 0x8000FF00u);
        EXPECT_EQ(data->GetPixelAddress(2, 1) - data->GetPixelAddress(0, 0), 5);
        for (const auto& [x, y] : {std::pair{3, 0}, {0, 2}, {-1, 0}, {0, -1}})
            EXPECT_EQ(data->GetPixelAddress(x, y), nullptr) << x << "," << y;

        // While it is locked, nobody else can lock it.
        EXPECT_FALSE(LBitmapData(knob, BitmapImage::kLockRead).IsLocked());
        ExpectError([&] { LBitmap::ApplyColorizer(sub, Solid({1, 0, 0, 1}), 1.0f); },
                    "Runtime Error : QK::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 398");
    }
    const LBitmapData part(sub, BitmapImage::kLockRead);
    ASSERT_TRUE(part.IsLocked());
    EXPECT_EQ(part.GetWidth(), 1);
    EXPECT_EQ(*part.GetPixelAddress(0, 0), 0xFF000000u);
    EXPECT_EQ(part.GetPixelAddress(1, 0), nullptr);

    const LBitmapData outside(knob->CreateSubBitmap(2, 1, 4, 4), BitmapImage::kLockRead);
    EXPECT_FALSE(outside.IsLocked());
    EXPECT_EQ(outside.GetPixelAddress(0, 0), nullptr);

    ExpectError([&] { LBitmapData(knob, BitmapImage::kLockRead, &part); },
                "Domain Error : QK::LBitmapData::LBitmapData : Utilities\\Graphics\\Bitmap : Line 489");
}

TEST(BitmapTest, ColorizingTintsRedGreenAndBlueAndKeepsAlpha)
{
    const struct
    {
        std::uint32_t pixel;
        ColorRGBA colour;
        float strength;
        std::uint32_t expected;
    } cases[] = {
        {0xFFFFFFFF, {1, 0, 0, 1}, 0.5f, 0xFFFF8080},
        {0x80102030, {1, 0, 0, 1}, 0.0f, 0x80102030},
        {0x00FFFFFF, {0, 0, 1, 1}, 1.0f, 0x000000FF},
        {0xFF000000, {1, 1, 1, 0.5f}, 1.0f, 0xFF808080},
        {0xFF404040, {0.5f, 0.5f, 0.5f, 0}, 1.0f, 0xFF404040},
        // Colours and strengths beyond 0..1 stay within a byte.
        {0xFF808080, {2, -1, 1, 1}, 1.0f, 0xFFFF00FF},
        {0xFF808080, {1, 1, 1, 1}, 4.0f, 0xFFFFFFFF},
    };
    for (const auto& c : cases)
    {
        ColorRGBA start;
        start.FromARGB(c.pixel);
        const ConstRCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(2, 1, start);
        LBitmap::ApplyColorizer(bitmap, Solid(c.colour), c.strength);
        EXPECT_EQ(Argb(bitmap->GetPixel(0, 0)), c.expected) << std::hex << c.pixel;
        EXPECT_EQ(Argb(bitmap->GetPixel(1, 0)), c.expected) << std::hex << c.pixel;
    }

    // A sub-bitmap tints its own rectangle only.
    const ConstRCPtr<LBitmap> white = LBitmap::CreateFilledBitmap(4, 4, {1, 1, 1, 1});
    LBitmap::ApplyColorizer(white->CreateSubBitmap(1, 1, 2, 2), Solid({0, 0, 1, 1}), 1.0f);
    EXPECT_EQ(Argb(white->GetPixel(0, 0)), 0xFFFFFFFFu);
    EXPECT_EQ(Argb(white->GetPixel(1, 1)), 0xFF0000FFu);
    EXPECT_EQ(Argb(white->GetPixel(2, 2)), 0xFF0000FFu);
    EXPECT_EQ(Argb(white->GetPixel(3, 2)), 0xFFFFFFFFu);
}

TEST(BitmapTest, ColorizedAndFilledBitmaps)
{
    const ConstRCPtr<LBitmap> filled = LBitmap::CreateFilledBitmap(3, 2, {1.0f, 0.5f, 0.0f, 0.5f});
    EXPECT_EQ(filled->GetRect(), (RectL{0, 0, 3, 2}));
    for (std::int32_t y = 0; y < 2; ++y)
        for (std::int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(Argb(filled->GetPixel(x, y)), 0x80FF8000u);

    const ConstRCPtr<LBitmap> colorized = LBitmap::CreateColorizedBitmap(Solid({0, 1, 0, 0.8f}), 0.5f, 2, 5);
    EXPECT_EQ(colorized->GetRect(), (RectL{0, 0, 2, 5}));
    EXPECT_EQ(Argb(colorized->GetPixel(1, 4)), 0x6600FF00u);

    // A colorized image part: a tinted clone, the source left as it was.
    const ConstRCPtr<LBitmap> knob = LBitmap::LoadBitmap(u"::knob.png");
    const ConstRCPtr<LBitmap> tinted =
        LBitmap::LoadColorizedBitmap(Solid({0, 0, 1, 1}), 0.5f, 0, 0, knob->CreateSubBitmap(0, 1, 3, 1), nullptr);
    EXPECT_EQ(tinted->GetRect(), (RectL{0, 0, 3, 1}));
    EXPECT_EQ(Argb(tinted->GetPixel(0, 0)), 0xFF8080FFu);
    EXPECT_EQ(Argb(knob->GetPixel(0, 1)), 0xFFFFFFFFu);
    const ConstRCPtr<LBitmap> fill = LBitmap::LoadColorizedBitmap(Solid({0, 0, 1, 1}), 1.0f, 4, 4, nullptr, nullptr);
    EXPECT_EQ(Argb(fill->GetPixel(3, 3)), 0xFF0000FFu);

    // A picture to look at: white tinted red, green, blue and orange at rising strengths.
    const ConstRCPtr<LBitmap> sample = LBitmap::CreateFilledBitmap(64, 32, {1, 1, 1, 1});
    const ColorRGBA tints[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}, {1, 0.5f, 0, 1}};
    for (int band = 0; band < 4; ++band)
        LBitmap::ApplyColorizer(sample->CreateSubBitmap(band * 16, 0, 16, 32), Solid(tints[band]),
                                0.25f * static_cast<float>(band + 1));
    SavePicture(sample, "colorized-bands.png");
    SavePicture(filled, "filled.png");
    EXPECT_EQ(Argb(sample->GetPixel(0, 0)), 0xFFFFBFBFu);
    EXPECT_EQ(Argb(sample->GetPixel(63, 31)), 0xFFFF8000u);
}

TEST(BitmapTest, ErrorTexts)
{
    const ConstRCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(2, 2, {1, 1, 1, 1});
    const ConstRCPtr<LColorizer> solid = Solid({1, 0, 0, 1});
    const ConstRCPtr<LColorizer> gradient(
        new LColorizer(u"Fade", LColorizer::kLinearGradient, {1, 0, 0, 1}, {0, 0, 1, 1}));
    const ConstRCPtr<LColorizer> flatGradient(
        new LColorizer(u"Flat", LColorizer::kRadialGradient, {1, 0, 0, 1}, {1, 0, 0, 1}));
    const std::string source = " : Utilities\\Graphics\\Bitmap : Line ";
    const std::string apply = "Runtime Error : QK::LBitmap::ApplyColorizer" + source;
    const std::string gradientText = "Domain Error : QK::LBitmap::CreateGradientFilledBitmap" + source + "362";

    ExpectError([&] { LBitmap::ApplyColorizer(nullptr, solid, 1.0f); }, apply + "374");
    ExpectError([&] { LBitmap::ApplyColorizer(bitmap, nullptr, 1.0f); }, apply + "374");
    ExpectError([&] { LBitmap::ApplyColorizer(bitmap->CreateSubBitmap(1, 1, 2, 2), solid, 1.0f); }, apply + "398");
    ExpectError([&] { LBitmap::ApplyColorizer(bitmap->CreateSubBitmap(-1, 0, 1, 1), solid, 1.0f); }, apply + "398");
    ExpectError([&] { LBitmap::ApplyColorizer(ConstRCPtr<LBitmap>(new LBitmap(u"", u"")), solid, 1.0f); },
                apply + "398");
    ExpectError([&] { LBitmap::ApplyColorizer(bitmap, gradient, 1.0f); }, gradientText);
    ExpectError([&] { LBitmap::CreateColorizedBitmap(gradient, 1.0f, 4, 4); }, gradientText);
    ExpectError([&] { LBitmap::LoadColorizedBitmap(gradient, 1.0f, 4, 4, nullptr, nullptr); }, gradientText);
    ExpectError([&] { LBitmap::CreateGradientFilledBitmap(4, 4, {}, {}, true); }, gradientText);
    ExpectError([&] { LBitmap::LoadColorizedBitmap(solid, 1.0f, 4, 4, bitmap, bitmap); },
                "Domain Error : QK::LBitmap::ApplyColorizer" + source + "444");
    for (const auto& [width, height] : {std::pair{0, 4}, {4, 0}, {-1, -1}})
    {
        ExpectError([&] { LBitmap::CreateColorizedBitmap(solid, 1.0f, width, height); },
                    "Runtime Error : QK::LBitmap::CreateColorizedBitmap" + source + "298");
        ExpectError([&] { LBitmap::CreateFilledBitmap(width, height, {}); },
                    "Runtime Error : QK::LBitmap::CreateFilledBitmap" + source + "327");
    }

    // A gradient whose colours agree is a plain colour.
    LBitmap::ApplyColorizer(bitmap, flatGradient, 1.0f);
    EXPECT_EQ(Argb(bitmap->GetPixel(1, 1)), 0xFFFF0000u);
}

TEST(BitmapTest, IdentitiesAreNeverReused)
{
    std::set<std::uint64_t> handles;
    std::set<std::uint64_t> serials;
    for (int i = 0; i < 50; ++i)
    {
        const ConstRCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(1, 1, {});
        EXPECT_TRUE(handles.insert(bitmap->GetHandle()).second);
        EXPECT_TRUE(serials.insert(bitmap->GetSerial()).second);
        const ConstRCPtr<LBitmap> sub = bitmap->CreateSubBitmap(0, 0, 1, 1);
        EXPECT_EQ(sub->GetHandle(), bitmap->GetHandle());
        EXPECT_TRUE(serials.insert(sub->GetSerial()).second);
    }
    EXPECT_EQ(ConstRCPtr<LBitmap>(new LBitmap(u"::missing.png", u"::MISSING.PNG"))->GetHandle(), 0u);
}

} // namespace
} // namespace QK
