#include "UI/PresetEditorCommon/AboutDlg.h"

#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/Application/Version.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/Label.h"
#include "QKFramework/Utilities/Storage/ShellOpener.h"
#include "UI/DriverCommon/AppText.h"
#include "UI/PresetEditorCommon/DialogKeys.h"

namespace QK
{

namespace
{

constexpr const char* kSource = "UI\\PresetEditorCommon\\AboutDlg";
constexpr const char* kInitialize = "LAboutDlg::Initialize";
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ThrowSite kMissingProductSite{kInitialize, kSource, 131};
constexpr ThrowSite kMissingCopyrightSite{kInitialize, kSource, 132};
constexpr ThrowSite kMissingButtonSite{kInitialize, kSource, 138};
constexpr ThrowSite kSubscribeSite{kInitialize, kSource, 139};

template <class T> RCPtr<T> FindChildAs(const LControl& parent, const char16_t* name)
{
    return RCPtr<T>(dynamic_cast<T*>(parent.FindChild(WString(name)).Get()));
}

} // namespace

LAboutDlg::LAboutDlg(LControl* parent, const WString& name) : LDialog(parent, name) {}

LAboutDlg::~LAboutDlg() = default;

QKRESULT LAboutDlg::Initialize()
{
    const QKRESULT result = LDialog::Initialize();
    if (Failed(result))
        return result;

    const RCPtr<LLabel> product = FindChildAs<LLabel>(*this, u"labelProduct");
    if (!product)
        ThrowNullPointer(kMissingProductSite, "LAboutDlg couldn't find labelProduct");
    const RCPtr<LLabel> copyright = FindChildAs<LLabel>(*this, u"labelCopyright");
    if (!copyright)
        ThrowNullPointer(kMissingCopyrightSite, "LAboutDlg couldn't find labelCopyright");
    const Version version(GetApplicationInstance());
    if (!Failed(product->SetText(version.GetValue(u"ProductVersion"))))
        copyright->SetText(version.GetValue(u"LegalCopyright"));

    m_handlers = LNotificationHandler<LAboutDlg>::Create(this);
    if (m_handlers)
    {
        const RCPtr<LButton> support = FindChildAs<LButton>(*this, u"buttonSupport");
        if (!support)
            ThrowNullPointer(kMissingButtonSite, "LSupportPanel couldn't find buttonSupport");
        CheckResult(m_handlers->AddHandler(&LAboutDlg::OnSupportClicked,
                                           ConstRCPtr<LNotificationDistributor>(support.Get()),
                                           kNidLeftClick),
                    kSubscribeSite);
        if (const LFrameworkApp* application = LFrameworkApp::GetApplication())
            support->SetCursor(application->GetCursor(WString(u"UI_CURSOR_HAND")));
    }
    return result;
}

QKRESULT LAboutDlg::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                        const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LDialog>(*this, m_handlers, source, notification);
}

QKRESULT LAboutDlg::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LDialog>(*this, m_handlers, source, id);
}

QKRESULT LAboutDlg::SetFocus(bool forward)
{
    if (!HasFocus() && !ContainsFocus())
        if (const RCPtr<LButton> close = FindChildAs<LButton>(*this, u"buttonClose"))
            if (close->IsVisible(true) && close->IsEnabled(true))
                return close->SetFocus(forward);
    return LDialog::SetFocus(forward);
}

QKRESULT LAboutDlg::WantsKey(LKeyParam* key)
{
    return PressCloseOnEscape(*this, key) ? QK_OK : LDialog::WantsKey(key);
}

QKRESULT LAboutDlg::DispatchKey(LKeyParam* key)
{
    return PressCloseOnEscape(*this, key) ? QK_OK : LDialog::DispatchKey(key);
}

QKRESULT LAboutDlg::OnSupportClicked(const ConstRCPtr<LNotificationDistributor>&,
                                     const ConstRCPtr<LNotification>&)
{
    // A browser that cannot be started has nothing useful to say to the user here.
    OpenWithShell(GetAppString(u"URL_SUPPORT"));
    return QK_FALSE;
}

} // namespace QK
