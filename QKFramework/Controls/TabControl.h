// LTabControl: the tab control ("Framework.TabControl"). A panel with two child panels from
// the skin: "buttonHolder", whose children are the tab buttons, and "pageHolder", whose
// children are the pages, matched by position (the n-th button selects the n-th page). A tab
// is named by its button's name; where two buttons share a name the later one counts.
//
// Selecting a tab hides every other page, shows its own and sends "NID_TAB_SELECTED" with
// it. Before a selected tab is left for another, "NID_TAB_BECOMING_UNSELECTED" goes out with
// an LTabBecomingUnselectedParams, whose target a listener may set back to the current tab
// (a refusal) or to another one (a redirect). A click on a tab button first sends
// "NID_TAB_BUTTON_CLICKED" with the button; after the selection the current tab's button is
// set again and its page takes the focus.
//
// Button clicks reach this class's handler table first, then the panel's. UI thread only.
#pragma once

#include "QKFramework/Controls/Panel.h"
#include "QKFramework/ObjectBase/Exception.h"

#include <cstdint>

namespace QK
{

// The argument of "NID_TAB_BECOMING_UNSELECTED": the tab being left and the one about to be
// selected, which a listener may change.
class LTabBecomingUnselectedParams : public virtual LRefCountedObject
{
public:
    LTabBecomingUnselectedParams(std::int32_t current, std::int32_t target)
        : CurrentIndex(current), TargetIndex(target)
    {
    }

    std::int32_t CurrentIndex;
    std::int32_t TargetIndex;
};

class LTabControl : public LPanel
{
public:
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kInitializeSite{"QK::LTabControl::Initialize", "Controls\\TabControl", 212};

    LTabControl(LControl* parent, const WString& name);
    ~LTabControl() override;

    // The create function of "Framework.TabControl".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to LPanel's, in slot order ------------------------------------------

    // The number of buttons; 0 without a button holder.
    virtual std::int32_t GetTabCount();
    // The index of the last button of that name; -1 when none or without a button holder.
    virtual std::int32_t FindTab(const WString& name);
    virtual std::int32_t GetSelectedIndex();
    virtual RCPtr<LControl> GetSelectedPage();
    virtual const WString& GetSelectedTabName() { return m_selectedTabName; }
    virtual RCPtr<LControl> GetPageFor(const WString& name);
    // The page at index; empty outside 0..GetTabCount() - 1, without a page holder, or when
    // the page holder has fewer pages than there are buttons.
    virtual RCPtr<LControl> GetPage(std::int32_t index);
    virtual RCPtr<LControl> GetTabButtonFor(const WString& name);
    // The button at index; empty outside the buttons.
    virtual RCPtr<LControl> GetTabButton(std::int32_t index);
    // 0x80004005 without both holders; a refusal or redirect answers the redirected selection.
    virtual QKRESULT SelectTab(const WString& name);
    // 0x80004005 for an index outside the buttons.
    virtual QKRESULT SelectTabAt(std::int32_t index);
    // Called during a selection, after the other pages are hidden and before the new one shows.
    virtual void OnSelectingTab(std::int32_t) {}

    // --- LControl ------------------------------------------------------------------------------

    // Selects the first tab; 0x80004005 when there is none (and no click is registered).
    QKRESULT Initialize() override;
    // A re-skin keeps the selected tab.
    QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor) override;
    void OnConditionsChanged(LConditionsParam* conditions) override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    QKRESULT OnTabButtonClick(const ConstRCPtr<LNotificationDistributor>& source,
                              const ConstRCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LTabControl>> m_tabHandlers;
    RCPtr<LControl> m_buttonHolder;
    RCPtr<LControl> m_pageHolder;
    WString m_selectedTabName;
};

} // namespace QK
