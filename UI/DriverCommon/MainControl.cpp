#include "UI/DriverCommon/MainControl.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleEngine.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "UI/DeviceView.h"
#include "UI/DriverCommon/AppMidiManager.h"
#include "UI/DriverCommon/AppText.h"
#include "UI/StatusView.h"

namespace QK
{

namespace
{
constexpr const char* kSource = "UI\\DriverCommon\\MainControl";
constexpr const char* kInitialize = "QK::LMainControl::Initialize";

// The engine's control items: they carry no value that a panel shows.
constexpr std::int32_t kStatusParamID = -4;
constexpr std::int32_t kAvailabilityParamID = -2;
constexpr std::int32_t kConnectParamID = -8;

struct ReportKeys
{
    const char16_t* failedCaption;
    const char16_t* midiErrorText;
    const char16_t* firmwareText;
    const char16_t* successCaption;
    const char16_t* successText;
};

constexpr ReportKeys kGetKeys{u"LABEL_GET_PRESET_FAILED_MSGBOX_CAPTION",
                              u"LABEL_GET_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT",
                              u"LABEL_GET_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT",
                              u"LABEL_GET_PRESET_SUCEESS_MSGBOX_CAPTION", u"LABEL_GET_PRESET_SUCEESS_MSGBOX_TEXT"};
constexpr ReportKeys kSendKeys{u"LABEL_SEND_PRESET_FAILED_MSGBOX_CAPTION",
                               u"LABEL_SEND_PRESET_FAILED_MIDI_ERROR_MSGBOX_TEXT",
                               u"LABEL_SEND_PRESET_FAILED_FW_COMPATIBILITY_ERROR_MSGBOX_TEXT",
                               u"LABEL_SEND_PRESET_SUCEESS_MSGBOX_CAPTION", u"LABEL_SEND_PRESET_SUCEESS_MSGBOX_TEXT"};

// Every negative result is a failure: -2 means the firmware does not fit, any other the MIDI
// exchange went wrong (a failed send must never be reported as sent).
void Report(QKRESULT result, const ReportKeys& keys)
{
    const char16_t* caption = keys.successCaption;
    const char16_t* text = keys.successText;
    if (result < 0)
    {
        caption = keys.failedCaption;
        text = result == -2 ? keys.firmwareText : keys.midiErrorText;
    }
    const WString message = GetAppString(text);
    if (!message.IsEmpty())
        ShowMessageBox(message, GetAppString(caption), 0);
}

// The engine that the values are edited in, for its non-const operations.
RCPtr<LRootModuleEngine> GetEngine()
{
    return RCPtr<LRootModuleEngine>::DynamicCast(GetRootModuleEngine());
}
} // namespace

LMainControl::LMainControl(LControl* parent, const WString& name) : LControl(parent, name) {}

LMainControl::~LMainControl() = default;

void LMainControl::EnableRemoteDevicesAndTouchStatusView()
{
    if (const RCPtr<LRootModuleEngine> engine = GetEngine())
        engine->EnableRemoteDevices(true);
    if (m_deviceView)
        m_deviceView->GetStatusView();
}

QKRESULT LMainControl::OnInitialRect()
{
    EnableRemoteDevicesAndTouchStatusView();
    return QK_OK;
}

QKRESULT LMainControl::Initialize()
{
    QKRESULT result = LControl::Initialize();
    if (Succeeded(result))
    {
        if (!m_mainHandlers)
            m_mainHandlers = LNotificationHandler<LMainControl>::Create(this);
        if (!m_mainHandlers)
            result = QK_E_FAIL;
    }
    if (Succeeded(result))
    {
        m_deviceView = RCPtr<LDeviceView>(dynamic_cast<LDeviceView*>(FindChild(WString(u"viewDevice")).Get()));
        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        if (!m_deviceView)
            ThrowNullPointer(ThrowSite{kInitialize, kSource, 39}, "LMainControl couldn't find viewDevice");
        m_statusView = RCPtr<LStatusView>(dynamic_cast<LStatusView*>(FindChild(WString(u"viewStatus")).Get()));
        m_deviceSelector = FindChild(WString(u"panelDeviceSelector"));

        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        CheckResult(m_mainHandlers->AddHandler(&LMainControl::OnParamModuleStateChange,
                                               ConstRCPtr<LNotificationDistributor>(GetDefaultNotificationCenter()),
                                               kNidParamModuleStateChange, 0),
                    ThrowSite{kInitialize, kSource, 44});

        const RCPtr<LRootModuleEngine> engine = GetEngine();
        SetFirstParamID(nullptr, engine ? engine->GetFirstParamID() : 0, 0);
    }
    EnableRemoteDevicesAndTouchStatusView();
    return result;
}

QKRESULT LMainControl::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                           const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LControl>(*this, m_mainHandlers, source, notification);
}

