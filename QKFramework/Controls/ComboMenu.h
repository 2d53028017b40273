// LComboMenu: a menu title whose drop-down is a popup menu ("Framework.ComboMenu"), one per
// menu of the menu bar. Its child "popupMenu" (an LPopupMenu, auto close off) opens below it
// on a press, kept inside the top control's width; while one title's menu is open, moving
// the pointer onto another title switches to that title's menu. Press, drag into the popup
// and release on an item chooses the item.
//
// Looks: 0 enabled, 1 pointer over it, 2 open, 3 disabled. A combo menu without a
// "popupMenu" child refuses in Initialize. UI thread only.
#pragma once

#include "QKFramework/Controls/DropDownControl.h"
#include "QKFramework/Controls/PopupMenu.h"
#include "QKFramework/Notification/NotificationHandler.h"

namespace QK
{

class LComboMenu : public LDropDownControl
{
public:
    static constexpr std::int32_t kLookNormal = 0;
    static constexpr std::int32_t kLookHover = 1;
    static constexpr std::int32_t kLookOpen = 2;
    static constexpr std::int32_t kLookDisabled = 3;
    // Shown while the title holds the focus and its menu is closed, where the skin gives them.
    static constexpr std::int32_t kLookFocused = 4;
    static constexpr std::int32_t kLookFocusedHover = 5;

    LComboMenu(LControl* parent, const WString& name) : LDropDownControl(parent, name) {}
    ~LComboMenu() override;

    // The create function of "Framework.ComboMenu".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // The "popupMenu" child, or null.
    RCPtr<LPopupMenu> GetPopupMenu() const;

    bool IsDroppedDown() override;
    QKRESULT ShowDropDown(bool show) override;
    void OnConditionsChanged(LConditionsParam* record) override;
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    QKRESULT OnPopupItemActivated(const ConstRCPtr<LNotificationDistributor>& source,
                                  const ConstRCPtr<LNotification>& notification);
    QKRESULT OnPopupVisibilityChanged(const ConstRCPtr<LNotificationDistributor>& source,
                                      const ConstRCPtr<LNotification>& notification);
    std::int32_t RestingLook();

    RCPtr<LNotificationHandler<LComboMenu>> m_menuHandlers;
    double m_popupOffsetX = 0.0;
    double m_pressX = 0.0;
    double m_pressY = 0.0;
};

} // namespace QK
