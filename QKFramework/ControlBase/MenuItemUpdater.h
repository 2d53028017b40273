// LMenuDescriptor: a menu as the context menus and menu bars describe it (its items come with
// the menus themselves). LMenuItemUpdater: what decides the state of a menu's items: it holds
// the control whose IsCommandEnabled answers for them.
//
// A control makes its updater on first use (LControl::GetMenuItemUpdater); the updater's
// reference back to the control is one internal reference of the control, so that it does
// not keep the control alive, and the control clears it when it is torn down. UI thread only.
#pragma once

#include "QKFramework/Notification/TaggableObject.h"
#include "QKFramework/ObjectBase/RCPtr.h"

namespace QK
{

class LControl;

class LMenuDescriptor : public LTaggableObject
{
public:
    LMenuDescriptor() = default;
    ~LMenuDescriptor() override = default;
};

class LMenuItemUpdater : public virtual LRefCountedObject
{
public:
    explicit LMenuItemUpdater(LControl* control);
    ~LMenuItemUpdater() override;

    LControl* GetControl() const;
    // Lets go of the control (its teardown).
    void ClearControl();

private:
    RCPtr<LControl> m_control;
};

} // namespace QK
