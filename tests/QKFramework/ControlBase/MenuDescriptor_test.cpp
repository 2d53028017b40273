// Menus as data: the string-table grammar, the tree's ownership, clones, item states, the
// activation parameter's pool, the context menus a control builds from its string table
// and the hot keys its context menu lends the application.
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/Input/GlobalHotKeyManager.h"
#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/ControlBase/MenuItemUpdater.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"

#include "tests/support/Controls/ControlHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace QK
{
namespace
{

using namespace TestSupport;

using Entries = std::vector<std::pair<const char16_t*, const char16_t*>>;

Array<StringPair> MakeEntries(const Entries& entries)
{
    Array<StringPair> list;
    for (const auto& [key, text] : entries)
        list.Add(StringPair{WString(key), WString(text)});
    return list;
}

// One line per menu: items separated by "; ", a separator as "-", an item as
// label[|tool tip][=NID], a submenu's items in brackets after its label.
std::string Describe(const LMenuDescriptor& menu)
{
    std::string text;
    for (std::uint32_t i = 0; i < menu.GetItemCount(); ++i)
    {
        const LMenuItemDescriptor& item = *menu.GetItem(i);
        if (i > 0)
            text += "; ";
        if (item.Separator)
        {
            text += "-";
            continue;
        }
        text += Narrow(item.Label);
        if (!item.ToolTip.IsEmpty())
            text.append("|").append(Narrow(item.ToolTip));
        if (!item.NotificationId.IsEmpty())
            text.append("=").append(Narrow(item.NotificationId));
        if (item.HasSubItems())
            text.append("[").append(Describe(item)).append("]");
    }
    return text;
}

struct GrammarCase
{
    const char* what;
    Entries entries;
    std::string menu;
};

TEST(MenuGrammar, StringTableEntriesBuildTheTree)
{
    const GrammarCase cases[] = {
        {"a gap ends the list", {{u"00.NID_A", u"A"}, {u"01.NID_B", u"B"}, {u"03.NID_D", u"D"}}, "A=NID_A; B=NID_B"},
        {"a separator, whatever its text",
         {{u"00.NID_A", u"A"}, {u"01.-", u"ignored"}, {u"02.NID_C", u"C"}},
         "A=NID_A; -; C=NID_C"},
        {"labels and tool tips are cut at the first bar, untrimmed",
         {{u"00.NID_OPEN", u"Open Favorite | Open favorite from disk."},
          {u"01.NID_CURVE", u"Edit Key Curve"},
          {u"02.NID_BARS", u"a|b|c"}},
         "Open Favorite | Open favorite from disk.=NID_OPEN; Edit Key Curve=NID_CURVE; a|b|c=NID_BARS"},
        {"a submenu", {{u"00.Send.", u"Send|To the device"}, {u"Send.00.NID_RAM", u"RAM"}, {u"Send.01.NID_F1", u"F1"}},
         "Send|To the device[RAM=NID_RAM; F1=NID_F1]"},
        {"a submenu with no entries yields nothing", {{u"00.Empty.", u"Empty"}, {u"01.NID_B", u"B"}}, "B=NID_B"},
        {"a submenu naming itself skips that entry",
         {{u"00.A.", u"A"}, {u"A.00.A.", u"again"}, {u"A.01.NID_X", u"X"}},
         "A[X=NID_X]"},
        {"a cycle through another submenu is cut where it closes",
         {{u"00.A.", u"A"}, {u"A.00.B.", u"B"}, {u"B.00.A.", u"back"}, {u"B.01.NID_Y", u"Y"}},
         "A[B[Y=NID_Y]]"},
        {"numbers sort as text: 10 comes before 2 and is dropped",
         {{u"0.NID_0", u"0"}, {u"1.NID_1", u"1"}, {u"10.NID_10", u"10"}, {u"2.NID_2", u"2"}},
         "0=NID_0; 1=NID_1; 2=NID_2"},
        {"leading zeros: 08 is 8",
         {{u"00.N", u"0"}, {u"01.N", u"1"}, {u"02.N", u"2"}, {u"03.N", u"3"}, {u"04.N", u"4"}, {u"05.N", u"5"},
          {u"06.N", u"6"}, {u"07.N", u"7"}, {u"08.N", u"8"}},
         "0=N; 1=N; 2=N; 3=N; 4=N; 5=N; 6=N; 7=N; 8=N"},
        {"malformed paths are skipped",
         {{u"NODOT", u"x"}, {u".00.NID", u"x"}, {u"Sub.", u"x"}, {u"00", u"x"}, {u"00.NID_A", u"A"}},
         "A=NID_A"},
        {"nothing usable gives an empty menu", {{u"05.NID", u"late"}}, ""},
    };
    for (const GrammarCase& c : cases)
    {
        const ConstRCPtr<LMenuDescriptor> menu = LMenuDescriptor::CreateFromStringTable(MakeEntries(c.entries));
        ASSERT_TRUE(menu) << c.what;
        EXPECT_EQ(Describe(*menu), c.menu) << c.what;
    }
}

TEST(MenuGrammar, SubmenuItemsSendNothingAndKnowTheirParents)
{
    const ConstRCPtr<LMenuDescriptor> menu =
        LMenuDescriptor::CreateFromStringTable(MakeEntries({{u"00.Sub.", u"Sub"}, {u"Sub.00.NID_X", u"X"}}));
    const LMenuItemDescriptor* sub = menu->GetItem(0);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->NotificationId.IsEmpty());
    EXPECT_TRUE(sub->Enabled);
    EXPECT_FALSE(sub->Checked);
    EXPECT_EQ(sub->GetParent(), menu.Get());
    EXPECT_EQ(sub->GetItem(0)->GetParent(), sub);
    EXPECT_EQ(menu->GetParent(), nullptr);
}

TEST(MenuDescriptor, ReleasingTheMenuLetsItsItemsGo)
{
    RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    menu->InsertItem(0, WString(u"Open"), WString(u"NID_OPEN"), true, false);
    const RCPtr<LMenuItemDescriptor> sub = LMenuItemDescriptor::Create(WString(u"Sub"), WString(), true, false);
    menu->InsertAt(1, sub);
    sub->InsertItem(0, WString(u"Inner"), WString(u"NID_INNER"), false, true);
    const RCPtr<LMenuItemDescriptor> inner(sub->GetItem(0));

    // The items' links back are internal references: the menu dies with its last outside
    // reference (the sanitizer's leak check sees any cycle), and the items it held let go.
    menu = nullptr;
    EXPECT_EQ(sub->GetParent(), nullptr);
    EXPECT_EQ(sub->GetItemCount(), 1u);
    EXPECT_EQ(inner->GetParent(), sub.Get());
}

TEST(MenuDescriptor, InsertStateAndClear)
{
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    EXPECT_EQ(menu->InsertItem(0, WString(u"B"), WString(u"NID_B"), false, true), QK_OK);
    EXPECT_EQ(menu->InsertItem(0, WString(u"A"), WString(u"NID_A"), true, false), QK_OK);
    EXPECT_EQ(menu->InsertSeparator(1), QK_OK);
    EXPECT_LT(menu->InsertItem(9, WString(u"Z"), WString(u"NID_Z"), true, false), 0);
    EXPECT_EQ(Describe(*menu), "A=NID_A; -; B=NID_B");

    LMenuItemState state;
    EXPECT_EQ(menu->GetItemState(2, state), QK_OK);
    EXPECT_FALSE(state.Enabled);
    EXPECT_TRUE(state.Checked);
    EXPECT_EQ(Narrow(state.Label), "B");
    state.Label = WString(u"untouched");
    EXPECT_EQ(menu->GetItemState(3, state), QK_E_INVALIDARG);
    EXPECT_EQ(Narrow(state.Label), "untouched");

    const RCPtr<LMenuItemDescriptor> kept(menu->GetItem(0));
    EXPECT_EQ(menu->Clear(), QK_OK);
    EXPECT_EQ(menu->GetItemCount(), 0u);
    EXPECT_EQ(kept->GetParent(), nullptr);
}

TEST(MenuDescriptor, AClonedMenuIsIndependentOfItsOriginal)
{
    const ConstRCPtr<LMenuDescriptor> original = LMenuDescriptor::CreateFromStringTable(
        MakeEntries({{u"00.NID_A", u"A|tip A"}, {u"01.-", u""}, {u"02.Sub.", u"Sub"}, {u"Sub.00.NID_X", u"X"}}));
    const_cast<LMenuItemDescriptor*>(original->GetItem(0))->SecondText = WString(u"Ctrl+A");
    const RCPtr<LMenuDescriptor> copy = original->Clone();
    EXPECT_EQ(Describe(*copy), Describe(*original));
    EXPECT_EQ(copy->GetParent(), nullptr);
    EXPECT_EQ(Narrow(copy->GetItem(0)->SecondText), "Ctrl+A");
    EXPECT_TRUE(copy->GetItem(1)->Separator);
    LMenuItemDescriptor* copiedSub = copy->GetItem(2);
    EXPECT_EQ(copiedSub->GetParent(), copy.Get());
    EXPECT_EQ(copiedSub->GetItem(0)->GetParent(), copiedSub);

    copiedSub->GetItem(0)->Label = WString(u"changed");
    copiedSub->InsertSeparator(1);
    copy->GetItem(0)->Enabled = false;
    EXPECT_EQ(Describe(*original), "A|tip A=NID_A; -; Sub[X=NID_X]");
    EXPECT_TRUE(original->GetItem(0)->Enabled);
}

TEST(MenuDescriptor, ActivationParametersComeBackToTheirPool)
{
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    const std::int32_t before = menu->GetRefCount();
    RCPtr<LMenuActivationParam> param = LMenuActivationParam::Create(menu, 3);
    EXPECT_EQ(param->ItemIndex, 3);
    EXPECT_EQ(menu->GetRefCount(), before + 1);
    const void* block = param.Get();
    param = nullptr;
    EXPECT_EQ(menu->GetRefCount(), before);
    param = LMenuActivationParam::Create(menu, 0);
    EXPECT_EQ(static_cast<const void*>(param.Get()), block);
}

TEST(StringTablePrefix, EntriesArePickedByTheirKeysBeginning)
{
    LStringTable table;
    for (const char16_t* key : {u"CONTEXT_MENU.00.NID_A", u"CONTEXT_MENU0.00.NID_B", u"context_menu.00.NID_C", u"MENU_LABEL.0",
                                u"CONTEXT", u"CONTEXT_MENU1.00.NID_D"})
        table[WString(key)] = WString(u"t");
    struct Case
    {
        const char16_t* prefix;
        std::vector<std::string> keys;
    };
    const Case cases[] = {
        {u"CONTEXT_MENU.", {"CONTEXT_MENU.00.NID_A"}},
        {u"CONTEXT_MENU", {"CONTEXT_MENU.00.NID_A", "CONTEXT_MENU0.00.NID_B", "CONTEXT_MENU1.00.NID_D"}},
        {u"CONTEXT_MENU1.00.NID_D.", {}}, // a key shorter than the prefix
        {u"", {"CONTEXT", "CONTEXT_MENU.00.NID_A", "CONTEXT_MENU0.00.NID_B", "CONTEXT_MENU1.00.NID_D", "MENU_LABEL.0",
               "context_menu.00.NID_C"}},
    };
    Array<StringPair> entries;
    entries.Add(StringPair{WString(u"stale"), WString()});
    for (const Case& c : cases)
    {
        EXPECT_EQ(table.GetEntriesWithPrefix(WString(c.prefix), entries), QK_OK);
        std::vector<std::string> keys;
        for (std::uint32_t i = 0; i < entries.GetCount(); ++i)
            keys.push_back(Narrow(entries.GetAt(i)->key));
        EXPECT_EQ(keys, c.keys) << Narrow(WString(c.prefix));
    }
}

std::string SkinFor(const char* topName)
{
    return std::string(R"(<Skin Name="s"><SubControl Class="Test.Probe" Name=")") + topName +
           R"(" XSizeAbs="100" YSizeAbs="50"/></Skin>)";
}

