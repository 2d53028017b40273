// The SDL window host. Sections: the window's life; its services; its events; painting;
// the window system.
#include "QKFramework/Platform/Window/SdlWindowHost.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Platform/Render/MessageService.h"
#include "QKFramework/Platform/Render/Sdl/SdlPresenter.h"
#include "QKFramework/Platform/Window/DesktopMessageBox.h"
#include "QKFramework/Platform/Window/DisplayConnection.h"
#include "QKFramework/Platform/Window/HostAppServices.h"
#include "QKFramework/Platform/Window/SdlNativeWindow.h"
#include "QKFramework/Platform/Window/SessionEnd.h"
#include "QKFramework/Renderer/Renderer.h"
#include "QKFramework/Utilities/Debug/StartupPhases.h"
#include "QKFramework/Utilities/Graphics/PngDecoder.h"
#include "QKFramework/Utilities/Storage/Array.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <cstring>
#include <string>

namespace QK
{

namespace
{

void AddRegion(RectRegion& target, const RectRegion& source)
{
    Array<RectL> rects;
    source.GetRects(rects);
    for (std::uint32_t i = 0; i < rects.GetCount(); ++i)
    {
        const RectL& r = *rects.GetAt(i);
        target.AddRect(r.x, r.y, r.x + r.width, r.y + r.height);
    }
}

// A window of the class the application named for its main window; none is before it names one.
bool IsMainWindowClass(const WString& className)
{
    const WString& mainClass = GetHostMainWindowClassName();
    return !mainClass.IsEmpty() && className.IsEqual(mainClass);
}

bool HasDisplay()
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display && *display) || (wayland && *wayland);
}

} // namespace

// --- The window's life ---------------------------------------------------------------------

SdlHostWindow::SdlHostWindow(SdlWindowSystem& system, const HostWindowRequest& request, SDL_Window* window)
    : m_system(system), m_window(window), m_madeTitle(request.title), m_id(SDL_GetWindowID(window)),
      m_owner(request.owner), m_isMainClass(IsMainWindowClass(request.className))
{
    SDL_GetWindowSize(window, &m_width, &m_height);
}

SdlHostWindow::~SdlHostWindow()
{
    Destroy();
}

QKRESULT SdlHostWindow::Create(std::int32_t rendererKind)
{
    if (!m_window)
        return QK_E_FAIL;
    m_surfaceWhole = false;
    // The OpenGL renderer makes its context on the window it is given.
    const bool openGL = rendererKind == kRendererOpenGL;
    if (openGL && !(SDL_GetWindowFlags(m_window.Get()) & SDL_WINDOW_OPENGL) && !RemakeForOpenGL())
        return QK_E_FAIL;
    const RCPtr<LRenderer> renderer = LRenderer::Create(rendererKind, openGL ? static_cast<std::intptr_t>(m_id) : 0);
    if (!renderer)
        return QK_E_FAIL;
    return Attach(renderer);
}

QKRESULT SdlHostWindow::Attach(const RCPtr<LRenderer>& renderer)
{
    if (!m_window || !renderer)
        return QK_E_FAIL;
    if (renderer->GetRendererType() == kRendererOpenGL && !(SDL_GetWindowFlags(m_window.Get()) & SDL_WINDOW_OPENGL) &&
        !RemakeForOpenGL())
        return QK_E_FAIL;
    if (renderer != m_renderer)
        m_renderer = renderer;
    if (Failed(m_renderer->InitRenderContextInfo({0, 0, m_width, m_height}, m_id, false, m_context)) || !m_context)
        return QK_E_FAIL;
    IHostAppServices* app = GetHostAppServices();
    m_root = app ? app->CreateRootWindow(m_renderer, this) : nullptr;
    if (!m_root)
        return QK_E_FAIL;
    m_root->OnHostSized({m_width, m_height});
    return QK_OK;
}

