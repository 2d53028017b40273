#include "QKFramework/Utilities/Storage/Paths.h"

#include "QKFramework/Platform/Core/FileSystem.h"
#include "QKFramework/Platform/Core/SpecialFolders.h"
#include "QKFramework/Utilities/Storage/ConvertUtf.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace QK
{

namespace
{

bool IsSeparator(char16_t c)
{
    return c == u'/' || c == u'\\';
}

std::int32_t LastSeparator(const WString& path)
{
    return std::max(path.ReverseFind(u'/'), path.ReverseFind(u'\\'));
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The path's bytes, its "\" and its drive still as they are; false when it has none.
bool ToNameBytes(const WString& path, std::string& bytes)
{
    return Utf16ToFileNameBytes(path.GetString(), path.GetLength(), bytes);
}

} // namespace

WString FromSystemPath(const char* path)
{
    if (!path)
        return WString();
    const std::u16string wide = FileNameBytesToUtf16(path, std::strlen(path));
    return WString(wide.c_str());
}

WString FromSystemPath(const std::string& path)
{
    return FromSystemPath(path.c_str());
}

bool HasSystemPath(const WString& path)
{
    std::string bytes;
    return ToNameBytes(path, bytes);
}

WString ToDisplayPath(const WString& path)
{
    if (!HoldsNameBytes(path))
        return path;
    std::u16string shown(path.GetString(), path.GetLength());
    for (std::size_t i = 0; i < shown.size(); ++i)
    {
        if (IsEscapedNameByteAt(path.GetString(), i))
            shown[i] = u'\uFFFD';
    }
    return WString(shown.c_str());
}

bool HoldsNameBytes(const WString& path)
{
    const char16_t* characters = path.GetString();
    for (std::size_t i = 0; i < path.GetLength(); ++i)
    {
        if (IsEscapedNameByteAt(characters, i))
            return true;
    }
    return false;
}

std::string ToSystemPath(const char* path)
{
    std::string result(path ? path : "");
    for (char& c : result)
    {
        if (c == '\\')
            c = '/';
    }
    if (result.size() >= 2 && IsAsciiLetter(result[0]) && result[1] == ':' &&
        (result.size() == 2 || result[2] == '/'))
    {
        result.erase(0, 2);
        if (result.empty())
            result.push_back('/');
    }
    return result;
}

std::string ToSystemPath(const WString& path)
{
    std::string bytes;
    if (!ToNameBytes(path, bytes))
        return std::string();
    return ToSystemPath(bytes.c_str());
}

bool FileExists(const WString& path)
{
    return GetPathKind(ToSystemPath(path).c_str()) == PathKind::File;
}

bool FolderExists(const WString& path)
{
    return GetPathKind(WithoutTrailingSeparators(ToSystemPath(path)).c_str()) == PathKind::Folder;
}

bool CreateFolderChain(const WString& path, bool lastPartIsFile)
{
    const std::string system = ToSystemPath(path);
    std::size_t lastSeparator = std::string::npos;
    for (std::size_t i = 1; i < system.size(); ++i)
    {
        if (system[i] != '/')
            continue;
        lastSeparator = i;
        // Folders that are already there refuse to be made again; that is fine.
        MakeFolder(system.substr(0, i).c_str());
    }
    if (!lastPartIsFile)
    {
        MakeFolder(system.c_str());
        return GetPathKind(WithoutTrailingSeparators(system).c_str()) == PathKind::Folder;
    }
    if (lastSeparator == std::string::npos)
        return true;
    return GetPathKind(system.substr(0, lastSeparator).c_str()) == PathKind::Folder;
}

QKRESULT CreateFolderIfMissing(const WString& path)
{
    switch (GetPathKind(ToSystemPath(path).c_str()))
    {
    case PathKind::Folder:
        return QK_FALSE;
    case PathKind::File:
        return QK_E_FAIL;
    case PathKind::Missing:
        break;
    }
    return CreateFolderChain(path, false) ? QK_OK : QK_E_FAIL;
}

WString GetLongPath(const WString& path)
{
    std::string resolved;
    if (path.IsEmpty() || !ResolveRealPath(ToSystemPath(path).c_str(), resolved))
        return path;
    return FromSystemPath(resolved);
}

QKRESULT ListFilesInFolder(const WString& folder, const WString& pattern, IArray<WString>& list)
{
    list.RemoveAll();
    if (!FolderExists(folder))
        return QK_E_NOTIMPL;

    // Windows matches "*.*" against every name, dotted or not, and callers rely on it.
    NString systemPattern(pattern.GetString());
    if (systemPattern.IsEqual("*.*"))
        systemPattern = NString("*");

    std::vector<std::string> names;
    const int listed = ListFolderFiles(ToSystemPath(folder).c_str(), systemPattern.GetString(), names);

    WString prefix = folder;
    if (prefix.IsEmpty() || !IsSeparator(prefix.GetString()[prefix.GetLength() - 1]))
        prefix.Append(WString(u"/"));
    for (const std::string& name : names)
    {
        if (Failed(list.Add(prefix + FromSystemPath(name))))
            return QK_E_OUTOFMEMORY;
    }
    if (listed != 0)
        return QK_E_FAIL;
    return static_cast<QKRESULT>(list.GetCount());
}

WString GetFolderFromPath(const WString& path)
{
    const std::int32_t separator = LastSeparator(path);
    return separator < 0 ? path : path.Left(separator);
}

WString GetFileNameFromPath(const WString& path)
{
    const std::int32_t separator = LastSeparator(path);
    if (separator < 0 || static_cast<std::uint32_t>(separator) + 1 == path.GetLength())
        return path;
    return path.MidFrom(separator + 1);
}

WString SanitizeFileName(const WString& name)
{
    WString sanitized = name;
    sanitized.ReplaceCharacters(u"\\/:*?\"<>|&;,^()", u'_');
    return sanitized;
}

WString LocateSpecialFolder(SpecialFolder folder)
{
    switch (folder)
    {
    case SpecialFolder::Executable:
        return FromSystemPath(GetExecutableFolder());
    case SpecialFolder::CommonAppData:
        return FromSystemPath(GetUserDataFolder());
    case SpecialFolder::LocalAppData:
        return FromSystemPath(GetUserConfigFolder());
    case SpecialFolder::Documents:
        return FromSystemPath(GetDocumentsFolder());
    }
    return WString();
}

WString GetSpecialFolder(SpecialFolder folder)
{
    const WString path = LocateSpecialFolder(folder);
    if (path.IsEmpty() || folder == SpecialFolder::Executable)
        return path;
    // The documents folder is the person's own: it is proposed, never made.
    if (folder == SpecialFolder::Documents)
        return FolderExists(path) ? path : WString();
    return Failed(CreateFolderIfMissing(path)) ? WString() : path;
}

} // namespace QK
