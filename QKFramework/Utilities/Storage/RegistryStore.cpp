#include "QKFramework/Utilities/Storage/RegistryStore.h"

#include <atomic>

namespace QK
{

namespace
{

std::atomic<const IRegistryStore*> g_store{nullptr};

} // namespace

const IRegistryStore* SetRegistryStore(const IRegistryStore* store)
{
    return g_store.exchange(store);
}

const IRegistryStore& GetRegistryStore()
{
    const IRegistryStore* store = g_store.load();
    return store ? *store : GetPlatformRegistryStore();
}

} // namespace QK
