#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"

#include <mutex>

namespace QK
{

namespace
{
std::mutex g_engineLock;
ConstRCPtr<LRootModuleEngine> g_engine;
} // namespace

RCPtr<LPresetEditorAppEngine> LPresetEditorAppEngine::Create()
{
    return RCPtr<LPresetEditorAppEngine>(new LPresetEditorAppEngine());
}

QKRESULT LPresetEditorAppEngine::Initialize(std::int32_t context)
{
    const QKRESULT result = LRootModuleEngine::Initialize(context);
    SetDeviceConnectionState(kConnected);
    return result;
}

void LPresetEditorAppEngine::OnShutdown()
{
    LRootModuleEngine::OnShutdown();
}

bool LPresetEditorAppEngine::IsReady()
{
    return LRootModuleEngine::IsReady();
}

QKRESULT LPresetEditorAppEngine::SetParamValue(const ParamDescriptor& descriptor, const Variant& value)
{
    const RCPtr<LRootModule> root = GetRootModule();
    if (!root)
        return QK_E_FAIL;
    const QKRESULT result = root->SetModuleParamValue(descriptor, value);
    if (Failed(result))
        UpdateDeviceConnectionState();
    return result;
}

QKRESULT LPresetEditorAppEngine::PublishAllParamValues()
{
    return LRootModuleEngine::PublishAllParamValues();
}

RCPtr<LRootModule> LPresetEditorAppEngine::CreateRootModule(bool flag)
{
    return LRootModule::Create(flag);
}

bool LPresetEditorAppEngine::IsCurrentDevicePresent()
{
    return false;
}

ConstRCPtr<LRootModuleEngine> GetRootModuleEngine()
{
    std::lock_guard<std::mutex> guard(g_engineLock);
    return g_engine;
}

void SetRootModuleEngine(const ConstRCPtr<LRootModuleEngine>& engine)
{
    ConstRCPtr<LRootModuleEngine> previous;
    {
        std::lock_guard<std::mutex> guard(g_engineLock);
        previous = g_engine;
        g_engine = engine;
    }
}

} // namespace QK
