// Contents: 1. construction and set-up; 2. scrolling and extent; 3. selection and hover;
// 4. sorting; 5. receiving.
#include "QKFramework/Controls/MultiColumnListBox.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/LayoutDescriptor.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <algorithm>
#include <utility>

namespace QK
{

namespace
{

WString Numbered(const char16_t* format, std::int32_t n)
{
    char16_t name[48];
    FormatText(name, 48, format, n);
    return WString(name);
}

} // namespace

template <class Action> void LMultiColumnListBox::Suspended(LListBox& column, const char16_t* nid, Action action)
{
    const ConstRCPtr<LNotificationDistributor> source(&column);
    // A column that already left (its source detached at teardown) has nothing to suspend.
    if (!m_handlers || !m_handlers->HasHandler(source.Get(), GetNotificationId(nid)))
    {
        action();
        return;
    }
    CAutoNotificationDisabler<LMultiColumnListBox> suspended(*m_handlers, source, nid);
    action();
}

// 1. Construction and set-up ----------------------------------------------------------------------

LMultiColumnListBox::LMultiColumnListBox(LControl* parent, const WString& name) : LPanel(parent, name) {}

LMultiColumnListBox::~LMultiColumnListBox() = default;

RCPtr<LControl> LMultiColumnListBox::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LMultiColumnListBox>(parent, descriptor);
}

void LMultiColumnListBox::DockVertically(LControl& child)
{
    const RCPtr<LLayoutDescriptor> layout = child.GetLayoutDescriptor();
    if (!layout)
        return;
    const AxisSpec spec = layout->Y;
    child.SetAxisLayout(1, spec.PlacementAnchor, true, spec.Position, spec.Size);
}

QKRESULT LMultiColumnListBox::Initialize()
{
    QKRESULT result = LPanel::Initialize();
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    m_handlers = Handlers::Create(this);
    m_columns.clear();
    m_headers.clear();
    for (std::int32_t n = 1;; ++n)
    {
        const RCPtr<LControl> child = FindChild(Numbered(u"listboxNoScroll%d", n));
        RCPtr<LListBox> column(dynamic_cast<LListBox*>(child.Get()));
        if (!column)
            break;
        m_columns.push_back(column);
        const ConstRCPtr<LNotificationDistributor> source(column.Get());
        m_handlers->AddHandler(&LMultiColumnListBox::OnColumnHover, source, kNidItemHoverConditionChange);
        m_handlers->AddHandler(&LMultiColumnListBox::OnColumnSelection, source, kNidSelectionChange);
        m_handlers->AddHandler(&LMultiColumnListBox::OnColumnItemNotification, source, kNidItemActivated);
        m_handlers->AddHandler(&LMultiColumnListBox::OnColumnItemNotification, source, kNidItemDoubleClicked);
        m_handlers->AddHandler(&LMultiColumnListBox::OnColumnItemNotification, source, kNidItemRightClick);
        if (n == 1)
        {
            m_handlers->AddHandler(&LMultiColumnListBox::OnFirstColumnScrolled, source, kNidScrollOffsetChange);
            m_handlers->AddHandler(&LMultiColumnListBox::OnFirstColumnExtent, source, kNidClientExtentChange);
        }
        DockVertically(*column);
    }
    for (std::int32_t n = 1;; ++n)
    {
        const RCPtr<LControl> child = FindChild(Numbered(u"buttonColumnHeader%d", n));
        RCPtr<LButton> header(dynamic_cast<LButton*>(child.Get()));
        if (!header)
            break;
        m_headers.push_back(header);
        m_handlers->AddHandler(&LMultiColumnListBox::OnHeaderClick, ConstRCPtr<LNotificationDistributor>(header.Get()),
                               kNidLeftClick);
        DockVertically(*header);
    }
    if (!m_headers.empty())
        result = m_headers.size() == m_columns.size() ? QK_FALSE : QK_OK;
    m_nextSortAscending.assign(m_columns.size(), true);
    SetAutoClientExtent(0, 0, 0);
    SetAutoClientExtentMode(1);
    return result;
}

