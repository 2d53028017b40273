// LDialog: the top control of a dialog box.
//
// A scroll view whose skin carries the dialog's content and up to eight standard buttons,
// found by their exact names, each closing the dialog with its own result:
//
//   "buttonOK" 1, "buttonClose" 1, "buttonCancel" 2, "buttonAbort" 3, "buttonRetry" 4,
//   "buttonIgnore" 5, "buttonYes" 6, "buttonNo" 7
//
// OK and Close first take the focus, so that a control being edited commits its text or,
// refusing, keeps the dialog open. Closing the window from the system acts as Cancel (2).
// Every close first sends "NID_DIALOG_CLOSING" with an LCancelArgs, which a receiver may
// cancel; otherwise the root window is asked to close with the result, "NID_DIALOG_CLOSED"
// follows and then OnDialogClosed. The dialog handles neither Enter nor Escape itself; a
// focused standard button handles Enter.
//
// CreateDialogWindow shows the dialog in a root window of its own through the application.
// UI thread only.
#pragma once

#include "QKFramework/ControlBase/ScrollView.h"
#include "QKFramework/ObjectBase/Exception.h"

#include <cstdint>

namespace QK
{

// The argument of a cancellable notification: a receiver sets Cancel to refuse what the
// notification announces, and the sender reads it once the delivery is over.
class LCancelArgs : public virtual LRefCountedObject
{
public:
    bool Cancel = false;
};

class LDialog : public LScrollView
{
public:
    // Where a failed subscription of Initialize is reported.
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kInitializeSite{"QK::LDialog::Initialize", "Controls\\Dialog", 60};

    LDialog(LControl* parent, const WString& name);
    ~LDialog() override;

    // The close sequence with result: "NID_DIALOG_CLOSING" (cancellable), then the root
    // window's close request, "NID_DIALOG_CLOSED" and OnDialogClosed.
    void Close(std::uint32_t result);
    // The result of the last close request; 0 until one is made.
    std::uint32_t GetResult() const { return m_result; }
    // The close of the base: the control leaves its tree.
    using LScrollView::Close;

    // --- Operations added to LScrollView's, in slot order -----------------------------------

    // Asks the application for a root window hosting this dialog; its answer.
    virtual QKRESULT CreateDialogWindow();
    virtual void OnDialogClosed() {}

    // --- LControl --------------------------------------------------------------------------

    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    QKRESULT OnStandardButton(const ConstRCPtr<LNotificationDistributor>& source,
                              const ConstRCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LDialog>> m_dialogHandlers;
    std::uint32_t m_result = 0;
};

} // namespace QK
