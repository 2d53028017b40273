// LScrollView: a control whose content (its client extent) may be larger than itself.
//
// It keeps the extent (set by the owner, or following the children with
// "AUTO_CLIENT_EXTENT_X" / "AUTO_CLIENT_EXTENT_Y"), the scroll offset of LControl, and up to
// two scroll bars, the children "hBar" and "vBar", with an optional "corner" between them.
// A bar shows only while the content does not fit on its axis; it is hidden by giving it
// (or the corner, whose size the bars follow in the skins) zero thickness, never by its
// visible flag. Bars and offset follow each other: moving a bar scrolls, scrolling moves
// the bars (with the scroll view's own subscription to them suspended, so that the move
// does not come back as a second scroll). The mouse wheel steps a bar.
//
// Panels, dialogs, text boxes and lists derive from it; without bars it is a plain control
// apart from the extent bookkeeping. UI thread only; the three guards are re-entry guards,
// since laying the bars out moves children and offsets, which call back in here.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ObjectBase/Exception.h"

#include <cstdint>
#include <utility>

namespace QK
{

class LScrollbar;

class LScrollView : public LControl
{
public:
    LScrollView(LControl* parent, const WString& name);
    ~LScrollView() override;

    // The create function of a plain scroll view.
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // 1 when both sizes differ from the stored ones by less than 2.220446049250313e-15;
    // else stores them, lays the bars out, sends "NID_CLIENT_EXTENT_CHANGE" and answers 0.
    QKRESULT SetClientExtent(double width, double height);
    const DoublePair& GetClientExtentSize() const { return m_extent; }
    // mode: 0x1 the width follows the children, 0x2 the height; the extras are added. 0.
    QKRESULT SetAutoClientExtent(std::uint32_t mode, std::int32_t extraWidth, std::int32_t extraHeight);
    std::uint32_t GetAutoClientExtent() const { return m_autoMode; }
    // Only stores the mode; the extent is recomputed when next asked for.
    void SetAutoClientExtentMode(std::uint32_t mode) { m_autoMode = mode; }
    // The height added to the children's in the automatic extent.
    std::int32_t GetExtraClientHeight() const { return m_extraHeight; }
    void SetExtraClientHeight(std::int32_t height) { m_extraHeight = height; }
    // 1 in manual mode, else the SetClientExtent result (0 for an unknown mode).
    QKRESULT UpdateClientExtent();
    // 1 when already running, else 0.
    QKRESULT LayoutScrollBars();
    void UpdateScrollBars();
    // The corner's size, or the vertical bar's width and the horizontal bar's height.
    DoublePair GetScrollBarSizes() const;
    // The far edges of the children that are not docked, in whole pixels.
    std::pair<std::int32_t, std::int32_t> GetChildrenExtent() const;
    // A fixed small step of the bars, in pixels (a list sets its item height); 0 for the
    // default, a tenth of a page. Recomputes the bars.
    void SetSmallScrollStep(double pixels);
    double GetSmallScrollStep() const { return m_smallStepPixels; }

    LScrollbar* GetHorizontalBar() const { return m_hBar.Get(); }
    LScrollbar* GetVerticalBar() const { return m_vBar.Get(); }
    // The bar exists, its layout is visible and it has a size.
    static bool IsUsable(const LControl* bar);
    // Scrolls each scroll view around control that shows a bar, the nearest first, by as
    // little as brings the control into what the view shows (its leading edges, when it is
    // larger than that). True when one moved. The keyboard's focus uses it.
    static bool ScrollIntoView(const LControl& control);

    // --- Operations added to LControl's, in slot order --------------------------------------

    virtual void OnClientExtentChanged();
    virtual void OnClientAreaChanged() {}
    // axis: 0 horizontal, 1 vertical.
    virtual void OnScrollBarShownChanged(std::int32_t) {}

    // --- LControl --------------------------------------------------------------------------

    void GetClientRect(RectD& rect) override;
    void OnSizeChanged() override;
    void OnClientInsetsChanged(const PointD& oldOffset, const PointD& newOffset) override;
    void OnChildPlacementChanged(LControl* child) override;
    void GetLayoutSize(DoublePair& size) override;
    QKRESULT SetScrollOffset(const PointD& offset) override;
    RectD GetClientExtent() const override;
    RectD GetChildClientRect(LControl* child) override;
    void OnChildrenChanged(LControl* child, std::int32_t index) override;
    QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor) override;
    QKRESULT OnMouseWheel(const LMouseWheelParam* wheel) override;
    QKRESULT OnMouseHWheel(const LMouseWheelParam* wheel) override;
    QKRESULT Initialize() override;
    QKRESULT ApplyCreateParam() override;
    void GetClientInsets(RectD& insets) override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

protected:
    QKRESULT OnScrollBarValueChanged(const ConstRCPtr<LNotificationDistributor>& source,
                                     const ConstRCPtr<LNotification>& notification);

private:
    QKRESULT InitializeScrollBars();
    void ShowScrollBar(std::int32_t axis, bool show);
    QKRESULT Wheel(const LMouseWheelParam* wheel, bool horizontalWheel);
    // Width shown of the vertical bar (the corner's when there is one), height of the
    // horizontal one.
    double VerticalBarWidth() const;
    double HorizontalBarHeight() const;

    RCPtr<LNotificationHandler<LScrollView>> m_viewHandlers;
    bool m_inBarLayout = false;
    bool m_inScrollOffsetChange = false;
    bool m_clientRectPending = false;
    RCPtr<LScrollbar> m_hBar;
    RCPtr<LScrollbar> m_vBar;
    RCPtr<LControl> m_corner;
    DoublePair m_extent{0.0, 0.0};
    double m_vBarThickness = 0.0;
    double m_hBarThickness = 0.0;
    std::uint32_t m_autoMode = 0;
    std::int32_t m_extraWidth = 0;
    std::int32_t m_extraHeight = 0;
    double m_smallStepPixels = 0.0;
    bool m_initializedOnce = false;
};

} // namespace QK