bool SdlHostWindow::RemakeForOpenGL()
{
    // SDL can give an OpenGL context only to a window made for one. The window is still
    // hidden here, so making it again loses nothing that was on its way to it.
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(m_window.Get(), &x, &y);
    const Uint32 kept = SDL_GetWindowFlags(m_window.Get()) & SDL_WINDOW_RESIZABLE;
    SDL_Window* remade = SDL_CreateWindow(SDL_GetWindowTitle(m_window.Get()), x, y, m_width, m_height,
                                          kept | SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
    if (!remade)
        return false;
    m_window.Reset(remade);
    m_id = SDL_GetWindowID(remade);
    return true;
}

void SdlHostWindow::Destroy()
{
    if (m_destroyed)
        return;
    m_destroyed = true;
    ReleaseCapture();
    IHostAppServices* app = GetHostAppServices();
    if (app && m_root && m_isMainClass && app->IsFirstRootWindow(m_root.Get()))
        app->SaveMainWindowPlacement(GetPlacement());
    if (m_root)
    {
        const RCPtr<IHostedRootWindow> root = m_root;
        m_root = nullptr;
        if (app)
            app->UnregisterRootWindow(root.Get());
        root->SetHost(nullptr);
        root->ReleaseInternalReferences();
    }
    if (app)
        app->OnHostWindowDestroyed(this);
    if (m_system.GetActiveWindowId() == m_id)
        m_system.SetActiveWindowId(0);
    m_context = nullptr;
    m_renderer = nullptr;
    m_window.Reset();
}

void SdlHostWindow::PostClose()
{
    Destroy();
}

void SdlHostWindow::RequestSystemClose()
{
    if (!m_root)
        return;
    IHostAppServices* app = GetHostAppServices();
    if (app && app->IsFirstRootWindow(m_root.Get()))
    {
        app->RequestExit();
        return;
    }
    m_root->OnCloseRequest();
}

RectL SdlHostWindow::GetFrameRect()
{
    RectL rect{0, 0, m_width, m_height};
    if (m_window)
        SDL_GetWindowPosition(m_window.Get(), &rect.x, &rect.y);
    return rect;
}

QKRESULT SdlHostWindow::MoveWindow(const RectL& rect)
{
    if (!m_window)
        return QK_E_FAIL;
    SDL_SetWindowPosition(m_window.Get(), rect.x, rect.y);
    if (rect.width != m_width || rect.height != m_height)
        SetClientSize(rect.width, rect.height);
    return QK_OK;
}

WindowPlacement SdlHostWindow::GetPlacement()
{
    WindowPlacement placement;
    placement.rect = GetFrameRect();
    if (m_window)
    {
        const Uint32 flags = SDL_GetWindowFlags(m_window.Get());
        placement.maximized = (flags & SDL_WINDOW_MAXIMIZED) != 0;
        placement.minimized = (flags & SDL_WINDOW_MINIMIZED) != 0;
    }
    return placement;
}

void SdlHostWindow::SetPlacement(const WindowPlacement& placement)
{
    if (!m_window)
        return;
    if (placement.minimized)
        SDL_RestoreWindow(m_window.Get());
    MoveWindow(placement.rect);
    if (placement.maximized)
        SDL_MaximizeWindow(m_window.Get());
}

// --- Services ------------------------------------------------------------------------------

QKRESULT SdlHostWindow::SetTitle(const WString& title)
{
    if (!m_window)
        return QK_E_FAIL;
    SDL_SetWindowTitle(m_window.Get(), NString((title.IsEmpty() ? m_madeTitle : title).GetString()).GetString());
    return QK_OK;
}

void SdlHostWindow::SetIcon(std::span<const std::uint8_t> png)
{
    DecodedImage image;
    if (!m_window || png.empty() || !DecodePng(png.data(), png.size(), image) || image.width == 0 ||
        image.height == 0)
        return;
    // The decoder's straight BGRA is SDL's BGRA32 byte order.
    UniqueHandle<SdlSurfaceTraits> surface(SDL_CreateRGBSurfaceWithFormatFrom(
        image.pixels.data(), static_cast<int>(image.width), static_cast<int>(image.height), 32,
        static_cast<int>(image.width * 4), SDL_PIXELFORMAT_BGRA32));
    if (surface)
        SDL_SetWindowIcon(m_window.Get(), surface.Get());
}

QKRESULT SdlHostWindow::InvalidateAll()
{
    if (!m_update.Covers(0, 0, m_width, m_height))
        m_update.AddRect(0, 0, m_width, m_height);
    m_wholeUpdatePending = true;
    return QK_OK;
}

QKRESULT SdlHostWindow::InvalidateRect(const RectL& rect)
{
    if (!m_update.Covers(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height))
        m_update.AddRect(rect.x, rect.y, rect.x + rect.width, rect.y + rect.height);
    return QK_OK;
}

QKRESULT SdlHostWindow::GetClientRect(RectL& rect)
{
    if (!m_window)
        return QK_E_FAIL;
    if (m_width >= 0 && m_height >= 0)
        rect = {0, 0, m_width, m_height};
    return QK_OK;
}

QKRESULT SdlHostWindow::ScreenToClient(PointL& point)
{
    if (!m_window)
        return QK_E_FAIL;
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(m_window.Get(), &x, &y);
    point = {point.x - x, point.y - y};
    return QK_OK;
}

QKRESULT SdlHostWindow::ClientToScreen(PointL& point)
{
    if (!m_window)
        return QK_E_FAIL;
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(m_window.Get(), &x, &y);
    point = {point.x + x, point.y + y};
    return QK_OK;
}

QKRESULT SdlHostWindow::SetWindowRect(const RectL& rect)
{
    return MoveWindow(rect);
}

bool SdlHostWindow::Show(std::int32_t command)
{
    if (!m_window)
        return false;
    const bool wasVisible = (SDL_GetWindowFlags(m_window.Get()) & SDL_WINDOW_SHOWN) != 0;
    switch (command)
    {
    case 0:
        SDL_HideWindow(m_window.Get());
        break;
    case 3:
        SDL_ShowWindow(m_window.Get());
        SDL_MaximizeWindow(m_window.Get());
        break;
    case 6:
        SDL_MinimizeWindow(m_window.Get());
        break;
    case 9:
        SDL_RestoreWindow(m_window.Get());
        SDL_ShowWindow(m_window.Get());
        break;
    default:
        SDL_ShowWindow(m_window.Get());
        if (command == 1 || command == 5)
            Activate();
        break;
    }
    InvalidateAll();
    return wasVisible;
}

QKRESULT SdlHostWindow::Redraw()
{
    if (!m_window)
        return QK_E_FAIL;
    InvalidateAll();
    PaintIfNeeded();
    return QK_OK;
}

QKRESULT SdlHostWindow::BringToTop()
{
    if (!m_window)
        return QK_E_FAIL;
    SDL_RaiseWindow(m_window.Get());
    return QK_OK;
}

QKRESULT SdlHostWindow::SetTopMost(bool topMost)
{
    if (!m_window)
        return QK_E_FAIL;
    SDL_SetWindowAlwaysOnTop(m_window.Get(), topMost ? SDL_TRUE : SDL_FALSE);
    return QK_OK;
}

QKRESULT SdlHostWindow::EndModal(std::int32_t result)
{
    if (m_inModalLoop)
    {
        m_modalResult = result;
        m_modalDone = true;
        return QK_OK;
    }
    Destroy();
    return QK_OK;
}

std::int32_t SdlHostWindow::RunModalLoop()
{
    m_inModalLoop = true;
    m_modalDone = false;
    auto* owner = dynamic_cast<SdlHostWindow*>(m_owner);
    const bool ownerWasEnabled = owner && owner->IsEnabled();
    if (ownerWasEnabled)
        owner->SetEnabled(false);
    m_enabled = true;
    if (m_window && !(SDL_GetWindowFlags(m_window.Get()) & SDL_WINDOW_SHOWN))
        Show(5);

    IHostAppServices* app = GetHostAppServices();
    std::int32_t result = -1;
    while (!m_modalDone && !m_destroyed && !m_system.IsQuitPosted())
    {
        m_system.WaitAndDispatch(33);
        for (std::int32_t count = 0; app && !m_modalDone && !m_destroyed && app->OnIdle(count); ++count)
        {
        }
    }
    if (m_modalDone)
        result = m_modalResult;
    m_inModalLoop = false;
    if (ownerWasEnabled && owner && !owner->IsDestroyed())
    {
        owner->SetEnabled(true);
        if (IsActive())
            owner->Activate();
    }
    Destroy();
    return result;
}

bool SdlHostWindow::IsActive()
{
    return m_window && m_system.GetActiveWindowId() == m_id;
}

QKRESULT SdlHostWindow::SetFocus()
{
    if (!m_window)
        return QK_E_FAIL;
    Activate();
    return QK_OK;
}

std::intptr_t SdlHostWindow::SetCursor(std::intptr_t cursor)
{
    const std::intptr_t previous = m_system.GetLastCursor();
    if (cursor != previous)
    {
        m_system.SetLastCursor(cursor);
        if (cursor > 0xFFFF)
            SDL_SetCursor(reinterpret_cast<SDL_Cursor*>(cursor));
    }
    return previous;
}

PointL SdlHostWindow::GetCursorPosition()
{
    // While the pointer is over the window (or captured) the last event's point is where it
    // is for the input being handled; asking the X server would answer the present, which
    // may be ahead of the queue or, for events pushed by a test, elsewhere.
    if (!m_captured && !m_pointerInside && m_window)
    {
        int x = 0;
        int y = 0;
        SDL_GetGlobalMouseState(&x, &y);
        PointL point{x, y};
        ScreenToClient(point);
        m_lastPoint = point;
    }
    return m_lastPoint;
}

std::uint32_t SdlHostWindow::GetMouseButtonState()
{
    if (!m_captured && !m_pointerInside)
    {
        const Uint32 state = SDL_GetGlobalMouseState(nullptr, nullptr);
        m_buttonBits = ((state & SDL_BUTTON_LMASK) ? 1u : 0u) | ((state & SDL_BUTTON_MMASK) ? 2u : 0u) |
                       ((state & SDL_BUTTON_RMASK) ? 4u : 0u);
    }
    return m_buttonBits;
}

// --- Events --------------------------------------------------------------------------------

void SdlHostWindow::Activate()
{
    if (!m_window || IsActive())
        return;
    SDL_RaiseWindow(m_window.Get());
    SDL_SetWindowInputFocus(m_window.Get());
    BecomeActive();
}

void SdlHostWindow::BecomeActive()
{
    if (!m_window || IsActive())
        return;
    const std::uint32_t previous = m_system.GetActiveWindowId();
    m_system.SetActiveWindowId(m_id);
    if (SdlHostWindow* other = m_system.FindWindow(previous))
        if (other->m_root)
            other->m_root->OnKillFocus();
    if (m_root)
        m_root->OnActivate();
}

void SdlHostWindow::HandleEvent(const SDL_Event& event)
{
    if (m_destroyed)
        return;
    switch (event.type)
    {
    case SDL_WINDOWEVENT:
        OnWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (m_enabled)
            OnKey(event.key);
        break;
    case SDL_TEXTINPUT:
        if (m_enabled)
            OnText(event.text);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        if (m_enabled)
            OnButton(event.button);
        break;
    case SDL_MOUSEMOTION:
        if (m_enabled)
            OnMove(event.motion);
        break;
    case SDL_MOUSEWHEEL:
        if (m_enabled)
            OnWheel(event.wheel);
        break;
    case SDL_DROPBEGIN:
        m_droppedFiles.RemoveAll();
        break;
    case SDL_DROPFILE:
        if (event.drop.file)
        {
            m_droppedFiles.Add(WString(event.drop.file));
            SDL_free(event.drop.file);
        }
        break;
    case SDL_DROPCOMPLETE:
        if (m_root && m_enabled && m_droppedFiles.GetCount() > 0)
        {
            m_root->OnFilesDropped(m_droppedFiles);
            if (m_root->CanAcceptDropAt(GetCursorPosition()))
                m_root->DropFiles();
            else
                m_root->CancelDrop();
        }
        m_droppedFiles.RemoveAll();
        break;
    default:
        break;
    }
}

void SdlHostWindow::OnWindowEvent(const SDL_WindowEvent& event)
{
    switch (event.event)
    {
    case SDL_WINDOWEVENT_CLOSE:
        if (m_enabled)
            RequestSystemClose();
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        // Only noted: asking for the focus again here would answer a stale notice of one
        // window with a request that the other window's notice answers in turn, for ever.
        BecomeActive();
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (IsActive())
        {
            m_system.SetActiveWindowId(0);
            ReleaseCapture();
            if (m_root)
                m_root->OnKillFocus();
        }
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (event.data1 == m_echoWidth && event.data2 == m_echoHeight)
        {
            m_echoWidth = m_echoHeight = -1;
            break;
        }
        OnSized(event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_LEAVE:
        m_pointerInside = false;
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        // The window's surface still holds the last picture whole once one has been painted
        // at this size: showing it again costs a copy, not a paint of every control (the
        // first frame after the window maps is exposed at once).
        if (m_surfaceWhole && m_renderer && m_renderer->GetRendererType() != kRendererOpenGL &&
            SDL_UpdateWindowSurface(m_window.Get()) == 0)
            break;
        if (m_root)
            m_root->MarkFullRepaint();
        InvalidateAll();
        break;
    default:
        break;
    }
}

void SdlHostWindow::ConstrainClientSize(std::int32_t& width, std::int32_t& height)
{
    if (!m_root)
        return;
    LongPair size{width, height};
    if (m_root->Resize(size) == 1)
    {
        width = size.first;
        height = size.second;
    }
}

void SdlHostWindow::SetClientSize(std::int32_t width, std::int32_t height)
{
    ConstrainClientSize(width, height);
    if (!m_window || (width == m_width && height == m_height))
        return;
    m_echoWidth = width;
    m_echoHeight = height;
    SDL_SetWindowSize(m_window.Get(), width, height);
    m_width = width;
    m_height = height;
    m_surfaceWhole = false;
    if (m_root)
    {
        m_root->OnHostSized({width, height});
        m_root->MarkFullRepaint();
    }
    if (m_context)
        m_context->SetViewport({0, 0, width, height});
    InvalidateAll();
}

void SdlHostWindow::OnSized(std::int32_t width, std::int32_t height)
{
    m_width = width;
    m_height = height;
    m_surfaceWhole = false;
    if (m_root)
    {
        m_root->OnHostSized({width, height});
        m_root->MarkFullRepaint();
    }
    std::int32_t constrainedWidth = width;
    std::int32_t constrainedHeight = height;
    ConstrainClientSize(constrainedWidth, constrainedHeight);
    if (constrainedWidth != width || constrainedHeight != height)
        SetClientSize(constrainedWidth, constrainedHeight);
    if (m_context)
        m_context->SetViewport({0, 0, m_width, m_height});
    InvalidateAll();
}

// Keys from the window leave the stay-inside flag of LKeyParam clear, so Tab and Shift+Tab
// walk every tab stop of the window in reading order and leave a container at its ends. Set,
// the flag would trap Tab inside the first container it met: a number field with its slider,
// a favorite's SEND and REC. The flag stays for callers that want a walk kept inside.
void SdlHostWindow::OnKey(const SDL_KeyboardEvent& event)
{
    if (!m_root)
        return;
    const std::uint32_t virtualKey = VirtualKeyFromSdl(event.keysym.sym, event.keysym.scancode);
    const std::uint32_t modifiers = KeyModifiersFromSdl(event.keysym.mod);
    if (virtualKey != 0)
        m_root->DeliverKey(LKeyParam::Create(KeyCodeFromSdl(event)).Get());
    else if ((modifiers & KeyCode::kFlagCtrl) && (modifiers & KeyCode::kFlagAlt))
        m_root->DeliverKey(LKeyParam::Create(KeyCode(0, modifiers)).Get());
    if (event.type == SDL_KEYDOWN && !m_destroyed)
        if (const char16_t character = SynthesizedCharacter(virtualKey, event.keysym.mod))
            DeliverCharacter(character, event.keysym.mod);
}

void SdlHostWindow::DeliverCharacter(char16_t character, std::uint16_t mod)
{
    if (!m_root || (mod & KMOD_GUI))
        return;
    const std::uint32_t modifiers =
        ((mod & KMOD_SHIFT) ? 8u : 0u) | ((mod & KMOD_CTRL) ? 1u : 0u) | ((mod & KMOD_ALT) ? 64u : 0u);
    m_root->DeliverKey(LKeyParam::Create(KeyCode(character, modifiers)).Get());
}

void SdlHostWindow::OnText(const SDL_TextInputEvent& event)
{
    const WString text(event.text);
    const std::uint16_t mod = static_cast<std::uint16_t>(SDL_GetModState());
    for (std::uint32_t i = 0; i < text.GetLength() && !m_destroyed; ++i)
        DeliverCharacter(text.GetString()[i], mod);
}

void SdlHostWindow::OnButton(const SDL_MouseButtonEvent& event)
{
    const std::uint32_t bit = ButtonBitFromSdl(event.button);
    if (bit == 0)
        return;
    const PointL point{event.x, event.y};
    const std::uint32_t modifiers = MouseModifiersFromSdl(static_cast<std::uint16_t>(SDL_GetModState()));
    if (event.type == SDL_MOUSEBUTTONDOWN)
    {
        // Nothing activates a window without a window manager: the click does.
        if (!IsActive())
            Activate();
        m_lastPoint = point;
        m_pointerInside = true;
        if (m_root && !m_root->GetFocusedControl())
            SetFocus();
        m_buttonBits |= bit;
        if (!m_root)
            return;
        if (m_pressCount++ == 0 && !m_captured)
        {
            SDL_CaptureMouse(SDL_TRUE);
            m_captured = true;
        }
        const bool doubleClick = event.clicks >= 2 && event.clicks % 2 == 0;
        m_root->OnMouseButton(doubleClick ? IHostedRootWindow::kButtonDoubleClick : IHostedRootWindow::kButtonDown, bit,
                              modifiers, m_lastPoint);
        return;
    }
    m_buttonBits &= ~bit;
    m_lastPoint = point;
    if (!m_root)
        return;
    const bool outside = point.x < 0 || point.y < 0 || point.x >= m_width || point.y >= m_height;
    m_pointerInside = !outside;
    if (outside && m_buttonBits == 0 && m_pressCount != 0)
    {
        m_pressCount = 0;
        m_captured = false;
        m_root->OnMouseButton(IHostedRootWindow::kButtonUp, bit, modifiers, point);
        SDL_CaptureMouse(SDL_FALSE);
        return;
    }
    if (m_buttonBits == 0)
    {
        m_pressCount = 0;
        ReleaseCapture();
    }
    m_root->OnMouseButton(IHostedRootWindow::kButtonUp, bit, modifiers, point);
}

void SdlHostWindow::OnMove(const SDL_MouseMotionEvent& event)
{
    const PointL point{event.x, event.y};
    const bool outside = point.x < 0 || point.y < 0 || point.x >= m_width || point.y >= m_height;
    if (m_captured && m_buttonBits == 0 && outside)
        ReleaseCapture();
    m_lastPoint = point;
    m_pointerInside = !outside;
    if (m_root)
        m_root->OnMouseMove(point, MouseModifiersFromSdl(static_cast<std::uint16_t>(SDL_GetModState())));
}

void SdlHostWindow::OnWheel(const SDL_MouseWheelEvent& event)
{
    std::int32_t vertical = 0;
    std::int32_t horizontal = 0;
    WheelDeltaFromSdl(event, vertical, horizontal);
    const std::uint32_t modifiers = MouseModifiersFromSdl(static_cast<std::uint16_t>(SDL_GetModState()));
    for (const bool isHorizontal : {false, true})
    {
        const std::int32_t delta = isHorizontal ? horizontal : vertical;
        std::int32_t direction = 0;
        if (delta == 0 || !m_wheel.Add(delta, isHorizontal, direction))
            continue;
        m_lastPoint = {event.mouseX, event.mouseY};
        if (m_root)
            m_root->OnMouseWheel(m_lastPoint, modifiers, direction);
    }
}

void SdlHostWindow::ReleaseCapture()
{
    if (!m_captured)
        return;
    m_captured = false;
    SDL_CaptureMouse(SDL_FALSE);
}

// --- Painting ------------------------------------------------------------------------------

bool SdlHostWindow::PaintIfNeeded()
{
    if (!m_root || !m_renderer || !m_context || m_destroyed)
        return false;
    RectRegion pending;
    m_root->TakeUpdateRegion(pending);
    if (pending.IsEmpty() && m_update.IsEmpty())
        return false;
    RectRegion& region = m_context->GetRegion();
    region.Clear();
    AddRegion(region, pending);
    AddRegion(region, m_update);
    m_update.Clear();
    const bool whole = m_wholeUpdatePending;
    m_wholeUpdatePending = false;
    AddRegion(pending, region);
    m_renderer->RenderStart(m_context);
    m_root->Paint(region);
    const bool shown = (SDL_GetWindowFlags(m_window.Get()) & SDL_WINDOW_SHOWN) != 0;
    const bool firstFrame = m_isMainClass && !m_framePresented && shown;
    // Drawn but not yet shown: what the first frame takes after this is the display
    // server's copy of the picture.
    if (firstFrame)
        NoteStartupPhase("frame-drawn");
    m_renderer->RenderFinish(m_context);
    if (whole && shown)
        m_surfaceWhole = true;
    if (firstFrame)
    {
        m_framePresented = true;
        NoteStartupPhase("first-frame");
    }
    return true;
}

bool SdlHostWindow::ReadSurface(std::vector<std::uint32_t>& pixels, std::int32_t& width, std::int32_t& height) const
{
    return ReadSdlWindowSurface(m_window.Get(), pixels, width, height);
}

std::uintptr_t SdlHostWindow::GetXWindow() const
{
    return GetX11Window(m_window.Get());
}

// --- The window system ---------------------------------------------------------------------

SdlWindowSystem::SdlWindowSystem()
{
    SetDesktopMessageService(&m_desktopBox);
}

SdlWindowSystem::~SdlWindowSystem()
{
    SetDesktopMessageService(nullptr);
    DestroyAll();
    for (const auto& entry : m_cursors)
        SDL_FreeCursor(entry.second);
}

bool SdlWindowSystem::StartVideo(std::string* error)
{
    if (m_videoStarted)
        return true;
    if (!HasDisplay())
    {
        if (error)
            *error = "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
        if (m_displayFailure.empty())
            m_displayFailure = DescribeDisplayFailure("");
        return false;
    }
    // A desktop's display or none: SDL would otherwise fall back on a driver that shows
    // nothing to anybody (a display that does not answer would leave an editor running that
    // nobody can see). A driver the person names is theirs.
    if (!std::getenv("SDL_VIDEODRIVER"))
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11,wayland");
    // The window manager's close of the last window is a window event like any other.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // SIGTERM and SIGINT are the shell's to handle (SessionEnd.h), with SIGHUP.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    // An editor left open must not keep the screen awake: SDL's default, made for games,
    // holds off the screen saver for as long as video runs.
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // The software renderer's pictures go straight to the window's own surface. SDL would
    // otherwise put an OpenGL texture behind the surface, and to get one it destroys and
    // remakes the X window on the first present, losing whatever input was on its way.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        const std::string reason = SDL_GetError();
        if (error)
            *error = "SDL video could not start: " + reason;
        if (m_displayFailure.empty())
            m_displayFailure = DescribeDisplayFailure("SDL: " + reason);
        return false;
    }
    // Once connected, the display's loss ends the program as a session end does.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && std::strcmp(driver, "x11") == 0)
        WatchDisplayConnection();
    SDL_EventState(SDL_DROPFILE, SDL_ENABLE);
    m_videoStarted = true;
    return true;
}

void SdlWindowSystem::Open()
{
    // SDL's video start connects to the session bus for the input method, and libdbus forks
    // to autolaunch a bus when the session has none.
    if (HasDisplay())
        StartVideo();
}

IHostWindow* SdlWindowSystem::CreateHostWindow(const HostWindowRequest& request)
{
    if (!StartVideo())
        return nullptr;
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (request.style & kStyleThickFrame)
        flags |= SDL_WINDOW_RESIZABLE;
    const std::int32_t width = std::max(1, request.rect.width);
    const std::int32_t height = std::max(1, request.rect.height);
    SDL_Window* window = SDL_CreateWindow(NString(request.title.GetString()).GetString(), request.rect.x,
                                          request.rect.y, width, height, flags);
    if (!window)
        return nullptr;
    m_windows.push_back(std::make_unique<SdlHostWindow>(*this, request, window));
    return m_windows.back().get();
}

void SdlWindowSystem::Dispatch(const SDL_Event& event)
{
    std::uint32_t id = 0;
    switch (event.type)
    {
    case SDL_QUIT:
        if (IHostAppServices* app = GetHostAppServices())
            app->RequestExit();
        return;
    case SDL_WINDOWEVENT:
        id = event.window.windowID;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        id = event.key.windowID;
        break;
    case SDL_TEXTINPUT:
        id = event.text.windowID;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        id = event.button.windowID;
        break;
    case SDL_MOUSEMOTION:
        id = event.motion.windowID;
        break;
    case SDL_MOUSEWHEEL:
        id = event.wheel.windowID;
        break;
    case SDL_DROPBEGIN:
    case SDL_DROPFILE:
    case SDL_DROPCOMPLETE:
        id = event.drop.windowID;
        break;
    default:
        return;
    }
    // Keys go to the window the application holds active when SDL names none.
    if (id == 0 && (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP || event.type == SDL_TEXTINPUT))
        id = m_activeWindow;
    if (SdlHostWindow* window = FindWindow(id))
        window->HandleEvent(event);
    else if (event.type == SDL_DROPFILE)
        SDL_free(event.drop.file);
}

void SdlWindowSystem::WaitAndDispatch(std::uint32_t timeoutMs)
{
    // A signal that asks the program to end is answered as the window's close button is.
    if (ClaimSessionEndRequest())
        if (IHostAppServices* app = GetHostAppServices())
            app->RequestExit();
    PaintAll();
    SDL_Event event;
    if (m_videoStarted && SDL_WaitEventTimeout(&event, static_cast<int>(timeoutMs)) != 0)
    {
        do
        {
            Dispatch(event);
            // A press is on screen before the events after it are handled: a release that
            // starts a long exchange finds the pressed look already shown.
            if (event.type == SDL_MOUSEBUTTONDOWN)
                PaintAll();
        } while (SDL_PollEvent(&event) != 0);
    }
    PaintAll();
    DeleteDestroyed();
}

void SdlWindowSystem::PaintWithoutInput()
{
    if (!m_videoStarted)
        return;
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_KEYDOWN, SDL_MOUSEWHEEL);
    SDL_FlushEvents(SDL_FINGERDOWN, SDL_MULTIGESTURE);
    SDL_FlushEvents(SDL_DROPFILE, SDL_DROPCOMPLETE);
    SDL_Event event;
    std::vector<SDL_Event> closes;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT) == 1)
    {
        // Like a disabled window, none answers its close button meanwhile; the close waits
        // for the loop, as the session's quit does.
        if (event.window.event == SDL_WINDOWEVENT_CLOSE)
        {
            closes.push_back(event);
            continue;
        }
        // Focus changes are not input: they must reach the windows or the active window
        // would be wrong once the dialog is gone.
        Dispatch(event);
    }
    for (SDL_Event& close : closes)
        SDL_PushEvent(&close);
    // Windows destroyed meanwhile are deleted by the loop: a handler of theirs may be what
    // waits here.
    PaintAll();
}

