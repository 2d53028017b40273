#include "QKFramework/Controls/Splitter.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDetail.h"

#include <algorithm>
#include <cmath>

namespace QK
{

using namespace ControlDetail;

namespace
{

// Position kind 2 and size kind 3 name a sibling; size kind 2 is an absolute size.
constexpr std::int32_t kNamedPosition = 2;
constexpr std::int32_t kAbsoluteSize = 2;
constexpr std::int32_t kNamedSize = 3;

// Sizes closer than this are the same size.
constexpr double kSizeTolerance = 2.220446049250313e-15;
// A share this small moves nothing that could limit the splitter.
constexpr double kShareTolerance = 1e-9;

const AxisSpec& AxisOf(const LLayoutDescriptor& layout, std::int32_t axis)
{
    return axis == 0 ? layout.X : layout.Y;
}

double Extent(const LControl& control, std::int32_t axis)
{
    return axis == 0 ? control.GetWidth() : control.GetHeight();
}

// The smallest extent the control's layout allows on the axis. A plain minimum is read from
// the layout; one that depends on text or children is found by laying the control out at
// size 0. Laying out is avoided where it can be, since a control emptied for a moment hands
// its focus to its parent.
double SmallestExtent(LControl& control, std::int32_t axis)
{
    const LLayoutDescriptor& layout = *control.GetLayoutDescriptor();
    const AxisSpec& spec = AxisOf(layout, axis);
    const bool textGrows = (axis == 0 ? layout.TextOverflowX : layout.TextOverflowY) == 1;
    if (!spec.MinSize.HasReference && !textGrows)
        return std::max(spec.MinSize.Abs, 0.0);
    DoublePair smallest;
    control.GetLayoutPosition(smallest);
    return Component(smallest, axis);
}

// The extent the control's layout gives on the axis before its minimum and maximum sizes:
// what a squeezed control would shrink to if it could.
double NaturalExtent(LControl& control, std::int32_t axis, double least, double most)
{
    const LLayoutDescriptor& layout = *control.GetLayoutDescriptor();
    const double extent = Extent(control, axis);
    // Away from both limits the extent is the natural one.
    if (extent > least && (most <= 0.0 || extent < most))
        return extent;
    const AxisSpec storedX = layout.X;
    const AxisSpec storedY = layout.Y;
    AxisSpec x = storedX;
    AxisSpec y = storedY;
    AxisSpec& unlimited = axis == 0 ? x : y;
    unlimited.MinSize = LayoutLimit{};
    unlimited.MaxSize = LayoutLimit{};
    control.SetLayout(x, y);
    const double natural = Extent(control, axis);
    control.SetLayout(storedX, storedY);
    return natural;
}

double Position(const LControl& control, std::int32_t axis)
{
    return axis == 0 ? control.GetBounds().x : control.GetBounds().y;
}

} // namespace

RCPtr<LControl> LSplitterH::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LSplitterH>(parent, descriptor);
}

RCPtr<LControl> LSplitterV::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LSplitterV>(parent, descriptor);
}

RCPtr<LControl> LSplitterBase::FindTarget() const
{
    LControl* parent = GetParent();
    const RCPtr<LLayoutDescriptor>& layout = GetLayoutDescriptor();
    if (!parent || !layout)
        return nullptr;
    const AxisSpec& spec = AxisOf(*layout, GetAxis());
    if (spec.Position.Kind != kNamedPosition || spec.Position.Name.IsEmpty())
        return nullptr;
    RCPtr<LControl> target = parent->FindChild(spec.Position.Name);
    if (target.Get() == this || !target || !target->GetLayoutDescriptor())
        return nullptr;
    return target;
}

double LSplitterBase::ShareOfMove(const LControl& sibling, const LControl* target) const
{
    const AxisSpec& spec = AxisOf(*sibling.GetLayoutDescriptor(), GetAxis());
    if (spec.Size.Kind == kAbsoluteSize)
        return 0.0;
    // How far an edge measured from a named control moves: the splitter moves whole, the
    // target's far edge moves by the share of its extent that the reference takes.
    const auto follows = [&](const LayoutReference& reference, std::int32_t namedKind)
    {
        if (reference.Kind != namedKind || reference.Name.IsEmpty())
            return 0.0;
        if (reference.Name.IsEqual(GetName()))
            return 1.0;
        if (target && reference.Name.IsEqual(target->GetName()))
            return static_cast<double>(reference.Rel);
        return 0.0;
    };
    const double distance = follows(spec.Size, kNamedSize) - follows(spec.Position, kNamedPosition);
    // The anchor spreads the change over the control's extent as the layout does: a control
    // anchored at its far end grows back from its position.
    const double anchor = spec.PlacementAnchor;
    if (anchor >= 1.0)
        return -distance / anchor;
    if (anchor >= 0.0)
        return distance / (1.0 - anchor);
    return distance;
}