void LMultiColumnListBox::LimitColumnSizes(LListBox& column)
{
    const LControlDescriptor* descriptor = column.GetControlDescriptor().Get();
    const RCPtr<LLayoutDescriptor> layout = column.GetLayoutDescriptor();
    if (!descriptor || !descriptor->Layout || !layout)
        return;
    const LLayoutDescriptor& skin = *descriptor->Layout;
    const LayoutLimit none;
    bool changed = false;
    if (skin.X.MaxSize.Abs == 0.0)
    {
        layout->X.MaxSize = none;
        changed = true;
    }
    if (skin.Y.MinSize.Abs == 0.0 || skin.Y.MaxSize.Abs == 0.0)
    {
        // At least one row high, and as high as the table lets it be.
        if (skin.Y.MinSize.Abs == 0.0)
        {
            LayoutLimit oneRow;
            oneRow.Abs = column.GetItemHeightPixels();
            layout->Y.MinSize = oneRow;
        }
        if (skin.Y.MaxSize.Abs == 0.0)
            layout->Y.MaxSize = none;
        changed = true;
    }
    if (changed)
        column.Relayout();
}

QKRESULT LMultiColumnListBox::InitializeParts()
{
    LPanel::InitializeParts();
    if (m_columns.empty())
        return QK_OK;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    for (std::size_t c = 1; c < m_columns.size(); ++c)
        m_columns[c]->SetNotFocusable(true);
    SetExtraClientHeight(m_columns.front()->GetItemHeightPixels());
    UpdateScrollBars();
    for (std::size_t c = m_columns.size(); c-- > 0;)
        LimitColumnSizes(*m_columns[c]);
    UpdateExtentFromColumns();
    return QK_OK;
}

// 2. Scrolling and extent --------------------------------------------------------------------------

void LMultiColumnListBox::UpdateExtentFromColumns()
{
    if (m_columns.empty())
        return;
    const RectD& last = m_columns.back()->GetBounds();
    SetClientExtent(last.x + last.width, m_columns.front()->GetClientExtentSize().second);
}

QKRESULT LMultiColumnListBox::OnFirstColumnScrolled(const ConstRCPtr<LNotificationDistributor>&,
                                                    const ConstRCPtr<LNotification>&)
{
    if (!m_columns.empty())
        SetScrollOffset(m_columns.front()->GetScrollOffset());
    return QK_FALSE;
}

void LMultiColumnListBox::OnClientInsetsChanged(const PointD& oldOffset, const PointD& newOffset)
{
    if (!m_columns.empty() && m_handlers)
    {
        const RCPtr<LControl> self(this);
        const std::vector<RCPtr<LListBox>> columns = m_columns;
        Suspended(*columns.front(), kNidScrollOffsetChange,
                  [&]
                  {
                      for (const RCPtr<LListBox>& column : columns)
                          column->SetScrollOffset(PointD{column->GetScrollOffset().x, newOffset.y});
                  });
    }
    LScrollView::OnClientInsetsChanged(oldOffset, newOffset);
}

QKRESULT LMultiColumnListBox::OnFirstColumnExtent(const ConstRCPtr<LNotificationDistributor>&,
                                                  const ConstRCPtr<LNotification>&)
{
    if (m_columns.empty())
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    SetExtraClientHeight(m_columns.front()->GetExtraClientHeight());
    UpdateScrollBars();
    UpdateExtentFromColumns();
    return QK_FALSE;
}

void LMultiColumnListBox::OnChildPlacementChanged(LControl* child)
{
    if (!child || m_columns.empty())
        return;
    if (child->GetName().IsEqual(Numbered(u"listboxNoScroll%d", static_cast<std::int32_t>(m_columns.size()))))
        UpdateExtentFromColumns();
}

RectD LMultiColumnListBox::GetChildClientRect(LControl*)
{
    if (m_columns.empty())
        return RectD{0.0, 0.0, 0.0, 0.0};
    const LListBox& first = *m_columns.front();
    const RectD client = GetLookClientRect(-1);
    return RectD{first.GetBounds().x, first.GetBounds().y, client.width - GetScrollBarSizes().first,
                 first.GetLookClientRect(-1).height};
}

