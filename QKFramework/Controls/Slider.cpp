// Contents: 1. creation and parts; 2. value and placing; 3. the track's geometry;
// 4. dragging the thumb; 5. clicks and holding on the track; 6. keys and wheel.
#include "QKFramework/Controls/Slider.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/ObjectBase/Wrapper.h"

#include <algorithm>
#include <cmath>

namespace QK
{

namespace
{

constexpr std::uint32_t kConditionContainsFocus = 0x2;
constexpr std::uint32_t kConditionLeftDrag = 0x80;
constexpr std::uint32_t kConditionEnabled = 0x400;
constexpr std::uint32_t kConditionHover = 0x1000;
constexpr std::int32_t kKeyPressBit = 0x20000000;
// Times are differences of millisecond clock readings in seconds; within half a
// millisecond a step counts as due.
constexpr double kDueTolerance = 0.0005;
constexpr double kInitialRepeatDelay = 0.3;
constexpr double kRepeatInterval = 0.1;

// A plain key press of a virtual key, as KeyCode packs it.
constexpr std::int32_t KeyPress(std::int32_t virtualKey)
{
    return kKeyPressBit | (virtualKey << 16);
}

// Half away from zero, clamped to the 32-bit range.
std::int32_t ToInt(double value)
{
    return ToLongPair({value, 0.0}).first;
}

std::int32_t Truncated(double value)
{
    return ToInt(std::trunc(value));
}

PointL Rounded(const RectD& bounds)
{
    const LongPair rounded = ToLongPair({bounds.x, bounds.y});
    return PointL{rounded.first, rounded.second};
}

double Distance(double dx, double dy)
{
    return std::sqrt(dx * dx + dy * dy);
}

RCPtr<LHolder<bool>> CaptureArgument(bool on)
{
    RCPtr<LHolder<bool>> holder(new LHolder<bool>());
    holder->SetValue(on);
    return holder;
}

} // namespace

// 1. Creation and parts ---------------------------------------------------------------------------

LSlider::LSlider(LControl* parent, const WString& name) : LPanel(parent, name) {}

LSlider::~LSlider() = default;

RCPtr<LControl> LSlider::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LSlider>(parent, descriptor);
}

RCPtr<LLayoutDescriptor> LSlider::ThumbLayout() const
{
    const RCPtr<LLayoutDescriptor>& source = m_thumbStart->GetLayoutDescriptor();
    RCPtr<LLayoutDescriptor> layout =
        source ? source->Clone() : RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
    layout->XIsDocked = false;
    layout->YIsDocked = false;
    layout->TabStop = 0;
    for (AxisSpec* axis : {&layout->X, &layout->Y})
    {
        axis->PlacementAnchor = 0.0f;
        axis->Position.Rel = 0.0f;
    }
    return layout;
}

QKRESULT LSlider::Initialize()
{
    if (Failed(LPanel::Initialize()))
        return QK_E_FAIL;
    const RCPtr<LControl> self(this);
    m_sliderHandlers = LNotificationHandler<LSlider>::Create(this);
    if (!m_sliderHandlers)
        ThrowNullPointer(kInitializeSite, "Notification Handler not created.");
    m_thumbEnd = FindChild(WString(u"thumbEnd"));
    m_thumbStart = FindChild(WString(u"thumbStart"));
    LControlFactory* factory = LControlApp::GetControlFactory();
    if (m_thumbStart && m_thumbStart->GetControlDescriptor() && factory)
    {
        const RCPtr<LControlDescriptor> described = LControlDescriptor::CreateCopy(
            *m_thumbStart->GetControlDescriptor(), ThumbLayout(), WString(u"thumb"));
        m_thumb = factory->CreateControl(described.Get(), this);
        if (m_thumb)
        {
            m_thumb->SetVisible(true);
            CheckResult(m_sliderHandlers->AddHandler(&LSlider::OnThumbMove, m_thumb, kNidMouseMove),
                        kInitializeSite);
            CheckResult(m_sliderHandlers->AddHandler(&LSlider::OnThumbDrag, m_thumb,
                                                     kNidLeftDragConditionChange),
                        kInitializeSite);
            if (auto* button = dynamic_cast<LButton*>(m_thumb.Get()))
                button->SetStayPressed(true);
        }
    }
    OnSizeChanged();
    LControl::SetValueRange(0.0, 127.0, 0);
    SetDragThreshold(0);
    return QK_OK;
}

