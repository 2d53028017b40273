// Contents: 1. construction and parts; 2. extent; 3. bar layout; 4. bars and offset;
// 5. wheel; 6. geometry overrides; 7. receiving.
#include "QKFramework/ControlBase/ScrollView.h"

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/LayoutDescriptor.h"
#include "QKFramework/Controls/ScrollBar.h"
#include "QKFramework/Notification/Notification.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace QK
{

using namespace ControlDetail;

namespace
{

constexpr double kSameExtent = 2.220446049250313e-15;
constexpr std::uint32_t kModifierShift = 0x8;
constexpr std::uint32_t kModifierAlt = 0x40;

std::int32_t ToInt32(double value)
{
    const double rounded = RoundHalfAway(value);
    if (!(rounded >= -2147483648.0))
        return std::numeric_limits<std::int32_t>::min();
    if (rounded > 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(rounded);
}

double Held(double value)
{
    return std::clamp(value, -kUnbounded, kUnbounded);
}

} // namespace

// 1. Construction and parts ---------------------------------------------------------------------

LScrollView::LScrollView(LControl* parent, const WString& name) : LControl(parent, name) {}

LScrollView::~LScrollView() = default;

RCPtr<LControl> LScrollView::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return ControlDetail::CreateControlOf<LScrollView>(parent, descriptor);
}

QKRESULT LScrollView::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    if (Failed(result))
        return result;
    if (!m_viewHandlers)
        m_viewHandlers = LNotificationHandler<LScrollView>::Create(this);
    m_corner = FindChild(WString(u"corner"));
    m_hBar = RCPtr<LScrollbar>(dynamic_cast<LScrollbar*>(FindChild(WString(u"hBar")).Get()));
    m_vBar = RCPtr<LScrollbar>(dynamic_cast<LScrollbar*>(FindChild(WString(u"vBar")).Get()));
    const QKRESULT bars = InitializeScrollBars();
    m_initializedOnce = true;
    return bars;
}

QKRESULT LScrollView::InitializeScrollBars()
{
    m_vBarThickness = 0.0;
    m_hBarThickness = 0.0;
    if (m_corner)
    {
        // The skin's sizes, not the current ones: a hidden bar leaves the corner at 0.
        const LControlDescriptor* descriptor = m_corner->GetControlDescriptor().Get();
        if (descriptor && descriptor->Layout)
        {
            m_vBarThickness = descriptor->Layout->X.Size.Abs;
            m_hBarThickness = descriptor->Layout->Y.Size.Abs;
        }
    }
    for (LScrollbar* bar : {m_hBar.Get(), m_vBar.Get()})
    {
        if (!bar)
            continue;
        if (!m_initializedOnce && m_viewHandlers)
            m_viewHandlers->AddHandler(&LScrollView::OnScrollBarValueChanged,
                                       ConstRCPtr<LNotificationDistributor>(bar), kNidValueChange);
        bar->SetVertical(bar == m_vBar.Get());
        double& thickness = bar == m_hBar.Get() ? m_hBarThickness : m_vBarThickness;
        if (thickness == 0.0)
            thickness = bar == m_hBar.Get() ? bar->GetHeight() : bar->GetWidth();
    }
    LayoutScrollBars();
    return QK_OK;
}

QKRESULT LScrollView::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    if (!m_initializedOnce)
        return LControl::CreateFromDescriptor(descriptor);
    // The skin is applied again: the extent waits until the bars are known again.
    const std::uint32_t mode = m_autoMode;
    m_autoMode = 0;
    const QKRESULT result = LControl::CreateFromDescriptor(descriptor);
    InitializeScrollBars();
    m_autoMode = mode;
    UpdateClientExtent();
    LayoutScrollBars();
    LControl::OnSizeChanged();
    return result;
}

QKRESULT LScrollView::ApplyCreateParam()
{
    const QKRESULT result = LControl::ApplyCreateParam();
    const LControlDescriptor* descriptor = GetControlDescriptor().Get();
    if (!descriptor || !descriptor->CreateParams)
        return result;
    WString text;
    std::uint32_t mode = 0;
    if (FindParam(descriptor, u"AUTO_CLIENT_EXTENT_X", text) && ParamIsTrue(text))
        mode |= 0x1;
    if (FindParam(descriptor, u"AUTO_CLIENT_EXTENT_Y", text) && ParamIsTrue(text))
        mode |= 0x2;
    m_autoMode = mode;
    m_extraWidth = 0;
    m_extraHeight = 0;
    UpdateClientExtent();
    return result;
}

