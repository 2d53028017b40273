#include "QKFramework/Controls/ListBoxItem.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"

#include <algorithm>

namespace QK
{

WString LListItemRecord::GetText() const
{
    return Text ? Text->ToString() : WString();
}

RCPtr<LControl> LListBoxItem::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LListBoxItem>(parent, descriptor);
}

std::int32_t LListBoxItem::GetLookIndex()
{
    const bool selected = GetValue() >= 0.5;
    const std::uint32_t conditions = GetConditions();
    const bool hover = (conditions & kHover) != 0;
    const bool captured = (conditions & kCaptured) != 0;
    const bool pressed = captured && (conditions & kLeftDrag) != 0;
    if (m_separator)
        return kLookSeparator;
    if (!IsEnabled(true))
        return selected ? kLookSeparator : kLookDisabled;
    // Offsets within a group of three: 0 plain, 1 hover, 2 pressed.
    std::int32_t state = 0;
    if (pressed)
        state = hover ? 2 : 1;
    else if (hover && !captured)
        state = 1;
    const std::int32_t base = (selected ? 7 : 0) + (m_alternate ? 3 : 0);
    return base + state;
}

void LListBoxItem::SetSeparator(bool separator)
{
    if (m_separator == separator)
        return;
    m_separator = separator;
    if (separator)
        SetText(WString());
    RefreshLook();
}

void LListBoxItem::RefreshLook()
{
    SelectLook(GetLookIndex(), true);
    Invalidate(RectD{0.0, 0.0, GetWidth(), GetHeight()}, true);
}

QKRESULT LListBoxItem::InitializeParts()
{
    SetNotFocusable(true);
    return QK_OK;
}

WString LListBoxItem::GetToolTipText() const
{
    // The text area test lays the text out; it changes no state the caller can see.
    if (const_cast<LListBoxItem*>(this)->IsTextOverflowing())
        return GetText();
    return LControl::GetToolTipText();
}

QKRESULT LListBoxItem::CaptureMouse(std::uint32_t button, const PointL& point)
{
    LControl* parent = GetParent();
    if (!m_popup || !parent)
        return LControl::CaptureMouse(button, point);
    const RectD& bounds = GetBounds();
    const double x = ControlDetail::RoundHalfAway(std::clamp(point.x + bounds.x, -2147483648.0, 2147483647.0));
    const double y = ControlDetail::RoundHalfAway(std::clamp(point.y + bounds.y, -2147483648.0, 2147483647.0));
    return parent->CaptureMouse(button, PointL{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
}

} // namespace QK
