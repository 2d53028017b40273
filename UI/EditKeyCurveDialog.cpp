// Contents: 1. the message and the stored set; 2. Initialize; 3. receiving; 4. the values
// and their ranges; 5. settings, labels and sending.
#include "UI/EditKeyCurveDialog.h"

#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/Graph.h"
#include "QKFramework/Controls/Label.h"
#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Controls/TextBox.h"
#include "UI/DriverCommon/AppMidiManager.h"
#include "UI/DriverCommon/AppText.h"
#include "UI/PresetEditorCommon/DialogKeys.h"
#include "UI/SkinScale.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace QK
{

namespace
{

constexpr const char* kSource = "UI\\EditKeyCurveDialog";
constexpr const char* kInitialize = "LEditKeyCurveDlg::Initialize";

// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr ThrowSite kMissingGraphSite{kInitialize, kSource, 104};
constexpr ThrowSite kMissingUpDownSite{kInitialize, kSource, 109};
constexpr ThrowSite kMissingChildSite{kInitialize, kSource, 126};

constexpr const char16_t* kUpDownNames[] = {u"numericUpDownV1", u"numericUpDownV2", u"numericUpDownV3",
                                            u"numericUpDownV4", u"numericUpDownBlackKeyBalance"};
constexpr const char16_t* kGraphLabelNames[] = {u"labelGraphV1", u"labelGraphV2", u"labelGraphV3",
                                                u"labelGraphV4"};
// The subscription lines of the up-downs' value changes, V1 to V4 and the balance.
// Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
constexpr int kValueChangeLines[] = {133, 134, 135, 136, 137};

// The gap between neighbouring times, and V4's tighter gap while the dialog opens.
constexpr double kTimeGap = 0.1;
constexpr double kOpeningV4Gap = 0.2;

constexpr std::int32_t kBalanceIndex = 4;

template <class T>
RCPtr<T> FindRequiredChild(const LControl& parent, const char16_t* name, const ThrowSite& site)
{
    RCPtr<T> child(dynamic_cast<T*>(parent.FindChild(WString(name)).Get()));
    if (!child)
    {
        // The skin's names are plain ASCII.
        std::string detail = "LEditKeyCurveDlg couldn't find ";
        for (const char16_t* c = name; *c; ++c)
            detail += static_cast<char>(*c);
        ThrowNullPointer(site, detail);
    }
    return child;
}

double TenthsToValue(std::int32_t tenths)
{
    return tenths / 10.0;
}

} // namespace

// 1. The message and the stored set ---------------------------------------------------------

LEditKeyCurveDlg::LEditKeyCurveDlg(LControl* parent, const WString& name) : LDialog(parent, name) {}

LEditKeyCurveDlg::~LEditKeyCurveDlg() = default;

std::int32_t LEditKeyCurveDlg::ToTenths(double value)
{
    // Rounded, not cut: a shown 16.0 may read back as 15.999999999999998, and cutting would
    // send and store 159, a little less after every save.
    const double tenths = value * 10.0;
    if (std::isnan(tenths))
        return 0;
    return static_cast<std::int32_t>(std::clamp(std::round(tenths), -2147483648.0, 2147483647.0));
}

Array<signed char> LEditKeyCurveDlg::BuildCurveMessage(const std::array<double, kTimeCount>& times,
                                                       double balance)
{
    Array<signed char> message;
    for (int byte : {0xF0, 0x47, 0x7F, 0x50, 0x13, 0x09})
        message.Add(static_cast<signed char>(byte));
    for (double time : times)
    {
        const auto tenths = static_cast<std::uint16_t>(std::clamp(ToTenths(time), 0, 0xFFFF));
        message.Add(static_cast<signed char>((tenths >> 7) & 0x7F));
        message.Add(static_cast<signed char>(tenths & 0x7F));
    }
    message.Add(static_cast<signed char>(ToTenths(balance) & 0xFF));
    message.Add(static_cast<signed char>(0xF7));
    return message;
}

bool LEditKeyCurveDlg::IsUsableStoredSet(const std::array<std::int32_t, kValueCount>& tenths)
{
    const std::int32_t shortest = ToTenths(kShortestTime);
    const std::int32_t longest = ToTenths(kLongestTime);
    if (tenths[3] < shortest || tenths[0] > longest)
        return false;
    for (std::size_t i = 0; i + 1 < kTimeCount; ++i)
        if (tenths[i] <= tenths[i + 1])
            return false;
    return tenths[kBalanceIndex] >= ToTenths(kBalanceMinimum) &&
           tenths[kBalanceIndex] <= ToTenths(kBalanceMaximum);
}

// 2. Initialize -------------------------------------------------------------------------------

QKRESULT LEditKeyCurveDlg::Initialize()
{
    const QKRESULT result = LDialog::Initialize();
    if (Failed(result))
        return result;
    m_handlers = LNotificationHandler<LEditKeyCurveDlg>::Create(this);
    if (!m_handlers)
        return result;

    m_graph = FindRequiredChild<LGraph>(*this, u"graph", kMissingGraphSite);
    // The curve's width is in the skins' units, as the graph's own size is.
    m_graph->SetCurveStyle(true, 0xFFFFFFFF, static_cast<float>(kCurveLineWidth * GetCurrentSkinScale()));
    m_graph->SetAxisRanges(kLongestTime, 127.0, kShortestTime, 0.0);

    for (std::size_t i = 0; i < kValueCount; ++i)
        m_upDowns[i] = FindRequiredChild<LNumericUpDown>(*this, kUpDownNames[i], kMissingUpDownSite);
    for (const RCPtr<LNumericUpDown>& upDown : m_upDowns)
        upDown->SetDecimalPlaces(1);
    for (const RCPtr<LNumericUpDown>& upDown : m_upDowns)
        upDown->Step = 0.1;
    for (std::size_t i = 0; i < kValueCount; ++i)
        if (LTextBox* textBox = m_upDowns[i]->GetTextBox())
            textBox->SetMaxLength(i == kBalanceIndex ? 4 : 5);

    std::array<std::int32_t, kValueCount> tenths = kDefaultTenths;
    LFrameworkApp* application = LFrameworkApp::GetApplication();
    IIniFileManager* settings = application ? application->GetIniFileManager() : nullptr;
    if (settings)
    {
        const IniFileHandle file = application->GetSettings(1);
        for (std::size_t i = 0; i < kValueCount; ++i)
            if (Failed(settings->GetInteger(file, WString(kSettingsKeys[i]), kDefaultTenths[i], tenths[i])))
                tenths[i] = kDefaultTenths[i];
    }
    // A set out of order or out of range would give ranges whose minimum passes their
    // maximum; it is dropped as a whole.
    if (!IsUsableStoredSet(tenths))
        tenths = kDefaultTenths;

    std::array<double, kTimeCount> times{};
    for (std::size_t i = 0; i < kTimeCount; ++i)
        times[i] = TenthsToValue(tenths[i]);
    SetTimeRanges(times, kOpeningV4Gap);
    m_upDowns[kBalanceIndex]->SetValueRange(kBalanceMinimum, kBalanceMaximum, 0);
    for (std::size_t i = 0; i < kTimeCount; ++i)
        m_upDowns[i]->SetValue(m_upDowns[i]->ValueToFraction(times[i]));
    LNumericUpDown& balance = *m_upDowns[kBalanceIndex];
    balance.SetValue(balance.ValueToFraction(TenthsToValue(tenths[kBalanceIndex])));

    const std::array<double, kTimeCount> shown = ReadTimes();
    for (std::size_t i = 0; i < kTimeCount; ++i)
        m_graph->AddPoint(PointD{kLongestTime - shown[i], kPointLevels[i]});

    for (std::size_t i = 0; i < kTimeCount; ++i)
        m_graphLabels[i] = FindRequiredChild<LLabel>(*this, kGraphLabelNames[i], kMissingChildSite);
    m_buttonSend = FindRequiredChild<LButton>(*this, u"buttonSend", kMissingChildSite);
    m_buttonClose = FindRequiredChild<LButton>(*this, u"buttonClose", kMissingChildSite);
    m_buttonSetDefaults = FindRequiredChild<LButton>(*this, u"buttonSetDefaults", kMissingChildSite);

    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    const auto subscribe = [this](auto handler, LControl* source, const char16_t* nid, int line)
    {
        CheckResult(m_handlers->AddHandler(handler, ConstRCPtr<LNotificationDistributor>(source), nid),
                    ThrowSite{kInitialize, kSource, line});
    };
    subscribe(&LEditKeyCurveDlg::OnButtonClick, m_buttonSend.Get(), kNidLeftClick, 129);
    subscribe(&LEditKeyCurveDlg::OnButtonClick, m_buttonClose.Get(), kNidLeftClick, 130);
    subscribe(&LEditKeyCurveDlg::OnButtonClick, m_buttonSetDefaults.Get(), kNidLeftClick, 131);
    for (std::size_t i = 0; i < kValueCount; ++i)
        subscribe(&LEditKeyCurveDlg::OnValueChange, m_upDowns[i].Get(), kNidValueChange,
                  kValueChangeLines[i]);

    UpdateGraphLabels();
    return result;
}

// 3. Receiving ---------------------------------------------------------------------------------

QKRESULT LEditKeyCurveDlg::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                               const ConstRCPtr<LNotification>& notification)
{
    return ReceiveThroughTable<LDialog>(*this, m_handlers, source, notification);
}

