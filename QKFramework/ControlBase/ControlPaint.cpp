// LControl painting, invalidation and hit testing.
//
// Contents:
//   1. Painting: Paint and PaintChildren, the second pass's list of unclipped controls.
//   2. Invalidation: from a control up to its root window's dirty region.
//   3. Hit testing: effective depth, transparency, FindControlAtPoint.
//
// The dirty region is in root-window coordinates; during a paint the renderer's translation
// takes a control's coordinates there. Children paint bottom to top in the z order of their
// list and are hit-tested top to bottom. UI thread only.
#include "QKFramework/ControlBase/Control.h"

#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/Renderer/Renderer.h"

#include <algorithm>
#include <climits>

namespace QK
{

using namespace ControlDetail;

namespace
{

constexpr std::int32_t kNoDepth = INT32_MIN;

bool Meets(const RectRegion& region, const RectD& rect)
{
    for (const RectRegionNode* node = region.GetFirst(); node; node = node->next)
    {
        const RectD other{static_cast<double>(node->left), static_cast<double>(node->top),
                          static_cast<double>(node->right) - node->left, static_cast<double>(node->bottom) - node->top};
        RectD overlap;
        if (RectD::Intersect(overlap, rect, other))
            return true;
    }
    return false;
}

bool Shown(const LControl& control)
{
    return control.IsVisible(false);
}

} // namespace

// 1. Painting ---------------------------------------------------------------------------------------

QKRESULT LControl::Paint(LRenderer& renderer, const RectRegion& dirty, RCPtrArray<LControl>& unclipped,
                         bool unclippedPass)
{
    if (ClipsToParent(*this) == unclippedPass)
        return QK_E_INVALIDARG;
    if (!Shown(*this))
        return QK_OK;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const RCPtr<LRenderer> held(&renderer);

    RectD area = m_bounds;
    if (!unclippedPass && !RectD::Intersect(area, m_bounds, renderer.GetClipRect()))
    {
        if (m_unclippedCount > 0)
            CollectUnclippedDescendants(unclipped, true, false);
        return QK_OK;
    }
    const CAutoStencilClip clip(held, m_bounds, area);

    // The dirty region in this control's coordinates, for the looks and the hooks.
    const PointD translation = renderer.GetTranslation();
    const LongPair shift = ToLongPair({-translation.x, -translation.y});
    RectRegion local(dirty);
    local.Offset(shift.first, shift.second);
    const RectD whole{0.0, 0.0, m_bounds.width, m_bounds.height};
    if (!Meets(local, whole))
    {
        if (m_unclippedCount > 0)
            CollectUnclippedDescendants(unclipped, true, false);
        return QK_OK;
    }

    const auto forEachShownLook = [this, &held, &renderer](auto&& step)
    {
        for (std::uint32_t i = 0; i < m_looks.GetCount() && i < m_lookOpacities.size(); ++i)
        {
            const float opacity = m_lookOpacities[i];
            if (!(opacity > 0.0f))
                continue;
            const CAutoRenderState state(held);
            renderer.SetOpacity(renderer.GetOpacity() * opacity);
            step(static_cast<std::int32_t>(i), m_looks.GetAt(i)->Get());
        }
    };
    const auto forEachDirtyRect = [&](auto&& hook)
    {
        const RectD bounds = renderer.GetClipRect();
        for (const RectRegionNode* node = local.GetFirst(); node; node = node->next)
        {
            const RectD rect{static_cast<double>(node->left), static_cast<double>(node->top),
                             static_cast<double>(node->right) - node->left,
                             static_cast<double>(node->bottom) - node->top};
            RectD part;
            if (!RectD::Intersect(part, rect, bounds))
                continue;
            const CAutoStencilClip hookClip(held, whole, part);
            hook();
        }
    };

    forEachShownLook([&](std::int32_t, LLook* look) { if (look) look->DrawClientPart(renderer, local); });
    forEachShownLook([&](std::int32_t, LLook* look) { if (look) look->DrawNonClientParts(renderer, local); });
    forEachDirtyRect([&] { DrawOverlay(renderer); });
    forEachShownLook(
        [&](std::int32_t index, LLook* look)
        {
            if (look)
            {
                const LongPair offset =
                    m_textFollowsScroll ? ToLongPair({m_scrollOffset.x, m_scrollOffset.y}) : LongPair{0, 0};
                look->DrawLabelText(renderer, local, PointL{offset.first, offset.second});
            }
            if (m_children.GetCount() > 0)
                PaintChildren(renderer, dirty, index, unclipped);
        });
    forEachDirtyRect([&] { DrawCustom(renderer); });

    for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = m_children.GetAt(i, ChildControlList::kZOrder);
        if (!ClipsToParent(*child) && Shown(*child))
            unclipped.Add(child);
    }
    return QK_OK;
}