bool SdlWindowSystem::HasPendingEvents()
{
    if (!m_videoStarted)
        return false;
    SDL_PumpEvents();
    return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0;
}

void SdlWindowSystem::PaintAll()
{
    for (std::size_t i = 0; i < m_windows.size(); ++i)
        m_windows[i]->PaintIfNeeded();
}

void SdlWindowSystem::DeleteDestroyed()
{
    // A window's destruction may run code that asks for the list again.
    std::vector<std::unique_ptr<SdlHostWindow>> destroyed;
    for (auto it = m_windows.begin(); it != m_windows.end();)
        if ((*it)->IsDestroyed())
        {
            destroyed.push_back(std::move(*it));
            it = m_windows.erase(it);
        }
        else
            ++it;
}

void SdlWindowSystem::DestroyAll()
{
    for (std::size_t i = m_windows.size(); i > 0; --i)
        if (i <= m_windows.size())
            m_windows[i - 1]->Destroy();
    DeleteDestroyed();
}

SdlHostWindow* SdlWindowSystem::FindWindow(std::uint32_t id) const
{
    if (id == 0)
        return nullptr;
    for (const auto& window : m_windows)
        if (window->GetId() == id && !window->IsDestroyed())
            return window.get();
    return nullptr;
}

RectL SdlWindowSystem::GetWorkArea() const
{
    SDL_Rect rect{0, 0, 0, 0};
    if (!m_videoStarted || SDL_GetDisplayUsableBounds(0, &rect) != 0)
        return GetDesktopRect();
    return {rect.x, rect.y, rect.w, rect.h};
}

