#include "UI/DriverCommon/PresetManager.h"

namespace QK
{

RCPtr<LPresetManager> LPresetManager::Create()
{
    return RCPtr<LPresetManager>(new LPresetManager());
}

std::int32_t LPresetManager::LoadPresetFile(WString path)
{
    return ReadPresetFile(path);
}

std::int32_t LPresetManager::ReadPresetFile(WString)
{
    return -3;
}

QKRESULT LPresetManager::SavePresetFile(WString)
{
    return QK_E_FAIL;
}

void LPresetManager::RememberPresetFolder(const LFileDialog&) {}

void ReportPresetFileLoadResult(std::int32_t) {}

void ReportPresetFileSaveResult(QKRESULT) {}

} // namespace QK
