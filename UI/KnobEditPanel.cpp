#include "UI/KnobEditPanel.h"

#include "QKFramework/Controls/Label.h"

namespace QK
{

namespace
{
constexpr ModuleEditorSlot kKnobEditors[] = {{u"ccValuePanel", LKnobEditPanel::kControllerNumber},
                                             {u"minValuePanel", LKnobEditPanel::kMinimum},
                                             {u"maxValuePanel", LKnobEditPanel::kMaximum},
                                             {u"knobName", LKnobEditPanel::kName}};
} // namespace

LKnobEditPanel::LKnobEditPanel(LControl* parent, const WString& name)
    : LModuleEditPanel(parent, name, kKnobEditors)
{
}

void LKnobEditPanel::OnBound()
{
    if (const RCPtr<LLabel> label = FindChildAs<LLabel>(*this, u"knobNameLabel"))
        label->SetText(WString::Format(u"K%u", GetIndex() + 1));
}

} // namespace QK