// 2. Extent ---------------------------------------------------------------------------------------

QKRESULT LScrollView::SetClientExtent(double width, double height)
{
    if (std::fabs(width - m_extent.first) < kSameExtent && std::fabs(height - m_extent.second) < kSameExtent)
        return QK_FALSE;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    m_extent = {width, height};
    OnClientExtentChanged();
    Send(kNidClientExtentChange, nullptr);
    return QK_OK;
}

QKRESULT LScrollView::SetAutoClientExtent(std::uint32_t mode, std::int32_t extraWidth, std::int32_t extraHeight)
{
    m_autoMode = mode;
    m_extraWidth = extraWidth;
    m_extraHeight = extraHeight;
    UpdateClientExtent();
    return QK_OK;
}

std::pair<std::int32_t, std::int32_t> LScrollView::GetChildrenExtent() const
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    const ChildControlList& children = GetChildren();
    for (std::uint32_t i = children.GetCount(); i-- > 0;)
    {
        const LControl& child = *children.GetAt(i);
        const RectD& bounds = child.GetBounds();
        const std::int64_t x = ToInt32(bounds.x);
        const std::int64_t y = ToInt32(bounds.y);
        const std::int64_t w = ToInt32(bounds.width);
        const std::int64_t h = ToInt32(bounds.height);
        if (!IsDocked(child, 0))
            width = static_cast<std::int32_t>(std::clamp<std::int64_t>(std::max<std::int64_t>(width, x + w),
                                                                        INT32_MIN, INT32_MAX));
        if (!IsDocked(child, 1))
            height = static_cast<std::int32_t>(std::clamp<std::int64_t>(std::max<std::int64_t>(height, y + h),
                                                                         INT32_MIN, INT32_MAX));
    }
    return {width, height};
}

QKRESULT LScrollView::UpdateClientExtent()
{
    if (m_autoMode == 0)
        return QK_FALSE;
    const auto [childrenWidth, childrenHeight] = GetChildrenExtent();
    const double width = Held(static_cast<double>(childrenWidth) + m_extraWidth);
    const double height = Held(static_cast<double>(childrenHeight) + m_extraHeight);
    switch (m_autoMode)
    {
    case 1:
        return SetClientExtent(width, m_extent.second);
    case 2:
        return SetClientExtent(m_extent.first, height);
    case 3:
        return SetClientExtent(width, height);
    default:
        return QK_OK;
    }
}

void LScrollView::OnClientExtentChanged()
{
    LayoutScrollBars();
    UpdateVisibleClientArea();
}

// 3. Bar layout -----------------------------------------------------------------------------------

bool LScrollView::IsUsable(const LControl* bar)
{
    if (!bar)
        return false;
    const RCPtr<LLayoutDescriptor>& layout = bar->GetLayoutDescriptor();
    return layout && layout->IsVisible && bar->GetWidth() > 0.0 && bar->GetHeight() > 0.0;
}

double LScrollView::VerticalBarWidth() const
{
    if (m_corner)
        return m_corner->GetWidth();
    return m_vBar ? m_vBar->GetWidth() : 0.0;
}

double LScrollView::HorizontalBarHeight() const
{
    if (m_corner)
        return m_corner->GetHeight();
    return m_hBar ? m_hBar->GetHeight() : 0.0;
}

DoublePair LScrollView::GetScrollBarSizes() const
{
    return {VerticalBarWidth(), HorizontalBarHeight()};
}

