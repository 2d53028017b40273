// LSlider: the skinned slider ("Framework.Slider"). A panel whose value, a fraction 0..1
// shown as 0..127 unless an owner sets another range, is moved by a thumb along a straight
// track. Two marker children placed by the skin give the track's ends: "thumbStart" (the
// thumb's place at 0) and "thumbEnd" (at 1); they are hidden once the slider is built. The
// slider makes the moving "thumb" itself from the description of "thumbStart", so one class
// serves horizontal, vertical and slanted tracks.
//
// The value moves by dragging the thumb, by a click on the track (at most the page step
// toward the pointer, never past it), by holding the button on the track (a step 0.3 s after
// the press, then every 0.1 s while the pointer stays over the slider), by the arrow keys
// (one unit of the range, without modifiers) and by the wheel.
//
// Sent: "NID_VALUE_CHANGE" for each change; "NID_VALUE_CHANGE_CAPTURE" with LHolder<bool>
// true and false around a thumb drag; "NID_VALUE_CHANGE_KEY_DOWN" at the first press of an
// arrow key and "NID_VALUE_CHANGE_KEY_UP" at its release (without argument when the focus
// leaves while the key is held). A value set while the thumb is dragged waits for the drag's
// end and is applied there when it lies within 0..1, before the capture notice.
//
// Positions are those of the children, in the slider's client space; integer positions are
// rounded half away from zero. Repeats run from OnTimer on the root window's idle passes,
// with the application clock. UI thread only.
#pragma once

#include "QKFramework/Controls/Panel.h"
#include "QKFramework/ObjectBase/Exception.h"

#include <cstdint>

namespace QK
{

class LSlider : public LPanel
{
public:
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kInitializeSite{"QK::LSlider::Initialize", "Controls\\Slider", 101};

    LSlider(LControl* parent, const WString& name);
    ~LSlider() override;

    // The create function of "Framework.Slider".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to LPanel's, in slot order ------------------------------------------

    // LControl::SetValue with the fraction, then the thumb placed; answers the value.
    virtual double SetSliderValue(double fraction);
    // The value for the thumb's current place.
    virtual void UpdateValueFromThumb();
    // Moves the thumb to the place of the value; nothing while the thumb is dragged.
    virtual void PlaceThumb();
    // The thumb's place on the track for a pointer position (grab offset taken off).
    virtual PointL ConstrainThumbPosition(std::int32_t x, std::int32_t y);
    // Distance from "thumbStart" to the point over the track's length, not clamped; 0.0
    // when the ends coincide or a marker is missing.
    virtual double PositionToFraction(std::int32_t x, std::int32_t y);
    virtual double GetSliderValue() { return GetValue(); }

    // --- LControl ------------------------------------------------------------------------------

    // While the thumb is dragged the value is kept for the drag's end; answers the value.
    double SetValue(double value) override;
    void OnSizeChanged() override;
    void OnConditionsChanged(LConditionsParam* conditions) override;
    QKRESULT OnMouseWheel(const LMouseWheelParam* wheel) override;
    QKRESULT OnMouseHWheel(const LMouseWheelParam* wheel) override;
    void OnLeftClick(const LMouseButtonParam* button) override;
    // Keys of the focused slider.
    QKRESULT WantsKey(LKeyParam* key) override;
    // Keys of a focused child (the thumb) on their way up.
    QKRESULT DispatchKey(LKeyParam* key) override;
    void OnTimer() override;
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;
    QKRESULT AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor) override;
    // A re-skin keeps the thumb, which no skin describes: it is attached again from the new
    // "thumbStart".
    QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor) override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    // --- State ---------------------------------------------------------------------------------

    LControl* GetThumb() const { return m_thumb.Get(); }
    bool IsDragging() const { return m_dragging; }
    bool IsRepeating() const { return m_repeating; }
    bool IsKeyHeld() const { return m_keyHeld; }
    double GetPageStep() const { return m_pageStep; }
    void SetPageStep(double step) { m_pageStep = step; }
    double GetPendingValue() const { return m_pendingValue; }
    void SetApplyPending(bool apply) { m_applyPending = apply; }
    void SetResendAtDragEnd(bool resend) { m_resend = resend; }
    PointL GetThumbAnchor() const { return PointL{m_thumbAnchor[0], m_thumbAnchor[1]}; }

protected:
    // Writes the absolute part of control's layout position on axis (0 X, 1 Y), the rest of
    // its layout as it was, and lays it out again.
    static void SetAbsolutePosition(LControl& control, std::int32_t axis, double position);
    LControl* GetThumbStart() const { return m_thumbStart.Get(); }
    LControl* GetThumbEnd() const { return m_thumbEnd.Get(); }

private:
    QKRESULT OnThumbMove(const ConstRCPtr<LNotificationDistributor>& source,
                         const ConstRCPtr<LNotification>& notification);
    QKRESULT OnThumbDrag(const ConstRCPtr<LNotificationDistributor>& source,
                         const ConstRCPtr<LNotification>& notification);
    // The thumb's layout for a "thumbStart" layout: undocked, no tab stop, placed by its
    // absolute positions alone.
    RCPtr<LLayoutDescriptor> ThumbLayout() const;
    // Writes the absolute X and Y of the thumb's layout.
    void MoveThumbTo(std::int32_t x, std::int32_t y);
    // One step of a click on the track, for a point in the client space.
    void StepTowards(const PointD& point);
    // A point of the control's own coordinates in the client space of its children.
    PointD ToClient(double x, double y) const;
    // The arrow keys: QK_OK when handled, else QK_FALSE.
    QKRESULT HandleArrowKey(LKeyParam* key);

    RCPtr<LNotificationHandler<LSlider>> m_sliderHandlers;
    RCPtr<LControl> m_thumb;
    RCPtr<LControl> m_thumbStart;
    RCPtr<LControl> m_thumbEnd;
    bool m_dragging = false;
    std::int32_t m_grabOffset[2] = {0, 0};
    double m_pageStep = 0.1;
    bool m_repeating = false;
    double m_lastRepeatTime = 0.0;
    double m_repeatCountdown = 0.0;
    double m_pendingValue = -1.0;
    bool m_applyPending = true;
    bool m_resend = false;
    bool m_keyHeld = false;
    std::int32_t m_thumbAnchor[2] = {0, 0};
};

} // namespace QK
