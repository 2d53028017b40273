#include "QKFramework/Platform/Core/DynamicLibrary.h"

#include <dlfcn.h>

namespace QK
{

void UnloadDynamicLibrary(void* library) noexcept
{
    if (library)
        ::dlclose(library);
}

DynamicLibrary LoadDynamicLibrary(const std::string& path)
{
    if (path.empty() || path.front() != '/')
        return DynamicLibrary();
    // RTLD_LOCAL keeps the library's symbols out of the way of every other library.
    return DynamicLibrary(::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
}

void* FindDynamicLibrarySymbol(const DynamicLibrary& library, const char* name) noexcept
{
    if (!library || !name)
        return nullptr;
    return ::dlsym(library.Get(), name);
}

} // namespace QK
