#include "QKFramework/Controls/Label.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"

namespace QK
{

RCPtr<LControl> LLabel::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LLabel(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

QKRESULT LLabel::InitializeParts()
{
    SetNotFocusable(true);
    return QK_OK;
}

WString LLabel::GetToolTipText() const
{
    // The overflow test lays the look's text out on first use, which changes nothing the
    // caller can see.
    if (const_cast<LLabel*>(this)->IsTextOverflowing())
        return GetText();
    return LControl::GetToolTipText();
}

} // namespace QK