void LSplitterBase::NarrowRange(LControl& control, double position, double share)
{
    if (std::fabs(share) < kShareTolerance)
        return;
    const std::int32_t axis = GetAxis();
    // While the parent is being resized, the siblings after the splitter have not been laid
    // out for the new size yet.
    control.Relayout();
    const double least = SmallestExtent(control, axis);
    DoublePair largest;
    control.GetLayoutSize(largest);
    const double most = Component(largest, axis);
    // Against the natural extent, so that a control the parent has squeezed below its
    // minimum (or stretched past its maximum) asks the splitter to make up the difference.
    const double size = NaturalExtent(control, axis, least, most);
    if (share > 0.0)
    {
        m_rangeMinimum = std::max(m_rangeMinimum, position - (size - least) / share);
        if (most > 0.0)
            m_rangeMaximum = std::min(m_rangeMaximum, position + (most - size) / share);
    }
    else
    {
        m_rangeMaximum = std::min(m_rangeMaximum, position + (size - least) / -share);
        if (most > 0.0)
            m_rangeMinimum = std::max(m_rangeMinimum, position - (most - size) / -share);
    }
}

void LSplitterBase::ComputeRange(LControl* target, double position)
{
    m_rangeMinimum = 0.0;
    m_rangeMaximum = kUnbounded;
    LControl* parent = GetParent();
    const RCPtr<LLayoutDescriptor>& layout = GetLayoutDescriptor();
    if (!parent || !layout)
        return;
    const std::int32_t axis = GetAxis();
    if (target)
        NarrowRange(*target, position, 1.0);
    const std::int32_t order = layout->LayoutOrder;
    ChildControlList& siblings = parent->GetChildren();
    for (std::uint32_t i = 0; i < siblings.GetCount(); ++i)
    {
        const RCPtr<LControl> sibling = siblings.GetAt(i);
        if (!sibling || sibling.Get() == this || sibling.Get() == target || !sibling->GetLayoutDescriptor())
            continue;
        const LLayoutDescriptor& other = *sibling->GetLayoutDescriptor();
        const AxisSpec& otherSpec = AxisOf(other, axis);
        const bool dockedToSplitter = other.LayoutOrder > order && otherSpec.Size.Kind == kNamedSize &&
                                      otherSpec.Size.Name.IsEqual(GetName());
        const bool hangsOnTarget = target && otherSpec.Position.Kind == kNamedPosition &&
                                   otherSpec.Position.Name.IsEqual(target->GetName()) &&
                                   otherSpec.Size.Kind != kAbsoluteSize;
        if (dockedToSplitter || hangsOnTarget)
            NarrowRange(*sibling, position, ShareOfMove(*sibling, target));
    }
    m_rangeMaximum = std::max(m_rangeMaximum, m_rangeMinimum);
}

void LSplitterBase::BeginDrag()
{
    const RCPtr<LControl> self(this);
    const std::int32_t axis = GetAxis();
    m_target = FindTarget();
    m_startPosition = Position(*this, axis);
    if (m_target)
    {
        const AxisSpec spec = AxisOf(*GetLayoutDescriptor(), axis);
        m_savedRel = spec.Position.Rel;
        m_savedAbs = spec.Position.Abs;
        // For the drag the splitter stands on its own position, so that asking the target
        // for its smallest extent does not move it.
        SetAxisLayout(axis, spec.PlacementAnchor, IsDocked(*this, axis),
                      LayoutReference{1, WString(), 0.0f, m_startPosition}, spec.Size);
    }
    ComputeRange(m_target.Get(), m_startPosition);
    if (m_target)
        m_targetStartSize = Extent(*m_target, axis);
    LControl::BeginDrag();
}

