// What a window host asks of the application: the registration of the root window it makes,
// whether that is the application's first (main) one, the placement a main window leaves
// behind, word that a host window is gone, and the idle steps of a modal loop.
//
// The application installs its services with SetHostAppServices; without them (a window
// made in a test with no application) a host keeps its windows to itself. UI thread only.
#pragma once

#include <cstdint>

namespace QK
{

class IHostWindow;
class LRootWindow;
struct WindowPlacement;

// The window class of the editor's main window: its placement is saved as it closes.
inline constexpr const char16_t* kMainHostWindowClassName = u"VediduPresetEditorMainWindowClass";

class IHostAppServices
{
public:
    virtual void RegisterRootWindow(LRootWindow* root) = 0;
    virtual void UnregisterRootWindow(LRootWindow* root) = 0;
    virtual bool IsFirstRootWindow(const LRootWindow* root) const = 0;
    // The main window's placement as it closes.
    virtual void SaveMainWindowPlacement(const WindowPlacement& placement) = 0;
    // The host window is destroyed (its root window already let go).
    virtual void OnHostWindowDestroyed(IHostWindow* window) = 0;
    // One idle step of a modal loop; true while another is wanted.
    virtual bool OnIdle(std::int32_t idleCount) = 0;

protected:
    ~IHostAppServices() = default;
};

// Installs services (null: none) and answers those installed before.
IHostAppServices* SetHostAppServices(IHostAppServices* services);
IHostAppServices* GetHostAppServices();

} // namespace QK