RectL SdlWindowSystem::GetDesktopRect() const
{
    SDL_Rect rect{0, 0, 0, 0};
    if (!m_videoStarted || SDL_GetDisplayBounds(0, &rect) != 0)
        return {0, 0, 0, 0};
    return {rect.x, rect.y, rect.w, rect.h};
}

PointL SdlWindowSystem::GetCursorPos() const
{
    int x = 0;
    int y = 0;
    if (m_videoStarted)
        SDL_GetGlobalMouseState(&x, &y);
    return {x, y};
}

QKRESULT SdlWindowSystem::SetCursorPos(std::int32_t x, std::int32_t y)
{
    if (!m_videoStarted || SDL_WarpMouseGlobal(x, y) != 0)
        return QK_E_FAIL;
    return QK_OK;
}

bool SdlWindowSystem::IsKeyDown(std::uint32_t virtualKey) const
{
    if (!m_videoStarted)
        return false;
    const SDL_Keymod mod = SDL_GetModState();
    switch (virtualKey)
    {
    case 0x01:
        return (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_LMASK) != 0;
    case 0x02:
        return (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_RMASK) != 0;
    case 0x04:
        return (SDL_GetGlobalMouseState(nullptr, nullptr) & SDL_BUTTON_MMASK) != 0;
    case 0x10:
        return (mod & KMOD_SHIFT) != 0;
    case 0x11:
        return (mod & KMOD_CTRL) != 0;
    case 0x12:
        return (mod & KMOD_ALT) != 0;
    case 0x5B:
        return (mod & KMOD_LGUI) != 0;
    case 0x5C:
        return (mod & KMOD_RGUI) != 0;
    default:
        break;
    }
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    for (int scancode = 0; keys && scancode < count; ++scancode)
        if (keys[scancode] &&
            VirtualKeyFromSdl(SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode)),
                              static_cast<SDL_Scancode>(scancode)) == virtualKey)
            return true;
    return false;
}

