#include "QKFramework/ControlBase/MenuDescriptor.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <map>
#include <vector>

namespace QK
{

namespace
{

struct MenuEntry
{
    WString id;
    WString text;
};
using MenuList = std::vector<MenuEntry>;
using SubmenuLists = std::map<WString, MenuList>;

// Label and tool tip of an entry's text, cut at the first "|" and not trimmed.
void CutText(const WString& text, WString& label, WString& toolTip)
{
    const std::int32_t bar = text.Find(WString(u"|"));
    if (bar < 0)
    {
        label = text;
        toolTip = WString();
        return;
    }
    label = text.Left(bar);
    toolTip = text.MidFrom(bar + 1);
}

// Fills target from list. path holds the submenus being built around this level, so that a
// submenu naming one of them is skipped instead of recursing without end.
// target is always a fresh menu or item: clearing it would also cut a new submenu item
// from the menu that holds it.
void BuildLevel(const MenuList& list, const SubmenuLists& submenus, LMenuDescriptor& target,
                std::vector<WString>& path)
{
    for (const MenuEntry& entry : list)
    {
        WString label;
        WString toolTip;
        CutText(entry.text, label, toolTip);
        const std::uint32_t index = target.GetItemCount();
        const std::uint32_t length = entry.id.GetLength();
        if (length > 0 && entry.id.GetString()[length - 1] == u'.')
        {
            const WString name = entry.id.Left(static_cast<std::int32_t>(length - 1));
            const auto sub = submenus.find(name);
            if (sub == submenus.end())
                continue;
            bool cycle = false;
            for (const WString& open : path)
                cycle = cycle || open.IsEqual(name);
            if (cycle)
                continue;
            const RCPtr<LMenuItemDescriptor> item = LMenuItemDescriptor::Create(label, WString(), true, false);
            if (!toolTip.IsEmpty())
                item->ToolTip = toolTip;
            if (Failed(target.InsertAt(index, item)))
                continue;
            path.push_back(name);
            BuildLevel(sub->second, submenus, *item, path);
            path.pop_back();
        }
        else if (entry.id.IsEqual(u"-"))
        {
            target.InsertSeparator(index);
        }
        else
        {
            const RCPtr<LMenuItemDescriptor> item = LMenuItemDescriptor::Create(label, entry.id, true, false);
            item->ToolTip = toolTip;
            target.InsertAt(index, item);
        }
    }
}

} // namespace

// Items still linked to a menu keep it alive, so a menu dies with its items already gone.
LMenuDescriptor::~LMenuDescriptor() = default;

RCPtr<LMenuDescriptor> LMenuDescriptor::Create()
{
    return RCPtr<LMenuDescriptor>(new LMenuDescriptor());
}

const ConstRCPtr<LMenuDescriptor>& LMenuDescriptor::GetEmptyMenu()
{
    static const ConstRCPtr<LMenuDescriptor> empty = Create();
    return empty;
}

ConstRCPtr<LMenuDescriptor> LMenuDescriptor::CreateFromStringTable(const IArray<StringPair>& entries)
{
    MenuList top;
    SubmenuLists submenus;
    for (std::uint32_t i = 0; i < entries.GetCount(); ++i)
    {
        const StringPair& entry = *entries.GetAt(i);
        const WString& path = entry.key;
        if (path.Find(WString(u".")) < 0)
            continue;
        StringArray parts;
        path.SplitInto(u".", parts);
        if (parts.GetCount() == 0 || parts.GetAt(0)->IsEmpty())
            continue;
        const WString& first = *parts.GetAt(0);
        const char16_t lead = first.GetString()[0];
        const bool named = lead < u'0' || lead > u'9';
        const std::uint32_t numberPart = named ? 1 : 0;
        // Without its number or its id the entry says nothing usable.
        if (parts.GetCount() <= numberPart + 1)
            continue;
        const std::int32_t position = ParseInt(parts.GetAt(numberPart)->GetString());
        WString id = *parts.GetAt(numberPart + 1);
        if (path.GetString()[path.GetLength() - 1] == u'.')
            id.AppendChar(u'.');
        MenuList& list = named ? submenus[first] : top;
        if (position >= 0 && static_cast<std::size_t>(position) == list.size())
            list.push_back(MenuEntry{id, entry.value});
    }
    const RCPtr<LMenuDescriptor> menu = Create();
    std::vector<WString> path;
    BuildLevel(top, submenus, *menu, path);
    return menu;
}

QKRESULT LMenuDescriptor::InsertItem(std::uint32_t index, const WString& label, const WString& nid, bool enabled,
                                     bool checked)
{
    return InsertAt(index, LMenuItemDescriptor::Create(label, nid, enabled, checked));
}

QKRESULT LMenuDescriptor::InsertSeparator(std::uint32_t index)
{
    return InsertAt(index, LMenuItemDescriptor::Create(WString(), WString(), true, false, true));
}

QKRESULT LMenuDescriptor::InsertAt(std::uint32_t index, const RCPtr<LMenuItemDescriptor>& item)
{
    if (!item)
        return QK_E_INVALIDARG;
    const QKRESULT result = m_items.InsertAt(index, item);
    if (Failed(result))
        return result;
    item->SetParent(this);
    return QK_OK;
}

QKRESULT LMenuDescriptor::GetItemState(std::uint32_t index, LMenuItemState& state) const
{
    const LMenuItemDescriptor* item = GetItem(index);
    if (!item)
        return QK_E_INVALIDARG;
    state.Enabled = item->Enabled;
    state.Checked = item->Checked;
    state.Label = item->Label;
    return QK_OK;
}

QKRESULT LMenuDescriptor::Clear()
{
    for (std::uint32_t i = m_items.GetCount(); i-- > 0;)
    {
        const RCPtr<LMenuItemDescriptor> item = *m_items.GetAt(i);
        if (item)
            item->SetParent(nullptr);
        m_items.RemoveRange(i, 1);
    }
    SetParent(nullptr);
    return QK_OK;
}

RCPtr<LMenuDescriptor> LMenuDescriptor::Clone() const
{
    const RCPtr<LMenuDescriptor> copy = Create();
    CopyItems(*this, *copy);
    return copy;
}

void LMenuDescriptor::CopyItems(const LMenuDescriptor& from, LMenuDescriptor& to)
{
    for (std::uint32_t i = 0; i < from.GetItemCount(); ++i)
    {
        const LMenuItemDescriptor& item = *from.GetItem(i);
        const RCPtr<LMenuItemDescriptor> copy =
            LMenuItemDescriptor::Create(item.Label, item.NotificationId, item.Enabled, item.Checked, item.Separator);
        copy->SecondText = item.SecondText;
        copy->ToolTip = item.ToolTip;
        to.InsertAt(to.GetItemCount(), copy);
        CopyItems(item, *copy);
    }
}

LMenuItemDescriptor* LMenuDescriptor::GetItem(std::uint32_t index) const
{
    if (index >= m_items.GetCount())
        return nullptr;
    return const_cast<RCPtrArray<LMenuItemDescriptor>&>(m_items).GetAt(index)->Get();
}

QKRESULT LMenuDescriptor::ReleaseInternalReferences()
{
    // Only the items' links back to this menu remain: they let go, and the items with them.
    Clear();
    return LTaggableObject::ReleaseInternalReferences();
}

void LMenuDescriptor::SetParent(LMenuDescriptor* parent)
{
    if (m_parent.Get() == parent)
        return;
    const RCPtr<LMenuDescriptor> previous = m_parent;
    if (parent)
        parent->AddInternalReferences(1);
    m_parent = parent;
    if (previous)
        previous->AddInternalReferences(-1);
}

} // namespace QK
