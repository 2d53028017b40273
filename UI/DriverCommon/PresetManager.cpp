// Contents: byte helpers; LPresetManager (creation and notifications, the file in bytes,
// reading, saving, the folder); the reports.
#include "UI/DriverCommon/PresetManager.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/RootModule.h"
#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Core/FileSystem.h"
#include "QKFramework/System/FileDialog.h"
#include "QKFramework/Utilities/Storage/IIniFileManager.h"
#include "QKFramework/Utilities/Storage/Paths.h"
#include "QKFramework/Utilities/Storage/QKFile.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"
#include "UI/DriverCommon/AppText.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

namespace QK
{

namespace
{

constexpr const char* kSource = "UI\\DriverCommon\\PresetManager";
constexpr std::uint32_t kErrorIconFlags = 0x10;

std::uint32_t LoadWord(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

void StoreWord(std::uint8_t* bytes, std::uint32_t word)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(word >> (8 * i));
}

// The file's bytes, or false when it cannot be opened, read or is too large to be a preset.
bool ReadWholeFile(const WString& path, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    if (path.GetLength() == 0)
        return false;
    // Opening a pipe or a device could wait for ever; only plain files are presets.
    std::error_code error;
    if (!std::filesystem::is_regular_file(ToSystemPath(path), error))
        return false;
    try
    {
        File file(path, WString(), File::kModeRead);
        if (!file.IsOpen())
            return false;
        std::uint8_t chunk[4096];
        for (;;)
        {
            const std::uint32_t count = file.Read(chunk, sizeof chunk);
            if (count == 0)
                break;
            if (bytes.size() + count > LPresetManager::kMaxFileSize)
                return false;
            bytes.insert(bytes.end(), chunk, chunk + count);
        }
        file.Close();
        return true;
    }
    catch (const std::exception&)
    {
        // A read error (a folder, a vanished device) makes the file unreadable, not fatal.
        bytes.clear();
        return false;
    }
}

// A byte block of the parameter's size that SysEx can carry: every byte below 0x80, as the
// controller's messages need (a higher byte would end or break the message).
bool IsParameterValue(std::uint32_t position, const Variant& value)
{
    std::uint32_t size = 0;
    const auto* bytes = static_cast<const std::uint8_t*>(value.GetData(size));
    return value.GetKind() == kVariantBytes && size == GetParameterByteSize(position) &&
           (size == 0 || (bytes && std::all_of(bytes, bytes + size, [](std::uint8_t b) { return b < 0x80; })));
}

} // namespace

// ---- Creation and notifications ----

LPresetManager::LPresetManager() : m_handlers(LNotificationHandler<LPresetManager>::Create(this)) {}

RCPtr<LPresetManager> LPresetManager::Create()
{
    RCPtr<LPresetManager> manager(new LPresetManager());
    const QKRESULT result = manager->m_handlers->AddHandler(&LPresetManager::OnGlobalLoadPresetFile,
                                                            GetDefaultNotificationCenter(),
                                                            u"NID_GLOBAL_LOAD_CONTROL_PANEL_SETTINGS", 0);
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    CheckResult(result, ThrowSite{"QK::LPresetManager::Create", kSource, 29});
    manager->m_deliveryEnabled = true;
    return manager;
}

QKRESULT LPresetManager::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                             const ConstRCPtr<LNotification>& notification)
{
    if (!m_deliveryEnabled || !m_handlers)
        return QK_OK;
    if (m_handlers->Dispatch(source, notification))
        return QK_OK;
    return LNotificationClient::ReceiveNotification(source, notification);
}

QKRESULT LPresetManager::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LNotificationClient>(*this, m_handlers, source, id);
}

QKRESULT LPresetManager::OnGlobalLoadPresetFile(const ConstRCPtr<LNotificationDistributor>&,
                                                const ConstRCPtr<LNotification>& notification)
{
    if (notification)
    {
        if (const auto path = ConstRCPtr<LWrapperStringable<WString>>::DynamicCast(notification->GetArgument()))
            LoadPresetFile(WString(*path));
    }
    return 1;
}

// ---- The file in bytes ----

