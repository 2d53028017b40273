// Files and folders by path: status, folder creation, real paths, folder listings, deletion
// and the replacement of a whole file.
//
// Paths are the system's bytes, UTF-8 or not, with "/" separators (Paths.h turns the
// framework's paths into that form).
// Symbolic links are followed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace QK
{

enum class PathKind
{
    Missing, // nothing there, or the status cannot be read
    File,    // anything that is not a folder
    Folder,
};

PathKind GetPathKind(const char* path) noexcept;

// Creates one folder (permission 0777 less the umask); false when it could not be made,
// also when something is already there.
bool MakeFolder(const char* path) noexcept;

// The absolute path without links, "." or ".." parts; false when it cannot be resolved
// (resolved is then unchanged).
bool ResolveRealPath(const char* path, std::string& resolved);

// The names of the entries of folder that are not folders and match pattern (shell wildcards
// "*", "?" and "[...]", letters matched without regard to case), sorted by their bytes.
// 0, or -1 when the folder cannot be read to its end (names then holds what was read).
int ListFolderFiles(const char* folder, const char* pattern, std::vector<std::string>& names);

bool DeletePath(const char* path) noexcept;

// The path that the symbolic links at path lead to, link by link (a relative link counts
// from the folder it lies in); path itself when it is no link. The end of the chain need not
// exist. 0, or ELOOP for a chain of more than 40 links.
int FollowLinks(const char* path, std::string& target);

// Makes the file at path hold exactly size bytes of data: they are written to a new file in
// the file's own folder, forced to the disk and renamed over it, so that a failure at any
// step leaves the old file as it was. A link is followed: the file it leads to is replaced
// and the link stays. A file this user may not write is not replaced (EACCES), nor is a
// folder (EISDIR) or anything else that is not a plain file (EINVAL). A replaced file keeps
// its permissions, and its owner where the system allows. 0, or the errno of the failed
// step (5 when there is none).
int ReplaceFileContents(const char* path, const void* data, std::size_t size);

} // namespace QK