QKRESULT LScrollView::LayoutScrollBars()
{
    if (m_inBarLayout)
        return QK_FALSE;
    const RCPtr<LControl> self = GetRefCount() > 0 ? RCPtr<LControl>(this) : nullptr;
    m_inBarLayout = true;
    const bool vShown = VerticalBarWidth() > 0.0;
    const bool hShown = HorizontalBarHeight() > 0.0;
    const bool vUsable = IsUsable(m_vBar.Get());
    const bool hUsable = IsUsable(m_hBar.Get());
    const RectD before = GetChildClientRect(nullptr);
    const double fullWidth = before.width + (vShown ? m_vBarThickness : 0.0);
    const double fullHeight = before.height + (hShown ? m_hBarThickness : 0.0);
    UpdateClientExtent();
    bool needV = m_extent.second > fullHeight;
    const bool needH = m_extent.first > fullWidth - (needV ? m_vBarThickness : 0.0);
    if (needH && !needV)
        needV = m_extent.second > fullHeight - m_hBarThickness;
    ShowScrollBar(1, needV);
    ShowScrollBar(0, needH);
    UpdateScrollBars();
    if (IsUsable(m_vBar.Get()) != vUsable)
        OnScrollBarShownChanged(1);
    if (IsUsable(m_hBar.Get()) != hUsable)
        OnScrollBarShownChanged(0);
    const RectD after = GetChildClientRect(nullptr);
    if (after.x != before.x || after.y != before.y || after.width != before.width || after.height != before.height)
        OnClientAreaChanged();
    UpdateClientExtent();
    m_inBarLayout = false;
    return QK_OK;
}

void LScrollView::ShowScrollBar(std::int32_t axis, bool show)
{
    LScrollbar* bar = axis == 1 ? m_vBar.Get() : m_hBar.Get();
    if (!bar || IsUsable(bar) == show)
        return;
    LControl* target = m_corner ? m_corner.Get() : bar;
    const RCPtr<LLayoutDescriptor>& layout = target->GetLayoutDescriptor();
    if (!layout)
        return;
    // The vertical bar's thickness is a width, the horizontal bar's a height.
    const std::int32_t layoutAxis = axis == 1 ? 0 : 1;
    const AxisSpec spec = layoutAxis == 0 ? layout->X : layout->Y;
    LayoutReference size = spec.Size;
    size.Abs = show ? (axis == 1 ? m_vBarThickness : m_hBarThickness) : 0.0;
    target->SetAxisLayout(layoutAxis, spec.PlacementAnchor, layoutAxis == 0 ? layout->XIsDocked : layout->YIsDocked,
                          spec.Position, size);
}

void LScrollView::UpdateScrollBars()
{
    for (LScrollbar* bar : {m_hBar.Get(), m_vBar.Get()})
    {
        if (!bar || !bar->GetParent())
            continue;
        const bool horizontal = bar == m_hBar.Get();
        const RectD visible = GetChildClientRect(nullptr);
        const double v = horizontal ? visible.width : visible.height;
        const double e = horizontal ? m_extent.first : m_extent.second;
        float fraction = 1.0f;
        float page = 1.0f;
        if (e > v)
        {
            fraction = static_cast<float>(v) / static_cast<float>(e);
            page = std::clamp(static_cast<float>(v) / static_cast<float>(e - v), 0.0f, 1.0f);
        }
        bar->SetValueRange(0.0, e - v, 0);
        bar->SetVisibleFraction(fraction);
        bar->UpdateThumbSize();
        bar->SetPageStep(page);
        // A fixed step in pixels is its share of the scrollable pixels; with nothing to
        // scroll there is nothing to share, and the tenth of a page stands.
        const double range = e - v;
        bar->SetLineStep(m_smallStepPixels > 0.0 && range > 0.0 ? m_smallStepPixels / range : static_cast<double>(page) / 10.0);
        const RectD measured = GetChildClientRect(nullptr);
        const double shown = horizontal ? measured.width : measured.height;
        double offset = RoundHalfAway((e - shown) * bar->GetValue());
        if (offset < 0.0)
            offset = 0.0;
        const PointD& current = GetScrollOffset();
        if (offset != (horizontal ? current.x : current.y))
            SetScrollOffset(horizontal ? PointD{offset, current.y} : PointD{current.x, offset});
    }
}

namespace
{

// The offset on one axis that shows [start, start + size) of the content inside the shown
// [shownStart, shownStart + shownSize), moving as little as it can; both in window pixels.
double OffsetShowing(double offset, double start, double size, double shownStart, double shownSize)
{
    if (start < shownStart || size > shownSize)
        return offset - (shownStart - start);
    if (start + size > shownStart + shownSize)
        return offset + (start + size) - (shownStart + shownSize);
    return offset;
}

} // namespace

