// LProgressBar: the progress of a long operation as a bar, a percentage and an estimate of
// the time remaining ("Framework.ProgressBar").
//
// The value (0..1) is the fraction done; the range is 0..100. Every value change sizes the
// bar "activeOverlay" (hidden below one pixel) and writes the percentage into
// "percentCompleteLabel". While active, the bar measures the average rate since activation
// and writes the remaining time, in the "Framework" string table's words, into
// "timeRemainingLabel"; reaching 1.0 ends the estimate. A missing child is skipped. Times
// are the application's running seconds. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"

#include <cstdint>

namespace QK
{

class LProgressBar : public LControl
{
public:
    LProgressBar(LControl* parent, const WString& name) : LControl(parent, name) {}

    // The create function of "Framework.ProgressBar".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to LControl's, in slot order --------------------------------------

    virtual void SetTimeRemaining(std::int32_t seconds);
    virtual void SetActive(bool active);

    // --- LControl --------------------------------------------------------------------------

    void OnValueChanged() override;
    QKRESULT Initialize() override;
    QKRESULT InitializeParts() override;

    bool IsActive() const { return m_active; }
    // The text SetTimeRemaining writes for seconds.
    WString FormatTimeRemaining(std::int32_t seconds) const;

private:
    enum Word
    {
        kHoursSingular,
        kHoursPlural,
        kMinutesSingular,
        kMinutesPlural,
        kSecondsSingular,
        kSecondsPlural,
        kRemaining,
        kWordCount
    };

    RCPtr<LNotificationHandler<LProgressBar>> m_progressHandlers;
    RCPtr<LControl> m_bar;
    RCPtr<LControl> m_timeLabel;
    RCPtr<LControl> m_percentLabel;
    WString m_words[kWordCount];
    double m_startTime = 0.0;
    double m_startValue = 0.0;
    double m_sampleTime = 0.0;
    double m_sampleValue = 0.0;
    bool m_active = false;
};

} // namespace QK
