#include "QKFramework/Controls/LevelMeter.h"

#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Notification/Notification.h"

namespace QK
{

using namespace ControlDetail;

namespace
{

// Writes the absolute size of one axis, keeping the rest of the layout.
void SetAbsoluteSize(LControl& control, std::int32_t axis, double size)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayoutDescriptor();
    if (!layout)
        return;
    const AxisSpec& spec = axis == 0 ? layout->X : layout->Y;
    control.SetAxisLayout(axis, spec.PlacementAnchor, IsDocked(control, axis), spec.Position,
                          LayoutReference{2, WString(), 0.0f, size});
}

// Writes the absolute part of one axis's position, keeping the rest of the layout.
void SetAbsolutePosition(LControl& control, std::int32_t axis, double position)
{
    const RCPtr<LLayoutDescriptor>& layout = control.GetLayoutDescriptor();
    if (!layout)
        return;
    const AxisSpec& spec = axis == 0 ? layout->X : layout->Y;
    LayoutReference where = spec.Position;
    where.Abs = position;
    control.SetAxisLayout(axis, spec.PlacementAnchor, IsDocked(control, axis), where, spec.Size);
}

} // namespace

RCPtr<LControl> LLevelMeter::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LLevelMeter(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

QKRESULT LLevelMeter::SetLevel(double level, double peak)
{
    return UpdateMeter(level, peak, m_clipState);
}

QKRESULT LLevelMeter::UpdateMeter(double level, double peak, std::int32_t clipState)
{
    const RCPtr<LControl> self(this);
    if (m_clipButton)
    {
        if (clipState != m_clipState)
            m_clipButton->SetValue(1.0);
        else if (!m_latching)
            m_clipButton->SetValue(0.0);
    }
    m_clipState = clipState;

    m_updating = true;
    SetValue(level);
    m_updating = false;

    const std::int32_t axis = m_vertical ? 1 : 0;
    if (m_activeOverlay)
    {
        const double fraction = m_vertical ? 1.0 - level : level;
        const double n = RoundHalfAway((m_vertical ? GetHeight() : GetWidth()) * fraction);
        if (n < 1.0)
        {
            m_activeOverlay->SetVisible(false);
        }
        else
        {
            m_activeOverlay->SetVisible(true);
            SetAbsoluteSize(*m_activeOverlay, axis, n);
        }
    }
    if (m_peakLo)
    {
        const double span = m_vertical ? m_peakHiPosition.y - m_peakLoPosition.y : m_peakHiPosition.x - m_peakLoPosition.x;
        const double n = RoundHalfAway(span * peak);
        if (n == 0.0)
        {
            m_peakLo->SetVisible(false);
        }
        else
        {
            m_peakLo->SetVisible(true);
            SetAbsolutePosition(*m_peakLo, axis, n);
        }
    }
    return QK_OK;
}

QKRESULT LLevelMeter::SetClipButton(bool latching)
{
    if (!m_clipButton)
        return QK_E_FAIL;
    m_clipButton->SetValue(0.0);
    if (latching == m_latching)
        return QK_OK;
    m_latching = latching;
    if (!m_meterHandlers)
        return QK_OK;
    const ConstRCPtr<LNotificationDistributor> button(m_clipButton.Get());
    if (latching)
        m_meterHandlers->AddHandler(&LLevelMeter::OnClipButtonClick, button, kNidLeftClick);
    else
        m_meterHandlers->RemoveHandler(button, kNidLeftClick);
    return QK_OK;
}

bool LLevelMeter::IsClipped()
{
    return m_clipButton && m_clipButton->GetValue() >= 0.5;
}

std::int32_t LLevelMeter::GetClipMode()
{
    return m_clipState;
}

std::int32_t LLevelMeter::SetClipMode(std::int32_t clipState)
{
    m_clipState = clipState;
    return m_clipState;
}

QKRESULT LLevelMeter::OnClipButtonClick(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
{
    if (m_clipButton && m_clipButton->GetValue() >= 0.5)
    {
        m_clipButton->SetValue(0.0);
        Send(u"NID_CLIPLIGHT_UNLATCHED", nullptr);
    }
    return QK_FALSE;
}

void LLevelMeter::OnValueChanged()
{
    if (!m_updating)
        UpdateMeter(GetValue(), 0.0, m_clipState);
}

QKRESULT LLevelMeter::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    m_meterHandlers = LNotificationHandler<LLevelMeter>::Create(this);
    m_peakLo = FindChild(WString(u"peakLo"));
    m_activeOverlay = FindChild(WString(u"activeOverlay"));
    m_clipButton = FindChild(WString(u"clipButton"));
    if (m_peakLo)
        m_peakLo->SetSubPart(true);
    if (m_activeOverlay)
        m_activeOverlay->SetSubPart(true);
    return result;
}

QKRESULT LLevelMeter::InitializeParts()
{
    m_vertical = GetHeight() > GetWidth();
    if (m_peakLo)
    {
        m_peakLo->SetVisible(false);
        m_peakLo->SetNotFocusable(true);
        m_peakLoPosition = PointD{m_peakLo->GetBounds().x, m_peakLo->GetBounds().y};
    }
    if (const RCPtr<LControl> peakHi = FindChild(WString(u"peakHi")))
    {
        peakHi->SetVisible(false);
        peakHi->SetNotFocusable(true);
        m_peakHiPosition = PointD{peakHi->GetBounds().x, peakHi->GetBounds().y};
    }
    else
    {
        m_peakLo = nullptr;
    }
    if (m_activeOverlay)
    {
        m_activeOverlay->SetVisible(false);
        m_activeOverlay->SetNotFocusable(true);
    }
    if (m_clipButton)
        m_clipButton->SetNotFocusable(true);
    SetNotFocusable(true);
    OnValueChanged();
    return QK_OK;
}

QKRESULT LLevelMeter::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                          const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LControl>(*this, m_meterHandlers, source, notification);
}

QKRESULT LLevelMeter::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LControl>(*this, m_meterHandlers, source, id);
}

} // namespace QK
