// LDropDownControl: the base of the controls that open a drop-down under themselves (the
// combo box and the later combo slider and combo menu).
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
    bool DispatchDropDownEntry(const ConstRCPtr<LNotificationDistributor>& source,
                               const ConstRCPtr<LNotification>& notification, QKRESULT& result);

private:
    // The control's own "NID_MOUSE_DOWN": a press that found the drop-down open is swallowed.
    QKRESULT OnPress(const ConstRCPtr<LNotificationDistributor>& source, const ConstRCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LDropDownControl>> m_dropDownHandlers;
    bool m_wasOpenAtFocus = false;
    bool m_swallowPress = false;
    bool m_settingFocus = false;
};

} // namespace QK
