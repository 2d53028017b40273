// LMultiColumnListBox: a sortable table ("Framework.listbox2ColumnSortable") made of plain
// list boxes side by side, one per column, with an optional header button over each.
//
// The columns are the children "listboxNoScroll1", "listboxNoScroll2", ... and the headers
// "buttonColumnHeader1", "buttonColumnHeader2", ..., each series ending at its first gap.
// Row r of the table is item r of every column. The table keeps the columns in step: one
// vertical scroll position (each column keeps its own horizontal one), one selection and
// one hovered row. A header click sorts every row by that column's text, ignoring case,
// ascending first and then the other way on each click of the same header; a row's text,
// alternate flag and selection travel with it, nothing else does.
//
// Notifications sent (source: the table), all without argument and synchronously on the UI
// thread: "NID_SELECTION_CHANGE" once the other columns follow a column's selection, and
// "NID_ITEM_ACTIVATED", "NID_ITEM_DOUBLE_CLICKED", "NID_ITEM_RIGHT_CLICK" for each one of
// any column. The row is read from the columns' selection. A sort sends nothing.
#pragma once

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/ListBox.h"
#include "QKFramework/Controls/Panel.h"

#include <cstdint>
#include <vector>

namespace QK
{

class LMultiColumnListBox : public LPanel
{
public:
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kUnsubscribeSite{"QK::LMultiColumnListBox::PerformSort", "Controls\\MultiColumnListBox",
                                                725};
    static constexpr ThrowSite kResubscribeSite{"QK::LMultiColumnListBox::PerformSort", "Controls\\MultiColumnListBox",
                                                768};

    LMultiColumnListBox(LControl* parent, const WString& name);
    ~LMultiColumnListBox() override;

    // The create function of "Framework.listbox2ColumnSortable".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // Sorts every row by the text of column; a column that does not exist does nothing.
    // Raises the failed-result exception of kUnsubscribeSite or kResubscribeSite when the
    // table cannot stop or resume hearing a column's selection.
    void PerformSort(std::int32_t column);
    // The text of a cell; empty past the columns or past the first column's items.
    WString GetCellText(std::uint32_t column, std::uint32_t row) const;

    std::uint32_t GetColumnCount() const { return static_cast<std::uint32_t>(m_columns.size()); }
    LListBox* GetColumn(std::uint32_t column) const
    {
        return column < m_columns.size() ? m_columns[column].Get() : nullptr;
    }
    std::uint32_t GetHeaderCount() const { return static_cast<std::uint32_t>(m_headers.size()); }
    LButton* GetHeader(std::uint32_t header) const
    {
        return header < m_headers.size() ? m_headers[header].Get() : nullptr;
    }
    // Whether the next sort of column is ascending (false past the columns).
    bool IsNextSortAscending(std::uint32_t column) const
    {
        return column < m_nextSortAscending.size() && m_nextSortAscending[column];
    }

    // --- LControl --------------------------------------------------------------------------

    void OnClientInsetsChanged(const PointD& oldOffset, const PointD& newOffset) override;
    // Only the last column's placement counts: it sets the width of the content.
    void OnChildPlacementChanged(LControl* child) override;
    // The first column's place, as wide as the table's client area less its vertical bar and
    // as high as the first column's client area.
    RectD GetChildClientRect(LControl* child) override;
    // The panel's result, or with header buttons 1 when there is one per column, else 0.
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    using Handlers = LNotificationHandler<LMultiColumnListBox>;

    QKRESULT OnColumnHover(const ConstRCPtr<LNotificationDistributor>& source,
                           const ConstRCPtr<LNotification>& notification);
    QKRESULT OnColumnSelection(const ConstRCPtr<LNotificationDistributor>& source,
                               const ConstRCPtr<LNotification>& notification);
    QKRESULT OnColumnItemNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                      const ConstRCPtr<LNotification>& notification);
    QKRESULT OnFirstColumnScrolled(const ConstRCPtr<LNotificationDistributor>& source,
                                   const ConstRCPtr<LNotification>& notification);
    QKRESULT OnFirstColumnExtent(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification);
    QKRESULT OnHeaderClick(const ConstRCPtr<LNotificationDistributor>& source,
                           const ConstRCPtr<LNotification>& notification);
    // The column a notification came from, or -1.
    std::int32_t ColumnOf(const LNotificationDistributor* source) const;
    // As wide as the columns reach, as high as the first column's content.
    void UpdateExtentFromColumns();
    // Children keep their skin's vertical rule, docked, so that the table's vertical scroll
    // leaves them in place and scrolls the columns' contents instead.
    static void DockVertically(LControl& child);
    void LimitColumnSizes(LListBox& column);
    // Runs action with the table's subscription to column's nid suspended.
    template <class Action> void Suspended(LListBox& column, const char16_t* nid, Action action);

    RCPtr<Handlers> m_handlers;
    std::vector<RCPtr<LListBox>> m_columns;
    std::vector<RCPtr<LButton>> m_headers;
    std::vector<bool> m_nextSortAscending;
};

} // namespace QK
