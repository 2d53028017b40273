#include "QKFramework/ControlBase/Look.h"

#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Renderer/Renderer.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"

#include <algorithm>

namespace QK
{

namespace
{

constexpr std::string_view kSource = "ControlBase\\Look";

// Shared by every look: the part of a look whose description names none, and the stencil
// that every look pushes with its client area.
const ConstRCPtr<LVisualPart>& EmptyPart()
{
    static const ConstRCPtr<LVisualPart> part(
        new LVisualPart(WString(), nullptr, 0, nullptr, {0, 0}, 1.0f, nullptr));
    return part;
}

const RCPtr<LStencil>& EmptyStencil()
{
    static const RCPtr<LStencil> stencil(new LStencil(0, 0));
    return stencil;
}

ConstRCPtr<LVisualPart> PartOf(const LVisualPartDescriptor* descriptor)
{
    return descriptor ? descriptor->GetVisualPart() : nullptr;
}

} // namespace

LLook::LLook() : m_stencil(EmptyStencil()) {}

LLook::~LLook() = default;

void LLook::InitFromDescriptor(const ConstRCPtr<LLookDescriptor>& descriptor, bool wordWrap)
{
    m_descriptor = descriptor;
    const LLookDescriptor* look = descriptor.Get();
    m_textForeground = look && look->TextForegroundPart ? PartOf(look->TextForegroundPart.Get()) : EmptyPart();
    if (!look || !look->HasTextProperties)
    {
        m_text = nullptr;
    }
    else
    {
        if (!m_text)
            m_text = RCPtr<LFontText>(new LFontText(WString(), nullptr));
        m_text->SetWordWrap(wordWrap);
        m_text->SetHorizontalAlignment(look->Text.TextHAlign);
        m_text->SetVerticalAlignment(look->Text.TextVAlign);
        ReplaceText(m_text->GetText(), m_text->GetFont());
    }
    m_clientPart = look && look->ClientPart ? PartOf(look->ClientPart->Part.Get()) : nullptr;
    const std::uint32_t count = look ? look->NonClientParts.GetCount() : 0;
    m_dockedRects.SetCount(count);
    m_nonClientParts.SetCount(0);
    m_nonClientParts.SetCount(count);
    const std::int32_t width = m_width;
    const std::int32_t height = m_height;
    m_width = -1;
    m_height = -1;
    SetSize(width < 0 ? 0 : width, height < 0 ? 0 : height);
}

bool LLook::SetSize(std::int32_t width, std::int32_t height)
{
    if (width == m_width && height == m_height)
        return true;
    m_width = width;
    m_height = height;
    const LLookDescriptor* look = m_descriptor.Get();
    const LDockedPart* client = look ? look->ClientPart.Get() : nullptr;
    const std::int32_t left = client ? client->OffsetLeft : 0;
    const std::int32_t top = client ? client->OffsetTop : 0;
    const std::int32_t right = client ? client->OffsetRight : 0;
    const std::int32_t bottom = client ? client->OffsetBottom : 0;
    m_clientRect.x = std::clamp(left, 0, std::max(width, 0));
    m_clientRect.y = std::clamp(top, 0, std::max(height, 0));
    m_clientRect.width = std::clamp(width - m_clientRect.x + right, 0, std::max(width - m_clientRect.x, 0));
    m_clientRect.height = std::clamp(height - m_clientRect.y + bottom, 0, std::max(height - m_clientRect.y, 0));

    for (std::uint32_t i = 0; look && i < look->NonClientParts.GetCount(); ++i)
    {
        const LDockedPart* docked = look->NonClientParts.GetAt(i)->Get();
        if (!docked)
            continue;
        const LVisualPartDescriptor* part = docked->Part.Get();
        const std::int32_t partWidth = docked->FixedWidth ? docked->Width : (part ? part->Size.first : 0);
        const std::int32_t partHeight = docked->FixedHeight ? docked->Height : (part ? part->Size.second : 0);
        const bool hasLeft = docked->DockMask & LDockedPart::kDockLeft;
        const bool hasTop = docked->DockMask & LDockedPart::kDockTop;
        const bool hasRight = docked->DockMask & LDockedPart::kDockRight;
        const bool hasBottom = docked->DockMask & LDockedPart::kDockBottom;
        std::int32_t rightEdge = hasRight ? width + docked->OffsetRight : width;
        std::int32_t bottomEdge = hasBottom ? height + docked->OffsetBottom : height;
        std::int32_t leftEdge = hasLeft ? docked->OffsetLeft : rightEdge - partWidth;
        std::int32_t topEdge = hasTop ? docked->OffsetTop : bottomEdge - partHeight;
        if (!hasRight)
            rightEdge = leftEdge + partWidth;
        if (!hasBottom)
            bottomEdge = topEdge + partHeight;
        if (!hasLeft && !hasRight)
        {
            leftEdge = (width - partWidth) / 2;
            rightEdge = leftEdge + partWidth;
        }
        if (!hasTop && !hasBottom)
        {
            topEdge = (height - partHeight) / 2;
            bottomEdge = topEdge + partHeight;
        }
        *m_dockedRects.GetAt(i) = RectL{leftEdge, topEdge, rightEdge - leftEdge, bottomEdge - topEdge};
        *m_nonClientParts.GetAt(i) = PartOf(part);
    }
    if (m_text)
        ComputeTextBox();
    UpdateStencil();
    return true;
}

void LLook::ComputeTextBox()
{
    const LookTextProperties& text = m_descriptor->Text;
    m_textX = static_cast<std::int32_t>(text.TextLeftAbs + text.TextLeftRel * m_width);
    m_textY = static_cast<std::int32_t>(text.TextTopAbs + text.TextTopRel * m_height);
    const auto right = static_cast<std::int32_t>(text.TextRightAbs + text.TextRightRel * m_width);
    const auto bottom = static_cast<std::int32_t>(text.TextBottomAbs + text.TextBottomRel * m_height);
    const std::int32_t boxWidth = std::max(right - m_textX, 0);
    const std::int32_t boxHeight = std::max(bottom - m_textY, 0);
    if (boxWidth != m_text->GetBoxWidth() || boxHeight != m_text->GetBoxHeight())
    {
        ReplaceText(m_text->GetText(), m_text->GetFont());
        m_text->SetBoxSize(boxWidth, boxHeight);
    }
}

void LLook::UpdateStencil()
{
    m_laidOutClientRect = m_clientRect;
    m_stencil = EmptyStencil();
}

// A text layout keeps its lines once made, so every change starts a fresh one with the same
// settings.
void LLook::ReplaceText(const WString& text, const ConstRCPtr<LFont>& font)
{
    RCPtr<LFontText> fresh(new LFontText(text, font));
    if (m_text)
    {
        fresh->SetWordWrap(m_text->GetWordWrap());
        fresh->SetHorizontalAlignment(m_text->GetHorizontalAlignment());
        fresh->SetVerticalAlignment(m_text->GetVerticalAlignment());
        fresh->SetOverflowFromLeft(m_text->GetOverflowFromLeft());
        fresh->SetBoxSize(m_text->GetBoxWidth(), m_text->GetBoxHeight());
    }
    m_text = fresh;
}

QKRESULT LLook::SetText(const WString& text)
{
    if (!m_text)
        return QK_FALSE;
    if (m_text->GetText().IsEqual(text))
        return QK_OK;
    ReplaceText(text, m_text->GetFont());
    return QK_FALSE;
}

QKRESULT LLook::SetFont(const ConstRCPtr<LFont>& font)
{
    if (!m_text)
        return QK_FALSE;
    if (m_text->GetFont().Get() == font.Get())
        return QK_OK;
    ReplaceText(m_text->GetText(), font);
    return QK_FALSE;
}

void LLook::SetOverlayBitmap(const ConstRCPtr<LBitmap>& bitmap, std::int32_t resizeType, bool replace)
{
    if (!bitmap)
    {
        m_overlayPart = nullptr;
        return;
    }
    m_overlayPart = LVisualPart::Create(WString(), bitmap, resizeType, nullptr, 1.0f, nullptr);
    m_overlayReplaces = replace;
}

void LLook::DrawClipped(LRenderer& renderer, const RectRegion& updateRegion, const RectD& target,
                        const RCPtr<LStencil>& stencil, const void* context, DrawStep step)
{
    RectRegion area(updateRegion);
    if (!m_region.IsEmpty())
        area.Intersect(m_region);
    const RectD bounds = renderer.GetClipRect();
    for (const RectRegionNode* node = area.GetFirst(); node; node = node->next)
    {
        const RectD rect{static_cast<double>(node->left), static_cast<double>(node->top),
                         static_cast<double>(node->right - node->left), static_cast<double>(node->bottom - node->top)};
        RectD clip;
        RectD::Intersect(clip, target, rect);
        RectD::Intersect(clip, clip, bounds);
        if (!(clip.width > kGeometryTolerance && clip.height > kGeometryTolerance))
            continue;
        // Popped on the way out however the step ends; the caller keeps the renderer alive.
        struct Pushed
        {
            LRenderer& renderer;
            ~Pushed() { renderer.PopState(); }
        };
        renderer.PushStencil(target, clip, stencil, true);
        const Pushed pushed{renderer};
        step(*this, renderer, target, context);
    }
}

QKRESULT LLook::DrawNonClientParts(LRenderer& renderer, const RectRegion& updateRegion)
{
    for (std::uint32_t i = 0; i < m_nonClientParts.GetCount(); ++i)
    {
        const LVisualPart* part = m_nonClientParts.GetAt(i)->Get();
        if (!part)
            continue;
        const RectL& rect = *m_dockedRects.GetAt(i);
        DrawClipped(renderer, updateRegion, rect.ToRectDouble(), nullptr, part,
                    [](LLook&, LRenderer& target, const RectD& area, const void* context)
                    { static_cast<const LVisualPart*>(context)->Draw(target, {area.width, area.height}); });
    }
    return QK_OK;
}

QKRESULT LLook::DrawClientPart(LRenderer& renderer, const RectRegion& updateRegion)
{
    const LVisualPart* part = (m_overlayPart && m_overlayReplaces) ? m_overlayPart.Get() : m_clientPart.Get();
    const auto draw = [](LLook&, LRenderer& target, const RectD& area, const void* context)
    { static_cast<const LVisualPart*>(context)->Draw(target, {area.width, area.height}); };
    if (part)
        DrawClipped(renderer, updateRegion, m_clientRect.ToRectDouble(), m_stencil, part, draw);
    if (m_overlayPart && !m_overlayReplaces)
        DrawClipped(renderer, updateRegion, m_clientRect.ToRectDouble(), m_stencil, m_overlayPart.Get(), draw);
    return QK_OK;
}

void LLook::StartDecoding() const
{
    if (m_clientPart && !(m_overlayPart && m_overlayReplaces))
        m_clientPart->StartDecoding();
    if (m_overlayPart)
        m_overlayPart->StartDecoding();
    for (std::uint32_t i = 0; i < m_nonClientParts.GetCount(); ++i)
        if (const LVisualPart* part = m_nonClientParts.GetAt(i)->Get())
            part->StartDecoding();
}

QKRESULT LLook::DrawLabelText(LRenderer& renderer, const RectRegion& updateRegion, const PointL& textOffset)
{
    if (!m_text)
        return QK_FALSE;
    const LVisualPart* foreground = m_textForeground.Get();
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    if (foreground && foreground->GetBitmap())
        Throw<std::domain_error>(ThrowSite{"QK::LLook::DrawLabelText", kSource, 293},
                                 "Bitmap fill for text foreground part not yet implemented.");
    if (foreground && foreground->GetColorizer() && foreground->GetColorizer()->ColorType != LColorizer::kSolid)
        Throw<std::domain_error>(ThrowSite{"QK::LLook::DrawLabelText", kSource, 302},
                                 "Gradient fill for text foreground part not yet implemented.");
    if (!foreground || !foreground->GetColorizer())
        return QK_OK;
    const RectD box{static_cast<double>(m_textX), static_cast<double>(m_textY),
                    static_cast<double>(m_text->GetBoxWidth()), static_cast<double>(m_text->GetBoxHeight())};
    struct TextContext
    {
        ColorRGBA color;
        PointL offset;
    } context;
    context.color.FromARGB(foreground->GetColorAtPoint(PointL{0, 0}));
    context.offset = textOffset;
    DrawClipped(renderer, updateRegion, box, nullptr, &context,
                [](LLook& look, LRenderer& target, const RectD&, const void* data)
                {
                    const auto& text = *static_cast<const TextContext*>(data);
                    LFontText& layout = *look.m_text;
                    const std::uint32_t count = layout.GetLineCount();
                    for (std::uint32_t line = 0; line < count; ++line)
                    {
                        const RectF rect = layout.GetLineRect(line);
                        const PointL origin{static_cast<std::int32_t>(rect.x) - text.offset.x,
                                            static_cast<std::int32_t>(rect.y) - text.offset.y};
                        target.DrawText(layout.GetLine(line), layout.GetFont(), origin, text.color);
                    }
                });
    return QK_OK;
}

std::uint32_t LLook::GetColorAtPoint(const PointL& point) const
{
    for (std::uint32_t i = 0; i < m_nonClientParts.GetCount(); ++i)
    {
        const LVisualPart* part = m_nonClientParts.GetAt(i)->Get();
        if (!part)
            continue;
        const RectL& rect = *m_dockedRects.GetAt(i);
        const std::uint32_t color =
            part->GetColorAtPoint(PointD{static_cast<double>(point.x - rect.x), static_cast<double>(point.y - rect.y)},
                                  {static_cast<double>(rect.width), static_cast<double>(rect.height)});
        if ((color >> 24) != 0)
            return color;
    }
    if (!m_clientPart)
        return LVisualPart::kOutside;
    return m_clientPart->GetColorAtPoint(
        PointD{static_cast<double>(point.x - m_clientRect.x), static_cast<double>(point.y - m_clientRect.y)},
        {static_cast<double>(m_clientRect.width), static_cast<double>(m_clientRect.height)});
}

} // namespace QK
