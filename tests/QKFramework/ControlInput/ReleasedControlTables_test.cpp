// A control that has been released hears nothing through the handler tables of its classes:
// a notification that one of its tables holds, arriving after the release (from a source
// that still delivers what it had started, or from the teardown itself), is answered as
// unhandled and changes nothing. Each case is one table of a class chain, and each first
// shows that the same notification does reach the table of a live control.
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/CenteredSlider.h"
#include "QKFramework/Controls/ComboBox.h"
#include "QKFramework/Controls/ListBox.h"
#include "QKFramework/Controls/ListBoxItem.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"

#include "tests/support/UI/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

const char* const kTree = R"(<Skin Name="s">
  <SubControl Class="Test.Probe" Name="top" XSizeAbs="400" YSizeAbs="300" TabStop="-1"><Skin Name="k" LookList="plain"/>
    <SubControl Class="Framework.Button" Name="button" XPositionAbs="10" YPositionAbs="10" XSizeAbs="60" YSizeAbs="20"><Skin Name="b" LookList="plain"/></SubControl>
    <SubControl Class="Framework.ComboBox" Name="combo" XPositionAbs="10" YPositionAbs="40" XSizeAbs="100" YSizeAbs="20"><Skin Name="c" LookList="plain"/>
      <SubControl Class="Framework.ListBox" Name="listBox" IsVisible="False" ClipToParent="False" YPositionToControl="Parent" YPositionRel="1" XSizeAbs="0" YSizeAbs="0"><Skin Name="l" LookList="plain"/>
        <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="20"><Skin Name="r" LookList="plain"/></SubControl>
      </SubControl>
    </SubControl>
    <SubControl Class="Framework.ListBox" Name="list" XPositionAbs="200" YPositionAbs="10" XSizeAbs="100" YSizeAbs="100"><Skin Name="l" LookList="plain"/>
      <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="20"><Skin Name="r" LookList="plain"/></SubControl>
    </SubControl>
    <SubControl Class="Framework.CenteredSlider" Name="centered" XPositionAbs="10" YPositionAbs="200" XSizeAbs="140" YSizeAbs="40"><Skin Name="h" LookList="plain"/>
      <SubControl Class="Framework.Button" Name="thumbStart" XPositionAbs="10" YPositionAbs="20" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="plain"/></SubControl><SubControl Class="Framework.Button" Name="thumbEnd" XPositionAbs="110" YPositionAbs="20" XSizeAbs="10" YSizeAbs="10"><Skin Name="m" LookList="plain"/></SubControl>
      <SubControl Class="Framework.CenteredSliderBounds" Name="lowRangeBounds" XPositionAbs="0" YPositionAbs="20" XSizeAbs="20" YSizeAbs="10"><Skin Name="p" LookList="plain"/></SubControl>
    </SubControl>
  </SubControl>
</Skin>)";

const char* const kStrings = R"(
  <StringTable ID="Test.Probe|combo"><String ID="ITEM.0"><Locale LCID="0x0009">alpha</Locale></String></StringTable>
  <StringTable ID="Test.Probe|list"><String ID="ITEM.0"><Locale LCID="0x0009">alpha</Locale></String></StringTable>)";

std::string Looks()
{
    std::string looks;
    for (int i = 0; i < 14; ++i)
        looks += "<Look Name=\"grey\" Index=\"" + std::to_string(i) + "\"/>";
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FF808080"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists><LookList Name="plain" NumLooks="14">)" +
           looks + "</LookList></LookLists>";
}

// The first row a list made from its template.
RCPtr<LControl> FirstRow(LControl& list)
{
    const LControl::ChildControlList& children = list.GetChildren();
    for (std::uint32_t i = 0; i < children.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = children.GetAt(i);
        if (dynamic_cast<LListBoxItem*>(child.Get()) && !child->GetName().IsEqual(u"templateItem"))
            return child;
    }
    return nullptr;
}

