#include "UI/KnobEditPanel.h"

#include "QKFramework/Controls/Label.h"

namespace QK
{

LKnobEditPanel::LKnobEditPanel(LControl* parent, const WString& name)
    : LModuleEditPanel(parent, name, kEditors)
{
}

void LKnobEditPanel::OnBound()
{
    if (const RCPtr<LLabel> label = FindChildAs<LLabel>(*this, u"knobNameLabel"))
        label->SetText(WString::Format(u"K%u", GetIndex() + 1));
}

} // namespace QK