QKRESULT LSlider::InitializeParts()
{
    for (const RCPtr<LControl>& marker : {m_thumbEnd, m_thumbStart})
        if (marker)
            marker->SetVisible(false);
    if (m_thumbStart)
    {
        const RectD& start = m_thumbStart->GetBounds();
        m_thumbAnchor[0] = ToInt(start.width / 2.0);
        m_thumbAnchor[1] = ToInt(start.height / 2.0);
        if (const RCPtr<LLayoutDescriptor>& layout = m_thumbStart->GetLayoutDescriptor())
        {
            if (layout->X.PlacementAnchor != 0.0f)
                m_thumbAnchor[0] = ToInt(layout->X.PlacementAnchor * start.width);
            if (layout->Y.PlacementAnchor != 0.0f)
                m_thumbAnchor[1] = ToInt(layout->Y.PlacementAnchor * start.height);
        }
    }
    OnSizeChanged();
    return QK_OK;
}

QKRESULT LSlider::AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor)
{
    if (!child)
        return QK_E_FAIL;
    if (!descriptor && child->GetName().IsEqual(u"thumb"))
    {
        // Without a start marker there is no description to give the thumb.
        if (!m_thumbStart || !m_thumbStart->GetControlDescriptor())
            return QK_E_FAIL;
        const RCPtr<LControlDescriptor> described = LControlDescriptor::CreateCopy(
            *m_thumbStart->GetControlDescriptor(), ThumbLayout(), WString(u"thumb"));
        const QKRESULT result = LPanel::AttachChild(child, described.Get());
        child->SetVisible(true);
        return result;
    }
    return LPanel::AttachChild(child, descriptor);
}

QKRESULT LSlider::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    const bool reskin = IsCreated();
    const RCPtr<LControl> self(this);
    const RCPtr<LControl> thumb = m_thumb;
    const QKRESULT result = LPanel::CreateFromDescriptor(descriptor);
    if (!reskin)
        return result;
    m_thumbEnd = FindChild(WString(u"thumbEnd"));
    m_thumbStart = FindChild(WString(u"thumbStart"));
    if (thumb && thumb->GetParent() != this && Failed(AttachChild(thumb, nullptr)))
        m_thumb = nullptr;
    InitializeParts();
    return result;
}

QKRESULT LSlider::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                      const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LPanel>(*this, m_sliderHandlers, source, notification);
}

QKRESULT LSlider::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LPanel>(*this, m_sliderHandlers, source, id);
}

// 2. Value and placing ----------------------------------------------------------------------------

double LSlider::SetValue(double value)
{
    if (m_dragging)
    {
        m_pendingValue = value;
        return GetValue();
    }
    SetSliderValue(value);
    return GetValue();
}

double LSlider::SetSliderValue(double fraction)
{
    const RCPtr<LControl> self(this);
    LControl::SetValue(fraction);
    PlaceThumb();
    return GetSliderValue();
}

void LSlider::UpdateValueFromThumb()
{
    if (!m_thumb)
        return;
    const PointL at = Rounded(m_thumb->GetBounds());
    SetSliderValue(PositionToFraction(at.x, at.y));
}

