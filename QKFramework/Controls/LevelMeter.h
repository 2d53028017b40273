// LLevelMeter: a level between 0 and 1 as a bar, a peak marker and a clip light
// ("Framework.LevelMeter").
//
// The bar is the child "activeOverlay", sized along the meter's axis (Y when the meter is
// taller than wide, else X) and hidden below one pixel; the peak marker "peakLo" moves
// between its own skin position and that of "peakHi"; the clip light is the button
// "clipButton", which lights when the clip state given to UpdateMeter changes and, while
// latching, stays lit until clicked ("NID_CLIPLIGHT_UNLATCHED" then goes out from the
// meter). Missing children are skipped. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"

#include <cstdint>

namespace QK
{

class LLevelMeter : public LControl
{
public:
    LLevelMeter(LControl* parent, const WString& name) : LControl(parent, name) {}

    // The create function of "Framework.LevelMeter".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to LControl's, in slot order --------------------------------------

    virtual QKRESULT SetLevel(double level, double peak);
    virtual QKRESULT UpdateMeter(double level, double peak, std::int32_t clipState);
    // 0x80004005 without "clipButton".
    virtual QKRESULT SetClipButton(bool latching);
    virtual bool IsClipped();
    virtual std::int32_t GetClipMode();
    virtual std::int32_t SetClipMode(std::int32_t clipState);

    // --- LControl --------------------------------------------------------------------------

    void OnValueChanged() override;
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

    bool IsVertical() const { return m_vertical; }
    bool IsLatching() const { return m_latching; }

private:
    QKRESULT OnClipButtonClick(const ConstRCPtr<LNotificationDistributor>& source,
                               const ConstRCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LLevelMeter>> m_meterHandlers;
    std::int32_t m_clipState = 0;
    bool m_latching = false;
    PointD m_peakLoPosition;
    PointD m_peakHiPosition;
    RCPtr<LControl> m_peakLo;
    RCPtr<LControl> m_activeOverlay;
    RCPtr<LControl> m_clipButton;
    bool m_updating = false;
    bool m_vertical = false;
};

} // namespace QK
