#include "QKFramework/Controls/ToolTip.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"

#include <algorithm>

namespace QK
{

using namespace ControlDetail;

namespace
{

// When a visible tip last hid, shared by every tip of the process; UI thread only. Until a
// tip has hidden there is nothing to follow quickly, whatever the clock reads.
bool g_anyHidden = false;
std::uint32_t g_lastHidden = 0;

} // namespace

RCPtr<LControl> LToolTip::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LToolTip(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

void LToolTip::ForgetLastHidden()
{
    g_anyHidden = false;
    g_lastHidden = 0;
}

void LToolTip::Show(const WString& text)
{
    SetText(text);
    Show();
}

void LToolTip::Show()
{
    const RCPtr<LControl> self(this);
    // Long texts wrap inside the window: the widest the tip may grow is the window less 8.
    if (const IRootWindow* root = GetRootWindowLink())
        if (const RCPtr<LLayoutDescriptor>& layout = GetLayoutDescriptor())
        {
            LayoutLimit widest;
            widest.Abs = static_cast<double>(root->GetClientSize().first) - kWidthMargin;
            SetAxisSizeLimits(0, layout->X.MinSize, widest);
        }
    const std::uint32_t now = LControlApp::GetMilliseconds();
    m_time = now;
    m_state = (g_anyHidden && static_cast<std::uint32_t>(now - g_lastHidden) < kQuickFollow) ? kShown : kWaiting;
    if (m_state == kShown)
        Appear();
    BeginIdleAnimation();
}

void LToolTip::Appear()
{
    Place();
    SetVisible(true);
}

void LToolTip::OnTimer()
{
    const RCPtr<LControl> self(this);
    const std::uint32_t now = LControlApp::GetMilliseconds();
    const std::uint32_t elapsed = now - m_time;
    if (m_state == kWaiting && elapsed > kAppearDelay)
    {
        m_state = kShown;
        m_time = now;
        Appear();
    }
    else if (m_state == kShown && elapsed > kDisplayTime)
    {
        Hide();
    }
}

void LToolTip::Hide()
{
    const RCPtr<LControl> self(this);
    if (m_state != kIdle)
    {
        m_state = kIdle;
        EndIdleAnimation();
    }
    if (IsVisible(false) && GetWidth() > 0.0 && GetHeight() > 0.0)
    {
        g_lastHidden = LControlApp::GetMilliseconds();
        g_anyHidden = true;
    }
    if (LControl* parent = GetParent())
        parent->RemoveChild(this);
}

void LToolTip::Place()
{
    const IRootWindow* root = GetRootWindowLink();
    const RCPtr<LLayoutDescriptor>& layout = GetLayoutDescriptor();
    if (!root || !layout)
        return;
    const PointL pointer = root->GetCursorPosition();
    const LongPair rootExtent = root->GetClientSize();
    // Where position 0 of the parent's client area lies in the window: the bounds are in
    // those coordinates.
    PointD inRoot;
    GetPositionInRoot(inRoot);
    const PointD origin{inRoot.x - GetBounds().x, inRoot.y - GetBounds().y};
    const double extent[2] = {RoundHalfAway(GetWidth()), RoundHalfAway(GetHeight())};
    const double wanted[2] = {static_cast<double>(pointer.x), static_cast<double>(pointer.y) + kPointerOffset};
    const double limit[2] = {static_cast<double>(rootExtent.first), static_cast<double>(rootExtent.second)};
    for (std::int32_t axis = 0; axis < 2; ++axis)
    {
        double position = wanted[axis];
        if (position + extent[axis] > limit[axis])
            position = limit[axis] - extent[axis];
        position = std::max(position, 0.0);
        const AxisSpec& spec = axis == 0 ? layout->X : layout->Y;
        LayoutReference where = spec.Position;
        where.Abs = position - (axis == 0 ? origin.x : origin.y);
        SetAxisLayout(axis, spec.PlacementAnchor, IsDocked(*this, axis), where, spec.Size);
    }
}

QKRESULT LToolTip::ApplyCreateParam()
{
    const QKRESULT result = LControl::ApplyCreateParam();
    SetNotFocusable(true);
    return result;
}

QKRESULT LToolTip::InitializeParts()
{
    SetVisible(false);
    return QK_OK;
}

} // namespace QK