void LControl::StartDecodingShownImages() const
{
    if (!Shown(*this))
        return;
    for (std::uint32_t i = 0; i < m_looks.GetCount() && i < m_lookOpacities.size(); ++i)
        if (m_lookOpacities[i] > 0.0f)
            if (const LLook* look = m_looks.GetAt(i)->Get())
                look->StartDecoding();
    // Children scrolled out of sight (rows of a long list) are left for when they show.
    const RectD own{m_scrollOffset.x, m_scrollOffset.y, m_bounds.width, m_bounds.height};
    for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
    {
        const LControl& child = *m_children.GetAt(i, ChildControlList::kZOrder);
        RectD overlap;
        if (RectD::Intersect(overlap, child.m_bounds, own))
            child.StartDecodingShownImages();
    }
}

void LControl::PaintChildren(LRenderer& renderer, const RectRegion& dirty, std::int32_t lookIndex,
                             RCPtrArray<LControl>& unclipped)
{
    const std::uint32_t count = m_children.GetCount();
    if (count == 0)
        return;
    const RCPtr<LRenderer> held(&renderer);
    const LLook* look = lookIndex >= 0 && static_cast<std::uint32_t>(lookIndex) < m_looks.GetCount()
                            ? m_looks.GetAt(static_cast<std::uint32_t>(lookIndex))->Get()
                            : nullptr;
    const RectD client = look ? look->GetClientRect().ToRectDouble() : RectD{0.0, 0.0, m_bounds.width, m_bounds.height};
    RectD overlap;
    const bool clientShows = RectD::Intersect(overlap, client, renderer.GetClipRect());
    ClipDescription content;
    content.flavor = ClipDescription::kTranslation;
    content.offset = {-m_scrollOffset.x, -m_scrollOffset.y};

    // One cursor through the z order: each run ends at the first child that is not its own.
    std::uint32_t cursor = 0;
    const auto runEnd = [&](std::int32_t dockedAxes)
    {
        std::uint32_t end = cursor;
        while (end < count)
        {
            const LControl& child = *m_children.GetAt(end, ChildControlList::kZOrder);
            if (!ClipsToParent(child) || DockedAxes(child) != dockedAxes)
                break;
            ++end;
        }
        return end;
    };
    const auto paintRange = [&](std::uint32_t end)
    {
        for (; cursor < end; ++cursor)
        {
            const RCPtr<LControl> child = m_children.GetAt(cursor, ChildControlList::kZOrder);
            child->Paint(renderer, dirty, unclipped, false);
        }
    };

    for (std::int32_t dockedAxes = 0; dockedAxes < 2; ++dockedAxes)
    {
        const std::uint32_t end = runEnd(dockedAxes);
        if (end == cursor)
            continue;
        if (!clientShows)
        {
            for (; cursor < end; ++cursor)
            {
                const RCPtr<LControl> child = m_children.GetAt(cursor, ChildControlList::kZOrder);
                if (child->m_unclippedCount > 0)
                    child->CollectUnclippedDescendants(unclipped, true, false);
            }
            continue;
        }
        const CAutoStencilClip clip(held, client, client);
        const CAutoClip scroll(held, content);
        paintRange(end);
    }
    const std::uint32_t end = runEnd(2);
    if (end > cursor)
    {
        ClipDescription fixed;
        fixed.flavor = ClipDescription::kTranslation;
        fixed.offset = {client.x - m_scrollOffset.x, client.y - m_scrollOffset.y};
        const CAutoClip translation(held, fixed);
        paintRange(end);
    }
}

