// The factory's loads: where the bytes of a skin or string-table source come from, the
// string-table passes with their language fallback, the start-up's three sources, and the
// current skin's large images sent ahead to the decoding workers.
#include "QKFramework/ControlBase/ControlFactory.h"

#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Utilities/Storage/QKFile.h"

#include <algorithm>
#include <memory>
#include <new>
#include <unordered_set>
#include <vector>

namespace QK
{

namespace
{

// The bytes of one source: a resource's own bytes, or a buffer holding a file.
struct SourceBytes
{
    std::unique_ptr<char[]> owned;
    const char* data = nullptr;
    std::size_t size = 0;
};

// 0 with the bytes (possibly none), 0x80004005 for a missing or empty resource, 0x8007000E
// when a file's buffer cannot be had. File errors (a file that does not open, a failed
// read) raise File's exception.
QKRESULT ReadSource(const WString& sourceName, SourceBytes& bytes)
{
    if (IsResourceSourceName(sourceName))
    {
        const std::span<const std::uint8_t> resource =
            FindResourceData(GetApplicationInstance(), "QKXML", NString(GetResourceName(sourceName).GetString()).GetString());
        if (resource.empty())
            return QK_E_FAIL;
        bytes.data = reinterpret_cast<const char*>(resource.data());
        bytes.size = resource.size();
        return QK_OK;
    }
    File file(sourceName, WString(), File::kModeRead);
    const std::uint32_t length = file.GetLength();
    bytes.owned.reset(new (std::nothrow) char[length ? length : 1]);
    if (!bytes.owned)
        return QK_E_OUTOFMEMORY;
    // Reading a file that did not open raises File's error.
    bytes.size = file.Read(bytes.owned.get(), length, 0);
    bytes.data = bytes.owned.get();
    return QK_OK;
}

// The language of the second string-table pass: Chinese (Traditional) for its three
// locales, else the primary language.
std::uint32_t PrimaryLanguage(std::uint32_t lcid)
{
    if (lcid == 1028 || lcid == 3076 || lcid == 5124)
        return LControlFactory::kLanguageChineseTraditional;
    return lcid & 0xFF;
}

} // namespace

void LControlFactory::ResetParseState()
{
    m_stringTableMode = false;
    m_collecting = false;
    m_matchCount = 0;
    m_currentTable = nullptr;
    m_currentEntry = nullptr;
    m_currentID.Clear();
    m_collectingParam = false;
    m_currentParamList = nullptr;
    m_currentParamID.Clear();
    m_openControl = nullptr;
    m_currentSkinRoot = nullptr;
    m_detachedControls.RemoveAll();
    m_currentLook = nullptr;
    m_currentLookList = nullptr;
    m_inLooks = false;
    m_pendingFont = PendingFont();
}

QKRESULT LControlFactory::LoadSkinResource(const WString& sourceName)
{
    // Whatever happens, the first skin is current afterwards.
    struct SelectFirstSkin
    {
        std::uint32_t& current;
        ~SelectFirstSkin() { current = 0; }
    };

    const auto load = [&]() -> QKRESULT {
        SourceBytes bytes;
        const QKRESULT read = ReadSource(sourceName, bytes);
        if (Failed(read))
            return read;
        // An empty source is never parsed: there is no document in it.
        if (bytes.size == 0)
            return QK_E_FAIL;
        ResetParseState();
        SelectFirstSkin selectFirst{m_currentSkin};
        const QKRESULT result = ParseXML(bytes.data, bytes.size);
        ResetParseState();
        return result;
    };

    if (IsResourceSourceName(sourceName))
        return load();
    try
    {
        return load();
    }
    catch (...)
    {
        ResetParseState();
        return QK_E_FAIL;
    }
}

std::uint32_t LControlFactory::ParseStringTablePass(const char* data, std::size_t size, std::uint32_t language)
{
    ResetParseState();
    m_stringTableMode = true;
    m_language = language;
    ParseXML(data, size);
    const std::uint32_t matches = m_matchCount;
    ResetParseState();
    return matches;
}

QKRESULT LControlFactory::LoadStringTable(const WString& frameworkSource, const WString& applicationSource,
                                          std::uint32_t lcid)
{
    m_language = lcid;
    {
        SourceBytes bytes;
        const QKRESULT read = ReadSource(frameworkSource, bytes);
        if (read == QK_E_OUTOFMEMORY)
            return read;
        if (Succeeded(read) && bytes.size > 0 && ParseStringTablePass(bytes.data, bytes.size, lcid) == 0 &&
            ParseStringTablePass(bytes.data, bytes.size, PrimaryLanguage(lcid)) == 0)
            ParseStringTablePass(bytes.data, bytes.size, kLanguageEnglish);
    }
    SourceBytes bytes;
    const QKRESULT read = ReadSource(applicationSource, bytes);
    if (read == QK_E_OUTOFMEMORY)
        return read;
    if (Succeeded(read) && bytes.size > 0 && ParseStringTablePass(bytes.data, bytes.size, m_language) == 0)
        ParseStringTablePass(bytes.data, bytes.size, kLanguageEnglish);
    return QK_OK;
}

QKRESULT LControlFactory::LoadSkinSources(const WString& sourceFolder, std::uint32_t lcid)
{
    m_sourceFolder = sourceFolder;
    const bool resources = sourceFolder.IsEqual(u"::");
    const auto source = [&](const char16_t* resource, const char16_t* file) {
        return resources ? WString(resource) : sourceFolder + WString(file);
    };
    const QKRESULT strings = LoadStringTable(source(u"::FRAMEWORK_STRINGS", u"FrameworkStrings.xml"),
                                             source(u"::APP_STRINGS", u"StringTables.xml"), lcid);
    if (Failed(strings))
        return strings;
    return LoadSkinResource(source(u"::APP_SKINS", u"Skins.xml"));
}

void LControlFactory::StartDecodingLargeImages() const
{
    std::vector<ConstRCPtr<LBitmap>> loaded;
    // Many controls share a look list: each list is looked through once.
    std::unordered_set<const LLookList*> lists;
    std::vector<const LControlDescriptor*> pending;
    if (const RCPtr<LControlDescriptor> skin = GetSkin(m_currentSkin))
        pending.push_back(skin.Get());
    while (!pending.empty())
    {
        const LControlDescriptor* descriptor = pending.back();
        pending.pop_back();
        if (descriptor->Skin && descriptor->Skin->LookList)
            lists.insert(descriptor->Skin->LookList.Get());
        for (std::uint32_t i = 0; i < descriptor->Children.GetCount(); ++i)
            if (const LControlDescriptor* child = descriptor->Children.GetAt(i)->Get())
                pending.push_back(child);
    }
    const auto load = [&loaded](const LDockedPart* docked)
    {
        const LVisualPartDescriptor* part = docked ? docked->Part.Get() : nullptr;
        if (!part || part->ImageFile.IsEmpty() ||
            std::uint64_t(std::max(part->Size.first, 0)) * std::uint64_t(std::max(part->Size.second, 0)) <
                LBitmap::kDecodeAheadPixels)
            return;
        if (ConstRCPtr<LBitmap> image = LBitmap::LoadBitmap(part->ImageFile))
            loaded.push_back(std::move(image));
    };
    for (const LLookList* list : lists)
        for (std::uint32_t i = 0; i < list->GetCount(); ++i)
        {
            const LLookDescriptor* look = list->GetAt(i)->Get();
            if (!look)
                continue;
            load(look->ClientPart.Get());
            for (std::uint32_t j = 0; j < look->NonClientParts.GetCount(); ++j)
                load(look->NonClientParts.GetAt(j)->Get());
        }
    m_imagesDecodingAhead = std::move(loaded);
}

} // namespace QK
