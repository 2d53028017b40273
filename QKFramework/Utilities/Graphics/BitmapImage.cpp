#include "QKFramework/Utilities/Graphics/BitmapImage.h"

#include "QKFramework/ObjectBase/Exception.h"

#include <atomic>
#include <cstring>
#include <new>

namespace QK
{

namespace
{

std::uint64_t NextSerial() noexcept
{
    static std::atomic<std::uint64_t> serial{0};
    return serial.fetch_add(1, std::memory_order_relaxed) + 1;
}

std::vector<std::uint32_t> MakePixels(std::uint64_t count)
{
    if (count == 0 || count > kMaxDecodedPixels)
        ThrowBadAlloc();
    try
    {
        return std::vector<std::uint32_t>(static_cast<std::size_t>(count), 0u);
    }
    catch (const std::bad_alloc&)
    {
        ThrowBadAlloc();
    }
}

} // namespace

BitmapImage::BitmapImage(std::uint32_t width, std::uint32_t height)
    : m_width(width), m_height(height), m_pixels(MakePixels(std::uint64_t{width} * height)), m_serial(NextSerial())
{
}

BitmapImage::BitmapImage(DecodedImage&& decoded)
    : m_width(decoded.width), m_height(decoded.height),
      m_pixels(MakePixels(std::uint64_t{decoded.width} * decoded.height)), m_serial(NextSerial())
{
    if (decoded.pixels.size() != m_pixels.size() * 4)
        ThrowBadAlloc();
    std::memcpy(m_pixels.data(), decoded.pixels.data(), decoded.pixels.size());
    decoded = DecodedImage{};
}

bool BitmapImage::Contains(const RectL& rect) const noexcept
{
    return rect.x >= 0 && rect.y >= 0 && rect.width > 0 && rect.height > 0 &&
           std::int64_t{rect.x} + rect.width <= m_width && std::int64_t{rect.y} + rect.height <= m_height;
}

std::uint32_t* BitmapImage::LockBits(const RectL& rect, std::uint32_t)
{
    if (m_locked)
    {
        m_lastStatus = kStatusWrongState;
        return nullptr;
    }
    if (!Contains(rect))
    {
        m_lastStatus = kStatusInvalidParameter;
        return nullptr;
    }
    m_locked = true;
    return m_pixels.data() + static_cast<std::size_t>(rect.y) * m_width + static_cast<std::size_t>(rect.x);
}

bool BitmapImage::GetPixel(std::int64_t x, std::int64_t y, std::uint32_t& argb)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
    {
        m_lastStatus = kStatusInvalidParameter;
        argb = 0;
        return false;
    }
    argb = m_pixels[static_cast<std::size_t>(y) * m_width + static_cast<std::size_t>(x)];
    return true;
}

} // namespace QK