void LSlider::SetAbsolutePosition(LControl& control, std::int32_t axis, double position)
{
    const RCPtr<LLayoutDescriptor> layout = control.GetLayoutDescriptor();
    if (!layout)
        return;
    AxisSpec spec[2];
    layout->GetAxisSpecs(spec[0], spec[1]);
    LayoutReference place = spec[axis].Position;
    place.Abs = position;
    control.SetAxisLayout(axis, spec[axis].PlacementAnchor, axis == 0 ? layout->XIsDocked : layout->YIsDocked,
                          place, spec[axis].Size);
}

void LSlider::MoveThumbTo(std::int32_t x, std::int32_t y)
{
    const RCPtr<LControl> thumb = m_thumb;
    SetAbsolutePosition(*thumb, 0, x);
    SetAbsolutePosition(*thumb, 1, y);
}

void LSlider::PlaceThumb()
{
    // Both markers are needed to know where the value lies.
    if (m_dragging || !m_thumb || !m_thumbStart || !m_thumbEnd)
        return;
    const double f = GetValue();
    const PointL s = Rounded(m_thumbStart->GetBounds());
    const PointL e = Rounded(m_thumbEnd->GetBounds());
    const std::int32_t x = ToInt(s.x + ControlDetail::RoundHalfAway((double(e.x) - s.x) * f));
    const std::int32_t y = ToInt(s.y + ControlDetail::RoundHalfAway((double(e.y) - s.y) * f));
    const PointL now = Rounded(m_thumb->GetBounds());
    if (x == now.x && y == now.y)
        return;
    MoveThumbTo(x, y);
}

void LSlider::OnSizeChanged()
{
    LPanel::OnSizeChanged();
    if (!m_thumb)
        m_thumb = FindChild(WString(u"thumb"));
    if (m_thumb)
        PlaceThumb();
}

// 3. The track's geometry -------------------------------------------------------------------------

double LSlider::PositionToFraction(std::int32_t x, std::int32_t y)
{
    if (!m_thumbStart || !m_thumbEnd)
        return 0.0;
    const RectD& s = m_thumbStart->GetBounds();
    const RectD& e = m_thumbEnd->GetBounds();
    const double length = Distance(e.x - s.x, e.y - s.y);
    // Coincident ends: every point stands for the start.
    if (!(length > 0.0))
        return 0.0;
    return Distance(x - s.x, y - s.y) / length;
}

PointL LSlider::ConstrainThumbPosition(std::int32_t x, std::int32_t y)
{
    const PointL p{ToInt(double(x) - m_grabOffset[0]), ToInt(double(y) - m_grabOffset[1])};
    if (!m_thumbStart || !m_thumbEnd || !m_thumb)
        return p;
    const PointL s = Rounded(m_thumbStart->GetBounds());
    const PointL e = Rounded(m_thumbEnd->GetBounds());
    const RectD& thumb = m_thumb->GetBounds();
    PointL result;
    // Classed on the rounded ends: ends whose X differ by less than a pixel would make the
    // slanted formula divide by zero.
    if (e.x == s.x)
        result = PointL{Truncated(thumb.x), p.y};
    else if (e.y == s.y)
        result = PointL{p.x, Truncated(thumb.y)};
    else
    {
        // The foot of the perpendicular from p to the track's line, in single precision.
        const float m = float(e.y - s.y) / float(e.x - s.x);
        const float n = -1.0f / m;
        const float b = float(s.y) - float(s.x) * m;
        const float footX = (float(p.y) - float(p.x) * n - b) / (m - n);
        const std::int32_t rx = ToInt(footX);
        result = PointL{rx, ToInt(float(rx) * m + b)};
    }
    result.x = std::clamp(result.x, std::min(s.x, e.x), std::max(s.x, e.x));
    result.y = std::clamp(result.y, std::min(s.y, e.y), std::max(s.y, e.y));
    return result;
}

PointD LSlider::ToClient(double x, double y) const
{
    const RectD client = GetLookClientRect(-1);
    const PointD& scroll = GetScrollOffset();
    return PointD{x - client.x + scroll.x, y - client.y + scroll.y};
}