QKRESULT LMainControl::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LControl>(*this, m_mainHandlers, source, id);
}

// --- The view-side root module ---------------------------------------------------------------

void LMainControl::SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index)
{
    LParameterizedModule::SetFirstParamID(parent, firstParamID, index);
    if (m_deviceView)
        static_cast<IDevice&>(*m_deviceView).SetFirstParamID(this, firstParamID, 0);
}

RCPtr<LParameterizedModule> LMainControl::GetModuleForParamID(std::int32_t id)
{
    const RCPtr<IDevice> device = GetDevice();
    return device ? device->GetModuleForParamID(id) : RCPtr<LParameterizedModule>();
}

QKRESULT LMainControl::RequestParamValueChange(const ParamDescriptor& descriptor, const Variant& value,
                                               std::int32_t)
{
    // The id and the descriptor's own value, not the parameter value: a panel that writes
    // back what it is being shown sends the same descriptor it was given.
    if (descriptor.id == m_appliedDescriptor.id && descriptor.descriptor.IsEqual(m_appliedDescriptor.descriptor))
        return QK_OK;
    if (const RCPtr<LRootModuleEngine> engine = GetEngine())
        engine->SetParamValue(descriptor, value);
    return QK_OK;
}

QKRESULT LMainControl::NotifyParamValueChanged(const ParamDescriptor&, const Variant&, std::int32_t)
{
    return QK_E_NOTIMPL;
}

RCPtr<LDevice> LMainControl::GetDeviceModule()
{
    return nullptr;
}

RCPtr<IDevice> LMainControl::GetDevice()
{
    return m_deviceView ? RCPtr<IDevice>(m_deviceView.Get()) : RCPtr<IDevice>();
}

QKRESULT LMainControl::OnParamModuleStateChange(const ConstRCPtr<LNotificationDistributor>&,
                                                const ConstRCPtr<LNotification>& notification)
{
    const LRefCountedObject* argument = notification ? notification->GetArgument().Get() : nullptr;
    if (const auto* pair = dynamic_cast<const LParamValuePair*>(argument))
    {
        // Copies: applying a value may post further notices, and the argument is shared.
        const ParamDescriptor descriptor = pair->key;
        const Variant value = pair->value;
        ApplyParamValueToView(descriptor, value);
    }
    else if (const auto* list = dynamic_cast<const LWrapper<ParamValues>*>(argument))
    {
        const ParamValues values = *list;
        if (values.GetKind() == kVariantList)
        {
            // The count stops at the first record that is too short or runs past the block,
            // so a damaged list (a zero size prefix among them) ends the walk there.
            const std::uint32_t count = values.GetListCount();
            for (std::uint32_t i = 0; i < count; ++i)
            {
                ParamDescriptor descriptor;
                Variant value;
                if (values.GetAt(i, value, descriptor.id, descriptor.descriptor) == QK_OK)
                    ApplyParamValueToView(descriptor, value);
            }
        }
    }
    return 1;
}

QKRESULT LMainControl::ApplyParamValueToView(const ParamDescriptor& descriptor, const Variant& value)
{
    m_appliedDescriptor = descriptor;
    // Reset on every way out: a descriptor left behind would swallow a later edit.
    struct Reset
    {
        ParamDescriptor& applied;
        ~Reset() { applied = ParamDescriptor(); }
    } reset{m_appliedDescriptor};
    const std::int32_t id = descriptor.id;
    if (id != kStatusParamID && id != kAvailabilityParamID && id != kConnectParamID &&
        value.GetKind() != kVariantEmpty)
    {
        if (const RCPtr<LParameterizedModule> module = GetModuleForParamID(id))
            module->SetParamValueLocal(descriptor, value, true);
    }
    return QK_OK;
}

// --- Reports -----------------------------------------------------------------------------------

QKRESULT GetPresetFromDeviceAndReport(std::int32_t preset)
{
    const RCPtr<LMidiManager> manager = GetApplicationMidiManager();
    const QKRESULT result = manager ? manager->GetPresetFromMidiDevice(preset) : -1;
    Report(result, kGetKeys);
    return result;
}

QKRESULT SendPresetToDeviceAndReport(std::int32_t preset)
{
    const RCPtr<LMidiManager> manager = GetApplicationMidiManager();
    const QKRESULT result = manager ? manager->SendPresetToDevice(preset) : -1;
    Report(result, kSendKeys);
    return result;
}

} // namespace QK