bool LScrollView::ScrollIntoView(const LControl& control)
{
    bool moved = false;
    for (LControl* at = control.GetParent(); at; at = at->GetParent())
    {
        auto* view = dynamic_cast<LScrollView*>(at);
        if (!view || (!IsUsable(view->m_hBar.Get()) && !IsUsable(view->m_vBar.Get())))
            continue;
        // Measured again at each level: scrolling an inner view moves nothing outside it,
        // scrolling an outer one moves the inner view and the control alike.
        RectL target;
        control.GetWindowRect(target);
        RectL shown;
        view->GetWindowRect(shown);
        const RectD client = view->GetChildClientRect(nullptr);
        const RectD range = view->GetClientExtent();
        const PointD& offset = view->GetScrollOffset();
        const PointD wanted{
            std::clamp(OffsetShowing(offset.x, target.x, target.width, shown.x + client.x, client.width), 0.0,
                       std::max(0.0, range.width)),
            std::clamp(OffsetShowing(offset.y, target.y, target.height, shown.y + client.y, client.height), 0.0,
                       std::max(0.0, range.height))};
        if (wanted.x != offset.x || wanted.y != offset.y)
            moved = view->SetScrollOffset(wanted) == QK_OK || moved;
    }
    return moved;
}

void LScrollView::SetSmallScrollStep(double pixels)
{
    m_smallStepPixels = pixels > 0.0 ? pixels : 0.0;
    UpdateScrollBars();
}

// 4. Bars and offset ------------------------------------------------------------------------------

void LScrollView::OnClientInsetsChanged(const PointD& oldOffset, const PointD& newOffset)
{
    const RectD visible = GetChildClientRect(nullptr);
    for (LScrollbar* bar : {m_hBar.Get(), m_vBar.Get()})
    {
        if (!bar || !m_viewHandlers)
            continue;
        const bool horizontal = bar == m_hBar.Get();
        CAutoNotificationDisabler<LScrollView> suspended(*m_viewHandlers, ConstRCPtr<LNotificationDistributor>(bar),
                                                         kNidValueChange);
        const double range =
            std::max(0.0, horizontal ? m_extent.first - visible.width : m_extent.second - visible.height);
        const double offset = horizontal ? newOffset.x : newOffset.y;
        bar->SetValue(range > 0.0 ? offset / range : 0.0);
    }
    LControl::OnClientInsetsChanged(oldOffset, newOffset);
    UpdateVisibleClientArea();
}

QKRESULT LScrollView::OnScrollBarValueChanged(const ConstRCPtr<LNotificationDistributor>& source,
                                              const ConstRCPtr<LNotification>&)
{
    const PointD current = GetScrollOffset();
    // Whatever moved the bar, the offset stays within the content: a bar whose view the
    // content fits has a range that ends below 0, and its far end must not open a band
    // before the content.
    const RectD range = GetClientExtent();
    if (source.Get() == static_cast<const LNotificationDistributor*>(m_hBar.Get()) && m_hBar)
        SetScrollOffset(PointD{std::clamp(RoundHalfAway(m_hBar->FractionToValue(m_hBar->GetValue())), 0.0, range.width),
                               current.y});
    else if (source.Get() == static_cast<const LNotificationDistributor*>(m_vBar.Get()) && m_vBar)
        SetScrollOffset(PointD{current.x, std::clamp(RoundHalfAway(m_vBar->FractionToValue(m_vBar->GetValue())), 0.0,
                                                     range.height)});
    return QK_FALSE;
}

QKRESULT LScrollView::SetScrollOffset(const PointD& offset)
{
    const bool was = m_inScrollOffsetChange;
    m_inScrollOffsetChange = true;
    const QKRESULT result = LControl::SetScrollOffset(offset);
    m_inScrollOffsetChange = was;
    return result;
}

// 5. Wheel ----------------------------------------------------------------------------------------

QKRESULT LScrollView::Wheel(const LMouseWheelParam* wheel, bool horizontalWheel)
{
    if (!wheel)
        return QK_FALSE;
    const bool vUsable = IsUsable(m_vBar.Get());
    const bool hUsable = IsUsable(m_hBar.Get());
    if (!vUsable && !hUsable)
        return QK_FALSE;
    LScrollbar* bar = nullptr;
    if (vUsable && hUsable)
        bar = (horizontalWheel || (wheel->Modifiers & kModifierAlt)) ? m_hBar.Get() : m_vBar.Get();
    else
        bar = vUsable ? m_vBar.Get() : m_hBar.Get();
    const double step = (wheel->Modifiers & kModifierShift) ? bar->GetPageStep() : bar->GetLineStep();
    const std::int32_t adding = horizontalWheel ? LMouseWheelParam::kHorizontalNegative : LMouseWheelParam::kTowardUser;
    bar->SetValue(bar->GetValue() + (wheel->Direction == adding ? step : -step));
    return QK_OK;
}

