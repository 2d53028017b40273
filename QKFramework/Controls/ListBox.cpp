// Contents: 1. construction and set-up; 2. measuring and rows; 3. binding and extent;
// 4. items; 5. selection; 6. scrolling into view; 7. mouse and keys; 8. conditions, size and
// children; 9. receiving.
#include "QKFramework/Controls/ListBox.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Controls/DropDownControl.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace QK
{

using namespace ControlDetail;

namespace
{

constexpr std::int32_t kDefaultItemHeight = 14;
// The string table names items by number; a number past this is a typo, not a list.
constexpr std::int32_t kMostTableItems = 65535;

constexpr std::int32_t KeyPress(std::uint32_t virtualKey, std::uint32_t modifiers = 0)
{
    return static_cast<std::int32_t>(KeyCode::kKeyEvent | (virtualKey << 16) | modifiers);
}

constexpr std::int32_t kKeyUp = KeyPress(0x26);
constexpr std::int32_t kKeyShiftUp = KeyPress(0x26, KeyCode::kShift);
constexpr std::int32_t kKeyDown = KeyPress(0x28);
constexpr std::int32_t kKeyShiftDown = KeyPress(0x28, KeyCode::kShift);
constexpr std::int32_t kKeyEnter = KeyPress(0x0D);
// The bars take every key of their table but the arrows up and down, which select items.
constexpr std::uint32_t kBarKeysBesideSelection = 0xFC;

std::int32_t ToInt32(double value)
{
    const double rounded = RoundHalfAway(value);
    if (!(rounded >= -2147483648.0))
        return std::numeric_limits<std::int32_t>::min();
    if (rounded > 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

const LListItemRecord& EmptyRecord()
{
    static const LListItemRecord empty;
    return empty;
}

} // namespace

// 1. Construction and set-up ----------------------------------------------------------------------

LListBox::LListBox(LControl* parent, const WString& name) : LScrollView(parent, name) {}

LListBox::~LListBox() = default;

RCPtr<LControl> LListBox::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LListBox>(parent, descriptor);
}

QKRESULT LListBox::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    if (descriptor)
        for (std::uint32_t i = descriptor->Children.GetCount(); i-- > 0;)
        {
            const RCPtr<LControlDescriptor>& child = *descriptor->Children.GetAt(i);
            if (child && child->Name.IsEqual(u"templateItem"))
            {
                m_template = ConstRCPtr<LControlDescriptor>(child.Get());
                break;
            }
        }
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    m_creating = true;
    const QKRESULT result = LScrollView::CreateFromDescriptor(descriptor);
    m_creating = false;
    FillRows();
    RebindFrom(m_topIndex);
    UpdateWidestText();
    return result;
}

QKRESULT LListBox::Initialize()
{
    const QKRESULT result = LScrollView::Initialize();
    if (Failed(result))
        return result;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    if (!m_listHandlers)
        m_listHandlers = LNotificationHandler<LListBox>::Create(this);
    SetAutoClientExtent(0, 0, 0);
    // Up and Down move the selection; the bars keep the rest of their keys.
    for (LScrollbar* bar : {GetHorizontalBar(), GetVerticalBar()})
        if (bar)
            bar->SetSiblingKeyMask(kBarKeysBesideSelection);

    const RCPtr<LControl> templateChild = FindChild(WString(u"templateItem"));
    if (auto* sample = dynamic_cast<LListBoxItem*>(templateChild.Get()))
    {
        m_template = sample->GetControlDescriptor();
        GetItemHeight(sample);
        templateChild->Close();
        SetSmallScrollStep(m_itemHeight);
        LoadItems(GetStringTable().Get());
        FillRows();
        return QK_OK;
    }

    // Fixed rows from the skin.
    char16_t name[32];
    for (std::uint32_t n = 1;; ++n)
    {
        FormatText(name, 32, u"item%d", static_cast<std::int32_t>(n));
        const RCPtr<LControl> child = FindChild(WString(name));
        auto* row = dynamic_cast<LListBoxItem*>(child.Get());
        if (!row)
            break;
        if (n == 1)
            GetItemHeight(row);
        const std::int32_t position = GetChildren().IndexOf(row);
        if (position < 0)
            break;
        m_rows.push_back(static_cast<std::uint32_t>(position));
        InsertItemRecord(n - 1);
        GetItemRecord(n - 1).Text = MakeItemText(row->GetText());
        SubscribeRow(*row);
        row->SetPopup(m_popupMode);
    }
    if (!m_rows.empty())
    {
        RebindFrom(0);
        UpdatePopupHeight();
        UpdateContentExtent();
    }
    return QK_OK;
}

QKRESULT LListBox::AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor)
{
    if (!descriptor || !descriptor->Name.IsEqual(u"templateItem"))
        return LScrollView::AttachChild(child, descriptor);
    // A new skin's template: measured on a sample and never kept as a child.
    m_template = ConstRCPtr<LControlDescriptor>(const_cast<LControlDescriptor*>(descriptor));
    if (child)
        child->Close();
    LControlFactory* factory = LControlApp::GetControlFactory();
    if (!factory)
        return QK_OK;
    const RCPtr<LControl> sample = factory->CreateControl(descriptor, this);
    if (auto* item = dynamic_cast<LListBoxItem*>(sample.Get()))
        GetItemHeight(item);
    if (sample)
        sample->Close();
    return QK_OK;
}

void LListBox::LoadItems(const LStringTable* table)
{
    if (!table)
        return;
    RemoveAllItems();
    Array<StringPair> entries;
    table->GetEntriesWithPrefix(WString(u"ITEM."), entries);
    // Only keys whose number is written with digits name an item: "ITEM.x" would read as
    // 0 and overwrite the first item, "ITEM.-1" would name no item at all.
    std::vector<std::pair<std::int32_t, WString>> numbered;
    std::int32_t highest = -1;
    for (std::uint32_t i = 0; i < entries.GetCount(); ++i)
    {
        const StringPair& entry = *entries.GetAt(i);
        const WString number = entry.key.MidFrom(5);
        const char16_t first = number.IsEmpty() ? u'\0' : number.GetString()[0];
        if (first < u'0' || first > u'9')
            continue;
        const std::int32_t n = ParseInt(number.GetString());
        if (n < 0 || n > kMostTableItems)
            continue;
        numbered.emplace_back(n, entry.value);
        highest = std::max(highest, n);
    }
    if (highest < 0)
        return;
    m_updatesSuspended = true;
    for (std::int32_t i = 0; i <= highest; ++i)
        InsertItemRecord(static_cast<std::uint32_t>(i));
    for (const auto& [n, text] : numbered)
        GetItemRecord(static_cast<std::uint32_t>(n)).Text = MakeItemText(text);
    m_updatesSuspended = false;
    FillRows();
    RebindFrom(m_topIndex);
    UpdateWidestText();
    UpdateContentExtent();
    UpdatePopupHeight();
}

// 2. Measuring and rows ----------------------------------------------------------------------------

