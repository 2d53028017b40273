// IHostedRootWindow: the root window of a control tree as its host window drives it. The
// host hands it the window's input (keys, buttons, moves, the wheel, dropped files), its size,
// activation and close requests, and asks it for the area to paint and to paint it; what the
// root window asks of the host in turn is IWindowOSServices.
//
// The host never makes one itself: the application's factory (IHostAppServices) does, so the
// host knows nothing of the root window's class. Every call comes on the UI thread.
#pragma once

#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include <cstdint>

namespace QK
{

class IWindowOSServices;
class LKeyParam;
class RectRegion;

class IHostedRootWindow : public IRootWindow
{
public:
    // Mouse-button event kinds.
    static constexpr std::int32_t kButtonDown = 0;
    static constexpr std::int32_t kButtonUp = 1;
    static constexpr std::int32_t kButtonDoubleClick = 2;

    // Null: the host is going away; host queries answer their neutral values from then on.
    virtual void SetHost(IWindowOSServices* host) = 0;

    // --- Size and activation ---------------------------------------------------------------

    // Lays the tree out for the proposed client size within the work area and its limits;
    // 1 when size was changed, else 0.
    virtual QKRESULT Resize(LongPair& size) = 0;
    virtual void OnHostSized(const LongPair& size) = 0;
    // The host got the focus (or a click on its frame).
    virtual void OnActivate() = 0;
    virtual void OnKillFocus() = 0;
    // The system close of a window other than the main window.
    virtual QKRESULT OnCloseRequest() = 0;

    // --- Input (client coordinates) ---------------------------------------------------------

    // Hands key at once to the focus control.
    virtual void DeliverKey(LKeyParam* key) = 0;
    // kind: kButtonDown, kButtonUp or kButtonDoubleClick; button: 1 left, 2 middle, 4 right.
    virtual void OnMouseButton(std::int32_t kind, std::uint32_t button, std::uint32_t modifiers, const PointL& point,
                               std::int32_t source = 0) = 0;
    virtual void OnMouseMove(const PointL& point, std::uint32_t modifiers, std::int32_t source = 0) = 0;
    // direction: 0 down, 1 up, 2 left, 3 right.
    virtual void OnMouseWheel(const PointL& point, std::uint32_t modifiers, std::int32_t direction) = 0;

    // --- Dropped files ---------------------------------------------------------------------

    virtual void OnFilesDropped(const StringArray& paths) = 0;
    virtual bool CanAcceptDropAt(const PointL& point) = 0;
    virtual void DropFiles() = 0;
    virtual void CancelDrop() = 0;

    // --- Painting --------------------------------------------------------------------------

    // The next paint covers the whole client area.
    virtual void MarkFullRepaint() = 0;
    // Moves the area waiting to be painted into region.
    virtual void TakeUpdateRegion(RectRegion& region) = 0;
    // Paints the tree where region asks, inside the renderer's current paint.
    virtual void Paint(const RectRegion& region) = 0;
};

} // namespace QK
