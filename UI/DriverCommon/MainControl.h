// LMainControl: the top control of the main window, holding the main menu and the device view
// ("viewDevice"), and at the same time the root of the view-side module tree.
//
// The edit panels below the device view mirror the model's modules. Values the engine
// announces ("NID_PARAM_MODULE_STATE_CHANGE", delivered from the default notification
// centre in the idle pass) are routed here by parameter id to the panel that shows them; an
// edit made in a panel comes back through RequestParamValueChange and goes to the engine,
// except the echo of a value that is being pushed into that panel at that moment.
//
// The get and send reports ask the MIDI manager for one preset exchange and tell the person
// how it went in a message box.
//
// UI thread only.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace QK
{

class LDeviceView;
class LStatusView;

class LMainControl : public LControl, public IRootModule
{
public:
    LMainControl(LControl* parent, const WString& name);
    ~LMainControl() override;

    // The creation hook that receives the initial rectangle: remote devices enabled, the
    // status view fetched. 0.
    virtual QKRESULT OnInitialRect();
    // Finds "viewDevice" (required: a runtime error without it), subscribes to the engine's
    // change notices and binds the view's module tree to the engine's ids. The base's result,
    // or 0x80004005 when the handler table cannot be made.
    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    // --- The view-side root module -------------------------------------------------------

    // Stores the ids and hands the first id on to the device view and its panels.
    void SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index) override;
    // The panel of the device view that shows id; empty when none does.
    RCPtr<LParameterizedModule> GetModuleForParamID(std::int32_t id) override;
    // A panel's edit: sent to the engine unless it is the echo of the value being applied.
    // The engine's result is not looked at; answers 0.
    virtual QKRESULT RequestParamValueChange(const ParamDescriptor& descriptor, const Variant& value,
                                             std::int32_t flags);
    // The view announces nothing of its own: 0x80004001.
    QKRESULT NotifyParamValueChanged(const ParamDescriptor& descriptor, const Variant& value,
                                     std::int32_t reason) override;
    // The view's device is no model device: always empty; GetDevice answers the device view.
    RCPtr<LDevice> GetDeviceModule() override;
    virtual RCPtr<IDevice> GetDevice();

    // Handler of "NID_PARAM_MODULE_STATE_CHANGE": one LParamValuePair, or an
    // LWrapper<ParamValues> whose records are applied in order. 1.
    QKRESULT OnParamModuleStateChange(const ConstRCPtr<LNotificationDistributor>& source,
                                      const ConstRCPtr<LNotification>& notification);
    // Shows one value in the panel that owns descriptor's id. The engine's control items (-4
    // status, -2 availability, -8 connection) and empty values change nothing. 0.
    QKRESULT ApplyParamValueToView(const ParamDescriptor& descriptor, const Variant& value);

    // The descriptor being applied right now; id -1 between applications.
    const ParamDescriptor& GetAppliedDescriptor() const { return m_appliedDescriptor; }
    const RCPtr<LDeviceView>& GetDeviceView() const { return m_deviceView; }

private:
    // What every way out of Initialize does, and OnInitialRect.
    void EnableRemoteDevicesAndTouchStatusView();

    RCPtr<LNotificationHandler<LMainControl>> m_mainHandlers;
    RCPtr<LDeviceView> m_deviceView;
    RCPtr<LStatusView> m_statusView;
    RCPtr<LControl> m_deviceSelector;
    ParamDescriptor m_appliedDescriptor;
};

// Gets preset 0 (RAM) to 8 from the controller and reports the outcome in a message box:
// negative results show the failure box (-2: the firmware text, any other: the MIDI error
// text), the others the success box; an empty text shows nothing. The manager's result.
QKRESULT GetPresetFromDeviceAndReport(std::int32_t preset);
// The same for sending the edited preset to preset 0 to 8.
QKRESULT SendPresetToDeviceAndReport(std::int32_t preset);

} // namespace QK