QKRESULT LListBox::GetItemHeight(LListBoxItem* sample)
{
    if (!sample)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> held(sample);
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    // The list's horizontal rules are lifted while the sample is measured, so that it lays
    // out freely, and put back afterwards.
    const RCPtr<LLayoutDescriptor> layout = GetLayoutDescriptor();
    const double formerWidth = GetWidth();
    AxisSpec savedX;
    bool savedDocked = false;
    if (layout)
    {
        savedX = layout->X;
        savedDocked = layout->XIsDocked;
        SetAxisSizeLimits(0, LayoutLimit{}, LayoutLimit{});
        SetContentWidth(GetChildClientRect(nullptr).width);
    }

    const WString text = sample->GetText();
    sample->SetText(WString());
    sample->Relayout();
    m_textMargin = ToInt32(RowMargin(*sample));
    sample->SetText(WString(u"{WXyg|}"));
    sample->Relayout();
    m_itemHeight = ToInt32(sample->GetHeight());
    if (m_itemHeight < 1)
        m_itemHeight = kDefaultItemHeight;
    sample->SetText(text);
    sample->Relayout();

    if (layout)
    {
        SetAxisSizeLimits(0, savedX.MinSize, savedX.MaxSize);
        LayoutReference size = savedX.Size;
        const RCPtr<LLayoutDescriptor>& sampleLayout = sample->GetLayoutDescriptor();
        const bool sampleFollowsText = sampleLayout && sampleLayout->X.Size.Kind == 2 && sampleLayout->TextOverflowX == 1;
        if (sampleFollowsText && size.Kind == 2 && !(size.Abs > 0.0))
            size.Abs = formerWidth;
        SetAxisLayout(0, savedX.PlacementAnchor, savedDocked, savedX.Position, size);
    }
    // The content height adds the list's frame itself.
    if (m_popupMode)
        SetContentHeight(static_cast<double>(m_itemHeight) * std::max<std::uint32_t>(GetItemCount(), 1));
    m_measured = true;
    return QK_OK;
}

double LListBox::RowMargin(LListBoxItem& row) const
{
    // Without its text a row is all margin, unless its width follows the list's: then its
    // width is the list's, and the margin is the part of it that its look keeps from the text.
    const double width = row.GetWidth();
    const RCPtr<LLook> look = TemplateWidthFollowsList() ? row.GetLook(-1) : nullptr;
    const LLookDescriptor* description = look ? look->GetDescriptor().Get() : nullptr;
    if (!description || !description->HasTextProperties)
        return width;
    return std::max(0.0, width - TextAreaFor(description->Text, 0, width));
}

LListBoxItem* LListBox::GetRowControl(std::uint32_t row) const
{
    if (row >= m_rows.size())
        return nullptr;
    const std::uint32_t position = m_rows[row];
    if (position >= GetChildren().GetCount())
        return nullptr;
    return dynamic_cast<LListBoxItem*>(GetChildren().GetAt(position).Get());
}

void LListBox::FillRows()
{
    if (m_fillingRows || m_creating || !m_measured || !m_template)
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const bool hadRows = !m_rows.empty();
    m_fillingRows = true;
    for (;;)
    {
        const RectD client = GetChildClientRect(nullptr);
        const double visibleBottom = client.y + client.height + GetScrollOffset().y;
        double rowsBottom = GetScrollOffset().y;
        if (LListBoxItem* last = m_rows.empty() ? nullptr : GetRowControl(static_cast<std::uint32_t>(m_rows.size() - 1)))
            rowsBottom = last->GetBounds().y + last->GetBounds().height;
        else if (!m_rows.empty())
            break;
        if (!(visibleBottom > rowsBottom))
            break;
        const std::size_t before = m_rows.size();
        CreateItemControl();
        // A row that adds no height would be followed by rows without end.
        const LListBoxItem* added = m_rows.size() > before ? GetRowControl(static_cast<std::uint32_t>(before)) : nullptr;
        if (!added || !(added->GetBounds().y + added->GetBounds().height > rowsBottom))
            break;
    }
    m_fillingRows = false;
    // Texts are measured in a row's font: the first row lets the list know its widest text.
    if (!hadRows && !m_rows.empty())
        UpdateWidestText();
}

void LListBox::CreateItemControl()
{
    LControlFactory* factory = LControlApp::GetControlFactory();
    if (!m_template || !factory)
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const std::uint32_t row = static_cast<std::uint32_t>(m_rows.size());
    char16_t name[32];
    FormatText(name, 32, u"ItemControl%d", static_cast<std::int32_t>(row + 1));
    const RCPtr<LLayoutDescriptor> layout =
        m_template->Layout ? m_template->Layout->Clone() : RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
    // Rows stay where the client area shows them; the items move through them.
    layout->YIsDocked = true;
    if (LListBoxItem* previous = row > 0 ? GetRowControl(row - 1) : nullptr)
    {
        layout->Y.PlacementAnchor = 0.0f;
        layout->Y.Position = LayoutReference{2, previous->GetName(), 1.0f, 0.0};
    }
    if (TemplateWidthFollowsList())
        layout->X.Size = RowWidthRule();
    const RCPtr<LControlDescriptor> described = LControlDescriptor::CreateCopy(*m_template, layout, WString(name));
    const RCPtr<LControl> control = factory->CreateControl(described.Get(), this);
    auto* item = dynamic_cast<LListBoxItem*>(control.Get());
    if (!item)
    {
        if (control)
            control->Close();
        return;
    }
    const std::int32_t position = GetChildren().IndexOf(item);
    if (position < 0)
        return;
    SubscribeRow(*item);
    item->SetPopup(m_popupMode);
    m_rows.push_back(static_cast<std::uint32_t>(position));
    std::int32_t bound = -1;
    UpdateItemControl(ItemOfRow(row), bound);
}

void LListBox::SubscribeRow(LListBoxItem& row)
{
    if (!m_listHandlers)
        return;
    const ConstRCPtr<LNotificationDistributor> source(&row);
    m_listHandlers->AddHandler(&LListBox::OnRowMouseDown, source, kNidMouseDown);
    m_listHandlers->AddHandler(&LListBox::OnRowMouseUp, source, kNidMouseUp);
    m_listHandlers->AddHandler(&LListBox::OnRowLeftDragChange, source, kNidLeftDragConditionChange);
    m_listHandlers->AddHandler(&LListBox::OnRowHoverChange, source, kNidHoverConditionChange);
}

// 3. Binding and extent ----------------------------------------------------------------------------

std::uint32_t LListBox::ItemOfRow(std::uint32_t row) const
{
    const std::uint32_t count = GetItemCount();
    std::uint32_t index = m_topIndex;
    while (index < count && const_cast<LListBox*>(this)->GetItemRecord(index).Hidden)
        ++index;
    for (std::uint32_t r = 0; r < row; ++r)
    {
        ++index;
        while (index < count && const_cast<LListBox*>(this)->GetItemRecord(index).Hidden)
            ++index;
    }
    return index;
}

