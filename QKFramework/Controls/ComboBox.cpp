// Contents: 1. construction and set-up; 2. items and selection; 3. the drop-down; 4. input
// and looks; 5. the list's and the text box's notifications; 6. receiving.
#include "QKFramework/Controls/ComboBox.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/LayoutDescriptor.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Controls/TextBox.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <algorithm>
#include <cmath>

namespace QK
{

using namespace ControlDetail;

namespace
{

constexpr std::int32_t kKeyEscape = static_cast<std::int32_t>(0x201B0000u);

// A maximum size given in pixels (0: none).
double AbsoluteMaximum(const LLayoutDescriptor* layout)
{
    return layout && !layout->Y.MaxSize.HasReference ? layout->Y.MaxSize.Abs : 0.0;
}

} // namespace

// 1. Construction and set-up ----------------------------------------------------------------------

LComboBox::LComboBox(LControl* parent, const WString& name) : LDropDownControl(parent, name) {}

LComboBox::~LComboBox() = default;

RCPtr<LControl> LComboBox::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LComboBox>(parent, descriptor);
}

QKRESULT LComboBox::ApplyCreateParam()
{
    const QKRESULT result = LDropDownControl::ApplyCreateParam();
    m_initialSelectedIndex = 0;
    WString text;
    if (FindParam(GetControlDescriptor().Get(), u"INITIAL_SELECTED_INDEX", text))
        m_initialSelectedIndex = ParseInt(text.GetString());
    return result;
}

QKRESULT LComboBox::Initialize()
{
    if (Failed(LDropDownControl::Initialize()))
        return QK_E_FAIL;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    m_listBox = RCPtr<LListBox>(dynamic_cast<LListBox*>(FindChild(WString(u"listBox")).Get()));
    if (!m_listBox)
        return QK_E_FAIL;
    if (!m_comboHandlers)
        m_comboHandlers = LNotificationHandler<LComboBox>::Create(this);
    const ConstRCPtr<LNotificationDistributor> list(m_listBox.Get());
    m_comboHandlers->AddHandler(&LComboBox::OnListVisibility, list, kNidVisibilityConditionChange);
    m_comboHandlers->AddHandler(&LComboBox::OnListItemActivated, list, kNidItemActivated);
    m_textBox = RCPtr<LTextBox>(dynamic_cast<LTextBox*>(FindChild(WString(u"textBox")).Get()));
    if (m_textBox)
    {
        const ConstRCPtr<LNotificationDistributor> box(m_textBox.Get());
        m_comboHandlers->AddHandler(&LComboBox::OnTextBoxValidating, box, kNidTextboxValidating);
        m_comboHandlers->AddHandler(&LComboBox::OnTextBoxValidated, box, kNidTextboxValidated);
        m_comboHandlers->AddHandler(&LComboBox::OnTextBoxTextChange, box, kNidTextboxTextChange);
        m_comboHandlers->AddHandler(&LComboBox::OnTextBoxFocus, box, kNidHasFocusConditionChange);
    }
    m_listBox->SetPopupMode(true);
    m_listBox->SetVisible(false);
    if (const ConstRCPtr<LStringTable> table = GetStringTable())
        m_listBox->SetItemStringTable(table);
    const std::int32_t initial = m_initialSelectedIndex;
    if (initial >= 0 && static_cast<std::uint32_t>(initial) < m_listBox->GetItemCount() &&
        m_listBox->SelectItemRange(initial, -1, true) >= 0)
    {
        const WString text = m_listBox->GetItemText(initial);
        LControl::SetText(text);
        if (m_textBox)
            m_textBox->SetText(text, true);
        m_selectedIndex = initial;
    }
    return QK_OK;
}

QKRESULT LComboBox::InitializeParts()
{
    const QKRESULT result = LDropDownControl::InitializeParts();
    HideList();
    FitListToCombo();
    UpdateLook();
    return result;
}

QKRESULT LComboBox::FitListToCombo()
{
    if (!m_listBox)
        return QK_E_FAIL;
    const RCPtr<LLayoutDescriptor> layout = m_listBox->GetLayoutDescriptor();
    if (!layout)
        return QK_E_FAIL;
    const RCPtr<LControl> held(m_listBox.Get());
    if (m_listBox->GetWidth() <= 0.0)
    {
        LayoutReference width{2, WString(), 0.0f, GetWidth()};
        m_listBox->SetAxisLayout(0, layout->X.PlacementAnchor, layout->XIsDocked, layout->X.Position, width);
    }
    if (m_listBox->GetHeight() <= 0.0)
    {
        LayoutReference height{2, WString(), 0.0f, static_cast<double>(m_listBox->GetItemHeightPixels())};
        m_listBox->SetAxisLayout(1, layout->Y.PlacementAnchor, layout->YIsDocked, layout->Y.Position, height);
    }
    if (m_listBox->GetHeight() > 0.0)
        m_listBox->SnapHeightToItems();
    // The list follows its widest item, but is never narrower than the control it drops from.
    if (!layout->X.MinSize.HasReference && layout->X.MinSize.Abs < GetWidth())
    {
        LayoutLimit minimum;
        minimum.Abs = GetWidth();
        m_listBox->SetAxisSizeLimits(0, minimum, layout->X.MaxSize);
    }
    return QK_OK;
}