QKRESULT LPresetManager::WritePresetRecord(std::uint32_t position, const Variant& value,
                                           std::vector<std::uint8_t>& buffer)
{
    std::uint32_t n = 0;
    value.GetData(n);
    buffer.assign(std::size_t{kRecordHeaderSize} + kValueRecordHeaderSize + n, 0);
    StoreWord(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    StoreWord(buffer.data() + 4, 0);
    StoreWord(buffer.data() + 8, position);
    const QKRESULT written = Variant::Serialize(value, buffer.data() + kRecordHeaderSize,
                                                static_cast<std::uint32_t>(buffer.size() - kRecordHeaderSize));
    if (Failed(written))
    {
        buffer.clear();
        return QK_E_FAIL;
    }
    return QK_OK;
}

QKRESULT LPresetManager::ParsePresetRecord(const std::uint8_t* bytes, std::size_t size, std::size_t offset,
                                           std::uint32_t& position, Variant& value, std::uint32_t& reserved)
{
    value.Clear();
    if (!bytes || offset > size || size - offset < kRecordHeaderSize)
        return QK_E_FAIL;
    const std::uint8_t* record = bytes + offset;
    const std::size_t available = size - offset;
    const std::uint32_t length = LoadWord(record);
    reserved = LoadWord(record + 4);
    position = LoadWord(record + 8);
    // The size is checked against what is there before anything is made of it.
    if (length < kMinRecordSize || length > available || length > static_cast<std::uint32_t>(kMaxFileSize) ||
        reserved != 0)
        return QK_E_FAIL;
    const std::uint32_t valueSize = length - kRecordHeaderSize;
    if (LoadWord(record + kRecordHeaderSize) != valueSize)
        return QK_E_FAIL;
    if (Failed(Variant::Deserialize(value, record + kRecordHeaderSize, valueSize)))
    {
        value.Clear();
        return QK_E_FAIL;
    }
    if (position < kParameterCount && !IsParameterValue(position, value))
    {
        value.Clear();
        return QK_E_FAIL;
    }
    return static_cast<QKRESULT>(length);
}

std::int32_t LPresetManager::ParsePresetFile(const std::uint8_t* bytes, std::size_t size,
                                             std::vector<PresetFileRecord>& records, const PositionCheck& check)
{
    records.clear();
    if (!bytes || size < kHeaderSize)
        return kLoadCorruptFile;
    const std::uint32_t version = LoadWord(bytes);
    if (LoadWord(bytes + 4) != 0 || LoadWord(bytes + 8) != 0)
        return kLoadOtherDevice;
    if (version > kFormatVersion)
        return kLoadNewerFile;
    if (version < kFormatVersion)
        return kLoadOlderFile;
    // A file of the right version holds at least one record; one that stops after its
    // header was cut short.
    if (size == kHeaderSize)
        return kLoadCorruptFile;

    std::size_t offset = kHeaderSize;
    while (offset < size)
    {
        PresetFileRecord record;
        std::uint32_t reserved = 0;
        const QKRESULT length = ParsePresetRecord(bytes, size, offset, record.position, record.value, reserved);
        if (Failed(length))
        {
            records.clear();
            return kLoadCorruptFile;
        }
        offset += static_cast<std::uint32_t>(length);
        if (record.position >= kParameterCount)
            continue;
        if (check && !check(record.position, record.value))
        {
            records.clear();
            return kLoadCorruptFile;
        }
        records.push_back(std::move(record));
    }
    return kLoadOk;
}

QKRESULT LPresetManager::BuildPresetFile(const Array<ParamValue>& values, std::vector<std::uint8_t>& bytes)
{
    bytes.clear();
    if (values.GetCount() != kParameterCount)
        return QK_E_FAIL;
    for (std::uint32_t i = 0; i < kParameterCount; ++i)
    {
        const Variant& value = values.GetAt(i)->value;
        if (value.GetKind() != kVariantBytes || value.GetLength() != GetParameterByteSize(i))
            return QK_E_FAIL;
    }

    bytes.resize(kHeaderSize);
    StoreWord(bytes.data(), kFormatVersion);
    StoreWord(bytes.data() + 4, 0);
    StoreWord(bytes.data() + 8, 0);
    std::vector<std::uint8_t> record;
    for (std::uint32_t i = 0; i < kParameterCount; ++i)
    {
        if (Failed(WritePresetRecord(i, values.GetAt(i)->value, record)))
        {
            bytes.clear();
            return QK_E_FAIL;
        }
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return QK_OK;
}

// ---- Reading ----

std::int32_t LPresetManager::LoadPresetFile(WString path)
{
    SendNotification(LNotification::Create(u"NID_PRESETFILE_PRE_LOAD"));
    const std::int32_t result = ReadPresetFile(path);
    SendNotification(
        LNotification::Create(u"NID_PRESETFILE_POST_LOAD", ConstRCPtr<LRefCountedObject>(
                                                               new LPresetFileLoadNotificationData(result))));
    return result;
}

std::int32_t LPresetManager::ReadPresetFile(WString path)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, bytes))
        return kLoadCorruptFile;
    const RCPtr<LRootModuleEngine> target = RCPtr<LRootModuleEngine>::DynamicCast(GetRootModuleEngine());
    const std::int32_t first = target ? target->GetFirstParamID() : 0;
    const RCPtr<LRootModule> model = target ? target->GetRootModule() : nullptr;
    PositionCheck check;
    if (m_valueCheck && target)
        check = [&](std::uint32_t position, const Variant& value)
        {
            const std::int32_t id = first + static_cast<std::int32_t>(position);
            // The model's own starting value passes even where an editor cannot show it (no
            // tempo-taps item stands for its 0): a file saved before anything was set loads.
            if (model)
                if (const RCPtr<LParameterizedModule> module = model->GetModuleForParamID(id))
                    if (value.IsEqual(module->GetParamValueDefault(id)))
                        return true;
            return m_valueCheck(id, value);
        };
    std::vector<PresetFileRecord> records;
    const std::int32_t result = ParsePresetFile(bytes.data(), bytes.size(), records, check);
    if (result != kLoadOk)
        return result;
    if (!target)
        return kLoadCorruptFile;

    for (const PresetFileRecord& record : records)
        target->SetParamValue(ParamDescriptor(first + static_cast<std::int32_t>(record.position)), record.value);
    return kLoadOk;
}

