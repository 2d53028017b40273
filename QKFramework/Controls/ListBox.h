// LListBox: the skinned list ("Framework.ListBox", also "Framework.listboxNoScroll"), a
// scroll view showing a vertical list of text items.
//
// Items are data, not controls: the list keeps one record per item and a few row controls
// (LListBoxItem), one per visible row, cloned from the skin's "templateItem" as
// "ItemControl1", "ItemControl2", ... only as many as cover the client area, never removed
// while the list lives and rebound whenever the list scrolls or its items change. Rows are
// docked vertically, so they stay in view while the content scrolls under them and the
// list moves its items through them a whole row at a time. A skin may instead give fixed
// rows named "item1", "item2", ...
//
// Hidden items take no row, no scroll space and no content height. In popup mode (the
// drop-downs switch it on) the selection follows the pointer, a release picks, and no
// "NID_SELECTION_CHANGE" is sent.
//
// Notifications sent (source: the list): "NID_ITEM_ACTIVATED", "NID_SELECTION_CHANGE",
// "NID_ITEM_DOUBLE_CLICKED", "NID_ITEM_RIGHT_CLICK" (LHolder<int>),
// "NID_ITEM_HOVER_CONDITION_CHANGE" and "NID_ITEM_LEFT_DRAG_CONDITION_CHANGE"
// (LItemConditionsParam), all synchronously on the UI thread.
//
// Contents: LListBox (overrides, list operations, selection, rows, fields).
#pragma once

#include "QKFramework/ControlBase/ScrollView.h"
#include "QKFramework/Controls/ListBoxItem.h"

#include <cstdint>
#include <vector>

namespace QK
{

class LControlDescriptor;
class LStringTable;

class LListBox : public LScrollView
{
public:
    LListBox(LControl* parent, const WString& name);
    ~LListBox() override;

    // The create function of "Framework.ListBox" and "Framework.listboxNoScroll".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to the scroll view's, in slot order ------------------------------

    virtual std::uint32_t GetItemCount() const { return static_cast<std::uint32_t>(m_records.size()); }
    // n when reached, else minus the count reached.
    virtual std::int32_t SetItemCount(std::uint32_t count);
    // The new count; 0x80070057 for a bad index.
    virtual std::int32_t RemoveItem(std::uint32_t index);
    // 1 when empty, 0x80004005 when a record could not be erased, else 0.
    virtual QKRESULT RemoveAllItems();
    virtual bool SortAll();
    // Measures the item height and text margin from a sample row.
    virtual QKRESULT GetItemHeight(LListBoxItem* sample);
    virtual void BeforeSelectionNotify() {}
    virtual void OnItemActivate() {}
    // The item a row control shows; -1 for another control or a row below the last item.
    virtual std::int32_t FindItem(const LControl* row) const;
    // 0x80070057 for a bad index, 1 when unchanged, else 0.
    virtual QKRESULT SetItemHidden(std::uint32_t index, bool hidden);
    virtual void CreateItemControl();
    // Binds the row showing index: 1 (row -1) when index has no row, else 0.
    virtual QKRESULT UpdateItemControl(std::uint32_t index, std::int32_t& row);
    virtual std::int32_t GetRowOfItem(std::uint32_t index) const;
    virtual std::int32_t GetItemTextWidth(std::uint32_t index);
    virtual std::uint32_t GetContentHeight() const;
    virtual bool CanSelectItem(std::uint32_t) const { return true; }
    virtual QKRESULT SwapItems(std::uint32_t a, std::uint32_t b);
    // 1 for nothing to sort, 0x80070057 for a range past the items, else 0.
    virtual QKRESULT SortItems(std::uint32_t first, std::uint32_t count);
    // Record access; the three writers keep every other operation away from the storage.
    virtual LListItemRecord& GetItemRecord(std::uint32_t index);
    virtual QKRESULT InsertItemRecord(std::uint32_t index);
    virtual QKRESULT EraseItemRecord(std::uint32_t index);

    // --- Items -----------------------------------------------------------------------------

