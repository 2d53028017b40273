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

int ReplaceFileContents(const char* path, const void* data, std::size_t size)
{
    // The new text goes to a file beside the old one, so the final rename stays within one
    // file system and replaces the old file in one step.
    static std::atomic<unsigned> counter{0};
    const std::string target(path);
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

    // A replaced file keeps the permissions it had.
    struct stat old;
    if (::stat(path, &old) == 0)
        ::fchmod(descriptor.Get(), old.st_mode & 07777);

    int error = 0;
    if (WriteDescriptor(descriptor.Get(), data, size) != static_cast<std::int64_t>(size))
        error = ErrorOr(errno, 5);
    else if (!SyncDescriptor(descriptor.Get()))
        error = ErrorOr(errno, 5);
    else if (!CloseDescriptor(descriptor.Release()))
        error = ErrorOr(errno, 5);
    else if (std::rename(temporary.c_str(), path) != 0)
        error = ErrorOr(errno, 5);

    if (error != 0)
    {
        descriptor.Reset();
        ::unlink(temporary.c_str());
    }
    return error;
}

} // namespace QK
