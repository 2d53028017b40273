// LToolTip: the small text window that shows a control's tool-tip text near the pointer
// ("Framework.ToolTip").
//
// It is no permanent child: the control base builds a fresh one from the skin's "toolTip"
// sub-control under the control each time a tip is to be shown, hands it the text and calls
// Show; the tip removes itself from its parent when it hides. It waits 500 ms before it
// appears, stays 5000 ms, and appears at once when another tip hid less than 50 ms earlier,
// so that moving across a row of controls shows their tips without a new wait.
//
// The timing runs in OnTimer, on the idle passes of the root window while the tip waits or
// shows, against the application's millisecond clock; differences are taken in wrapping
// 32-bit arithmetic. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlPopups.h"

#include <cstdint>

namespace QK
{

class LToolTip : public LControl, public IToolTipControl
{
public:
    static constexpr std::uint32_t kAppearDelay = 500;
    static constexpr std::uint32_t kDisplayTime = 5000;
    static constexpr std::uint32_t kQuickFollow = 50;
    static constexpr std::int32_t kPointerOffset = 20;
    static constexpr std::int32_t kWidthMargin = 8;

    // States.
    static constexpr std::int32_t kIdle = 0;
    static constexpr std::int32_t kWaiting = 1;
    static constexpr std::int32_t kShown = 2;

    LToolTip(LControl* parent, const WString& name) : LControl(parent, name) {}

    // The create function of "Framework.ToolTip".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // Starts the wait, or shows at once right after another tip hid.
    void Show();
    // IToolTipControl: takes the text, then Show.
    void Show(const WString& text) override;
    // Ends the wait or the display and removes the tip from its parent.
    void Hide() override;

    std::int32_t GetState() const { return m_state; }
    // Forgets when the last tip hid, so that the next one waits (a new session, tests).
    static void ForgetLastHidden();

    // --- LControl --------------------------------------------------------------------------

    bool IsTransparentAtPoint(const PointD&) override { return false; }
    void OnTimer() override;
    QKRESULT ApplyCreateParam() override;
    QKRESULT InitializeParts() override;

private:
    // Puts the tip 20 px below the pointer, inside the root window.
    void Place();
    void Appear();

    std::int32_t m_state = kIdle;
    std::uint32_t m_time = 0;
};

} // namespace QK
