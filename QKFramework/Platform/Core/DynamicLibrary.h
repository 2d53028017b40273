// Shared libraries loaded at run time from a file path, and the addresses of the symbols
// they export.
//
// A DynamicLibrary holds one load of a library: the library stays mapped while any holder
// (or anyone else) keeps it loaded, and the holder gives its load back when it is reset or
// destroyed. Only an absolute path is loaded, so a library is never picked up from the
// current folder or the system's search path. Loading and unloading may run on any thread.
#pragma once

#include "QKFramework/Platform/Core/UniqueHandle.h"

#include <string>

namespace QK
{

// Gives one load of a library back.
void UnloadDynamicLibrary(void* library) noexcept;

struct DynamicLibraryTraits
{
    using Handle = void*;
    static constexpr void* Invalid() noexcept { return nullptr; }
    static void Close(void* library) noexcept { UnloadDynamicLibrary(library); }
};

using DynamicLibrary = UniqueHandle<DynamicLibraryTraits>;

// Loads the library at path (UTF-8); empty when it is not an absolute path or cannot be
// loaded.
DynamicLibrary LoadDynamicLibrary(const std::string& path);

// The address of the exported symbol name; null when there is none or nothing is loaded.
void* FindDynamicLibrarySymbol(const DynamicLibrary& library, const char* name) noexcept;

} // namespace QK
