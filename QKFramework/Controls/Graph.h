// LGraph: the curve editor ("Framework.Graph"). Its points are child controls made at run
// time from the skin's "pointTemplate" child, named "PointControl<n>" from one process-wide
// counter; the owner sets the axis ranges and the curve style, adds and moves points by
// value and reads the point controls back. The curve is drawn as straight lines through the
// points in list order. Whenever a child has been laid out again (the user dragged a point,
// or the owner moved one), "NID_GRAPH_POINT_MOVED" goes out with that child as argument.
//
// Values map to pixels over the spans of the axes (upper - lower) without subtracting the
// lower bounds, the y axis growing upwards; an axis whose bounds are equal maps every value
// to 0 on it. UI thread only; the point counter and the hot-spot cache are process-wide.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Utilities/Graphics/ColorRGBA.h"

#include <cstdint>

namespace QK
{

class LControlDescriptor;

class LGraph : public LControl
{
public:
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kInitializeSite{"QK::LGraph::Initialize", "Controls\\Graph", 42};
    static constexpr ThrowSite kGetPointControlSite{"QK::LGraph::GetPointControl", "Controls\\Graph", 158};
    static constexpr ThrowSite kSetPointSite{"QK::LGraph::SetPoint", "Controls\\Graph", 212};

    LGraph(LControl* parent, const WString& name);
    ~LGraph() override;

    // The create function of "Framework.Graph".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- LControl --------------------------------------------------------------------------

    void OnChildPlacementChanged(LControl* child) override;
    QKRESULT DrawCustom(LRenderer& renderer) override;
    QKRESULT Initialize() override;
    // A description without a control named "pointTemplate" becomes the point template; a
    // control without a description is described by a copy of the template with its own
    // layout.
    QKRESULT AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor) override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    // --- Own operations --------------------------------------------------------------------

    // colour as 0xAARRGGBB. 0.
    QKRESULT SetCurveStyle(bool drawCurve, std::uint32_t color, float lineWidth);
    // 0.
    QKRESULT SetAxisRanges(double xUpper, double yUpper, double xLower, double yLower);
    // Appends a point: 0, or 0x80004005 without a point template or when the point cannot
    // be made.
    QKRESULT AddPoint(const PointD& value);
    // The index used (an index past the end appends), or 0x80004005 as for AddPoint.
    std::int32_t InsertPoint(std::int32_t index, const PointD& value);
    // 0; a domain error for an index that is not a point's.
    QKRESULT SetPoint(std::int32_t index, const PointD& value);
    ConstRCPtr<LControl> GetPointControl(std::int32_t index) const;
    std::uint32_t GetPointCount() const { return m_points.GetCount(); }
    PointD ValueToPixel(const PointD& value) const;

    const ConstRCPtr<LControlDescriptor>& GetPointTemplate() const { return m_pointTemplate; }
    bool GetDrawCurve() const { return m_drawCurve; }
    const ColorRGBA& GetCurveColor() const { return m_curveColor; }
    float GetLineWidth() const { return m_lineWidth; }

private:
    void PlacePointControl(std::int32_t index, const PointD& value);
    PointD GetPointHotSpot() const;

    RCPtr<LNotificationHandler<LGraph>> m_graphHandlers;
    ConstRCPtr<LControlDescriptor> m_pointTemplate;
    RCPtrArray<LControl> m_points;
    bool m_drawCurve = true;
    ColorRGBA m_curveColor;
    float m_lineWidth = 1.0f;
    double m_xUpper = 1.0;
    double m_yUpper = 1.0;
    double m_xLower = 0.0;
    double m_yLower = 0.0;
};

} // namespace QK
