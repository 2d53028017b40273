// Contents: 1. construction and parts; 2. value, range and format; 3. keys; 4. text
// validation, button steps and the slider; 5. receiving.
#include "QKFramework/Controls/NumericUpDown.h"

#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <algorithm>
#include <string>

namespace QK
{

namespace
{

// Up and Down arrows without modifiers, as KeyCode packs them.
constexpr std::int32_t kUpKey = 0x20260000;
constexpr std::int32_t kDownKey = 0x20280000;

template <class T> RCPtr<T> FindChildAs(const LControl& parent, const char16_t* name)
{
    return RCPtr<T>(dynamic_cast<T*>(parent.FindChild(WString(name)).Get()));
}

} // namespace

// 1. Construction and parts ---------------------------------------------------------------------

LNumericUpDown::LNumericUpDown(LControl* parent, const WString& name) : LPanel(parent, name) {}

LNumericUpDown::~LNumericUpDown() = default;

RCPtr<LControl> LNumericUpDown::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LNumericUpDown>(parent, descriptor);
}

QKRESULT LNumericUpDown::Initialize()
{
    const QKRESULT result = LPanel::Initialize();
    m_textBox = FindChildAs<LTextBox>(*this, u"textBox");
    m_upButton = FindChildAs<LButton>(*this, u"buttonUp");
    m_downButton = FindChildAs<LButton>(*this, u"buttonDown");
    m_slider = FindChild(WString(u"slider1"));
    for (LButton* button : {m_upButton.Get(), m_downButton.Get()})
        if (button)
            button->SetAutoRepeat(true);
    UpdateAllowedCharacters();

    m_upDownHandlers = LNotificationHandler<LNumericUpDown>::Create(this);
    if (m_textBox)
    {
        const ConstRCPtr<LNotificationDistributor> textBox(m_textBox.Get());
        CheckResult(m_upDownHandlers->AddHandler(&LNumericUpDown::OnTextValidating, textBox, kNidTextboxValidating),
                    kInitializeSite);
        CheckResult(m_upDownHandlers->AddHandler(&LNumericUpDown::OnTextValidated, textBox, kNidTextboxValidated),
                    kInitializeSite);
    }
    for (LButton* button : {m_upButton.Get(), m_downButton.Get()})
        if (button)
            CheckResult(m_upDownHandlers->AddHandler(&LNumericUpDown::OnButtonRepeat,
                                                     ConstRCPtr<LNotificationDistributor>(button),
                                                     kNidButtonAutorepeat),
                        kInitializeSite);
    if (m_slider)
    {
        CheckResult(m_upDownHandlers->AddHandler(&LNumericUpDown::OnSliderValueChange,
                                                 ConstRCPtr<LNotificationDistributor>(m_slider.Get()),
                                                 kNidValueChange),
                    kInitializeSite);
        ShowValueOnSlider();
    }
    return result;
}

QKRESULT LNumericUpDown::InitializeParts()
{
    const QKRESULT result = LPanel::InitializeParts();
    SetNotFocusable(false);
    for (LButton* button : {m_upButton.Get(), m_downButton.Get()})
        if (button)
            button->SetNotFocusable(true);
    return result;
}

// 2. Value, range and format ----------------------------------------------------------------------

WString LNumericUpDown::FormatValue() const
{
    const double value = FractionToValue(GetValue());
    if (m_decimalPlaces == 0)
        return WString::Format(u"%0.0f", value);
    const WString format = WString(u"%0.") + WString::Format(u"%df", m_decimalPlaces);
    return WString::Format(format.GetString(), value);
}

void LNumericUpDown::UpdateAllowedCharacters()
{
    if (!m_textBox)
        return;
    WString allowed(u"0123456789");
    if (m_decimalPlaces > 0)
        allowed = allowed + WString(u".");
    if (GetRangeMinimum() < 0.0)
        allowed = allowed + WString(u"-");
    m_textBox->AllowedCharacters(allowed);
    m_textBox->AllowedCharactersMode(true);
}

void LNumericUpDown::ShowValue()
{
    if (m_textBox)
        m_textBox->SetText(FormatValue());
}

void LNumericUpDown::SetDecimalPlaces(std::int32_t n)
{
    if (n < 0)
        return;
    m_decimalPlaces = n;
    UpdateAllowedCharacters();
    ShowValue();
}

QKRESULT LNumericUpDown::SetValueRange(double minimum, double maximum, std::int32_t scale)
{
    const QKRESULT result = LPanel::SetValueRange(minimum, maximum, scale);
    if (result != QK_OK)
        return result;
    UpdateAllowedCharacters();
    ShowValue();
    return QK_OK;
}

void LNumericUpDown::ShowValueOnSlider()
{
    const ConstRCPtr<LNotificationDistributor> slider(m_slider.Get());
    // Before Initialize has subscribed there is nothing to suspend, and nothing to show.
    if (!m_slider || !m_upDownHandlers ||
        !m_upDownHandlers->HasHandler(slider.Get(), GetNotificationId(kNidValueChange)))
        return;
    const RCPtr<LControl> held = m_slider;
    CAutoNotificationDisabler<LNumericUpDown> suspended(*m_upDownHandlers, slider, kNidValueChange);
    held->SetValue(GetValue());
}