// 2. Items and selection --------------------------------------------------------------------------

std::int32_t LComboBox::SetItemCount(std::uint32_t count)
{
    if (!m_listBox)
        return QK_E_FAIL;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const std::int32_t result = m_listBox->SetItemCount(count);
    if (m_selectedIndex >= 0 && static_cast<std::uint32_t>(m_selectedIndex) >= m_listBox->GetItemCount())
        SelectItem(-1);
    if (IsDroppedDown())
        ShowDropDown(true);
    return result;
}

std::int32_t LComboBox::SelectItem(std::int32_t index)
{
    if (!m_listBox)
    {
        m_selectedIndex = -1;
        return -1;
    }
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    if (index < 0)
    {
        m_selectedIndex = -1;
        m_listBox->ClearSelection();
        return -1;
    }
    const std::int32_t answer = m_listBox->SelectItemRange(index, index, true);
    const bool changed = answer != m_selectedIndex;
    m_selectedIndex = answer < 0 ? -1 : answer;
    if (answer < 0)
        return -1;
    const WString text = m_listBox->GetItemText(answer);
    LControl::SetText(text);
    if (m_textBox)
        m_textBox->SetText(text, true);
    if (changed)
        Send(kNidSelectionChange, nullptr);
    return m_selectedIndex;
}

QKRESULT LComboBox::SetText(const WString& text)
{
    if (LControl::SetText(text) != QK_OK)
        return QK_FALSE;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    SelectItem(m_listBox ? m_listBox->FindItemByText(text, false) : -1);
    return QK_OK;
}

std::int32_t LComboBox::InsertItem(std::int32_t index, const WString& item)
{
    if (item.IsEmpty() || index < 0)
        return QK_E_INVALIDARG;
    if (!m_listBox)
        return QK_E_FAIL;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const std::int32_t added = m_listBox->InsertItem(static_cast<std::uint32_t>(index), item);
    if (added < 0)
        return added;
    if (added > m_selectedIndex)
    {
        if (m_selectedIndex < 0 && item.IsEqual(GetText()))
            SelectItem(added);
    }
    else
    {
        ++m_selectedIndex;
    }
    return added;
}

std::int32_t LComboBox::AddItem(const WString& item)
{
    return InsertItem(static_cast<std::int32_t>(std::min<std::uint32_t>(GetItemCount(), INT32_MAX)), item);
}

// 3. The drop-down ----------------------------------------------------------------------------------

bool LComboBox::IsDroppedDown()
{
    return m_listBox && m_listBox->IsVisible(false) && m_listBox->GetWidth() > 0.0 && m_listBox->GetHeight() > 0.0;
}

void LComboBox::HideList()
{
    if (m_listBox)
        m_listBox->SetVisible(false);
}

void LComboBox::PlaceList(bool below, double height)
{
    const RCPtr<LLayoutDescriptor> layout = m_listBox->GetLayoutDescriptor();
    if (!layout)
        return;
    // Below: the list's top on the control's bottom. Above: its bottom on the control's top.
    const LayoutReference position{0, WString(), below ? 1.0f : 0.0f, 0.0};
    LayoutReference size = layout->Y.Size;
    if (height > 0.0)
        size = LayoutReference{2, WString(), 0.0f, height};
    m_listBox->SetAxisLayout(1, below ? 0.0f : 1.0f, layout->YIsDocked, position, size);
}

QKRESULT LComboBox::ShowDropDown(bool show)
{
    if (!m_listBox)
        return QK_E_FAIL;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const RCPtr<LListBox> list = m_listBox;
    const bool opening = show && GetParent();
    if (opening)
    {
        Send(u"NID_DROPDOWN_OPENING", nullptr);
        PointD origin;
        GetPositionInRoot(origin);
        IRootWindow* root = GetRootWindowLink();
        const double windowHeight = root ? static_cast<double>(root->GetClientSize().second) : 0.0;
        const double top = origin.y;
        const double roomAbove = top - kWindowMargin;
        const double roomBelow = windowHeight - (top + GetHeight()) - kWindowMargin;
        const double needed = static_cast<double>(list->GetItemHeightPixels()) * list->GetItemCount();
        const LControlDescriptor* described = list->GetControlDescriptor().Get();
        const double skinMaximum = AbsoluteMaximum(described ? described->Layout.Get() : nullptr);
        const double currentMaximum = AbsoluteMaximum(list->GetLayoutDescriptor().Get());
        const bool byNeed = currentMaximum == 0.0 || skinMaximum <= 0.0 ||
                            (roomAbove < skinMaximum && roomBelow < skinMaximum);
        const bool below = byNeed ? (needed <= roomBelow || roomBelow >= roomAbove) : skinMaximum <= roomBelow;
        const double room = below ? roomBelow : roomAbove;
        double height = 0.0;
        if (skinMaximum <= 0.0)
            height = needed <= room ? 0.0 : room;
        else
            height = std::min(room, skinMaximum);
        PlaceList(below, height);
        list->SnapHeightToItems();
        // The current text picked in the list: the lowest item that carries it, else item 0.
        bool found = false;
        const WString& text = GetText();
        for (std::uint32_t i = list->GetItemCount(); i-- > 0;)
            if (list->GetItemText(static_cast<std::int32_t>(i)).IsEqual(text))
            {
                list->SelectItemRange(static_cast<std::int32_t>(i), -1, true);
                list->ScrollItemIntoView(i);
                found = true;
            }
        if (!found && list->GetItemCount() > 0)
        {
            list->SelectItemRange(0, -1, true);
            list->ScrollItemIntoView(0);
        }
    }
    list->SetVisible(show);
    if (opening)
    {
        if (list->IsPopupMode() && (GetConditions() & kLeftButtonDown))
        {
            // Press, drag and release across the list picks: the list tracks the press the
            // control took, from where it was made.
            const RectD client = GetLookClientRect(-1);
            const RectD& at = list->GetBounds();
            const PointL point{static_cast<std::int32_t>(RoundHalfAway(m_pressX - client.x - at.x)),
                               static_cast<std::int32_t>(RoundHalfAway(m_pressY - client.y - at.y))};
            ReleaseCapture();
            list->CaptureMouse(LMouseButtonParam::kLeft, point);
        }
        list->SetFocus(true);
    }
    UpdateLook();
    return QK_OK;
}

