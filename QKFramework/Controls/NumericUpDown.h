// LNumericUpDown: a number field ("Framework.NumericUpDown").
//
// A panel around a text box "textBox", which shows the value with a fixed number of decimals
// and lets only digits (a point when decimals are shown, a minus sign when the range goes
// below 0) be typed, and two auto-repeating buttons "buttonUp" and "buttonDown", which step
// the value by Step. The value is the control's fraction of its range; the number shown is
// its range value. Typed text is corrected while the text box validates it: a text that is
// no number shows the current value again, a number is clamped into the range and written
// back in the control's format. The Up and Down keys press the buttons.
//
// Owners hear "NID_VALUE_CHANGE" when the value changes and the text box's
// "NID_TEXTBOX_VALIDATING" and "NID_TEXTBOX_VALIDATED", sent on from the up-down with the
// same parameters (a VALIDATING receiver may correct or refuse the text before the up-down
// looks at it).
//
// An optional "slider1" follows the value both ways: the up-down's fraction is the slider's.
// While the up-down moves the slider it does not listen to it, so no change comes back.
//
// Each of the children may be missing from a skin; whatever is missing is skipped, and the
// rest works. UI thread only.
#pragma once

#include "QKFramework/Controls/Panel.h"
#include "QKFramework/ObjectBase/Exception.h"

#include <cstdint>

namespace QK
{

class LButton;
class LTextBox;

class LNumericUpDown : public LPanel
{
public:
    // Where a failed subscription of Initialize is reported.
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kInitializeSite{"QK::LNumericUpDown::Initialize", "Controls\\NumericUpDown", 118};

    LNumericUpDown(LControl* parent, const WString& name);
    ~LNumericUpDown() override;

    // The create function of "Framework.NumericUpDown".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Own operations --------------------------------------------------------------------

    // Ignored for n < 0; otherwise n decimals are shown from now on.
    void SetDecimalPlaces(std::int32_t n);
    std::int32_t GetDecimalPlaces() const { return m_decimalPlaces; }
    // The range value of the current fraction in the control's format.
    WString FormatValue() const;

    LTextBox* GetTextBox() const { return m_textBox.Get(); }
    LButton* GetUpButton() const { return m_upButton.Get(); }
    LButton* GetDownButton() const { return m_downButton.Get(); }
    // The optional "slider1" child (null when the skin has none).
    LControl* GetSlider() const { return m_slider.Get(); }

    // The range-value change of one button step; owners set it directly.
    double Step = 1.0;

    // --- LControl --------------------------------------------------------------------------

    // Scale 0, or 1 with both bounds above 0; else 0x80070057 and nothing changes. The
    // fraction stays, so the number shown follows the new range.
    QKRESULT SetValueRange(double minimum, double maximum, std::int32_t scale) override;
    // Shows the value, then lets the text box validate it.
    void OnValueChanged() override;
    // The leading number of text (0 when there is none) becomes the value. Always 0.
    QKRESULT SetText(const WString& text) override;
    // Up and Down press the buttons; every other key goes the panel's way.
    QKRESULT DispatchKey(LKeyParam* key) override;
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    QKRESULT OnTextValidating(const ConstRCPtr<LNotificationDistributor>& source,
                              const ConstRCPtr<LNotification>& notification);
    QKRESULT OnTextValidated(const ConstRCPtr<LNotificationDistributor>& source,
                             const ConstRCPtr<LNotification>& notification);
    QKRESULT OnButtonRepeat(const ConstRCPtr<LNotificationDistributor>& source,
                            const ConstRCPtr<LNotification>& notification);
    QKRESULT OnSliderValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification);
    // The slider shows the value, without its change coming back here.
    void ShowValueOnSlider();
    // The characters the text box lets through for the current places and range.
    void UpdateAllowedCharacters();
    // The text box shows the formatted value (its caret reset).
    void ShowValue();
    // Hands "NID_SIMULATE_CLICK" to button as if it had sent it to itself.
    static void SimulateClick(LButton* button);

    RCPtr<LTextBox> m_textBox;
    RCPtr<LControl> m_slider;
    RCPtr<LButton> m_upButton;
    RCPtr<LButton> m_downButton;
    RCPtr<LNotificationHandler<LNumericUpDown>> m_upDownHandlers;
    std::int32_t m_decimalPlaces = 0;
};

} // namespace QK
