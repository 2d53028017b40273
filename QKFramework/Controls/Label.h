// LLabel: static text shown through the control's looks ("Framework.Label"). It never takes
// the keyboard focus, and when its text does not fit the text area of its current look the
// tooltip shows the whole text instead of the skin's "TOOLTIP". UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"

namespace QK
{

class LLabel : public LControl
{
public:
    LLabel(LControl* parent, const WString& name) : LControl(parent, name) {}

    // The create function of "Framework.Label".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    QKRESULT InitializeParts() override;
    WString GetToolTipText() const override;
};

} // namespace QK
