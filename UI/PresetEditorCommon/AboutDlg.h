// LAboutDlg: the about box ("PresetEditor.DialogAbout"). It shows the program's version and
// legal notice in "labelProduct" and "labelCopyright", and its "buttonSupport" (laid over
// the company logo, with the hand cursor) opens the support web site in the desktop's
// browser. The standard dialog buttons close it, and Escape presses its close button. It
// opens with the keyboard on the close button, so that Enter closes it rather than starting
// a browser.
//
// UI thread only.
#pragma once

#include "QKFramework/Controls/Dialog.h"
#include "QKFramework/Notification/NotificationHandler.h"

namespace QK
{

class LButton;

class LAboutDlg : public LDialog
{
public:
    LAboutDlg(LControl* parent, const WString& name);
    ~LAboutDlg() override;

    // Throws the null-pointer error for a missing label or support button, and the
    // failed-result error for a failed subscription.
    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;
    // The first focus of the box goes to "buttonClose"; later ones as the base gives them.
    QKRESULT SetFocus(bool forward) override;
    // Escape presses "buttonClose".
    QKRESULT WantsKey(LKeyParam* key) override;
    QKRESULT DispatchKey(LKeyParam* key) override;

    // Opens the string table's "URL_SUPPORT" with the shell; a failure shows nothing. 1.
    QKRESULT OnSupportClicked(const ConstRCPtr<LNotificationDistributor>& source,
                              const ConstRCPtr<LNotification>& notification);

private:
    RCPtr<LNotificationHandler<LAboutDlg>> m_handlers;
};

} // namespace QK
