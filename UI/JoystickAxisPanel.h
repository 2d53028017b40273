// LJoystickAxisPanel ("PresetEditor.Joystick.Axis"): one axis of the joystick: its type
// ("PITCHBEND", "SINGLE CC", "DUAL CC") and two controller numbers. The controller numbers
// show only as far as the type uses them, for a type chosen by the user or shown from the
// model alike; their labels ("1", "2") only when both show. Its "label" names the axis by the index it is bound with.
// UI thread only.
#pragma once

#include "UI/PresetEditorCommon/EditPanelSupport.h"

#include "UI/ModuleEditPanel.h"

namespace QK
{

class LComboBox;

class LJoystickAxisPanel : public LWithHandlerTable<LJoystickAxisPanel, LModuleEditPanel<IJoystick>>
{
public:
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kTypeComboSite{"LJoystickAxisPanel::GetTypeComboBoxRCPtr",
                                              "UI\\JoystickAxisPanel", 81};
    static constexpr ThrowSite kInitializeSite{"LJoystickAxisPanel::Initialize", "UI\\JoystickAxisPanel", 31};

    enum : std::uint32_t
    {
        kType = 0,
        kFirstCC = 1,
        kSecondCC = 2
    };

    // The child editors, by skin name, with the skin class of each.
    static constexpr ModuleEditorSlot kEditors[] = {
        {u"type", kType, u"PresetEditor.ParameterControl.JoystickType"},
        {u"cc1", kFirstCC, u"PresetEditor.ParameterControl.CCValuePanel"},
        {u"cc2", kSecondCC, u"PresetEditor.ParameterControl.CCValuePanel"}};

    LJoystickAxisPanel(LControl* parent, const WString& name);
    ~LJoystickAxisPanel() override;

    // The type editor's "comboBox"; throws the null-pointer error of kTypeComboSite when
    // there is no type editor, and answers null when the editor has no combo box.
    RCPtr<LComboBox> GetTypeComboBoxRCPtr() const;

    QKRESULT Initialize() override;

protected:
    void OnBound() override;

private:
    QKRESULT OnTypeSelectionChange(const ConstRCPtr<LNotificationDistributor>& source,
                                   const ConstRCPtr<LNotification>& notification);
    void ShowControllerNumbers(bool first, bool second);
};

} // namespace QK
