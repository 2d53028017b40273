#include "QKFramework/Platform/Window/HostAppServices.h"

namespace QK
{

namespace
{

IHostAppServices* g_services = nullptr;

// Never destroyed: windows may still be asked about while static objects go.
WString& MainWindowClassName()
{
    static auto* const name = new WString();
    return *name;
}

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

void SetHostMainWindowClassName(const WString& name)
{
    MainWindowClassName() = name;
}

const WString& GetHostMainWindowClassName()
{
    return MainWindowClassName();
}

} // namespace QK
