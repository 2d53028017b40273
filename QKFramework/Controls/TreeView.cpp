// Contents: 1. rows; 2. construction; 3. records; 4. the tree's shape; 5. moving items;
// 6. binding and the boxes' notifications; 7. receiving.
#include "QKFramework/Controls/TreeView.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/LayoutDescriptor.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/ObjectBase/Exception.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace QK
{

// 1. Rows -------------------------------------------------------------------------------------------

RCPtr<LControl> LTreeViewItem::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LTreeViewItem(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

void LTreeViewItem::SetIndent(std::int32_t depth)
{
    const RCPtr<LButton> box = GetCheckBox();
    const RCPtr<LLayoutDescriptor> layout = GetLayoutDescriptor();
    if (!box || !layout)
        return;
    LayoutReference position = layout->X.Position;
    position.Abs = depth * box->GetWidth();
    if (position.Abs == layout->X.Position.Abs)
        return;
    SetAxisLayout(0, layout->X.PlacementAnchor, layout->XIsDocked, position, layout->X.Size);
}

// 2. Construction -----------------------------------------------------------------------------------

LTreeView::~LTreeView() = default;

RCPtr<LControl> LTreeView::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LTreeView(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

LTreeView::TreeHandlers& LTreeView::GetTreeHandlers()
{
    // Rows, and so their boxes, can be made before Initialize.
    if (!m_treeHandlers)
        m_treeHandlers = TreeHandlers::Create(this);
    return *m_treeHandlers;
}

QKRESULT LTreeView::Initialize()
{
    const QKRESULT result = LCheckedListBox::Initialize();
    GetTreeHandlers();
    return result;
}

// 3. Records ----------------------------------------------------------------------------------------

LTreeItemRecord& LTreeView::GetItemRecord(std::uint32_t index)
{
    if (index >= m_treeRecords.size())
        Throw<std::out_of_range>(ThrowSite{"QK::LTreeView::GetItemRecord", "Controls\\TreeView", __LINE__});
    return m_treeRecords[index];
}

QKRESULT LTreeView::InsertItemRecord(std::uint32_t index)
{
    index = std::min<std::uint32_t>(index, static_cast<std::uint32_t>(m_treeRecords.size()));
    // Parents behind the new record moved one place on.
    for (LTreeItemRecord& record : m_treeRecords)
        if (record.ParentIndex >= static_cast<std::int32_t>(index))
            ++record.ParentIndex;
    m_treeRecords.insert(m_treeRecords.begin() + index, LTreeItemRecord());
    return QK_OK;
}

QKRESULT LTreeView::EraseItemRecord(std::uint32_t index)
{
    if (index >= m_treeRecords.size())
        return QK_E_INVALIDARG;
    if (m_treeRecords[index].Checked)
        AdjustCheckedCount(-1);
    m_treeRecords.erase(m_treeRecords.begin() + index);
    const auto erased = static_cast<std::int32_t>(index);
    for (std::uint32_t j = static_cast<std::uint32_t>(m_treeRecords.size()); j-- > index;)
    {
        if (j >= m_treeRecords.size())
            continue;
        if (m_treeRecords[j].ParentIndex == erased)
            EraseItemRecord(j);
        else if (m_treeRecords[j].ParentIndex > erased)
            --m_treeRecords[j].ParentIndex;
    }
    return QK_OK;
}

std::int32_t LTreeView::RemoveItem(std::uint32_t index)
{
    if (index >= GetItemCount())
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    // The list deselects the item it removes; the descendants that go with it are
    // deselected here, so that the selected count stays true.
    for (std::uint32_t j = index + static_cast<std::uint32_t>(GetDescendantCount(index)); j > index; --j)
        if (IsItemSelected(j))
            Deselect(static_cast<std::int32_t>(j));
    return LCheckedListBox::RemoveItem(index);
}

QKRESULT LTreeView::SwapItems(std::uint32_t a, std::uint32_t b)
{
    if (a < GetItemCount() && b < GetItemCount() && a != b)
        std::swap(m_treeRecords[a], m_treeRecords[b]);
    return QK_OK;
}

QKRESULT LTreeView::SortItems(std::uint32_t, std::uint32_t)
{
    return QK_E_NOTIMPL;
}

// 4. The tree's shape -------------------------------------------------------------------------------

std::int32_t LTreeView::GetParentIndex(std::uint32_t index) const
{
    return index < m_treeRecords.size() ? m_treeRecords[index].ParentIndex : -1;
}

std::int32_t LTreeView::GetItemDepth(std::uint32_t index) const
{
    if (index >= m_treeRecords.size())
        return 0;
    // A chain longer than the list would be a cycle written into the records by hand: the
    // walk ends there rather than never.
    std::int32_t depth = 0;
    for (std::int32_t parent = m_treeRecords[index].ParentIndex;
         parent >= 0 && static_cast<std::size_t>(parent) < m_treeRecords.size() &&
         static_cast<std::size_t>(depth) < m_treeRecords.size();
         parent = m_treeRecords[static_cast<std::size_t>(parent)].ParentIndex)
        ++depth;
    return depth;
}

std::int32_t LTreeView::GetDescendantCount(std::uint32_t index) const
{
    if (index >= m_treeRecords.size())
        return 0;
    const std::int32_t depth = GetItemDepth(index);
    std::uint32_t j = index + 1;
    while (j < m_treeRecords.size() && GetItemDepth(j) > depth)
        ++j;
    return static_cast<std::int32_t>(j - index - 1);
}

bool LTreeView::IsDescendantOf(std::uint32_t index, std::uint32_t ancestor) const
{
    std::size_t steps = 0;
    for (std::int32_t parent = GetParentIndex(index); parent >= 0 && steps < m_treeRecords.size();
         parent = GetParentIndex(static_cast<std::uint32_t>(parent)), ++steps)
        if (static_cast<std::uint32_t>(parent) == ancestor)
            return true;
    return false;
}

bool LTreeView::AncestorsChecked(std::uint32_t index) const
{
    std::size_t steps = 0;
    for (std::int32_t parent = GetParentIndex(index); parent >= 0 && steps < m_treeRecords.size();
         parent = GetParentIndex(static_cast<std::uint32_t>(parent)), ++steps)
        if (!m_treeRecords[static_cast<std::size_t>(parent)].Checked)
            return false;
    return true;
}

void LTreeView::UpdateDescendantVisibility(std::uint32_t index)
{
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    for (std::uint32_t j = index + 1; j < GetItemCount() && IsDescendantOf(j, index); ++j)
        SetItemHidden(j, !AncestorsChecked(j));
}

// 5. Moving items -----------------------------------------------------------------------------------

void LTreeView::Expand(std::uint32_t index)
{
    if (IsItemChecked(index))
        return;
    const std::int32_t row = GetRowOfItem(index);
    const RCPtr<LCheckedListBoxItem> item = row >= 0 ? GetCheckedItem(static_cast<std::uint32_t>(row)) : nullptr;
    const RCPtr<LButton> box = item ? item->GetCheckBox() : nullptr;
    // The box's value runs the check handler only while the boxes report value changes.
    if (box && IsAutoCheck())
    {
        box->SetValue(1.0);
        return;
    }
    SetItemChecked(index, true);
    UpdateDescendantVisibility(index);
}

std::int32_t LTreeView::MoveItem(std::int32_t index, std::int32_t newParent)
{
    const std::int32_t count = static_cast<std::int32_t>(std::min<std::size_t>(m_treeRecords.size(), INT32_MAX));
    if (newParent < 0)
        newParent = -1;
    if (index <= 0 || index >= count || index == newParent || newParent >= count ||
        m_treeRecords[static_cast<std::size_t>(index)].ParentIndex == newParent)
        return index;
    const auto k = static_cast<std::uint32_t>(index);
    const std::int32_t subtree = GetDescendantCount(k);
    // A parent inside the item's own subtree would close the parent chain into a ring.
    if (newParent > index && newParent <= index + subtree)
        return index;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;

    // The new order: every record outside the block, with the block placed after the new
    // parent's own subtree (at the end for a top-level item).
    std::vector<std::uint32_t> order;
    order.reserve(m_treeRecords.size());
    for (std::uint32_t i = 0; i < m_treeRecords.size(); ++i)
        if (i < k || i > k + static_cast<std::uint32_t>(subtree))
            order.push_back(i);
    std::size_t insertAt = order.size();
    if (newParent >= 0)
    {
        const auto parent = static_cast<std::uint32_t>(newParent);
        insertAt = static_cast<std::size_t>(std::find(order.begin(), order.end(), parent) - order.begin()) + 1;
        while (insertAt < order.size() && IsDescendantOf(order[insertAt], parent))
            ++insertAt;
    }
    std::vector<std::uint32_t> block;
    for (std::uint32_t i = k; i <= k + static_cast<std::uint32_t>(subtree); ++i)
        block.push_back(i);
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(insertAt), block.begin(), block.end());

    std::vector<std::int32_t> newIndexOf(m_treeRecords.size());
    for (std::size_t n = 0; n < order.size(); ++n)
        newIndexOf[order[n]] = static_cast<std::int32_t>(n);
    std::vector<LTreeItemRecord> moved;
    moved.reserve(m_treeRecords.size());
    for (std::uint32_t old : order)
    {
        LTreeItemRecord record = m_treeRecords[old];
        if (record.ParentIndex >= 0 && static_cast<std::size_t>(record.ParentIndex) < newIndexOf.size())
            record.ParentIndex = newIndexOf[static_cast<std::size_t>(record.ParentIndex)];
        moved.push_back(std::move(record));
    }
    const std::int32_t movedIndex = newIndexOf[k];
    moved[static_cast<std::size_t>(movedIndex)].ParentIndex =
        newParent >= 0 ? newIndexOf[static_cast<std::size_t>(newParent)] : -1;
    m_treeRecords = std::move(moved);

    RebindFrom(GetTopIndex());
    if (newParent >= 0)
    {
        const auto parent = static_cast<std::uint32_t>(newIndexOf[static_cast<std::size_t>(newParent)]);
        if (GetDescendantCount(parent) > 0)
            Expand(parent);
        UpdateDescendantVisibility(parent);
    }
    else
    {
        SetItemHidden(static_cast<std::uint32_t>(movedIndex), false);
        UpdateDescendantVisibility(static_cast<std::uint32_t>(movedIndex));
    }
    RebindFrom(GetTopIndex());
    UpdateContentExtent();
    return movedIndex;
}

// 6. Binding and the boxes' notifications --------------------------------------------------------------

QKRESULT LTreeView::UpdateItemControl(std::uint32_t index, std::int32_t& row)
{
    const bool updating = m_updatingItem;
    m_updatingItem = true;
    const QKRESULT result = LCheckedListBox::UpdateItemControl(index, row);
    m_updatingItem = updating;
    if (Failed(result) || row < 0)
        return result;
    const RCPtr<LCheckedListBoxItem> item = GetCheckedItem(static_cast<std::uint32_t>(row));
    if (!item)
        return result;
    if (const RCPtr<LButton> box = item->GetCheckBox())
        box->SetEnabled(GetDescendantCount(index) > 0);
    if (auto* treeItem = dynamic_cast<LTreeViewItem*>(item.Get()))
        treeItem->SetIndent(GetItemDepth(index));
    return result;
}

void LTreeView::SubscribeCheckBox(LButton& box)
{
    const ConstRCPtr<LNotificationDistributor> source(&box);
    if (IsAutoCheck())
        GetTreeHandlers().AddHandler(&LTreeView::OnCheckBoxValueChange, source, kNidValueChange);
    else
        GetTreeHandlers().AddHandler(&LTreeView::OnCheckBoxClick, source, kNidLeftClick);
}

void LTreeView::UnsubscribeCheckBox(LButton& box, const char16_t* nid)
{
    const ConstRCPtr<LNotificationDistributor> source(&box);
    GetTreeHandlers().RemoveHandler(source, nid);
    Unsubscribe(source, nid);
}

void LTreeView::OnItemCheckStored(std::uint32_t index)
{
    UpdateDescendantVisibility(index);
    RefreshItem(index);
    RebindFrom(GetTopIndex());
}

QKRESULT LTreeView::OnCheckBoxValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                                          const ConstRCPtr<LNotification>&)
{
    return m_updatingItem ? QK_OK : HandleCheckBox(source, true);
}

QKRESULT LTreeView::OnCheckBoxClick(const ConstRCPtr<LNotificationDistributor>& source, const ConstRCPtr<LNotification>&)
{
    return m_updatingItem ? QK_OK : HandleCheckBox(source, false);
}

// 7. Receiving ---------------------------------------------------------------------------------------

QKRESULT LTreeView::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                        const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LCheckedListBox>(*this, m_treeHandlers, source, notification);
}

QKRESULT LTreeView::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LCheckedListBox>(*this, m_treeHandlers, source, id);
}

} // namespace QK