void LSplitterBase::Refit()
{
    if (!IsCreated() || m_target)
        return;
    const RCPtr<LControl> target = FindTarget();
    if (!target || !target->IsCreated())
        return;
    const RCPtr<LControl> self(this);
    m_refitting = true;
    const std::int32_t axis = GetAxis();
    ComputeRange(target.Get(), Position(*this, axis));
    const double position = Position(*this, axis);
    const double wanted = std::clamp(position, m_rangeMinimum, m_rangeMaximum);
    // The splitter hangs on the target's extent by its relative part: the target gives or
    // takes the move.
    const double hang = AxisOf(*GetLayoutDescriptor(), axis).Position.Rel;
    if (std::fabs(wanted - position) >= kSizeTolerance && hang > 0.0)
    {
        const AxisSpec spec = AxisOf(*target->GetLayoutDescriptor(), axis);
        const double size = Extent(*target, axis) + (wanted - position) / hang;
        target->SetAxisLayout(axis, spec.PlacementAnchor, IsDocked(*target, axis), spec.Position,
                              LayoutReference{kAbsoluteSize, WString(), 0.0f, size});
    }
    m_refitting = false;
}

QKRESULT LSplitterBase::SizeChanged(const DoublePair& size)
{
    const QKRESULT result = LControl::SizeChanged(size);
    if (!m_refitting)
        Refit();
    return result;
}

void LSplitterBase::LimitDragBounds(RectD& bounds)
{
    // The base keeps the pointer inside bounds; the range is where the splitter itself may
    // stand, so it moves by the grab offset.
    const std::int32_t axis = GetAxis();
    double& start = axis == 0 ? bounds.x : bounds.y;
    double& length = axis == 0 ? bounds.width : bounds.height;
    const double low = std::max(start, m_rangeMinimum + m_grab);
    const double high = std::max(low, std::min(start + length, m_rangeMaximum + m_grab));
    start = low;
    length = high - low;
}

void LSplitterBase::OnDragMoved()
{
    if (!m_target || !m_target->GetLayoutDescriptor())
        return;
    const std::int32_t axis = GetAxis();
    const AxisSpec& spec = AxisOf(*m_target->GetLayoutDescriptor(), axis);
    const double offset = Position(*this, axis) - m_startPosition;
    m_target->SetAxisLayout(axis, spec.PlacementAnchor, IsDocked(*m_target, axis), spec.Position,
                            LayoutReference{kAbsoluteSize, WString(), 0.0f, m_targetStartSize + offset});
}

void LSplitterBase::EndDrag()
{
    const RCPtr<LControl> self(this);
    const RCPtr<LLayoutDescriptor>& layout = GetLayoutDescriptor();
    if (m_target && layout)
    {
        const std::int32_t axis = GetAxis();
        const AxisSpec spec = AxisOf(*layout, axis);
        SetAxisLayout(axis, spec.PlacementAnchor, IsDocked(*this, axis),
                      LayoutReference{kNamedPosition, m_target->GetName(), m_savedRel, m_savedAbs}, spec.Size);
    }
    LControl::EndDrag();
}

void LSplitterBase::OnConditionsChanged(LConditionsParam* conditions)
{
    if (conditions)
    {
        const std::uint32_t gained = conditions->NewConditions & ~conditions->OldConditions;
        const std::uint32_t lost = conditions->OldConditions & ~conditions->NewConditions;
        if (gained & kLeftDrag)
        {
            SetDragMode(kDragMoveScroll, m_vertical ? kAxisHorizontal : kAxisVertical);
            // The change carries the press in the parent's coordinates.
            m_grab = (m_vertical ? conditions->X : conditions->Y) - Position(*this, GetAxis());
        }
        else if (lost & kLeftDrag)
        {
            m_target = nullptr;
        }
    }
    UpdateLook();
}

void LSplitterBase::SetEnabled(bool enable)
{
    LControl::SetEnabled(enable);
    UpdateLook();
}

void LSplitterBase::UpdateLook()
{
    if (!IsEnabled(true))
    {
        SelectLook(6);
        return;
    }
    const ConditionFlags& flags = GetConditionFlags();
    std::int32_t look = 0;
    if (flags.captured && flags.leftDrag)
        look = flags.pointerOver ? 2 : 1;
    else if (flags.pointerOver && !flags.captured)
        look = 1;
    SelectLook(look + (HasFocus() ? 3 : 0));
}

QKRESULT LSplitterBase::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    SetCursor(LControlApp::GetCursor(WString(m_vertical ? u"UI_CURSOR_SIZE_WE" : u"UI_CURSOR_SIZE_NS")));
    return result;
}

} // namespace QK
