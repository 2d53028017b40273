#include "QKFramework/Renderer/FontRenderer/FontFileInfo.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Render/FontFiles.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/FontRenderer/FontNameTable.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/HashedList.h"
#include "QKFramework/Utilities/Storage/Paths.h"
#include "QKFramework/Utilities/Storage/QKFile.h"

#include <exception>

namespace QK
{

namespace
{

constexpr const char* kSource = "Renderer\\FontRenderer\\FontFileInfo";

struct Tables
{
    std::vector<RCPtr<LFontFileInfo>> list;
    RCPtrMap<LFont, LFontFileInfo, 8> map;
    WString folder;
};

Tables& GetTables()
{
    static Tables tables;
    return tables;
}

// The bytes of an open file, read through File; its read errors answer false here.
class FileBytes final : public IFontBytes
{
public:
    explicit FileBytes(File& file) : m_file(file), m_size(file.GetLength()) {}
    std::uint64_t GetSize() const override { return m_size; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count) override
    {
        if (offset > m_size || count > m_size - offset)
            return false;
        return m_file.Read(buffer, count, static_cast<std::uint32_t>(offset)) == count;
    }

private:
    File& m_file;
    std::uint64_t m_size;
};

// The slot of a subfamily. Slanted faces are named "Oblique" as often as "Italic" here.
std::int32_t StyleOfSubfamily(const WString& subfamily)
{
    if (subfamily.IsEqual(u"bold"))
        return 1;
    if (subfamily.IsEqual(u"italic") || subfamily.IsEqual(u"oblique"))
        return 2;
    if (subfamily.IsEqual(u"bold italic") || subfamily.IsEqual(u"bold oblique"))
        return 3;
    return 0;
}

// The order in which the paths are tried for each style.
constexpr std::int32_t kFallback[4][4] = {{0, 1, 2, 3}, {1, 3, 0, 2}, {2, 3, 0, 1}, {3, 1, 2, 0}};

} // namespace

RCPtr<LFontFileInfo> LFontFileInfo::AddFileInfo()
{
    Tables& tables = GetTables();
    RCPtr<LFontFileInfo> record(new LFontFileInfo(static_cast<std::int32_t>(tables.list.size())));
    tables.list.push_back(record);
    return record;
}

void LFontFileInfo::Reset()
{
    GetTables().map.RemoveAll();
    GetTables().list.clear();
}

void LFontFileInfo::SetFontFolder(const WString& folder)
{
    GetTables().folder = folder;
}

std::uint32_t LFontFileInfo::GetCount()
{
    return static_cast<std::uint32_t>(GetTables().list.size());
}

RCPtr<LFontFileInfo> LFontFileInfo::GetAt(std::uint32_t index)
{
    const Tables& tables = GetTables();
    return index < tables.list.size() ? tables.list[index] : RCPtr<LFontFileInfo>();
}

RCPtr<LFontFileInfo> LFontFileInfo::FindFamily(const WString& family)
{
    const Tables& tables = GetTables();
    for (auto it = tables.list.rbegin(); it != tables.list.rend(); ++it)
    {
        if ((*it)->m_familyName.IsEqual(family))
            return *it;
    }
    return RCPtr<LFontFileInfo>();
}

void LFontFileInfo::ScanFile(const WString& path)
{
    std::vector<FontFaceName> names;
    try
    {
        File file(path, WString(), File::kModeRead);
        if (!file.IsOpen())
            return;
        FileBytes bytes(file);
        ReadFontFaceNames(bytes, names);
    }
    catch (const std::exception&)
    {
        // A file that fails while being read is left out; the other files still count.
        return;
    }
    for (const FontFaceName& name : names)
    {
        RCPtr<LFontFileInfo> record = FindFamily(name.family);
        if (!record)
        {
            record = AddFileInfo();
            record->m_familyName = name.family;
        }
        const std::int32_t style = StyleOfSubfamily(name.subfamily);
        record->m_paths[style] = path;
        record->m_faces[style] = name.faceIndex;
    }
}

QKRESULT LFontFileInfo::ScanFontFolder()
{
    Reset();
    std::vector<WString> files;
    const WString folder = GetTables().folder;
    if (folder.IsEmpty())
    {
        if (Failed(ListInstalledFontFiles(files)))
            return QK_E_FAIL;
    }
    else
    {
        Array<WString> fonts;
        Array<WString> collections;
        if (Failed(ListFilesInFolder(folder, WString(u"*.ttf"), fonts)) ||
            Failed(ListFilesInFolder(folder, WString(u"*.ttc"), collections)))
            return QK_E_FAIL;
        for (std::uint32_t i = 0; i < fonts.GetCount(); ++i)
            files.push_back(*fonts.GetAt(i));
        for (std::uint32_t i = 0; i < collections.GetCount(); ++i)
            files.push_back(*collections.GetAt(i));
    }
    for (const WString& path : files)
        ScanFile(path);
    return QK_OK;
}

std::int32_t LFontFileInfo::GetFileID(const ConstRCPtr<LFont>& font)
{
    if (!font)
        ThrowNullPointer(QK_SITE("QK::LFontFileInfo::GetFileID", kSource), "font");
    Tables& tables = GetTables();
    RCPtr<LFontFileInfo> record = tables.map.Find(font.Get());
    if (!record)
    {
        record = FindFamily(font->GetName());
        if (!record)
        {
            WString family;
            float size = 0.0f;
            std::int32_t style = 0;
            LRenderApp::GetSystemFont(family, size, style);
            record = FindFamily(family);
            // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
            if (!record)
                Throw<std::runtime_error>({"QK::LFontFileInfo::GetFileID", kSource, 469});
        }
        tables.map.Add(font, record);
    }

    // Underline and strike-out choose no file of their own.
    const std::int32_t style = font->GetStyle() & 3;
    std::int32_t chosen = kFallback[style][3];
    for (const std::int32_t candidate : kFallback[style])
    {
        if (!record->m_paths[candidate].IsEmpty())
        {
            chosen = candidate;
            break;
        }
    }
    if (record->m_paths[style].IsEmpty())
    {
        record->m_paths[style] = record->m_paths[chosen];
        record->m_faces[style] = record->m_faces[chosen];
    }
    return record->m_index * 4 + style;
}

WString LFontFileInfo::GetFilePath(std::int32_t faceId)
{
    const RCPtr<LFontFileInfo> record = GetAt(static_cast<std::uint32_t>(faceId >> 2));
    return faceId >= 0 && record ? record->m_paths[faceId & 3] : WString();
}

std::int32_t LFontFileInfo::GetFaceIndex(std::int32_t faceId)
{
    const RCPtr<LFontFileInfo> record = GetAt(static_cast<std::uint32_t>(faceId >> 2));
    return faceId >= 0 && record ? record->m_faces[faceId & 3] : 0;
}

} // namespace QK