std::int32_t LControl::CollectUnclippedDescendants(RCPtrArray<LControl>& list, bool onlyVisible, bool includeSelf)
{
    std::int32_t added = 0;
    const bool shown = Shown(*this);
    if (includeSelf && !ClipsToParent(*this) && (!onlyVisible || shown))
    {
        list.Add(RCPtr<LControl>(this));
        ++added;
    }
    if (onlyVisible && !shown)
        return added;
    for (std::uint32_t i = 0; i < m_children.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = m_children.GetAt(i, ChildControlList::kZOrder);
        // A clipped subtree without unclipped controls has nothing to add.
        if (ClipsToParent(*child) && child->m_unclippedCount <= 0)
            continue;
        added += child->CollectUnclippedDescendants(list, onlyVisible, true);
    }
    return added;
}

// 2. Invalidation -----------------------------------------------------------------------------------

void LControl::InvalidateWhole()
{
    Invalidate(RectD{0.0, 0.0, m_bounds.width, m_bounds.height}, ClipsToParent(*this));
}

void LControl::InvalidateWithUnclippedDescendants()
{
    InvalidateWhole();
    if (m_unclippedCount > 0)
        InvalidateUnclippedDescendants();
}

void LControl::InvalidateUnclippedDescendants()
{
    if (m_unclippedCount <= 0)
    {
        if (!ClipsToParent(*this))
            Invalidate(RectD{0.0, 0.0, m_bounds.width, m_bounds.height}, false);
        return;
    }
    RCPtrArray<LControl> list;
    CollectUnclippedDescendants(list, true, true);
    for (std::uint32_t i = list.GetCount(); i-- > 0;)
        (*list.GetAt(i))->InvalidateWhole();
}

void LControl::Invalidate(const RectD& rect, bool clip)
{
    PointD origin;
    GetPositionInRoot(origin);
    PropagateInvalidate(RectD{rect.x + origin.x, rect.y + origin.y, rect.width, rect.height}, clip, rect);
}

void LControl::PropagateInvalidate(const RectD& rootRect, bool clip, const RectD& localRect)
{
    if (!Shown(*this))
        return;
    RectD area = localRect;
    if (clip && ClipsToParent(*this))
    {
        if (!RectD::Intersect(area, localRect, RectD{0.0, 0.0, m_bounds.width, m_bounds.height}))
            return;
    }
    else
    {
        clip = false;
    }
    if (m_parent)
    {
        const RectD client = m_parent->GetLookClientRect(-1);
        area.x += m_bounds.x - m_parent->m_scrollOffset.x + client.x;
        area.y += m_bounds.y - m_parent->m_scrollOffset.y + client.y;
        m_parent->PropagateInvalidate(rootRect, clip, area);
        return;
    }
    if (!m_rootWindow)
        return;
    RectD handed = rootRect;
    if (clip)
    {
        area.x += m_bounds.x;
        area.y += m_bounds.y;
        if (!RectD::Intersect(handed, rootRect, area))
            return;
    }
    m_rootWindow->InvalidateRect(handed);
}

// 3. Hit testing --------------------------------------------------------------------------------------

std::int32_t LControl::GetEffectiveDepth() const
{
    std::int32_t depth = kNoDepth;
    for (const LControl* control = this; control; control = control->m_parent.Get())
        if (!ClipsToParent(*control))
            depth = std::max(depth, ZOrderOf(*control));
    return depth;
}

std::uint32_t LControl::GetLookColorAtPoint(const PointD& point, std::int32_t index)
{
    if (index < 0 || static_cast<std::uint32_t>(index) >= m_looks.GetCount())
        index = GetCurrentLookIndex();
    const LLook* look = index >= 0 ? m_looks.GetAt(static_cast<std::uint32_t>(index))->Get() : nullptr;
    if (!look)
        return LVisualPart::kOutside;
    const LongPair pixel = ToLongPair({std::floor(point.x), std::floor(point.y)});
    return look->GetColorAtPoint(PointL{pixel.first, pixel.second});
}

bool LControl::IsTransparentAtPoint(const PointD& point)
{
    for (std::uint32_t i = 0; i < m_looks.GetCount() && i < m_lookOpacities.size(); ++i)
        if (m_lookOpacities[i] > 0.0f && (GetLookColorAtPoint(point, static_cast<std::int32_t>(i)) >> 24) != 0)
            return false;
    return true;
}

