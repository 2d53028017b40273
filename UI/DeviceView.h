// LDeviceView: the scrolling picture of the controller inside the main control.
//
// It is the device module of the view-side module tree: its skin panels (program name, MIDI
// channels, keybed, arpeggiator, joystick axes, pads, knobs, sound settings) are handed out
// as the model's modules, found by name among its own children, so that the main control can
// route parameter ids to them. It carries the favorite bank (SEND and REC in each of the
// panels "fav1" to "fav8", and the RAM button), and it handles the commands of the main menu
// and their hot keys: get and send presets, open and save preset files, the key-curve and
// about dialogs, the user guide and exit.
//
// UI thread only. Getting and sending block the UI thread while the MIDI manager works; the
// file and the modal dialogs block it until the person closes them. The user guide's viewer
// is started and never waited for.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "QKFramework/ControlBase/ScrollView.h"
#include "QKFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace QK
{

class LFileDialog;
class LPresetManager;
class LStatusView;

class LDeviceView : public LScrollView, public IDevice
{
public:
    // The preset files' extension (without the dot).
    static constexpr const char16_t* kPresetFileExtension = u"vedidu";
    // The user guide, in the executable's folder.
    static constexpr const char16_t* kUserGuideFileName = u"Vedidu Editor - User Guide - v1.0.pdf";

    LDeviceView(LControl* parent, const WString& name);
    ~LDeviceView() override;

    // --- IDevice: the panels by their names among the direct children --------------------
    // Each panel is found by name; the interface form answers it as the module interface it
    // implements, the class form as the model's module class (empty for a panel that is not
    // one). Missing children and children of another type answer empty.

    RCPtr<IProgramName> GetProgramName() override;
    RCPtr<LProgramName> GetProgramNameModule() override;
    RCPtr<IMidiChannelsAndAftertouch> GetMidiChannelsAndAftertouch() override;
    RCPtr<LMidiChannelsAndAftertouch> GetMidiChannelsAndAftertouchModule() override;
    RCPtr<IKeybed> GetKeybed() override;
    RCPtr<LKeybed> GetKeybedModule() override;
    RCPtr<IArpeggiator> GetArpeggiator() override;
    RCPtr<LArpeggiator> GetArpeggiatorModule() override;
    // "joystick" then "xAxis" (0) or "yAxis" (1); empty for any other index.
    RCPtr<IJoystick> GetJoystick(std::uint32_t index) override;
    RCPtr<LJoystick> GetJoystickModule(std::uint32_t index) override;
    // 0 to 7 "pad1".."pad8" in "padBank1", 8 and up "pad1".. in "padBank2".
    RCPtr<IPad> GetPad(std::uint32_t index) override;
    RCPtr<LPad> GetPadModule(std::uint32_t index) override;
    // 0 to 3 "knob1".."knob4" in "knobBank1", 4 and up "knob1".. in "knobBank2".
    RCPtr<IHardwareKnob> GetHardwareKnob(std::uint32_t index) override;
    RCPtr<LHardwareKnob> GetHardwareKnobModule(std::uint32_t index) override;
    RCPtr<ISoundSettings> GetSoundSettings() override;
    RCPtr<LSoundSettings> GetSoundSettingsModule() override;

    // Whether the panel that shows id could show value as it stands; true where no panel
    // shows it. A preset file is checked with it before any of its values is applied.
    bool CanShowParamValue(std::int32_t id, const Variant& value);

    // --- Own operations ----------------------------------------------------------------

    virtual RCPtr<LStatusView> GetStatusView();
    virtual WString GetPresetFileExtension() const;
    // The open and save dialogs' filter: one entry for preset files, one for all files. kind
    // (1 load, 0 save) does not change it.
    virtual void GetPresetFileFilter(WString& filter, std::int32_t kind) const;
    // "*." and the extension.
    virtual void GetPresetFileMask(WString& mask) const;
    // Asks for a file and loads it, reporting a failed load. The dialog's negative result
    // when cancelled, else the load's result.
    virtual QKRESULT LoadPresetFromFile();
    // Asks for a file and saves the edited preset to it; a failed save is reported and
    // leaves the remembered folder alone. The dialog's negative result, else the save's.
    virtual QKRESULT SavePresetToFile();
    // A chosen name without the preset extension gets it.
    virtual QKRESULT ShowSavePresetDialog(WString& path);
    virtual QKRESULT ShowLoadPresetDialog(WString& path);

    QKRESULT ShowAboutDialog();
    QKRESULT ShowKeyCurveDialog();
    // Starts the desktop's viewer on the user guide without waiting for it. A missing guide
    // or an opener that cannot be started is told in a message box at once (0x80004005); an
    // opener that ends in failure is told when it ends, from an idle pass (0 until then).
    QKRESULT OpenUserGuide();

    // --- LControl --------------------------------------------------------------------------

    QKRESULT Initialize() override;
    // The menu commands on the root window (load and save also on the default centre).
    QKRESULT RegisterNotifications() override;
    // 0 for every command: the menu keeps the states its description gives.
    std::int32_t IsCommandEnabled(const LMenuDescriptor* menu, std::uint32_t index, const WString& nid,
                                  LMenuItemState& state) override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    const RCPtr<LPresetManager>& GetPresetManager() const { return m_presetManager; }
    const RCPtr<LFileDialog>& GetFileDialog() const { return m_fileDialog; }

private:
    using SourcePtr = ConstRCPtr<LNotificationDistributor>;
    using NotificationPtr = ConstRCPtr<LNotification>;

    // The handlers (all answer 1).
    QKRESULT OnSendPresetClicked(const SourcePtr& source, const NotificationPtr& notification);
    QKRESULT OnReceivePresetClicked(const SourcePtr& source, const NotificationPtr& notification);
    QKRESULT OnKeyCurveClicked(const SourcePtr& source, const NotificationPtr& notification);
    QKRESULT OnLoadPresetCommand(const SourcePtr& source, const NotificationPtr& notification);
    QKRESULT OnSavePresetCommand(const SourcePtr& source, const NotificationPtr& notification);
    QKRESULT OnExitCommand(const SourcePtr& source, const NotificationPtr& notification);
    QKRESULT OnAboutCommand(const SourcePtr& source, const NotificationPtr& notification);
    QKRESULT OnUserGuideCommand(const SourcePtr& source, const NotificationPtr& notification);
    // The get and send commands of presets 0 to 8: the digit in the command's name.
    QKRESULT OnGetPresetCommand(const SourcePtr& source, const NotificationPtr& notification);
    QKRESULT OnSendPresetCommand(const SourcePtr& source, const NotificationPtr& notification);

    // The favorite bank's buttons; runtime errors for the required ones.
    void SubscribeFavoriteBank(LControl& bank);
    // The dialog of that skin name, shown modally in a root window of its own.
    QKRESULT ShowSkinDialog(const char16_t* name);
    // The panel child of the device view, or of its child bank, of that name.
    LControl* FindPanel(const char16_t* bank, const WString& name) const;
    LControl* FindJoystickAxis(std::uint32_t index) const;
    LControl* FindPad(std::uint32_t index) const;
    LControl* FindKnob(std::uint32_t index) const;
    // The folder the file dialogs start in: the one last saved to, else the documents.
    static WString GetInitialPresetFolder();

    RCPtr<LNotificationHandler<LDeviceView>> m_deviceHandlers;
    RCPtr<LStatusView> m_statusView;
    RCPtr<LPresetManager> m_presetManager;
    RCPtr<LFileDialog> m_fileDialog;
};

} // namespace QK
