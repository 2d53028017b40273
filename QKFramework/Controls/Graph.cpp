#include "QKFramework/Controls/Graph.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Renderer/Renderer.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <algorithm>

namespace QK
{

namespace
{

// Shared by every graph of the process: point names are never reused.
std::int32_t g_pointCounter = 0;
PointD g_pointHotSpot{-1.0, -1.0};

// The curve is drawn in single precision; coordinates are held to its exact integer range.
float CurveCoordinate(double value)
{
    return static_cast<float>(std::clamp(value, -8388608.0, 8388608.0));
}

// The share of the span that value covers; 0 on an axis without a span.
double Fraction(double value, double upper, double lower)
{
    const double span = upper - lower;
    return span != 0.0 ? value / span : 0.0;
}

} // namespace

LGraph::LGraph(LControl* parent, const WString& name) : LControl(parent, name)
{
    m_curveColor.FromARGB(0xFF000000u);
}

LGraph::~LGraph() = default;

RCPtr<LControl> LGraph::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LGraph(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

QKRESULT LGraph::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    m_graphHandlers = LNotificationHandler<LGraph>::Create(this);
    if (!m_graphHandlers)
        ThrowNullPointer(kInitializeSite, "Notification Handler not created.");
    if (const RCPtr<LControl> pointTemplate = FindChild(WString(u"pointTemplate")))
    {
        m_pointTemplate = pointTemplate->GetControlDescriptor();
        pointTemplate->Close();
    }
    return result;
}

QKRESULT LGraph::AttachChild(const RCPtr<LControl>& child, const LControlDescriptor* descriptor)
{
    if (!child)
    {
        if (descriptor && descriptor->Name.IsEqual(u"pointTemplate"))
        {
            // Descriptions are shared and never changed once loaded.
            m_pointTemplate = ConstRCPtr<LControlDescriptor>(const_cast<LControlDescriptor*>(descriptor));
            return QK_OK;
        }
        return QK_E_FAIL;
    }
    if (!descriptor && m_pointTemplate)
    {
        const RCPtr<LControlDescriptor> described = m_pointTemplate->Clone(WString());
        const RCPtr<LLayoutDescriptor>& layout = child->GetLayoutDescriptor();
        described->SetLayout(layout ? layout->Clone() : nullptr);
        return LControl::AttachChild(child, described.Get());
    }
    return LControl::AttachChild(child, descriptor);
}

QKRESULT LGraph::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                     const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LControl>(*this, m_graphHandlers, source, notification);
}

QKRESULT LGraph::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LControl>(*this, m_graphHandlers, source, id);
}

QKRESULT LGraph::SetCurveStyle(bool drawCurve, std::uint32_t color, float lineWidth)
{
    m_drawCurve = drawCurve;
    m_curveColor.FromARGB(color);
    m_lineWidth = lineWidth;
    return QK_OK;
}

QKRESULT LGraph::SetAxisRanges(double xUpper, double yUpper, double xLower, double yLower)
{
    m_xUpper = xUpper;
    m_yUpper = yUpper;
    m_xLower = xLower;
    m_yLower = yLower;
    return QK_OK;
}

QKRESULT LGraph::AddPoint(const PointD& value)
{
    const std::int32_t index = InsertPoint(static_cast<std::int32_t>(m_points.GetCount()), value);
    return index < 0 ? index : QK_OK;
}

std::int32_t LGraph::InsertPoint(std::int32_t index, const PointD& value)
{
    LControlFactory* factory = LControlApp::GetControlFactory();
    if (!m_pointTemplate || !factory)
        return QK_E_FAIL;
    const RCPtr<LControl> self(this);
    const auto count = static_cast<std::int32_t>(m_points.GetCount());
    index = std::clamp(index, 0, count);
    const RCPtr<LLayoutDescriptor> layout = m_pointTemplate->Layout ? m_pointTemplate->Layout->Clone() : nullptr;
    char16_t name[32];
    FormatText(name, 32, u"PointControl%d", ++g_pointCounter);
    const RCPtr<LControlDescriptor> described = LControlDescriptor::CreateCopy(*m_pointTemplate, layout, WString(name));
    const RCPtr<LControl> point = factory->CreateControl(described.Get(), this);
    if (!point)
        return QK_E_FAIL;
    if (m_points.InsertAt(static_cast<std::uint32_t>(index), point) < 0)
        return QK_E_FAIL;
    PlacePointControl(index, value);
    return index;
}

QKRESULT LGraph::SetPoint(std::int32_t index, const PointD& value)
{
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_points.GetCount())
        Throw<std::domain_error>(kSetPointSite);
    PlacePointControl(index, value);
    return QK_OK;
}

ConstRCPtr<LControl> LGraph::GetPointControl(std::int32_t index) const
{
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_points.GetCount())
        Throw<std::domain_error>(kGetPointControlSite);
    return ConstRCPtr<LControl>(m_points.GetAt(static_cast<std::uint32_t>(index))->Get());
}

PointD LGraph::ValueToPixel(const PointD& value) const
{
    const RectD client = GetLookClientRect(-1);
    return PointD{Fraction(value.x, m_xUpper, m_xLower) * client.width,
                  client.height * (1.0 - Fraction(value.y, m_yUpper, m_yLower))};
}

void LGraph::PlacePointControl(std::int32_t index, const PointD& value)
{
    const PointD pixel = ValueToPixel(value);
    const RCPtr<LControl> point = *m_points.GetAt(static_cast<std::uint32_t>(index));
    AxisSpec x;
    AxisSpec y;
    if (const RCPtr<LLayoutDescriptor>& layout = point->GetLayoutDescriptor())
        layout->GetAxisSpecs(x, y);
    x.Position.Abs = pixel.x;
    y.Position.Abs = pixel.y;
    point->SetLayout(x, y);
}

void LGraph::OnChildPlacementChanged(LControl* child)
{
    const RCPtr<LControl> self(this);
    SendNotification(LNotification::Create(u"NID_GRAPH_POINT_MOVED", ConstRCPtr<LRefCountedObject>(child)));
    Invalidate(RectD{0.0, 0.0, GetWidth(), GetHeight()}, true);
}

PointD LGraph::GetPointHotSpot() const
{
    if (g_pointHotSpot.x < 0.0 && m_pointTemplate && m_pointTemplate->Layout)
    {
        const LLayoutDescriptor& layout = *m_pointTemplate->Layout;
        g_pointHotSpot = PointD{layout.X.PlacementAnchor * layout.X.Size.Abs, layout.Y.PlacementAnchor * layout.Y.Size.Abs};
    }
    return PointD{std::max(g_pointHotSpot.x, 0.0), std::max(g_pointHotSpot.y, 0.0)};
}

QKRESULT LGraph::DrawCustom(LRenderer& renderer)
{
    if (!m_drawCurve || m_points.GetCount() < 2)
        return QK_OK;
    const RectD client = GetLookClientRect(-1);
    const PointD hotSpot = GetPointHotSpot();
    const auto curvePoint = [&](std::uint32_t i)
    {
        const RectD& bounds = (*m_points.GetAt(i))->GetBounds();
        return PointF{CurveCoordinate(bounds.x + client.x + hotSpot.x), CurveCoordinate(bounds.y + client.y + hotSpot.y)};
    };
    for (std::uint32_t i = 1; i < m_points.GetCount(); ++i)
        renderer.DrawLine(curvePoint(i - 1), curvePoint(i), m_curveColor, m_lineWidth);
    return QK_OK;
}

} // namespace QK