bool SdlWindowSystem::IsKeyToggled(std::uint32_t virtualKey) const
{
    if (!m_videoStarted)
        return false;
    static constexpr struct
    {
        std::uint32_t virtualKey;
        const char* indicator;
        SDL_Keymod mod;
    } kLocks[] = {{0x14, "Caps Lock", KMOD_CAPS}, {0x90, "Num Lock", KMOD_NUM}, {0x91, "Scroll Lock", KMOD_SCROLL}};
    for (const auto& lock : kLocks)
    {
        if (lock.virtualKey != virtualKey)
            continue;
        // The lock's light, as the X server keeps it: SDL's own record of the locks is set
        // from the modifiers of the server before a lock key's press and then turned by that
        // press, so it can say the opposite.
        SdlHostWindow* window = FindWindow(m_activeWindow);
        for (std::size_t i = 0; !window && i < m_windows.size(); ++i)
            if (!m_windows[i]->IsDestroyed())
                window = m_windows[i].get();
        const int light = GetX11Indicator(window ? window->GetSdlWindow() : nullptr, lock.indicator);
        if (light >= 0)
            return light == 1;
        return (SDL_GetModState() & lock.mod) != 0;
    }
    return false;
}

void SdlWindowSystem::GetLocalTime(LocalTimeFields& fields) const
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    fields.year = local.tm_year + 1900;
    fields.month = local.tm_mon + 1;
    fields.dayOfWeek = local.tm_wday;
    fields.day = local.tm_mday;
    fields.hour = local.tm_hour;
    fields.minute = local.tm_min;
    fields.second = local.tm_sec;
    fields.milliseconds = static_cast<std::int32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
}

