#include "QKFramework/Controls/Dropper.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"

namespace QK
{

template <class Payload> void LDropperT<Payload>::EndDrag()
{
    // The base's end of a move would put the control back into its parent's layout; a
    // dropper leaves instead, but the cursor of the move must not outlive it.
    const RCPtr<LControl> self(this);
    if (IRootWindow* root = GetRootWindowLink())
        root->SetCursor(LControlApp::GetCursor(WString(u"UI_CURSOR_ARROW")));
    if (LControl* parent = GetParent())
        parent->RemoveChild(this);
}

template <class Payload> void LDropperT<Payload>::OnConditionsChanged(LConditionsParam* conditions)
{
    if (conditions && (conditions->NewConditions & kLeftButtonDown) && !(conditions->OldConditions & kLeftButtonDown))
    {
        SetDragMode(kDragDrop, kAxisHorizontal | kAxisVertical);
        SetDragThreshold(0);
    }
}

template <class Payload> QKRESULT LDropperT<Payload>::InitializeParts()
{
    SetNotFocusable(true);
    SetVisible(true);
    return QK_OK;
}

template class LDropperT<std::int32_t>;
template class LDropperT<WString>;

RCPtr<LControl> LDropper::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LDropper>(parent, descriptor);
}

RCPtr<LControl> LFileDropper::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LFileDropper>(parent, descriptor);
}

} // namespace QK
