// LTreeView: a tree shown as a flat checked list in depth-first order. Every item record
// names its parent (-1 for a top-level item); a parent comes before its children and an
// item's descendants directly follow it. An item's check box is its expander: it is enabled
// only for an item with descendants, and a descendant shows only while every one of its
// ancestors is checked. Rows (LTreeViewItem) are indented by depth × their box's width.
//
// The owner builds the tree with the list's item operations and the records' parent
// indexes (GetItemRecord), then calls UpdateDescendantVisibility for the parents it filled.
//
// Notifications sent (source: the tree), each with an LIndexedDataWithValueParam (no data,
// the item, the box's value): "NID_ITEM_CHECK_CHANGE" when a box changed its value
// (auto-check on) and "NID_ITEM_CHECKBOX_CLICKED" when a box was clicked (auto-check off),
// synchronously on the UI thread.
#pragma once

#include "QKFramework/Controls/CheckedListBox.h"
#include "QKFramework/Notification/NotificationHandler.h"

#include <cstdint>
#include <vector>

namespace QK
{

// A tree item: the checked list's record and the index of the item's parent.
struct LTreeItemRecord : LCheckedItemRecord
{
    std::int32_t ParentIndex = -1;
};

class LTreeViewItem : public LCheckedListBoxItem
{
public:
    LTreeViewItem(LControl* parent, const WString& name) : LCheckedListBoxItem(parent, name) {}

    // The create function of the tree's rows.
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // Moves the row right by depth × the width of its "checkBox".
    void SetIndent(std::int32_t depth);
};

class LTreeView : public LCheckedListBox
{
public:
    LTreeView(LControl* parent, const WString& name) : LCheckedListBox(parent, name) {}
    ~LTreeView() override;

    // The create function of the tree view.
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to the checked list's, in slot order -----------------------------

    // Makes index (with its subtree) the last child of newParent (below 0: a top-level
    // item) and answers its new index. Nothing is done, and index comes back, for index 0,
    // an index past the items, a parent that is the item itself, its present parent, an
    // item of its own subtree or past the items.
    virtual std::int32_t MoveItem(std::int32_t index, std::int32_t newParent);
    // -1 past the items.
    virtual std::int32_t GetParentIndex(std::uint32_t index) const;
    // The number of ancestors; 0 past the items.
    virtual std::int32_t GetItemDepth(std::uint32_t index) const;
    // The size of the item's subtree without the item; 0 past the items.
    virtual std::int32_t GetDescendantCount(std::uint32_t index) const;
    // Raises the out-of-range exception for an index at or past the count.
    LTreeItemRecord& GetItemRecord(std::uint32_t index) override;
    // Shows each descendant of index whose ancestors are all checked and hides the others.
    virtual void UpdateDescendantVisibility(std::uint32_t index);

    // --- LCheckedListBox and LListBox ------------------------------------------------------

    LCheckedItemRecord& GetCheckedItemRecord(std::uint32_t index) override { return GetItemRecord(index); }
    std::uint32_t GetItemCount() const override { return static_cast<std::uint32_t>(m_treeRecords.size()); }
    // Removes the item with its subtree.
    std::int32_t RemoveItem(std::uint32_t index) override;
    // A tree is never sorted: 0x80004001.
    QKRESULT SortItems(std::uint32_t first, std::uint32_t count) override;
    QKRESULT SwapItems(std::uint32_t a, std::uint32_t b) override;
    QKRESULT InsertItemRecord(std::uint32_t index) override;
    // Erases the record and its whole subtree; 0x80070057 past the items.
    QKRESULT EraseItemRecord(std::uint32_t index) override;
    QKRESULT UpdateItemControl(std::uint32_t index, std::int32_t& row) override;

    // --- LControl --------------------------------------------------------------------------

    void OnTimer() override { EndIdleAnimation(); }
    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

protected:
    void SubscribeCheckBox(LButton& box) override;
    void UnsubscribeCheckBox(LButton& box, const char16_t* nid) override;
    // The branch under the item shows or hides with its check.
    void OnItemCheckStored(std::uint32_t index) override;

private:
    using TreeHandlers = LNotificationHandler<LTreeView>;
    TreeHandlers& GetTreeHandlers();
    QKRESULT OnCheckBoxValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                                   const ConstRCPtr<LNotification>& notification);
    QKRESULT OnCheckBoxClick(const ConstRCPtr<LNotificationDistributor>& source,
                             const ConstRCPtr<LNotification>& notification);
    // Whether ancestor lies on index's parent chain.
    bool IsDescendantOf(std::uint32_t index, std::uint32_t ancestor) const;
    bool AncestorsChecked(std::uint32_t index) const;
    // Checks index so that its children show.
    void Expand(std::uint32_t index);

    RCPtr<TreeHandlers> m_treeHandlers;
    std::vector<LTreeItemRecord> m_treeRecords;
    bool m_updatingItem = false;
};

} // namespace QK
