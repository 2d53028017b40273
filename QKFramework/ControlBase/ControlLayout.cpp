// LControl layout and geometry: where a control places itself and how a new rectangle
// spreads through the tree.
//
// Contents:
//   1. The reference frame: parent, or the screen and host window of a top control.
//   2. Relayout: position and size per axis, the minimum and maximum rules, snapping.
//   3. SetLayoutRect and the size notification (SizeChanged).
//   4. Scroll offset, axis rules, natural sizes.
//   5. Geometry queries: client rectangles, position in root, window rectangle, extents.
//
// Coordinates are doubles in pixels; a control's position is relative to its parent's client
// origin before the parent's scroll offset, and a layout pass leaves whole pixels. UI thread
// only.
#include "QKFramework/ControlBase/Control.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Renderer/FontText.h"

#include <algorithm>
#include <cmath>

namespace QK
{

using namespace ControlDetail;

namespace
{

// The smallest change of a size that counts as a resize.
constexpr double kSizeChange = 2.220446049250313e-15;

const AxisSpec& AxisOf(const LLayoutDescriptor& layout, std::int32_t axis)
{
    return axis == 0 ? layout.X : layout.Y;
}

bool SameReference(const LayoutReference& a, const LayoutReference& b)
{
    return a.Kind == b.Kind && a.Name.IsEqual(b.Name) && a.Rel == b.Rel && a.Abs == b.Abs;
}

bool SameLimit(const LayoutLimit& a, const LayoutLimit& b)
{
    return a.HasReference == b.HasReference && a.Name.IsEqual(b.Name) && a.Rel == b.Rel && a.Abs == b.Abs;
}

} // namespace

// 1. The reference frame --------------------------------------------------------------------------

struct LControl::LayoutFrame
{
    PointD parentOrigin;
    DoublePair parentSize;
    DoublePair clientSize;
    PointD scroll;
    // A top control's named references stand for the pointer (client coordinates).
    PointD cursor;