QKRESULT LEditKeyCurveDlg::DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    return DetachThroughTable<LDialog>(*this, m_handlers, source, id);
}

QKRESULT LEditKeyCurveDlg::WantsKey(LKeyParam* key)
{
    return PressCloseOnEscape(*this, key) ? QK_OK : LDialog::WantsKey(key);
}

QKRESULT LEditKeyCurveDlg::DispatchKey(LKeyParam* key)
{
    return PressCloseOnEscape(*this, key) ? QK_OK : LDialog::DispatchKey(key);
}

QKRESULT LEditKeyCurveDlg::OnButtonClick(const ConstRCPtr<LNotificationDistributor>& source,
                                         const ConstRCPtr<LNotification>&)
{
    const RCPtr<LControl> self(this);
    const LNotificationDistributor* button = source.Get();
    if (button == m_buttonSend.Get())
        SendCurveSettings();
    else if (button == m_buttonClose.Get())
        Close(0u);
    else if (button == m_buttonSetDefaults.Get())
        SetDefaultsAndSend();
    return QK_FALSE;
}

QKRESULT LEditKeyCurveDlg::OnValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                                         const ConstRCPtr<LNotification>&)
{
    const RCPtr<LControl> self(this);
    const std::array<double, kTimeCount> times = ReadTimes();
    using Disabler = CAutoNotificationDisabler<LEditKeyCurveDlg>;
    // Declared in the order V1 to V4, so they are undone from V4 back to V1.
    const Disabler v1(*m_handlers, ConstRCPtr<LNotificationDistributor>(m_upDowns[0].Get()),
                      kNidValueChange);
    const Disabler v2(*m_handlers, ConstRCPtr<LNotificationDistributor>(m_upDowns[1].Get()),
                      kNidValueChange);
    const Disabler v3(*m_handlers, ConstRCPtr<LNotificationDistributor>(m_upDowns[2].Get()),
                      kNidValueChange);
    const Disabler v4(*m_handlers, ConstRCPtr<LNotificationDistributor>(m_upDowns[3].Get()),
                      kNidValueChange);

    for (std::size_t i = 0; i < kTimeCount; ++i)
        if (source.Get() == m_upDowns[i].Get())
            m_graph->SetPoint(static_cast<std::int32_t>(i), PointD{kLongestTime - times[i], kPointLevels[i]});
    SetTimeRanges(times, kTimeGap);
    SetTimes(times);
    SaveCurveSettings();
    UpdateGraphLabels();
    return QK_FALSE;
}

