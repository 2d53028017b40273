// Contents: the bitmap cache; loading; sub-bitmaps, pixels and clones; colorizing and
// fills; LBitmapData.
#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"
#include "QKFramework/Utilities/Graphics/ImageDecodeQueue.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"
#include "QKFramework/Utilities/Storage/Paths.h"
#include "QKFramework/Utilities/Storage/QKFile.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <map>
#include <memory>
#include <span>
#include <vector>

namespace QK
{

namespace
{

constexpr const char* kSource = "Utilities\\Graphics\\Bitmap";

// Files larger than this are not read: no PNG the program draws comes near it.
constexpr std::uint32_t kMaxImageFileBytes = 64u * 1024u * 1024u;

std::uint64_t NextBitmapSerial() noexcept
{
    static std::atomic<std::uint64_t> serial{0};
    return serial.fetch_add(1, std::memory_order_relaxed) + 1;
}

// ---- The bitmap cache ----------------------------------------------------------------------

// Never destroyed: bitmaps held by static objects may leave it while the process exits.
std::map<WString, ConstRCPtr<LBitmap>>& GetCache()
{
    static auto* const cache = new std::map<WString, ConstRCPtr<LBitmap>>();
    return *cache;
}

// ---- Loading -------------------------------------------------------------------------------

// The bytes of an image: a resource's, in place, or a file's, read whole.
struct ImageBytes
{
    std::span<const std::uint8_t> data;
    std::vector<std::uint8_t> owned;
};

bool ReadImageBytes(const WString& name, ImageBytes& bytes)
{
    try
    {
        if (IsResourceSourceName(name))
        {
            const NString resource(GetResourceName(name).GetString());
            bytes.data = FindResourceData(GetApplicationInstance(), "GDIPLUS", resource.GetString());
            return !bytes.data.empty();
        }
        if (name.IsEmpty())
            return false;
        File file(name, WString(), File::kModeRead);
        if (!file.IsOpen())
            return false;
        const std::uint32_t length = file.GetLength();
        if (length == 0 || length > kMaxImageFileBytes)
            return false;
        bytes.owned.resize(length);
        if (file.Read(bytes.owned.data(), length, 0) != length)
            return false;
        bytes.data = bytes.owned;
        return true;
    }
    catch (const std::exception&)
    {
        // A file that fails to read, or one too large to hold, gives no image.
        return false;
    }
}

// The size of the image that name gives, from its header; false when there is none to load.
bool ReadImageSize(const ImageBytes& bytes, std::uint32_t& width, std::uint32_t& height)
{
    return ReadPngSize(bytes.data.data(), bytes.data.size(), width, height);
}

std::unique_ptr<BitmapImage> DecodeImageBytes(const ImageBytes& bytes, std::uint32_t width, std::uint32_t height)
{
    try
    {
        return BitmapImage::FromPng(bytes.data.data(), bytes.data.size(), width, height);
    }
    catch (const std::exception&)
    {
        // No memory for the pixels: the bitmap draws nothing, as one that failed to decode.
        return nullptr;
    }
}

std::unique_ptr<BitmapImage> DecodeImage(const WString& name, std::uint32_t width, std::uint32_t height)
{
    ImageBytes bytes;
    if (!ReadImageBytes(name, bytes))
        return nullptr;
    return DecodeImageBytes(bytes, width, height);
}

// Images sent to the workers are on their way to a drawing surface: they are made ready to
// draw there too (premultiplied; reads still answer their exact straight colours).
std::shared_ptr<ImageDecodeJob> SubmitDecode(std::shared_ptr<const ImageBytes> bytes, std::uint32_t width,
                                             std::uint32_t height)
{
    return ImageDecodeQueue::Get().Submit([bytes = std::move(bytes), width, height] {
        std::unique_ptr<BitmapImage> image = DecodeImageBytes(*bytes, width, height);
        if (image)
            image->Premultiply();
        return image;
    });
}

std::uint8_t Colorize(std::uint32_t channel, float colour, float alpha)
{
    const float value = (static_cast<float>(channel) / 255.0f * (1.0f - alpha) + colour * alpha) * 255.0f + 0.5f;
    // Held to a byte before the truncation: colours and strengths outside 0..1 would
    // otherwise wrap or convert out of range.
    if (!(value > 0.0f))
        return 0;
    if (value >= 255.0f)
        return 255;
    return static_cast<std::uint8_t>(value);
}

} // namespace

LBitmap::LBitmap(const WString& name, const WString& cacheKey)
    : m_name(name), m_cacheKey(cacheKey), m_serial(NextBitmapSerial())
{
    // Only the header is read here; the pixels wait until something needs them.
    auto bytes = std::make_shared<ImageBytes>();
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!ReadImageBytes(name, *bytes) || !ReadImageSize(*bytes, width, height))
        return;
    m_rect = {0, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
    m_decodePending = true;
    if (std::uint64_t{width} * height >= kDecodeAheadPixels)
        m_decodeJob = SubmitDecode(std::move(bytes), width, height);
}

LBitmap::LBitmap(std::unique_ptr<BitmapImage> image) : m_image(std::move(image)), m_serial(NextBitmapSerial())
{
    if (m_image)
        m_rect = {0, 0, static_cast<std::int32_t>(m_image->GetWidth()), static_cast<std::int32_t>(m_image->GetHeight())};
}

LBitmap::LBitmap(const ConstRCPtr<LBitmap>& parent, const RectL& rect)
    : m_rect(rect), m_parent(parent), m_serial(NextBitmapSerial())
{
}

LBitmap::~LBitmap() = default;

ConstRCPtr<LBitmap> LBitmap::LoadBitmap(const WString& name)
{
    const WString key = IsResourceSourceName(name) ? name.ToUpper() : GetLongPath(name);
    auto& cache = GetCache();
    if (const auto found = cache.find(key); found != cache.end())
        return found->second;

    ConstRCPtr<LBitmap> bitmap(new LBitmap(name, key));
    if (!bitmap->m_image && !bitmap->m_decodePending && !bitmap->m_parent)
        return nullptr;
    cache.emplace(key, bitmap);
    const_cast<LBitmap*>(bitmap.Get())->AddInternalReferences(1);
    return bitmap;
}

QKRESULT LBitmap::ReleaseInternalReferences()
{
    if (!m_name.IsEmpty())
    {
        auto& cache = GetCache();
        const auto found = cache.find(m_cacheKey);
        if (found != cache.end() && found->second.Get() == this)
        {
            AddInternalReferences(-1);
            // The cache's own reference goes last: this object is still held by the caller.
            const ConstRCPtr<LBitmap> entry = std::move(found->second);
            cache.erase(found);
        }
    }
    return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? QK_OK : QK_E_FAIL;
}

std::size_t LBitmap::GetCacheCount()
{
    return GetCache().size();
}

// ---- Sub-bitmaps, pixels and clones --------------------------------------------------------

ConstRCPtr<LBitmap> LBitmap::CreateSubBitmap(std::int32_t x, std::int32_t y, std::int32_t width,
                                             std::int32_t height) const
{
    if (width <= 0 || height <= 0)
    {
        x = 0;
        y = 0;
        width = m_rect.width;
        height = m_rect.height;
    }
    // Offsets add in 64 bits and saturate: the rectangle is not clipped, but it must not wrap.
    const auto add = [](std::int32_t a, std::int32_t b) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(std::int64_t{a} + b, INT32_MIN, INT32_MAX));
    };
    const RectL rect{add(m_rect.x, x), add(m_rect.y, y), width, height};
    const ConstRCPtr<LBitmap> owner = m_parent ? m_parent : ConstRCPtr<LBitmap>(const_cast<LBitmap*>(this));
    return ConstRCPtr<LBitmap>(new LBitmap(owner, rect));
}

