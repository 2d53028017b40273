// LCenteredSlider: a slider ("Framework.CenteredSlider") that also moves two bound panels,
// "lowRangeBounds" and "highRangeBounds" (plain panels, "Framework.CenteredSliderBounds"),
// to the thumb's centre, so that a skin can draw a bar from a fixed point to the thumb. A
// horizontal track moves them on X, a vertical one on Y, a slanted one not at all; only the
// absolute part of their position changes, the rest is the skin's. The panels and their
// "fill" children let the pointer through to the track. Everything else is the slider's.
//
// The thumb's moves reach this class's handler table first and then go on to the slider's.
// UI thread only.
#pragma once

#include "QKFramework/Controls/Slider.h"

namespace QK
{

class LCenteredSlider : public LSlider
{
public:
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kSetBoundsSite{"QK::LCenteredSlider::SetBoundsPosFromThumbPos",
                                              "Controls\\CenteredSlider", 67};
    static constexpr ThrowSite kInitializeSite{"QK::LCenteredSlider::Initialize", "Controls\\CenteredSlider",
                                               38};

    LCenteredSlider(LControl* parent, const WString& name);
    ~LCenteredSlider() override;

    // The create function of "Framework.CenteredSlider".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // Moves the bound panels to the thumb's centre; a runtime error without a thumb.
    virtual void SetBoundsPosFromThumbPos();

    // --- LSlider and LControl ------------------------------------------------------------------

    // The slider's, then the bound panels placed; answers the slider's result.
    double SetSliderValue(double fraction) override;
    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    LControl* GetLowBounds() const { return m_lowBounds.Get(); }
    LControl* GetHighBounds() const { return m_highBounds.Get(); }

private:
    QKRESULT OnThumbMove(const ConstRCPtr<LNotificationDistributor>& source,
                         const ConstRCPtr<LNotification>& notification);
    // Writes the absolute position of one axis of both panels.
    void MoveBounds(std::int32_t axis, double centre);

    RCPtr<LNotificationHandler<LCenteredSlider>> m_centeredHandlers;
    RCPtr<LControl> m_lowBounds;
    RCPtr<LControl> m_highBounds;
};

} // namespace QK
