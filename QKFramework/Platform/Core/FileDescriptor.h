// File descriptors of the operating system and the calls made on them.
//
// Paths are UTF-8 with "/" separators (Paths.h turns the framework's paths into that form).
// Every descriptor is opened close-on-exec, so programs the editor starts inherit none.
// Failures answer -1 (or false) and leave the reason in errno, which callers may report.
#pragma once

#include "QKFramework/Platform/Core/UniqueHandle.h"

#include <cstddef>
#include <cstdint>

namespace QK
{

// Closes a descriptor; false when the system reported an error (data may not have reached
// the disk).
bool CloseDescriptor(int descriptor) noexcept;

struct DescriptorTraits
{
    using Handle = int;
    static constexpr int Invalid() noexcept { return -1; }
    static void Close(int descriptor) noexcept { CloseDescriptor(descriptor); }
};

using UniqueDescriptor = UniqueHandle<DescriptorTraits>;

struct DescriptorOpenOptions
{
    bool write = false;     // read and write; otherwise read only
    bool create = false;    // create the file when it is missing (permission 0666 less the umask)
    bool exclusive = false; // with create: fail when the file exists
};

// -1 when the file cannot be opened.
int OpenDescriptor(const char* path, const DescriptorOpenOptions& options) noexcept;

// Reads up to count bytes; the number read (0 at the end of the file) or -1. An interrupted
// call is repeated.
std::int64_t ReadDescriptor(int descriptor, void* buffer, std::size_t count) noexcept;

// Writes all count bytes unless the system refuses; the number written or -1. A write cut
// short (a full disk) ends with -1.
std::int64_t WriteDescriptor(int descriptor, const void* buffer, std::size_t count) noexcept;

// Origin 0 start, 1 current position, 2 end. The new position or -1.
std::int64_t SeekDescriptor(int descriptor, std::int64_t offset, int origin) noexcept;

// The size in bytes of what the descriptor refers to, or -1.
std::int64_t GetDescriptorSize(int descriptor) noexcept;

// Forces written data to the disk; false on failure.
bool SyncDescriptor(int descriptor) noexcept;

} // namespace QK
