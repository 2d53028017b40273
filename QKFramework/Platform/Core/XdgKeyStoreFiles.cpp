// Where the key-store files live on an XDG desktop, and the platform's own key store.
#include "QKFramework/Platform/Core/IniKeyStore.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

namespace QK
{

namespace
{

constexpr const char* kFileName = "registry.ini";

std::mutex g_namesMutex;

// Never destroyed: the store may be read while static objects go.
KeyStoreNames& Names()
{
    static auto* const names = new KeyStoreNames();
    return *names;
}

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

std::string StoreFileIn(const std::string& configFolder, const std::string& companyFolder)
{
    return configFolder + "/" + companyFolder + "/" + kFileName;
}

} // namespace

void SetKeyStoreNames(const KeyStoreNames& names)
{
    std::lock_guard lock(g_namesMutex);
    Names() = names;
}

KeyStoreNames GetKeyStoreNames()
{
    std::lock_guard lock(g_namesMutex);
    return Names();
}

std::vector<std::string> XdgKeyStoreFiles(RegistryRoot root)
{
    const KeyStoreNames names = GetKeyStoreNames();
    const std::string overridden =
        names.folderVariable.empty() ? std::string() : Environment(names.folderVariable.c_str());
    if (!overridden.empty())
        return {overridden + "/" + kFileName};
    if (names.companyFolder.empty())
        return {};

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
        return {StoreFileIn(home, names.companyFolder)};
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
            files.insert(files.begin(), StoreFileIn(dir, names.companyFolder));
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
