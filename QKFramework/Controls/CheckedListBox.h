// LCheckedListBox: a list whose items carry a check state and an icon ("Framework.
// CheckedListBox" and "Framework.ListBoxWithIcons"). Its rows are LCheckedListBoxItem; the
// list keeps the check state in its item records and sets each row's "checkBox" whenever
// it binds the row, with its own subscription to that box suspended, so that a refresh never
// reads back as a user's check.
//
// Two check modes:
//  - auto-check on (the default): a box toggles itself; the list hears its
//    "NID_VALUE_CHANGE", stores the state, keeps the checked count, selects the item and
//    sends "NID_ITEM_CHECK_CHANGE";
//  - auto-check off: a box does not toggle; the list hears its "NID_LEFT_CLICK", copies the
//    box's present value into the item, selects it and sends "NID_ITEM_CHECKBOX_CLICKED",
//    leaving the decision to the owner (SetItemChecked).
// Both carry an LIndexedDataWithValueParam (no data, the item, the box's value), sent
// synchronously on the UI thread from the handler of the box's notification.
//
// A checked list itself (not a class derived from it) whose skin has a look 3 takes that
// look's part bitmaps as icons, dealt out to the items in turn, and its boxes become passive
// icon holders (icon mode). Without icons an item shows its record's own icon.
#pragma once

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/CheckedListBoxItem.h"
#include "QKFramework/Controls/ListBox.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Storage/ConstRCPtrArray.h"

#include <cstdint>
#include <vector>

namespace QK
{

// A checked list's item: the list record, the check state and the item's own icon. Copies
// share the text and icon objects.
struct LCheckedItemRecord : LListItemRecord
{
    // Non-zero when checked.
    std::int32_t Checked = 0;
    ConstRCPtr<LBitmap> Icon;
};

class LCheckedListBox : public LListBox
{
public:
    LCheckedListBox(LControl* parent, const WString& name) : LListBox(parent, name) {}
    ~LCheckedListBox() override;

    // The create function of "Framework.CheckedListBox" and "Framework.ListBoxWithIcons".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to the list's, in slot order -------------------------------------

    // Switching re-subscribes every box to the other notification; the same mode does nothing.
    virtual void SetAutoCheck(bool on);
    // The checked count recounted from the records.
    virtual void CountCheckedItems();
    // Raises the out-of-range exception for an index at or past the count.
    virtual LCheckedItemRecord& GetCheckedItemRecord(std::uint32_t index);

    // --- Own operations --------------------------------------------------------------------

    // Stores the state and shows it; sends nothing. Items past the count are ignored.
    void SetItemChecked(std::uint32_t index, bool checked);
    bool IsItemChecked(std::uint32_t index) const;
    // icons[index mod count] while the list has icons, else the record's own; null past the
    // count.
    ConstRCPtr<LBitmap> GetItemIcon(std::uint32_t index) const;
    // Makes every row's box passive (it takes no pointer and leaves its look to its owner).
    void SetIconMode(bool on);
    bool IsIconMode() const { return m_iconMode; }
    bool IsAutoCheck() const { return m_autoCheck; }
    std::int32_t GetCheckedCount() const { return m_checkedCount; }
    bool HasIcons() const { return m_icons.GetCount() > 0; }
    std::uint32_t GetIconCount() const { return m_icons.GetCount(); }
    // Lays icon (null: none) over every look of box, last look first, stretched, in place of
    // its client part.
    static void SetCheckBoxIcon(LButton& box, const ConstRCPtr<LBitmap>& icon);
    // The row control at position i, in creation order; null past the rows.
    RCPtr<LCheckedListBoxItem> GetCheckedItem(std::uint32_t i) const;

    // --- LListBox --------------------------------------------------------------------------

    std::uint32_t GetItemCount() const override { return static_cast<std::uint32_t>(m_checkedRecords.size()); }
    std::int32_t SetItemCount(std::uint32_t count) override;
    void CreateItemControl() override;
    QKRESULT UpdateItemControl(std::uint32_t index, std::int32_t& row) override;
    QKRESULT SwapItems(std::uint32_t a, std::uint32_t b) override;
    LCheckedItemRecord& GetItemRecord(std::uint32_t index) override;
    QKRESULT InsertItemRecord(std::uint32_t index) override;
    QKRESULT EraseItemRecord(std::uint32_t index) override;

    // --- LControl --------------------------------------------------------------------------

    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

protected:
    using Handlers = LNotificationHandler<LCheckedListBox>;
    Handlers& GetCheckHandlers();
    // Sets a box's value with the list's own "NID_VALUE_CHANGE" subscription suspended.
    void SetCheckBoxValue(LButton& box, double value);
    // Subscribes box to the notification of the present check mode, and withdraws one
    // subscription; a derived list that handles the boxes itself keeps them in its own table.
    virtual void SubscribeCheckBox(LButton& box);
    virtual void UnsubscribeCheckBox(LButton& box, const char16_t* nid);
    // Adds delta to the checked count (derived lists that store checks themselves).
    void AdjustCheckedCount(std::int32_t delta) { m_checkedCount += delta; }
    // A user's check from the box source: stores it (counting it for a value change),
    // selects the item and sends "NID_ITEM_CHECK_CHANGE" (value change) or
    // "NID_ITEM_CHECKBOX_CLICKED" (click). Nothing for a box whose row shows no item.
    QKRESULT HandleCheckBox(const ConstRCPtr<LNotificationDistributor>& source, bool valueChange);
    // Called by HandleCheckBox once the check is stored, before the item is selected.
    virtual void OnItemCheckStored(std::uint32_t) {}

private:
    QKRESULT OnCheckBoxValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                                   const ConstRCPtr<LNotification>& notification);
    QKRESULT OnCheckBoxClick(const ConstRCPtr<LNotificationDistributor>& source,
                             const ConstRCPtr<LNotification>& notification);
    void LoadIcons();

    RCPtr<Handlers> m_checkHandlers;
    std::vector<LCheckedItemRecord> m_checkedRecords;
    bool m_iconMode = false;
    bool m_autoCheck = true;
    std::int32_t m_checkedCount = 0;
    ConstRCPtrArray<LBitmap> m_icons;
};

} // namespace QK
