// Path functions: existence of files and folders, folder creation, the long form of a path,
// folder listings, splitting paths, safe file names and the desktop's special folders.
//
// Paths are framework strings. "/" separates their parts; "\" is accepted on input as well,
// and a leading drive ("C:") stands for the root "/". ToSystemPath gives the form that goes
// to the system. None of these functions throws.
//
// The system's names are bytes, UTF-8 or not. A path read from the system (FromSystemPath, the
// file dialog's answer) keeps each byte that is not UTF-8 as an escape (U+DC80 to U+DCFF, see
// FileNameBytesToUtf16), which ToSystemPath turns back into that byte, so a file named in
// Latin-1 by another program opens and saves under its own name. The escapes belong to paths
// alone: ToDisplayPath gives the text to show, and a path that HoldsNameBytes is no text to
// store or send.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/IIterable.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <string>

namespace QK
{

// The bytes of the path (UTF-8, and the escaped bytes as themselves) with "\" turned into "/"
// and a leading drive letter and colon dropped ("/" when nothing is left). Empty, which names
// nothing, for a path that has no bytes (HasSystemPath is false): never another file.
std::string ToSystemPath(const WString& path);
std::string ToSystemPath(const char* path);
// Whether the path has bytes that name it: false for a surrogate that stands for no byte.
bool HasSystemPath(const WString& path);
// A path as the system gives it, bytes that are not UTF-8 escaped.
WString FromSystemPath(const char* path);
WString FromSystemPath(const std::string& path);
// The path as text to show: each escaped byte becomes U+FFFD.
WString ToDisplayPath(const WString& path);
// Whether the path carries escaped bytes (a name that is not UTF-8).
bool HoldsNameBytes(const WString& path);

// True when something that is not a folder is there.
bool FileExists(const WString& path);
// True when a folder is there; trailing separators are ignored.
bool FolderExists(const WString& path);

// Creates every folder along path (existing ones pass). With lastPartIsFile the last part
// is left alone and the answer says whether the folder that would hold it exists; otherwise
// the last part is created too and the answer says whether that folder exists.
bool CreateFolderChain(const WString& path, bool lastPartIsFile);

// 0 when the folder was created, 1 when it was there already, 0x80004005 when a file is in
// the way or the folder could not be made.
QKRESULT CreateFolderIfMissing(const WString& path);

// The absolute path with links and "." and ".." resolved; path unchanged when that fails
// (nothing there, no access).
WString GetLongPath(const WString& path);

// Empties list, then adds folder + "/" + name for every entry of folder that is not a
// folder and matches pattern ("*", "?", "[...]"; letters match without regard to case;
// "*.*" matches every name), sorted by name; names that are not UTF-8 come escaped. The number of entries added; 0x80004001 when
// the folder does not exist, 0x80004005 when it could not be read to its end.
QKRESULT ListFilesInFolder(const WString& folder, const WString& pattern, IArray<WString>& list);

// The text before the last separator ("/" or "\"); the whole text when it holds none.
WString GetFolderFromPath(const WString& path);
// The text after the last separator; the whole text when it holds none or ends with one.
WString GetFileNameFromPath(const WString& path);

// A copy of name with each of \ / : * ? " < > | & ; , ^ ( ) replaced by "_".
WString SanitizeFileName(const WString& name);

enum class SpecialFolder
{
    Executable,    // the folder of the running program
    CommonAppData, // application data: $XDG_DATA_HOME (~/.local/share)
    LocalAppData,  // per-user settings: $XDG_CONFIG_HOME (~/.config)
    Documents,     // the user's documents (XDG_DOCUMENTS_DIR when it exists, else the home folder)
};

// Where the folder is, or would be; nothing is made. Empty text when it cannot be determined.
WString LocateSpecialFolder(SpecialFolder folder);

// The folder, created when missing (except the executable's and the documents folder, which
// are only answered when they exist); empty text when it cannot be determined or created.
WString GetSpecialFolder(SpecialFolder folder);

} // namespace QK
