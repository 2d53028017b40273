#include "UI/ArpeggiatorEditPanel.h"

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Controls/TextBox.h"

namespace QK
{

namespace
{

void SetUpDown(LNumericUpDown* upDown, double minimum, double maximum, std::int32_t digits)
{
    if (!upDown)
        return;
    upDown->SetValueRange(minimum, maximum, 0);
    if (LTextBox* textBox = upDown->GetTextBox())
        textBox->SetMaxLength(digits);
}

} // namespace

LArpeggiatorEditPanel::LArpeggiatorEditPanel(LControl* parent, const WString& name)
    : LModuleEditPanel(parent, name, kEditors)
{
}

QKRESULT LArpeggiatorEditPanel::Initialize()
{
    const QKRESULT result = LPanel::Initialize();
    if (Failed(result))
        return result;
    if (const RCPtr<LVariantBufferSetterParameterPanel> tempo = GetEditor(kTempo))
        tempo->SetTwoByteValue(true);
    SetUpDown(GetEditorControl<LNumericUpDown>(kTempo, u"parameterControl").Get(), 30.0, 240.0, 3);
    SetUpDown(GetEditorControl<LNumericUpDown>(kSwing, u"parameterControl").Get(), 50.0, 75.0, 2);
    if (const RCPtr<LVariantBufferSetterParameterPanel> swing = GetEditor(kSwing))
        swing->SetValueOffset(-50.0);
    if (const RCPtr<LVariantBufferSetterParameterPanel> taps = GetEditor(kTempoTaps))
        taps->SetValueOffset(2.0);
    if (const RCPtr<LButton> onOff = GetEditorControl<LButton>(kOnOff, u"parameterControl"))
        onOff->SetValueRange(0.0, 1.0, 0);
    return result;
}

void LArpeggiatorEditPanel::OnValueShown(std::uint32_t relativeID, const Variant& value)
{
    if (relativeID != kOnOff)
        return;
    std::uint32_t size = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(value.GetData(size));
    const RCPtr<LControl> button = GetEditorControl<LControl>(kOnOff, u"parameterControl");
    if (!button || !bytes || size == 0)
        return;
    button->SetText(WString(bytes[0] != 0 ? u"ON" : u"OFF"));
}

} // namespace QK
