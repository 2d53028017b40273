// The resource table: files compiled into the executable (vedidu_add_resources in the top
// CMakeLists.txt), found by (type, name) as the Windows build finds its resources in its
// module. Types in use: "GDIPLUS" for images, "QKXML" for skins and string tables.
//
// Entries register themselves while static objects are built, before main; lookups may run
// on any thread afterwards. Types and names match ignoring ASCII case, as resource names do.
#pragma once

#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace QK
{

// The module whose resources are searched. There is one table, the executable's; the value
// is kept so that start-up can record the application's module as the design does.
using ResourceModule = const void*;

// The application's module as start-up recorded it; null until then, which also means the
// executable.
ResourceModule GetApplicationInstance() noexcept;
void SetApplicationInstance(ResourceModule module) noexcept;

// The bytes of a resource; an empty span when there is no such resource (or it is empty).
std::span<const std::uint8_t> FindResourceData(ResourceModule module, std::string_view type, std::string_view name);

// A source name that names a resource begins with the two characters "::".
bool IsResourceSourceName(const WString& source);
// The resource name of a "::" source name: the rest upper-cased, every "." and " " made
// "_" ("::knob.png" is KNOB_PNG). A name without "::" is upper-cased and replaced the same way.
WString GetResourceName(const WString& source);

// One entry of the table, made by the generated sources. The bytes must live as long as
// the process (they are static arrays).
class ResourceRegistration
{
public:
    ResourceRegistration(const char* type, const char* name, const unsigned char* data, std::size_t size);
    ResourceRegistration(const ResourceRegistration&) = delete;
    ResourceRegistration& operator=(const ResourceRegistration&) = delete;
};

} // namespace QK