std::int32_t SdlWindowSystem::ShowCursor(bool show)
{
    m_cursorCount += show ? 1 : -1;
    if (m_videoStarted)
        SDL_ShowCursor(m_cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return m_cursorCount;
}

std::intptr_t SdlWindowSystem::GetSystemCursor(std::uint32_t id)
{
    static constexpr struct
    {
        std::uint32_t id;
        SDL_SystemCursor cursor;
    } kCursors[] = {
        {32512, SDL_SYSTEM_CURSOR_ARROW},    {32513, SDL_SYSTEM_CURSOR_IBEAM},    {32514, SDL_SYSTEM_CURSOR_WAIT},
        {32515, SDL_SYSTEM_CURSOR_CROSSHAIR}, {32516, SDL_SYSTEM_CURSOR_ARROW},   {32642, SDL_SYSTEM_CURSOR_SIZENWSE},
        {32643, SDL_SYSTEM_CURSOR_SIZENESW}, {32644, SDL_SYSTEM_CURSOR_SIZEWE},   {32645, SDL_SYSTEM_CURSOR_SIZENS},
        {32646, SDL_SYSTEM_CURSOR_SIZEALL},  {32648, SDL_SYSTEM_CURSOR_NO},       {32649, SDL_SYSTEM_CURSOR_HAND},
        {32650, SDL_SYSTEM_CURSOR_WAITARROW}, {32651, SDL_SYSTEM_CURSOR_ARROW},
    };
    // Without video the cursor is only a number, still distinct per kind.
    if (!m_videoStarted)
        return static_cast<std::intptr_t>(id);
    const auto found = m_cursors.find(id);
    if (found != m_cursors.end())
        return reinterpret_cast<std::intptr_t>(found->second);
    SDL_SystemCursor kind = SDL_SYSTEM_CURSOR_ARROW;
    for (const auto& entry : kCursors)
        if (entry.id == id)
            kind = entry.cursor;
    SDL_Cursor* cursor = SDL_CreateSystemCursor(kind);
    if (!cursor)
        return static_cast<std::intptr_t>(id);
    m_cursors[id] = cursor;
    return reinterpret_cast<std::intptr_t>(cursor);
}

std::intptr_t SdlWindowSystem::GetImageCursor(std::uint32_t id, std::span<const std::uint8_t> png, PointL hotSpot)
{
    if (png.empty() || !StartVideo())
        return 0;
    const auto found = m_cursors.find(id);
    if (found != m_cursors.end())
        return reinterpret_cast<std::intptr_t>(found->second);
    DecodedImage image;
    if (!DecodePng(png.data(), png.size(), image) || image.width == 0 || image.height == 0)
        return 0;
    // The decoder's straight BGRA is SDL's BGRA32 byte order, which colour cursors take as is.
    UniqueHandle<SdlSurfaceTraits> surface(SDL_CreateRGBSurfaceWithFormatFrom(
        image.pixels.data(), static_cast<int>(image.width), static_cast<int>(image.height), 32,
        static_cast<int>(image.width * 4), SDL_PIXELFORMAT_BGRA32));
    if (!surface)
        return 0;
    const int x = std::clamp(hotSpot.x, 0, static_cast<int>(image.width) - 1);
    const int y = std::clamp(hotSpot.y, 0, static_cast<int>(image.height) - 1);
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface.Get(), x, y);
    if (!cursor)
        return 0;
    m_cursors[id] = cursor;
    return reinterpret_cast<std::intptr_t>(cursor);
}

