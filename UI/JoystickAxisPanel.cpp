#include "UI/JoystickAxisPanel.h"

#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/Label.h"

namespace QK
{

LJoystickAxisPanel::LJoystickAxisPanel(LControl* parent, const WString& name)
    : LWithHandlerTable(parent, name, kEditors)
{
}

LJoystickAxisPanel::~LJoystickAxisPanel() = default;

RCPtr<LComboBox> LJoystickAxisPanel::GetTypeComboBoxRCPtr() const
{
    const RCPtr<LVariantBufferSetterParameterPanel> type = GetEditor(kType);
    if (!type)
        ThrowNullPointer(kTypeComboSite, "Cannot find child type");
    return FindChildAs<LComboBox>(*type, u"comboBox");
}

QKRESULT LJoystickAxisPanel::Initialize()
{
    const QKRESULT result = LPanel::Initialize();
    if (Failed(result))
        return result;
    m_handler = LNotificationHandler<LJoystickAxisPanel>::Create(this);
    if (!m_handler)
        return result;
    if (const RCPtr<LComboBox> combo = GetTypeComboBoxRCPtr())
        CheckResult(m_handler->AddHandler(&LJoystickAxisPanel::OnTypeSelectionChange,
                                          ConstRCPtr<LNotificationDistributor>(combo.Get()),
                                          kNidSelectionChange),
                    kInitializeSite);
    ShowControllerNumbers(false, false);
    return result;
}

void LJoystickAxisPanel::ShowControllerNumbers(bool first, bool second)
{
    // The labels number the two controller fields; beside a single field a "1" tells nothing
    // and reads as a stray digit, so the labels show only with both fields.
    const std::pair<const char16_t*, bool> children[] = {{GetEditorName(kFirstCC), first},
                                                         {u"labelCC1", first && second},
                                                         {GetEditorName(kSecondCC), second},
                                                         {u"labelCC2", second}};
    for (const auto& [name, show] : children)
        if (const RCPtr<LControl> child = FindChild(WString(name)))
            child->SetVisible(show);
}

QKRESULT LJoystickAxisPanel::OnTypeSelectionChange(const ConstRCPtr<LNotificationDistributor>&,
                                                   const ConstRCPtr<LNotification>&)
{
    const RCPtr<LComboBox> combo = GetTypeComboBoxRCPtr();
    switch (combo ? combo->GetSelectedIndex() : -1)
    {
    case 0:
        ShowControllerNumbers(false, false);
        break;
    case 1:
        ShowControllerNumbers(true, false);
        break;
    case 2:
        ShowControllerNumbers(true, true);
        break;
    default:
        break;
    }
    return QK_FALSE;
}

void LJoystickAxisPanel::OnBound()
{
    const RCPtr<LLabel> label = FindChildAs<LLabel>(*this, u"label");
    if (!label)
        return;
    const std::uint32_t index = GetIndex();
    const char16_t* key = index == 0 ? u"LABEL_X_AXIS" : index == 1 ? u"LABEL_Y_AXIS" : u"LABEL";
    label->SetText(label->GetSkinParam(WString(key)));
}

} // namespace QK
