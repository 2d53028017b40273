// LPanel: the container control. A scroll view that groups children, relays the sibling
// keys its parent offers to its own key-bound children, passes keys nobody took up the
// tree to the hot keys, and moves the focus through its children with Tab and Shift+Tab.
//
// Unlike the control base, whose Tab walk cycles inside the focused control's container, a
// panel with a parent lets the focus leave at its ends: Tab after its last child goes to
// whatever follows the panel in its parent. A panel at the top of a tree wraps. Ctrl+Tab
// passes straight up through every panel. A key that travels up collects the panels it
// passed in its path, innermost first.
//
// Notifications reach the panel's own handler table first, then the scroll view's, then
// the control's; the first table holding an entry ends the offer. UI thread only.
#pragma once

#include "QKFramework/ControlBase/ScrollView.h"
#include "QKFramework/ObjectBase/Exception.h"

namespace QK
{

class LPanel : public LScrollView
{
public:
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kInitializeSite{"QK::LPanel::Initialize", "Controls\\Panel", 37};

    LPanel(LControl* parent, const WString& name);
    ~LPanel() override;

    // The create function of "Framework.Panel".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // The panel's key dispatch, for classes that take some keys first.
    QKRESULT HandleSiblingKey(LKeyParam* key) { return LPanel::DispatchKey(key); }

    // --- LControl --------------------------------------------------------------------------

    // The base's step, except that a step that wrapped round the panel's ends answers null
    // when the panel has a parent, so that the focus leaves it.
    RCPtr<LControl> GetNextTabChild(LControl* current, bool backwards) override;
    QKRESULT DispatchKey(LKeyParam* key) override;
    QKRESULT FocusNextTabStop(LKeyParam* key) override;
    // Listens to the parent's "NID_SIBLING_KEY"; a failed registration raises the
    // failed-result exception of kInitializeSite.
    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

protected:
    using LControl::HandleSiblingKey;

private:
    // The parent's sibling key, offered to this panel's own key-bound children.
    QKRESULT OnSiblingKey(const ConstRCPtr<LNotificationDistributor>& source,
                          const ConstRCPtr<LNotification>& notification);
    // The child's place in the tab order, searched from the end; -1 when absent.
    std::int32_t TabPosition(const LControl* child) const;

    RCPtr<LNotificationHandler<LPanel>> m_panelHandlers;
};

} // namespace QK
