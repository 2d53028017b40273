// What the control base asks of the application: its control factory, its default font and
// command target, the cursors by name, its running time and root windows for dialogs.
//
// The application installs its services with LControlApp::SetServices; until then the
// defaults answer: no factory (controls get no string tables and create no children on
// demand), the desktop font of the drawing layer, no command target, cursor 0 for every
// name, the drawing layer's clock, an empty work area, no root windows, the pointer at the
// screen's origin, no key and no button held. UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>
#include <vector>

namespace QK
{

class IRootWindow;
class KeyCode;
class LControl;
class LControlFactory;
class LFont;
class LGlobalHotKeyManager;

class IControlAppServices
{
public:
    // The application's one factory, or null.
    virtual LControlFactory* GetControlFactory() const = 0;
    // The font a top control takes as its base.
    virtual ConstRCPtr<LFont> GetDefaultFont() const = 0;
    // The command target of a control without a parent that is no command target itself.
    virtual RCPtr<LControl> GetDefaultCommandTarget() const = 0;
    // A cursor handle by name ("UI_CURSOR_ARROW", ...); 0 when the name is unknown.
    virtual std::intptr_t GetCursor(const WString& name) const = 0;
    // The running time in seconds.
    virtual double GetTime() const = 0;
    // The desktop's work area, in screen coordinates.
    virtual RectL GetWorkArea() const = 0;
    // The last root window whose host window is active, or null.
    virtual IRootWindow* GetActiveRootWindow() const = 0;
    // The first root window of the application, or null.
    virtual IRootWindow* GetFirstRootWindow() const = 0;
    // The pointer position on the screen.
    virtual PointL GetCursorPos() const = 0;
    // Whether the key (a virtual key: 16 Shift, 17 Ctrl, 18 Alt) is held now.
    virtual bool IsKeyDown(std::uint32_t virtualKey) const = 0;
    // Mouse-button bits held on the whole screen: 1 left, 2 middle, 4 right.
    virtual std::uint32_t GetMouseButtonState() const = 0;
    // The application's root windows in order; the first is the main window.
    virtual std::vector<IRootWindow*> GetRootWindows() const = 0;
    // The application's hot keys: 0 when one was bound to key, 1 otherwise.
    virtual QKRESULT HandleHotKey(const KeyCode&) const { return QK_FALSE; }
    // The manager behind the application's hot keys, or null; controls add bindings to it.
    virtual LGlobalHotKeyManager* GetHotKeyManager() const { return nullptr; }
    // Shows control (a dialog) in a root window of its own and runs that window's modal
    // loop; its result, or 0x80004005 when no window can be made. option: the window has a
    // system menu.
    virtual QKRESULT CreateDialogRootWindow(LControl*, std::int32_t) const { return QK_E_FAIL; }
    // Moves the pointer to point (screen coordinates): a list keeps it over the item that
    // was clicked after the list scrolled under it.
    virtual void SetCursorPos(const PointL&) const {}

protected:
    ~IControlAppServices() = default;
};

class DefaultControlAppServices : public IControlAppServices
{
public:
    LControlFactory* GetControlFactory() const override { return nullptr; }
    ConstRCPtr<LFont> GetDefaultFont() const override;
    RCPtr<LControl> GetDefaultCommandTarget() const override;
    std::intptr_t GetCursor(const WString&) const override { return 0; }
    double GetTime() const override;
    RectL GetWorkArea() const override { return {}; }
    IRootWindow* GetActiveRootWindow() const override { return nullptr; }
    IRootWindow* GetFirstRootWindow() const override { return nullptr; }
    PointL GetCursorPos() const override { return {}; }
    bool IsKeyDown(std::uint32_t) const override { return false; }
    std::uint32_t GetMouseButtonState() const override { return 0; }
    std::vector<IRootWindow*> GetRootWindows() const override { return {}; }

protected:
    ~DefaultControlAppServices() = default;
};

class LControlApp
{
public:
    // Installs services (null: the defaults). The caller keeps them alive while installed.
    static void SetServices(const IControlAppServices* services);
    static const IControlAppServices* GetServices();

    static LControlFactory* GetControlFactory();
    static ConstRCPtr<LFont> GetDefaultFont();
    static RCPtr<LControl> GetDefaultCommandTarget();
    static std::intptr_t GetCursor(const WString& name);
    static double GetTime();
    static RectL GetWorkArea();
    static IRootWindow* GetActiveRootWindow();
    static IRootWindow* GetFirstRootWindow();
    static PointL GetCursorPos();
    static bool IsKeyDown(std::uint32_t virtualKey);
    static std::uint32_t GetMouseButtonState();
    static std::vector<IRootWindow*> GetRootWindows();
    static QKRESULT HandleHotKey(const KeyCode& key);
    static LGlobalHotKeyManager* GetHotKeyManager();
    static QKRESULT CreateDialogRootWindow(LControl* control, std::int32_t option);
    static void SetCursorPos(const PointL& point);
    // The running time as a wrapping millisecond count.
    static std::uint32_t GetMilliseconds();
};

} // namespace QK
