#include "QKFramework/Utilities/Storage/IniFileManagerProxy.h"

#include "QKFramework/Platform/Core/FileSystem.h"
#include "QKFramework/Utilities/Debug/DebugLog.h"
#include "QKFramework/Utilities/Storage/ConvertUtf.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include <climits>
#include <cstdio>
#include <ostream>
#include <string>
#include <cmath>
#include <exception>

namespace QK
{

namespace
{

// A real as an integer, cut toward zero and held to the 32-bit range (0 for not-a-number).
std::int32_t RealToInteger(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

bool IsTextNode(const XNode* node)
{
    return node->GetType() == XNode::kTypeString || node->GetType() == XNode::kTypeData;
}

WString TextOf(const XNode* node)
{
    return IsTextNode(node) ? WString(node->GetText().c_str()) : WString();
}

} // namespace

CIniFileManagerProxy::~CIniFileManagerProxy() = default;

// The file that could not be read (the one its links lead to) goes to the same name with
// ".unreadable" added, or ".unreadable.2", ".unreadable.3" and so on when that is taken, so
// the fresh document written next destroys nothing the person may still want from it, and
// no earlier copy is lost either.
bool CIniFileManagerProxy::KeepUnreadableFile(IniFileInfo& file)
{
    constexpr int kMostCopies = 1000;
    std::string target;
    if (FollowLinks(ToSystemPath(file.path.GetString()).c_str(), target) != 0)
        return false;
    std::ostream& log = DebugLog::Get().GetNarrowOutput();
    std::string aside;
    for (int copy = 1; copy <= kMostCopies && aside.empty(); ++copy)
    {
        std::string name = target + ".unreadable";
        if (copy > 1)
            name += "." + std::to_string(copy);
        if (GetPathKind(name.c_str()) == PathKind::Missing)
            aside = name;
    }
    std::string notice;
    if (aside.empty() || std::rename(target.c_str(), aside.c_str()) != 0)
    {
        notice = "the settings file \"" + target + "\" could not be read, nor moved aside; it is not replaced";
        log << notice << std::endl;
        if (m_noticeSink && !file.toldNotMoved)
            m_noticeSink(notice);
        file.toldNotMoved = true;
        return false;
    }
    notice = "the settings file \"" + target + "\" could not be read; it is kept as \"" + aside +
             "\" and a new one is written";
    log << notice << std::endl;
    if (m_noticeSink)
        m_noticeSink(notice);
    return true;
}

QKRESULT CIniFileManagerProxy::SaveAllFiles(std::vector<NString>* failedPaths)
{
    QKRESULT result = QK_OK;
    for (const std::unique_ptr<IniFileInfo>& file : m_files)
    {
        if (Failed(Save(*file)))
        {
            result = kResultFailed;
            if (failedPaths)
                failedPaths->push_back(file->path);
        }
    }
    return result;
}

IniFileInfo* CIniFileManagerProxy::Find(IniFileHandle handle) const
{
    for (auto file = m_files.rbegin(); file != m_files.rend(); ++file)
    {
        if (reinterpret_cast<IniFileHandle>(file->get()) == handle)
            return file->get();
    }
    return nullptr;
}

XNode* CIniFileManagerProxy::Lookup(IniFileInfo& file, const WString& key, bool create)
{
    NString path = file.keyPrefix;
    path.Append(NString(key.GetString()));
    return XNode::GetNode(file.root.Get(), path.GetString(), create ? XNode::kPathCreate : 0);
}

QKRESULT CIniFileManagerProxy::Save(IniFileInfo& file)
{
    if (!file.modified)
        return QK_OK;
    if (file.keepUnreadable)
    {
        // One that has gone since needs no keeping.
        if (GetPathKind(ToSystemPath(file.path.GetString()).c_str()) != PathKind::Missing &&
            !KeepUnreadableFile(file))
            return kResultFailed;
        file.keepUnreadable = false;
    }
    try
    {
        if (XNode::SaveFile(file.root.Get(), file.path.GetString(), 0) != 0)
            return kResultFailed;
    }
    catch (const std::exception&)
    {
        return kResultFailed;
    }
    file.modified = false;
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::Reserved(std::int32_t)
{
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::CloseAllFiles()
{
    QKRESULT result = QK_OK;
    while (!m_files.empty())
    {
        std::unique_ptr<IniFileInfo> file = std::move(m_files.back());
        m_files.pop_back();
        if (Failed(Save(*file)))
            result = kResultFailed;
    }
    return result;
}

QKRESULT CIniFileManagerProxy::OpenFile(const WString& path, const WString& applicationKey,
                                        const WString& applicationName, IniFileHandle& handle)
{
    handle = 0;
    // The file's name as the system has it, bytes that are not UTF-8 included; a path with no
    // bytes stays empty, which opens and replaces nothing.
    std::string bytes;
    Utf16ToFileNameBytes(path.GetString(), path.GetLength(), bytes);
    const NString narrowPath(bytes.c_str());
    for (auto file = m_files.rbegin(); file != m_files.rend(); ++file)
    {
        if ((*file)->path.IsEqual(narrowPath))
        {
            handle = reinterpret_cast<IniFileHandle>(file->get());
            return kResultAlreadyOpen;
        }
    }

    auto file = std::make_unique<IniFileInfo>();
    file->path = narrowPath;
    file->keyPrefix = NString(applicationKey.GetString());
    file->keyPrefix.ReplaceCharacters(".", '_');
    file->keyPrefix.Append(NString("."));
    // Why a file does not load goes to the debug log; the person hears of it once, when it is
    // moved aside.
    XNodeTree error(XNode::Create(nullptr, XNode::kTypeNone));
    file->root.Reset(XNode::LoadFile(narrowPath.GetString(), error.Get(), true));
    if (file->root && file->root.Get()->GetType() != XNode::kTypeDict)
    {
        // Settings live in a dictionary; writing one over another kind of value would lose it.
        DebugLog::Get().GetNarrowOutput() << "the settings file \"" << narrowPath.GetString()
                                          << "\" holds no dictionary" << std::endl;
        file->root.Reset();
    }
    else if (!file->root && error.Get()->GetType() == XNode::kTypeString)
    {
        DebugLog::Get().GetNarrowOutput() << "the settings file \"" << narrowPath.GetString()
                                          << "\": " << error.Get()->GetText() << std::endl;
    }
    if (!file->root)
    {
        file->keepUnreadable = GetPathKind(ToSystemPath(narrowPath.GetString()).c_str()) != PathKind::Missing;
        // A new document: the application's name, unchanged whatever characters it holds.
        file->root.Reset(XNode::Create(nullptr, XNode::kTypeDict));
        XNode* name = XNode::Create(file->root.Get(), XNode::kTypeString);
        XNode::SetKey(name, "Application");
        XNode::SetString(name, NString(applicationName.GetString()).GetString());
        XNode::SetDirty(file->root.Get(), false);
    }
    handle = reinterpret_cast<IniFileHandle>(file.get());
    m_files.push_back(std::move(file));
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::SaveFile(IniFileHandle handle)
{
    IniFileInfo* file = Find(handle);
    return file ? Save(*file) : kResultUnknownFile;
}

bool CIniFileManagerProxy::KeyExists(IniFileHandle handle, const WString& key)
{
    IniFileInfo* file = Find(handle);
    return file && Lookup(*file, key, false);
}

QKRESULT CIniFileManagerProxy::CloseFile(IniFileHandle handle, bool save)
{
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    const QKRESULT result = save ? Save(*file) : QK_OK;
    for (auto entry = m_files.begin(); entry != m_files.end(); ++entry)
    {
        if (entry->get() == file)
        {
            m_files.erase(entry);
            break;
        }
    }
    return result;
}

QKRESULT CIniFileManagerProxy::GetInteger(IniFileHandle handle, const WString& key, std::int32_t defaultValue,
                                          std::int32_t& value)
{
    value = defaultValue;
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    const XNode* node = Lookup(*file, key, false);
    if (!node)
        return QK_OK;
    switch (node->GetType())
    {
    case XNode::kTypeBool:
        value = node->GetBool() ? 1 : 0;
        break;
    case XNode::kTypeInteger:
        value = node->GetInteger();
        break;
    case XNode::kTypeReal:
        value = RealToInteger(node->GetReal());
        break;
    default:
        value = 0;
        break;
    }
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::SetInteger(IniFileHandle handle, const WString& key, std::int32_t value)
{
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    XNode* node = Lookup(*file, key, true);
    if (!node)
        return kResultFailed;
    XNode::SetType(node, XNode::kTypeInteger);
    XNode::SetInteger(node, value);
    file->modified = true;
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::GetString(IniFileHandle handle, const WString& key, WString defaultValue,
                                         WString& value)
{
    value = defaultValue;
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    if (const XNode* node = Lookup(*file, key, false))
        value = TextOf(node);
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::SetString(IniFileHandle handle, const WString& key, WString value)
{
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    XNode* node = Lookup(*file, key, true);
    if (!node)
        return kResultFailed;
    XNode::SetType(node, XNode::kTypeString);
    XNode::SetString(node, NString(value.GetString()).GetString());
    file->modified = true;
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::GetChildCount(IniFileHandle handle, const WString& key, std::uint32_t& count)
{
    count = 0;
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    const XNode* node = Lookup(*file, key, false);
    if (!node)
        return kResultFailed;
    count = XNode::CountChildren(node, true);
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::GetChildKey(IniFileHandle handle, const WString& key, std::int32_t index,
                                           WString& childKey)
{
    childKey.Clear();
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    const XNode* node = Lookup(*file, key, false);
    if (!node || !node->IsContainer() || index < 0)
        return kResultFailed;
    const XNode* child = node->GetSlot(static_cast<std::uint32_t>(index));
    if (!child)
        return kResultFailed;
    childKey = WString(child->GetKey().c_str());
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::GetArrayCount(IniFileHandle handle, const WString& key, std::uint32_t& count)
{
    count = 0;
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    const XNode* node = Lookup(*file, key, false);
    if (!node || node->GetType() != XNode::kTypeArray)
        return kResultFailed;
    count = node->GetSlotCount();
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::SetArrayCount(IniFileHandle handle, const WString& key, std::int32_t count)
{
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    if (count < 0)
        return kResultFailed;
    XNode* node = Lookup(*file, key, true);
    if (!node)
        return kResultFailed;
    XNode::SetType(node, XNode::kTypeArray);
    XNode::SetArrayCount(node, static_cast<std::uint32_t>(count));
    for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(count); ++i)
    {
        if (!node->GetSlot(i))
            XNode::SetArrayItem(node, i, XNode::Create(nullptr, XNode::kTypeString));
    }
    file->modified = true;
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::GetArrayString(IniFileHandle handle, const WString& key, std::int32_t index,
                                              WString& value)
{
    value.Clear();
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    const XNode* node = Lookup(*file, key, false);
    if (!node || node->GetType() != XNode::kTypeArray || index < 0)
        return kResultFailed;
    const XNode* element = node->GetSlot(static_cast<std::uint32_t>(index));
    if (!element)
        return kResultFailed;
    value = TextOf(element);
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::SetArrayString(IniFileHandle handle, const WString& key, std::int32_t index,
                                              WString value)
{
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    if (index < 0)
        return kResultFailed;
    XNode* node = Lookup(*file, key, true);
    if (!node)
        return kResultFailed;
    XNode::SetType(node, XNode::kTypeArray);
    if (static_cast<std::uint32_t>(index) >= node->GetSlotCount())
    {
        // index + 1 in 64 bits: the largest index gives a count SetArrayCount refuses.
        const std::int64_t count = static_cast<std::int64_t>(index) + 1;
        const QKRESULT grown =
            SetArrayCount(handle, key, count > INT32_MAX ? -1 : static_cast<std::int32_t>(count));
        if (grown != QK_OK)
            return grown;
    }
    XNode* element = node->GetSlot(static_cast<std::uint32_t>(index));
    if (!element)
        return kResultFailed;
    XNode::SetString(element, NString(value.GetString()).GetString());
    file->modified = true;
    return QK_OK;
}

QKRESULT CIniFileManagerProxy::RemoveArrayItem(IniFileHandle handle, const WString& key, std::int32_t index)
{
    IniFileInfo* file = Find(handle);
    if (!file)
        return kResultUnknownFile;
    XNode* node = Lookup(*file, key, false);
    if (!node || node->GetType() != XNode::kTypeArray || index < 0 ||
        static_cast<std::uint32_t>(index) >= node->GetSlotCount())
        return kResultFailed;
    if (XNode* element = node->GetSlot(static_cast<std::uint32_t>(index)))
    {
        XNode::RemoveChild(node, element);
    }
    else
    {
        // An empty slot holds nothing to release; the slots after it move down.
        std::uint32_t last = node->GetSlotCount() - 1;
        for (std::uint32_t i = static_cast<std::uint32_t>(index); i < last; ++i)
            XNode::SetArrayItem(node, i, node->GetSlot(i + 1));
        XNode::SetArrayCount(node, last);
    }
    file->modified = true;
    return QK_OK;
}

} // namespace QK
