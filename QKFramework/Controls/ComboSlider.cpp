#include "QKFramework/Controls/ComboSlider.h"

#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/LayoutDescriptor.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Controls/Slider.h"
#include "QKFramework/Notification/Notification.h"

#include <algorithm>

namespace QK
{

namespace
{

constexpr std::int32_t kKeyEscape = static_cast<std::int32_t>(0x201B0000u);

} // namespace

LComboSlider::LComboSlider(LControl* parent, const WString& name) : LDropDownControl(parent, name) {}

LComboSlider::~LComboSlider() = default;

RCPtr<LControl> LComboSlider::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LComboSlider>(parent, descriptor);
}

LSlider* LComboSlider::GetSlider() const
{
    if (!m_dropDownPanel)
        return nullptr;
    return dynamic_cast<LSlider*>(m_dropDownPanel->FindChild(WString(u"slider")).Get());
}

QKRESULT LComboSlider::Initialize()
{
    if (Failed(LDropDownControl::Initialize()))
        return QK_E_FAIL;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const RCPtr<LControl> panel = FindChild(WString(u"dropDownPanel"));
    m_dropDownPanel = nullptr;
    if (dynamic_cast<LPanel*>(panel.Get()))
        m_dropDownPanel = panel;
    if (!m_dropDownPanel)
        return QK_OK;
    m_dropDownPanel->SetVisible(false);
    if (!m_comboHandlers)
        m_comboHandlers = LNotificationHandler<LComboSlider>::Create(this);
    const RCPtr<LSlider> slider(GetSlider());
    if (!slider)
        return QK_OK;
    // A value given before the panel was found (the skin's initial value) reaches the slider
    // before its notices are heard, so that it is not sent twice.
    if (slider->GetValue() != GetValue())
        slider->SetValue(GetValue());
    m_comboHandlers->AddHandler(&LComboSlider::OnSliderValueChange, ConstRCPtr<LNotificationDistributor>(slider.Get()),
                                kNidValueChange);
    slider->SetResendAtDragEnd(true);
    return QK_OK;
}

// --- Value ------------------------------------------------------------------------------------------

double LComboSlider::SetValue(double value)
{
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    if (const RCPtr<LSlider> slider{GetSlider()})
        slider->SetValue(value);
    return LDropDownControl::SetValue(value);
}

void LComboSlider::OnValueChanged()
{
    if (const RCPtr<LSlider> slider{GetSlider()})
        slider->SetValue(GetValue());
    LDropDownControl::SetText(WString::DoubleToString(FractionToValue(GetValue()), 0));
}

QKRESULT LComboSlider::OnSliderValueChange(const ConstRCPtr<LNotificationDistributor>&,
                                           const ConstRCPtr<LNotification>&)
{
    const RCPtr<LSlider> slider{GetSlider()};
    if (!slider)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    if (GetValue() != slider->GetValue())
        LDropDownControl::SetValue(slider->GetValue());
    else
        Send(kNidValueChange, LValueParam::Create(GetValue(), FractionToValue(GetValue())));
    return QK_FALSE;
}

// --- The drop-down ----------------------------------------------------------------------------------

bool LComboSlider::IsDroppedDown()
{
    return m_dropDownPanel && m_dropDownPanel->IsVisible(false) && m_dropDownPanel->GetWidth() > 0.0 &&
           m_dropDownPanel->GetHeight() > 0.0;
}

void LComboSlider::KeepPanelInsideTop()
{
    const RCPtr<LLayoutDescriptor> layout = m_dropDownPanel->GetLayoutDescriptor();
    if (!layout)
        return;
    const LControl* top = GetRootControl();
    // The origin of this control's client space, in the top control's coordinates.
    PointD origin;
    GetPositionInRoot(origin);
    const RectD client = GetLookClientRect(-1);
    const double clientLeft = origin.x - top->GetBounds().x + client.x - GetScrollOffset().x;
    const double left = clientLeft + layout->X.Position.Abs;
    const double width = m_dropDownPanel->GetWidth();
    const double topWidth = top->GetWidth();
    double placed = left;
    if (placed + width > topWidth)
        placed = std::max(0.0, topWidth - width);
    const double position = placed - clientLeft;
    if (position == layout->X.Position.Abs)
        return;
    AxisSpec spec[2];
    layout->GetAxisSpecs(spec[0], spec[1]);
    LayoutReference place = spec[0].Position;
    place.Abs = position;
    m_dropDownPanel->SetAxisLayout(0, spec[0].PlacementAnchor, layout->XIsDocked, place, spec[0].Size);
}

QKRESULT LComboSlider::ShowDropDown(bool show)
{
    if (!m_dropDownPanel)
        return QK_E_FAIL;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const RCPtr<LControl> panel = m_dropDownPanel;
    if (show)
        KeepPanelInsideTop();
    panel->SetVisible(show);
    SelectDropDownLook();
    return QK_OK;
}

// --- Input and looks --------------------------------------------------------------------------------

void LComboSlider::OnConditionsChanged(LConditionsParam* record)
{
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    LDropDownControl::OnConditionsChanged(record);
    SelectDropDownLook();
}

QKRESULT LComboSlider::WantsKey(LKeyParam* key)
{
    return OpenOrCloseByKey(key);
}

QKRESULT LComboSlider::DispatchKey(LKeyParam* key)
{
    if (key && key->Key.GetCode() == kKeyEscape)
    {
        ShowDropDown(false);
        return QK_OK;
    }
    return LDropDownControl::DispatchKey(key);
}

// --- Receiving --------------------------------------------------------------------------------------

QKRESULT LComboSlider::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                           const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LDropDownControl>(*this, m_comboHandlers, source, notification);
}

QKRESULT LComboSlider::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LDropDownControl>(*this, m_comboHandlers, source, id);
}

} // namespace QK
