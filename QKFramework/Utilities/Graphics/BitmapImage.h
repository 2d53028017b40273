// BitmapImage: the pixels behind one or more LBitmap objects (the loaded or made image and
// the sub-bitmaps that show parts of it). Pixels are 32-bit, B, G, R, A in memory, so a pixel
// read as a 32-bit word is 0xAARRGGBB; rows follow each other without padding.
//
// The pixels are straight (not premultiplied) alpha, until the image is first drawn: then
// Premultiply turns them, in place, into the form drawing surfaces show as they are, so the
// image is held once. Reads still answer the straight colours exactly: those premultiplying
// would round away are kept aside. Whatever asks for raw pixels (GetPixels, LockBits) gets
// straight ones again, in a buffer of their own.
//
// Like the image objects of the design it stands for, an operation that fails records a
// status (kStatus*) and the caller goes on; at most one lock is held at a time.
//
// The pixels are shared with whoever asks for them (GetSharedPixels): a drawing surface that
// shows them as they are keeps them alive after the image itself is gone.
#pragma once

#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace QK
{

class BitmapImage
{
public:
    static constexpr int kStatusOk = 0;
    static constexpr int kStatusInvalidParameter = 2;
    static constexpr int kStatusOutOfMemory = 3;
    static constexpr int kStatusWrongState = 8;

    // Lock modes.
    static constexpr std::uint32_t kLockRead = 1;
    static constexpr std::uint32_t kLockWrite = 2;

    // A transparent black image; throws Exception<std::bad_alloc> beyond kMaxDecodedPixels
    // or without memory. width and height are at least 1.
    BitmapImage(std::uint32_t width, std::uint32_t height);
    // Takes the pixels of a decoded image.
    explicit BitmapImage(DecodedImage&& decoded);
    // The image of a PNG of width x height, decoded straight into its own pixels; null when
    // the data is not such a PNG. Throws like the constructor when the pixels cannot be had.
    static std::unique_ptr<BitmapImage> FromPng(const std::uint8_t* data, std::size_t size, std::uint32_t width,
                                                std::uint32_t height);
    BitmapImage(const BitmapImage&) = delete;
    BitmapImage& operator=(const BitmapImage&) = delete;

    std::uint32_t GetWidth() const noexcept { return m_width; }
    std::uint32_t GetHeight() const noexcept { return m_height; }
    std::int32_t GetStride() const noexcept { return static_cast<std::int32_t>(m_width * 4); }
    // Never reused within the process, so caches can key by it where an address could come back.
    std::uint64_t GetSerial() const noexcept { return m_serial; }
    // The pixels as they are held: premultiplied when IsPremultiplied, else straight.
    const std::uint32_t* GetHeldPixels() const noexcept { return m_pixels.get(); }
    std::shared_ptr<const std::uint32_t[]> GetSharedPixels() const noexcept { return m_pixels; }
    // Straight pixels, to read or write; a premultiplied image becomes straight again first
    // (throws Exception<std::bad_alloc> without memory for that).
    std::uint32_t* GetPixels();
    // The straight colour of the pixel at index y x width + x, whichever form is held.
    std::uint32_t GetStraightPixel(std::size_t index) const noexcept;
    // Whether every pixel of rect (which must lie inside the image) is opaque.
    bool IsOpaque(const RectL& rect) const noexcept;

    bool IsPremultiplied() const noexcept { return m_premultiplied; }
    // Turns the pixels premultiplied in place (nothing to do when they are). False, and
    // nothing changed, while a lock is held or without memory to keep the inexact colours.
    bool Premultiply() noexcept;

    int GetLastStatus() const noexcept { return m_lastStatus; }
    void SetLastStatus(int status) noexcept { m_lastStatus = status; }

    // Whether rect lies wholly inside the image and is not empty.
    bool Contains(const RectL& rect) const noexcept;

    // Locks rect (which must lie inside the image) and answers the address of its first
    // pixel; null when rect is not inside or a lock is held (the status says which).
    std::uint32_t* LockBits(const RectL& rect, std::uint32_t mode);
    void UnlockBits() noexcept { m_locked = false; }
    bool IsLocked() const noexcept { return m_locked; }

    // The pixel at (x, y); false (and the status recorded) outside the image.
    bool GetPixel(std::int64_t x, std::int64_t y, std::uint32_t& argb);

private:
    struct Uncleared
    {
    };
    BitmapImage(std::uint32_t width, std::uint32_t height, Uncleared);
    // Straight pixels in a buffer of their own; whoever shows the premultiplied ones keeps them.
    void MakeStraight();

    std::uint32_t m_width;
    std::uint32_t m_height;
    std::shared_ptr<std::uint32_t[]> m_pixels;
    std::uint64_t m_serial;
    // While premultiplied: (index, straight colour) of every pixel whose straight colour its
    // premultiplied form does not give back, by index.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_inexact;
    int m_lastStatus = kStatusOk;
    bool m_locked = false;
    bool m_premultiplied = false;
};

} // namespace QK