// 4. The values and their ranges --------------------------------------------------------------

double LEditKeyCurveDlg::GetShownValue(std::size_t index) const
{
    const LNumericUpDown* upDown = m_upDowns[index].Get();
    return upDown ? upDown->FractionToValue(upDown->GetValue()) : 0.0;
}

std::array<double, LEditKeyCurveDlg::kTimeCount> LEditKeyCurveDlg::ReadTimes() const
{
    std::array<double, kTimeCount> times{};
    for (std::size_t i = 0; i < kTimeCount; ++i)
        times[i] = GetShownValue(i);
    return times;
}

void LEditKeyCurveDlg::SetTimeRanges(const std::array<double, kTimeCount>& times, double v4Gap)
{
    m_upDowns[0]->SetValueRange(times[1] + kTimeGap, kLongestTime, 0);
    m_upDowns[1]->SetValueRange(times[2] + kTimeGap, times[0] - kTimeGap, 0);
    m_upDowns[2]->SetValueRange(times[3] + kTimeGap, times[1] - kTimeGap, 0);
    // V4 never goes below the shortest time, even where V3 is the shortest plus one step.
    m_upDowns[3]->SetValueRange(kShortestTime, std::max(kShortestTime, times[2] - v4Gap), 0);
}

void LEditKeyCurveDlg::SetTimes(const std::array<double, kTimeCount>& times)
{
    for (std::size_t i = kTimeCount; i-- > 0;)
        m_upDowns[i]->SetValue(m_upDowns[i]->ValueToFraction(times[i]));
}

