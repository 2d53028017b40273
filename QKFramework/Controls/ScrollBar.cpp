#include "QKFramework/Controls/ScrollBar.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/ControlBase/ScrollView.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Notification/Notification.h"

#include <algorithm>
#include <cmath>

namespace QK
{

namespace
{

constexpr std::uint32_t kConditionLeftDrag = 0x80;
constexpr std::uint32_t kConditionHover = 0x1000;
// Times are differences of millisecond clock readings in seconds; within half a
// millisecond a step counts as due.
constexpr double kDueTolerance = 0.0005;

// A plain key press of a virtual key, as KeyCode packs it.
constexpr std::int32_t KeyPress(std::int32_t virtualKey)
{
    return 0x20000000 | (virtualKey << 16);
}

// Which sibling keys the bar answers: mask bit, key, orientation (1 vertical, 0 horizontal,
// -1 either), and the change (a step count: -1 or +1 line, -2 or +2 pages; 'H' and 'E' for
// Home and End).
struct SiblingKeyRow
{
    std::uint32_t bit;
    std::int32_t key;
    std::int32_t orientation;
    std::int32_t change;
};
constexpr SiblingKeyRow kSiblingKeys[] = {
    {0x01, KeyPress(0x26), 1, -1}, {0x02, KeyPress(0x28), 1, 1},  {0x04, KeyPress(0x25), 0, -1},
    {0x08, KeyPress(0x27), 0, 1},  {0x10, KeyPress(0x21), 1, -2}, {0x20, KeyPress(0x22), 1, 2},
    {0x40, KeyPress(0x24), -1, 'H'}, {0x80, KeyPress(0x23), -1, 'E'},
};

double RoundToWhole(double value)
{
    return std::trunc(value < 0.0 ? value - 0.5 : value + 0.5);
}

const AxisSpec& AxisOf(const LLayoutDescriptor& layout, std::int32_t axis)
{
    return axis == 0 ? layout.X : layout.Y;
}

} // namespace

LScrollbar::LScrollbar(LControl* parent, const WString& name) : LControl(parent, name)
{
    LControl::SetValueRange(0.0, 100.0, 0);
}

LScrollbar::~LScrollbar() = default;

RCPtr<LControl> LScrollbar::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LScrollbar>(parent, descriptor);
}

// 1. Value and range ----------------------------------------------------------------------------

double LScrollbar::SetValue(double value)
{
    if (m_thumbDragging)
    {
        m_deferredValue = value;
        return GetValue();
    }
    if (std::isnan(value))
        return GetValue();
    const double result = LControl::SetValue(std::clamp(value, 0.0, 1.0));
    PlaceThumb();
    return result;
}

QKRESULT LScrollbar::SetValueRange(double minimum, double maximum, std::int32_t scale)
{
    const double rangeValue = FractionToValue(GetValue());
    const QKRESULT result = LControl::SetValueRange(minimum, maximum, scale);
    if (Failed(result))
        return result;
    SetValue(ValueToFraction(rangeValue));
    PlaceThumb();
    return QK_OK;
}

// 2. Parts ---------------------------------------------------------------------------------------

QKRESULT LScrollbar::Initialize()
{
    if (Failed(LControl::Initialize()))
        return QK_E_FAIL;
    m_barHandlers = LNotificationHandler<LScrollbar>::Create(this);
    const auto subscribe = [this](auto member, const RCPtr<LControl>& source, const char16_t* nid)
    { CheckResult(m_barHandlers->AddHandler(member, source, nid), kInitializeSite); };
    m_channel = FindChild(WString(u"channel"));
    if (m_channel)
    {
        // A press pages at once: it becomes the channel's drag without waiting for a move.
        m_channel->SetDragThreshold(0);
        subscribe(&LScrollbar::OnChannelDrag, m_channel, kNidLeftDragConditionChange);
        subscribe(&LScrollbar::OnChannelHover, m_channel, kNidHoverConditionChange);
    }
    m_thumb = FindChild(WString(u"thumb"));
    if (m_thumb)
    {
        m_thumb->SetDragThreshold(0);
        subscribe(&LScrollbar::OnThumbMove, m_thumb, kNidMouseMove);
        subscribe(&LScrollbar::OnThumbDrag, m_thumb, kNidLeftDragConditionChange);
        if (auto* button = dynamic_cast<LButton*>(m_thumb.Get()))
            button->SetStayPressed(true);
    }
    for (const char16_t* name : {u"dec", u"inc"})
    {
        const RCPtr<LControl> part = FindChild(WString(name));
        if (!part)
            continue;
        subscribe(&LScrollbar::OnButtonRepeat, part, kNidButtonAutorepeat);
        if (auto* button = dynamic_cast<LButton*>(part.Get()))
            button->SetAutoRepeat(true);
    }
    m_vertical = GetWidth() > GetHeight() ? 0 : 1;
    SetSiblingKeyMask(255);
    // The bar had its size before its parts were known.
    ReadChannel();
    return QK_OK;
}

