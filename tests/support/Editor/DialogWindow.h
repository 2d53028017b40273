// Editor dialogs in tests:
//   - CreateDialog: a dialog of class T made by the application from the skin, as the device
//     view makes it; ClickChild: a child's click, as its button sends it.
//   - DialogWindow: a dialog (or any top control) in a root window of its own, over a
//     recording host instead of a window system: the pointer can be moved over it as a host
//     would, and the window can be painted offscreen by the software renderer and saved as
//     a picture for a person to look at (SavePicture: $VEDIDU_PICTURES_DIR, else "pictures").
//
// UI thread only. Header only.
#pragma once

#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Renderer/Renderer.h"

#include "tests/support/UI/ControlTestTools.h"
#include "tests/support/UI/RecordingWindowHost.h"
#include "tests/support/UI/WindowTestSupport.h"

#include <string>

namespace QK::TestSupport
{

// Null when the skin has no such control or it is not a T.
template <class T> RCPtr<T> CreateDialog(LFrameworkApp& app, const char16_t* subControlName)
{
    const RCPtr<LControl> control = app.CreateControl(WString(subControlName));
    return RCPtr<T>(dynamic_cast<T*>(control.Get()));
}

// False when parent has no child of that name.
inline bool ClickChild(LControl& parent, const char16_t* child)
{
    const RCPtr<LControl> button = parent.FindChild(WString(child));
    if (!button)
        return false;
    button->SendNotification(LNotification::Create(u"NID_LEFT_CLICK", nullptr));
    return true;
}

class DialogWindow
{
public:
    explicit DialogWindow(const RCPtr<LControl>& control)
        : m_renderer(LRenderer::Create(1, 0)), m_window(LRootWindow::Create(m_renderer, &host))
    {
        host.root = m_window.Get();
        // A top control takes its size from the window, which a host makes as the skin says.
        if (const RCPtr<LLayoutDescriptor>& layout = control->GetLayoutDescriptor())
            host.clientRect = {0, 0, static_cast<std::int32_t>(layout->X.Size.Abs),
                               static_cast<std::int32_t>(layout->Y.Size.Abs)};
        m_window->SetRootControl(control);
    }
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;
    ~DialogWindow()
    {
        m_window->SetHost(nullptr);
        m_window->SetRootControl(RCPtr<LControl>());
    }

    LRootWindow& Window() { return *m_window; }

    // Paints the whole window and writes it to fileName; false when it was not written.
    bool SavePicture(const std::string& fileName)
    {
        RCPtr<LRenderContextInfo> context;
        const IDrawingSurface& surface = PaintOffscreen(*m_window, *m_renderer, host.clientRect, context);
        return TestSupport::SavePicture(surface, fileName);
    }

    RecordingWindowHost host;

private:
    RCPtr<LRenderer> m_renderer;
    RCPtr<LRootWindow> m_window;
};

} // namespace QK::TestSupport
