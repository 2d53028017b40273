#include "QKFramework/Controls/Splitter.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDetail.h"

#include <algorithm>

namespace QK
{

using namespace ControlDetail;

namespace
{

template <class T> RCPtr<LControl> CreateSplitter(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new T(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

// Position kind 2 and size kind 3 name a sibling; size kind 2 is an absolute size.
constexpr std::int32_t kNamedPosition = 2;
constexpr std::int32_t kAbsoluteSize = 2;
constexpr std::int32_t kNamedSize = 3;

const AxisSpec& AxisOf(const LLayoutDescriptor& layout, std::int32_t axis)
{
    return axis == 0 ? layout.X : layout.Y;
}

double Extent(const LControl& control, std::int32_t axis)
{
    return axis == 0 ? control.GetWidth() : control.GetHeight();
}

double Position(const LControl& control, std::int32_t axis)
{
    return axis == 0 ? control.GetBounds().x : control.GetBounds().y;
}

} // namespace

RCPtr<LControl> LSplitterH::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return CreateSplitter<LSplitterH>(parent, descriptor);
}

RCPtr<LControl> LSplitterV::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return CreateSplitter<LSplitterV>(parent, descriptor);
}

void LSplitterBase::NarrowRange(LControl& control, double position, double size, bool growsForward)
{
    DoublePair smallest;
    control.GetLayoutPosition(smallest);
    DoublePair largest;
    control.GetLayoutSize(largest);
    const std::int32_t axis = GetAxis();
    const double least = Component(smallest, axis);
    const double most = Component(largest, axis);
    if (growsForward)
    {
        m_rangeMinimum = std::max(m_rangeMinimum, position - (size - least));
        if (most > 0.0)
            m_rangeMaximum = std::min(m_rangeMaximum, position + (most - size));
    }
    else
    {
        m_rangeMaximum = std::min(m_rangeMaximum, position + (size - least));
        if (most > 0.0)
            m_rangeMinimum = std::max(m_rangeMinimum, position - (most - size));
    }
}

void LSplitterBase::BeginDrag()
{
    const RCPtr<LControl> self(this);
    const std::int32_t axis = GetAxis();
    m_rangeMinimum = 0.0;
    m_rangeMaximum = kUnbounded;
    m_target = nullptr;
    m_startPosition = Position(*this, axis);
    LControl* parent = GetParent();
    const RCPtr<LLayoutDescriptor>& layout = GetLayoutDescriptor();
    if (parent && layout)
    {
        const AxisSpec spec = AxisOf(*layout, axis);
        if (spec.Position.Kind == kNamedPosition && !spec.Position.Name.IsEmpty())
            m_target = parent->FindChild(spec.Position.Name);
        if (m_target.Get() == this)
            m_target = nullptr;
        if (m_target)
        {
            m_savedRel = spec.Position.Rel;
            m_savedAbs = spec.Position.Abs;
            // For the drag the splitter stands on its own position.
            SetAxisLayout(axis, spec.PlacementAnchor, IsDocked(*this, axis),
                          LayoutReference{1, WString(), 0.0f, m_startPosition}, spec.Size);
            m_targetStartSize = Extent(*m_target, axis);
            NarrowRange(*m_target, m_startPosition, m_targetStartSize, true);
        }
        const std::int32_t order = layout->LayoutOrder;
        ChildControlList& siblings = parent->GetChildren();
        for (std::uint32_t i = 0; i < siblings.GetCount(); ++i)
        {
            const RCPtr<LControl> sibling = siblings.GetAt(i);
            if (!sibling || sibling.Get() == this || sibling == m_target || !sibling->GetLayoutDescriptor())
                continue;
            const LLayoutDescriptor& other = *sibling->GetLayoutDescriptor();
            const AxisSpec& otherSpec = AxisOf(other, axis);
            // A sibling that ends at the splitter shrinks as the splitter comes forward.
            if (other.LayoutOrder > order && otherSpec.Size.Kind == kNamedSize && otherSpec.Size.Name.IsEqual(GetName()))
            {
                NarrowRange(*sibling, m_startPosition, Extent(*sibling, axis), true);
                continue;
            }
            // One that hangs on the target's far edge with a size of its own is carried
            // along; one sized against anything else gives what the splitter takes.
            if (m_target && otherSpec.Position.Kind == kNamedPosition &&
                otherSpec.Position.Name.IsEqual(m_target->GetName()) && otherSpec.Size.Kind != kAbsoluteSize &&
                otherSpec.Size.Kind != kNamedSize)
                NarrowRange(*sibling, m_startPosition, Extent(*sibling, axis), false);
        }
    }
    m_rangeMaximum = std::max(m_rangeMaximum, m_rangeMinimum);
    LControl::BeginDrag();
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
            SetDragMode(3, m_vertical ? 1 : 2);
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