std::int32_t LListBox::GetRowOfItem(std::uint32_t index) const
{
    const std::uint32_t count = GetItemCount();
    if (index < m_topIndex || (index < count && const_cast<LListBox*>(this)->GetItemRecord(index).Hidden))
        return -1;
    std::uint64_t row = 0;
    for (std::uint32_t i = m_topIndex; i < std::min(index, count); ++i)
        if (!const_cast<LListBox*>(this)->GetItemRecord(i).Hidden)
            ++row;
    if (index > count)
        row += index - std::max(count, m_topIndex);
    return row < m_rows.size() ? static_cast<std::int32_t>(row) : -1;
}

QKRESULT LListBox::UpdateItemControl(std::uint32_t index, std::int32_t& row)
{
    row = GetRowOfItem(index);
    LListBoxItem* item = row >= 0 ? GetRowControl(static_cast<std::uint32_t>(row)) : nullptr;
    if (!item)
    {
        row = -1;
        return QK_FALSE;
    }
    const RCPtr<LControl> held(item);
    const bool present = index < GetItemCount();
    const LListItemRecord record = present ? GetItemRecord(index) : LListItemRecord();
    item->SetText(record.GetText());
    item->SetValue(record.Value);
    if (item->IsAlternate() != record.Alternate)
    {
        item->SetAlternate(record.Alternate);
        item->RefreshLook();
    }
    item->SetEnabled(present);
    item->SetSeparator(record.Separator);
    return QK_OK;
}

void LListBox::RefreshItem(std::uint32_t index)
{
    std::int32_t row = -1;
    UpdateItemControl(index, row);
}

void LListBox::RebindFrom(std::uint32_t index)
{
    if (m_rows.empty())
        return;
    const std::uint32_t last = ItemOfRow(static_cast<std::uint32_t>(m_rows.size() - 1));
    const std::uint32_t count = GetItemCount();
    // A hidden item has no row to bind; it does not end the walk.
    for (std::uint32_t i = std::max(index, m_topIndex); i <= last; ++i)
    {
        if (i < count && GetItemRecord(i).Hidden)
            continue;
        std::int32_t row = -1;
        if (UpdateItemControl(i, row) != QK_OK)
            break;
    }
}

std::int32_t LListBox::GetTextMargin()
{
    // A margin given up (the popup menu sizes its rows anew) is measured again on a row.
    if (m_textMargin < 0)
        if (LListBoxItem* row = GetRowControl(0))
            m_textMargin = ToInt32(RowMargin(*row));
    return std::max(m_textMargin, 0);
}

std::int32_t LListBox::GetItemTextWidth(std::uint32_t index)
{
    if (index >= GetItemCount() || m_rows.empty())
        return 0;
    LListBoxItem* row = GetRowControl(0);
    const ConstRCPtr<LMeasurementRenderer> measuring = LRenderApp::GetMeasurementRenderer();
    if (!row || !measuring || !row->GetFont())
        return GetTextMargin();
    const RectF bounds = measuring->MeasureText(GetItemRecord(index).GetText(), row->GetFont());
    return ToInt32(static_cast<double>(bounds.width) + GetTextMargin());
}

std::uint32_t LListBox::GetContentHeight() const
{
    std::uint64_t visible = 0;
    for (std::uint32_t i = 0; i < GetItemCount(); ++i)
        if (!const_cast<LListBox*>(this)->GetItemRecord(i).Hidden)
            ++visible;
    const std::uint64_t height = visible * static_cast<std::uint64_t>(std::max(m_itemHeight, 0));
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(height, std::numeric_limits<std::uint32_t>::max()));
}

bool LListBox::TemplateWidthIsAbsolute() const
{
    return !m_template || !m_template->Layout || m_template->Layout->X.Size.Kind == 2;
}

void LListBox::UpdateContentExtent()
{
    if (m_updatesSuspended)
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const double height = GetContentHeight();
    if (!TemplateWidthIsAbsolute())
    {
        SetClientExtent(0.0, height);
        return;
    }
    SetClientExtent(m_widestText, height);
    for (std::uint32_t r = 0; r < m_rows.size(); ++r)
    {
        LListBoxItem* row = GetRowControl(r);
        const RCPtr<LLayoutDescriptor> layout = row ? row->GetLayoutDescriptor() : nullptr;
        if (!layout)
            continue;
        LayoutReference size = layout->X.Size;
        size.Kind = 2;
        size.Abs = m_widestText;
        row->SetAxisLayout(0, layout->X.PlacementAnchor, layout->XIsDocked, layout->X.Position, size);
    }
}

void LListBox::UpdateWidestText()
{
    std::int32_t widest = 0;
    for (std::uint32_t i = 0; i < GetItemCount(); ++i)
        widest = std::max(widest, GetItemTextWidth(i));
    SetWidestText(widest);
}

void LListBox::SetWidestText(std::int32_t widest)
{
    if (widest == m_widestText)
        return;
    m_widestText = widest;
    FitWidthToContent();
}

bool LListBox::TemplateWidthFollowsList() const
{
    return m_template && m_template->Layout && m_template->Layout->X.Size.Kind == 1;
}

LayoutReference LListBox::RowWidthRule() const
{
    LayoutReference size = m_template->Layout->X.Size;
    if (IsUsable(GetVerticalBar()))
        size.Abs -= GetScrollBarSizes().first;
    return size;
}

void LListBox::FitRowsBesideTheBar()
{
    if (!TemplateWidthFollowsList())
        return;
    const LayoutReference width = RowWidthRule();
    for (std::uint32_t r = 0; r < m_rows.size(); ++r)
        if (LListBoxItem* row = GetRowControl(r))
            if (const RCPtr<LLayoutDescriptor>& layout = row->GetLayoutDescriptor())
                row->SetAxisLayout(0, layout->X.PlacementAnchor, layout->XIsDocked, layout->X.Position, width);
}

void LListBox::FitWidthToContent()
{
    // Rows that follow the list's width are as wide as the widest text. Only a list whose
    // skin leaves its width open (a drop-down's) follows its texts: a list placed in a panel
    // keeps the width its skin gives it. Nothing is known of the texts before a row exists to
    // measure them in.
    if (!TemplateWidthFollowsList() || m_widestText <= 0 || m_updatesSuspended)
        return;
    const LControlDescriptor* described = GetControlDescriptor().Get();
    const LLayoutDescriptor* skin = described ? described->Layout.Get() : nullptr;
    if (!skin || skin->X.Size.Kind != 2 || skin->X.Size.Abs > 0.0)
        return;
    SetContentWidth(GetScrollBarSizes().first + m_widestText);
}

void LListBox::UpdatePopupHeight()
{
    if (!m_popupMode || m_updatesSuspended)
        return;
    // The rows' own heights (a menu's separators are thinner than its items), one row at least.
    SetContentHeight(std::max<double>(GetContentHeight(), m_itemHeight));
}

void LListBox::SetContentHeight(double height)
{
    if (m_updatesSuspended)
        return;
    SetContentSize(1, height);
}

void LListBox::SetContentWidth(double width)
{
    SetContentSize(0, width);
}