// 4. Dragging the thumb ---------------------------------------------------------------------------

QKRESULT LSlider::OnThumbDrag(const ConstRCPtr<LNotificationDistributor>&,
                              const ConstRCPtr<LNotification>& notification)
{
    const auto* conditions = dynamic_cast<const LConditionsParam*>(notification->GetArgument().Get());
    if (!conditions || !m_thumb)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    const bool now = (conditions->NewConditions & kConditionLeftDrag) != 0;
    const bool before = (conditions->OldConditions & kConditionLeftDrag) != 0;
    if (now && !before)
    {
        m_dragging = true;
        // The press point comes in the slider's client space, where the thumb's place is.
        const RectD& bounds = m_thumb->GetBounds();
        m_grabOffset[0] = ToInt(conditions->X - bounds.x);
        m_grabOffset[1] = ToInt(conditions->Y - bounds.y);
        m_pendingValue = -1.0;
        Send(kNidValueChangeCapture, CaptureArgument(true));
    }
    else if (!now && before)
    {
        m_dragging = false;
        if (m_applyPending && m_pendingValue >= 0.0 && m_pendingValue <= 1.0)
            SetSliderValue(m_pendingValue);
        m_pendingValue = -1.0;
        Send(kNidValueChangeCapture, CaptureArgument(false));
        if (m_resend)
            Send(kNidValueChange, LValueParam::Create(GetValue(), FractionToValue(GetValue())));
    }
    return QK_FALSE;
}

QKRESULT LSlider::OnThumbMove(const ConstRCPtr<LNotificationDistributor>&,
                              const ConstRCPtr<LNotification>& notification)
{
    const auto* point = dynamic_cast<const LPointParam*>(notification->GetArgument().Get());
    if (!point || !m_thumb || !m_dragging)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    // The pointer comes relative to the thumb.
    const RectD& bounds = m_thumb->GetBounds();
    const PointL pointer{ToInt(point->X + bounds.x), ToInt(point->Y + bounds.y)};
    const PointL target = ConstrainThumbPosition(pointer.x, pointer.y);
    const PointL at = Rounded(bounds);
    if (target.x == at.x && target.y == at.y)
        return QK_FALSE;
    MoveThumbTo(target.x, target.y);
    UpdateValueFromThumb();
    return QK_FALSE;
}

// 5. Clicks and holding on the track --------------------------------------------------------------

void LSlider::StepTowards(const PointD& point)
{
    if (!m_thumbStart || !m_thumb)
        return;
    const PointL t{ToInt(point.x - m_thumbAnchor[0]), ToInt(point.y - m_thumbAnchor[1])};
    const double f = PositionToFraction(t.x, t.y);
    const PointL s = Rounded(m_thumbStart->GetBounds());
    const PointL h = Rounded(m_thumb->GetBounds());
    const double toClick = Distance(double(t.x) - s.x, double(t.y) - s.y);
    const double toThumb = Distance(double(h.x) - s.x, double(h.y) - s.y);
    const double v = GetSliderValue();
    SetSliderValue(toThumb > toClick ? std::max(v - m_pageStep, f) : std::min(v + m_pageStep, f));
}

void LSlider::OnLeftClick(const LMouseButtonParam* button)
{
    if (!button)
        return;
    const RCPtr<LControl> self(this);
    StepTowards(ToClient(button->X, button->Y));
}

