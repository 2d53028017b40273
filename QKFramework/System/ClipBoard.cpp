#include "QKFramework/System/ClipBoard.h"

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/System/SystemClipboard.h"

#include <stdexcept>

namespace QK
{

namespace
{

constexpr const char* kInitializeFunction = "QK::LClipboard::Initialize";
constexpr const char* kSource = "System\\ClipBoard";

// The command target of the active window's focus control, when it is one.
RCPtr<LControl> FindEditTarget()
{
    IRootWindow* window = LControlApp::GetActiveRootWindow();
    if (!window)
        return {};
    LControl* focus = window->GetFocusedControl();
    if (!focus)
        return {};
    RCPtr<LControl> target = focus->GetCommandTarget();
    if (!target || !target->IsCommandTarget())
        return {};
    return target;
}

} // namespace

LClipboard::LClipboard(ISystemClipboard* system) : m_system(system ? *system : GetPlatformSystemClipboard()) {}

LClipboard::~LClipboard() = default;

QKRESULT LClipboard::Initialize()
{
    try
    {
        m_handler = LNotificationHandler<LClipboard>::Create(this);
        const ConstRCPtr<LNotificationDistributor> centre(GetDefaultNotificationCenter().Get());
        // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
        CheckResult(m_handler->AddHandler(&LClipboard::OnCut, centre, kNidEditCutReq),
                    ThrowSite{kInitializeFunction, kSource, 41});
        CheckResult(m_handler->AddHandler(&LClipboard::OnCopy, centre, kNidEditCopyReq),
                    ThrowSite{kInitializeFunction, kSource, 42});
        CheckResult(m_handler->AddHandler(&LClipboard::OnPaste, centre, kNidEditPasteReq),
                    ThrowSite{kInitializeFunction, kSource, 43});
        CheckResult(m_handler->AddHandler(&LClipboard::OnDelete, centre, kNidEditDeleteReq),
                    ThrowSite{kInitializeFunction, kSource, 44});
        m_initialized = true;
        return QK_OK;
    }
    catch (const std::runtime_error&)
    {
        return QK_E_FAIL;
    }
}

QKRESULT LClipboard::PerformEdit(std::int32_t kind)
{
    const RCPtr<LControl> target = FindEditTarget();
    if (target && target->HandleClipboardData(kind))
        return target->PerformEdit(kind);
    return QK_FALSE;
}

bool LClipboard::CanPerformEdit(std::int32_t kind)
{
    const RCPtr<LControl> target = FindEditTarget();
    return target && target->HandleClipboardData(kind);
}

QKRESULT LClipboard::GetText(ConstRCPtr<LRefCountedObject>& object)
{
    const std::uint32_t sequence = m_system.GetSequenceNumber();
    if ((m_haveSequenceNumber && sequence == m_sequenceNumber) || m_system.HasPrivateObject())
    {
        object = m_cached;
        return QK_OK;
    }
    if (!m_system.HasText())
    {
        m_cached = nullptr;
        object = m_cached;
        return QK_OK;
    }
    WString text;
    if (m_system.GetText(text))
    {
        m_cached = ConstRCPtr<LRefCountedObject>(TextObject::Create(text));
        m_sequenceNumber = sequence;
        m_haveSequenceNumber = true;
    }
    object = m_cached;
    return QK_OK;
}

WString LClipboard::GetText()
{
    ConstRCPtr<LRefCountedObject> object;
    GetText(object);
    const auto text = ConstRCPtr<TextObject>::DynamicCast(object);
    return text ? WString(static_cast<const WString&>(*text)) : WString();
}

QKRESULT LClipboard::SetText(const ConstRCPtr<LRefCountedObject>& object)
{
    if (m_busy)
        return QK_FALSE;
    m_busy = true;
    m_cached = object;
    QKRESULT result = QK_OK;
    if (object)
    {
        const auto text = ConstRCPtr<TextObject>::DynamicCast(object);
        result = text ? m_system.SetText(*text) : m_system.SetPrivateObject();
        m_sequenceNumber = m_system.GetSequenceNumber();
        m_haveSequenceNumber = true;
    }
    m_busy = false;
    return result;
}

QKRESULT LClipboard::SetText(const WString& text)
{
    return SetText(ConstRCPtr<LRefCountedObject>(TextObject::Create(text)));
}

QKRESULT LClipboard::OnCut(const SourcePtr&, const NotificationPtr&)
{
    PerformEdit(kEditCut);
    return QK_FALSE;
}

QKRESULT LClipboard::OnCopy(const SourcePtr&, const NotificationPtr&)
{
    PerformEdit(kEditCopy);
    return QK_FALSE;
}

QKRESULT LClipboard::OnPaste(const SourcePtr&, const NotificationPtr&)
{
    PerformEdit(kEditPaste);
    return QK_FALSE;
}

QKRESULT LClipboard::OnDelete(const SourcePtr&, const NotificationPtr&)
{
    PerformEdit(kEditDelete);
    return QK_FALSE;
}

QKRESULT LClipboard::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                         const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LNotificationClient>(*this, m_handler, source, notification);
}

QKRESULT LClipboard::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LNotificationClient>(*this, m_handler, source, id);
}

} // namespace QK