std::int32_t SdlWindowSystem::GetScreenResolution()
{
    float diagonal = 0.0f, horizontal = 0.0f, vertical = 0.0f;
    if (!StartVideo() || SDL_GetDisplayDPI(0, &diagonal, &horizontal, &vertical) != 0 || !(horizontal >= 1.0f))
        return 0;
    return static_cast<std::int32_t>(horizontal + 0.5f);
}

std::int32_t SdlWindowSystem::ShowMessageBox(IWindowOSServices* owner, const WString& text, const WString& caption,
                                             std::uint32_t flags)
{
    if (IsMessageServiceReplaced())
        GetMessageService().ShowMessage(caption, text, flags & 0xF0);
    else
        ShowDesktopBox(dynamic_cast<SdlHostWindow*>(owner), caption, text, flags & 0xF0);
    return 1;
}

void SdlWindowSystem::DesktopBox::ShowMessage(const WString& caption, const WString& text, std::uint32_t icon)
{
    SdlHostWindow* owner = m_system.FindWindow(m_system.GetActiveWindowId());
    for (const auto& window : m_system.GetWindows())
        if (!owner && !window->IsDestroyed())
            owner = window.get();
    m_system.ShowDesktopBox(owner, caption, text, icon);
}

void SdlWindowSystem::ShowDesktopBox(SdlHostWindow* owner, const WString& caption, const WString& text,
                                     std::uint32_t icon)
{
    // Without a display (none named, or one that cannot be opened), and once the program is
    // asked to end, nobody is there to click OK.
    if (!HasDisplay() || IsSessionEndRequested() || !StartVideo())
    {
        WriteMessageToConsole(caption, text);
        return;
    }
    // As a window that a box on Windows owns, the owner is disabled while the box shows; and
    // as no window may act on a click made meanwhile, not even once the box is gone, the
    // input that arrives for any of them is dropped rather than kept for later. They go on
    // painting.
    const bool disabled = owner && owner->IsEnabled();
    if (disabled)
        owner->SetEnabled(false);
    const bool shown =
        RunDesktopMessageBox(caption, text, icon, owner ? owner->GetXWindow() : 0, [this] { PaintWithoutInput(); });
    PaintWithoutInput();
    if (disabled && !owner->IsDestroyed())
        owner->SetEnabled(true);
    if (!shown)
        WriteMessageToConsole(caption, text);
}

SdlWindowSystem& GetSdlWindowSystem()
{
    // Never destroyed: the windows end with the run that made them (the application's
    // shutdown), never from a static destructor at the process's exit.
    static SdlWindowSystem* const system = new SdlWindowSystem();
    return *system;
}

IWindowSystem& GetPlatformWindowSystem()
{
    return GetSdlWindowSystem();
}

} // namespace QK
