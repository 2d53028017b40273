#include "UI/PadEditPanel.h"

#include "QKFramework/Controls/Label.h"

#include <string>

namespace QK
{

LPadEditPanel::LPadEditPanel(LControl* parent, const WString& name) : LModuleEditPanel(parent, name, kEditors)
{
}

void LPadEditPanel::OnBound()
{
    const RCPtr<LLabel> label = FindChildAs<LLabel>(*this, u"label");
    if (!label)
        return;
    std::u16string text(label->GetText().GetString(), label->GetText().GetLength());
    const std::size_t place = text.find(u"%d");
    if (place == std::u16string::npos)
        return;
    const WString number = WString::Format(u"%u", (GetIndex() & 7u) + 1u);
    text.replace(place, 2, std::u16string(number.GetString(), number.GetLength()));
    label->SetText(WString(text.c_str()));
}

} // namespace QK
