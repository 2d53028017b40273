// The event objects that the root window hands to controls and that controls pass on as the
// arguments of "NID_MOUSE_DOWN", "NID_MOUSE_UP", "NID_MOUSE_MOVE" and the key notifications.
//
// LPointParam: a point (plain allocation). LPointWithModifiersParam: a point with modifier
// flags (1 Ctrl, 8 Shift, 64 Alt for mouse events) and the input source (0 from the host
// window). LMouseButtonParam: a press or release with its button (1 left, 2 middle,
// 4 right), double-click flag and the bits of the buttons held. LMouseWheelParam: a wheel
// step, direction 0 vertical toward the user, 1 vertical away, 2 horizontal negative,
// 3 horizontal positive. LKeyParam: a key with the stay-inside flag (set for keys that come
// from the window) and the path of containers the key has passed.
//
// The three mouse classes come from process-wide pools: a released object's block is handed
// out again by the next Create. They are made and released on the UI thread.
#pragma once

#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"
#include "QKFramework/Utilities/Storage/ReuseAllocator.h"

#include <cstdint>

namespace QK
{

class LControl;

class LPointParam : public virtual LRefCountedObject
{
public:
    explicit LPointParam(const PointL& point = {}) : X(point.x), Y(point.y) {}

    static RCPtr<LPointParam> Create(const PointL& point) { return RCPtr<LPointParam>(new LPointParam(point)); }

    PointL GetPoint() const noexcept { return PointL{X, Y}; }

    // "point(%d, %d)".
    WString ToString() const override;

    std::int32_t X;
    std::int32_t Y;
};

class LPointWithModifiersParam : public LPointParam, public ReusePooled<LPointWithModifiersParam, 32, false>
{
public:
    using ReusePooled<LPointWithModifiersParam, 32, false>::operator new;
    using ReusePooled<LPointWithModifiersParam, 32, false>::operator delete;
    using ReusePooled<LPointWithModifiersParam, 32, false>::GetReuseAllocator;

    LPointWithModifiersParam(const PointL& point = {}, std::uint32_t modifiers = 0, std::int32_t source = 0)
        : LPointParam(point), Modifiers(modifiers), Source(source)
    {
    }

    static RCPtr<LPointWithModifiersParam> Create(const PointL& point, std::uint32_t modifiers, std::int32_t source = 0)
    {
        return RCPtr<LPointWithModifiersParam>(new LPointWithModifiersParam(point, modifiers, source));
    }

    // The point text, then "  modifiers: 0x%08x".
    WString ToString() const override;

    std::uint32_t Modifiers;
    std::int32_t Source;
};

class LMouseButtonParam : public LPointWithModifiersParam, public ReusePooled<LMouseButtonParam, 32, false>
{
public:
    using ReusePooled<LMouseButtonParam, 32, false>::operator new;
    using ReusePooled<LMouseButtonParam, 32, false>::operator delete;
    using ReusePooled<LMouseButtonParam, 32, false>::GetReuseAllocator;

    static constexpr std::uint32_t kLeft = 1;
    static constexpr std::uint32_t kMiddle = 2;
    static constexpr std::uint32_t kRight = 4;

    LMouseButtonParam(std::uint32_t button = 0, const PointL& point = {}, std::uint32_t modifiers = 0,
                      bool doubleClick = false, std::uint32_t buttonState = 0, std::int32_t source = 0)
        : LPointWithModifiersParam(point, modifiers, source), Button(button), DoubleClick(doubleClick),
          ButtonState(buttonState)
    {
    }

    static RCPtr<LMouseButtonParam> Create(std::uint32_t button, const PointL& point, std::uint32_t modifiers,
                                           bool doubleClick, std::uint32_t buttonState, std::int32_t source = 0)
    {
        return RCPtr<LMouseButtonParam>(
            new LMouseButtonParam(button, point, modifiers, doubleClick, buttonState, source));
    }

    std::uint32_t Button;
    bool DoubleClick;
    std::uint32_t ButtonState;
};

class LMouseWheelParam : public LPointWithModifiersParam, public ReusePooled<LMouseWheelParam, 4, false>
{
public:
    using ReusePooled<LMouseWheelParam, 4, false>::operator new;
    using ReusePooled<LMouseWheelParam, 4, false>::operator delete;
    using ReusePooled<LMouseWheelParam, 4, false>::GetReuseAllocator;

    static constexpr std::int32_t kTowardUser = 0;
    static constexpr std::int32_t kAwayFromUser = 1;
    static constexpr std::int32_t kHorizontalNegative = 2;
    static constexpr std::int32_t kHorizontalPositive = 3;

    LMouseWheelParam(const PointL& point = {}, std::uint32_t modifiers = 0, std::int32_t direction = 0)
        : LPointWithModifiersParam(point, modifiers, 0), Direction(direction)
    {
    }

    static RCPtr<LMouseWheelParam> Create(const PointL& point, std::uint32_t modifiers, std::int32_t direction)
    {
        return RCPtr<LMouseWheelParam>(new LMouseWheelParam(point, modifiers, direction));
    }

    bool IsHorizontal() const noexcept { return Direction == kHorizontalNegative || Direction == kHorizontalPositive; }

    // The modifiers text, then "  direction: %s" ("down" for direction 0, else "up").
    WString ToString() const override;

    std::int32_t Direction;
};

class LKeyParam : public virtual LRefCountedObject
{
public:
    LKeyParam(const KeyCode& key, bool stayInside);
    ~LKeyParam() override;

    static RCPtr<LKeyParam> Create(const KeyCode& key, bool stayInside = false);

    const KeyCode& GetKeyCode() const noexcept { return Key; }

    // The binding text of the key ("Ctrl+VKEY_C", "[65]").
    WString ToString() const override;

    KeyCode Key;
    // Keeps a Tab walk inside the focused control's container.
    bool StayInside;
    // The containers that passed the key on, in order; the last one is where it comes from.
    RCPtrArray<LControl> Path;
};

} // namespace QK
