// LScrollbar: the scroll bar. Its value is a fraction 0..1, the thumb's place in the channel;
// the value range maps it to a range value for owners that want one (the scroll view sets
// the range to its scrollable pixels).
//
// Parts (children found by name): "dec" and "inc", auto-repeating buttons that step by the
// line step; "channel", the track, which pages by the page step while it is held (first at
// the press, again after 0.4 s, then every 0.2 s while the pointer stays in the same zone);
// "thumb", dragged along the channel. The thumb's place and length are along the bar's axis
// in the bar's client coordinates, where the channel starts at 0.
//
// While the thumb is dragged a value set from outside is kept and applied when the drag
// ends, if it lies within 0..1. The bar also answers the arrow, page, Home and End keys
// its parent offers as "NID_SIBLING_KEY" (the sibling-key mask says which).
//
// Paging runs from OnTimer on the idle passes of the root window, on the UI thread, with
// the application clock. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ObjectBase/Exception.h"

#include <cstdint>

namespace QK
{

class LScrollbar : public LControl
{
public:
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kInitializeSite{"QK::LScrollbar::Initialize", "Controls\\ScrollBar", 60};

    LScrollbar(LControl* parent, const WString& name);
    ~LScrollbar() override;

    // The create function of "Framework.ScrollBar".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to LControl's -----------------------------------------------------

    // Thumb length from the visible fraction, then the thumb placed.
    virtual void UpdateThumbSize();
    // 0x80070057 for bits above the low 8. Non-zero listens to the parent's sibling keys.
    virtual QKRESULT SetSiblingKeyMask(std::uint32_t mask);

    // --- LControl --------------------------------------------------------------------------

    // Clamped into 0..1 and the thumb placed; during a thumb drag only kept for the drag's
    // end, answering the current value.
    double SetValue(double value) override;
    // Keeps the range value across the change; 0x80070057 (nothing stored) for a bad range.
    QKRESULT SetValueRange(double minimum, double maximum, std::int32_t scale) override;
    void OnSizeChanged() override;
    void OnTimer() override;
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    // --- State -----------------------------------------------------------------------------

    bool IsVertical() const { return m_vertical != 0; }
    // Sets the orientation that Initialize guessed from the bar's size: a scroll view knows
    // its "vBar" and "hBar", which may have no length yet when they are made (a drop-down
    // list is laid out only when it opens).
    void SetVertical(bool vertical);
    double GetLineStep() const { return m_lineStep; }
    void SetLineStep(double step) { m_lineStep = step; }
    double GetPageStep() const { return m_pageStep; }
    void SetPageStep(double step) { m_pageStep = step; }
    double GetVisibleFraction() const { return m_visibleFraction; }
    void SetVisibleFraction(double fraction) { m_visibleFraction = fraction; }
    double GetThumbLength() const { return m_thumbLength; }
    double GetChannelEnd() const { return m_channelEnd; }
    bool IsThumbDragging() const { return m_thumbDragging; }
    std::int32_t GetPagingZone() const { return m_pagingZone; }
    std::uint32_t GetSiblingKeyMask() const { return m_siblingKeyMask; }
    LControl* GetThumb() const { return m_thumb.Get(); }

private:
    QKRESULT OnChannelDrag(const ConstRCPtr<LNotificationDistributor>& source,
                           const ConstRCPtr<LNotification>& notification);
    QKRESULT OnChannelHover(const ConstRCPtr<LNotificationDistributor>& source,
                            const ConstRCPtr<LNotification>& notification);
    QKRESULT OnThumbMove(const ConstRCPtr<LNotificationDistributor>& source,
                         const ConstRCPtr<LNotification>& notification);
    QKRESULT OnThumbDrag(const ConstRCPtr<LNotificationDistributor>& source,
                         const ConstRCPtr<LNotification>& notification);
    QKRESULT OnButtonRepeat(const ConstRCPtr<LNotificationDistributor>& source,
                            const ConstRCPtr<LNotification>& notification);
    QKRESULT OnSiblingKey(const ConstRCPtr<LNotificationDistributor>& source,
                          const ConstRCPtr<LNotification>& notification);

    // The channel's extent along the axis, then the thumb's length and place.
    void ReadChannel();
    // Where the channel starts in the bar: the thumb travels in the channel's coordinates
    // (0 to the channel's length) and is placed in the bar's.
    double ChannelOffset() const;
    // The thumb's coordinate along the axis in the channel, and setting it through the layout.
    double ThumbPosition() const;
    void MoveThumb(double position);
    void PlaceThumb();
    // The zone of a point along the axis in channel coordinates: 0 on the thumb, 1 before
    // it, 2 after it.
    std::int32_t ZoneAt(double along) const;
    // The zone the pointer is in now, from the root window's pointer position.
    std::int32_t PointerZone() const;
    void PageStep(std::int32_t zone);
    void UpdateChannelHighlight(std::int32_t zone);

    RCPtr<LNotificationHandler<LScrollbar>> m_barHandlers;
    std::int32_t m_vertical = 1;
    RCPtr<LControl> m_thumb;
    RCPtr<LControl> m_channel;
    double m_lineStep = 0.02;
    double m_pageStep = 0.2;
    double m_visibleFraction = 0.1;
    double m_minimumThumbLength = 10.0;
    double m_thumbLength = 0.0;
    double m_channelStart = 0.0;
    double m_channelEnd = 0.0;
    double m_channelFarEdge = 0.0;
    bool m_thumbDragging = false;
    std::int32_t m_grabOffset[2] = {0, 0};
    std::int32_t m_pagingZone = 0;
    double m_repeatInterval = 0.2;
    double m_initialDelay = 0.4;
    double m_lastPagingTime = 0.0;
    double m_pagingCountdown = 0.0;
    double m_deferredValue = -1.0;
    bool m_deferredValueApplies = true;
    std::uint32_t m_siblingKeyMask = 0;
    double m_hoverTime = 0.0;
};

} // namespace QK