void LListBox::SetContentSize(std::int32_t axis, double content)
{
    const RCPtr<LLayoutDescriptor> layout = GetLayoutDescriptor();
    if (!layout)
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    // The frame is measured on the current size; a list still without a size has its frame
    // cut away, so the size is measured again once it has one.
    for (int pass = 0; pass < 2; ++pass)
    {
        RectD client;
        GetClientRect(client);
        const double size = axis == 0 ? GetWidth() : GetHeight();
        const double clientSize = axis == 0 ? client.width : client.height;
        if (pass == 1 && clientSize == content)
            break;
        const AxisSpec& spec = axis == 0 ? layout->X : layout->Y;
        LayoutReference rule = spec.Size;
        rule.Kind = 2;
        rule.Name = WString();
        rule.Rel = 0.0f;
        rule.Abs = RoundHalfAway(content + (size - clientSize));
        SetAxisLayout(axis, spec.PlacementAnchor, axis == 0 ? layout->XIsDocked : layout->YIsDocked, spec.Position, rule);
    }
}

QKRESULT LListBox::SnapHeightToItems()
{
    const RCPtr<LLayoutDescriptor> layout = GetLayoutDescriptor();
    if (!layout)
        return QK_E_FAIL;
    const RectD client = GetLookCount() > 0 ? GetLookClientRect(-1) : RectD{0.0, 0.0, 0.0, GetHeight()};
    const double n = std::trunc(GetHeight() - client.height);
    const double h = m_itemHeight;
    const auto snapped = [&](double abs) { return std::max(n + h, std::trunc((abs - n) / h) * h + n); };
    LayoutLimit minimum = layout->Y.MinSize;
    LayoutLimit maximum = layout->Y.MaxSize;
    if (minimum.Abs > n)
        minimum.Abs = snapped(minimum.Abs);
    if (maximum.Abs > n)
        maximum.Abs = snapped(maximum.Abs);
    if (minimum.Abs > 0.0 || maximum.Abs > 0.0)
        SetAxisSizeLimits(1, minimum, maximum);
    if (layout->Y.Size.Abs > 0.0)
    {
        LayoutReference size = layout->Y.Size;
        size.Abs = snapped(size.Abs);
        SetAxisLayout(1, layout->Y.PlacementAnchor, layout->YIsDocked, layout->Y.Position, size);
    }
    return QK_OK;
}

// 4. Items -----------------------------------------------------------------------------------------

LListItemRecord& LListBox::GetItemRecord(std::uint32_t index)
{
    if (index >= m_records.size())
        Throw<std::out_of_range>(ThrowSite{"QK::LListBox::GetItemRecord", "Controls\\ListBox", __LINE__});
    return m_records[index];
}

QKRESULT LListBox::InsertItemRecord(std::uint32_t index)
{
    index = std::min<std::uint32_t>(index, static_cast<std::uint32_t>(m_records.size()));
    m_records.insert(m_records.begin() + index, LListItemRecord());
    return QK_OK;
}

QKRESULT LListBox::EraseItemRecord(std::uint32_t index)
{
    if (index >= m_records.size())
        return QK_E_FAIL;
    m_records.erase(m_records.begin() + index);
    return QK_OK;
}

bool LListBox::IsItemHidden(std::uint32_t index) const
{
    return index < GetItemCount() && const_cast<LListBox*>(this)->GetItemRecord(index).Hidden;
}

const LListItemRecord& LListBox::GetItemRecordOrEmpty(std::uint32_t index) const
{
    if (index >= GetItemCount())
        return EmptyRecord();
    return const_cast<LListBox*>(this)->GetItemRecord(index);
}

bool LListBox::IsItemSelected(std::uint32_t index) const
{
    return GetItemRecordOrEmpty(index).IsSelected();
}

double LListBox::GetItemValue(std::uint32_t index) const
{
    return GetItemRecordOrEmpty(index).Value;
}

bool LListBox::GetItemAlternate(std::uint32_t index) const
{
    return GetItemRecordOrEmpty(index).Alternate;
}

WString LListBox::GetItemText(std::int32_t index) const
{
    if (index < 0)
        return WString();
    return GetItemRecordOrEmpty(static_cast<std::uint32_t>(index)).GetText();
}

ConstRCPtr<LRefCountedObject> LListBox::MakeItemText(const WString& text)
{
    return ConstRCPtr<LRefCountedObject>(LWrapperStringable<>::Create(text));
}

std::int32_t LListBox::InsertItem(std::uint32_t index, const WString& text)
{
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    index = std::min(index, GetItemCount());
    const QKRESULT inserted = InsertItemRecord(index);
    if (Failed(inserted))
        return inserted;
    GetItemRecord(index).Text = MakeItemText(text);
    // Anchor and caret keep pointing at their items.
    if (m_anchor >= static_cast<std::int32_t>(index))
        ++m_anchor;
    if (m_caret >= static_cast<std::int32_t>(index))
        ++m_caret;
    if (!m_updatesSuspended)
    {
        FillRows();
        RebindFrom(index);
        SetWidestText(std::max(m_widestText, GetItemTextWidth(index)));
        UpdateContentExtent();
        UpdatePopupHeight();
    }
    return static_cast<std::int32_t>(index);
}

void LListBox::SetItemText(std::uint32_t index, const WString& text)
{
    SetItemTextObject(index, MakeItemText(text));
}

void LListBox::SetItemTextObject(std::uint32_t index, const ConstRCPtr<LRefCountedObject>& text)
{
    if (index >= GetItemCount())
        return;
    const bool wasWidest = GetItemTextWidth(index) >= m_widestText;
    GetItemRecord(index).Text = text;
    RefreshItem(index);
    if (wasWidest)
        UpdateWidestText();
    else
        SetWidestText(std::max(m_widestText, GetItemTextWidth(index)));
    UpdateContentExtent();
}

void LListBox::SetItem(std::uint32_t index, const WString& text, double value, bool alternate, bool separator)
{
    if (index >= GetItemCount())
        return;
    LListItemRecord& record = GetItemRecord(index);
    const bool wasSelected = record.IsSelected();
    record.Text = MakeItemText(text);
    record.Value = value;
    record.Alternate = alternate;
    record.Separator = separator;
    if (wasSelected != record.IsSelected())
        m_selectedCount += record.IsSelected() ? 1 : -1;
    RefreshItem(index);
}

bool LListBox::SetItemAlternate(std::uint32_t index, bool alternate)
{
    if (index >= GetItemCount())
        return false;
    GetItemRecord(index).Alternate = alternate;
    RefreshItem(index);
    return true;
}

bool LListBox::SetItemSeparator(std::uint32_t index, bool separator)
{
    if (index >= GetItemCount())
        return false;
    GetItemRecord(index).Separator = separator;
    RefreshItem(index);
    return true;
}

void LListBox::SetItemValue(std::uint32_t index, double value)
{
    if (index >= GetItemCount())
        return;
    LListItemRecord& record = GetItemRecord(index);
    const bool wasSelected = record.IsSelected();
    record.Value = value;
    if (wasSelected != record.IsSelected())
        m_selectedCount += record.IsSelected() ? 1 : -1;
    RefreshItem(index);
}