struct Case
{
    const char* table;
    const char* control;
    // The source of the notification the table holds: the control itself, or one of its
    // parts.
    std::function<RCPtr<LControl>(LControl&)> source;
    const char16_t* nid;
    // Gives the table's handler something to do before each delivery, and shows what it did
    // where the answer and the subscriptions do not; both may be empty.
    std::function<void(LControl&)> prepare = nullptr;
    std::function<std::string(LControl&)> state = nullptr;
};

// What a delivery did: its answer, the subscriptions the control held afterwards, and the
// case's own state.
std::string Outcome(QKRESULT answer, LControl& control, const Case& c)
{
    return "answer " + std::to_string(answer) + ", subscriptions " + std::to_string(static_cast<const LNotificationClient&>(control).GetRegistrationCount()) +
           (c.state ? ", " + c.state(control) : std::string());
}

// The centered slider's thumb moved by hand, 10 px along the track: a move of the pointer
// over the thumb would then bring the bound panel after it.
void NudgeThumb(LControl& control)
{
    LControl* thumb = dynamic_cast<LCenteredSlider&>(control).GetThumb();
    const RCPtr<LLayoutDescriptor> layout = thumb->GetLayoutDescriptor();
    AxisSpec x, y;
    layout->GetAxisSpecs(x, y);
    LayoutReference place = x.Position;
    place.Abs += 10.0;
    thumb->SetAxisLayout(0, x.PlacementAnchor, layout->XIsDocked, place, x.Size);
}

std::string LowBoundsAt(LControl& control)
{
    const LControl* bounds = dynamic_cast<LCenteredSlider&>(control).GetLowBounds();
    return "bounds at " + std::to_string(bounds->GetLayoutDescriptor()->X.Position.Abs);
}

TEST(ReleasedControlTables, AReleasedControlsClassTablesHearNothing)
{
    const auto self = [](LControl& control) { return RCPtr<LControl>(&control); };
    const Case cases[] = {
        // The press starts a simulated click, which waits for the window's idle passes.
        {"LButton", "button", self, kNidSimulateClick},
        {"LDropDownControl", "combo", self, kNidMouseDown},
        {"LComboBox", "combo", [](LControl& combo) { return combo.FindChild(WString(u"listBox")); },
         kNidVisibilityConditionChange},
        {"LListBox", "list", [](LControl& list) { return FirstRow(list); }, kNidMouseDown},
        {"LCenteredSlider", "centered",
         [](LControl& slider) { return RCPtr<LControl>(dynamic_cast<LCenteredSlider&>(slider).GetThumb()); },
         kNidMouseMove, NudgeThumb, LowBoundsAt},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.table);
        WindowHarness harness{kTree, kStrings, Looks()};
        LControlFactory& factory = harness.Factory();
        factory.RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
        factory.RegisterControlClass(WString(u"Framework.ComboBox"), &LComboBox::Create);
        factory.RegisterControlClass(WString(u"Framework.ListBox"), &LListBox::Create);
        factory.RegisterControlClass(WString(u"Framework.ListBoxItem"), &LListBoxItem::Create);
        factory.RegisterControlClass(WString(u"Framework.CenteredSlider"), &LCenteredSlider::Create);
        factory.RegisterControlClass(WString(u"Framework.CenteredSliderBounds"), &LPanel::Create);
        ASSERT_TRUE(harness.SetRoot(u"top"));
        const RCPtr<LControl> control = harness.Find(c.control);
        ASSERT_TRUE(control);
        const RCPtr<LControl> source = c.source(*control);
        ASSERT_TRUE(source);
        const ConstRCPtr<LNotification> notification = LNotification::Create(c.nid);
        const ConstRCPtr<LNotificationDistributor> from(source.Get());

        if (c.prepare)
            c.prepare(*control);
        const std::string unhandled = Outcome(QK_OK, *control, c);
        EXPECT_NE(Outcome(control->ReceiveNotification(from, notification), *control, c), unhandled)
            << "the live control's table did not take the notification";

        control->ReleaseInternalReferences();
        if (c.prepare)
            c.prepare(*control);
        const std::string released = Outcome(QK_OK, *control, c);
        EXPECT_EQ(Outcome(control->ReceiveNotification(from, notification), *control, c), released);
        LNotificationCenterManager::ReleaseInstance();
    }
}

} // namespace
} // namespace QK
