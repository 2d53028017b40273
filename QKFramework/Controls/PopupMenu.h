// LPopupMenu: the skinned pop-up menu ("Framework.PopupMenu"), a checked list showing the
// items of one LMenuDescriptor, with LMenuListBoxItem rows ("Framework.MenuItem").
//
// An item with sub-items opens a nested popup, a copy of this menu's own description named
// "submenu", once the pointer has rested on it for more than 250 ms (counted on idle
// passes); a chosen item sends "NID_ITEM_ACTIVATED" on the menu's own distributor and then
// hands a notification named by the item's command, with an LMenuActivationParam, to the
// command target's receive operation. The command target is the explicit one
// (SetCommandTarget) or else the first ancestor that is no popup menu.
//
// While the pointer rests on a row, the item's status text (its tool tip) is sent on the
// application's notification centre as "NID_MENU_STATUS_TEXT" (an LWrapperStringable), and
// "NID_MENU_STATUS_TEXT_RESTORE" follows when it leaves the row; a status bar listens.
//
// Three users: a control's context menu, the menus of the menu bar and the drop-down of a
// combo menu. Auto close (on by default) closes the whole chain on focus loss, Escape and
// activation; the combo menu turns it off for its own popup. UI thread only.
//
// Contents: LMenuListBoxItem; LPopupMenu.
#pragma once

#include "QKFramework/ControlBase/ControlPopups.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/ControlBase/MenuItemUpdater.h"
#include "QKFramework/Controls/CheckedListBox.h"

#include <cstdint>

namespace QK
{

class LGlobalHotKeyManager;
class LNotificationReceiver;

class LMenuListBoxItem : public LCheckedListBoxItem
{
public:
    LMenuListBoxItem(LControl* parent, const WString& name) : LCheckedListBoxItem(parent, name) {}

    // The create function of "Framework.MenuItem".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    bool SetItemLook(std::int32_t look, std::int32_t flag) override;
};

class LPopupMenu : public LCheckedListBox, public IPopupMenuControl
{
public:
    static constexpr std::uint32_t kHoverDelayMs = 250;
    static constexpr std::int32_t kCheckLookUnchecked = 0;
    static constexpr std::int32_t kCheckLookChecked = 7;
    static constexpr std::int32_t kCheckLookCheckedHover = 8;

    LPopupMenu(LControl* parent, const WString& name) : LCheckedListBox(parent, name) {}
    ~LPopupMenu() override;

    // The create function of "Framework.PopupMenu".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Own operations --------------------------------------------------------------------

    // 0x80070057 for null. Closes an open submenu, keeps a copy, fills in the hot-key texts
    // and rebuilds the rows.
    QKRESULT SetMenuDescriptor(const LMenuDescriptor* menu) override;
    // 0x80070057 for null, 0x80004005 when the menu has one already.
    QKRESULT SetCommandTarget(const RCPtr<LNotificationReceiver>& target);
    // Shows the menu at the pointer, inside the root window, and takes the focus.
    void PopUp() override;
    // 0x80070057 when the item has no sub-items.
    QKRESULT OpenSubmenu(std::int32_t index);
    void CloseSubmenu();
    void CloseMenuChain();
    // Escape: an auto-close chain closes itself; a drop-down's chain (a combo menu's, whose
    // auto close is off) gives the focus back to where it was before the menu bar and is
    // closed by its drop-down.
    void CloseFromKeyboard();
    // Gives the focus back to what the menu bar remembered, hides, sends "NID_ITEM_ACTIVATED"
    // and the current item's command, then closes the chain (auto close).
    void ActivateItem();
    // The root window's hot keys, for the hot-key texts.
    void SetHotKeyManager(const RCPtr<LGlobalHotKeyManager>& manager);
    void UpdateItemStates();
    // 1 when the record matches the item, 0 after applying it, 0x80070057 past the items.
    QKRESULT ApplyItemState(std::uint32_t index, const LMenuItemState& state);
    RCPtr<LNotificationReceiver> FindCommandTarget();
    LPopupMenu* GetParentMenu() const;
    bool IsInMenuChain(const LControl* control) const;
    void SetAutoClose(bool on) { m_autoClose = on; }
    bool IsAutoClose() const { return m_autoClose; }
    void SetStateTarget(const RCPtr<LMenuItemUpdater>& updater) { m_stateTarget = updater; }