std::int32_t LListBox::SetItemCount(std::uint32_t count)
{
    const std::uint32_t current = GetItemCount();
    if (count == current)
        return static_cast<std::int32_t>(count);
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    m_updatesSuspended = true;
    if (count < current)
    {
        for (std::uint32_t i = current; i-- > count;)
            RemoveItem(i);
    }
    else
    {
        while (GetItemCount() < count)
            if (InsertItem(GetItemCount(), WString()) < 0)
                break;
    }
    m_updatesSuspended = false;
    FillRows();
    RebindFrom(m_topIndex);
    UpdateWidestText();
    UpdateContentExtent();
    UpdatePopupHeight();
    const std::uint32_t reached = GetItemCount();
    return reached == count ? static_cast<std::int32_t>(count) : -static_cast<std::int32_t>(reached);
}

std::int32_t LListBox::RemoveItem(std::uint32_t index)
{
    if (index >= GetItemCount())
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    Deselect(static_cast<std::int32_t>(index));
    const bool wasWidest = GetItemTextWidth(index) >= m_widestText;
    if (Failed(EraseItemRecord(index)))
        return QK_E_FAIL;
    const auto i = static_cast<std::int32_t>(index);
    const bool anchorAfter = m_anchor > i;
    const bool caretAfter = m_caret > i;
    if (anchorAfter && caretAfter)
    {
        --m_anchor;
        --m_caret;
    }
    else if (anchorAfter != caretAfter)
    {
        m_anchor = -1;
        m_caret = -1;
    }
    const std::uint32_t count = GetItemCount();
    if (m_topIndex > count)
        m_topIndex = count;
    if (!m_updatesSuspended)
    {
        FillRows();
        RebindFrom(index);
        if (wasWidest)
            UpdateWidestText();
        UpdateContentExtent();
        UpdatePopupHeight();
        if (count > 0)
            ScrollItemIntoView(std::min(m_topIndex, count - 1));
    }
    return static_cast<std::int32_t>(count);
}

QKRESULT LListBox::RemoveAllItems()
{
    if (GetItemCount() == 0)
        return QK_FALSE;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    ScrollItemIntoView(0);
    ClearSelection();
    bool failed = false;
    for (std::uint32_t i = GetItemCount(); i-- > 0;)
        if (Failed(EraseItemRecord(i)))
            failed = true;
    m_selectedCount = 0;
    m_topIndex = 0;
    FillRows();
    RebindFrom(0);
    UpdateWidestText();
    UpdateContentExtent();
    UpdatePopupHeight();
    return failed ? QK_E_FAIL : QK_OK;
}

QKRESULT LListBox::SetItemHidden(std::uint32_t index, bool hidden)
{
    if (index >= GetItemCount())
        return QK_E_INVALIDARG;
    if (GetItemRecord(index).Hidden == hidden)
        return QK_FALSE;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    if (hidden)
        Deselect(static_cast<std::int32_t>(index));
    GetItemRecord(index).Hidden = hidden;
    UpdateContentExtent();
    if (hidden && index == m_topIndex)
    {
        // The top item went: the offset names the top again, counting only what shows.
        m_topIndex = GetItemCount();
        UpdateTopFromOffset(GetScrollOffset().y);
        ScrollItemIntoView(index);
    }
    // The rows from the item on show other items now; left as they were they would show
    // the hidden item and hide the one after it.
    FillRows();
    RebindFrom(std::min(index, m_topIndex));
    return QK_OK;
}

QKRESULT LListBox::SwapItems(std::uint32_t a, std::uint32_t b)
{
    if (a >= GetItemCount() || b >= GetItemCount() || a == b)
        return QK_OK;
    std::swap(GetItemRecord(a), GetItemRecord(b));
    return QK_OK;
}

bool LListBox::SortAll()
{
    return !Failed(SortItems(0, GetItemCount()));
}

QKRESULT LListBox::SortItems(std::uint32_t first, std::uint32_t count)
{
    if (count == 0)
        return QK_FALSE;
    if (static_cast<std::uint64_t>(first) + count > GetItemCount())
        return QK_E_INVALIDARG;
    std::vector<std::pair<WString, std::uint32_t>> texts;
    texts.reserve(count);
    for (std::uint32_t i = first; i < first + count; ++i)
        texts.emplace_back(GetItemRecord(i).GetText(), i);
    std::sort(texts.begin(), texts.end(), [](const auto& a, const auto& b)
              { return CompareNoCase(a.first.GetString(), b.first.GetString()) < 0; });
    // where[k]: the item that goes to position first + k. Swapping walks the permutation.
    std::vector<std::uint32_t> at(count);
    std::vector<std::uint32_t> position(count);
    for (std::uint32_t k = 0; k < count; ++k)
    {
        at[k] = k;
        position[k] = k;
    }
    std::int32_t anchor = m_anchor;
    std::int32_t caret = m_caret;
    for (std::uint32_t k = 0; k < count; ++k)
    {
        const std::uint32_t wanted = texts[k].second - first;
        const std::uint32_t from = position[wanted];
        if (from == k)
            continue;
        SwapItems(first + k, first + from);
        const std::uint32_t displaced = at[k];
        at[from] = displaced;
        position[displaced] = from;
        at[k] = wanted;
        position[wanted] = k;
    }
    const auto moved = [&](std::int32_t index)
    {
        if (index < static_cast<std::int32_t>(first) || index >= static_cast<std::int32_t>(first + count))
            return index;
        return static_cast<std::int32_t>(first + position[static_cast<std::uint32_t>(index) - first]);
    };
    m_anchor = moved(anchor);
    m_caret = moved(caret);
    RebindFrom(m_topIndex);
    if (m_caret >= 0)
        ScrollItemIntoView(static_cast<std::uint32_t>(m_caret));
    return QK_OK;
}

