// IPixelBuffer: raw access to the pixels of an image locked for reading or writing. T is the
// pixel unit (std::uint32_t for 32-bit BGRA bitmaps, unsigned char for glyph masks).
#pragma once

#include <cstdint>

namespace QK
{

template <class T> class IPixelBuffer
{
public:
    virtual std::int32_t GetWidth() const = 0;
    virtual std::int32_t GetHeight() const = 0;
    // Bytes from one row to the next.
    virtual std::int32_t GetStride() const = 0;
    // A further source the pixels come from; none of the framework's buffers has one.
    virtual const IPixelBuffer* GetSecondSource() const = 0;
    // The pixel at (x, y) of the locked area; null outside it.
    virtual T* GetPixelAddress(std::int32_t x, std::int32_t y) const = 0;

protected:
    ~IPixelBuffer() = default;
};

} // namespace QK
