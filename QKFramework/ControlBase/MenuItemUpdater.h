// LMenuItemUpdater: what decides the state of a menu's items: it holds the control whose
// IsCommandEnabled answers for them. A popup offers each plain item to it before it shows.
//
// A control makes its updater on first use (LControl::GetMenuItemUpdater); the updater's
// reference back to the control is one internal reference of the control, so that it does
// not keep the control alive, and the control clears it when it is torn down. UI thread only.
#pragma once

#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/ObjectBase/RCPtr.h"

namespace QK
{

class LControl;

class LMenuItemUpdater : public virtual LRefCountedObject
{
public:
    explicit LMenuItemUpdater(LControl* control);
    ~LMenuItemUpdater() override;

    LControl* GetControl() const;
    // The control's IsCommandEnabled with these arguments; 0x80004005 once the control is gone.
    std::int32_t IsCommandEnabled(const LMenuDescriptor* menu, std::uint32_t index, const WString& nid,
                                  LMenuItemState& state) const;
    // Lets go of the control (its teardown).
    void ClearControl();

private:
    RCPtr<LControl> m_control;
};

} // namespace QK
