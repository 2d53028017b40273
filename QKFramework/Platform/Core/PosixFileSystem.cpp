#include "QKFramework/Platform/Core/FileSystem.h"

#include "QKFramework/Platform/Core/FileDescriptor.h"
#include "QKFramework/Platform/Core/UniqueHandle.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace QK
{

namespace
{

struct DirectoryTraits
{
    using Handle = DIR*;
    static constexpr DIR* Invalid() noexcept { return nullptr; }
    static void Close(DIR* directory) noexcept { ::closedir(directory); }
};

bool IsFolderEntry(int folder, const dirent& entry)
{
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK)
        return false;
    // A link counts as what it points to; a broken one as a file, as the name is there.
    struct stat status;
    return ::fstatat(folder, entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

int ErrorOr(int error, int fallback)
{
    return error != 0 ? error : fallback;
}

} // namespace

PathKind GetPathKind(const char* path) noexcept
{
    struct stat status;
    if (path == nullptr || path[0] == 0 || ::stat(path, &status) != 0)
        return PathKind::Missing;
    return S_ISDIR(status.st_mode) ? PathKind::Folder : PathKind::File;
}

bool MakeFolder(const char* path) noexcept
{
    return ::mkdir(path, 0777) == 0;
}

bool ResolveRealPath(const char* path, std::string& resolved)
{
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path, nullptr), &std::free);
    if (!real)
        return false;
    resolved = real.get();
    return true;
}

int ListFolderFiles(const char* folder, const char* pattern, std::vector<std::string>& names)
{
    UniqueHandle<DirectoryTraits> directory(::opendir(folder));
    if (!directory)
        return -1;
    const int folderDescriptor = ::dirfd(directory.Get());
    int result = 0;
    for (;;)
    {
        errno = 0;
        const dirent* entry = ::readdir(directory.Get());
        if (entry == nullptr)
        {
            if (errno != 0)
                result = -1;
            break;
        }
        if (::fnmatch(pattern, entry->d_name, FNM_CASEFOLD) != 0)
            continue;
        if (!IsFolderEntry(folderDescriptor, *entry))
            names.emplace_back(entry->d_name);
    }
    std::sort(names.begin(), names.end());
    return result;
}

bool DeletePath(const char* path) noexcept
{
    return ::unlink(path) == 0;
}

int FollowLinks(const char* path, std::string& target)
{
    constexpr int kMaxLinks = 40;
    target = path;
    for (int hops = 0;; ++hops)
    {
        struct stat status;
        if (::lstat(target.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return 0;
        if (hops == kMaxLinks)
            return ELOOP;
        // The size the link reports may be 0 or outdated: a text that fills the buffer may
        // have been cut, and is read again into a larger one.
        std::string link(std::max<std::size_t>(static_cast<std::size_t>(status.st_size), 255) + 1, '\0');
        ssize_t length = 0;
        while ((length = ::readlink(target.c_str(), link.data(), link.size())) >= 0 &&
               static_cast<std::size_t>(length) == link.size())
            link.resize(link.size() * 2);
        if (length < 0)
            return 0;
        link.resize(static_cast<std::size_t>(length));
        if (link.empty() || link.front() == '/')
        {
            target = link;
            continue;
        }
        const std::size_t slash = target.rfind('/');
        target = slash == std::string::npos ? link : target.substr(0, slash + 1) + link;
    }
}

namespace
{

bool InGroup(gid_t group)
{
    if (group == ::getegid())
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int filled = ::getgroups(count, groups.data());
    return filled > 0 && std::find(groups.begin(), groups.begin() + filled, group) != groups.begin() + filled;
}

// Whether this user may change the file. For an ordinary user the system answers. Root
// passes every permission check, so for root the file's own permission bits decide, read
// for the class root falls in: a file that its owner made read-only, or another user's file
// that is closed to others, is not replaced behind its owner's back.
bool MayWrite(const char* path, const struct stat& status)
{
    const uid_t user = ::geteuid();
    if (user != 0)
        return ::faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0;
    if (status.st_uid == user)
        return (status.st_mode & S_IWUSR) != 0;
    if (InGroup(status.st_gid))
        return (status.st_mode & S_IWGRP) != 0;
    return (status.st_mode & S_IWOTH) != 0;
}

// Gives the new file the old one's owner and group. Only root may give a file away; anyone
// may keep a group of their own. Where neither is allowed the file is this user's, as any
// file this user writes.
void KeepOwner(int descriptor, const struct stat& old)
{
    if (::fchown(descriptor, old.st_uid, old.st_gid) != 0)
    {
        const int groupKept = ::fchown(descriptor, static_cast<uid_t>(-1), old.st_gid);
        static_cast<void>(groupKept);
    }
}

} // namespace

int ReplaceFileContents(const char* path, const void* data, std::size_t size)
{
    std::string target;
    if (const int error = FollowLinks(path, target); error != 0)
        return error;

    struct stat old;
    const bool replacing = ::stat(target.c_str(), &old) == 0;
    if (replacing)
    {
        if (S_ISDIR(old.st_mode))
            return EISDIR;
        if (!S_ISREG(old.st_mode))
            return EINVAL;
        if (!MayWrite(target.c_str(), old))
            return EACCES;
    }

    // The new text goes to a file beside the old one, so the final rename stays within one
    // file system and replaces the old file in one step.
    static std::atomic<unsigned> counter{0};
    std::string temporary;
    UniqueDescriptor descriptor;
    for (int attempt = 0; attempt < 100 && !descriptor; ++attempt)
    {
        temporary = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        descriptor.Reset(
            OpenDescriptor(temporary.c_str(), {.write = true, .create = true, .exclusive = true}));
        if (!descriptor && errno != EEXIST)
            return ErrorOr(errno, 5);
    }
    if (!descriptor)
        return EEXIST;

    if (replacing)
    {
        ::fchmod(descriptor.Get(), old.st_mode & 07777);
        KeepOwner(descriptor.Get(), old);
    }

    int error = 0;
    if (WriteDescriptor(descriptor.Get(), data, size) != static_cast<std::int64_t>(size))
        error = ErrorOr(errno, 5);
    else if (!SyncDescriptor(descriptor.Get()))
        error = ErrorOr(errno, 5);
    else if (!CloseDescriptor(descriptor.Release()))
        error = ErrorOr(errno, 5);
    else if (std::rename(temporary.c_str(), target.c_str()) != 0)
        error = ErrorOr(errno, 5);

    if (error != 0)
    {
        descriptor.Reset();
        ::unlink(temporary.c_str());
    }
    return error;
}

} // namespace QK
