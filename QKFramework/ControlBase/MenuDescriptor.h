// Menus as data: LMenuDescriptor holds the items of one menu in display order; an item
// (LMenuItemDescriptor) carries its label, tool tip, notification name and state, and is a
// menu itself for its sub-items. Popups and menu bars show such trees; string tables and
// code build them.
//
// Ownership: a menu owns its items. An item's link back to the menu that holds it is one
// internal reference of that menu, so a tree has no ownership cycle: the last outside
// release of a menu lets its items go (ReleaseInternalReferences).
//
// LMenuActivationParam travels with a chosen item; LMenuItemState is the record a control
// fills when asked for an item's current state (LControl::IsCommandEnabled).
//
// UI thread only.
//
// Contents: LMenuItemState; LMenuDescriptor; LMenuItemDescriptor; LMenuActivationParam.
#pragma once

#include "QKFramework/Notification/TaggableObject.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"
#include "QKFramework/Utilities/Storage/ReuseAllocator.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class LMenuItemDescriptor;

// What a menu shows of a plain item; whatever the asked control leaves here is shown.
struct LMenuItemState
{
    bool Enabled = true;
    bool Checked = false;
    WString Label;
};

class LMenuDescriptor : public LTaggableObject
{
public:
    LMenuDescriptor() = default;
    ~LMenuDescriptor() override;

    static RCPtr<LMenuDescriptor> Create();
    // The one empty menu handed out when a menu cannot be built. Never change it.
    static const ConstRCPtr<LMenuDescriptor>& GetEmptyMenu();

    // Builds a menu from (path, text) pairs in ascending key order, each key without the
    // menu's own prefix. Paths, split at ".":
    //   "number.id"         an item of the top level at that position;
    //   "number.name."      an item of the top level opening submenu "name";
    //   "name.number.id"    an item of submenu "name";
    //   id "-"              a separator.
    // Positions must run 0, 1, 2, ... per list (as text sorts them); others are dropped.
    // A text is the label, then optionally "|" and the tool tip, nothing trimmed. A
    // submenu that names one of the submenus it lies in is skipped, so that no entry
    // makes the tree endless. The empty menu when building fails.
    static ConstRCPtr<LMenuDescriptor> CreateFromStringTable(const IArray<StringPair>& entries);

    // A new enabled or disabled item at index; the InsertAt result.
    QKRESULT InsertItem(std::uint32_t index, const WString& label, const WString& nid, bool enabled, bool checked);
    QKRESULT InsertSeparator(std::uint32_t index);
    // Inserts item at index and makes this menu its parent: 0, or the list's negative result
    // for an index past the end (nothing changes).
    QKRESULT InsertAt(std::uint32_t index, const RCPtr<LMenuItemDescriptor>& item);
    // 0x80070057 for an index out of range.
    QKRESULT GetItemState(std::uint32_t index, LMenuItemState& state) const;
    // Removes every item, last to first, and lets go of this menu's own parent. 0.
    QKRESULT Clear();
    // A deep copy: every item with its texts, flags and sub-items; the copy has no parent.
    RCPtr<LMenuDescriptor> Clone() const;

    std::uint32_t GetItemCount() const { return m_items.GetCount(); }
    // The item at index, or null out of range.
    LMenuItemDescriptor* GetItem(std::uint32_t index) const;
    LMenuDescriptor* GetParent() const { return m_parent.Get(); }

    QKRESULT ReleaseInternalReferences() override;

private:
    void SetParent(LMenuDescriptor* parent);
    static void CopyItems(const LMenuDescriptor& from, LMenuDescriptor& to);

    RCPtrArray<LMenuItemDescriptor> m_items;
    RCPtr<LMenuDescriptor> m_parent;
};

class LMenuItemDescriptor : public LMenuDescriptor
{
public:
    LMenuItemDescriptor(const WString& label, const WString& nid, bool enabled, bool checked,
                        bool separator = false)
        : Label(label), NotificationId(nid), Enabled(enabled), Checked(checked), Separator(separator)
    {
    }

    static RCPtr<LMenuItemDescriptor> Create(const WString& label, const WString& nid, bool enabled, bool checked,
                                             bool separator = false)
    {
        return RCPtr<LMenuItemDescriptor>(new LMenuItemDescriptor(label, nid, enabled, checked, separator));
    }

    WString ToString() const override { return Label; }
    // An item with sub-items opens a submenu and sends nothing itself.
    bool HasSubItems() const { return GetItemCount() > 0; }

    WString Label;
    // Stored and copied with the item; the menus themselves never read it.
    WString SecondText;
    WString ToolTip;
    // Sent when the item is chosen; empty for separators and submenu openers.
    WString NotificationId;
    bool Enabled;
    bool Checked;
    bool Separator;
};

// The argument of "NID_ITEM_ACTIVATED" and of a chosen item's own notification: the menu and
// the index of the chosen item in it, -1 for none.
class LMenuActivationParam : public ReusePooled<LMenuActivationParam, 4, false>, public virtual LRefCountedObject
{
public:
    LMenuActivationParam(const ConstRCPtr<LMenuDescriptor>& menu, std::int32_t index) : Menu(menu), ItemIndex(index)
    {
    }

    static RCPtr<LMenuActivationParam> Create(const ConstRCPtr<LMenuDescriptor>& menu, std::int32_t index)
    {
        return RCPtr<LMenuActivationParam>(new LMenuActivationParam(menu, index));
    }

    ConstRCPtr<LMenuDescriptor> Menu;
    std::int32_t ItemIndex;
};

} // namespace QK