QKRESULT LScrollbar::InitializeParts()
{
    SetNotFocusable(true);
    for (const char16_t* name : {u"dec", u"inc", u"channel", u"thumb"})
    {
        if (const RCPtr<LControl> part = FindChild(WString(name)))
            part->SetNotFocusable(true);
    }
    return QK_OK;
}

QKRESULT LScrollbar::SetSiblingKeyMask(std::uint32_t mask)
{
    if (mask > 0xFF)
        return QK_E_INVALIDARG;
    const bool wasOn = m_siblingKeyMask != 0;
    m_siblingKeyMask = mask;
    LControl* parent = GetParent();
    if (!parent || !m_barHandlers || wasOn == (mask != 0))
        return QK_OK;
    const ConstRCPtr<LNotificationDistributor> source(parent);
    if (mask != 0)
        return m_barHandlers->AddHandler(&LScrollbar::OnSiblingKey, source, kNidSiblingKey);
    m_barHandlers->RemoveHandler(source, kNidSiblingKey);
    Unsubscribe(source, kNidSiblingKey);
    return QK_OK;
}

QKRESULT LScrollbar::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                         const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LControl>(*this, m_barHandlers, source, notification);
}

QKRESULT LScrollbar::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LControl>(*this, m_barHandlers, source, id);
}

// 3. Geometry ----------------------------------------------------------------------------------

void LScrollbar::SetVertical(bool vertical)
{
    if (IsVertical() == vertical)
        return;
    m_vertical = vertical ? 1 : 0;
    // The thumb was sized and placed along the other axis, whose rules follow the bar
    // across: they go back to what the skin gives, or the thumb stays wider (taller) than
    // the bar.
    const LControlDescriptor* described = m_thumb ? m_thumb->GetControlDescriptor().Get() : nullptr;
    const LLayoutDescriptor* skin = described ? described->Layout.Get() : nullptr;
    if (skin && m_thumb->GetLayoutDescriptor())
    {
        const std::int32_t across = vertical ? 0 : 1;
        const AxisSpec& spec = AxisOf(*skin, across);
        m_thumb->SetAxisLayout(across, spec.PlacementAnchor, across == 0 ? skin->XIsDocked : skin->YIsDocked,
                               spec.Position, spec.Size);
    }
    ReadChannel();
}

void LScrollbar::OnSizeChanged()
{
    LControl::OnSizeChanged();
    ReadChannel();
}

void LScrollbar::ReadChannel()
{
    if (!m_thumb || !m_channel)
        return;
    const RectD channel = m_channel->GetLookClientRect(-1);
    m_channelStart = 0.0;
    m_channelEnd = IsVertical() ? channel.height : channel.width;
    const RectD& bounds = m_channel->GetBounds();
    m_channelFarEdge = IsVertical() ? bounds.y + bounds.height : bounds.x + bounds.width;
    UpdateThumbSize();
}

void LScrollbar::UpdateThumbSize()
{
    if (!m_thumb)
        return;
    const double length =
        std::trunc(std::max(m_minimumThumbLength, (m_channelEnd - m_channelStart) * m_visibleFraction) + 0.5);
    m_thumbLength = length;
    const RCPtr<LLayoutDescriptor>& layout = m_thumb->GetLayoutDescriptor();
    if (layout)
    {
        const std::int32_t axis = IsVertical() ? 1 : 0;
        const AxisSpec spec = AxisOf(*layout, axis);
        LayoutReference size = spec.Size;
        size.Abs = length;
        m_thumb->SetAxisLayout(axis, spec.PlacementAnchor, axis == 0 ? layout->XIsDocked : layout->YIsDocked,
                               spec.Position, size);
    }
    PlaceThumb();
}

double LScrollbar::ChannelOffset() const
{
    if (!m_channel)
        return 0.0;
    const RectD& bounds = m_channel->GetBounds();
    return IsVertical() ? bounds.y : bounds.x;
}

double LScrollbar::ThumbPosition() const
{
    const RectD& bounds = m_thumb->GetBounds();
    return (IsVertical() ? bounds.y : bounds.x) - ChannelOffset();
}

void LScrollbar::MoveThumb(double position)
{
    const RCPtr<LLayoutDescriptor>& layout = m_thumb->GetLayoutDescriptor();
    if (!layout || position == ThumbPosition())
        return;
    const std::int32_t axis = IsVertical() ? 1 : 0;
    const AxisSpec spec = AxisOf(*layout, axis);
    LayoutReference place = spec.Position;
    place.Abs = position + ChannelOffset();
    m_thumb->SetAxisLayout(axis, spec.PlacementAnchor, axis == 0 ? layout->XIsDocked : layout->YIsDocked, place,
                           spec.Size);
}

