// Creating controls from the skin: the creation sequence, looks, texts, create parameters,
// fonts, re-skinning, and the children the base makes on demand (tooltip, context menu).
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/MenuItemUpdater.h"
#include "QKFramework/Renderer/Font.h"

#include "tests/support/UI/ControlHarness.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

const char* const kLooks = R"(
  <Colorizers><Colorizer Name="red" ColorType="SolidFill" Color="FFFF0000"/></Colorizers>
  <Parts><Part Name="fill" Width="4" Height="4" ResizeType="Stretch" ColorizerName="red"/></Parts>
  <Looks>
    <Look Name="normal"><ClientPart Name="fill" OffsetLeft="2" OffsetTop="3" OffsetRight="-1" OffsetBottom="-1"/></Look>
    <Look Name="hot"><ClientPart Name="fill"/></Look>
  </Looks>
  <LookLists>
    <LookList Name="gapped" NumLooks="3"><Look Name="normal" Index="0"/><Look Name="hot" Index="2"/></LookList>
  </LookLists>
)";

const char* const kTree = R"(
<Skin Name="Main" FontName="DejaVu Sans" FontSize="10">
  <SubControl Class="Test.Probe" Name="window" XSizeAbs="200" YSizeAbs="100">
    <Skin Name="windowSkin" LookList="gapped"/>
    <SubControl Class="Test.Probe" Name="panel" TabStop="-1">
      <SubControl Class="Test.Probe" Name="inner"/>
      <SubControl Class="Test.Nothing" Name="ghost"/>
    </SubControl>
    <SubControl Class="Test.Probe" Name="deferred">
      <CreateParamList><CreateParam ID="DEFER_CREATE"> TRUE </CreateParam></CreateParamList>
    </SubControl>
    <SubControl Class="Test.Probe" Name="eager">
      <CreateParamList>
        <CreateParam ID="DEFER_CREATE">yes</CreateParam>
        <CreateParam ID="INITIAL_VALUE">0.75</CreateParam>
        <CreateParam ID="WANTS_TAB">True</CreateParam>
      </CreateParamList>
    </SubControl>
    <SubControl Class="Test.Probe" Name="big" TabStop="4">
      <CreateParamList>
        <CreateParam ID="INITIAL_VALUE">2</CreateParam>
        <CreateParam ID="NOT_FOCUSABLE">true</CreateParam>
        <CreateParam ID="USE_PARENT_TOOLTIP">TRUE</CreateParam>
      </CreateParamList>
    </SubControl>
    <SubControl Class="Test.Probe" Name="odd">
      <CreateParamList><CreateParam ID="INITIAL_VALUE">nan</CreateParam></CreateParamList>
    </SubControl>
  </SubControl>
  <SubControl Class="Test.ToolTip" Name="toolTip"/>
  <SubControl Class="Test.Popup" Name="contextMenu"/>
  <SubControl Class="Test.Unknown" Name="stranger"/>
</Skin>
)";

const char* const kStrings = R"(
  <StringTable ID="PresetEditor|window">
    <String ID="LABEL"><Locale LCID="0x0009">Main window</Locale></String>
    <String ID="TOOLTIP"><Locale LCID="0x0009">The window</Locale></String>
    <String ID="LHK.NID_SAVE"><Locale LCID="0x0009">Ctrl+VKEY_S</Locale></String>
  </StringTable>
  <StringTable ID="Test.Probe|panel">
    <String ID="LHK.NID_OPEN"><Locale LCID="0x0009">Ctrl+VKEY_O</Locale></String>
  </StringTable>
)";

class ControlCreation : public ::testing::Test
{
protected:
    ControlHarness harness{kTree, kStrings, kLooks};
};

TEST_F(ControlCreation, ChildrenAreCompleteBeforeTheirParentInitializes)
{
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    ASSERT_TRUE(window);
    EXPECT_EQ(ProbeLog::Lines(), (std::vector<std::string>{
                                     "window:CreateFromDescriptor", "panel:CreateFromDescriptor",
                                     "inner:CreateFromDescriptor", "inner:Initialize", "inner:InitializeParts",
                                     "panel:Initialize", "panel:InitializeParts", "eager:CreateFromDescriptor",
                                     "eager:Initialize", "eager:OnValueChanged", "eager:InitializeParts",
                                     "big:CreateFromDescriptor", "big:Initialize", "big:OnValueChanged",
                                     "big:InitializeParts", "odd:CreateFromDescriptor", "odd:Initialize",
                                     "odd:InitializeParts", "window:Initialize", "window:InitializeParts"}));
    EXPECT_TRUE(window->IsCreated());
    // " TRUE " defers, "yes" does not; a create function that answers null is passed over.
    EXPECT_FALSE(window->FindChild(WString(u"deferred")));
    EXPECT_TRUE(window->FindChild(WString(u"eager")));
    EXPECT_FALSE(window->FindChild(WString(u"panel"))->FindChild(WString(u"ghost")));
}