    // index (clamped to the count), or a negative result.
    std::int32_t InsertItem(std::uint32_t index, const WString& text);
    std::int32_t AddItem(const WString& text) { return InsertItem(GetItemCount(), text); }
    void SetItemText(std::uint32_t index, const WString& text);
    // Gives the item a text object of another item (shared, not copied); nothing past the
    // items.
    void SetItemTextObject(std::uint32_t index, const ConstRCPtr<LRefCountedObject>& text);
    void SetItem(std::uint32_t index, const WString& text, double value, bool alternate, bool separator);
    bool SetItemAlternate(std::uint32_t index, bool alternate);
    bool SetItemSeparator(std::uint32_t index, bool separator);
    void SetItemValue(std::uint32_t index, double value);
    bool IsItemSelected(std::uint32_t index) const;
    bool IsItemHidden(std::uint32_t index) const;
    double GetItemValue(std::uint32_t index) const;
    bool GetItemAlternate(std::uint32_t index) const;
    const LListItemRecord& GetItemRecordOrEmpty(std::uint32_t index) const;
    WString GetItemText(std::int32_t index) const;
    static ConstRCPtr<LRefCountedObject> MakeItemText(const WString& text);
    // The highest index whose text equals text, -1 when none.
    std::int32_t FindItemByText(const WString& text, bool caseSensitive) const;
    // The first match after start (wrapping), selected alone; -1 when none.
    std::int32_t SelectItemByText(const WString& text, std::int32_t start, bool caseSensitive);
    // point in the list's coordinates; -1 outside the client area or past the items.
    std::int32_t ItemAtPoint(const PointD& point);
    RectD GetItemRect(std::uint32_t index) const;

    // --- Selection -------------------------------------------------------------------------

    const std::vector<std::int32_t>& GetSelectedIndices();
    std::int32_t GetSelectedCount() const { return m_selectedCount; }
    // first, or 0x80070057 when first is not an item. A negative last means first.
    std::int32_t SelectItemRange(std::int32_t first, std::int32_t last, bool exclusive);
    // 1 for a bad or unselected index, else 0.
    QKRESULT Deselect(std::int32_t index);
    void ClearSelection();
    // 0x80070057 past the items, 1 when nothing can be shown, else 0.
    QKRESULT ScrollItemIntoView(std::uint32_t index);
    virtual void ActivateItem(std::uint32_t index);
    bool IsMultipleSelection() const { return m_multipleSelection; }
    std::int32_t GetAnchor() const { return m_anchor; }
    std::int32_t GetCaret() const { return m_caret; }

    // Replaces the items with the table's "ITEM.n" entries (n written in digits, gaps
    // becoming empty items); nothing without a table.
    void SetItemStringTable(const ConstRCPtr<LStringTable>& table) { LoadItems(table.Get()); }

    // --- Rows and sizes --------------------------------------------------------------------

    void SetPopupMode(bool popup);
    bool IsPopupMode() const { return m_popupMode; }
    void SetItemForcedHover(std::uint32_t index, bool hover);
    void SelectItemLook(std::uint32_t index, std::int32_t look);
    void SetContentHeight(double height);
    void SetContentWidth(double width);
    QKRESULT SnapHeightToItems();
    std::int32_t GetItemHeightPixels() const { return m_itemHeight; }
    // The width a row needs beside its text.
    std::int32_t GetTextMargin();
    // Gives up the measured margin; the next text width measures it again on a row.
    void ResetTextMargin() { m_textMargin = -1; }
    std::int32_t GetWidestText() const { return m_widestText; }
    std::uint32_t GetTopIndex() const { return m_topIndex; }
    std::uint32_t GetRowCount() const { return static_cast<std::uint32_t>(m_rows.size()); }
    // The row control of a row, or null.
    LListBoxItem* GetRowControl(std::uint32_t row) const;
    const ConstRCPtr<LControlDescriptor>& GetTemplateDescriptor() const { return m_template; }

    // --- LControl and LScrollView ----------------------------------------------------------