// ---- Saving ----

QKRESULT LPresetManager::SavePresetFile(WString path)
{
    const RCPtr<LRootModuleEngine> source = RCPtr<LRootModuleEngine>::DynamicCast(GetRootModuleEngine());
    if (!source)
        return QK_E_FAIL;
    Array<ParamValue> values;
    source->FillParamValues(source->GetFirstParamID(), kParameterCount, values, -1);
    std::vector<std::uint8_t> bytes;
    if (Failed(BuildPresetFile(values, bytes)))
        return QK_E_FAIL;
    if (!HasSystemPath(path))
        return QK_E_INVALIDNAME;
    if (path.GetLength() == 0 || ReplaceFileContents(ToSystemPath(path).c_str(), bytes.data(), bytes.size()) != 0)
        return QK_E_FAIL;
    return QK_OK;
}

// ---- The folder ----

void LPresetManager::RememberPresetFolder(const LFileDialog& fileDialog)
{
    LFrameworkApp* application = LFrameworkApp::GetApplication();
    if (!application)
        return;
    IIniFileManager* settings = application->GetIniFileManager();
    const IniFileHandle handle = application->GetSettings(1);
    // The settings hold text; the escaped bytes of a name are none, and would spoil the file.
    if (!settings || handle == 0 || HoldsNameBytes(fileDialog.GetFolder()))
        return;
    settings->SetString(handle, WString(kLastFolderKey), fileDialog.GetFolder());
}

// ---- Reports ----

void ReportPresetFileLoadResult(std::int32_t result)
{
    const char16_t* key = nullptr;
    switch (result)
    {
    case LPresetManager::kLoadOlderFile:
        key = u"SETTINGS_FILE_LOAD_OLDER_MESSAGE";
        break;
    case LPresetManager::kLoadNewerFile:
        key = u"SETTINGS_FILE_LOAD_NEWER_MESSAGE";
        break;
    case LPresetManager::kLoadCorruptFile:
        key = u"SETTINGS_FILE_LOAD_CORRUPT_MESSAGE";
        break;
    case LPresetManager::kLoadOtherDevice:
        key = u"SETTINGS_FILE_LOAD_WRONG_DEVICE_MESSAGE";
        break;
    case LPresetManager::kLoadTranslationFailure:
        key = u"SETTINGS_FILE_TRANSLATION_FAILURE_MESSAGE";
        break;
    default:
        return;
    }
    ShowMessageBox(GetAppString(key), GetAppString(u"SETTINGS_FILE_LOAD_CAPTION"), kErrorIconFlags);
}

void ReportPresetFileSaveResult(QKRESULT result)
{
    if (!Failed(result))
        return;
    if (result == QK_E_INVALIDNAME)
    {
        ReportPresetFileNameRefused(true);
        return;
    }
    ShowMessageBox(GetAppString(u"SETTINGS_FILE_SAVE_FAILED_MESSAGE"), GetAppString(u"SETTINGS_FILE_SAVE_CAPTION"),
                   kErrorIconFlags);
}

void ReportPresetFileNameRefused(bool saving)
{
    if (saving)
        ShowMessageBox(GetAppString(u"SETTINGS_FILE_SAVE_NAME_MESSAGE"), GetAppString(u"SETTINGS_FILE_SAVE_CAPTION"),
                       kErrorIconFlags);
    else
        ShowMessageBox(GetAppString(u"SETTINGS_FILE_LOAD_NAME_MESSAGE"), GetAppString(u"SETTINGS_FILE_LOAD_CAPTION"),
                       kErrorIconFlags);
}

} // namespace QK
