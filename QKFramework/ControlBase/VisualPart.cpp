#include "QKFramework/ControlBase/VisualPart.h"

#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Renderer/Renderer.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"

#include <algorithm>
#include <cmath>

namespace QK
{

namespace
{

constexpr std::string_view kSource = "ControlBase\\VisualPart";
constexpr std::int32_t kStretch = 0;
constexpr std::int32_t kTile = 1;
constexpr std::int32_t kCenter = 2;

std::int32_t RoundHalfAway(double value)
{
    return ToLongPair({value, 0.0}).first;
}

} // namespace

ConstRCPtr<LVisualPart> LVisualPart::Create(const WString& name, const ConstRCPtr<LBitmap>& bitmap,
                                            std::int32_t resizeType, const ConstRCPtr<LColorizer>& colorizer,
                                            float alphaModifier, const ConstRCPtr<LBitmap>& mask)
{
    if (!bitmap)
        return nullptr;
    return ConstRCPtr<LVisualPart>(new LVisualPart(name, bitmap, resizeType, colorizer,
                                                   {bitmap->GetWidth(), bitmap->GetHeight()}, alphaModifier, mask));
}

ConstRCPtr<LVisualPart> LVisualPart::CreateColorPart(const WString& name, const ConstRCPtr<LColorizer>& colorizer,
                                                     const LongPair& size, std::int32_t resizeType,
                                                     float alphaModifier, const ConstRCPtr<LBitmap>& mask)
{
    if (!colorizer)
        return nullptr;
    return ConstRCPtr<LVisualPart>(new LVisualPart(name, nullptr, resizeType, colorizer, size, alphaModifier, mask));
}

LVisualPart::LVisualPart(const WString& name, const ConstRCPtr<LBitmap>& bitmap, std::int32_t resizeType,
                         const ConstRCPtr<LColorizer>& colorizer, const LongPair& size, float alphaModifier,
                         const ConstRCPtr<LBitmap>& mask)
    : m_name(name), m_bitmap(bitmap), m_width(bitmap ? bitmap->GetWidth() : size.first),
      m_height(bitmap ? bitmap->GetHeight() : size.second), m_resizeType(resizeType), m_colorizer(colorizer),
      m_alphaModifier(alphaModifier), m_mask(mask)
{
    // Only a solid colour without image or mask stays a plain fill; everything else becomes
    // the colorized bitmap of the part's size. A tinted copy of an image waits until the part
    // is drawn or read, so that looks never shown never decode their images; whatever would
    // be refused is refused here, as before.
    if (!m_colorizer || (!m_bitmap && !m_mask && m_colorizer->ColorType == LColorizer::kSolid))
        return;
    if (CanColorizeLater())
        m_colorizePending = true;
    else
        m_bitmap = LBitmap::LoadColorizedBitmap(m_colorizer, m_alphaModifier, m_width, m_height, m_bitmap, m_mask);
}

bool LVisualPart::CanColorizeLater() const
{
    if (m_colorizer->IsGradient() || (m_bitmap && m_mask))
        return false;
    const LBitmap* source = m_bitmap ? m_bitmap.Get() : m_mask.Get();
    if (!source)
        return false;
    // The owner's rectangle is its image's size, known before decoding.
    const LBitmap* owner = source->GetParent() ? source->GetParent().Get() : source;
    const RectL& rect = source->GetRect();
    const RectL& bounds = owner->GetRect();
    return rect.width > 0 && rect.height > 0 && rect.x >= 0 && rect.y >= 0 &&
           std::int64_t{rect.x} + rect.width <= bounds.width && std::int64_t{rect.y} + rect.height <= bounds.height;
}

const ConstRCPtr<LBitmap>& LVisualPart::GetBitmap() const
{
    if (m_colorizePending)
    {
        m_colorizePending = false;
        const ConstRCPtr<LBitmap>& source = m_bitmap ? m_bitmap : m_mask;
        // An image that did not decode is left as it is: it draws nothing, and a mask that did
        // not decode leaves the plain colour, as a mask that did not load does.
        if (source->GetGdiplusBitmap())
            m_bitmap = LBitmap::LoadColorizedBitmap(m_colorizer, m_alphaModifier, m_width, m_height,
                                                    m_bitmap, m_bitmap ? nullptr : m_mask);
    }
    return m_bitmap;
}

void LVisualPart::StartDecoding() const
{
    if (m_bitmap)
        m_bitmap->StartDecoding();
    if (m_mask)
        m_mask->StartDecoding();
}

LVisualPart::~LVisualPart() = default;

void LVisualPart::LinkDescriptor(LVisualPartDescriptor* descriptor)
{
    m_descriptor = descriptor;
    AddInternalReferences(1);
}

void LVisualPart::UnlinkDescriptor()
{
    if (!m_descriptor)
        return;
    m_descriptor = nullptr;
    AddInternalReferences(-1);
}

QKRESULT LVisualPart::ReleaseInternalReferences()
{
    if (GetInternalRefCount() == 0)
        return QK_FALSE;
    if (LVisualPartDescriptor* descriptor = m_descriptor)
    {
        m_descriptor = nullptr;
        AddInternalReferences(-1);
        descriptor->ForgetVisualPart();
    }
    return QK_OK;
}

QKRESULT LVisualPart::Draw(LRenderer& renderer, const DoublePair& size) const
{
    const LongPair destination = ToLongPair(size);
    if (const ConstRCPtr<LBitmap>& bitmap = GetBitmap())
    {
        renderer.DrawBitmap(bitmap, RectL{0, 0, destination.first, destination.second}, m_resizeType);
        return QK_OK;
    }
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (!m_colorizer)
        Throw<std::runtime_error>(ThrowSite{"QK::LVisualPart::Draw", kSource, 218});
    ColorRGBA color = m_colorizer->Color;
    color.a = m_colorizer->Color.a * m_alphaModifier;
    if (!(color.a > 0.0f))
        return QK_OK;
    RectL fill{0, 0, destination.first, destination.second};
    if (m_resizeType == kCenter)
        fill = RectL{(destination.first - m_width) / 2, (destination.second - m_height) / 2, m_width, m_height};
    renderer.FillRect(fill, color, true);
    return QK_OK;
}

std::uint32_t LVisualPart::GetColorAtPoint(const PointL& point) const
{
    if (point.x < 0 || point.y < 0 || point.x >= m_width || point.y >= m_height)
        return kOutside;
    if (const ConstRCPtr<LBitmap>& bitmap = GetBitmap())
        return bitmap->GetPixel(point.x, point.y).ToARGB();
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    if (!m_colorizer)
        Throw<std::runtime_error>(ThrowSite{"QK::LVisualPart::GetColorAtPoint", kSource, 91});
    if (m_colorizer->ColorType == LColorizer::kLinearGradient)
        Throw<std::runtime_error>(ThrowSite{"QK::LVisualPart::GetColorAtPoint", kSource, 76});
    if (m_colorizer->ColorType != LColorizer::kSolid)
        Throw<std::runtime_error>(ThrowSite{"QK::LVisualPart::GetColorAtPoint", kSource, 81});
    ColorRGBA color = m_colorizer->Color;
    color.a = m_colorizer->Color.a * m_alphaModifier;
    return color.ToARGB();
}

std::uint32_t LVisualPart::GetColorAtPoint(const PointD& point, const DoublePair& destinationSize) const
{
    constexpr double kLimit = 8388608.0;
    const double partWidth = std::clamp(static_cast<double>(m_width), -kLimit, kLimit);
    const double partHeight = std::clamp(static_cast<double>(m_height), -kLimit, kLimit);
    const double width = destinationSize.first;
    const double height = destinationSize.second;
    const auto lookUp = [this](double x, double y)
    { return GetColorAtPoint(PointL{RoundHalfAway(x), RoundHalfAway(y)}); };
    if (std::fabs(width - partWidth) < 1.1920929e-6 && std::fabs(height - partHeight) < 1.1920929e-6)
        return lookUp(point.x, point.y);
    if (!(point.x >= 0.0 && point.y >= 0.0 && point.x < width && point.y < height))
        return kOutside;
    switch (m_resizeType)
    {
    case kTile:
    {
        const auto whole = [](double v) { return static_cast<std::int64_t>(v + 0.5); };
        const std::int64_t tileWidth = whole(partWidth);
        const std::int64_t tileHeight = whole(partHeight);
        // A tile of no width or height covers nothing.
        if (tileWidth <= 0 || tileHeight <= 0)
            return kOutside;
        return lookUp(static_cast<double>(whole(point.x) % tileWidth), static_cast<double>(whole(point.y) % tileHeight));
    }
    case kCenter:
        return lookUp(point.x - (width - partWidth) * 0.5, point.y - (height - partHeight) * 0.5);
    case kStretch:
    {
        const double sx = partWidth / width;
        const double sy = partHeight / height;
        if (width >= partWidth && height >= partHeight)
            return GetColorAtPoint(PointL{static_cast<std::int32_t>(std::trunc(sx * point.x)),
                                          static_cast<std::int32_t>(std::trunc(sy * point.y))});
        // The destination pixel covers a block of source pixels; the first one that is not
        // transparent answers.
        const double left = sx * point.x;
        const double top = sy * point.y;
        const auto x0 = static_cast<std::int32_t>(std::floor(left));
        const auto y0 = static_cast<std::int32_t>(std::floor(top));
        const auto x1 = static_cast<std::int32_t>(std::ceil(left + std::max(sx, 1.0)));
        const auto y1 = static_cast<std::int32_t>(std::ceil(top + std::max(sy, 1.0)));
        std::uint32_t last = kOutside;
        for (std::int32_t x = x0; x < x1; ++x)
            for (std::int32_t y = y0; y < y1; ++y)
            {
                last = GetColorAtPoint(PointL{x, y});
                if ((last >> 24) != 0)
                    return last;
            }
        return last;
    }
    default:
        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        Throw<std::runtime_error>(ThrowSite{"QK::LVisualPart::GetColorAtPoint", kSource, 165});
    }
}

} // namespace QK