BitmapImage* LBitmap::GetGdiplusBitmap() const
{
    for (const LBitmap* bitmap = this; bitmap; bitmap = bitmap->m_parent.Get())
    {
        if (bitmap->m_decodePending)
            bitmap->Decode();
        if (bitmap->m_image)
            return bitmap->m_image.get();
    }
    return nullptr;
}

bool LBitmap::IsDecoded() const
{
    for (const LBitmap* bitmap = this; bitmap; bitmap = bitmap->m_parent.Get())
        if (bitmap->m_image)
            return true;
    return false;
}

void LBitmap::StartDecoding() const
{
    const LBitmap* owner = m_parent ? m_parent.Get() : this;
    if (!owner->m_decodePending || owner->m_decodeJob)
        return;
    auto bytes = std::make_shared<ImageBytes>();
    if (!ReadImageBytes(owner->m_name, *bytes))
        return;
    owner->m_decodeJob = SubmitDecode(std::move(bytes), static_cast<std::uint32_t>(owner->m_rect.width),
                                      static_cast<std::uint32_t>(owner->m_rect.height));
}

void LBitmap::Decode() const
{
    m_decodePending = false;
    // An image whose header read well but whose pixels do not decode stays without pixels:
    // it draws nothing and reads as transparent.
    if (const std::shared_ptr<ImageDecodeJob> job = std::move(m_decodeJob))
        m_image = job->Take();
    else
        m_image = DecodeImage(m_name, static_cast<std::uint32_t>(m_rect.width), static_cast<std::uint32_t>(m_rect.height));
}

