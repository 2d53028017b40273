#include "QKFramework/Platform/Window/HostAppServices.h"

namespace QK
{

namespace
{

IHostAppServices* g_services = nullptr;

} // namespace

IHostAppServices* SetHostAppServices(IHostAppServices* services)
{
    IHostAppServices* const previous = g_services;
    g_services = services;
    return previous;
}

IHostAppServices* GetHostAppServices()
{
    return g_services;
}

} // namespace QK