// 3. Selection and hover ---------------------------------------------------------------------------

std::int32_t LMultiColumnListBox::ColumnOf(const LNotificationDistributor* source) const
{
    for (std::size_t c = m_columns.size(); c-- > 0;)
        if (static_cast<const LNotificationDistributor*>(m_columns[c].Get()) == source)
            return static_cast<std::int32_t>(c);
    return -1;
}

QKRESULT LMultiColumnListBox::OnColumnSelection(const ConstRCPtr<LNotificationDistributor>& source,
                                                const ConstRCPtr<LNotification>&)
{
    const auto* sender = dynamic_cast<const LListBox*>(source.Get());
    if (!sender)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    if (ColumnOf(source.Get()) >= 0)
    {
        const std::vector<RCPtr<LListBox>> columns = m_columns;
        const bool multiple = columns.front()->IsMultipleSelection();
        for (std::uint32_t r = columns.front()->GetItemCount(); r-- > 0;)
        {
            const bool selected = sender->GetItemValue(r) >= 0.5;
            for (std::size_t c = columns.size(); c-- > 0;)
            {
                LListBox& other = *columns[c];
                if (&other == sender || (other.GetItemValue(r) >= 0.5) == selected)
                    continue;
                Suspended(other, kNidSelectionChange,
                          [&]
                          {
                              if (selected)
                                  other.SelectItemRange(static_cast<std::int32_t>(r), -1, !multiple);
                              else
                                  other.Deselect(static_cast<std::int32_t>(r));
                          });
            }
        }
    }
    Send(kNidSelectionChange, nullptr);
    return QK_FALSE;
}

QKRESULT LMultiColumnListBox::OnColumnHover(const ConstRCPtr<LNotificationDistributor>& source,
                                            const ConstRCPtr<LNotification>& notification)
{
    const auto* item = dynamic_cast<const LItemConditionsParam*>(notification->GetArgument().Get());
    const std::int32_t from = ColumnOf(source.Get());
    if (!item || from < 0 || item->ItemIndex < 0)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    const auto index = static_cast<std::uint32_t>(item->ItemIndex);
    const bool before = (item->OldConditions & kHover) != 0;
    const bool now = (item->NewConditions & kHover) != 0;
    const std::vector<RCPtr<LListBox>> columns = m_columns;
    for (std::size_t c = 0; c < columns.size(); ++c)
    {
        if (static_cast<std::int32_t>(c) == from)
            continue;
        if (now && !before)
        {
            if (item->PointerOver)
                columns[c]->SetItemForcedHover(index, true);
        }
        else if (before && !now)
            columns[c]->SetItemForcedHover(index, false);
        else
            columns[c]->SelectItemLook(index, item->LookIndex);
    }
    return QK_FALSE;
}

QKRESULT LMultiColumnListBox::OnColumnItemNotification(const ConstRCPtr<LNotificationDistributor>&,
                                                       const ConstRCPtr<LNotification>& notification)
{
    const RCPtr<LControl> self(this);
    const WString name = GetNotificationName(notification->GetId());
    Send(name.GetString(), nullptr);
    return QK_FALSE;
}

QKRESULT LMultiColumnListBox::OnHeaderClick(const ConstRCPtr<LNotificationDistributor>& source,
                                            const ConstRCPtr<LNotification>&)
{
    for (std::size_t h = m_headers.size(); h-- > 0;)
        if (static_cast<const LNotificationDistributor*>(m_headers[h].Get()) == source.Get())
        {
            PerformSort(static_cast<std::int32_t>(h));
            break;
        }
    return QK_FALSE;
}

// 4. Sorting ---------------------------------------------------------------------------------------

WString LMultiColumnListBox::GetCellText(std::uint32_t column, std::uint32_t row) const
{
    if (column >= m_columns.size() || row >= m_columns.front()->GetItemCount())
        return WString();
    return m_columns[column]->GetItemText(static_cast<std::int32_t>(row));
}

