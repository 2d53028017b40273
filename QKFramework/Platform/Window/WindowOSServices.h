// IWindowOSServices: what a root window asks of its host window. The window host implements
// it once per window; tests use a recording fake.
//
// Rectangles are {x, y, width, height}, points {x, y}. An operation that needs the window
// answers 0x80004005 when the window is gone; the others answer 0. Every call comes on the
// UI thread.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>

namespace QK
{

class IWindowOSServices
{
public:
    virtual QKRESULT SetTitle(const WString& title) = 0;
    // The whole client area, with erasing.
    virtual QKRESULT InvalidateAll() = 0;
    virtual QKRESULT InvalidateRect(const RectL& rect) = 0;
    // Leaves rect unchanged when the client rectangle is inverted.
    virtual QKRESULT GetClientRect(RectL& rect) = 0;
    virtual QKRESULT ScreenToClient(PointL& point) = 0;
    virtual QKRESULT ClientToScreen(PointL& point) = 0;
    // rect: the wanted client area in screen coordinates.
    virtual QKRESULT SetWindowRect(const RectL& rect) = 0;
    // Answers whether the window was visible.
    virtual bool Show(std::int32_t command) = 0;
    virtual QKRESULT Redraw() = 0;
    virtual QKRESULT BringToTop() = 0;
    virtual QKRESULT SetTopMost(bool topMost) = 0;
    // Inside a modal loop: ends it with result. Otherwise the window is destroyed.
    virtual QKRESULT EndModal(std::int32_t result) = 0;
    // Runs the window modally; answers the result given to EndModal.
    virtual std::int32_t RunModalLoop() = 0;
    virtual bool IsInModalLoop() = 0;
    virtual bool IsActive() = 0;
    virtual bool HasFocus() = 0;
    virtual QKRESULT SetFocus() = 0;
    // Answers the cursor it replaced.
    virtual std::intptr_t SetCursor(std::intptr_t cursor) = 0;
    // Client coordinates.
    virtual PointL GetCursorPosition() = 0;
    // 1 left, 2 middle, 4 right.
    virtual std::uint32_t GetMouseButtonState() = 0;
    virtual std::uintptr_t GetHWND() = 0;
    virtual QKRESULT SetTextCaret(bool on, const PointL& position) = 0;

protected:
    ~IWindowOSServices() = default;
};

} // namespace QK