    void OnSizeChanged() override;
    void OnClientInsetsChanged(const PointD& oldOffset, const PointD& newOffset) override;
    void OnChildPlacementChanged(LControl* child) override;
    void OnConditionsChanged(LConditionsParam* record) override;
    void OnChildrenChanged(LControl* child, std::int32_t index) override;
    QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor) override;
    void OnLeftButtonUp(const LMouseButtonParam* button) override;
    void OnMouseMove(const LPointWithModifiersParam* point) override;
    QKRESULT WantsKey(LKeyParam* key) override;
    QKRESULT Initialize() override;
    QKRESULT AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor) override;
    void OnScrollBarShownChanged(std::int32_t axis) override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

protected:
    void SendSelectionChange();
    void FillRows();
    void RebindFrom(std::uint32_t index);
    // Binds the item's row again, when it has one.
    void RefreshItem(std::uint32_t index);
    void UpdateContentExtent();
    void UpdateWidestText();
    // Stores the widest text; a list whose rows follow its width takes it (SetContentWidth).
    void SetWidestText(std::int32_t widest);
    void FitWidthToContent();
    bool TemplateWidthFollowsList() const;
    // Rows that follow the list's width are measured in its whole client area, which holds
    // the bar too: while the bar shows, their width rule keeps its width free, so that they
    // end where the bar begins instead of running on under it.
    LayoutReference RowWidthRule() const;
    void FitRowsBesideTheBar();
    // What a row needs beside its text (the text margin), measured on a row without text.
    double RowMargin(LListBoxItem& row) const;
    void UpdatePopupHeight();
    // The item shown by a row: past the count for rows below the last item.
    std::uint32_t ItemOfRow(std::uint32_t row) const;

private:
    QKRESULT OnRowMouseDown(const ConstRCPtr<LNotificationDistributor>& source,
                            const ConstRCPtr<LNotification>& notification);
    QKRESULT OnRowMouseUp(const ConstRCPtr<LNotificationDistributor>& source,
                          const ConstRCPtr<LNotification>& notification);
    QKRESULT OnRowLeftDragChange(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification);
    QKRESULT OnRowHoverChange(const ConstRCPtr<LNotificationDistributor>& source,
                              const ConstRCPtr<LNotification>& notification);
    void SubscribeRow(LListBoxItem& row);
    void HandleLeftClick(std::int32_t index, const LMouseButtonParam& button);
    // After a click on row control clicked at point (row coordinates): when another row now
    // shows index, the pointer moves onto it and it becomes the hover control.
    void KeepPointerOnItem(std::int32_t index, LControl* clicked, const PointL& point);
    void SendItemConditions(const char16_t* nid, LListBoxItem& row, const LConditionsParam& conditions);
    void LoadItems(const LStringTable* table);
    void MoveTopIndex(std::uint32_t top);
    // The top index from a vertical offset: floor(offset / step) items that show.
    void UpdateTopFromOffset(double offset);
    void SetScrollPosition(double y);
    // Items before index that are not hidden.
    std::uint32_t VisibleItemsBefore(std::uint32_t index) const;
    // Rows lying entirely inside the client area, at least 1.
    std::uint32_t FullRows();
    bool TemplateWidthIsAbsolute() const;
    // Sizes the list on axis (0 X, 1 Y) so that its client area is content long.
    void SetContentSize(std::int32_t axis, double content);

    RCPtr<LNotificationHandler<LListBox>> m_listHandlers;
    std::int32_t m_textMargin = 0;
    std::int32_t m_widestText = 0;
    std::vector<LListItemRecord> m_records;
    std::vector<std::uint32_t> m_rows;
    ConstRCPtr<LControlDescriptor> m_template;
    std::int32_t m_anchor = -1;
    std::int32_t m_caret = -1;
    // Multiple selection and keeping the items sorted are switched on by nothing yet.
    bool m_multipleSelection = false;
    [[maybe_unused]] std::int32_t m_selectionStyle = 1;
    [[maybe_unused]] std::int32_t m_pressedItem = -1;
    bool m_popupMode = false;
    [[maybe_unused]] bool m_sorted = false;
    std::int32_t m_itemHeight = 14;
    std::vector<std::int32_t> m_selectedItems;
    std::int32_t m_selectedCount = 0;
    std::uint32_t m_topIndex = 0;
    bool m_fillingRows = false;
    bool m_creating = false;
    bool m_measured = false;
    bool m_updatesSuspended = false;
};

} // namespace QK
