// LFontFileInfo: one font family of the installed TrueType fonts, with the file (and the face
// within it) for each of the four styles regular, bold, italic and bold italic; and the
// process-wide table of those families that the FreeType font renderer asks which face
// belongs to a font and which file belongs to a face.
//
// The table is built by ScanFontFolder from the font files the system lists (or from a folder
// set with SetFontFolder), reading their name tables; a file that cannot be read or parsed is
// left out. A face id is the record's index times 4 plus the style (0 regular, 1 bold,
// 2 italic, 3 bold italic).
//
// UI thread only: the list and the font map take no lock.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <vector>

namespace QK
{

class LFont;

class LFontFileInfo : public virtual LRefCountedObject
{
public:
    // Empties the font map and the list, then fills the list from the font files: 0, or
    // 0x80004005 (tables left empty) when the fonts cannot be listed.
    static QKRESULT ScanFontFolder();
    // The face id for the font's family and style; the record found is remembered for the
    // font. A family not listed takes the system font's; when that is not listed either, the
    // runtime error of QK::LFontFileInfo::GetFileID.
    static std::int32_t GetFileID(const ConstRCPtr<LFont>& font);
    // The file of a face id; empty for an id outside the list.
    static WString GetFilePath(std::int32_t faceId);
    // The face within that file (0 for a file holding one font, or an id outside the list).
    static std::int32_t GetFaceIndex(std::int32_t faceId);
    // Appends a new empty record.
    static RCPtr<LFontFileInfo> AddFileInfo();
    // Empties the font map, then the list.
    static void Reset();

    // Scans list the files of folder ("*.ttf", then "*.ttc") instead of the installed fonts;
    // an empty folder goes back to the installed fonts.
    static void SetFontFolder(const WString& folder);

    static std::uint32_t GetCount();
    // The record at index, or null.
    static RCPtr<LFontFileInfo> GetAt(std::uint32_t index);

    const WString& GetFamilyName() const { return m_familyName; }
    // style: 0 regular, 1 bold, 2 italic, 3 bold italic.
    const WString& GetPath(std::int32_t style) const { return m_paths[style & 3]; }
    std::int32_t GetFaceIndexOf(std::int32_t style) const { return m_faces[style & 3]; }
    std::int32_t GetIndex() const { return m_index; }

private:
    explicit LFontFileInfo(std::int32_t index) : m_index(index) {}
    ~LFontFileInfo() override = default;

    // The latest record of the family (exact, case-sensitive), or null.
    static RCPtr<LFontFileInfo> FindFamily(const WString& family);
    static void ScanFile(const WString& path);

    WString m_familyName;
    WString m_paths[4];
    std::int32_t m_faces[4] = {0, 0, 0, 0};
    std::int32_t m_index;
};

} // namespace QK
