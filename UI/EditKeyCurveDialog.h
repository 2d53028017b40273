// LEditKeyCurveDlg: the "Edit Keybed Curve" dialog ("PresetEditor.DialogEditKeyCurve").
//
// The keybed's velocity curve is four times in milliseconds, V1 > V2 > V3 > V4, each at a
// fixed level of the curve, and a black-key balance factor. The dialog shows the times in
// four up-downs and as four points on its graph (a shorter time further right), keeps the
// five values in tenths in "UserSettings.ini" (written after every change) and sends them to
// the controller as one 16-byte SysEx message:
//
//   F0 47 7F 50 13 09  t1 t2 t3 t4 as 7-bit (high, low) pairs  b  F7
//
// with tN = VN and b = the balance in tenths, rounded half away from zero. Each up-down's
// range keeps the times in order with at least 0.1 ms between neighbours, so every change
// recomputes the ranges of the four times.
//
// SEND and SEND DEFAULTS send and leave the dialog open; CLOSE closes it with 0. Nothing is
// sent when the dialog opens or closes. UI thread only; a send waits for the MIDI manager
// and then shows a modal result box.
#pragma once

#include "QKFramework/Controls/Dialog.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/Utilities/Storage/Array.h"

#include <array>
#include <cstdint>

namespace QK
{

class LButton;
class LGraph;
class LLabel;
class LNumericUpDown;

class LEditKeyCurveDlg : public LDialog
{
public:
    // The curve's four points, V1 to V4, then the balance.
    static constexpr std::size_t kTimeCount = 4;
    static constexpr std::size_t kValueCount = 5;
    // Settings keys, in the order V1, V2, V3, V4, balance.
    static constexpr std::array<const char16_t*, kValueCount> kSettingsKeys{
        u"KEYCURVE_V1_VALUE_PATH", u"KEYCURVE_V2_VALUE_PATH", u"KEYCURVE_V3_VALUE_PATH",
        u"KEYCURVE_V4_VALUE_PATH", u"BLACK_RANGE_VALUE_PATH_INI_SETTING"};
    // The defaults in tenths, in the same order: 96.0, 20.0, 8.0, 2.8 ms and 0.9.
    static constexpr std::array<std::int32_t, kValueCount> kDefaultTenths{960, 200, 80, 28, 9};
    // The graph's vertical level of each point.
    static constexpr std::array<double, kTimeCount> kPointLevels{6.0, 60.0, 91.0, 122.0};
    static constexpr double kLongestTime = 255.0;
    static constexpr double kShortestTime = 1.0;
    static constexpr double kBalanceMinimum = 0.5;
    static constexpr double kBalanceMaximum = 2.0;
    static constexpr std::size_t kMessageSize = 16;
    // The curve's line, in skin units: twice as many pixels in the high-DPI skin.
    static constexpr double kCurveLineWidth = 2.0;

    LEditKeyCurveDlg(LControl* parent, const WString& name);
    ~LEditKeyCurveDlg() override;

    // The key-curve message for times (ms, V1 to V4) and balance.
    static Array<signed char> BuildCurveMessage(const std::array<double, kTimeCount>& times, double balance);
    // value in tenths, rounded half away from zero.
    static std::int32_t ToTenths(double value);
    // Whether a stored set in tenths (V1 to V4, balance) can be shown as it is: the times
    // strictly falling from at most 255.0 ms to at least 1.0 ms, the balance in 0.5..2.0.
    static bool IsUsableStoredSet(const std::array<std::int32_t, kValueCount>& tenths);

    // --- Operations added to LDialog's, in slot order --------------------------------------

    // Writes the five values in tenths to the user settings file and saves it; failures are
    // ignored.
    virtual void SaveCurveSettings();
    // Places the four graph labels at their points. 0.
    virtual QKRESULT UpdateGraphLabels();
    // Sends the key-curve message and shows the result box: the MIDI manager's answer, -1
    // when there is no MIDI manager or no controller.
    virtual QKRESULT SendCurveSettings();

    // --- LControl ----------------------------------------------------------------------------

    // Throws the null-pointer error naming a child the skin lacks (graph, up-downs, buttons,
    // graph labels) and the failed-result error of a failed subscription.
    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;
    // Escape presses "buttonClose".
    QKRESULT WantsKey(LKeyParam* key) override;
    QKRESULT DispatchKey(LKeyParam* key) override;

    // The value shown by up-down index (0 to 3 the times, 4 the balance).
    double GetShownValue(std::size_t index) const;
    LNumericUpDown* GetUpDown(std::size_t index) const { return m_upDowns[index].Get(); }

private:
    QKRESULT OnButtonClick(const ConstRCPtr<LNotificationDistributor>& source,
                           const ConstRCPtr<LNotification>& notification);
    QKRESULT OnValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                           const ConstRCPtr<LNotification>& notification);
    // Ranges of the four times around the given times; V4 may rise to V3 - v4Gap.
    void SetTimeRanges(const std::array<double, kTimeCount>& times, double v4Gap);
    // Each up-down gets value x again in its current range, V4 first.
    void SetTimes(const std::array<double, kTimeCount>& times);
    // The defaults, shown, drawn, saved, then sent.
    void SetDefaultsAndSend();
    std::array<double, kTimeCount> ReadTimes() const;

    RCPtr<LNotificationHandler<LEditKeyCurveDlg>> m_handlers;
    RCPtr<LGraph> m_graph;
    // upDownV1 to upDownV4, then upDownBlackKeyBalance.
    std::array<RCPtr<LNumericUpDown>, kValueCount> m_upDowns;
    RCPtr<LButton> m_buttonSend;
    RCPtr<LButton> m_buttonClose;
    RCPtr<LButton> m_buttonSetDefaults;
    std::array<RCPtr<LLabel>, kTimeCount> m_graphLabels;
};

} // namespace QK
