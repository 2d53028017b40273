// Where the key-store files live on an XDG desktop, and the platform's own key store.
#include "QKFramework/Platform/Core/IniKeyStore.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace QK
{

namespace
{

constexpr const char* kCompanyFolder = "Dozavod Professional";
constexpr const char* kFileName = "registry.ini";

// The variable's value, or empty when it is unset.
std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool IsAbsolute(const std::string& path)
{
    return !path.empty() && path.front() == '/';
}

std::string StoreFileIn(const std::string& configFolder)
{
    return configFolder + "/" + kCompanyFolder + "/" + kFileName;
}

} // namespace

std::vector<std::string> XdgKeyStoreFiles(RegistryRoot root)
{
    const std::string overridden = Environment("VEDIDU_REGISTRY_DIR");
    if (!overridden.empty())
        return {overridden + "/" + kFileName};

    if (root == RegistryRoot::CurrentUser)
    {
        std::string home = Environment("XDG_CONFIG_HOME");
        if (!IsAbsolute(home))
        {
            const std::string userHome = Environment("HOME");
            if (!IsAbsolute(userHome))
                return {};
            home = userHome + "/.config";
        }
        return {StoreFileIn(home)};
    }

    std::string dirs = Environment("XDG_CONFIG_DIRS");
    if (dirs.empty())
        dirs = "/etc/xdg";
    std::vector<std::string> files;
    std::size_t start = 0;
    while (start <= dirs.size())
    {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        // The first folder is the most important one, so it goes last.
        if (IsAbsolute(dir))
            files.insert(files.begin(), StoreFileIn(dir));
        start = end + 1;
    }
    return files;
}

const IRegistryStore& GetPlatformRegistryStore()
{
    static const IniKeyStore store(XdgKeyStoreFiles);
    return store;
}

} // namespace QK