QKRESULT LScrollView::OnMouseWheel(const LMouseWheelParam* wheel)
{
    return Wheel(wheel, false);
}

QKRESULT LScrollView::OnMouseHWheel(const LMouseWheelParam* wheel)
{
    return Wheel(wheel, true);
}

// 6. Geometry overrides ---------------------------------------------------------------------------

void LScrollView::GetClientRect(RectD& rect)
{
    m_clientRectPending = true;
    LControl::GetClientRect(rect);
}

void LScrollView::OnSizeChanged()
{
    LControl::OnSizeChanged();
    m_clientRectPending = false;
    UpdateClientExtent();
    LayoutScrollBars();
    UpdateVisibleClientArea();
}

void LScrollView::OnChildPlacementChanged(LControl* child)
{
    if (m_inBarLayout || m_inScrollOffsetChange || m_clientRectPending || !child)
    {
        LControl::OnChildPlacementChanged(child);
        return;
    }
    if (IsDocked(*child, 0) && IsDocked(*child, 1))
        LayoutScrollBars();
    else
        UpdateClientExtent();
    LControl::OnChildPlacementChanged(child);
}

void LScrollView::OnChildrenChanged(LControl* child, std::int32_t index)
{
    LControl::OnChildrenChanged(child, index);
    if (GetRootWindowLink())
        UpdateClientExtent();
}

void LScrollView::GetLayoutSize(DoublePair& size)
{
    LControl::GetLayoutSize(size);
    const RCPtr<LLayoutDescriptor>& layout = GetLayoutDescriptor();
    if (!layout)
        return;
    const auto [width, height] = GetChildrenExtent();
    if (layout->X.MaxSize.HasReference)
        size.first = width;
    if (layout->Y.MaxSize.HasReference)
        size.second = height;
}

RectD LScrollView::GetChildClientRect(LControl*)
{
    const RectD client = GetLookClientRect(-1);
    RectD rect{Held(client.x), Held(client.y), Held(client.width), Held(client.height)};
    if (IsUsable(m_vBar.Get()))
        rect.width -= VerticalBarWidth();
    if (IsUsable(m_hBar.Get()))
        rect.height -= HorizontalBarHeight();
    rect.width = std::max(0.0, rect.width);
    rect.height = std::max(0.0, rect.height);
    return rect;
}

RectD LScrollView::GetClientExtent() const
{
    RectD visible = const_cast<LScrollView*>(this)->GetChildClientRect(nullptr);
    const double width = m_extent.first > 0.0 ? std::max(0.0, m_extent.first - visible.width) : kUnbounded;
    const double height = m_extent.second > 0.0 ? std::max(0.0, m_extent.second - visible.height) : kUnbounded;
    return RectD{0.0, 0.0, width, height};
}

void LScrollView::GetClientInsets(RectD& insets)
{
    const RectD client = GetLookClientRect(-1);
    const PointD& offset = GetScrollOffset();
    double width = client.width;
    double height = client.height;
    if (GetChildren().GetCount() > 0)
    {
        RectD all{0.0, 0.0, 0.0, 0.0};
        bool any = false;
        for (std::uint32_t i = 0; i < GetChildren().GetCount(); ++i)
        {
            const RectD& b = GetChildren().GetAt(i)->GetBounds();
            if (!any)
            {
                all = b;
                any = true;
                continue;
            }
            const double right = std::max(all.x + all.width, b.x + b.width);
            const double bottom = std::max(all.y + all.height, b.y + b.height);
            all.x = std::min(all.x, b.x);
            all.y = std::min(all.y, b.y);
            all.width = right - all.x;
            all.height = bottom - all.y;
        }
        width = std::min(width, all.x + all.width);
        height = std::min(height, all.y + all.height);
    }
    insets = RectD{std::max(0.0, offset.x), std::max(0.0, offset.y), std::max(1.0, width), std::max(1.0, height)};
}

// 7. Receiving ------------------------------------------------------------------------------------

QKRESULT LScrollView::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                          const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LControl>(*this, m_viewHandlers, source, notification);
}

QKRESULT LScrollView::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LControl>(*this, m_viewHandlers, source, id);
}

} // namespace QK
