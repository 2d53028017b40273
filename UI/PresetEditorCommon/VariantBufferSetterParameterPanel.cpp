#include "UI/PresetEditorCommon/VariantBufferSetterParameterPanel.h"

#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/TextBox.h"
#include "UI/PresetEditorCommon/EditPanelSupport.h"

#include <cmath>

namespace QK
{

namespace
{

// A control's range value as a whole number, truncated toward zero. The number fields snap
// their values to whole numbers before anyone hears of a change.
std::int32_t WholeValue(double value)
{
    return static_cast<std::int32_t>(std::trunc(value));
}

Variant MakeBytes(const std::uint8_t* bytes, std::uint32_t count)
{
    Variant value;
    value.SetBytes(bytes, count);
    return value;
}

} // namespace

LVariantBufferSetterParameterPanel::LVariantBufferSetterParameterPanel(LControl* parent, const WString& name)
    : LWithHandlerTable(parent, name)
{
}

LVariantBufferSetterParameterPanel::~LVariantBufferSetterParameterPanel() = default;

QKRESULT LVariantBufferSetterParameterPanel::Initialize()
{
    const QKRESULT result = LPanel::Initialize();
    if (Failed(result))
        return result;
    m_handler = LNotificationHandler<LVariantBufferSetterParameterPanel>::Create(this);
    if (!m_handler)
        return QK_E_FAIL;

    if (const RCPtr<LComboBox> combo = FindChildAs<LComboBox>(*this, u"comboBox"))
    {
        SetValueRange(m_offset, m_offset + combo->GetItemCount(), 0);
        CheckResult(m_handler->AddHandler(&LVariantBufferSetterParameterPanel::OnComboBoxSelectionChange,
                                          ConstRCPtr<LNotificationDistributor>(combo.Get()),
                                          kNidSelectionChange),
                    kComboSubscriptionSite);
    }
    if (const RCPtr<LControl> control = FindChild(WString(u"parameterControl")))
    {
        CheckResult(m_handler->AddHandler(&LVariantBufferSetterParameterPanel::OnParameterControlValueChange,
                                          ConstRCPtr<LNotificationDistributor>(control.Get()),
                                          kNidValueChange),
                    kControlSubscriptionSite);
        control->SetValueRange(0.0, kControlMaximum, 0);
        if (const RCPtr<LTextBox> textBox = FindChildAs<LTextBox>(*control, u"textBox"))
            textBox->SetMaxLength(kControlTextLength);
        SetValueRange(m_offset, m_offset + kControlMaximum, 0);
    }
    return result;
}

void LVariantBufferSetterParameterPanel::SetParam(const ParamDescriptor& descriptor)
{
    m_descriptor.id = descriptor.id;
    m_descriptor.descriptor = descriptor.descriptor;
}

void LVariantBufferSetterParameterPanel::SetValueOffset(double offset)
{
    m_offset = offset;
}

void LVariantBufferSetterParameterPanel::SetTwoByteValue(bool twoByte)
{
    m_twoByte = twoByte;
}

void LVariantBufferSetterParameterPanel::SplitTwoByteValue(const std::int16_t& value, std::uint8_t& hi,
                                                           std::uint8_t& lo)
{
    hi = static_cast<std::uint8_t>(value / 128);
    lo = static_cast<std::uint8_t>(value % 128);
}

std::int32_t LVariantBufferSetterParameterPanel::JoinTwoByteValue(const std::int8_t& hi,
                                                                  const std::int8_t& lo)
{
    return static_cast<std::int32_t>(hi) * 128 + static_cast<std::int32_t>(lo);
}

QKRESULT LVariantBufferSetterParameterPanel::SetParamValue(const Variant& value)
{
    std::uint32_t size = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(value.GetData(size));
    const RCPtr<LControl> control = FindChild(WString(u"parameterControl"));
    const RCPtr<LComboBox> combo = FindChildAs<LComboBox>(*this, u"comboBox");

    if (m_twoByte && size == 2 && bytes)
    {
        const auto hi = static_cast<std::int8_t>(bytes[0]);
        const auto lo = static_cast<std::int8_t>(bytes[1]);
        const auto shown = static_cast<std::int16_t>(JoinTwoByteValue(hi, lo));
        if (control)
            control->SetValue(control->ValueToFraction(shown));
        if (combo)
            combo->SelectItem(shown);
        return QK_OK;
    }
    if (!m_twoByte && size == 1 && bytes)
    {
        const auto stored = static_cast<std::int8_t>(bytes[0]);
        if (control)
            control->SetValue(control->ValueToFraction(stored - m_offset));
        if (combo)
        {
            // Combo box editors have an offset of 0 or 2.
            const auto k = static_cast<std::uint8_t>(static_cast<std::int32_t>(m_offset));
            combo->SelectItem(stored - k);
        }
        return QK_OK;
    }
    return QK_E_FAIL;
}

bool LVariantBufferSetterParameterPanel::CanShowValue(const Variant& value)
{
    std::uint32_t size = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(value.GetData(size));
    if (!bytes || size != (m_twoByte ? 2u : 1u))
        return false;
    // The shown value and the combo box item, as SetParamValue works them out.
    double shown = 0.0;
    std::int32_t item = 0;
    if (m_twoByte)
    {
        item = JoinTwoByteValue(static_cast<std::int8_t>(bytes[0]), static_cast<std::int8_t>(bytes[1]));
        shown = item;
    }
    else
    {
        const auto stored = static_cast<std::int8_t>(bytes[0]);
        shown = stored - m_offset;
        item = stored - static_cast<std::uint8_t>(static_cast<std::int32_t>(m_offset));
    }
    if (const RCPtr<LControl> control = FindChild(WString(u"parameterControl")))
        if (!(shown >= control->GetRangeMinimum() && shown <= control->GetRangeMaximum()))
            return false;
    if (const RCPtr<LComboBox> combo = FindChildAs<LComboBox>(*this, u"comboBox"))
        if (item < 0 || static_cast<std::uint32_t>(item) >= combo->GetItemCount())
            return false;
    return true;
}

QKRESULT
LVariantBufferSetterParameterPanel::OnComboBoxSelectionChange(const ConstRCPtr<LNotificationDistributor>&,
                                                              const ConstRCPtr<LNotification>&)
{
    const RCPtr<LComboBox> combo = FindChildAs<LComboBox>(*this, u"comboBox");
    if (!combo)
        return QK_FALSE;
    const std::int32_t selected = combo->GetSelectedIndex();
    // A cleared selection is no value: writing selected + offset would store 0xFF.
    if (selected < 0)
        return QK_FALSE;
    const auto byte = static_cast<std::uint8_t>(WholeValue(selected + m_offset));
    RequestParamValueChangeFrom(*this, m_descriptor, MakeBytes(&byte, 1));
    SetValueRange(m_offset, m_offset + combo->GetItemCount(), 0);
    SetValue(ValueToFraction(selected + m_offset));
    return QK_FALSE;
}

QKRESULT
LVariantBufferSetterParameterPanel::OnParameterControlValueChange(const ConstRCPtr<LNotificationDistributor>&,
                                                                  const ConstRCPtr<LNotification>&)
{
    const RCPtr<LControl> control = FindChild(WString(u"parameterControl"));
    if (!control)
        return QK_FALSE;
    const double shown = control->FractionToValue(control->GetValue());
    if (m_twoByte)
    {
        std::uint8_t bytes[2] = {};
        SplitTwoByteValue(static_cast<std::int16_t>(WholeValue(shown)), bytes[0], bytes[1]);
        RequestParamValueChangeFrom(*this, m_descriptor, MakeBytes(bytes, 2));
    }
    else
    {
        const auto byte = static_cast<std::uint8_t>(WholeValue(m_offset + shown));
        RequestParamValueChangeFrom(*this, m_descriptor, MakeBytes(&byte, 1));
    }
    SetValue(ValueToFraction(m_offset + shown));
    return QK_FALSE;
}

} // namespace QK
