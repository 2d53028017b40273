#include "QKFramework/Platform/Core/Resources.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace QK
{

namespace
{

std::string Upper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = ToUpperChar(c);
    return result;
}

struct Table
{
    std::mutex mutex;
    std::map<std::pair<std::string, std::string>, std::span<const std::uint8_t>> entries;
};

// Never destroyed: registrations run during static construction in any order, and lookups
// may come from other static objects' destructors.
Table& GetTable()
{
    static auto* const table = new Table();
    return *table;
}

std::atomic<ResourceModule> g_applicationInstance{nullptr};

} // namespace

ResourceModule GetApplicationInstance() noexcept
{
    return g_applicationInstance.load(std::memory_order_acquire);
}

void SetApplicationInstance(ResourceModule module) noexcept
{
    g_applicationInstance.store(module, std::memory_order_release);
}

ResourceRegistration::ResourceRegistration(const char* type, const char* name, const unsigned char* data,
                                           std::size_t size)
{
    Table& table = GetTable();
    std::lock_guard lock(table.mutex);
    table.entries[{Upper(type), Upper(name)}] = std::span<const std::uint8_t>(data, size);
}

std::span<const std::uint8_t> FindResourceData(ResourceModule, std::string_view type, std::string_view name)
{
    Table& table = GetTable();
    std::lock_guard lock(table.mutex);
    const auto found = table.entries.find({Upper(type), Upper(name)});
    if (found == table.entries.end())
        return {};
    return found->second;
}

bool IsResourceSourceName(const WString& source)
{
    return source.GetLength() >= 2 && source.GetString()[0] == u':' && source.GetString()[1] == u':';
}

WString GetResourceName(const WString& source)
{
    WString name = IsResourceSourceName(source) ? source.MidFrom(2) : source;
    name = name.ToUpper();
    name.ReplaceCharacters(u". ", u'_');
    return name;
}

} // namespace QK
