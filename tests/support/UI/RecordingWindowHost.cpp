#include "tests/support/UI/RecordingWindowHost.h"

#include "tests/support/IdleLoop.h"
#include "tests/support/Recorder.h"

#include <gtest/gtest.h>

namespace QK::TestSupport
{

namespace
{

std::string Rect(const RectL& rect)
{
    return std::to_string(rect.x) + "," + std::to_string(rect.y) + "," + std::to_string(rect.width) + "," +
           std::to_string(rect.height);
}

} // namespace

QKRESULT RecordingWindowHost::SetTitle(const WString& title)
{
    calls.push_back("SetTitle(" + Narrow(title) + ")");
    titles.push_back(Narrow(title));
    return QK_OK;
}

QKRESULT RecordingWindowHost::InvalidateAll()
{
    calls.push_back("InvalidateAll");
    return QK_OK;
}

QKRESULT RecordingWindowHost::InvalidateRect(const RectL& rect)
{
    calls.push_back("InvalidateRect(" + Rect(rect) + ")");
    dirty.push_back(rect.ToRectDouble());
    return QK_OK;
}

QKRESULT RecordingWindowHost::GetClientRect(RectL& rect)
{
    rect = clientRect;
    return QK_OK;
}

QKRESULT RecordingWindowHost::ScreenToClient(PointL& point)
{
    point = {point.x - screenOrigin.x, point.y - screenOrigin.y};
    return QK_OK;
}

QKRESULT RecordingWindowHost::ClientToScreen(PointL& point)
{
    point = {point.x + screenOrigin.x, point.y + screenOrigin.y};
    return QK_OK;
}

QKRESULT RecordingWindowHost::SetWindowRect(const RectL& rect)
{
    calls.push_back("SetWindowRect(" + Rect(rect) + ")");
    windowRects.push_back(rect);
    screenOrigin = {rect.x, rect.y};
    clientRect = {0, 0, rect.width, rect.height};
    return QK_OK;
}

bool RecordingWindowHost::Show(std::int32_t command)
{
    calls.push_back("Show(" + std::to_string(command) + ")");
    return true;
}

QKRESULT RecordingWindowHost::Redraw()
{
    calls.push_back("Redraw");
    return QK_OK;
}

QKRESULT RecordingWindowHost::BringToTop()
{
    calls.push_back("BringToTop");
    return QK_OK;
}

QKRESULT RecordingWindowHost::SetTopMost(bool topMost)
{
    calls.push_back(topMost ? "SetTopMost(true)" : "SetTopMost(false)");
    return QK_OK;
}

QKRESULT RecordingWindowHost::EndModal(std::int32_t result)
{
    calls.push_back("EndModal(" + std::to_string(result) + ")");
    if (inModalLoop)
    {
        inModalLoop = false;
        modalResult = result;
    }
    return QK_OK;
}

std::int32_t RecordingWindowHost::RunModalLoop()
{
    calls.push_back("RunModalLoop");
    inModalLoop = true;
    // Bounded: a close that never comes fails the test instead of hanging it.
    for (int period = 0; inModalLoop && loop && period < 1000; ++period)
        loop->RunIdlePeriod();
    EXPECT_FALSE(inModalLoop) << "the modal loop was never ended";
    inModalLoop = false;
    return modalResult;
}

QKRESULT RecordingWindowHost::SetFocus()
{
    calls.push_back("SetFocus");
    // The window that takes the focus becomes the active one.
    active = true;
    if (!hasFocus)
    {
        hasFocus = true;
        if (root)
            root->OnActivate();
    }
    return QK_OK;
}

std::intptr_t RecordingWindowHost::SetCursor(std::intptr_t next)
{
    calls.push_back("SetCursor(" + std::to_string(next) + ")");
    cursors.push_back(next);
    const std::intptr_t previous = cursor;
    cursor = next;
    return previous;
}

QKRESULT RecordingWindowHost::SetTextCaret(bool on, const PointL& position)
{
    calls.push_back(std::string("SetTextCaret(") + (on ? "on," : "off,") + std::to_string(position.x) + "," +
                    std::to_string(position.y) + ")");
    return QK_OK;
}

void RecordingWindowHost::Press(std::uint32_t button, const PointL& point, std::int32_t kind, std::uint32_t modifiers)
{
    if (root && !root->GetFocusControl())
        SetFocus();
    lastPoint = point;
    buttons |= button;
    if (root && pressCount++ == 0 && !captured)
        captured = true;
    if (root)
        root->OnMouseButton(kind, button, modifiers, point);
}

void RecordingWindowHost::Release(std::uint32_t button, const PointL& point, std::uint32_t modifiers)
{
    buttons &= ~button;
    lastPoint = point;
    if (buttons == 0)
    {
        pressCount = 0;
        captured = false;
    }
    if (root)
        root->OnMouseButton(LRootWindow::kButtonUp, button, modifiers, point);
}

void RecordingWindowHost::Move(const PointL& point, std::uint32_t modifiers)
{
    lastPoint = point;
    if (root)
        root->OnMouseMove(point, modifiers);
}

void RecordingWindowHost::Wheel(const PointL& point, std::int32_t direction, std::uint32_t modifiers)
{
    if (root)
        root->OnMouseWheel(point, modifiers, direction);
}

void RecordingWindowHost::Key(std::uint32_t virtualKey, bool down, std::uint32_t modifiers)
{
    if (!root)
        return;
    // Built as the program's window builds keys: the stay-inside flag clear.
    const RCPtr<LKeyParam> key = LKeyParam::Create(KeyCode::FromKeyMessage(virtualKey, down, !down, modifiers));
    root->DeliverKey(key.Get());
}

QKRESULT RecordingWindowHost::CaptureFor(std::uint32_t button)
{
    return (buttons & button) ? QK_OK : QK_E_FAIL;
}

void RecordingWindowHost::ClearRecords()
{
    calls.clear();
    titles.clear();
    cursors.clear();
    dirty.clear();
    windowRects.clear();
}

} // namespace QK::TestSupport