    // The coordinate and size on axis of the control that a layout names.
    void Named(const LControl& control, const WString& name, std::int32_t axis, double& coordinate,
               double& size) const
    {
        const LControl* parent = control.GetParent();
        if (!parent)
        {
            coordinate = Component(cursor, axis);
            size = 0.0;
            return;
        }
        const RCPtr<LControl> sibling = parent->FindChild(name);
        if (!sibling)
        {
            coordinate = 0.0;
            size = 0.0;
            return;
        }
        const RectD& bounds = sibling->GetBounds();
        coordinate = axis == 0 ? bounds.x : bounds.y;
        if (IsDocked(*sibling, axis))
            coordinate -= Component(scroll, axis);
        size = axis == 0 ? bounds.width : bounds.height;
    }
};

bool LControl::GetLayoutFrame(LayoutFrame& frame) const
{
    if (m_parent)
    {
        const RectD client = m_parent->GetLookClientRect(-1);
        frame.parentOrigin = {-client.x, -client.y};
        frame.parentSize = {m_parent->m_bounds.width, m_parent->m_bounds.height};
        frame.clientSize = {client.width, client.height};
        frame.scroll = m_parent->m_scrollOffset;
        return true;
    }
    if (m_created && !m_rootWindow)
        return false;
    // While it is being created, a top control has no window yet and borrows one.
    IRootWindow* window = m_rootWindow.Get();
    if (!window)
        window = LControlApp::GetActiveRootWindow();
    if (!window)
        window = LControlApp::GetFirstRootWindow();
    if (!window)
        return false;
    const RectL work = LControlApp::GetWorkArea();
    const PointL origin = window->GetClientOrigin();
    const LongPair client = window->GetClientSize();
    const PointL cursor = LControlApp::GetCursorPos();
    frame.parentSize = {static_cast<double>(work.width), static_cast<double>(work.height)};
    frame.parentOrigin = {-static_cast<double>(origin.x), -static_cast<double>(origin.y)};
    frame.clientSize = {static_cast<double>(client.first), static_cast<double>(client.second)};
    frame.scroll = {0.0, 0.0};
    frame.cursor = {static_cast<double>(cursor.x) - origin.x, static_cast<double>(cursor.y) - origin.y};
    return true;
}

// 2. Relayout -----------------------------------------------------------------------------------------

QKRESULT LControl::Relayout()
{
    if (!m_layout)
        return QK_E_FAIL;
    if (m_relayoutSuppressed)
        return QK_FALSE;
    LayoutFrame frame;
    if (!GetLayoutFrame(frame))
        return QK_E_FAIL;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    m_laidOut = true;

    double position[2];
    double size[2];
    for (std::int32_t axis = 0; axis < 2; ++axis)
    {
        const AxisSpec& spec = AxisOf(*m_layout, axis);
        const double anchor = spec.PlacementAnchor;
        const double parentSize = axis == 0 ? frame.parentSize.first : frame.parentSize.second;
        const double parentOrigin = Component(frame.parentOrigin, axis);
        const double clientSize = axis == 0 ? frame.clientSize.first : frame.clientSize.second;

        double p = 0.0;
        const LayoutReference& place = spec.Position;
        if (place.Kind == 0)
        {
            p = RoundHalfAway(static_cast<double>(place.Rel) * parentSize) + place.Abs + parentOrigin;
        }
        else if (place.Kind == 1)
        {
            p = RoundHalfAway(static_cast<double>(place.Rel) * clientSize) + place.Abs;
        }
        else
        {
            double coordinate = 0.0;
            double extent = 0.0;
            frame.Named(*this, place.Name, axis, coordinate, extent);
            p = RoundHalfAway(static_cast<double>(place.Rel) * extent) + coordinate + place.Abs;
        }

        double s = 0.0;
        const LayoutReference& sizeRule = spec.Size;
        if (sizeRule.Kind == 2)
        {
            s = sizeRule.Abs < 0.0 ? 0.0 : sizeRule.Abs;
        }
        else
        {
            double coordinate = 0.0;
            double extent = 0.0;
            if (sizeRule.Kind == 0)
            {
                coordinate = parentOrigin;
                extent = parentSize;
            }
            else if (sizeRule.Kind == 1)
            {
                extent = clientSize;
            }
            else
            {
                frame.Named(*this, sizeRule.Name, axis, coordinate, extent);
            }
            const double edge = RoundHalfAway(static_cast<double>(sizeRule.Rel) * extent) + coordinate + sizeRule.Abs;
            const double d = edge - p;
            if (d > 0.0 && anchor >= 0.0 && anchor < 1.0)
                s = d / (1.0 - anchor);
            else if (d < 0.0 && anchor > 0.0 && anchor <= 1.0)
                s = -d / anchor;
        }
        p -= anchor * s;
        if (IsDocked(*this, axis))
            p += Component(frame.scroll, axis);
        position[axis] = p;
        size[axis] = s;
    }
    for (std::int32_t axis = 0; axis < 2; ++axis)
        ApplyMinimumRules(frame, axis, position, size);
    for (std::int32_t axis = 0; axis < 2; ++axis)
        ApplyMaximumRules(frame, axis, position, size);

    RectD rect{position[0], position[1], size[0], size[1]};
    rect.SnapToPixels();
    return SetLayoutRect({rect.x, rect.y}, {rect.width, rect.height});
}

double LControl::GetNamedExtent(const WString& name, std::int32_t axis) const
{
    const std::int32_t count = static_cast<std::int32_t>(m_children.GetCount());
    if (name.IsEqual(u"Children"))
        return GetChildrenExtent(0, count - 1, axis);
    const RCPtr<LControl> child = m_children.GetAt(name);
    if (!child)
        return 0.0;
    const std::int32_t index = m_children.IndexOf(child.Get());
    return GetChildrenExtent(index, index, axis);
}

void LControl::ApplyMinimumRules(const LayoutFrame&, std::int32_t axis, double* position, double* size)
{
    const AxisSpec& spec = AxisOf(*m_layout, axis);
    const double anchor = spec.PlacementAnchor;
    double& p = position[axis];
    double& s = size[axis];
    if (!spec.MinSize.HasReference)
    {
        double minimum = spec.MinSize.Abs;
        const bool expand = (axis == 0 ? m_layout->TextOverflowX : m_layout->TextOverflowY) == 1;
        const RCPtr<LLook> look = expand ? GetLook(-1) : nullptr;
        const LLookDescriptor* description = look ? look->GetDescriptor().Get() : nullptr;
        LFontText* text = look ? look->GetFontText().Get() : nullptr;
        if (text && description && description->HasTextProperties)
        {
            const LookTextProperties& properties = description->Text;
            double needed = 0.0;
            if (axis == 0)
            {
                text->SetWordWrap(false);
                needed = text->GetMaxLineWidth();
            }
            else
            {
                // The lines as they wrap at the width this pass has just given.
                const double width = std::max(TextAreaFor(properties, 0, size[0]), 0.0);
                needed = text->GetHeightForWidth(static_cast<std::int32_t>(std::min(width, 2147483647.0)));
            }
            // Share of the control that the text area takes: growing the control by g grows
            // the text area by share x g. A text area that does not grow with the control
            // cannot be widened this way, and the rule then adds nothing.
            const double share = axis == 0 ? static_cast<double>(properties.TextRightRel) - properties.TextLeftRel
                                           : static_cast<double>(properties.TextBottomRel) - properties.TextTopRel;
            if (share > 0.0)
            {
                const double growth = std::ceil((needed - TextAreaFor(properties, axis, s)) / share);
                if (std::isfinite(growth))
                    minimum = std::max(minimum, s + growth);
            }
            if (axis == 0)
            {
                const double maximum = spec.MaxSize.HasReference ? 0.0 : spec.MaxSize.Abs;
                if (maximum > 0.0 && maximum < minimum)
                {
                    minimum = maximum;
                    text->SetWordWrap(true);
                }
            }
        }
        if (s < minimum)
        {
            p -= RoundHalfAway(anchor * (minimum - s));
            s = minimum;
        }
        return;
    }
    if (m_children.GetCount() == 0)
        return;
    const double extent = GetNamedExtent(spec.MinSize.Name, axis);
    if (!(extent > 0.0) || extent == s)
        return;
    const double target = spec.MinSize.Rel * extent + (anchor * s + p - anchor * extent) + spec.MinSize.Abs;
    if (p <= target && p + s < target)
    {
        if (anchor < 0.0 || anchor >= 1.0)
            return;
        p -= RoundHalfAway(anchor * (target - (p + s)) / (1.0 - anchor));
        s = RoundHalfAway(target) - p;
    }
    else if (target < p)
    {
        if (anchor <= 0.0 || anchor > 1.0)
            return;
        const double gap = p - target;
        p -= gap;
        s += RoundHalfAway(gap / anchor);
    }
}

void LControl::ApplyMaximumRules(const LayoutFrame&, std::int32_t axis, double* position, double* size) const
{
    const AxisSpec& spec = AxisOf(*m_layout, axis);
    const double anchor = spec.PlacementAnchor;
    double& p = position[axis];
    double& s = size[axis];
    if (!spec.MaxSize.HasReference)
    {
        const double maximum = spec.MaxSize.Abs;
        if (maximum != 0.0 && maximum < s)
        {
            p -= RoundHalfAway(anchor * (maximum - s));
            s = maximum;
        }
        return;
    }
    if (m_children.GetCount() == 0)
        return;
    const double extent = GetNamedExtent(spec.MaxSize.Name, axis);
    if (!(extent > 0.0) || extent == s)
        return;
    const double target = spec.MaxSize.Rel * extent + (anchor * s + p - anchor * extent) + spec.MaxSize.Abs;
    if (!(p < target && target < p + s))
        return;
    if (anchor <= target)
    {
        p -= RoundHalfAway(anchor * (target - (p + s)));
        s = RoundHalfAway(target) - p;
    }
    else if (anchor != 0.0)
    {
        // An anchor of 0 above a negative target would divide by zero: the axis stays.
        const double gap = p - target;
        p = RoundHalfAway(target);
        s += RoundHalfAway(gap / anchor);
    }
}

// 3. Applying a rectangle ---------------------------------------------------------------------

QKRESULT LControl::SetLayoutRect(const PointD& position, const DoublePair& size)
{
    if (position.x == m_bounds.x && position.y == m_bounds.y && size.first == m_bounds.width &&
        size.second == m_bounds.height)
        return QK_FALSE;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    RectD client;
    GetClientRect(client);
    const bool resized = std::fabs(size.first - m_bounds.width) >= kSizeChange ||
                         std::fabs(size.second - m_bounds.height) >= kSizeChange;
    const bool wasShown = m_bounds.width > 0.0 && m_bounds.height > 0.0;

    InvalidateWhole();
    if (m_unclippedCount > 0)
        InvalidateUnclippedDescendants();

    m_bounds = RectD{position.x, position.y, size.first, size.second};
    const LongPair whole = ToLongPair(size);
    for (std::uint32_t i = 0; i < m_looks.GetCount(); ++i)
        if (const RCPtr<LLook>& look = *m_looks.GetAt(i))
            look->SetSize(whole.first, whole.second);

    if (resized && !m_layingOutChildren)
    {
        m_layingOutChildren = true;
        const DoublePair childFrame = ToDoublePair(whole);
        for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
        {
            const RCPtr<LControl> child = m_children.GetAt(i);
            child->SizeChanged(childFrame);
        }
        // A "Children" rule may depend on where the children went.
        Relayout();
        m_layingOutChildren = false;
    }

    if (const RCPtr<LControl> parent = m_parent)
    {
        const std::int32_t index = parent->m_children.IndexOf(this);
        if (index >= 0)
        {
            for (std::uint32_t i = static_cast<std::uint32_t>(index) + 1; i < parent->m_children.GetCount(); ++i)
            {
                const RCPtr<LControl> sibling = parent->m_children.GetAt(i);
                if (sibling->Relayout() != QK_FALSE)
                    break;
            }
            parent->RelayoutAndMove(this);
        }
    }
    else if (m_rootWindow)
    {
        const PointL origin = m_rootWindow->GetClientOrigin();
        m_rootWindow->SetWindowRect(RectL{origin.x, origin.y, whole.first, whole.second});
    }

    if ((m_bounds.width <= 0.0 || m_bounds.height <= 0.0) && m_parent && (m_flags.hasFocus || m_flags.containsFocus))
        m_parent->SetFocus(true);

    InvalidateWhole();
    if (m_unclippedCount > 0)
        InvalidateUnclippedDescendants();
    // Showing or emptying the control changes its visible condition and its descendants'.
    const bool shown = m_bounds.width > 0.0 && m_bounds.height > 0.0;
    if (m_created && shown != wasShown)
        UpdateConditions();
    OnSizeChanged();
    return QK_OK;
}

QKRESULT LControl::SizeChanged(const DoublePair& size)
{
    const LongPair before = ToLongPair({m_bounds.width, m_bounds.height});
    Relayout();
    if (m_parent)
        return QK_OK;
    const LongPair after = ToLongPair({m_bounds.width, m_bounds.height});
    if (after != before || ToLongPair(size) == after || !m_rootWindow)
        return QK_OK;
    // The layout keeps its size: the window goes back to it.
    const PointL origin = m_rootWindow->GetClientOrigin();
    m_rootWindow->SetWindowRect(RectL{origin.x, origin.y, after.first, after.second});
    return QK_OK;
}

QKRESULT LControl::RelayoutIfDocked(std::int32_t, std::int32_t)
{
    if (IsDocked(*this, 0) || IsDocked(*this, 1))
        Relayout();
    return QK_OK;
}

QKRESULT LControl::RelayoutAndMove(LControl* child)
{
    if (!m_layingOutChildren)
        Relayout();
    OnChildPlacementChanged(child);
    return QK_OK;
}

// 4. Scroll offset, axis rules, natural sizes ---------------------------------------------------------

QKRESULT LControl::SetScrollOffset(const PointD& offset)
{
    m_changingScrollOffset = true;
    const PointD rounded{RoundHalfAway(offset.x), RoundHalfAway(offset.y)};
    if (rounded == m_scrollOffset)
    {
        m_changingScrollOffset = false;
        return QK_FALSE;
    }
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    InvalidateUnclippedDescendants();
    const PointD old = m_scrollOffset;
    m_scrollOffset = rounded;
    for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
    {
        const RCPtr<LControl> child = m_children.GetAt(i);
        m_scrollDockedMarker = IsDocked(*child, 0) || IsDocked(*child, 1);
        child->RelayoutIfDocked(IsDocked(*child, 0), IsDocked(*child, 1));
        m_scrollDockedMarker = false;
    }
    InvalidateWhole();
    OnClientInsetsChanged(old, m_scrollOffset);
    Send(kNidScrollOffsetChange, nullptr);
    if (IRootWindow* root = GetRootWindowLink())
        if (root->GetHoverControl())
        {
            const PointL cursor = root->GetCursorPosition();
            RectL window;
            GetWindowRect(window);
            const std::int64_t right = std::int64_t{window.x} + window.width;
            const std::int64_t bottom = std::int64_t{window.y} + window.height;
            if (cursor.x >= window.x && cursor.y >= window.y && cursor.x < right && cursor.y < bottom)
                root->UpdateHover();
        }
    m_changingScrollOffset = false;
    return QK_OK;
}

void LControl::SetLayout(const AxisSpec& x, const AxisSpec& y)
{
    if (!m_layout)
        return;
    m_layout->X = x;
    m_layout->Y = y;
    Relayout();
}

void LControl::SetLayout(const LayoutPosition& xPosition, const LayoutReference& xSize, const LayoutPosition& yPosition,
                         const LayoutReference& ySize)
{
    if (!m_layout)
        return;
    if (m_layout->XIsDocked != xPosition.Docked || m_layout->YIsDocked != yPosition.Docked)
    {
        m_children.IncrementGeneration();
        // The docking decides where the control sorts among its siblings.
        if (m_parent)
            m_parent->m_children.IncrementGeneration();
    }
    const auto write = [](AxisSpec& spec, bool& docked, const LayoutPosition& position, const LayoutReference& size) {
        spec.PlacementAnchor = position.PlacementAnchor;
        spec.Position = LayoutReference{position.Kind, position.Name, position.Rel, position.Abs};
        spec.Size = size;
        docked = position.Docked;
    };
    write(m_layout->X, m_layout->XIsDocked, xPosition, xSize);
    write(m_layout->Y, m_layout->YIsDocked, yPosition, ySize);
    Relayout();
}

bool LControl::SetAxisLayout(std::int32_t axis, float anchor, bool docked, const LayoutReference& position,
                             const LayoutReference& size)
{
    if (!m_layout)
        return false;
    AxisSpec& spec = axis == 0 ? m_layout->X : m_layout->Y;
    bool& dockedFlag = axis == 0 ? m_layout->XIsDocked : m_layout->YIsDocked;
    const bool dockingChanged = dockedFlag != docked;
    const bool changed = dockingChanged || spec.PlacementAnchor != anchor || !SameReference(spec.Position, position) ||
                         !SameReference(spec.Size, size);
    spec.PlacementAnchor = anchor;
    dockedFlag = docked;
    spec.Position = position;
    spec.Size = size;
    // The docking decides where the control sorts among its siblings.
    if (dockingChanged && m_parent)
        m_parent->m_children.IncrementGeneration();
    Relayout();
    return changed;
}

QKRESULT LControl::SetAxisSizeLimits(std::int32_t axis, const LayoutLimit& minimum, const LayoutLimit& maximum)
{
    if (!m_layout)
        return QK_FALSE;
    AxisSpec& spec = axis == 0 ? m_layout->X : m_layout->Y;
    const bool changed = !SameLimit(spec.MinSize, minimum) || !SameLimit(spec.MaxSize, maximum);
    spec.MinSize = minimum;
    spec.MaxSize = maximum;
    Relayout();
    return changed ? QK_FALSE : QK_OK;
}

void LControl::GetLayoutPosition(DoublePair& size)
{
    size = {m_bounds.width, m_bounds.height};
    if (!m_layout)
        return;
    for (std::int32_t axis = 0; axis < 2; ++axis)
    {
        const AxisSpec stored = AxisOf(*m_layout, axis);
        const bool docked = IsDocked(*this, axis);
        SetAxisLayout(axis, stored.PlacementAnchor, docked, stored.Position, LayoutReference{2, WString(), 0.0f, 0.0});
        Component(size, axis) = axis == 0 ? m_bounds.width : m_bounds.height;
        SetAxisLayout(axis, stored.PlacementAnchor, docked, stored.Position, stored.Size);
    }
}

void LControl::GetLayoutSize(DoublePair& size)
{
    size = {0.0, 0.0};
    if (!m_layout)
        return;
    if (!m_layout->X.MaxSize.HasReference)
        size.first = m_layout->X.MaxSize.Abs;
    if (!m_layout->Y.MaxSize.HasReference)
        size.second = m_layout->Y.MaxSize.Abs;
}

bool LControl::SetClipToParent(bool clip)
{
    if (!m_layout || m_layout->ClipToParent == clip)
        return m_layout ? m_layout->ClipToParent : true;
    if (clip)
        Invalidate(RectD{0.0, 0.0, m_bounds.width, m_bounds.height}, false);
    m_layout->ClipToParent = clip;
    if (m_parent)
    {
        m_parent->m_children.IncrementGeneration();
        if (clip)
            m_parent->DecrementUnclippedCount();
        else
            m_parent->IncrementUnclippedCount();
    }
    if (!clip)
        Invalidate(RectD{0.0, 0.0, m_bounds.width, m_bounds.height}, false);
    return clip;
}

// 5. Geometry queries -------------------------------------------------------------------------

void LControl::GetClientRect(RectD& rect)
{
    rect = GetLookClientRect(-1);
    m_recordedClientRect = rect;
    m_clientRectRecorded = true;
}

void LControl::OnSizeChanged()
{
    m_clientRectRecorded = false;
}

void LControl::OnClientInsetsChanged(const PointD&, const PointD&) {}

void LControl::OnChildPlacementChanged(LControl*) {}

RectD LControl::GetClientExtent() const
{
    return RectD{0.0, 0.0, kUnbounded, kUnbounded};
}

QKRESULT LControl::Hook32(std::intptr_t)
{
    return QK_E_FAIL;
}

RectD LControl::GetChildClientRect(LControl*)
{
    const RectD client = GetLookClientRect(-1);
    return RectD{0.0, 0.0, client.width, client.height};
}

void LControl::UpdateVisibleClientArea()
{
    if (m_laidOut)
        GetClientInsets(m_clientInsets);
}

void LControl::GetClientInsets(RectD& insets)
{
    const RectD client = GetLookClientRect(-1);
    insets = RectD{m_scrollOffset.x, m_scrollOffset.y, client.width, client.height};
}

RectD LControl::GetChildrenBounds() const
{
    bool any = false;
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
    {
        const LControl& child = *m_children.GetAt(i);
        if (DockedAxes(child) > 0)
            continue;
        const RectD& b = child.m_bounds;
        if (!any)
        {
            left = b.x;
            top = b.y;
            right = b.x + b.width;
            bottom = b.y + b.height;
            any = true;
            continue;
        }
        left = std::min(left, b.x);
        top = std::min(top, b.y);
        right = std::max(right, b.x + b.width);
        bottom = std::max(bottom, b.y + b.height);
    }
    RectD bounds{left, top, right - left, bottom - top};
    bounds.SnapToPixels();
    return bounds;
}

double LControl::GetChildrenExtent(std::int32_t first, std::int32_t last, std::int32_t axis) const
{
    if (first < 0 || first > last)
        return 0.0;
    const RectD client = GetLookClientRect(-1);
    const double scroll = Component(m_scrollOffset, axis);
    double extent = 0.0;
    for (std::int32_t i = last; i >= first; --i)
    {
        const LControl& child = *m_children.GetAt(static_cast<std::uint32_t>(i));
        if (!ClipsToParent(child) && first != last)
            continue;
        const RectD& b = child.m_bounds;
        double edge = (axis == 0 ? b.x + client.x + b.width : b.y + client.y + b.height) - scroll;
        if (IsDocked(child, axis))
            edge -= scroll;
        extent = std::max(extent, edge);
    }
    if (extent > kGeometryTolerance)
        if (const RCPtr<LLook> look = GetLook(-1))
        {
            const LongPair lookSize = look->GetSize();
            extent += axis == 0 ? lookSize.first - client.width - client.x : lookSize.second - client.height - client.y;
        }
    return extent;
}

void LControl::GetPositionInRoot(PointD& point) const
{
    point = {m_bounds.x, m_bounds.y};
    for (const LControl* ancestor = m_parent.Get(); ancestor; ancestor = ancestor->m_parent.Get())
    {
        const RectD client = ancestor->GetLookClientRect(-1);
        point.x += client.x - ancestor->m_scrollOffset.x + ancestor->m_bounds.x;
        point.y += client.y - ancestor->m_scrollOffset.y + ancestor->m_bounds.y;
    }
}

void LControl::GetWindowRect(RectL& rect) const
{
    PointD origin;
    GetPositionInRoot(origin);
    const LongPair position = ToLongPair({origin.x, origin.y});
    const LongPair size = ToLongPair({m_bounds.width, m_bounds.height});
    rect = RectL{position.first, position.second, size.first, size.second};
}

LControl* LControl::GetRootControl()
{
    LControl* top = this;
    while (top->m_parent)
        top = top->m_parent.Get();
    return top;
}

bool LControl::IsTextOverflowing()
{
    const RCPtr<LLook> look = GetLook(-1);
    if (!look)
        return false;
    const LLookDescriptor* description = look->GetDescriptor().Get();
    const double area =
        description && description->HasTextProperties ? TextAreaFor(description->Text, 0, m_bounds.width) : 0.0;
    if (const RCPtr<LFontText>& text = look->GetFontText())
        return text->GetLineCount() > 0 && text->GetLineRect(0).width > area;
    return !m_text.IsEmpty();
}

} // namespace QK
