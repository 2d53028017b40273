// LCheckedComboBox: a combo box whose list ("listBox", required) is an LCheckedListBox. A
// child button "checkBox" shows the selected item's check state and icon; with icons in the
// list the box only shows them (it is passive). The looks tell whether any item is checked:
// the seven combo looks when none is, the same plus 7 when at least one is.
//
// Notifications sent (source: the combo box): the list's "NID_ITEM_CHECK_CHANGE", re-sent
// with the list's own argument, synchronously on the UI thread.
#pragma once

#include "QKFramework/Controls/CheckedListBox.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace QK
{

class LCheckedComboBox : public LComboBox
{
public:
    // Added to each combo look while an item is checked.
    static constexpr std::int32_t kCheckedLookOffset = 7;

    LCheckedComboBox(LControl* parent, const WString& name) : LComboBox(parent, name) {}
    ~LCheckedComboBox() override;

    // The create function of the checked combo box.
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    LCheckedListBox* GetCheckedList() const { return m_checkedList.Get(); }
    bool IsIconMode() const { return m_iconMode; }

    // --- LComboBox -------------------------------------------------------------------------

    std::int32_t SetItemCount(std::uint32_t count) override;
    // Shows the item's check and icon in the box first; an index outside the items leaves
    // the box's value and clears its icon.
    std::int32_t SelectItem(std::int32_t index) override;
    QKRESULT UpdateLook() override;

    // --- LControl --------------------------------------------------------------------------

    // 0x80004005 without a checked list.
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    QKRESULT OnItemCheckChange(const ConstRCPtr<LNotificationDistributor>& source,
                               const ConstRCPtr<LNotification>& notification);
    RCPtr<LButton> GetCheckBox() const;

    RCPtr<LNotificationHandler<LCheckedComboBox>> m_checkedHandlers;
    RCPtr<LCheckedListBox> m_checkedList;
    bool m_iconMode = false;
};

} // namespace QK
