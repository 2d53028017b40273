// LPresetManager: reads and writes preset files, the 79 parameter values of one preset in
// the order of the root module ("vedidu" files). Saving writes the engine's current values;
// loading hands every stored value to the engine, which updates the model and, through its
// change notice, the edit panels.
//
// The file: all numbers are 32-bit little-endian words, with no padding and no trailer.
//   header  12 bytes: format version (1), device word A (0), device word B (0)
//   records one per parameter, in order:
//     record size (24 + n), reserved (0), position (0 to 78 from the first parameter id),
//     then the value's record: its size (12 + n), code space (1), kind (14, a byte block)
//     and the n bytes of the value.
// A file of the 79 parameters is 2,123 bytes long.
//
// Reading checks the whole file before the engine sees any value, so a file that fails
// leaves the model as it was: its records, and every value in them, which must be one that
// SysEx can carry (bytes 0 to 127) and that the parameter's editor on screen can show (the
// value check that the view gives; a value equal to the model's default passes, as the
// model holds it before anything is set). Saving checks the engine's values before it writes and
// replaces the file in one step, so a failed save leaves a file already there as it was.
//
// Notifications sent through the manager's own distributor, on the loading thread:
// "NID_PRESETFILE_PRE_LOAD" (no argument) before reading, "NID_PRESETFILE_POST_LOAD" (an
// LPresetFileLoadNotificationData) after. Received: "NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS"
// from the default notification centre (an LWrapperStringable<WString> holding a path),
// which loads the file without a report.
//
// UI thread only; loading and saving block it for the file access.
#pragma once

#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"
#include "QKFramework/Utilities/Storage/StringT.h"
#include "QKFramework/Utilities/Storage/Variant.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

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

// One record of a preset file as read: the stored position and the value.
struct PresetFileRecord
{
    std::uint32_t position = 0;
    Variant value;
};

class LPresetManager : public LNotificationClient, public LNotificationDistributor
{
public:
    // Whether a value read from a file may be applied to the parameter at position (0 to 78).
    using PositionCheck = std::function<bool(std::uint32_t position, const Variant& value)>;
    // Whether the view can show a value of the parameter with that id.
    using ValueCheck = std::function<bool(std::int32_t id, const Variant& value)>;

    static constexpr const char16_t* kFileExtension = u"vedidu";
    static constexpr const char16_t* kLastFolderKey = u"PresetLastFolderPath";

    // Load results.
    static constexpr std::int32_t kLoadOk = 0;
    static constexpr std::int32_t kLoadOlderFile = -1;
    static constexpr std::int32_t kLoadNewerFile = -2;
    static constexpr std::int32_t kLoadCorruptFile = -3;
    static constexpr std::int32_t kLoadOtherDevice = -4;
    static constexpr std::int32_t kLoadTranslationFailure = -5;

    static constexpr std::uint32_t kFormatVersion = 1;
    static constexpr std::uint32_t kHeaderSize = 12;
    // Record size, reserved word and position before the value's record.
    static constexpr std::uint32_t kRecordHeaderSize = 12;
    static constexpr std::uint32_t kMinRecordSize = 16;
    // Nothing this program writes comes near it; a larger file is refused unread.
    static constexpr std::size_t kMaxFileSize = 16u << 20;

    // A manager subscribed to "NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS" on the default centre;
    // throws the failed-result exception when the subscription fails.
    static RCPtr<LPresetManager> Create();

    // The load with "NID_PRESETFILE_PRE_LOAD" before and "NID_PRESETFILE_POST_LOAD" after.
    // 0 success, -1 older file, -2 newer file, -3 corrupt or unreadable, -4 another device's.
    std::int32_t LoadPresetFile(WString path);
    // The reader alone, same results. The values go to the engine only when every record of
    // the file is sound and every value passes the value check; a record for a position no
    // parameter has is skipped.
    std::int32_t ReadPresetFile(WString path);
    // The view's check of the values read (empty: none). The view that sets it clears it
    // before it goes.
    void SetValueCheck(ValueCheck check) { m_valueCheck = std::move(check); }
    // 0, or 0x80004005 when there is no engine, the engine does not deliver the 79 values
    // at their sizes, or the file cannot be written (a file already there is then kept);
    // 0x8007007B, writing nothing, for a path that has no bytes to name a file by.
    QKRESULT SavePresetFile(WString path);
    // Stores the dialog's folder under "PresetLastFolderPath" in the user settings; a folder
    // whose name is not UTF-8 is no text for them and leaves the key as it was.
    static void RememberPresetFolder(const LFileDialog& fileDialog);

    // The file in bytes, without the engine: the load result, and in records the values
    // of the parameters' positions (0 to 78) in file order when it is 0 (empty otherwise).
    // A value that check refuses makes the file corrupt (-3).
    static std::int32_t ParsePresetFile(const std::uint8_t* bytes, std::size_t size,
                                        std::vector<PresetFileRecord>& records,
                                        const PositionCheck& check = {});
    // The whole file for the 79 values of values (in parameter order, each a byte block of
    // its parameter's size). 0, or 0x80004005 for anything else (bytes is then empty).
    static QKRESULT BuildPresetFile(const Array<ParamValue>& values, std::vector<std::uint8_t>& bytes);
    // Makes buffer hold the record of value at position (24 + n bytes). 0, or 0x80004005
    // when the value has no record (buffer is then empty).
    static QKRESULT WritePresetRecord(std::uint32_t position, const Variant& value, std::vector<std::uint8_t>& buffer);
    // Checks the record at offset of the size bytes and reads its value: the record must fit,
    // be at least 16 bytes, have a reserved word of 0, a value record of the record's size
    // less 12 that reads as a value, and, for a parameter's position, a byte block of that
    // parameter's size whose bytes are all below 0x80. The record size, or 0x80004005.
    static QKRESULT ParsePresetRecord(const std::uint8_t* bytes, std::size_t size, std::size_t offset,
                                      std::uint32_t& position, Variant& value, std::uint32_t& reserved);

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

protected:
    LPresetManager();

    // "NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS": loads the path it carries; 1.
    QKRESULT OnGlobalLoadPresetFile(const ConstRCPtr<LNotificationDistributor>& source,
                                    const ConstRCPtr<LNotification>& notification);

private:
    RCPtr<LNotificationHandler<LPresetManager>> m_handlers;
    bool m_deliveryEnabled = false;
    ValueCheck m_valueCheck;
};

// The message box for a load result: -1 to -5 show "Favorite File Load" (flags 0x10), even
// with an empty text; any other result shows nothing.
void ReportPresetFileLoadResult(std::int32_t result);
// The message box for a failed save (a negative result; flags 0x10); otherwise nothing.
// 0x8007007B tells that the name cannot be kept.
void ReportPresetFileSaveResult(QKRESULT result);
// The box for a file name that cannot be kept as it is (0x8007007B from the file dialog or a
// save): "Favorite File Save" or "Favorite File Load" by saving (flags 0x10).
void ReportPresetFileNameRefused(bool saving);

} // namespace QK
