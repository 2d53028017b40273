#include "QKFramework/Platform/Core/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace QK
{

bool CloseDescriptor(int descriptor) noexcept
{
    // Linux releases the descriptor even when close is interrupted; a retry could close a
    // descriptor another thread has just been given.
    return ::close(descriptor) == 0 || errno == EINTR;
}

int OpenDescriptor(const char* path, const DescriptorOpenOptions& options) noexcept
{
    int flags = O_CLOEXEC | (options.write ? O_RDWR : O_RDONLY);
    if (options.create)
        flags |= O_CREAT | (options.exclusive ? O_EXCL : 0);
    int descriptor;
    do
        descriptor = ::open(path, flags, 0666);
    while (descriptor < 0 && errno == EINTR);
    return descriptor;
}

std::int64_t ReadDescriptor(int descriptor, void* buffer, std::size_t count) noexcept
{
    if (count > SSIZE_MAX)
        count = SSIZE_MAX;
    ssize_t result;
    do
        result = ::read(descriptor, buffer, count);
    while (result < 0 && errno == EINTR);
    return result;
}

std::int64_t WriteDescriptor(int descriptor, const void* buffer, std::size_t count) noexcept
{
    const char* bytes = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count)
    {
        const ssize_t result = ::write(descriptor, bytes + done, count - done);
        if (result < 0)
        {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (result == 0)
        {
            errno = ENOSPC;
            return -1;
        }
        done += static_cast<std::size_t>(result);
    }
    return static_cast<std::int64_t>(done);
}

std::int64_t SeekDescriptor(int descriptor, std::int64_t offset, int origin) noexcept
{
    int whence;
    switch (origin)
    {
    case 0:
        whence = SEEK_SET;
        break;
    case 1:
        whence = SEEK_CUR;
        break;
    case 2:
        whence = SEEK_END;
        break;
    default:
        errno = EINVAL;
        return -1;
    }
    return ::lseek(descriptor, static_cast<off_t>(offset), whence);
}

std::int64_t GetDescriptorSize(int descriptor) noexcept
{
    struct stat status;
    if (::fstat(descriptor, &status) != 0)
        return -1;
    return status.st_size;
}

bool SyncDescriptor(int descriptor) noexcept
{
    return ::fsync(descriptor) == 0;
}

} // namespace QK
