#include "QKFramework/Controls/ProgressBar.h"

#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"

#include <cstdint>
#include <limits>

namespace QK
{

using namespace ControlDetail;

RCPtr<LControl> LProgressBar::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    if (!descriptor)
        return nullptr;
    RCPtr<LControl> control(new LProgressBar(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    control->CreateChildControls(descriptor);
    control->Initialize();
    control->InitializeParts();
    control->SetCreated();
    return control;
}

WString LProgressBar::FormatTimeRemaining(std::int32_t seconds) const
{
    const auto part = [this](std::int64_t count, Word singular, Word plural)
    {
        return WString::Format(u"%lld ", static_cast<long long>(count)) + m_words[count == 1 ? singular : plural] +
               WString(u" ");
    };
    if (seconds == 0)
        return WString(u"0 ") + m_words[kSecondsPlural] + WString(u" ") + m_words[kRemaining];
    const std::int64_t s = seconds;
    const std::int64_t hours = s >= 3600 ? s / 3600 : 0;
    const std::int64_t minutes = s >= 60 ? (s - 3600 * hours) / 60 : 0;
    const std::int64_t rest = (s - 3600 * hours) % 60;
    WString text;
    if (hours >= 1)
        text = text + part(hours, kHoursSingular, kHoursPlural);
    if (hours >= 1 && minutes == 0)
        text = text + part(0, kMinutesSingular, kMinutesPlural);
    else if (minutes >= 1)
        text = text + part(minutes, kMinutesSingular, kMinutesPlural);
    text = text + part(rest, kSecondsSingular, kSecondsPlural);
    return text + m_words[kRemaining];
}

void LProgressBar::SetTimeRemaining(std::int32_t seconds)
{
    if (!m_timeLabel)
        return;
    m_timeLabel->SetVisible(true);
    m_timeLabel->SetText(FormatTimeRemaining(seconds));
}

void LProgressBar::SetActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (!active)
        return;
    m_startTime = m_sampleTime = LControlApp::GetTime();
    m_startValue = m_sampleValue = GetValue();
}

void LProgressBar::OnValueChanged()
{
    const RCPtr<LControl> self(this);
    const double value = GetValue();
    const double percent = value * 100.0;
    const double width = RoundHalfAway(GetWidth() * percent / 100.0);
    if (m_bar)
    {
        if (width >= 1.0)
        {
            m_bar->SetVisible(true);
            const RCPtr<LLayoutDescriptor>& layout = m_bar->GetLayoutDescriptor();
            if (layout)
                m_bar->SetAxisLayout(0, layout->X.PlacementAnchor, layout->XIsDocked, layout->X.Position,
                                     LayoutReference{2, WString(), 0.0f, width});
        }
        else
        {
            m_bar->SetVisible(false);
        }
    }
    if (m_percentLabel)
        m_percentLabel->SetText(WString::DoubleToString(percent, 0));
    if (!m_active)
        return;
    const double now = LControlApp::GetTime();
    if (value > m_sampleValue && now > m_sampleTime)
    {
        const double rate = (value - m_startValue) / (now - m_startTime);
        if (now - m_sampleTime > 1.0)
        {
            m_sampleTime = now;
            m_sampleValue = value;
        }
        // A rate near zero would give more seconds than the label can count: they stop at
        // the largest count.
        double remaining = rate > 0.0 ? RoundHalfAway((1.0 - value) / rate) : 0.0;
        remaining = std::min(remaining, static_cast<double>(std::numeric_limits<std::int32_t>::max()));
        remaining = std::max(remaining, 0.0);
        SetTimeRemaining(static_cast<std::int32_t>(remaining));
    }
    if (value >= 1.0)
        m_active = false;
}

QKRESULT LProgressBar::Initialize()
{
    const QKRESULT result = LControl::Initialize();
    m_progressHandlers = LNotificationHandler<LProgressBar>::Create(this);
    m_bar = FindChild(WString(u"activeOverlay"));
    m_timeLabel = FindChild(WString(u"timeRemainingLabel"));
    m_percentLabel = FindChild(WString(u"percentCompleteLabel"));
    static const char16_t* const kKeys[kWordCount] = {u"HOURS_SINGULAR",   u"HOURS_PLURAL",   u"MINUTES_SINGULAR",
                                                      u"MINUTES_PLURAL",   u"SECONDS_SINGULAR", u"SECONDS_PLURAL",
                                                      u"REMAINING"};
    const LControlFactory* factory = LControlApp::GetControlFactory();
    const RCPtr<LStringTable> table = factory ? factory->GetStringTable(WString(u"Framework")) : nullptr;
    for (std::int32_t i = 0; i < kWordCount; ++i)
        if (!table || !FindStringMapValue(*table, kKeys[i], m_words[i]))
            m_words[i] = WString();
    SetValue(0.0);
    SetValueRange(0.0, 100.0, 0);
    return result;
}

QKRESULT LProgressBar::InitializeParts()
{
    SetNotFocusable(true);
    OnValueChanged();
    return QK_OK;
}

} // namespace QK
