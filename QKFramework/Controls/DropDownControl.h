// LDropDownControl: the base of the controls that open a drop-down under themselves (the
// combo box, the combo slider and the combo menu); they share the looks 0 to 6 and the
// keys that open and close the drop-down.
//
// A left-button press opens the drop-down; losing the focus closes it. The press that
// closes an open drop-down (by taking the focus back from it) is marked and swallowed, so
// that it does not open the drop-down again: the next press does. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"

namespace QK
{

class LDropDownControl : public LControl
{
public:
    // Looks of a drop-down control.
    static constexpr std::int32_t kLookNormal = 0;
    static constexpr std::int32_t kLookFocused = 1;
    static constexpr std::int32_t kLookHover = 2;
    static constexpr std::int32_t kLookFocusedHover = 3;
    static constexpr std::int32_t kLookDroppedDown = 4;
    static constexpr std::int32_t kLookDroppedDownHover = 5;
    static constexpr std::int32_t kLookDisabled = 6;

    LDropDownControl(LControl* parent, const WString& name) : LControl(parent, name) {}
    ~LDropDownControl() override;

    // --- Operations added to LControl's, in slot order -------------------------------------

    virtual bool IsDroppedDown() = 0;
    virtual QKRESULT ShowDropDown(bool show) = 0;

    // --- LControl --------------------------------------------------------------------------

    QKRESULT Initialize() override;
    QKRESULT SetFocus(bool forward) override;
    void OnConditionsChanged(LConditionsParam* record) override;
    // The focus left the control and its drop-down: the drop-down closes.
    QKRESULT KillFocus() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

protected:
    // The look for the control's state: disabled, dropped down, hovered, focused.
    std::int32_t GetDropDownLook();
    // Shows that look when the skin has it.
    void SelectDropDownLook();
    // Down or Enter opens a closed drop-down, Escape closes an open one (all without
    // modifiers): QK_OK for these, QK_FALSE for other keys.
    QKRESULT OpenOrCloseByKey(LKeyParam* key);

private:
    // The control's own "NID_MOUSE_DOWN": a press that found the drop-down open is swallowed.
    QKRESULT OnPress(const ConstRCPtr<LNotificationDistributor>& source, const ConstRCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LDropDownControl>> m_dropDownHandlers;
    bool m_wasOpenAtFocus = false;
    bool m_swallowPress = false;
    bool m_settingFocus = false;
};

} // namespace QK
