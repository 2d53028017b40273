// What the edit panels share: looking up their named children and reaching the root of the
// view-side module tree, to which every edit is handed.
//
// The skins give every panel the children it uses, but a skin is outside data: a child that
// is missing or of another class is answered as null here, and the panels skip it.
// UI thread only.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/Notification/NotificationHandler.h"

namespace QK
{

// The direct child of that name as a T; null when there is none or it is of another class.
template <class T> RCPtr<T> FindChildAs(const LControl& parent, const char16_t* name)
{
    const RCPtr<LControl> child = parent.FindChild(WString(name));
    return RCPtr<T>(dynamic_cast<T*>(child.Get()));
}

// The top control of the control's tree as the root of the view-side module tree (the main
// control); null outside such a tree.
inline IRootModule* FindViewRootModule(LControl& control)
{
    return dynamic_cast<IRootModule*>(control.GetRootControl());
}

// Hands an edit to the root of the control's tree; an editor outside a module tree has
// nobody to tell, and the edit goes nowhere.
inline QKRESULT RequestParamValueChangeFrom(LControl& control, const ParamDescriptor& descriptor,
                                            const Variant& value)
{
    IRootModule* root = FindViewRootModule(control);
    return root ? root->RequestParamValueChange(descriptor, value, 0) : QK_E_FAIL;
}

// A module of the view-side tree that can tell, before a value reaches it, whether the editor
// of the parameter could show that value as it is stored: a preset file is checked whole
// against the editors before any of its values is applied.
class IParamValueView
{
public:
    // False when the editor of descriptor's parameter cannot show value (out of its range, not
    // one of its items, of another size); true for a parameter the module has no editor for.
    virtual bool CanShowParamValue(const ParamDescriptor& descriptor, const Variant& value) = 0;

protected:
    ~IParamValueView() = default;
};

// A control class with a handler table of its own (made by its Initialize): a notification
// is offered to that table first and to the base class's receiving when the table has no
// entry for it; detaching takes the entry out of the table, then detaches as the base does.
template <class Owner, class Base> class LWithHandlerTable : public Base
{
public:
    using Base::Base;

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        return ReceiveThroughTable<Base>(*this, m_handler, source, notification);
    }
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override
    {
        return DetachThroughTable<Base>(*this, m_handler, source, id);
    }

protected:
    RCPtr<LNotificationHandler<Owner>> m_handler;
};

} // namespace QK