// 4. Input and looks --------------------------------------------------------------------------------

void LComboBox::OnConditionsChanged(LConditionsParam* record)
{
    // The press is remembered before the drop-down handling, which may open the list and
    // hand the press to it.
    if (record && (record->NewConditions & kLeftButtonDown) && !(record->OldConditions & kLeftButtonDown))
    {
        m_pressX = record->X - GetBounds().x;
        m_pressY = record->Y - GetBounds().y;
    }
    LDropDownControl::OnConditionsChanged(record);
    UpdateLook();
}

QKRESULT LComboBox::UpdateLook()
{
    SelectDropDownLook();
    return QK_OK;
}

QKRESULT LComboBox::WantsKey(LKeyParam* key)
{
    return OpenOrCloseByKey(key);
}

QKRESULT LComboBox::DispatchKey(LKeyParam* key)
{
    if (key && key->Key.GetCode() == kKeyEscape && m_listBox)
        return ShowDropDown(false);
    return QK_OK;
}

WString LComboBox::GetToolTipText() const
{
    // The text area test lays the text out; it changes no state the caller can see.
    if (const_cast<LComboBox*>(this)->IsTextOverflowing())
        return GetText();
    return LDropDownControl::GetToolTipText();
}

// 5. The list's and the text box's notifications ----------------------------------------------------

QKRESULT LComboBox::OnListVisibility(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
{
    UpdateLook();
    return QK_FALSE;
}

QKRESULT LComboBox::OnListItemActivated(const ConstRCPtr<LNotificationDistributor>&, const ConstRCPtr<LNotification>&)
{
    if (!m_listBox)
        return QK_FALSE;
    const std::int32_t caret = m_listBox->GetCaret();
    SelectItem(caret >= 0 && static_cast<std::uint32_t>(caret) < m_listBox->GetItemCount() ? caret : -1);
    return QK_OK;
}

QKRESULT LComboBox::OnTextBoxTextChange(const ConstRCPtr<LNotificationDistributor>&,
                                        const ConstRCPtr<LNotification>& notification)
{
    Send(kNidTextboxTextChange, notification->GetArgument());
    return QK_FALSE;
}

QKRESULT LComboBox::OnTextBoxValidating(const ConstRCPtr<LNotificationDistributor>&,
                                        const ConstRCPtr<LNotification>& notification)
{
    Send(kNidTextboxValidating, notification->GetArgument());
    return QK_FALSE;
}

QKRESULT LComboBox::OnTextBoxValidated(const ConstRCPtr<LNotificationDistributor>&,
                                       const ConstRCPtr<LNotification>& notification)
{
    const RCPtr<LControl> self(this);
    const auto* validation = dynamic_cast<const LTextValidationParams*>(notification->GetArgument().Get());
    if (validation && m_listBox)
        SelectItem(m_listBox->SelectItemByText(validation->Text, -1, false));
    Send(kNidTextboxValidated, notification->GetArgument());
    return QK_FALSE;
}

QKRESULT LComboBox::OnTextBoxFocus(const ConstRCPtr<LNotificationDistributor>&,
                                   const ConstRCPtr<LNotification>& notification)
{
    const auto* conditions = dynamic_cast<const LConditionsParam*>(notification->GetArgument().Get());
    if (conditions && (conditions->NewConditions & kHasFocus) && !(conditions->OldConditions & kHasFocus))
        HideList();
    return QK_FALSE;
}

// 6. Receiving --------------------------------------------------------------------------------------

QKRESULT LComboBox::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                        const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LDropDownControl>(*this, m_comboHandlers, source, notification);
}

QKRESULT LComboBox::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LDropDownControl>(*this, m_comboHandlers, source, id);
}

} // namespace QK