void LEditKeyCurveDlg::SetDefaultsAndSend()
{
    const RCPtr<LControl> self(this);
    std::array<double, kTimeCount> defaults{};
    for (std::size_t i = 0; i < kTimeCount; ++i)
        defaults[i] = TenthsToValue(kDefaultTenths[i]);
    const double defaultBalance = TenthsToValue(kDefaultTenths[kBalanceIndex]);
    {
        using Disabler = CAutoNotificationDisabler<LEditKeyCurveDlg>;
        const auto suspend = [this](std::size_t i)
        { return ConstRCPtr<LNotificationDistributor>(m_upDowns[i].Get()); };
        const Disabler v1(*m_handlers, suspend(0), kNidValueChange);
        const Disabler v2(*m_handlers, suspend(1), kNidValueChange);
        const Disabler v3(*m_handlers, suspend(2), kNidValueChange);
        const Disabler v4(*m_handlers, suspend(3), kNidValueChange);
        const Disabler balance(*m_handlers, suspend(kBalanceIndex), kNidValueChange);

        // Setting the defaults one by one inside the current ranges would clamp them to
        // the values they replace. The ranges the defaults call for are set at once, and
        // an up-down whose range and value stay as they are is left alone, so it sends no
        // change notice.
        const std::array<double, kTimeCount> before = ReadTimes();
        std::array<std::pair<double, double>, kTimeCount> ranges{};
        for (std::size_t i = 0; i < kTimeCount; ++i)
            ranges[i] = {m_upDowns[i]->GetRangeMinimum(), m_upDowns[i]->GetRangeMaximum()};
        SetTimeRanges(defaults, kTimeGap);
        for (std::size_t i = kTimeCount; i-- > 0;)
        {
            LNumericUpDown& upDown = *m_upDowns[i];
            const bool sameRange = std::abs(ranges[i].first - upDown.GetRangeMinimum()) < 1e-9 &&
                                   std::abs(ranges[i].second - upDown.GetRangeMaximum()) < 1e-9;
            if (sameRange)
                upDown.SetValueRange(ranges[i].first, ranges[i].second, 0);
            if (!sameRange || std::abs(before[i] - defaults[i]) >= 1e-9)
                upDown.SetValue(upDown.ValueToFraction(defaults[i]));
        }
        LNumericUpDown& balanceUpDown = *m_upDowns[kBalanceIndex];
        if (std::abs(GetShownValue(kBalanceIndex) - defaultBalance) >= 1e-9)
            balanceUpDown.SetValue(balanceUpDown.ValueToFraction(defaultBalance));

        const std::array<double, kTimeCount> shown = ReadTimes();
        for (std::size_t i = 0; i < kTimeCount; ++i)
            m_graph->SetPoint(static_cast<std::int32_t>(i), PointD{kLongestTime - shown[i], kPointLevels[i]});
        SaveCurveSettings();
        UpdateGraphLabels();
    }
    SendCurveSettings();
}