void LSlider::OnConditionsChanged(LConditionsParam* conditions)
{
    LPanel::OnConditionsChanged(conditions);
    if (!conditions)
        return;
    const RCPtr<LControl> self(this);
    const std::uint32_t changed = conditions->GetChanged();
    const std::uint32_t now = conditions->NewConditions;
    if ((changed & kConditionLeftDrag) && (now & kConditionLeftDrag))
    {
        if (!IsEnabled(true))
            return;
        m_repeating = true;
        BeginIdleAnimation();
        m_lastRepeatTime = LControlApp::GetTime();
        m_repeatCountdown = kInitialRepeatDelay;
        return;
    }
    if (changed & kConditionLeftDrag)
    {
        if (m_repeating)
        {
            m_repeating = false;
            EndIdleAnimation();
        }
        return;
    }
    if (changed & kConditionContainsFocus)
    {
        if (now & kConditionContainsFocus)
        {
            SelectLook(1);
            return;
        }
        if (m_keyHeld)
        {
            m_keyHeld = false;
            Send(kNidValueChangeKeyUp, nullptr);
        }
        SelectLook(IsEnabled(true) ? 0 : 2);
        return;
    }
    if (changed & kConditionEnabled)
        SelectLook((now & kConditionEnabled) ? ((now & kConditionContainsFocus) ? 1 : 0) : 2);
}

void LSlider::OnTimer()
{
    LPanel::OnTimer();
    if (!m_repeating || !(GetConditions() & kConditionHover) || !IsEnabled(true))
        return;
    const RCPtr<LControl> self(this);
    const double now = LControlApp::GetTime();
    m_repeatCountdown -= now - m_lastRepeatTime;
    m_lastRepeatTime = now;
    if (m_repeatCountdown > kDueTolerance)
        return;
    m_repeatCountdown = kRepeatInterval;
    IRootWindow* root = GetRootWindowLink();
    if (!root)
        return;
    PointD origin;
    GetPositionInRoot(origin);
    const PointL cursor = root->GetCursorPosition();
    StepTowards(ToClient(cursor.x - origin.x, cursor.y - origin.y));
}

// 6. Keys and wheel -------------------------------------------------------------------------------

QKRESULT LSlider::HandleArrowKey(LKeyParam* key)
{
    if (!key)
        return QK_FALSE;
    const std::int32_t code = key->Key.GetCode();
    const std::uint32_t virtualKey = key->Key.GetVirtualKey();
    const bool arrow = virtualKey >= 0x25 && virtualKey <= 0x28;
    if (arrow && !(code & kKeyPressBit) && code >= 0)
    {
        m_keyHeld = false;
        Send(kNidValueChangeKeyUp, ConstRCPtr<LRefCountedObject>(key));
        return QK_OK;
    }
    double step = 0.0;
    // Compared whole: an arrow with any modifier is someone else's.
    if (code == KeyPress(0x27) || code == KeyPress(0x26))
        step = 1.0;
    else if (code == KeyPress(0x25) || code == KeyPress(0x28))
        step = -1.0;
    else
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    if (!m_keyHeld)
    {
        m_keyHeld = true;
        Send(kNidValueChangeKeyDown, ConstRCPtr<LRefCountedObject>(key));
    }
    SetValue(ValueToFraction(FractionToValue(GetValue()) + step));
    return QK_OK;
}

QKRESULT LSlider::WantsKey(LKeyParam* key)
{
    return HandleArrowKey(key);
}

QKRESULT LSlider::DispatchKey(LKeyParam* key)
{
    if (HandleArrowKey(key) == QK_OK)
        return QK_OK;
    return LPanel::DispatchKey(key);
}

QKRESULT LSlider::OnMouseWheel(const LMouseWheelParam* wheel)
{
    if (!wheel)
        return QK_FALSE;
    const double step = wheel->Direction == LMouseWheelParam::kAwayFromUser ? 1.0 : -1.0;
    SetValue(ValueToFraction(FractionToValue(GetValue()) + step));
    return QK_OK;
}

QKRESULT LSlider::OnMouseHWheel(const LMouseWheelParam* wheel)
{
    if (!wheel)
        return QK_FALSE;
    const double step = wheel->Direction == LMouseWheelParam::kHorizontalPositive ? 1.0 : -1.0;
    SetValue(ValueToFraction(FractionToValue(GetValue()) + step));
    return QK_OK;
}

} // namespace QK