void LNumericUpDown::OnValueChanged()
{
    ShowValueOnSlider();
    if (!m_textBox)
        return;
    const RCPtr<LTextBox> textBox = m_textBox;
    ShowValue();
    textBox->IsUITarget();
}

QKRESULT LNumericUpDown::SetText(const WString& text)
{
    SetValue(ValueToFraction(ParseDouble(text.GetString())));
    return QK_OK;
}

// 3. Keys -------------------------------------------------------------------------------------------

void LNumericUpDown::SimulateClick(LButton* button)
{
    const RCPtr<LButton> held(button);
    const ConstRCPtr<LNotification> click = LNotification::Create(kNidSimulateClick, nullptr);
    held->ReceiveNotification(ConstRCPtr<LNotificationDistributor>(button), click);
}

QKRESULT LNumericUpDown::DispatchKey(LKeyParam* key)
{
    if (!key)
        return QK_E_INVALIDARG;
    const std::int32_t code = key->Key.Code;
    LButton* button = code == kUpKey ? m_upButton.Get() : (code == kDownKey ? m_downButton.Get() : nullptr);
    if (button)
    {
        SimulateClick(button);
        return QK_OK;
    }
    // Without its button, an arrow goes on like any other key.
    return HandleSiblingKey(key);
}

// 4. Text validation, button steps and the slider ----------------------------------------------

QKRESULT LNumericUpDown::OnTextValidating(const ConstRCPtr<LNotificationDistributor>&,
                                          const ConstRCPtr<LNotification>& notification)
{
    const ConstRCPtr<LRefCountedObject> argument = notification->GetArgument();
    auto* params = dynamic_cast<LTextValidationParams*>(const_cast<LRefCountedObject*>(argument.Get()));
    if (!params)
        return QK_OK;
    const RCPtr<LControl> self(this);
    Send(kNidTextboxValidating, argument);
    if (!params->Valid)
        return QK_OK;

    const std::u16string text(params->Text.GetString(), params->Text.GetLength());
    const double current = FractionToValue(GetValue());
    const bool misplacedMinus = text.find(u'-', 1) != std::u16string::npos;
    const bool twoPoints = std::count(text.begin(), text.end(), u'.') > 1;
    const bool noNumber = text.empty() || text == u"-" || text == u".";
    double candidate = ParseDouble(params->Text.GetString());
    if (misplacedMinus || twoPoints || noNumber)
    {
        candidate = current;
        params->Text = FormatValue();
        params->Valid = true;
    }

    const double low = std::min(GetRangeMinimum(), GetRangeMaximum());
    const double high = std::max(GetRangeMinimum(), GetRangeMaximum());
    candidate = std::min(std::max(candidate, low), high);
    if (candidate == current)
    {
        if (current == GetRangeMinimum() || current == GetRangeMaximum() || candidate == 0.0)
        {
            params->Text = FormatValue();
            params->Valid = true;
        }
        return QK_OK;
    }
    SetValue(ValueToFraction(candidate));
    params->Text = FormatValue();
    params->Valid = true;
    return QK_OK;
}

QKRESULT LNumericUpDown::OnTextValidated(const ConstRCPtr<LNotificationDistributor>&,
                                         const ConstRCPtr<LNotification>& notification)
{
    const RCPtr<LControl> self(this);
    Send(kNidTextboxValidated, notification->GetArgument());
    return QK_OK;
}

QKRESULT LNumericUpDown::OnButtonRepeat(const ConstRCPtr<LNotificationDistributor>& source,
                                        const ConstRCPtr<LNotification>&)
{
    const RCPtr<LControl> self(this);
    const double current = FractionToValue(GetValue());
    if (source.Get() == static_cast<const LNotificationDistributor*>(m_upButton.Get()))
        SetValue(ValueToFraction(current + Step));
    else if (source.Get() == static_cast<const LNotificationDistributor*>(m_downButton.Get()))
        SetValue(ValueToFraction(current - Step));
    return QK_OK;
}

QKRESULT LNumericUpDown::OnSliderValueChange(const ConstRCPtr<LNotificationDistributor>&,
                                             const ConstRCPtr<LNotification>& notification)
{
    const auto* value = dynamic_cast<const LValueParam*>(notification->GetArgument().Get());
    if (!value)
        return QK_OK;
    const RCPtr<LControl> self(this);
    SetValue(value->Value);
    return QK_OK;
}

// 5. Receiving --------------------------------------------------------------------------------------

QKRESULT LNumericUpDown::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                             const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LPanel>(*this, m_upDownHandlers, source, notification);
}

QKRESULT LNumericUpDown::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LPanel>(*this, m_upDownHandlers, source, id);
}

} // namespace QK
