// LPresetManager: reads and writes preset files, the 79 parameter values of one preset in
// the order of the root module ("vedidu" files: a 12-byte header and one record per
// parameter). Saving writes the engine's current values; loading hands every stored value to
// the engine, which updates the model and, through its change notice, the edit panels.
//
// UI thread only; loading and saving block it for the file access.
#pragma once

#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class LFileDialog;

// The argument of "NID_PRESETFILE_POST_LOAD": the load result.
class LPresetFileLoadNotificationData : public LRefCountedObject
{
public:
    explicit LPresetFileLoadNotificationData(std::int32_t result) : m_result(result) {}
    std::int32_t GetResult() const noexcept { return m_result; }

private:
    std::int32_t m_result;
};

class LPresetManager : public LNotificationClient, public LNotificationDistributor
{
public:
    static constexpr const char16_t* kFileExtension = u"vedidu";
    static constexpr const char16_t* kLastFolderKey = u"PresetLastFolderPath";

    // A manager subscribed to "NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS" on the default centre;
    // throws the failed-result exception when the subscription fails.
    static RCPtr<LPresetManager> Create();

    // The load with "NID_PRESETFILE_PRE_LOAD" before and "NID_PRESETFILE_POST_LOAD" after.
    // 0 success, -1 older file, -2 newer file, -3 corrupt or unreadable, -4 another device's.
    std::int32_t LoadPresetFile(WString path);
    // The reader alone, same results.
    std::int32_t ReadPresetFile(WString path);
    // 0, or 0x80004005 when the engine does not deliver the 79 values or the file cannot be
    // written (a file already there is then kept as it was).
    QKRESULT SavePresetFile(WString path);
    // Stores the dialog's folder under "PresetLastFolderPath" in the user settings.
    static void RememberPresetFolder(const LFileDialog& fileDialog);
};

// The message box for a load result: -1 to -5 show "Favorite File Load" (flags 0x10), even
// with an empty text; any other result shows nothing.
void ReportPresetFileLoadResult(std::int32_t result);
// The message box for a failed save (flags 0x10); success shows nothing.
void ReportPresetFileSaveResult(QKRESULT result);

} // namespace QK
