// The editor's main control in a root window without a window system: the application object
// started over a FakeWindowSystem (message boxes written down, dialog windows refused), a
// scripted MIDI manager, the program's string tables, and either the shipped skins or one
// skin document given by the test. The root window sits on a RecordingWindowHost, so the
// device view finds the root window its menu commands come from.
//
// UI thread only. Header only, for the editor suites.
#pragma once

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "UI/DeviceView.h"
#include "UI/DriverCommon/MainControl.h"

#include "tests/support/Editor/EditorTestApp.h"
#include "tests/support/Editor/ScriptedMidiManager.h"
#include "tests/support/Recorder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempFolder.h"
#include "tests/support/UI/FakeWindowSystem.h"
#include "tests/support/UI/RecordingWindowHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace QK::TestSupport
{

class EditorTree
{
public:
    // skinDocument: a whole Skins.xml document, or empty for the shipped skins. registerClasses
    // runs before the application's start-up, so its classes win over the application's.
    explicit EditorTree(const std::string& skinDocument = std::string(),
                        const std::function<void(LControlFactory&)>& registerClasses = {})
        : m_dpi("VEDIDU_DPI", "96")
    {
        if (skinDocument.empty())
            factory = LoadEditorResources();
        else
        {
            factory = RCPtr<LControlFactory>(new LControlFactory(WString(u"Vedidu Editor")));
            EXPECT_EQ(factory->LoadStringTable(WString(u"::FRAMEWORK_STRINGS"), WString(u"::APP_STRINGS"), 0x0409),
                      QK_OK);
            m_folder.WriteFile("Skins.xml", skinDocument);
            const std::string file = m_folder / "Skins.xml";
            EXPECT_EQ(factory->LoadSkinResource(WString(file.c_str())), QK_OK)
                << Narrow(factory->GetErrorText()) << " line " << factory->GetErrorLine();
        }
        if (!factory)
            return;
        if (registerClasses)
            registerClasses(*factory);
        app = RCPtr<EditorTestApp>(new EditorTestApp(factory, system));
        app->makeMidiManager = [this] { return RCPtr<LMidiManager>(midi.Get()); };
        started = app->RunApplicationStartup();
        window = LRootWindow::Create(RCPtr<LRenderer>(), &host);
    }
    EditorTree(const EditorTree&) = delete;
    EditorTree& operator=(const EditorTree&) = delete;

    ~EditorTree()
    {
        if (window)
        {
            window->SetRootControl(RCPtr<LControl>());
            window->SetHost(nullptr);
        }
        window = nullptr;
        if (app)
            app->Shutdown();
        app = nullptr;
        LNotificationCenterManager::ReleaseInstance();
    }

    // Makes the skin's "mainControl" the root control. Exceptions of the controls' start-up
    // leave through here.
    QKRESULT Build() { return window->SetRootControl(WString(LApplication::kMainControlName)); }

    LMainControl* Main() const
    {
        return window ? dynamic_cast<LMainControl*>(window->GetRootControl().Get()) : nullptr;
    }
    LDeviceView* View() const
    {
        LMainControl* main = Main();
        return main ? main->GetDeviceView().Get() : nullptr;
    }
    // The control of that path ("favoriteBankPanel/fav3/sendButton") below the device view.
    RCPtr<LControl> Find(const std::string& path) const
    {
        RCPtr<LControl> control(View());
        std::size_t start = 0;
        while (control && start <= path.size())
        {
            const std::size_t end = std::min(path.find('/', start), path.size());
            control = control->FindChild(WString(path.substr(start, end - start).c_str()));
            start = end + 1;
        }
        return control;
    }
    // Runs what waits in the notification centres' queues (posted hot keys, engine notices).
    static void Drain() { LNotificationCenterManager::GetInstance()->DispatchNotifications(false); }

    TemporaryHome home;
    FakeWindowSystem system;
    RCPtr<ScriptedMidiManager> midi = ScriptedMidiManager::Create();
    RCPtr<LControlFactory> factory;
    RCPtr<EditorTestApp> app;
    QKRESULT started = QK_E_FAIL;
    RecordingWindowHost host;
    RCPtr<LRootWindow> window;

private:
    ScopedEnvironment m_dpi;
    TempFolder m_folder;
};

} // namespace QK::TestSupport