void LScrollbar::PlaceThumb()
{
    if (!m_thumb || m_thumbDragging)
        return;
    MoveThumb(RoundToWhole((m_channelEnd - m_channelStart - m_thumbLength) * GetValue() + m_channelStart));
}

// 4. Dragging the thumb --------------------------------------------------------------------------

QKRESULT LScrollbar::OnThumbDrag(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>& notification)
{
    const auto* conditions = dynamic_cast<const LConditionsParam*>(notification->GetArgument().Get());
    if (!conditions || !m_thumb)
        return QK_FALSE;
    const bool now = (conditions->NewConditions & kConditionLeftDrag) != 0;
    const bool before = (conditions->OldConditions & kConditionLeftDrag) != 0;
    if (now && !before)
    {
        m_thumbDragging = true;
        // The press point comes in the bar's coordinates.
        const RectD& bounds = m_thumb->GetBounds();
        m_grabOffset[0] = static_cast<std::int32_t>(RoundToWhole(conditions->X - bounds.x));
        m_grabOffset[1] = static_cast<std::int32_t>(RoundToWhole(conditions->Y - bounds.y));
        m_deferredValue = -1.0;
    }
    else if (!now && before)
    {
        m_thumbDragging = false;
        if (m_deferredValueApplies && m_deferredValue >= 0.0 && m_deferredValue <= 1.0)
            SetValue(m_deferredValue);
        else
            PlaceThumb();
        m_deferredValue = -1.0;
    }
    return QK_FALSE;
}

QKRESULT LScrollbar::OnThumbMove(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>& notification)
{
    const auto* point = dynamic_cast<const LPointParam*>(notification->GetArgument().Get());
    if (!point || !m_thumb || !m_thumbDragging)
        return QK_FALSE;
    const RectD& bounds = m_thumb->GetBounds();
    const double pointer = (IsVertical() ? bounds.y + point->Y : bounds.x + point->X) - ChannelOffset();
    const double grab = m_grabOffset[IsVertical() ? 1 : 0];
    const double last = std::max(m_channelStart, m_channelEnd - m_thumbLength);
    const double position = std::clamp(pointer - grab, m_channelStart, last);
    if (position == ThumbPosition())
        return QK_FALSE;
    MoveThumb(position);
    // A thumb that fills its channel has no travel: it stands for the start.
    const double travel = m_channelEnd - m_channelStart - m_thumbLength;
    const double fraction = travel > 0.0 ? std::clamp((position - m_channelStart) / travel, 0.0, 1.0) : 0.0;
    LControl::SetValue(fraction);
    return QK_FALSE;
}

// 5. Paging --------------------------------------------------------------------------------------

std::int32_t LScrollbar::ZoneAt(double along) const
{
    if (!m_thumb)
        return 0;
    const double thumbStart = ThumbPosition();
    if (along >= m_channelStart && along < thumbStart)
        return 1;
    if (along >= thumbStart + m_thumbLength && along <= m_channelEnd)
        return 2;
    return 0;
}

std::int32_t LScrollbar::PointerZone() const
{
    IRootWindow* root = GetRootWindowLink();
    if (!root || !m_channel)
        return 0;
    PointD origin;
    m_channel->GetPositionInRoot(origin);
    const PointL cursor = root->GetCursorPosition();
    return ZoneAt(IsVertical() ? cursor.y - origin.y : cursor.x - origin.x);
}

void LScrollbar::PageStep(std::int32_t zone)
{
    if (zone == 1)
        SetValue(GetValue() - m_pageStep);
    else if (zone == 2)
        SetValue(GetValue() + m_pageStep);
}

void LScrollbar::UpdateChannelHighlight(std::int32_t zone)
{
    if (!m_channel)
        return;
    if (zone == 0 || !m_thumb)
    {
        m_channel->ClearLookRegions();
        m_channel->SetLookOpacity(0, 1.0f, true);
        return;
    }
    const RectD& channelBounds = m_channel->GetBounds();
    const double thumbStart = ThumbPosition();
    const double start = zone == 1 ? m_channelStart : thumbStart + m_thumbLength;
    const double end = zone == 1 ? thumbStart : m_channelEnd;
    const std::int32_t across = static_cast<std::int32_t>(IsVertical() ? channelBounds.width : channelBounds.height);
    RectRegion region;
    if (IsVertical())
        region.AddRect(0, static_cast<std::int32_t>(start), across, static_cast<std::int32_t>(end));
    else
        region.AddRect(static_cast<std::int32_t>(start), 0, static_cast<std::int32_t>(end), across);
    m_channel->SetLookRegion(1, region);
    m_channel->SetLookOpacity(1, 1.0f, false);
}

