#include "QKFramework/ControlBase/Control.h"

#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"

namespace QK
{

LControl::LControl(LControl* parent, const WString& name) : m_name(name), m_parent(parent) {}

LControl::~LControl() = default;

QKRESULT LControl::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return QK_E_INVALIDARG;
    // The read-only holder takes a reference; the description itself is never changed here.
    m_descriptor = const_cast<LControlDescriptor*>(descriptor);
    m_layout = descriptor->Layout;
    return QK_OK;
}

QKRESULT LControl::SetRootWindow(IRootWindow* rootWindow)
{
    if (m_parent)
        return QK_E_FAIL;
    m_rootWindow = rootWindow;
    return QK_OK;
}

} // namespace QK
