// What the control base asks of the two controls it creates on demand from the skin: the
// tooltip ("toolTip") and the context menu ("contextMenu"). The standard controls implement
// them; the base finds them by these interfaces and does nothing with any other control.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

namespace QK
{

class LMenuDescriptor;

class IToolTipControl
{
public:
    // Cancels a pending show and hides the tooltip.
    virtual void Hide() = 0;
    // Sets the text, sizes and places the tooltip below the pointer and shows it.
    virtual void Show(const WString& text) = 0;

protected:
    ~IToolTipControl() = default;
};

class IPopupMenuControl
{
public:
    // Copies the menu and rebuilds the items; 0x80070057 for a null menu.
    virtual QKRESULT SetMenuDescriptor(const LMenuDescriptor* menu) = 0;
    // Places the popup at the pointer inside the root window and shows it.
    virtual void PopUp() = 0;

protected:
    ~IPopupMenuControl() = default;
};

} // namespace QK