QKRESULT LScrollbar::OnChannelDrag(const ConstRCPtr<LNotificationDistributor>&,
                                   const ConstRCPtr<LNotification>& notification)
{
    const auto* conditions = dynamic_cast<const LConditionsParam*>(notification->GetArgument().Get());
    if (!conditions || !m_channel)
        return QK_FALSE;
    const bool now = (conditions->NewConditions & kConditionLeftDrag) != 0;
    const bool before = (conditions->OldConditions & kConditionLeftDrag) != 0;
    if (now && !before)
    {
        // The press point comes in the bar's coordinates.
        const RectD& channel = m_channel->GetBounds();
        m_pagingZone = ZoneAt(IsVertical() ? conditions->Y - channel.y : conditions->X - channel.x);
        PageStep(m_pagingZone);
        UpdateChannelHighlight(m_pagingZone);
        m_lastPagingTime = LControlApp::GetTime();
        m_pagingCountdown = m_initialDelay;
        BeginIdleAnimation();
    }
    else if (!now && before)
    {
        const bool wasPaging = m_pagingZone != 0 || GetIdleUsers() > 0;
        m_pagingZone = 0;
        UpdateChannelHighlight(0);
        if (wasPaging && GetIdleUsers() > 0)
            EndIdleAnimation();
    }
    return QK_FALSE;
}

QKRESULT LScrollbar::OnChannelHover(const ConstRCPtr<LNotificationDistributor>&,
                                    const ConstRCPtr<LNotification>& notification)
{
    const auto* conditions = dynamic_cast<const LConditionsParam*>(notification->GetArgument().Get());
    if (!conditions)
        return QK_FALSE;
    if ((conditions->NewConditions & kConditionHover) && !(conditions->OldConditions & kConditionHover))
        m_hoverTime = LControlApp::GetTime();
    if (m_pagingZone != 0)
        UpdateChannelHighlight(PointerZone() == m_pagingZone ? m_pagingZone : 0);
    return QK_FALSE;
}

void LScrollbar::OnTimer()
{
    LControl::OnTimer();
    if (m_pagingZone == 0 || !m_channel)
        return;
    const double now = LControlApp::GetTime();
    const double elapsed = now - m_lastPagingTime;
    m_lastPagingTime = now;
    const bool inZone = m_channel->GetConditionFlags().pointerOver && PointerZone() == m_pagingZone;
    UpdateChannelHighlight(inZone ? m_pagingZone : 0);
    if (!inZone)
        return;
    m_pagingCountdown -= elapsed;
    if (m_pagingCountdown > kDueTolerance)
        return;
    m_pagingCountdown = m_repeatInterval;
    PageStep(m_pagingZone);
    UpdateChannelHighlight(PointerZone() == m_pagingZone ? m_pagingZone : 0);
}

// 6. Buttons and keys ------------------------------------------------------------------------------

QKRESULT LScrollbar::OnButtonRepeat(const ConstRCPtr<LNotificationDistributor>& source, const ConstRCPtr<LNotification>&)
{
    const auto* part = dynamic_cast<const LControl*>(source.Get());
    if (!part)
        return QK_FALSE;
    if (part->GetName().IsEqual(u"dec"))
        SetValue(GetValue() - m_lineStep);
    else if (part->GetName().IsEqual(u"inc"))
        SetValue(GetValue() + m_lineStep);
    return QK_FALSE;
}

QKRESULT LScrollbar::OnSiblingKey(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>& notification)
{
    auto* key = dynamic_cast<LSiblingKeyParam*>(const_cast<LRefCountedObject*>(notification->GetArgument().Get()));
    // A bar its view hides (the content fits) has nothing to scroll: the key goes on to
    // whoever else takes it, and the view stays where it is.
    if (!key || !LScrollView::IsUsable(this))
        return QK_FALSE;
    for (const SiblingKeyRow& row : kSiblingKeys)
    {
        if (!(m_siblingKeyMask & row.bit) || key->Key.Code != row.key)
            continue;
        if (row.orientation >= 0 && row.orientation != m_vertical)
            continue;
        double value = GetValue();
        if (row.change == 'H')
            value = 0.0;
        else if (row.change == 'E')
            value = 1.0;
        else if (row.change == -1 || row.change == 1)
            value += row.change * m_lineStep;
        else
            value += (row.change / 2) * m_pageStep;
        SetValue(value);
        key->Result = 0;
        break;
    }
    return QK_FALSE;
}

} // namespace QK