TEST_F(ControlCreation, CreateParametersAndTheirDefaults)
{
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    const RCPtr<LControl> eager = window->FindChild(WString(u"eager"));
    const RCPtr<LControl> big = window->FindChild(WString(u"big"));
    const RCPtr<LControl> odd = window->FindChild(WString(u"odd"));
    const RCPtr<LControl> panel = window->FindChild(WString(u"panel"));
    const RCPtr<LControl> inner = panel->FindChild(WString(u"inner"));

    EXPECT_EQ(eager->GetValue(), 0.75);
    EXPECT_TRUE(eager->WantsTab());
    EXPECT_FALSE(eager->IsNotFocusable());
    EXPECT_EQ(big->GetValue(), 1.0);
    EXPECT_TRUE(big->IsNotFocusable());
    EXPECT_TRUE(big->UsesParentToolTip());
    // "nan" is no value: the value stays and nothing was sent.
    EXPECT_EQ(odd->GetValue(), 0.0);
    // Without a parameter list the TabStop decides.
    EXPECT_TRUE(panel->IsNotFocusable());
    EXPECT_FALSE(inner->IsNotFocusable());
}

TEST_F(ControlCreation, LooksKeepTheSkinsIndicesAndLookZeroIsShown)
{
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    ASSERT_EQ(window->GetLookCount(), 3u);
    EXPECT_TRUE(window->GetLook(0));
    EXPECT_FALSE(window->GetLook(1) && window->GetLook(1).Get() != window->GetLook(0).Get());
    ASSERT_TRUE(window->GetLook(2));
    EXPECT_EQ(Narrow(window->GetLook(2)->GetDescriptor()->Name), "hot");
    EXPECT_EQ(window->GetLookOpacity(0), 1.0f);
    EXPECT_EQ(window->GetLookOpacity(2), 0.0f);

    // The query answers for exactly the index asked, where GetLook falls back to the current look.
    const struct
    {
        std::int32_t index;
        QKRESULT result;
        const char* name;
    } queries[] = {{0, QK_OK, "normal"}, {1, QK_FALSE, nullptr}, {2, QK_OK, "hot"},
                   {3, QK_E_INVALIDARG, nullptr}, {-1, QK_E_INVALIDARG, nullptr}};
    for (const auto& q : queries)
    {
        SCOPED_TRACE(q.index);
        RCPtr<LLook> look = window->GetLook(0);
        EXPECT_EQ(window->QueryLookAt(q.index, look), q.result);
        ASSERT_EQ(static_cast<bool>(look), q.name != nullptr);
        if (look)
        {
            EXPECT_EQ(Narrow(look->GetDescriptor()->Name), q.name);
        }
    }

    SetBounds(*window, 0, 0, 20, 10);
    const RectD client = window->GetLookClientRect(-1);
    EXPECT_EQ(client.x, 2.0);
    EXPECT_EQ(client.y, 3.0);
    EXPECT_EQ(client.width, 17.0);
    EXPECT_EQ(client.height, 6.0);

    EXPECT_EQ(window->SetLookOpacity(3, 1.0f, true), QK_E_INVALIDARG);
    EXPECT_EQ(window->SetLookOpacity(2, 1.5f, true), QK_OK);
    EXPECT_EQ(window->GetLookOpacity(2), 0.0f);
    EXPECT_EQ(window->GetLookOpacity(0), 0.0f);
    // No look shows: the first look present is the current one.
    EXPECT_EQ(window->GetCurrentLookIndex(), 0);
    EXPECT_EQ(window->SelectLook(2), QK_OK);
    EXPECT_EQ(window->GetCurrentLookIndex(), 2);
    EXPECT_EQ(window->GetLookClientRect(-1).x, 0.0);
}

TEST_F(ControlCreation, TextsTooltipsAndHotKeysComeFromTheStringTable)
{
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    EXPECT_EQ(Narrow(window->GetText()), "Main window");
    EXPECT_EQ(Narrow(window->GetToolTipText()), "The window");
    EXPECT_EQ(harness.Window()->titles, (std::vector<std::string>{"Main window"}));
    EXPECT_EQ(window->GetLocalHotKeyCount(), 1u);

    // A control without a table keeps an empty text and no tooltip.
    const RCPtr<LControl> eager = window->FindChild(WString(u"eager"));
    EXPECT_TRUE(eager->GetText().IsEmpty());
    EXPECT_TRUE(eager->GetToolTipText().IsEmpty());
    EXPECT_EQ(eager->ShowToolTip(true), QK_OK);
    EXPECT_FALSE(eager->FindChild(WString(u"toolTip")));

    ProbeLog::Clear();
    window->ShowToolTip(true);
    ASSERT_TRUE(window->FindChild(WString(u"toolTip")));
    window->ShowToolTip(false);
    EXPECT_EQ(ProbeLog::Lines().back(), "toolTip:Hide");
    EXPECT_NE(std::find(ProbeLog::Lines().begin(), ProbeLog::Lines().end(), "toolTip:Show(The window)"),
              ProbeLog::Lines().end());
}

