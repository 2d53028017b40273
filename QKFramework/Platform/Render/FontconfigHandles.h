// UniqueHandle traits for fontconfig's objects, and the one configuration that every
// fontconfig query of the drawing layer runs against.
#pragma once

#include "QKFramework/Platform/Core/UniqueHandle.h"

#include <fontconfig/fontconfig.h>

namespace QK
{

struct FontconfigPatternTraits
{
    using Handle = FcPattern*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle pattern) noexcept { FcPatternDestroy(pattern); }
};

struct FontconfigObjectSetTraits
{
    using Handle = FcObjectSet*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle set) noexcept { FcObjectSetDestroy(set); }
};

struct FontconfigFontSetTraits
{
    using Handle = FcFontSet*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle set) noexcept { FcFontSetDestroy(set); }
};

// A configuration of the drawing layer's own rather than the library's implicit global one,
// loaded on first use and released with everything it caches when the process ends; null
// when it cannot be loaded.
FcConfig* GetFontconfigConfig();

} // namespace QK
