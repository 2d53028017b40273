// What a window host asks of the application: the root window for a new host window (made and
// registered by the application, so the host knows only its interface), whether a root window
// is the application's first (main) one, the placement a main window leaves behind, word that
// a host window is gone, the request to end the program, and the idle steps of a modal loop.
//
// The application installs its services with SetHostAppServices; without them (a window made
// in a test with no application) a host gets no root window and keeps its windows to itself.
// UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class IHostWindow;
class IHostedRootWindow;
class IWindowOSServices;
class LRenderer;
struct WindowPlacement;


class IHostAppServices
{
public:
    // A root window drawn by renderer and hosted by host, already registered with the
    // application; null when none can be made.
    virtual RCPtr<IHostedRootWindow> CreateRootWindow(const RCPtr<LRenderer>& renderer, IWindowOSServices* host) = 0;
    virtual void UnregisterRootWindow(IHostedRootWindow* root) = 0;
    virtual bool IsFirstRootWindow(const IHostedRootWindow* root) const = 0;
    // The main window's placement as it closes.
    virtual void SaveMainWindowPlacement(const WindowPlacement& placement) = 0;
    // The host window is destroyed (its root window already let go).
    virtual void OnHostWindowDestroyed(IHostWindow* window) = 0;
    // The user or the session asks the program to end (the main window's close box, the
    // session's quit, a signal); the application decides in its next idle pass.
    virtual void RequestExit() = 0;
    // One idle step of a modal loop; true while another is wanted.
    virtual bool OnIdle(std::int32_t idleCount) = 0;

protected:
    ~IHostAppServices() = default;
};

// Installs services (null: none) and answers those installed before.
IHostAppServices* SetHostAppServices(IHostAppServices* services);
IHostAppServices* GetHostAppServices();

// The window class of the application's main window, which the application names before it
// makes its windows: a window of that class saves its placement as it closes. Empty until
// then.
void SetHostMainWindowClassName(const WString& name);
const WString& GetHostMainWindowClassName();

} // namespace QK
