// LBitmap: the framework's image. A bitmap is a PNG loaded from a "GDIPLUS" resource (a name
// beginning "::") or a file, a rectangle of such an image (a sub-bitmap), or an image made
// in memory (a solid fill, a colorized copy). Skin parts get theirs through the process-wide
// cache by name (LoadBitmap); the renderers draw them. LBitmapData gives raw access to the
// pixels of a locked bitmap.
//
// A bitmap loaded by name reads only its image's header at first (its size, and whether it
// is an image at all); the pixels are decoded the first time anything needs them (drawing,
// reading a pixel, cloning, locking), so looks that are never shown cost nothing. A large
// image (the device picture) is decoded on a worker thread from the moment it is loaded, and
// any other can be sent to the workers ahead of its first draw (StartDecoding); the first need
// takes the result, waiting for it if a worker has it in hand (ImageDecodeQueue).
//
// The cache holds each bitmap as an internal reference: when the last outside holder lets
// go, ReleaseInternalReferences takes the entry out and the bitmap dies. Bitmaps, the cache
// and bitmap data are used on the UI thread only.
//
// Contents: LBitmap; LBitmapData.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Graphics/BitmapImage.h"
#include "QKFramework/Utilities/Graphics/ColorRGBA.h"
#include "QKFramework/Utilities/Graphics/PixelBuffer.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace QK
{

class LColorizer;
class LBitmapData;
class ImageDecodeJob;

class LBitmap : public virtual LRefCountedObject
{
public:
    // Images of at least this many pixels (the device picture) start decoding on a worker
    // when they are loaded: their decode is the longest single step of a first paint. Small
    // ones (looks of buttons and knobs, most never drawn) wait until they are needed.
    static constexpr std::uint64_t kDecodeAheadPixels = 512u * 1024u;

    // Loads the image that name gives (a "::" resource name or a file path); on any failure
    // the bitmap is empty: no image, rectangle all zero. cacheKey is what LoadBitmap filed
    // it under.
    LBitmap(const WString& name, const WString& cacheKey);
    ~LBitmap() override;

    // The cached bitmap of name, loading and caching it on a miss; null, and nothing cached,
    // when it cannot be loaded. A resource's key is its whole name upper-cased, so names
    // that differ only in case share one bitmap; a file's is its long path (file names
    // differ by case here).
    static ConstRCPtr<LBitmap> LoadBitmap(const WString& name);

    // A bitmap showing (x, y, width, height) of this one, in this one's coordinates; a width
    // or height not above 0 takes this whole bitmap. Not clipped to the image. Its parent
    // is always the bitmap that owns the image.
    ConstRCPtr<LBitmap> CreateSubBitmap(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height) const;

    // The image behind the bitmap: its own, or its parent's; decoded here when that has not
    // happened yet. Null when there is none, or it did not decode.
    BitmapImage* GetGdiplusBitmap() const;
    // Whether the pixels behind the bitmap are in memory already.
    bool IsDecoded() const;
    // Sends the image behind the bitmap to the decoding workers when its pixels are still to
    // be decoded and no worker has it yet; its first need takes the result.
    void StartDecoding() const;
    // The pixel at (x, y) of the bitmap; four zero channels (and the status recorded) when
    // that is outside the image or there is none.
    ColorRGBA GetPixel(std::int32_t x, std::int32_t y) const;
    // A new bitmap owning a copy of this bitmap's rectangle, at (0, 0); empty when the
    // rectangle does not lie inside the image.
    ConstRCPtr<LBitmap> Clone() const;
    // The pixels locked for reading; a sub-bitmap answers its parent's (the whole image).
    ConstRCPtr<LBitmapData> GetBitmapData() const;

    // Tints the pixels of bitmap in place: each of red, green and blue moves towards the
    // colorizer's colour by its alpha times strength; alpha stays. A gradient colorizer is
    // refused with the gradient's domain error. Runtime errors for a null bitmap or
    // colorizer and for pixels that cannot be locked (no image, a rectangle not inside it,
    // or a lock held).
    static void ApplyColorizer(const ConstRCPtr<LBitmap>& bitmap, const ConstRCPtr<LColorizer>& colorizer,
                               float strength);
    // A width x height bitmap filled by the colorizer (its alpha times strength).
    static ConstRCPtr<LBitmap> CreateColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float strength,
                                                     std::int32_t width, std::int32_t height);
    // A width x height bitmap whose every pixel is the packed colour.
    static ConstRCPtr<LBitmap> CreateFilledBitmap(std::int32_t width, std::int32_t height, const ColorRGBA& color);
    // Not supported: always the domain error.
    [[noreturn]] static ConstRCPtr<LBitmap> CreateGradientFilledBitmap(std::int32_t width, std::int32_t height,
                                                                      const ColorRGBA& startColor,
                                                                      const ColorRGBA& endColor, bool vertical);
    // The bitmap of a colorized skin part: a colorized clone of the image or of the mask
    // (never both), else a bitmap filled by the colorizer.
    static ConstRCPtr<LBitmap> LoadColorizedBitmap(const ConstRCPtr<LColorizer>& colorizer, float strength,
                                                   std::int32_t width, std::int32_t height,
                                                   const ConstRCPtr<LBitmap>& image, const ConstRCPtr<LBitmap>& mask);

    // Takes the bitmap out of the cache.
    QKRESULT ReleaseInternalReferences() override;

    // The image's serial identity (0 without an image); never reused, unlike addresses.
    std::uint64_t GetHandle() const;
    // This bitmap object's own serial identity.
    std::uint64_t GetSerial() const noexcept { return m_serial; }

    const RectL& GetRect() const noexcept { return m_rect; }
    std::int32_t GetWidth() const noexcept { return m_rect.width; }
    std::int32_t GetHeight() const noexcept { return m_rect.height; }
    const ConstRCPtr<LBitmap>& GetParent() const noexcept { return m_parent; }
    const WString& GetName() const noexcept { return m_name; }
    const WString& GetCacheKey() const noexcept { return m_cacheKey; }

    // Entries in the bitmap cache.
    static std::size_t GetCacheCount();

private:
    // An image made in memory.
    explicit LBitmap(std::unique_ptr<BitmapImage> image);
    // A sub-bitmap.
    LBitmap(const ConstRCPtr<LBitmap>& parent, const RectL& rect);

    void Decode() const;

    RectL m_rect{};
    ConstRCPtr<LBitmap> m_parent;
    WString m_name;
    WString m_cacheKey;
    mutable std::unique_ptr<BitmapImage> m_image;
    // The image named m_name has a good header and is decoded when first needed.
    mutable bool m_decodePending = false;
    // The image's decode handed to the workers (at load for a large image, or by
    // StartDecoding); the first need takes the result from here.
    mutable std::shared_ptr<ImageDecodeJob> m_decodeJob;
    std::uint64_t m_serial;
};

// The pixels of a bitmap's rectangle, locked while the object lives. A lock that fails (no
// image, a rectangle outside it, another lock held) leaves it empty: width and height 0
// and no pixel addresses.
class LBitmapData : public IPixelBuffer<std::uint32_t>, public virtual LRefCountedObject
{
public:
    // secondSource must be null (a domain error otherwise); flag is unused.
    LBitmapData(const ConstRCPtr<LBitmap>& bitmap, std::uint32_t lockMode,
                const IPixelBuffer<std::uint32_t>* secondSource = nullptr, bool flag = false);
    ~LBitmapData() override;

    bool IsLocked() const noexcept { return m_first != nullptr; }

    std::int32_t GetWidth() const override { return m_width; }
    std::int32_t GetHeight() const override { return m_height; }
    std::int32_t GetStride() const override { return m_stride; }
    const IPixelBuffer* GetSecondSource() const override { return nullptr; }
    std::uint32_t* GetPixelAddress(std::int32_t x, std::int32_t y) const override;

private:
    ConstRCPtr<LBitmap> m_bitmap;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::int32_t m_stride = 0;
    std::uint32_t* m_first = nullptr;
};

} // namespace QK
