#include "QKFramework/Controls/Dialog.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Notification/Notification.h"

namespace QK
{

namespace
{

struct StandardButton
{
    const char16_t* name;
    std::uint32_t result;
};

// In the order they are looked up and compared.
constexpr StandardButton kStandardButtons[] = {
    {u"buttonOK", 1},    {u"buttonClose", 1},  {u"buttonCancel", 2}, {u"buttonAbort", 3},
    {u"buttonRetry", 4}, {u"buttonIgnore", 5}, {u"buttonYes", 6},    {u"buttonNo", 7},
};

} // namespace

LDialog::LDialog(LControl* parent, const WString& name) : LScrollView(parent, name) {}

LDialog::~LDialog() = default;

QKRESULT LDialog::Initialize()
{
    const QKRESULT result = LScrollView::Initialize();
    m_dialogHandlers = LNotificationHandler<LDialog>::Create(this);
    for (const StandardButton& button : kStandardButtons)
        if (const RCPtr<LControl> child = FindChild(WString(button.name)))
            CheckResult(m_dialogHandlers->AddHandler(&LDialog::OnStandardButton,
                                                     ConstRCPtr<LNotificationDistributor>(child.Get()),
                                                     kNidLeftClick),
                        kInitializeSite);
    return result;
}

QKRESULT LDialog::CreateDialogWindow()
{
    return LControlApp::CreateDialogRootWindow(this, 1);
}

QKRESULT LDialog::OnStandardButton(const ConstRCPtr<LNotificationDistributor>& source,
                                   const ConstRCPtr<LNotification>&)
{
    auto* button = dynamic_cast<LControl*>(const_cast<LNotificationDistributor*>(source.Get()));
    if (!button)
        return QK_OK;
    const RCPtr<LControl> self(this);
    const RCPtr<LControl> held(button);
    for (const StandardButton& standard : kStandardButtons)
    {
        if (!button->GetName().IsEqual(standard.name))
            continue;
        if (standard.result == 1)
        {
            // The control being edited commits, or refuses and keeps the dialog open.
            if (button->SetFocus(true) >= 0)
                Close(1);
        }
        else
            Close(standard.result);
        break;
    }
    return QK_OK;
}

void LDialog::Close(std::uint32_t result)
{
    const RCPtr<LControl> self(this);
    m_result = result;
    const RCPtr<LCancelArgs> closing(new LCancelArgs);
    Send(u"NID_DIALOG_CLOSING", ConstRCPtr<LRefCountedObject>(closing.Get()));
    if (closing->Cancel)
        return;
    if (IRootWindow* root = GetRootWindowLink())
        root->RequestClose(static_cast<std::int32_t>(result));
    Send(u"NID_DIALOG_CLOSED", nullptr);
    OnDialogClosed();
}

QKRESULT LDialog::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                      const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LScrollView>(*this, m_dialogHandlers, source, notification);
}

QKRESULT LDialog::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LScrollView>(*this, m_dialogHandlers, source, id);
}

} // namespace QK
