// LMainMenu: the menu bar ("Framework.MainMenu"), a row of combo menus made from its skin
// child "templateMenu", labelled from the string-table entries "MENU_LABEL.n" and filled
// from the "CONTEXT_MENU" groups. Each popup sends its commands to the root window's posting
// receiver, so a command runs at the next idle pass, like a root-window hot key. The bar
// remembers the control that had the focus before the focus moved into it and gives it the
// focus back when an item is chosen. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/ControlBase/MenuItemUpdater.h"

#include <cstdint>

namespace QK
{

class LComboMenu;
class LControlDescriptor;

class LMainMenu : public LControl
{
public:
    LMainMenu(LControl* parent, const WString& name) : LControl(parent, name) {}
    ~LMainMenu() override;

    // The create function of "Framework.MainMenu".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // True when updater was the stored one already.
    bool SetMenuItemUpdater(const RCPtr<LMenuItemUpdater>& updater);
    // 0x80070057 past the added buttons; else InsertMenuBefore the button now at position.
    std::int32_t InsertMenu(std::uint32_t position, const WString& name, const WString& label,
                            const ConstRCPtr<LMenuDescriptor>& menu);
    // The new button's position among the added ones; 0x80070057 for an unknown beforeName,
    // and for a name the bar has already (nothing changes then).
    std::int32_t InsertMenuBefore(const WString& beforeName, const WString& name, const WString& label,
                                  const ConstRCPtr<LMenuDescriptor>& menu);
    // 0x80070057 when the bar has a child of that name.
    QKRESULT AppendMenuButton(const WString& name);
    ConstRCPtr<LMenuDescriptor> GetMenuDescriptor(LComboMenu* button) const;
    std::uint32_t GetMenuCount() const;
    RCPtr<LComboMenu> GetMenuButton(std::uint32_t index) const;
    WString GetMenuName(std::uint32_t position) const;
    std::int32_t FindMenu(const WString& name) const;
    // The control that had the focus before the bar was entered.
    RCPtr<LControl> GetRememberedFocus() const { return m_commandTarget; }

    RCPtr<LControl> GetCommandTarget() override;
    void OnConditionsChanged(LConditionsParam* record) override;
    QKRESULT RegisterNotifications() override;
    std::int32_t IsCommandEnabled(const LMenuDescriptor* menu, std::uint32_t index, const WString& nid,
                                  LMenuItemState& state) override;
    QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor) override;
    QKRESULT Initialize() override;
    QKRESULT AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor) override;

private:
    std::uint32_t GetAddedCount() const;
    RCPtr<LComboMenu> GetAddedButton(std::uint32_t position) const;
    void EquipButton(LComboMenu& button);

    RCPtr<LControl> m_commandTarget;
    ConstRCPtr<LControlDescriptor> m_template;
    RCPtr<LMenuItemUpdater> m_itemUpdater;
    std::uint32_t m_fixedCount = 0;
    bool m_templateChild = false;
};

} // namespace QK
