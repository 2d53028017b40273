// LControl: the base of every skinned control and application panel.
//
// A control has a name, a parent (null for the top control of a tree, which is linked to its
// root window instead) and the skin description it was built from. Each control class has a
// create function, registered with the control factory under the class's skin name, that
// constructs the control with (parent, name) and builds it with CreateFromDescriptor.
// Controls live on the UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

class IRootWindow;
class LControlDescriptor;
class LLayoutDescriptor;

class LControl : public virtual LRefCountedObject
{
public:
    LControl(LControl* parent, const WString& name);
    ~LControl() override;

    const WString& GetName() const { return m_name; }
    LControl* GetParent() const { return m_parent; }
    const ConstRCPtr<LControlDescriptor>& GetControlDescriptor() const { return m_descriptor; }
    const RCPtr<LLayoutDescriptor>& GetLayoutDescriptor() const { return m_layout; }
    const RCPtr<IRootWindow>& GetRootWindow() const { return m_rootWindow; }

    // Builds the control from its skin description: keeps the description and its layout.
    // 0, or 0x80070057 without a description.
    virtual QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor);
    // Links a top-level control to the window that shows it: 0, or 0x80004005 for a control
    // that has a parent.
    QKRESULT SetRootWindow(IRootWindow* rootWindow);

private:
    WString m_name;
    LControl* m_parent;
    ConstRCPtr<LControlDescriptor> m_descriptor;
    RCPtr<LLayoutDescriptor> m_layout;
    RCPtr<IRootWindow> m_rootWindow;
};

} // namespace QK