void LMultiColumnListBox::PerformSort(std::int32_t column)
{
    // A skin may have more headers than columns: their clicks sort nothing, and nothing is
    // unsubscribed for them.
    if (column < 0 || static_cast<std::size_t>(column) >= m_columns.size() || !m_handlers)
        return;
    const RCPtr<LControl> self(this);
    const std::vector<RCPtr<LListBox>> columns = m_columns;
    LListBox& first = *columns.front();
    const std::uint32_t n = first.GetItemCount();
    std::vector<std::pair<std::uint32_t, WString>> keys;
    keys.reserve(n);
    std::vector<bool> alternate(n);
    for (std::uint32_t r = 0; r < n; ++r)
    {
        keys.emplace_back(r, GetCellText(static_cast<std::uint32_t>(column), r));
        alternate[r] = first.GetItemAlternate(r);
    }
    std::vector<bool> wasSelected(n);
    for (const std::int32_t index : first.GetSelectedIndices())
        if (index >= 0 && static_cast<std::uint32_t>(index) < n)
            wasSelected[static_cast<std::uint32_t>(index)] = true;

    // The columns' own selection changes while the rows move are not the user's.
    for (std::size_t c = columns.size(); c-- > 0;)
    {
        const ConstRCPtr<LNotificationDistributor> source(columns[c].Get());
        QKRESULT result = Unsubscribe(source, kNidSelectionChange);
        if (result != QK_OK && !Failed(result))
            result = QK_E_FAIL;
        if (!m_handlers->RemoveHandler(source, kNidSelectionChange) && !Failed(result))
            result = QK_E_FAIL;
        CheckResult(result, kUnsubscribeSite);
    }
    for (std::size_t c = columns.size(); c-- > 0;)
        columns[c]->ClearSelection();

    const auto c = static_cast<std::size_t>(column);
    const bool ascending = m_nextSortAscending[c];
    std::sort(keys.begin(), keys.end(),
              [ascending](const auto& a, const auto& b)
              {
                  const int order = CompareNoCase(a.second.GetString(), b.second.GetString());
                  return ascending ? order < 0 : order > 0;
              });
    m_nextSortAscending[c] = !ascending;

    for (std::size_t k = columns.size(); k-- > 0;)
    {
        LListBox& list = *columns[k];
        std::vector<ConstRCPtr<LRefCountedObject>> texts;
        texts.reserve(n);
        for (std::uint32_t r = 0; r < n; ++r)
            texts.push_back(list.GetItemRecordOrEmpty(r).Text);
        for (std::uint32_t r = n; r-- > 0;)
            list.SetItemTextObject(r, texts[keys[r].first]);
    }
    for (std::uint32_t r = n; r-- > 0;)
    {
        const std::uint32_t from = keys[r].first;
        for (std::size_t k = columns.size(); k-- > 0;)
            if (!columns[k]->SetItemAlternate(r, alternate[from]))
                break;
        if (wasSelected[from])
            for (std::size_t k = columns.size(); k-- > 0;)
                if (columns[k]->SelectItemRange(static_cast<std::int32_t>(r), -1, false) < 0)
                    break;
    }

    for (std::size_t k = columns.size(); k-- > 0;)
        CheckResult(m_handlers->AddHandler(&LMultiColumnListBox::OnColumnSelection,
                                           ConstRCPtr<LNotificationDistributor>(columns[k].Get()),
                                           kNidSelectionChange),
                    kResubscribeSite);
}

// 5. Receiving -------------------------------------------------------------------------------------

QKRESULT LMultiColumnListBox::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                                  const ConstRCPtr<LNotification>& notification)
{
    if (!IsCreated())
        return LPanel::ReceiveNotification(source, notification);
    return ReceiveThroughTable<LPanel>(*this, m_handlers, source, notification);
}

QKRESULT LMultiColumnListBox::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LPanel>(*this, m_handlers, source, id);
}

} // namespace QK
