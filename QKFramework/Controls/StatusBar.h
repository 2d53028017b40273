// LStatusBar: one line of status text in the child label "label1" ("Framework.StatusBar").
//
// SetStatusText changes the text at once (UI thread); PostStatusText may be called from any
// thread and posts "NID_SET_STATUS_TEXT" to the bar's own notification queue, which the bar
// drains in OnTimer on every idle pass of its root window, so posted texts show in posting
// order. SetStatusText drains the queue first: an older posted text never overwrites a
// newer direct one. GetStatusText is always the skin's "LABEL" text of "label1". The bar
// also shows the texts that popup menus send on the application's notification centre for
// their hovered rows.
//
// While initialised the queue holds the bar as its target: an internal reference, given
// back in ReleaseInternalReferences. A skin without "label1" gets a bar that shows nothing.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/Notification/NotificationQueue.h"

namespace QK
{

class LStatusBar : public LControl, public LNotificationQueue
{
public:
    LStatusBar(LControl* parent, const WString& name) : LControl(parent, name) {}

    // The create function of "Framework.StatusBar".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    WString GetStatusText() const { return m_defaultText; }
    // UI thread. 0.
    QKRESULT SetStatusText(const WString& text);
    // Any thread. The queue's answer: 0, 0x80070057, or 0x80004005 without a target.
    QKRESULT PostStatusText(const WString& text);

    // --- LControl --------------------------------------------------------------------------

    void OnTimer() override;
    QKRESULT Initialize() override;
    QKRESULT ApplyCreateParam() override;
    QKRESULT InitializeParts() override;
    QKRESULT ReleaseInternalReferences() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    QKRESULT OnSetStatusText(const ConstRCPtr<LNotificationDistributor>& source,
                             const ConstRCPtr<LNotification>& notification);
    // "NID_MENU_STATUS_TEXT" (its text) and "NID_MENU_STATUS_TEXT_RESTORE" (the bar's own
    // text) from the application's centre, posted as the application posts status texts.
    QKRESULT OnMenuStatusText(const ConstRCPtr<LNotificationDistributor>& source,
                              const ConstRCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LStatusBar>> m_statusHandlers;
    RCPtr<LControl> m_label;
    double m_height = 0.0;
    WString m_defaultText;
    bool m_selfTarget = false;
};

} // namespace QK