std::string TableFor(const char* topName, const std::string& strings)
{
    return std::string(R"(<StringTable ID="PresetEditor|)") + topName + "\">" + strings + "</StringTable>";
}

std::string Entry(const char* id, const char* text)
{
    return std::string(R"(<String ID=")") + id + R"("><Locale LCID="0x0009">)" + text + "</Locale></String>";
}

struct BuildCase
{
    const char* what;
    std::string strings;
    std::vector<std::string> menus;
};

TEST(ContextMenuFromStrings, BuildContextMenuPrefersTheSingleMenuElseTheGroupsInOrder)
{
    const BuildCase cases[] = {
        {"entries of both kinds give the single menu only",
         Entry("CONTEXT_MENU.00.NID_A", "A") + Entry("CONTEXT_MENU0.00.NID_B", "B"),
         {"A=NID_A"}},
        {"groups in ascending order",
         Entry("CONTEXT_MENU1.00.NID_D", "D") + Entry("CONTEXT_MENU0.00.NID_B", "B") +
             Entry("CONTEXT_MENU0.01.NID_C", "C"),
         {"B=NID_B; C=NID_C", "D=NID_D"}},
        {"other letter case is not collected", Entry("context_menu.00.NID_A", "A") + Entry("LABEL", "x"), {}},
    };
    for (const BuildCase& c : cases)
    {
        ControlHarness harness(SkinFor("window"), TableFor("window", c.strings));
        const RCPtr<LControl> window = harness.CreateRoot(u"window");
        ConstRCPtrArray<LMenuDescriptor> menus;
        EXPECT_EQ(window->BuildContextMenu(menus), 1) << c.what;
        std::vector<std::string> described;
        for (std::uint32_t i = 0; i < menus.GetCount(); ++i)
            described.push_back(Describe(**menus.GetAt(i)));
        EXPECT_EQ(described, c.menus) << c.what;
        window->Close();
    }
    ControlHarness bare(SkinFor("window"));
    const RCPtr<LControl> window = bare.CreateRoot(u"window");
    ASSERT_FALSE(window->GetStringTable());
    ConstRCPtrArray<LMenuDescriptor> menus;
    EXPECT_EQ(window->BuildContextMenu(menus), 1);
    EXPECT_EQ(menus.GetCount(), 0u);
    window->Close();
}

// The keys a control binds to its context menu's items become the application's hot keys
// while that menu is the control's, and only then.
class ContextMenuHotKeys : public ::testing::Test
{
protected:
    ContextMenuHotKeys()
        : harness(SkinFor("window"),
                  TableFor("window", Entry("LHK.NID_CUT", "Ctrl+VKEY_X") + Entry("LHK.NID_DEEP", "Ctrl+VKEY_D") +
                                         Entry("LHK.NID_OTHER", "Ctrl+VKEY_O")))
    {
    }

    KeyBindingMap& AppKeys() { return harness.App().hotKeys->GetBindingMap(); }
    std::string Bound(const char16_t* nid) { return Narrow(KeyCode::FormatKeyName(KeyCode::GetFirstBinding(AppKeys(), WString(nid)).Code)); }

    ControlHarness harness;
    ConstRCPtr<LMenuDescriptor> editMenu = LMenuDescriptor::CreateFromStringTable(MakeEntries(
        {{u"00.NID_CUT", u"Cut"}, {u"01.More.", u"More"}, {u"More.00.NID_DEEP", u"Deep"}, {u"More.01.NID_NONE", u"None"}}));
    ConstRCPtr<LMenuDescriptor> otherMenu =
        LMenuDescriptor::CreateFromStringTable(MakeEntries({{u"00.NID_OTHER", u"Other"}}));
};

TEST_F(ContextMenuHotKeys, SetContextMenuLendsItsKeysAndWithdrawsThePreviousOnes)
{
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    window->SetContextMenu(editMenu);
    EXPECT_EQ(window->GetContextMenu().Get(), editMenu.Get());
    EXPECT_EQ(Bound(u"NID_CUT"), "Ctrl+VKEY_X");
    EXPECT_EQ(Bound(u"NID_DEEP"), "Ctrl+VKEY_D"); // from the submenu
    EXPECT_FALSE(KeyCode::LookupBinding(AppKeys(), WString(u"NID_OTHER")));

    window->SetContextMenu(otherMenu);
    EXPECT_FALSE(KeyCode::LookupBinding(AppKeys(), WString(u"NID_CUT")));
    EXPECT_FALSE(KeyCode::LookupBinding(AppKeys(), WString(u"NID_DEEP")));
    EXPECT_EQ(Bound(u"NID_OTHER"), "Ctrl+VKEY_O");

    window->SetContextMenu(nullptr);
    EXPECT_TRUE(AppKeys().empty());
    window->Close();
}

TEST_F(ContextMenuHotKeys, CloseAndTeardownWithdrawTheKeysButLeaveTheApplicationsOwn)
{
    const KeyCode ownKey = KeyCode::Parse(WString(u"Ctrl+VKEY_X"));
    ASSERT_EQ(harness.App().hotKeys->AddBinding(ownKey, WString(u"NID_CUT")), QK_OK);
    RCPtr<LControl> window = harness.CreateRoot(u"window");
    window->SetContextMenu(editMenu);
    EXPECT_TRUE(KeyCode::LookupBinding(AppKeys(), WString(u"NID_DEEP")));
    window->Close();
    EXPECT_FALSE(KeyCode::LookupBinding(AppKeys(), WString(u"NID_DEEP")));
    EXPECT_EQ(Bound(u"NID_CUT"), "Ctrl+VKEY_X"); // the application had it first

    window = harness.CreateRoot(u"window");
    window->SetContextMenu(otherMenu);
    EXPECT_TRUE(KeyCode::LookupBinding(AppKeys(), WString(u"NID_OTHER")));
    window->SetRootWindow(nullptr);
    window = nullptr;
    EXPECT_FALSE(KeyCode::LookupBinding(AppKeys(), WString(u"NID_OTHER")));
}

// A fired menu hot key goes through the control's root window when the window knows the
// item's notification (its own hot keys name it), and to the application's notification
// centre otherwise: for a control in a window that does not know it, and for a control in no
// window at all.
TEST_F(ContextMenuHotKeys, AFiredKeyGoesThroughTheControlsWindowWhenItKnowsTheItemElseToTheApplication)
{
    std::vector<std::string> log;
    const RCPtr<Recorder> centre = Recorder::Create("centre", log);
    const RCPtr<Recorder> listener = Recorder::Create("window", log);
    harness.App().hotKeys = LGlobalHotKeyManager::Create(RCPtr<LNotificationReceiver>(centre));
    LRootWindow& root = *harness.Window();
    ASSERT_EQ(root.GetHotKeyManager()->AddBinding(KeyCode::Parse(WString(u"VKEY_F5")), WString(u"NID_CUT")), QK_OK);
    for (const char16_t* nid : {u"NID_CUT", u"NID_DEEP"})
        ASSERT_EQ(root.RegisterClient(ConstRCPtr<LNotificationReceiver>(listener), nid, 0), QK_OK);

    struct Case
    {
        const char* what;
        bool inWindow;
        const char16_t* key;
        std::vector<std::string> heard;
    };
    const Case cases[] = {
        {"a window that knows the item", true, u"Ctrl+VKEY_X", {"window:NID_CUT"}},
        {"a window that does not know it", true, u"Ctrl+VKEY_D", {"centre:NID_DEEP"}},
        {"no window", false, u"Ctrl+VKEY_X", {"centre:NID_CUT"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        const RCPtr<LControl> window = harness.CreateRoot(u"window");
        if (!c.inWindow)
            window->SetRootWindow(nullptr);
        window->SetContextMenu(editMenu);
        log.clear();
        EXPECT_EQ(harness.App().hotKeys->HandleKey(KeyCode::Parse(WString(c.key))), QK_OK);
        EXPECT_EQ(log, c.heard);
        // Withdrawn with the menu: the key is nobody's any more.
        window->SetContextMenu(nullptr);
        EXPECT_EQ(harness.App().hotKeys->HandleKey(KeyCode::Parse(WString(c.key))), QK_FALSE);
        window->Close();
    }
    root.UnregisterClientFromAll(ConstRCPtr<LNotificationReceiver>(listener));
}

TEST(MenuItemUpdater, ForwardsTheItemStateQuestionToItsControl)
{
    ControlHarness harness(SkinFor("window"));
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    const RCPtr<LMenuItemUpdater> updater = window->GetMenuItemUpdater();
    LMenuItemState state;
    EXPECT_EQ(updater->IsCommandEnabled(nullptr, 0, WString(u"NID_X"), state), 1);
    window->Close();
    updater->ClearControl();
    EXPECT_EQ(updater->IsCommandEnabled(nullptr, 0, WString(u"NID_X"), state), QK_E_FAIL);
}

} // namespace
} // namespace QK
