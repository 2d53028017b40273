#include "QKFramework/Controls/CenteredSlider.h"

#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationId.h"

namespace QK
{

LCenteredSlider::LCenteredSlider(LControl* parent, const WString& name) : LSlider(parent, name) {}

LCenteredSlider::~LCenteredSlider() = default;

RCPtr<LControl> LCenteredSlider::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LCenteredSlider>(parent, descriptor);
}

QKRESULT LCenteredSlider::Initialize()
{
    if (Failed(LSlider::Initialize()))
        return QK_E_FAIL;
    const RCPtr<LControl> self(this);
    m_centeredHandlers = LNotificationHandler<LCenteredSlider>::Create(this);
    if (!m_centeredHandlers)
        ThrowNullPointer(kInitializeSite, "Notification Handler not created.");
    m_lowBounds = FindChild(WString(u"lowRangeBounds"));
    m_highBounds = FindChild(WString(u"highRangeBounds"));
    for (const RCPtr<LControl>& bounds : {m_lowBounds, m_highBounds})
    {
        if (!bounds)
            continue;
        // Clicks on the bar belong to the track under it.
        bounds->SetExcludedFromHitTest(true);
        if (const RCPtr<LControl> fill = bounds->FindChild(WString(u"fill")))
            fill->SetExcludedFromHitTest(true);
    }
    if (LControl* thumb = GetThumb())
        CheckResult(m_centeredHandlers->AddHandler(&LCenteredSlider::OnThumbMove, RCPtr<LControl>(thumb),
                                                   kNidMouseMove),
                    kInitializeSite);
    SetBoundsPosFromThumbPos();
    return QK_OK;
}

void LCenteredSlider::MoveBounds(std::int32_t axis, double centre)
{
    for (const RCPtr<LControl>& bounds : {m_lowBounds, m_highBounds})
        if (bounds)
            SetAbsolutePosition(*bounds, axis, centre);
}

void LCenteredSlider::SetBoundsPosFromThumbPos()
{
    LControl* thumb = GetThumb();
    if (!thumb)
        ThrowNullPointer(kSetBoundsSite, "Thumb Child was not created.");
    const RCPtr<LLayoutDescriptor> layout = thumb->GetLayoutDescriptor();
    LControl* start = GetThumbStart();
    LControl* end = GetThumbEnd();
    if (!layout || !start || !end)
        return;
    const RCPtr<LControl> self(this);
    // Ends that coincide take both steps.
    if (end->GetBounds().y == start->GetBounds().y)
        MoveBounds(0, layout->X.Position.Abs + layout->X.Size.Abs / 2.0);
    if (end->GetBounds().x == start->GetBounds().x)
        MoveBounds(1, layout->Y.Position.Abs + layout->Y.Size.Abs / 2.0);
}

double LCenteredSlider::SetSliderValue(double fraction)
{
    const double result = LSlider::SetSliderValue(fraction);
    // Until this class is initialised there are no panels to move.
    if (m_centeredHandlers)
        SetBoundsPosFromThumbPos();
    return result;
}

QKRESULT LCenteredSlider::OnThumbMove(const ConstRCPtr<LNotificationDistributor>& source,
                                      const ConstRCPtr<LNotification>& notification)
{
    SetBoundsPosFromThumbPos();
    // The move is the slider's too: it drags the thumb.
    return LSlider::ReceiveNotification(source, notification);
}

QKRESULT LCenteredSlider::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                              const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LSlider>(*this, m_centeredHandlers, source, notification);
}

QKRESULT LCenteredSlider::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LSlider>(*this, m_centeredHandlers, source, id);
}

} // namespace QK