std::uint64_t LBitmap::GetHandle() const
{
    const BitmapImage* image = GetGdiplusBitmap();
    return image ? image->GetSerial() : 0;
}

ColorRGBA LBitmap::GetPixel(std::int32_t x, std::int32_t y) const
{
    ColorRGBA color;
    BitmapImage* image = GetGdiplusBitmap();
    std::uint32_t argb = 0;
    if (image && image->GetPixel(std::int64_t{x} + m_rect.x, std::int64_t{y} + m_rect.y, argb))
        color.FromARGB(argb);
    return color;
}

ConstRCPtr<LBitmap> LBitmap::Clone() const
{
    BitmapImage* image = GetGdiplusBitmap();
    if (!image || !image->Contains(m_rect))
    {
        if (image)
            image->SetLastStatus(BitmapImage::kStatusInvalidParameter);
        return ConstRCPtr<LBitmap>(new LBitmap(std::unique_ptr<BitmapImage>()));
    }
    auto copy = std::make_unique<BitmapImage>(static_cast<std::uint32_t>(m_rect.width),
                                              static_cast<std::uint32_t>(m_rect.height));
    // Read through the image's straight colours: a drawn image holds its pixels premultiplied.
    std::uint32_t* to = copy->GetPixels();
    for (std::int32_t row = 0; row < m_rect.height; ++row)
    {
        const std::size_t from = (static_cast<std::size_t>(m_rect.y) + static_cast<std::size_t>(row)) * image->GetWidth() +
                                 static_cast<std::size_t>(m_rect.x);
        for (std::int32_t column = 0; column < m_rect.width; ++column)
            *to++ = image->GetStraightPixel(from + static_cast<std::size_t>(column));
    }
    return ConstRCPtr<LBitmap>(new LBitmap(std::move(copy)));
}

ConstRCPtr<LBitmapData> LBitmap::GetBitmapData() const
{
    if (m_parent)
        return m_parent->GetBitmapData();
    return ConstRCPtr<LBitmapData>(
        new LBitmapData(ConstRCPtr<LBitmap>(const_cast<LBitmap*>(this)), BitmapImage::kLockRead));
}

// ---- Colorizing and fills ------------------------------------------------------------------

void LBitmap::ApplyColorizer(const ConstRCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                             float strength)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (!bitmap || !colorizer)
        Throw<std::runtime_error>(ThrowSite{"QK::LBitmap::ApplyColorizer", kSource, 374});
    if (colorizer->IsGradient())
    {
        // The gradient is drawn over the bitmap; with gradients refused this ends here.
        CreateColorizedBitmap(colorizer, strength, bitmap->GetWidth(), bitmap->GetHeight());
        return;
    }

    const ColorRGBA& k = colorizer->Color;
    const float alpha = k.a * strength;
    BitmapImage* image = bitmap->GetGdiplusBitmap();
    std::uint32_t* first = image ? image->LockBits(bitmap->m_rect, BitmapImage::kLockRead | BitmapImage::kLockWrite)
                                 : nullptr;
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (!first)
        Throw<std::runtime_error>(ThrowSite{"QK::LBitmap::ApplyColorizer", kSource, 398});
    for (std::int32_t y = 0; y < bitmap->m_rect.height; ++y)
    {
        std::uint32_t* row = first + static_cast<std::size_t>(y) * image->GetWidth();
        for (std::int32_t x = 0; x < bitmap->m_rect.width; ++x)
        {
            const std::uint32_t pixel = row[x];
            row[x] = (pixel & 0xFF000000u) | std::uint32_t{Colorize(pixel >> 16 & 0xFF, k.r, alpha)} << 16 |
                     std::uint32_t{Colorize(pixel >> 8 & 0xFF, k.g, alpha)} << 8 |
                     std::uint32_t{Colorize(pixel & 0xFF, k.b, alpha)};
        }
    }
    image->UnlockBits();
}