bool LControl::ContainsPoint(const PointD& point)
{
    const double x = RoundHalfAway(point.x);
    const double y = RoundHalfAway(point.y);
    return x >= 0.0 && y >= 0.0 && x < m_bounds.width && y < m_bounds.height;
}

bool LControl::PointInParentClient(const PointL& point) const
{
    // Child bounds are in the parent's client coordinates: the client area starts at 0 there.
    const RectD client = m_parent->GetLookClientRect(-1);
    const double x = point.x + RoundHalfAway(m_bounds.x) - m_parent->m_scrollOffset.x;
    const double y = point.y + RoundHalfAway(m_bounds.y) - m_parent->m_scrollOffset.y;
    return x >= 0.0 && y >= 0.0 && x < client.width && y < client.height;
}

QKRESULT LControl::FindControlAtPoint(RCPtr<LControl>& control, const PointL& point, bool inClient, PointL& local,
                                      std::int32_t& depth)
{
    control = nullptr;
    if (!Shown(*this))
        return QK_FALSE;
    const PointD here{static_cast<double>(point.x), static_cast<double>(point.y)};
    const bool contains = ContainsPoint(here);
    if (!contains && m_unclippedCount <= 0)
        return QK_FALSE;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    const std::int32_t incoming = depth;

    RCPtr<LControl> hit;
    PointL hitPoint;
    std::int32_t hitDepth = incoming;
    const std::uint32_t count = m_children.GetCount();
    for (std::uint32_t look = 0; count > 0 && look < m_looks.GetCount() && look < m_lookOpacities.size(); ++look)
    {
        if (!(m_lookOpacities[look] > 0.0f))
            continue;
        const RectD client = GetLookClientRect(static_cast<std::int32_t>(look));
        const bool inside = here.x >= client.x && here.y >= client.y && here.x < client.x + client.width &&
                            here.y < client.y + client.height;
        const LongPair scroll = ToLongPair({m_scrollOffset.x, m_scrollOffset.y});
        const std::int64_t contentX = std::int64_t{point.x} - static_cast<std::int64_t>(client.x) + scroll.first;
        const std::int64_t contentY = std::int64_t{point.y} - static_cast<std::int64_t>(client.y) + scroll.second;
        for (std::uint32_t i = count; i-- > 0;)
        {
            const RCPtr<LControl> child = m_children.GetAt(i, ChildControlList::kZOrder);
            const bool ask = (!hit && (DockedAxes(*child) == 2 || (contains && inClient && inside) ||
                                       child->GetEffectiveDepth() > kNoDepth)) ||
                             !ClipsToParent(*child) || child->m_unclippedCount > 0;
            if (!ask)
                continue;
            const LongPair position = ToLongPair({child->m_bounds.x, child->m_bounds.y});
            const LongPair childPoint = ToLongPair({static_cast<double>(contentX - position.first),
                                                    static_cast<double>(contentY - position.second)});
            RCPtr<LControl> found;
            PointL foundPoint;
            std::int32_t foundDepth = incoming;
            if (child->FindControlAtPoint(found, PointL{childPoint.first, childPoint.second}, inClient && contains,
                                          foundPoint, foundDepth) != QK_OK ||
                !found)
                continue;
            // Equal depths keep the earlier hit: the child higher in the z order.
            if (!hit || foundDepth > hitDepth)
            {
                hit = found;
                hitPoint = foundPoint;
                hitDepth = foundDepth;
            }
        }
    }
    if (hit)
    {
        control = hit;
        local = hitPoint;
        depth = hitDepth;
        return QK_OK;
    }

    if (!contains || m_excludedFromHitTest || IsTransparentAtPoint(here))
        return QK_FALSE;
    if (m_parent && ClipsToParent(*this) && DockedAxes(*this) != 2 && !PointInParentClient(point))
        return QK_FALSE;
    const std::int32_t own = GetEffectiveDepth();
    if (!(own > incoming || (own == kNoDepth && inClient)))
        return QK_FALSE;
    control = RCPtr<LControl>(this);
    local = point;
    depth = own;
    return QK_OK;
}

} // namespace QK
