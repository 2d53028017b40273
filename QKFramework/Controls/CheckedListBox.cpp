// Contents: 1. construction and set-up; 2. records; 3. checks and icons; 4. rows and
// binding; 5. the boxes' notifications; 6. receiving.
#include "QKFramework/Controls/CheckedListBox.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Look.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/ControlBase/VisualPart.h"
#include "QKFramework/Controls/IndexedDataParam.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/ObjectBase/TypeName.h"

#include <stdexcept>
#include <utility>

namespace QK
{

namespace
{

constexpr std::int32_t kIconLook = 3;

bool IsValidBitmap(const ConstRCPtr<LBitmap>& bitmap)
{
    return bitmap && bitmap->GetGdiplusBitmap() && bitmap->GetWidth() > 0 && bitmap->GetHeight() > 0;
}

} // namespace

// 1. Construction and set-up ----------------------------------------------------------------------

LCheckedListBox::~LCheckedListBox() = default;

RCPtr<LControl> LCheckedListBox::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LCheckedListBox(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

LCheckedListBox::Handlers& LCheckedListBox::GetCheckHandlers()
{
    // Rows can be made before Initialize (a list measured while its children are attached).
    if (!m_checkHandlers)
        m_checkHandlers = Handlers::Create(this);
    return *m_checkHandlers;
}

QKRESULT LCheckedListBox::Initialize()
{
    GetCheckHandlers();
    const QKRESULT result = LListBox::Initialize();
    // Only a checked list itself takes icons; the tree view and the popup menu use look 3
    // for their own ends.
    if (TypeNameOf(typeid(*this)).find("LCheckedListBox") == std::string::npos)
        return result;
    if (GetLookCount() <= static_cast<std::uint32_t>(kIconLook) || !GetLook(kIconLook))
        return result;
    LoadIcons();
    SetIconMode(true);
    return result;
}

void LCheckedListBox::LoadIcons()
{
    const RCPtr<LLook> look = GetLook(kIconLook);
    const ConstRCPtr<LLookDescriptor>& descriptor = look->GetDescriptor();
    if (!descriptor)
        return;
    const auto take = [this](const RCPtr<LDockedPart>& docked)
    {
        if (!docked || !docked->Part)
            return;
        const ConstRCPtr<LVisualPart> part = docked->Part->BuildVisualPart();
        if (part && IsValidBitmap(part->GetBitmap()))
            m_icons.Add(part->GetBitmap());
    };
    take(descriptor->ClientPart);
    for (std::uint32_t i = 0; i < descriptor->NonClientParts.GetCount(); ++i)
        take(*descriptor->NonClientParts.GetAt(i));
}

// 2. Records ----------------------------------------------------------------------------------------

LCheckedItemRecord& LCheckedListBox::GetItemRecord(std::uint32_t index)
{
    return GetCheckedItemRecord(index);
}

LCheckedItemRecord& LCheckedListBox::GetCheckedItemRecord(std::uint32_t index)
{
    if (index >= m_checkedRecords.size())
        Throw<std::out_of_range>(ThrowSite{"QK::LCheckedListBox::GetCheckedItemRecord", "Controls\\CheckedListBox", __LINE__});
    return m_checkedRecords[index];
}

QKRESULT LCheckedListBox::InsertItemRecord(std::uint32_t index)
{
    index = std::min<std::uint32_t>(index, static_cast<std::uint32_t>(m_checkedRecords.size()));
    m_checkedRecords.insert(m_checkedRecords.begin() + index, LCheckedItemRecord());
    return QK_OK;
}

QKRESULT LCheckedListBox::EraseItemRecord(std::uint32_t index)
{
    if (index >= m_checkedRecords.size())
        return QK_E_FAIL;
    // The count follows the records, so that removing a checked item does not leave it
    // counted.
    if (m_checkedRecords[index].Checked)
        --m_checkedCount;
    m_checkedRecords.erase(m_checkedRecords.begin() + index);
    return QK_OK;
}

std::int32_t LCheckedListBox::SetItemCount(std::uint32_t count)
{
    const std::int32_t result = LListBox::SetItemCount(count);
    CountCheckedItems();
    return result;
}

QKRESULT LCheckedListBox::SwapItems(std::uint32_t a, std::uint32_t b)
{
    if (a < GetItemCount() && b < GetItemCount() && a != b)
        std::swap(GetCheckedItemRecord(a), GetCheckedItemRecord(b));
    return QK_OK;
}

// 3. Checks and icons -------------------------------------------------------------------------------

void LCheckedListBox::CountCheckedItems()
{
    std::int32_t count = 0;
    for (std::uint32_t i = GetItemCount(); i-- > 0;)
        if (GetCheckedItemRecord(i).Checked)
            ++count;
    m_checkedCount = count;
}

void LCheckedListBox::SetItemChecked(std::uint32_t index, bool checked)
{
    if (index >= GetItemCount())
        return;
    LCheckedItemRecord& record = GetCheckedItemRecord(index);
    if ((record.Checked != 0) == checked)
        return;
    record.Checked = checked ? 1 : 0;
    m_checkedCount += checked ? 1 : -1;
    std::int32_t row = -1;
    UpdateItemControl(index, row);
}

bool LCheckedListBox::IsItemChecked(std::uint32_t index) const
{
    return index < GetItemCount() && const_cast<LCheckedListBox*>(this)->GetCheckedItemRecord(index).Checked != 0;
}

ConstRCPtr<LBitmap> LCheckedListBox::GetItemIcon(std::uint32_t index) const
{
    if (index >= GetItemCount())
        return nullptr;
    if (m_icons.GetCount() > 0)
        return *m_icons.GetAt(index % m_icons.GetCount());
    return const_cast<LCheckedListBox*>(this)->GetCheckedItemRecord(index).Icon;
}

void LCheckedListBox::SetIconMode(bool on)
{
    m_iconMode = on;
    for (std::uint32_t i = GetRowCount(); i-- > 0;)
        if (const RCPtr<LCheckedListBoxItem> item = GetCheckedItem(i))
            if (const RCPtr<LButton> box = item->GetCheckBox())
                box->SetPassive(on);
}

void LCheckedListBox::SetAutoCheck(bool on)
{
    if (on == m_autoCheck)
        return;
    m_autoCheck = on;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    for (std::uint32_t i = GetRowCount(); i-- > 0;)
    {
        const RCPtr<LCheckedListBoxItem> item = GetCheckedItem(i);
        const RCPtr<LButton> box = item ? item->GetCheckBox() : nullptr;
        if (!box)
            continue;
        box->SetAutoValueSet(on);
        UnsubscribeCheckBox(*box, on ? kNidLeftClick : kNidValueChange);
        SubscribeCheckBox(*box);
    }
}

RCPtr<LCheckedListBoxItem> LCheckedListBox::GetCheckedItem(std::uint32_t i) const
{
    return RCPtr<LCheckedListBoxItem>(dynamic_cast<LCheckedListBoxItem*>(GetRowControl(i)));
}

// 4. Rows and binding -------------------------------------------------------------------------------

void LCheckedListBox::SubscribeCheckBox(LButton& box)
{
    const ConstRCPtr<LNotificationDistributor> source(&box);
    if (m_autoCheck)
        GetCheckHandlers().AddHandler(&LCheckedListBox::OnCheckBoxValueChange, source, kNidValueChange);
    else
        GetCheckHandlers().AddHandler(&LCheckedListBox::OnCheckBoxClick, source, kNidLeftClick);
}

void LCheckedListBox::UnsubscribeCheckBox(LButton& box, const char16_t* nid)
{
    const ConstRCPtr<LNotificationDistributor> source(&box);
    GetCheckHandlers().RemoveHandler(source, nid);
    Unsubscribe(source, nid);
}

void LCheckedListBox::CreateItemControl()
{
    const std::uint32_t before = GetRowCount();
    LListBox::CreateItemControl();
    if (GetRowCount() <= before)
        return;
    const RCPtr<LCheckedListBoxItem> item = GetCheckedItem(GetRowCount() - 1);
    const RCPtr<LButton> box = item ? item->GetCheckBox() : nullptr;
    if (!box)
        return;
    box->SetPassive(m_iconMode);
    box->SetAutoValueSet(m_autoCheck);
    SubscribeCheckBox(*box);
}

void LCheckedListBox::SetCheckBoxValue(LButton& box, double value)
{
    // An unchanged value sends nothing, and the subscription may be the one being delivered.
    if (box.GetValue() == value)
        return;
    const ConstRCPtr<LNotificationDistributor> source(&box);
    if (m_autoCheck && m_checkHandlers && m_checkHandlers->HasHandler(&box, GetNotificationId(kNidValueChange)))
    {
        CAutoNotificationDisabler<LCheckedListBox> suspended(*m_checkHandlers, source, kNidValueChange);
        box.SetValue(value);
        return;
    }
    box.SetValue(value);
}

void LCheckedListBox::SetCheckBoxIcon(LButton& box, const ConstRCPtr<LBitmap>& icon)
{
    for (std::int32_t look = static_cast<std::int32_t>(box.GetLookCount()); look-- > 0;)
        if (box.GetLook(look))
            box.SetLookOverlay(icon, LVisualPartDescriptor::kStretch, look, true);
}

QKRESULT LCheckedListBox::UpdateItemControl(std::uint32_t index, std::int32_t& row)
{
    const QKRESULT result = LListBox::UpdateItemControl(index, row);
    if (Failed(result) || row < 0)
        return result;
    const RCPtr<LCheckedListBoxItem> item = GetCheckedItem(static_cast<std::uint32_t>(row));
    const RCPtr<LButton> box = item ? item->GetCheckBox() : nullptr;
    if (!box)
        return result;
    if (index >= GetItemCount())
    {
        SetCheckBoxValue(*box, 0.0);
        SetCheckBoxIcon(*box, nullptr);
        box->SetVisible(false);
        return result;
    }
    SetCheckBoxValue(*box, GetCheckedItemRecord(index).Checked ? 1.0 : 0.0);
    SetCheckBoxIcon(*box, GetItemIcon(index));
    box->SetVisible(true);
    return result;
}

// 5. The boxes' notifications ------------------------------------------------------------------------

QKRESULT LCheckedListBox::HandleCheckBox(const ConstRCPtr<LNotificationDistributor>& source, bool valueChange)
{
    const auto* box = dynamic_cast<const LButton*>(source.Get());
    const std::int32_t index = box ? FindItem(box->GetParent()) : -1;
    if (index < 0)
        return QK_OK;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const double value = box->GetValue();
    const RCPtr<LIndexedDataWithValueParam> param = LIndexedDataWithValueParam::Create(nullptr, index, value);
    const bool checked = value >= 0.5;
    GetCheckedItemRecord(static_cast<std::uint32_t>(index)).Checked = checked ? 1 : 0;
    if (valueChange)
        m_checkedCount += checked ? 1 : -1;
    OnItemCheckStored(static_cast<std::uint32_t>(index));
    SelectItemRange(index, index, !IsMultipleSelection());
    Send(valueChange ? kNidItemCheckChange : u"NID_ITEM_CHECKBOX_CLICKED", param);
    return QK_OK;
}

QKRESULT LCheckedListBox::OnCheckBoxValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                                                const ConstRCPtr<LNotification>&)
{
    return HandleCheckBox(source, true);
}

QKRESULT LCheckedListBox::OnCheckBoxClick(const ConstRCPtr<LNotificationDistributor>& source,
                                          const ConstRCPtr<LNotification>&)
{
    return HandleCheckBox(source, false);
}

// 6. Receiving ---------------------------------------------------------------------------------------

QKRESULT LCheckedListBox::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                              const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LListBox>(*this, m_checkHandlers, source, notification);
}

QKRESULT LCheckedListBox::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LListBox>(*this, m_checkHandlers, source, id);
}

} // namespace QK
