// LComboSlider: a drop-down control ("Framework.ComboSlider") that shows its value as text
// and, when opened, drops down the panel "dropDownPanel" (a plain panel,
// "Framework.ComboSlider.DropDownPanel") holding a slider named "slider" with which the user
// sets the value.
//
// The control's value and the slider's follow each other both ways; the text is the scaled
// value without decimals. The control sends "NID_VALUE_CHANGE" (LValueParam of its fraction
// and scaled value) for each change, and once more when the slider repeats its value at the
// end of a drag. An open panel is kept inside the right edge of the tree's top control, but
// never left of its left edge. Down or Enter opens the panel, Escape closes it.
//
// The text is in the control's own range, which its owner sets (the base's 0..0 until then).
// The slider is looked up by name whenever it is needed; without one the control still
// shows and sends its value. UI thread only.
#pragma once

#include "QKFramework/Controls/DropDownControl.h"

#include <cstdint>

namespace QK
{

class LSlider;

class LComboSlider : public LDropDownControl
{
public:
    LComboSlider(LControl* parent, const WString& name);
    ~LComboSlider() override;

    // The create function of "Framework.ComboSlider".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    LControl* GetDropDownPanel() const { return m_dropDownPanel.Get(); }
    // The panel's "slider", or null.
    LSlider* GetSlider() const;

    // --- LDropDownControl ------------------------------------------------------------------

    bool IsDroppedDown() override;
    // 0x80004005 without a drop-down panel, else 0.
    QKRESULT ShowDropDown(bool show) override;

    // --- LControl --------------------------------------------------------------------------

    // The slider's value first (kept for the end of a drag while its thumb is held), then
    // the control's; answers the control's value.
    double SetValue(double value) override;
    void OnValueChanged() override;
    void OnConditionsChanged(LConditionsParam* record) override;
    QKRESULT WantsKey(LKeyParam* key) override;
    // Escape closes the panel; other keys go on as any control's.
    QKRESULT DispatchKey(LKeyParam* key) override;
    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    QKRESULT OnSliderValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification);
    // Moves the panel left so that it ends at the top control's right edge, not left of 0.
    void KeepPanelInsideTop();

    RCPtr<LNotificationHandler<LComboSlider>> m_comboHandlers;
    RCPtr<LControl> m_dropDownPanel;
};

} // namespace QK
