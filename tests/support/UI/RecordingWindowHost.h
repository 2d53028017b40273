// RecordingWindowHost: a host window without a window system, for root-window tests.
//
// Every IWindowOSServices call is written down in calls ("InvalidateRect(0,0,10,10)",
// "SetFocus", "EndModal(3)"); titles, cursors, invalidated rectangles and window rectangles
// are also kept as values. It answers from its fields: the client area is clientRect's size
// at screenOrigin, the pointer is where the last input left it. It keeps the button bits and
// the capture as a real host does, and offers Press / Release / Move / Wheel / Key, which
// reach the root window as the host's message handlers would. Its modal loop runs idle
// periods until EndModal. UI thread only.
#pragma once

#include "QKFramework/Application/RootWindow.h"
#include "QKFramework/Platform/Window/WindowOSServices.h"

#include <cstdint>
#include <string>
#include <vector>

namespace QK::TestSupport
{

class IdleLoop;

class RecordingWindowHost : public IWindowOSServices
{
public:
    QKRESULT SetTitle(const WString& title) override;
    QKRESULT InvalidateAll() override;
    QKRESULT InvalidateRect(const RectL& rect) override;
    QKRESULT GetClientRect(RectL& rect) override;
    QKRESULT ScreenToClient(PointL& point) override;
    QKRESULT ClientToScreen(PointL& point) override;
    // Taken as the new client area at once.
    QKRESULT SetWindowRect(const RectL& rect) override;
    bool Show(std::int32_t command) override;
    QKRESULT Redraw() override;
    QKRESULT BringToTop() override;
    QKRESULT SetTopMost(bool topMost) override;
    QKRESULT EndModal(std::int32_t result) override;
    std::int32_t RunModalLoop() override;
    bool IsInModalLoop() override { return inModalLoop; }
    bool IsActive() override { return active; }
    bool HasFocus() override { return hasFocus; }
    QKRESULT SetFocus() override;
    std::intptr_t SetCursor(std::intptr_t cursor) override;
    PointL GetCursorPosition() override { return lastPoint; }
    std::uint32_t GetMouseButtonState() override { return buttons; }
    std::uintptr_t GetHWND() override { return 0x1234; }
    QKRESULT SetTextCaret(bool on, const PointL& position) override;

    // Input as the host's message handlers deliver it. kind: 0 press, 2 double click.
    void Press(std::uint32_t button, const PointL& point, std::int32_t kind = 0, std::uint32_t modifiers = 0);
    void Release(std::uint32_t button, const PointL& point, std::uint32_t modifiers = 0);
    void Move(const PointL& point, std::uint32_t modifiers = 0);
    void Wheel(const PointL& point, std::int32_t direction, std::uint32_t modifiers = 0);
    // The host's key handler: FromKeyMessage in an LKeyParam, delivered to the root window
    // with the stay-inside flag clear, as the program's window sends keys.
    void Key(std::uint32_t virtualKey, bool down, std::uint32_t modifiers = 0);
    // A control's capture request: refused (0x80004005) for a button not reported down.
    QKRESULT CaptureFor(std::uint32_t button);
    // Forgets what was written down (calls and the recorded values), not the state.
    void ClearRecords();

    std::vector<std::string> calls;
    // The values of SetTitle, SetCursor, InvalidateRect and SetWindowRect, in order. The
    // invalidated rectangles are whole pixels clipped to the client area, as the root window
    // asks for them, in the type controls give their areas in.
    std::vector<std::string> titles;
    std::vector<std::intptr_t> cursors;
    std::vector<RectD> dirty;
    std::vector<RectL> windowRects;

    LRootWindow* root = nullptr;
    IdleLoop* loop = nullptr;
    bool active = true;
    bool hasFocus = true;
    bool inModalLoop = false;
    bool captured = false;
    std::uint32_t buttons = 0;
    std::uint32_t pressCount = 0;
    PointL lastPoint{-1, -1};
    PointL screenOrigin{100, 50};
    RectL clientRect{0, 0, 400, 300};
    std::intptr_t cursor = 0;
    std::int32_t modalResult = 0;
};

} // namespace QK::TestSupport