ConstRCPtr<LBitmap> LBitmap::CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float strength,
                                                   std::int32_t width, std::int32_t height)
{
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    if (width < 1 || height < 1)
        Throw<std::runtime_error>(ThrowSite{"QK::LBitmap::CreateColorizedBitmap", kSource, 298});
    if (!colorizer)
        ThrowNullPointer(ThrowSite{"QK::LBitmap::CreateColorizedBitmap", kSource, 298}, "colorizer");
    if (colorizer->IsGradient())
        CreateGradientFilledBitmap(width, height, colorizer->Color, colorizer->GradientEndColor,
                                   colorizer->ColorType == LColorizer::kRadialGradient);
    const ColorRGBA& c = colorizer->Color;
    return CreateFilledBitmap(width, height, ColorRGBA{c.r, c.g, c.b, c.a * strength});
}

ConstRCPtr<LBitmap> LBitmap::CreateFilledBitmap(std::int32_t width, std::int32_t height, const ColorRGBA& color)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (width <= 0 || height <= 0)
        Throw<std::runtime_error>(ThrowSite{"QK::LBitmap::CreateFilledBitmap", kSource, 327});
    const std::uint32_t argb = color.ToARGB();
    auto image = std::make_unique<BitmapImage>(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    std::fill_n(image->GetPixels(), static_cast<std::size_t>(width) * static_cast<std::size_t>(height), argb);
    return ConstRCPtr<LBitmap>(new LBitmap(std::move(image)));
}

ConstRCPtr<LBitmap> LBitmap::CreateGradientFilledBitmap(std::int32_t, std::int32_t, const ColorRGBA&,
                                                        const ColorRGBA&, bool)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    Throw<std::domain_error>(ThrowSite{"QK::LBitmap::CreateGradientFilledBitmap", kSource, 362});
}

ConstRCPtr<LBitmap> LBitmap::LoadColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float strength,
                                                 std::int32_t width, std::int32_t height,
                                                 const ConstRCPtr<LBitmap>& image, const ConstRCPtr<LBitmap>& mask)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (image && mask)
        Throw<std::domain_error>(ThrowSite{"QK::LBitmap::ApplyColorizer", kSource, 444});
    if (image || mask)
    {
        ConstRCPtr<LBitmap> clone = (image ? image : mask)->Clone();
        ApplyColorizer(clone, colorizer, strength);
        return clone;
    }
    return CreateColorizedBitmap(colorizer, strength, width, height);
}

// ---- LBitmapData ---------------------------------------------------------------------------

LBitmapData::LBitmapData(const ConstRCPtr<LBitmap>& bitmap, std::uint32_t lockMode,
                         const IPixelBuffer<std::uint32_t>* secondSource, bool)
    : m_bitmap(bitmap)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (secondSource)
        Throw<std::domain_error>(ThrowSite{"QK::LBitmapData::LBitmapData", kSource, 489});
    BitmapImage* image = m_bitmap ? m_bitmap->GetGdiplusBitmap() : nullptr;
    if (!image)
        return;
    m_first = image->LockBits(m_bitmap->GetRect(), lockMode);
    if (!m_first)
        return;
    m_width = m_bitmap->GetWidth();
    m_height = m_bitmap->GetHeight();
    m_stride = image->GetStride();
}

LBitmapData::~LBitmapData()
{
    if (m_first)
        m_bitmap->GetGdiplusBitmap()->UnlockBits();
}

std::uint32_t* LBitmapData::GetPixelAddress(std::int32_t x, std::int32_t y) const
{
    if (!m_first || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return nullptr;
    return m_first + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_stride / 4) + static_cast<std::size_t>(x);
}

} // namespace QK
