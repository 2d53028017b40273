#include "QKFramework/Utilities/Graphics/BitmapImage.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Utilities/Graphics/PremultipliedAlpha.h"

#include <algorithm>
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

// Left as they come from the allocator: the caller clears them or writes every one.
std::shared_ptr<std::uint32_t[]> MakePixels(std::uint64_t count)
{
    if (count == 0 || count > kMaxDecodedPixels)
        ThrowBadAlloc();
    try
    {
        return std::shared_ptr<std::uint32_t[]>(new std::uint32_t[static_cast<std::size_t>(count)]);
    }
    catch (const std::bad_alloc&)
    {
        ThrowBadAlloc();
    }
}

} // namespace

BitmapImage::BitmapImage(std::uint32_t width, std::uint32_t height, Uncleared)
    : m_width(width), m_height(height), m_pixels(MakePixels(std::uint64_t{width} * height)), m_serial(NextSerial())
{
}

BitmapImage::BitmapImage(std::uint32_t width, std::uint32_t height) : BitmapImage(width, height, Uncleared{})
{
    std::fill_n(m_pixels.get(), std::size_t{m_width} * m_height, 0u);
}

BitmapImage::BitmapImage(DecodedImage&& decoded) : BitmapImage(decoded.width, decoded.height, Uncleared{})
{
    if (decoded.pixels.size() != std::size_t{m_width} * m_height * 4)
        ThrowBadAlloc();
    std::memcpy(m_pixels.get(), decoded.pixels.data(), decoded.pixels.size());
    decoded = DecodedImage{};
}

std::unique_ptr<BitmapImage> BitmapImage::FromPng(const std::uint8_t* data, std::size_t size, std::uint32_t width,
                                                  std::uint32_t height)
{
    std::unique_ptr<BitmapImage> image(new BitmapImage(width, height, Uncleared{}));
    if (!DecodePngInto(data, size, width, height, image->GetPixels()))
        return nullptr;
    return image;
}

std::uint32_t* BitmapImage::GetPixels()
{
    MakeStraight();
    return m_pixels.get();
}

std::uint32_t BitmapImage::GetStraightPixel(std::size_t index) const noexcept
{
    const std::uint32_t held = m_pixels[index];
    if (!m_premultiplied || (held >> 24) == 0xFF)
        return held;
    const auto inexact = std::lower_bound(m_inexact.begin(), m_inexact.end(), index,
                                          [](const auto& entry, std::size_t at) { return entry.first < at; });
    if (inexact != m_inexact.end() && inexact->first == index)
        return inexact->second;
    return UnpremultiplyArgb(held);
}

bool BitmapImage::Premultiply() noexcept
{
    if (m_premultiplied)
        return true;
    if (m_locked)
        return false;
    const std::size_t count = std::size_t{m_width} * m_height;
    std::uint32_t* pixels = m_pixels.get();
    try
    {
        // Everything that can fail happens before the first pixel changes.
        for (std::size_t index = 0; index < count; ++index)
        {
            const std::uint32_t straight = pixels[index];
            if ((straight >> 24) != 0xFF && UnpremultiplyArgb(PremultiplyArgb(straight)) != straight)
                m_inexact.emplace_back(static_cast<std::uint32_t>(index), straight);
        }
    }
    catch (const std::bad_alloc&)
    {
        m_inexact.clear();
        m_inexact.shrink_to_fit();
        return false;
    }
    m_inexact.shrink_to_fit();
    std::transform(pixels, pixels + count, pixels, PremultiplyArgb);
    m_premultiplied = true;
    return true;
}

void BitmapImage::MakeStraight()
{
    if (!m_premultiplied)
        return;
    const std::size_t count = std::size_t{m_width} * m_height;
    std::shared_ptr<std::uint32_t[]> straight = MakePixels(count);
    for (std::size_t index = 0; index < count; ++index)
        straight[index] = GetStraightPixel(index);
    m_pixels = std::move(straight);
    m_inexact.clear();
    m_inexact.shrink_to_fit();
    m_premultiplied = false;
}

bool BitmapImage::IsOpaque(const RectL& rect) const noexcept
{
    if (!Contains(rect))
        return false;
    for (std::int32_t y = 0; y < rect.height; ++y)
    {
        const std::uint32_t* row = GetHeldPixels() + (static_cast<std::size_t>(rect.y) + y) * m_width + rect.x;
        for (std::int32_t x = 0; x < rect.width; ++x)
            if ((row[x] >> 24) != 0xFF)
                return false;
    }
    return true;
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
    try
    {
        MakeStraight();
    }
    catch (const std::exception&)
    {
        m_lastStatus = kStatusOutOfMemory;
        return nullptr;
    }
    m_locked = true;
    return m_pixels.get() + static_cast<std::size_t>(rect.y) * m_width + static_cast<std::size_t>(rect.x);
}

bool BitmapImage::GetPixel(std::int64_t x, std::int64_t y, std::uint32_t& argb)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
    {
        m_lastStatus = kStatusInvalidParameter;
        argb = 0;
        return false;
    }
    argb = GetStraightPixel(static_cast<std::size_t>(y) * m_width + static_cast<std::size_t>(x));
    return true;
}

} // namespace QK