    ConstRCPtr<LMenuDescriptor> GetMenuDescriptor() const { return ConstRCPtr<LMenuDescriptor>(m_menu.Get()); }
    const RCPtr<LPopupMenu>& GetOpenSubmenu() const { return m_openSubmenu; }
    bool IsHoverPending() const { return m_hoverPending; }
    std::int32_t GetSeparatorHeight() const { return m_separatorHeight; }

    // --- LControl --------------------------------------------------------------------------

    QKRESULT SetFocus(bool forward) override;
    bool SetVisible(bool show) override;
    void OnConditionsChanged(LConditionsParam* record) override;
    QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor) override;
    QKRESULT FocusFromMouse(LControl*) override { return QK_OK; }
    void OnMouseMove(const LPointWithModifiersParam* point) override;
    QKRESULT WantsKey(LKeyParam* key) override;
    // Left, Right and Escape are the menu's before the scroll bars see them as sibling keys.
    QKRESULT KeyInput(LKeyParam* key) override;
    void OnTimer() override;
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    // --- LListBox --------------------------------------------------------------------------

    void BeforeSelectionNotify() override;
    void ActivateItem(std::uint32_t index) override;
    void CreateItemControl() override;
    QKRESULT UpdateItemControl(std::uint32_t index, std::int32_t& row) override;
    std::uint32_t GetContentHeight() const override;
    bool CanSelectItem(std::uint32_t index) const override;
    using LCheckedListBox::ActivateItem;
    QKRESULT SwapItems(std::uint32_t, std::uint32_t) override { return QK_E_NOTIMPL; }
    std::int32_t GetItemTextWidth(std::uint32_t index) override;
    // The width the row of item index needs: the text margin, the label and the hot key,
    // each text measured in its own part's font. 0 without a menu or rows.
    std::int32_t UpdateHotKeyLabel(std::uint32_t index);

private:
    QKRESULT OnItemHoverChanged(const ConstRCPtr<LNotificationDistributor>& source,
                                const ConstRCPtr<LNotification>& notification);
    QKRESULT SetDescriptorFromParentItem(LPopupMenu& parent, std::uint32_t index);
    void UpdateHotKeyTexts();
    void UpdateHotKeyTexts(LMenuDescriptor& menu, const RCPtr<LNotificationReceiver>& target);
    void RebuildRows();
    // The control the menu bar above this menu remembered takes the focus back.
    void ReturnFocusFromMenuBar();
    void LayoutToContent();
    void StartHoverTimer();
    void StopHoverTimer();
    std::int32_t CurrentIndex() const;
    const LMenuItemDescriptor* ItemAt(std::int32_t index) const;
    LMenuItemDescriptor* MutableItemAt(std::int32_t index) const;
    RCPtr<LMenuItemUpdater> GetStateTarget();
    LControl* GetCommandTargetControl();

    RCPtr<LNotificationHandler<LPopupMenu>> m_menuHandlers;
    RCPtr<LMenuDescriptor> m_menu;
    RCPtr<LPopupMenu> m_openSubmenu;
    const LMenuItemDescriptor* m_openItem = nullptr;
    RCPtr<LNotificationReceiver> m_commandTarget;
    RCPtr<LMenuItemUpdater> m_stateTarget;
    RCPtr<LGlobalHotKeyManager> m_hotKeys;
    bool m_hoverPending = false;
    std::uint32_t m_hoverStart = 0;
    bool m_suppressClose = false;
    bool m_autoClose = true;
    bool m_closing = false;
    bool m_idling = false;
    std::int32_t m_separatorHeight = 0;
    std::int32_t m_separatorCount = 0;
};

} // namespace QK
