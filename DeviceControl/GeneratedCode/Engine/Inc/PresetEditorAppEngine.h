// LPresetEditorAppEngine: the root module engine of the preset editor, which talks to the
// controller over MIDI rather than through the device-control library. It reports itself
// connected from Initialize on and keeps the values in the root module without any device
// exchange; the MIDI manager reads and writes the 79 values through it.
//
// The application makes one at start-up (Create), before the MIDI manager, and keeps it for
// its whole life; GetRootModuleEngine answers it to the rest of the program.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleEngine.h"

namespace QK
{

class LPresetEditorAppEngine : public LRootModuleEngine
{
public:
    static RCPtr<LPresetEditorAppEngine> Create();

    // The engine's start-up, then the connection state 3.
    QKRESULT Initialize(std::int32_t context) override;
    void OnShutdown() override;
    bool IsReady() override;
    // Sets the value in the root module directly, whatever the connection state; after a
    // failure the connection state is brought up to date.
    QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value) override;
    QKRESULT PublishAllParamValues() override;
    RCPtr<LRootModule> CreateRootModule(bool flag) override;
    // No device of the library is ever current here.
    bool IsCurrentDevicePresent() override;

protected:
    // Through Create; test engines derive from it.
    LPresetEditorAppEngine() = default;
};

// The application's root module engine; empty until the application has set it.
ConstRCPtr<LRootModuleEngine> GetRootModuleEngine();
// Set by the application when it has made its engine, cleared (null) when it shuts down.
void SetRootModuleEngine(const ConstRCPtr<LRootModuleEngine>& engine);

} // namespace QK