// 5. Settings, labels and sending ---------------------------------------------------------------

void LEditKeyCurveDlg::SaveCurveSettings()
{
    LFrameworkApp* application = LFrameworkApp::GetApplication();
    IIniFileManager* settings = application ? application->GetIniFileManager() : nullptr;
    if (!settings)
        return;
    const IniFileHandle file = application->GetSettings(1);
    for (std::size_t i = 0; i < kValueCount; ++i)
        settings->SetInteger(file, WString(kSettingsKeys[i]), ToTenths(GetShownValue(i)));
    settings->SaveFile(file);
}

QKRESULT LEditKeyCurveDlg::UpdateGraphLabels()
{
    if (!m_graph)
        return QK_OK;
    // Everything in window coordinates: the plot is the whole graph.
    RectL plot;
    m_graph->GetWindowRect(plot);
    PointD origin;
    GetPositionInRoot(origin);
    const RectD client = GetLookClientRect(-1);
    origin = PointD{origin.x + client.x - GetScrollOffset().x, origin.y + client.y - GetScrollOffset().y};
    const auto count =
        static_cast<std::int32_t>(std::min<std::uint32_t>(m_graph->GetPointCount(), kTimeCount));
    for (std::int32_t i = 0; i < count; ++i)
    {
        LLabel* label = m_graphLabels[static_cast<std::size_t>(i)].Get();
        const RCPtr<LLayoutDescriptor>& layout =
            label ? label->GetLayoutDescriptor() : RCPtr<LLayoutDescriptor>();
        if (!layout)
            continue;
        RectL point;
        m_graph->GetPointControl(i)->GetWindowRect(point);
        // Above and left of its point, unless that leaves the plot: then below or right of
        // it, and never past the plot's far edges.
        const auto place = [](double pointStart, double pointEnd, double size, double plotStart, double plotEnd) {
            double start = pointStart - size;
            if (start < plotStart)
                start = pointEnd;
            return std::max(plotStart, std::min(start, plotEnd - size));
        };
        const double width = label->GetWidth();
        const double height = label->GetHeight();
        const double at[2] = {
            place(point.x, point.x + point.width, width, plot.x, plot.x + plot.width),
            place(point.y, point.y + point.height, height, plot.y, plot.y + plot.height)};
        AxisSpec axes[2];
        layout->GetAxisSpecs(axes[0], axes[1]);
        for (std::int32_t axis = 0; axis < 2; ++axis)
        {
            LayoutReference position = axes[axis].Position;
            position.Abs = at[axis] - (axis == 0 ? origin.x : origin.y);
            label->SetAxisLayout(axis, 0.0f, axis == 0 ? layout->XIsDocked : layout->YIsDocked, position,
                                 axes[axis].Size);
        }
    }
    return QK_OK;
}

QKRESULT LEditKeyCurveDlg::SendCurveSettings()
{
    const RCPtr<LControl> self(this);
    const RCPtr<LMidiManager> midi = GetApplicationMidiManager();
    std::array<double, kTimeCount> times{};
    for (std::size_t i = 0; i < kTimeCount; ++i)
        times[i] = GetShownValue(i);
    const Array<signed char> message = BuildCurveMessage(times, GetShownValue(kBalanceIndex));

    WString caption = GetAppString(u"LABEL_SEND_CURVE_SETTINGS_FAILED_MSGBOX_CAPTION");
    WString text = GetAppString(u"LABEL_SEND_CURVE_SETTINGS_FAILED_MSGBOX_TEXT");
    const QKRESULT result = midi ? midi->SendMidiMessage(message) : -1;
    if (result >= 0)
    {
        caption = GetAppString(u"LABEL_SEND_CURVE_SETTINGS_SUCCESS_MSGBOX_CAPTION");
        text = GetAppString(u"LABEL_SEND_CURVE_SETTINGS_SUCCESS_MSGBOX_TEXT");
    }
    ShowMessageBox(text, caption, 0);
    return result;
}

} // namespace QK