TEST_F(ControlCreation, FontsFollowTheSkinAndTheParent)
{
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    ASSERT_TRUE(window->GetFont());
    EXPECT_EQ(Narrow(window->GetFont()->GetName()), "DejaVu Sans");
    // No font in the skin: the application's default font.
    EXPECT_EQ(window->GetFont()->GetSize(), 9.0f);

    const RCPtr<LControl> eager = window->FindChild(WString(u"eager"));
    EXPECT_EQ(eager->SetFont(nullptr), QK_E_INVALIDARG);
    EXPECT_EQ(eager->SetFont(eager->GetFont()), QK_FALSE);
    EXPECT_EQ(eager->SetFontSpec(WString(u"Liberation Sans"), 12.0f, 2, false), QK_OK);
    EXPECT_EQ(Narrow(eager->GetFont()->GetName()), "Liberation Sans");
    EXPECT_EQ(eager->GetFont()->GetSize(), 12.0f);
    EXPECT_EQ(eager->GetFont()->GetStyle(), 2);
}

TEST_F(ControlCreation, UnregisteredClassesRaiseTheFactorysError)
{
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    try
    {
        harness.CreateChild(window.Get(), u"stranger");
        FAIL() << "no error";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_NE(std::string(error.what()).find("Line 51"), std::string::npos) << error.what();
    }
}

TEST_F(ControlCreation, AReskinReattachesChildrenByNameAndKeepsTheEnabledFlag)
{
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    SetBounds(*window, 0, 0, 200, 100);
    const RCPtr<LControl> eager = window->FindChild(WString(u"eager"));
    SetBounds(*eager, 0, 0, 10, 10);
    eager->SetEnabled(false);
    const RCPtr<LControl> panel = window->FindChild(WString(u"panel"));

    std::vector<std::string> log;
    const auto listener = Recorder::Create("listener", log);
    listener->Subscribe(ConstRCPtr<LNotificationDistributor>(eager.Get()), u"NID_VISIBLITY_CONDITION_CHANGE");
    // The new skin hides "eager" and drops nothing else.
    const RCPtr<LControlDescriptor> description = harness.Factory().FindSubControlDescriptor(WString(u"window"));
    RCPtr<LControlDescriptor> eagerDescription;
    for (std::uint32_t i = 0; i < description->Children.GetCount(); ++i)
        if ((*description->Children.GetAt(i))->Name.IsEqual(u"eager"))
            eagerDescription = *description->Children.GetAt(i);
    ASSERT_TRUE(eagerDescription);
    eagerDescription->Layout->IsVisible = false;

    ProbeLog::Clear();
    EXPECT_EQ(harness.Factory().ApplySkinDescriptor(window.Get()), QK_OK);
    EXPECT_EQ(window->FindChild(WString(u"eager")).Get(), eager.Get());
    EXPECT_EQ(window->FindChild(WString(u"panel")).Get(), panel.Get());
    EXPECT_EQ(panel->FindChild(WString(u"inner"))->GetParent(), panel.Get());
    EXPECT_FALSE(eager->GetLayoutDescriptor()->IsVisible);
    EXPECT_FALSE(eager->IsEnabled(false));
    EXPECT_EQ(log, (std::vector<std::string>{"listener:NID_VISIBLITY_CONDITION_CHANGE"}));
    listener->UnsubscribeAll();
    eagerDescription->Layout->IsVisible = true;
}

TEST_F(ControlCreation, AContextMenuNeedsAPopupInTheSkin)
{
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    const RCPtr<LMenuDescriptor> menu(new LMenuDescriptor());
    ProbeLog::Clear();
    EXPECT_EQ(window->ShowContextMenu(menu.Get()), QK_OK);
    EXPECT_EQ(ProbeLog::Lines().back(), "contextMenu:PopUp");
    EXPECT_NE(std::find(ProbeLog::Lines().begin(), ProbeLog::Lines().end(), "contextMenu:SetMenuDescriptor"),
              ProbeLog::Lines().end());
}

TEST(ControlCreationFaults, AContextMenuWithoutAPopupShowsNothing)
{
    // "contextMenu" missing, and then made of a class that is no popup menu.
    for (const char* skin : {R"(<Skin Name="s"><SubControl Class="Test.Probe" Name="window"/></Skin>)",
                             R"(<Skin Name="s"><SubControl Class="Test.Probe" Name="window"/>
                                <SubControl Class="Test.Probe" Name="contextMenu"/></Skin>)"})
    {
        ControlHarness harness(skin);
        const RCPtr<LControl> window = harness.CreateRoot(u"window");
        const RCPtr<LMenuDescriptor> menu(new LMenuDescriptor());
        EXPECT_EQ(window->ShowContextMenu(menu.Get()), QK_OK);
        // Whatever was made leaves again at the next idle pass.
        harness.Tick();
        EXPECT_FALSE(window->FindChild(WString(u"contextMenu")));
        EXPECT_EQ(window->GetIdleUsers(), 0);
    }
}

} // namespace
} // namespace QK
