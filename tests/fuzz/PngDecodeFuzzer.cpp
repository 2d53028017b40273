// libFuzzer target for PNG decoding, the reader behind every bitmap loaded from a resource
// or a file, and for what the editor then does with the image.
//
// The input is 16 bytes of settings and then a PNG file. Before decoding, every chunk of the
// file gets its right checksum, so that changed header fields and chunk data reach the
// decoder's checks (and the size limits here) instead of all failing at the first checksum.
// The size read from the header alone must be the decoded size, and a file whose header
// reads but whose pixels do not decode must load as a bitmap of that size without pixels.
// A decoded image must agree with the same file loaded as a bitmap through the bitmap cache;
// the settings then pick a sub-bitmap (any rectangle, inside the image or not), which is read
// at its corners, cloned, locked and colorized with a solid colour or a gradient, as an image
// or as a mask; first, when the settings say so, the image is turned into the premultiplied
// form drawing gives it, which must not change a single colour read from it. The decoding
// library itself is not instrumented; these paths are the editor's own.
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Graphics/BitmapImage.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"
#include "tests/fuzz/FuzzCheck.h"
#include "tests/fuzz/FuzzSourceFile.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

namespace
{

constexpr std::size_t kSettingsSize = 16;
constexpr std::size_t kSignatureSize = 8;
// Larger images go through the same code, only slower (their pixels are allocated and
// cleared before the data is read), and are passed over; the size limit itself is checked
// above kMaxDecodedPixels, where nothing is allocated.
constexpr std::uint64_t kSlowPixels = std::uint64_t{1} << 16;

std::uint32_t BigEndian(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 | bytes[3];
}

// Sets the checksum of every whole chunk after the signature.
void FixChecksums(std::vector<std::uint8_t>& png)
{
    std::size_t offset = kSignatureSize;
    while (offset + 12 <= png.size())
    {
        const std::uint32_t length = BigEndian(&png[offset]);
        if (length > png.size() - offset - 12)
            return;
        const std::uint32_t crc = static_cast<std::uint32_t>(
            crc32(crc32(0, nullptr, 0), &png[offset + 4], static_cast<uInt>(length + 4)));
        std::uint8_t* out = &png[offset + 8 + length];
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        offset += 12 + std::size_t{length};
    }
}

// The pixel at (x, y) of the decoded image as a packed 0xAARRGGBB word.
std::uint32_t DecodedPixel(const QK::DecodedImage& image, std::uint32_t x, std::uint32_t y)
{
    const std::uint8_t* p = &image.pixels[(std::size_t{y} * image.width + x) * 4];
    return std::uint32_t{p[3]} << 24 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

bool IsBitmapError(const std::exception& error)
{
    return std::strstr(error.what(), " : QK::LBitmap::") != nullptr;
}

struct Settings
{
    std::int32_t x, y, width, height;
    QK::ColorRGBA color;
    std::int32_t colorType;
    float strength;
    bool asMask;
    bool drawnFirst;
};

Settings ReadSettings(const std::uint8_t* bytes)
{
    const auto small = [&](int i) { return static_cast<std::int32_t>(static_cast<std::int8_t>(bytes[i])); };
    Settings settings{};
    settings.x = small(0);
    settings.y = small(1);
    settings.width = small(2);
    settings.height = small(3);
    settings.color.FromARGB(BigEndian(bytes + 4));
    settings.colorType = bytes[8] % 3;
    settings.strength = static_cast<float>(bytes[9]) / 128.0f;
    settings.asMask = (bytes[10] & 1) != 0;
    settings.drawnFirst = (bytes[10] & 2) != 0;
    return settings;
}

void CheckSubBitmap(const QK::DecodedImage& decoded, const QK::ConstRCPtr<QK::LBitmap>& bitmap,
                    const Settings& settings)
{
    using QK::LBitmap;
    const QK::ConstRCPtr<LBitmap> sub = bitmap->CreateSubBitmap(settings.x, settings.y, settings.width, settings.height);
    FUZZ_CHECK(sub && sub->GetParent().Get() == bitmap.Get());
    const bool whole = settings.width <= 0 || settings.height <= 0;
    const QK::RectL rect = whole ? QK::RectL{0, 0, static_cast<std::int32_t>(decoded.width),
                                             static_cast<std::int32_t>(decoded.height)}
                                 : QK::RectL{settings.x, settings.y, settings.width, settings.height};
    FUZZ_CHECK(sub->GetWidth() == rect.width && sub->GetHeight() == rect.height);

    // Corners inside the image read its pixels; outside they read nothing.
    for (const auto& [cx, cy] : {std::pair{0, 0}, std::pair{rect.width - 1, rect.height - 1}})
    {
        const std::int64_t ix = std::int64_t{rect.x} + cx;
        const std::int64_t iy = std::int64_t{rect.y} + cy;
        const bool inside = ix >= 0 && iy >= 0 && ix < decoded.width && iy < decoded.height;
        const std::uint32_t expected =
            inside ? DecodedPixel(decoded, static_cast<std::uint32_t>(ix), static_cast<std::uint32_t>(iy)) : 0;
        FUZZ_CHECK(sub->GetPixel(cx, cy).ToARGB() == expected);
    }

    // A clone holds the rectangle's pixels when it lies inside the image, else nothing.
    const QK::ConstRCPtr<LBitmap> clone = sub->Clone();
    const bool inside = rect.x >= 0 && rect.y >= 0 && std::int64_t{rect.x} + rect.width <= decoded.width &&
                        std::int64_t{rect.y} + rect.height <= decoded.height;
    FUZZ_CHECK((clone->GetGdiplusBitmap() != nullptr) == inside);
    if (inside)
        FUZZ_CHECK(clone->GetPixel(0, 0).ToARGB() == sub->GetPixel(0, 0).ToARGB());
    {
        const QK::ConstRCPtr<QK::LBitmapData> data = sub->GetBitmapData();
        FUZZ_CHECK(data->IsLocked() && data->GetWidth() == static_cast<std::int32_t>(decoded.width));
    }

    // Colorizing keeps every pixel's alpha; a gradient and an image given with a mask are
    // refused with their own errors, and so is a clone that holds no image.
    const QK::ConstRCPtr<QK::LColorizer> colorizer(
        new QK::LColorizer(QK::WString(u"fuzz"), settings.colorType, settings.color, QK::ColorRGBA{0, 0, 0, 1}));
    try
    {
        const QK::ConstRCPtr<LBitmap> colorized =
            settings.asMask ? LBitmap::LoadColorizedBitmap(colorizer, settings.strength, 0, 0, nullptr, sub)
                            : LBitmap::LoadColorizedBitmap(colorizer, settings.strength, 0, 0, sub, nullptr);
        FUZZ_CHECK(inside && !colorizer->IsGradient());
        FUZZ_CHECK((colorized->GetPixel(0, 0).ToARGB() >> 24) == (sub->GetPixel(0, 0).ToARGB() >> 24));
    }
    catch (const std::domain_error& error)
    {
        FUZZ_CHECK(colorizer->IsGradient() && IsBitmapError(error));
    }
    catch (const std::runtime_error& error)
    {
        FUZZ_CHECK(!inside && IsBitmapError(error));
    }
    try
    {
        LBitmap::LoadColorizedBitmap(colorizer, settings.strength, 0, 0, sub, sub);
        FUZZ_CHECK(false);
    }
    catch (const std::domain_error& error)
    {
        FUZZ_CHECK(IsBitmapError(error));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QK::Fuzz::SourceFile source;
    if (size < kSettingsSize)
        return 0;
    const Settings settings = ReadSettings(data);
    std::vector<std::uint8_t> png(data + kSettingsSize, data + size);
    FixChecksums(png);
    if (png.size() >= 24 && std::memcmp(&png[12], "IHDR", 4) == 0)
    {
        const std::uint64_t pixels = std::uint64_t{BigEndian(&png[16])} * BigEndian(&png[20]);
        if (pixels > kSlowPixels && pixels <= QK::kMaxDecodedPixels)
            return 0;
    }

    // The header is read first, and decoding refuses nothing it accepts but for the pixels.
    std::uint32_t headerWidth = 0;
    std::uint32_t headerHeight = 0;
    const bool header = QK::ReadPngSize(png.data(), png.size(), headerWidth, headerHeight);
    QK::DecodedImage decoded;
    if (!QK::DecodePng(png.data(), png.size(), decoded))
    {
        FUZZ_CHECK(decoded.width == 0 && decoded.height == 0 && decoded.pixels.empty());
        if (header)
        {
            // A good header over pixels that do not decode: the bitmap has the size and no pixels.
            const QK::ConstRCPtr<QK::LBitmap> bitmap =
                QK::LBitmap::LoadBitmap(QK::WString(source.Write(png.data(), png.size()).c_str()));
            FUZZ_CHECK(bitmap && bitmap->GetWidth() == static_cast<std::int32_t>(headerWidth));
            FUZZ_CHECK(!bitmap->GetGdiplusBitmap() && bitmap->GetPixel(0, 0).ToARGB() == 0);
        }
        return 0;
    }
    FUZZ_CHECK(header && headerWidth == decoded.width && headerHeight == decoded.height);
    FUZZ_CHECK(decoded.width != 0 && decoded.height != 0 &&
               std::uint64_t{decoded.width} * decoded.height <= QK::kMaxDecodedPixels &&
               decoded.pixels.size() == std::size_t{decoded.width} * decoded.height * 4);

    {
        // The same bytes from a file, through the cache, are the same image.
        const QK::ConstRCPtr<QK::LBitmap> bitmap =
            QK::LBitmap::LoadBitmap(QK::WString(source.Write(png.data(), png.size()).c_str()));
        FUZZ_CHECK(bitmap);
        FUZZ_CHECK(bitmap->GetWidth() == static_cast<std::int32_t>(decoded.width) &&
                   bitmap->GetHeight() == static_cast<std::int32_t>(decoded.height));
        if (settings.drawnFirst)
            FUZZ_CHECK(bitmap->GetGdiplusBitmap()->Premultiply());
        const std::int32_t right = bitmap->GetWidth() - 1;
        const std::int32_t bottom = bitmap->GetHeight() - 1;
        FUZZ_CHECK(bitmap->GetPixel(right, bottom).ToARGB() ==
                   DecodedPixel(decoded, static_cast<std::uint32_t>(right), static_cast<std::uint32_t>(bottom)));
        CheckSubBitmap(decoded, bitmap, settings);
    }
    // The last holder let go: the cache keeps nothing.
    FUZZ_CHECK(QK::LBitmap::GetCacheCount() == 0);

    std::vector<std::uint32_t> straight(std::size_t{decoded.width} * decoded.height);
    std::memcpy(straight.data(), decoded.pixels.data(), decoded.pixels.size());
    QK::BitmapImage image(std::move(decoded));
    std::uint32_t argb = 0;
    const std::int64_t right = image.GetWidth() - 1;
    const std::int64_t bottom = image.GetHeight() - 1;
    FUZZ_CHECK(image.GetPixel(0, 0, argb) && image.GetPixel(right, bottom, argb) &&
               !image.GetPixel(right + 1, 0, argb));

    // Premultiplied for drawing, every pixel still reads as it was, and so do raw pixels
    // handed out afterwards.
    FUZZ_CHECK(image.Premultiply() && image.IsPremultiplied());
    for (std::size_t index = 0; index < straight.size(); ++index)
        FUZZ_CHECK(image.GetStraightPixel(index) == straight[index]);
    const std::uint32_t* locked =
        image.LockBits({0, 0, static_cast<std::int32_t>(image.GetWidth()), static_cast<std::int32_t>(image.GetHeight())},
                       QK::BitmapImage::kLockRead);
    FUZZ_CHECK(locked && !image.IsPremultiplied() &&
               std::memcmp(locked, straight.data(), straight.size() * sizeof(std::uint32_t)) == 0);
    image.UnlockBits();
    return 0;
}