std::int32_t LListBox::FindItemByText(const WString& text, bool caseSensitive) const
{
    for (std::uint32_t i = GetItemCount(); i-- > 0;)
    {
        const WString itemText = GetItemRecordOrEmpty(i).GetText();
        if (caseSensitive ? itemText.IsEqual(text) : CompareNoCase(itemText.GetString(), text.GetString()) == 0)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::int32_t LListBox::SelectItemByText(const WString& text, std::int32_t start, bool caseSensitive)
{
    const std::uint32_t count = GetItemCount();
    if (count == 0)
        return -1;
    const std::int64_t from = start < 0 ? -1 : std::min<std::int64_t>(start, count - 1);
    for (std::uint32_t step = 1; step <= count; ++step)
    {
        const auto i = static_cast<std::uint32_t>((from + step) % count);
        const WString itemText = GetItemRecord(i).GetText();
        if (caseSensitive ? itemText.IsEqual(text) : CompareNoCase(itemText.GetString(), text.GetString()) == 0)
        {
            SelectItemRange(static_cast<std::int32_t>(i), -1, true);
            return static_cast<std::int32_t>(i);
        }
    }
    return -1;
}

std::int32_t LListBox::FindItem(const LControl* row) const
{
    if (!row)
        return -1;
    for (std::uint32_t r = 0; r < m_rows.size(); ++r)
        if (GetRowControl(r) == row)
        {
            const std::uint32_t index = ItemOfRow(r);
            return index < GetItemCount() ? static_cast<std::int32_t>(index) : -1;
        }
    return -1;
}

std::int32_t LListBox::ItemAtPoint(const PointD& point)
{
    const RectD client = GetChildClientRect(nullptr);
    if (point.x < client.x || point.y < client.y || point.x >= client.x + client.width ||
        point.y >= client.y + client.height)
        return -1;
    // Rows sit in the client area's coordinates, moved by the scroll offset.
    const PointD inContent{point.x - client.x + GetScrollOffset().x, point.y - client.y + GetScrollOffset().y};
    for (std::uint32_t r = static_cast<std::uint32_t>(m_rows.size()); r-- > 0;)
    {
        const LListBoxItem* row = GetRowControl(r);
        if (!row)
            continue;
        const RectD& b = row->GetBounds();
        if (inContent.x >= b.x && inContent.y >= b.y && inContent.x < b.x + b.width && inContent.y < b.y + b.height)
        {
            const std::uint32_t index = ItemOfRow(r);
            return index < GetItemCount() ? static_cast<std::int32_t>(index) : -1;
        }
    }
    return -1;
}

RectD LListBox::GetItemRect(std::uint32_t index) const
{
    const std::int32_t row = GetRowOfItem(index);
    const LListBoxItem* control = row >= 0 ? GetRowControl(static_cast<std::uint32_t>(row)) : nullptr;
    return control ? control->GetBounds() : RectD{0.0, 0.0, 0.0, 0.0};
}

// 5. Selection -------------------------------------------------------------------------------------

const std::vector<std::int32_t>& LListBox::GetSelectedIndices()
{
    m_selectedItems.clear();
    for (std::uint32_t i = 0; i < GetItemCount(); ++i)
        if (GetItemRecord(i).IsSelected())
            m_selectedItems.push_back(static_cast<std::int32_t>(i));
    return m_selectedItems;
}

void LListBox::SendSelectionChange()
{
    BeforeSelectionNotify();
    if (!m_popupMode)
        Send(kNidSelectionChange, nullptr);
}

std::int32_t LListBox::SelectItemRange(std::int32_t first, std::int32_t last, bool exclusive)
{
    const auto count = static_cast<std::int32_t>(std::min<std::uint32_t>(GetItemCount(), INT32_MAX));
    if (first < 0 || first >= count)
        return QK_E_INVALIDARG;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    if (last < 0)
        last = first;
    last = std::min(last, count - 1);
    if (first == last && IsItemSelected(static_cast<std::uint32_t>(first)) && (!exclusive || m_selectedCount == 1))
    {
        ScrollItemIntoView(static_cast<std::uint32_t>(first));
        return first;
    }
    m_anchor = first;
    m_caret = last;
    bool changed = false;
    if (exclusive)
    {
        const std::int32_t low = std::min(first, last);
        const std::int32_t high = std::max(first, last);
        for (std::int32_t i = count; i-- > 0;)
        {
            const bool inside = i >= low && i <= high;
            const bool selected = IsItemSelected(static_cast<std::uint32_t>(i));
            if (inside != selected)
            {
                SetItemValue(static_cast<std::uint32_t>(i), inside ? 1.0 : 0.0);
                changed = true;
            }
        }
    }
    else
    {
        const std::int32_t step = last >= first ? 1 : -1;
        for (std::int32_t i = first;; i += step)
        {
            if (!IsItemSelected(static_cast<std::uint32_t>(i)))
            {
                SetItemValue(static_cast<std::uint32_t>(i), 1.0);
                changed = true;
            }
            if (i == last)
                break;
        }
    }
    ScrollItemIntoView(static_cast<std::uint32_t>(m_caret));
    if (changed)
        SendSelectionChange();
    return first;
}

QKRESULT LListBox::Deselect(std::int32_t index)
{
    const auto count = static_cast<std::int32_t>(std::min<std::uint32_t>(GetItemCount(), INT32_MAX));
    if (index < 0 || index >= count || !IsItemSelected(static_cast<std::uint32_t>(index)))
        return QK_FALSE;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    SetItemValue(static_cast<std::uint32_t>(index), 0.0);
    const auto selected = [&](std::int32_t i) { return i >= 0 && i < count && IsItemSelected(static_cast<std::uint32_t>(i)); };
    if (m_selectedCount == 0)
    {
        m_anchor = -1;
        m_caret = -1;
    }
    else if (m_caret == index)
    {
        const bool together = m_anchor == m_caret;
        if (selected(index + 1) || selected(index - 1))
        {
            m_caret = selected(index + 1) ? index + 1 : index - 1;
            if (together)
                m_anchor = m_caret;
        }
        else if (m_anchor != index && m_anchor >= 0 && m_anchor < count)
        {
            m_caret = m_anchor;
        }
        else
        {
            std::int32_t highest = -1;
            for (std::int32_t i = count; i-- > 0;)
                if (selected(i))
                {
                    highest = i;
                    break;
                }
            if (highest >= 0)
            {
                m_anchor = highest;
                m_caret = highest;
            }
            else
            {
                m_caret = -1;
                m_selectedCount = 0;
            }
        }
    }
    else if (m_anchor == index)
    {
        m_anchor = selected(index + 1) ? index + 1 : (selected(index - 1) ? index - 1 : -1);
    }
    SendSelectionChange();
    return QK_OK;
}

void LListBox::ClearSelection()
{
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    bool changed = false;
    for (std::uint32_t i = 0; i < GetItemCount(); ++i)
        if (IsItemSelected(i))
        {
            SetItemValue(i, 0.0);
            changed = true;
        }
    m_anchor = -1;
    m_caret = -1;
    if (changed)
        SendSelectionChange();
}

void LListBox::ActivateItem(std::uint32_t index)
{
    if (index >= GetItemCount() || !CanSelectItem(index))
        return;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    OnItemActivate();
    if (m_popupMode)
        SetVisible(false);
    if (GetParent())
        Send(kNidItemActivated, nullptr);
}

// 6. Scrolling into view ---------------------------------------------------------------------------

std::uint32_t LListBox::VisibleItemsBefore(std::uint32_t index) const
{
    std::uint32_t visible = 0;
    for (std::uint32_t i = 0; i < std::min(index, GetItemCount()); ++i)
        if (!const_cast<LListBox*>(this)->GetItemRecord(i).Hidden)
            ++visible;
    return visible;
}

std::uint32_t LListBox::FullRows()
{
    const RectD client = GetChildClientRect(nullptr);
    const double top = GetScrollOffset().y;
    const double bottom = top + client.height;
    std::uint32_t full = 0;
    for (std::uint32_t r = 0; r < m_rows.size(); ++r)
        if (const LListBoxItem* row = GetRowControl(r))
        {
            const RectD& b = row->GetBounds();
            if (b.y >= top && b.y + b.height <= bottom)
                ++full;
        }
    return std::max<std::uint32_t>(full, 1);
}

void LListBox::SetScrollPosition(double y)
{
    const bool popup = m_popupMode;
    m_popupMode = false;
    SetScrollOffset(PointD{GetScrollOffset().x, y});
    m_popupMode = popup;
}

QKRESULT LListBox::ScrollItemIntoView(std::uint32_t index)
{
    const std::uint32_t count = GetItemCount();
    if (index >= count)
        return QK_E_INVALIDARG;
    if (GetItemRecord(index).Hidden)
    {
        std::int64_t found = -1;
        for (std::uint32_t i = index; i-- > 0;)
            if (!GetItemRecord(i).Hidden)
            {
                found = i;
                break;
            }
        if (found < 0)
            for (std::uint32_t i = index + 1; i < count; ++i)
                if (!GetItemRecord(i).Hidden)
                {
                    found = i;
                    break;
                }
        if (found < 0)
            return QK_FALSE;
        index = static_cast<std::uint32_t>(found);
    }
    if (m_rows.empty())
        return QK_FALSE;
    const std::uint32_t rows = FullRows();
    // The last top: rows - 1 visible items follow it up to the end of the list.
    std::uint32_t lastTop = count;
    for (std::uint32_t i = count, seen = 0; i-- > 0;)
        if (!GetItemRecord(i).Hidden)
        {
            lastTop = i;
            if (++seen == rows)
                break;
        }
    const std::uint32_t lastShown = ItemOfRow(rows - 1);
    if (index >= m_topIndex && index <= lastShown && m_topIndex <= lastTop)
        return QK_OK;
    std::uint32_t top = index;
    if (index > lastTop)
        top = lastTop;
    else if (index >= m_topIndex)
    {
        // Below the view: index becomes the last full row.
        top = index;
        for (std::uint32_t i = index, seen = 0; i-- > 0 && seen < rows - 1;)
            if (!GetItemRecord(i).Hidden)
            {
                top = i;
                ++seen;
            }
    }
    SetScrollPosition(static_cast<double>(VisibleItemsBefore(top)) * m_itemHeight);
    return QK_OK;
}

void LListBox::MoveTopIndex(std::uint32_t top)
{
    if (top == m_topIndex)
        return;
    m_topIndex = top;
    RebindFrom(m_topIndex);
    IRootWindow* root = GetRootWindowLink();
    LControl* hover = root ? root->GetHoverControl() : nullptr;
    if (!hover)
        return;
    for (std::uint32_t r = 0; r < m_rows.size(); ++r)
        if (GetRowControl(r) == hover)
        {
            // The row now shows another item: its hover state is worked out afresh.
            const RCPtr<LControl> held(hover);
            hover->SetVisible(false);
            hover->SetVisible(true);
            break;
        }
}

void LListBox::UpdateTopFromOffset(double offset)
{
    const double step = GetSmallScrollStep() > 0.0 ? GetSmallScrollStep() : m_itemHeight;
    const double position = step > 0.0 ? std::floor(std::max(0.0, offset) / step) : 0.0;
    const std::uint32_t count = GetItemCount();
    std::uint32_t top = count;
    std::uint32_t lastVisible = count;
    double seen = 0.0;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        if (GetItemRecord(i).Hidden)
            continue;
        lastVisible = i;
        if (seen == position)
        {
            top = i;
            break;
        }
        seen += 1.0;
    }
    if (top == count && lastVisible < count)
        top = lastVisible;
    MoveTopIndex(top);
}

void LListBox::OnClientInsetsChanged(const PointD& oldOffset, const PointD& newOffset)
{
    if (newOffset.y != oldOffset.y)
        UpdateTopFromOffset(newOffset.y);
    LScrollView::OnClientInsetsChanged(oldOffset, newOffset);
}

// 7. Mouse and keys --------------------------------------------------------------------------------

QKRESULT LListBox::OnRowMouseDown(const ConstRCPtr<LNotificationDistributor>& source,
                                  const ConstRCPtr<LNotification>& notification)
{
    const auto* button = dynamic_cast<const LMouseButtonParam*>(notification->GetArgument().Get());
    auto* row = const_cast<LControl*>(dynamic_cast<const LControl*>(source.Get()));
    if (!button || !row || m_popupMode)
        return QK_FALSE;
    const std::int32_t index = FindItem(row);
    if (index < 0)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    const RCPtr<LControl> heldRow(row);
    const PointL inRow{button->X, button->Y};
    if (button->Button == LMouseButtonParam::kLeft)
    {
        HandleLeftClick(index, *button);
        KeepPointerOnItem(index, row, inRow);
    }
    else if (button->Button == LMouseButtonParam::kRight)
    {
        KeepPointerOnItem(index, row, inRow);
        if (!button->DoubleClick)
        {
            const RCPtr<LHolder<int>> holder(new LHolder<int>());
            holder->SetValue(index);
            Send(kNidItemRightClick, ConstRCPtr<LRefCountedObject>(holder.Get()));
        }
    }
    return QK_FALSE;
}

void LListBox::HandleLeftClick(std::int32_t index, const LMouseButtonParam& button)
{
    SelectItemRange(index, index, true);
    if (button.DoubleClick)
        Send(kNidItemDoubleClicked, nullptr);
}

void LListBox::KeepPointerOnItem(std::int32_t index, LControl* clicked, const PointL& point)
{
    const std::int32_t row = GetRowOfItem(static_cast<std::uint32_t>(index));
    LListBoxItem* now = row >= 0 ? GetRowControl(static_cast<std::uint32_t>(row)) : nullptr;
    IRootWindow* root = GetRootWindowLink();
    if (!now || now == clicked || !root)
        return;
    RectL window;
    now->GetWindowRect(window);
    const PointL origin = root->GetClientOrigin();
    LControlApp::SetCursorPos(PointL{origin.x + window.x + point.x, origin.y + window.y + point.y});
    root->SetHoverControl(now);
}

QKRESULT LListBox::OnRowMouseUp(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
{
    // A deferred click belongs to multiple selection, which is off.
    return QK_FALSE;
}

void LListBox::SendItemConditions(const char16_t* nid, LListBoxItem& row, const LConditionsParam& conditions)
{
    const RCPtr<LItemConditionsParam> argument = LItemConditionsParam::Create(
        conditions, FindItem(&row), row.GetCurrentLookIndex(), (row.GetConditions() & kPointerOver) != 0);
    Send(nid, ConstRCPtr<LRefCountedObject>(argument.Get()));
}

QKRESULT LListBox::OnRowHoverChange(const ConstRCPtr<LNotificationDistributor>& source,
                                    const ConstRCPtr<LNotification>& notification)
{
    const auto* conditions = dynamic_cast<const LConditionsParam*>(notification->GetArgument().Get());
    auto* row = const_cast<LListBoxItem*>(dynamic_cast<const LListBoxItem*>(source.Get()));
    if (!conditions || !row || !row->IsEnabled(true))
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    const RCPtr<LControl> heldRow(row);
    if (m_popupMode && (conditions->NewConditions & kHover) && !(conditions->OldConditions & kHover))
    {
        const std::int32_t index = FindItem(row);
        if (index >= 0)
            SelectItemRange(index, -1, true);
    }
    SendItemConditions(kNidItemHoverConditionChange, *row, *conditions);
    return QK_FALSE;
}

QKRESULT LListBox::OnRowLeftDragChange(const ConstRCPtr<LNotificationDistributor>& source,
                                       const ConstRCPtr<LNotification>& notification)
{
    const auto* conditions = dynamic_cast<const LConditionsParam*>(notification->GetArgument().Get());
    auto* row = const_cast<LListBoxItem*>(dynamic_cast<const LListBoxItem*>(source.Get()));
    if (!conditions || !row || !row->IsEnabled(true))
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    SendItemConditions(u"NID_ITEM_LEFT_DRAG_CONDITION_CHANGE", *row, *conditions);
    return QK_FALSE;
}

// A popup list tracks the press its rows handed it; a plain list leaves presses to its rows.
void LListBox::OnMouseMove(const LPointWithModifiersParam* point)
{
    const std::uint32_t conditions = GetConditions();
    if (!m_popupMode || !point || !(conditions & kCaptured) || !(conditions & kLeftDrag))
        return;
    const std::int32_t index = ItemAtPoint(PointD{static_cast<double>(point->X), static_cast<double>(point->Y)});
    if (index < 0)
        ClearSelection();
    else if (CanSelectItem(static_cast<std::uint32_t>(index)))
        SelectItemRange(index, -1, true);
}

void LListBox::OnLeftButtonUp(const LMouseButtonParam* button)
{
    if (!m_popupMode || !button)
        return;
    const RCPtr<LControl> self(this);
    const PointD point{static_cast<double>(button->X), static_cast<double>(button->Y)};
    const std::int32_t index = ItemAtPoint(point);
    LControl* parent = GetParent();
    if (index >= 0 && parent)
    {
        // A release over an item the pointer never hovered (the list opened under a still
        // pointer) picks that item, not the one selected before.
        if (m_popupMode && index != m_caret && CanSelectItem(static_cast<std::uint32_t>(index)))
            SelectItemRange(index, -1, true);
        ActivateItem(static_cast<std::uint32_t>(index));
        return;
    }
    if (!dynamic_cast<LDropDownControl*>(parent))
        return;
    // The release point in the parent's client coordinates.
    const RectD client = parent->GetLookClientRect(-1);
    const RectD& bounds = GetBounds();
    const double x = point.x + bounds.x + client.x;
    const double y = point.y + bounds.y + client.y;
    if (x < 0.0 || y < 0.0 || x >= parent->GetWidth() || y >= parent->GetHeight())
        SetVisible(false);
}

QKRESULT LListBox::WantsKey(LKeyParam* key)
{
    if (!key)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    const std::int32_t code = key->Key.GetCode();
    const auto count = static_cast<std::int32_t>(std::min<std::uint32_t>(GetItemCount(), INT32_MAX));
    if (code == kKeyUp || code == kKeyShiftUp)
    {
        for (std::int32_t i = m_caret - 1; i >= 0 && i < count; --i)
            if (CanSelectItem(static_cast<std::uint32_t>(i)))
            {
                SelectItemRange(i, -1, true);
                break;
            }
        return QK_OK;
    }
    if (code == kKeyDown || code == kKeyShiftDown)
    {
        for (std::int32_t i = m_caret + 1; i >= 0 && i < count; ++i)
            if (CanSelectItem(static_cast<std::uint32_t>(i)))
            {
                SelectItemRange(i, -1, true);
                break;
            }
        return QK_OK;
    }
    if (code == kKeyEnter)
    {
        if (m_caret >= 0)
            ActivateItem(static_cast<std::uint32_t>(m_caret));
        return QK_OK;
    }
    // Left, Right, the page keys, Home and End reach the bars as sibling keys first.
    return QK_FALSE;
}

// 8. Conditions, size and children ----------------------------------------------------------------

void LListBox::OnConditionsChanged(LConditionsParam* record)
{
    LScrollView::OnConditionsChanged(record);
    if (!record || !(record->GetChanged() & (kEnabled | kHasFocus)))
        return;
    std::int32_t look = 0;
    if (!(record->NewConditions & kEnabled))
        look = 1;
    else if (record->NewConditions & kHasFocus)
        look = 2;
    if (!GetLook(look))
        look = 0;
    SelectLook(look, true);
}

void LListBox::OnSizeChanged()
{
    LScrollView::OnSizeChanged();
    FillRows();
    if (m_topIndex < GetItemCount())
        ScrollItemIntoView(m_topIndex);
}

void LListBox::OnChildPlacementChanged(LControl* child)
{
    LScrollView::OnChildPlacementChanged(child);
    FillRows();
}

void LListBox::OnChildrenChanged(LControl* child, std::int32_t index)
{
    // Rows are kept by their place among the children: every place after the one that
    // went moves down, and a row that went loses its own entry (not the last one).
    if (index >= 0)
    {
        const auto gone = static_cast<std::uint32_t>(index);
        for (std::size_t r = 0; r < m_rows.size();)
        {
            if (m_rows[r] == gone && dynamic_cast<LListBoxItem*>(child))
            {
                m_rows.erase(m_rows.begin() + static_cast<std::ptrdiff_t>(r));
                continue;
            }
            if (m_rows[r] > gone)
                --m_rows[r];
            ++r;
        }
    }
    LScrollView::OnChildrenChanged(child, index);
}

void LListBox::OnScrollBarShownChanged(std::int32_t axis)
{
    LScrollView::OnScrollBarShownChanged(axis);
    FillRows();
    // The rows end where the bar begins, and keep the widest text's width beside it.
    if (axis == 1)
    {
        FitRowsBesideTheBar();
        FitWidthToContent();
    }
}

// 9. Receiving --------------------------------------------------------------------------------------

void LListBox::SetPopupMode(bool popup)
{
    m_popupMode = popup;
    for (std::uint32_t r = 0; r < m_rows.size(); ++r)
        if (LListBoxItem* row = GetRowControl(r))
            row->SetPopup(popup);
}

void LListBox::SetItemForcedHover(std::uint32_t index, bool hover)
{
    const std::int32_t row = GetRowOfItem(index);
    if (LListBoxItem* control = row >= 0 ? GetRowControl(static_cast<std::uint32_t>(row)) : nullptr)
        control->SetForcedHover(hover);
}

void LListBox::SelectItemLook(std::uint32_t index, std::int32_t look)
{
    const std::int32_t row = GetRowOfItem(index);
    LListBoxItem* control = row >= 0 ? GetRowControl(static_cast<std::uint32_t>(row)) : nullptr;
    if (control && control->GetLook(look))
        control->SelectLook(look, true);
}

QKRESULT LListBox::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                       const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LScrollView>(*this, m_listHandlers, source, notification);
}

QKRESULT LListBox::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LScrollView>(*this, m_listHandlers, source, id);
}

} // namespace QK
