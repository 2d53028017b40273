// The shipped skin's device view built under a stand-in for the main control, for the tests
// of the edit panels: the editor's application (shipped strings and skins, standard-DPI
// skin, an engine that counts writes), a root control that is the root of the view-side
// module tree, and a device module that hands the device view's panels out by their skin
// places, bound to the ids 0 to 78.
//
// The root does what the main control does with values: it routes a model value by id to
// the owning panel, and drops the echo of the value it is pushing in while it pushes it.
// UI thread only.
#pragma once

#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/Label.h"
#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Controls/TextBox.h"
#include "UI/ArpeggiatorEditPanel.h"
#include "UI/JoystickAxisPanel.h"
#include "UI/KeybedEditPanel.h"
#include "UI/KeyboardSoundsPanel.h"
#include "UI/KnobEditPanel.h"
#include "UI/MidiChannelsAndAftertouchPanel.h"
#include "UI/NameEditPanel.h"
#include "UI/PadEditPanel.h"

#include "tests/support/Editor/CountingEngine.h"
#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/Editor/ScriptedMidiManager.h"
#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/UI/FakeWindowSystem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace QK::TestSupport
{

inline Variant Bytes(std::initializer_list<std::uint8_t> bytes)
{
    const std::vector<std::uint8_t> block(bytes);
    Variant value;
    value.SetBytes(block.data(), static_cast<std::uint32_t>(block.size()));
    return value;
}

inline Variant Bytes(const std::vector<std::uint8_t>& block)
{
    Variant value;
    value.SetBytes(block.data(), static_cast<std::uint32_t>(block.size()));
    return value;
}

// The device module of the view: the panels found at their places in the device view.
class TestDeviceModule final : public IDevice
{
public:
    explicit TestDeviceModule(LControl& view) : m_view(view) {}

    RCPtr<IProgramName> GetProgramName() override { return Find<IProgramName>("presetName"); }
    RCPtr<IMidiChannelsAndAftertouch> GetMidiChannelsAndAftertouch() override
    {
        return Find<IMidiChannelsAndAftertouch>("midiChannels");
    }
    RCPtr<IKeybed> GetKeybed() override { return Find<IKeybed>("keyboard"); }
    RCPtr<IArpeggiator> GetArpeggiator() override { return Find<IArpeggiator>("arpeggiator"); }
    RCPtr<IJoystick> GetJoystick(std::uint32_t index) override
    {
        return index < 2 ? Find<IJoystick>(index == 0 ? "joystick/xAxis" : "joystick/yAxis") : nullptr;
    }
    RCPtr<IPad> GetPad(std::uint32_t index) override
    {
        return index < 16 ? Find<IPad>("padBank" + std::to_string(index / 8 + 1) + "/pad" +
                                       std::to_string(index % 8 + 1))
                          : nullptr;
    }
    RCPtr<IHardwareKnob> GetHardwareKnob(std::uint32_t index) override
    {
        return index < 8 ? Find<IHardwareKnob>("knobBank" + std::to_string(index / 4 + 1) + "/knob" +
                                               std::to_string(index % 4 + 1))
                         : nullptr;
    }
    RCPtr<ISoundSettings> GetSoundSettings() override { return Find<ISoundSettings>("keysSoundParameters"); }

    RCPtr<LProgramName> GetProgramNameModule() override { return nullptr; }
    RCPtr<LMidiChannelsAndAftertouch> GetMidiChannelsAndAftertouchModule() override { return nullptr; }
    RCPtr<LKeybed> GetKeybedModule() override { return nullptr; }
    RCPtr<LArpeggiator> GetArpeggiatorModule() override { return nullptr; }
    RCPtr<LJoystick> GetJoystickModule(std::uint32_t) override { return nullptr; }
    RCPtr<LPad> GetPadModule(std::uint32_t) override { return nullptr; }
    RCPtr<LHardwareKnob> GetHardwareKnobModule(std::uint32_t) override { return nullptr; }
    RCPtr<LSoundSettings> GetSoundSettingsModule() override { return nullptr; }

    // The control at a "/"-separated path below the view; null when absent.
    LControl* At(const std::string& path) const
    {
        LControl* control = &m_view;
        std::size_t start = 0;
        while (control && start <= path.size())
        {
            const std::size_t end = path.find('/', start);
            const std::string name =
                path.substr(start, end == std::string::npos ? std::string::npos : end - start);
            control = control->FindChild(WString(name.c_str())).Get();
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return control;
    }

private:
    template <class T> RCPtr<T> Find(const std::string& path) const
    {
        return RCPtr<T>(dynamic_cast<T*>(At(path)));
    }

    LControl& m_view;
};

// The main control's part in value traffic, without the rest of it.
class TestViewRoot final : public LPanel, public IRootModule
{
public:
    TestViewRoot() : LPanel(nullptr, WString(u"mainControl")) {}

    QKRESULT NotifyParamValueChanged(const ParamDescriptor&, const Variant&, std::int32_t) override
    {
        return QK_OK;
    }
    RCPtr<LDevice> GetDeviceModule() override { return nullptr; }

    QKRESULT RequestParamValueChange(const ParamDescriptor& descriptor, const Variant& value,
                                     std::int32_t) override
    {
        ++requests;
        if (descriptor.id == m_applied.id && value.IsEqual(m_appliedValue))
            return QK_OK;
        const ConstRCPtr<LRootModuleEngine> engine = GetRootModuleEngine();
        return engine ? const_cast<LRootModuleEngine*>(engine.Get())->SetParamValue(descriptor, value)
                      : QK_E_FAIL;
    }

    // A model value on its way to the view.
    void Apply(std::int32_t id, const Variant& value)
    {
        m_applied = ParamDescriptor(id);
        m_appliedValue = value;
        if (device)
            if (const RCPtr<LParameterizedModule> module = device->GetModuleForParamID(id))
                module->SetParamValueLocal(ParamDescriptor(id), value, true);
        m_applied = ParamDescriptor();
        m_appliedValue = Variant();
    }

    RCPtr<TestDeviceModule> device;
    int requests = 0;

private:
    ParamDescriptor m_applied;
    Variant m_appliedValue;
};

class EditPanelTestTree
{
public:
    EditPanelTestTree()
    {
        factory = LoadEditorResources();
        if (!factory)
            return;
        app = RCPtr<EditorTestApp>(new EditorTestApp(factory, system));
        app->makeEngine = [this]
        {
            engine = CountingEngine::Create();
            return RCPtr<LRootModuleEngine>(engine);
        };
        // The panels reach no controller: a manager that opens no MIDI system keeps these
        // tests off the JACK server the MIDI suites have to themselves.
        app->makeMidiManager = [] { return RCPtr<LMidiManager>(ScriptedMidiManager::Create().Get()); };
        if (Failed(app->RunApplicationStartup()))
            return;
        root = RCPtr<TestViewRoot>(new TestViewRoot());
        const RCPtr<LControlDescriptor> main = factory->FindSubControlDescriptor(WString(u"mainControl"));
        if (main)
            root->CreateFromDescriptor(main.Get());
        for (std::uint32_t i = 0; main && i < main->Children.GetCount(); ++i)
        {
            const RCPtr<LControlDescriptor>& child = *main->Children.GetAt(i);
            if (child && child->Name.IsEqual(WString(u"viewDevice")))
                view = factory->CreateControl(child.Get(), root.Get());
        }
        if (!view)
            return;
        root->Initialize();
        root->InitializeParts();
        root->SetCreated();
        root->device = RCPtr<TestDeviceModule>(new TestDeviceModule(*view));
        root->device->SetFirstParamID(root.Get(), 0, 0);
    }

    ~EditPanelTestTree()
    {
        if (root)
            root->device = nullptr;
        view = nullptr;
        root = nullptr;
        if (app)
            app->Shutdown();
    }

    bool Ready() const { return view && engine; }
    LControl* At(const std::string& path) const { return root->device->At(path); }
    template <class T> T* As(const std::string& path) const { return dynamic_cast<T*>(At(path)); }
    void Apply(std::int32_t id, const Variant& value) { root->Apply(id, value); }

    TemporaryHome home;
    ScopedEnvironment dpi{"VEDIDU_DPI", "96"};
    FakeWindowSystem system;
    RCPtr<LControlFactory> factory;
    RCPtr<EditorTestApp> app;
    RCPtr<CountingEngine> engine;
    RCPtr<TestViewRoot> root;
    RCPtr<LControl> view;
};

} // namespace QK::TestSupport
