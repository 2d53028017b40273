#include "QKFramework/ControlBase/Input/KeyCode.h"

#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/ObjectBase/Result.h"

#include "tests/support/Recorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace QK
{
namespace
{

using TestSupport::Narrow;

struct ParseCase
{
    const char16_t* text;
    std::uint32_t code;
};

TEST(KeyCodeParse, BindingTextsGiveTheCodesOfPressedKeys)
{
    const ParseCase cases[] = {
        {u"Alt+VKEY_F4", 0x24730000},
        {u"Ctrl+VKEY_C", 0x21430000},
        {u"ctrl+vkey_c", 0x21430000},
        {u"COMMAND+VKEY_O", 0x284F0000},
        {u"Ctrl+Shift+VKEY_PAGEDN", 0x23220000},
        {u"VKEY_DELETE", 0x202E0000},
        // The modifier words are substring tests: the key's own name sets Shift too.
        {u"VKEY_SHIFT", 0x22100000},
        // An unknown name is the key-event bit alone.
        {u"VKEY_NOSUCHKEY", 0x20000000},
        {u"Ctrl+VKEY_", 0x21000000},
        // Without "VKEY_" only Alt counts, and the last character is taken as written.
        {u"Ctrl+q", u'q'},
        {u"Alt+q", 0x04000000 | u'q'},
        {u"[65]", 65},
        {u"Alt+[9]", 0x04000000 | 9},
        {u"[65", 0x20000000},
        {u"[]", 0},
    };
    for (const ParseCase& c : cases)
    {
        const KeyCode key = KeyCode::Parse(c.text);
        EXPECT_EQ(static_cast<std::uint32_t>(key.Code), c.code) << Narrow(c.text);
        EXPECT_EQ(key.Sides, 0u) << Narrow(c.text);
        EXPECT_FALSE(key.PreviousState) << Narrow(c.text);
    }
}

TEST(KeyCodeParse, AnEmptyTextIsNoKey)
{
    const KeyCode key = KeyCode::Parse(WString());
    EXPECT_TRUE(key.IsNoKey());
    EXPECT_EQ(key, KeyCode());
}

TEST(KeyCodeFormat, MenuAndBindingTexts)
{
    const struct
    {
        std::uint32_t code;
        const char* menu;
        const char* binding;
    } cases[] = {
        {0x24730000, "Alt+F4", "Alt+VKEY_F4"},
        {0x21430000, "Ctrl+C", "Ctrl+VKEY_C"},
        {0x2F260000, "Ctrl+Alt+Shift+Cmd+Up Arrow", "Ctrl+Alt+Shift+Cmd+VKEY_UP"},
        // VK 8 has no display name.
        {0x21080000, "Ctrl+", "Ctrl+VKEY_BACK"},
        {0x20150000, "Kana", "VKEY_HANGEUL"},
        {3, "Ctrl+C", "[3]"},
        {127, "", "[127]"},
        {u'!', "!", "[33]"},
        {0x02000000 | u'a', "Shift+a", "Shift+[97]"},
        {0x80000000, "", "[0]"},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Narrow(KeyCode::Format(static_cast<std::int32_t>(c.code))), c.menu) << std::hex << c.code;
        EXPECT_EQ(Narrow(KeyCode::FormatKeyName(static_cast<std::int32_t>(c.code))), c.binding) << std::hex << c.code;
    }
}

TEST(KeyCodeFormat, EveryKeyNameParsesBackToItsKey)
{
    for (const auto& [name, key] : KeyCode::GetKeyNames())
    {
        const KeyCode parsed = KeyCode::Parse(WString(u"Alt+") + name);
        EXPECT_EQ(parsed.GetVirtualKey(), key) << Narrow(name);
        // Names that are themselves modifier words (VKEY_SHIFT, VKEY_LSHIFT) add their modifier.
        const std::int32_t back = parsed.Code & ~static_cast<std::int32_t>(KeyCode::kShift | KeyCode::kCtrl);
        EXPECT_EQ(KeyCode::Parse(KeyCode::FormatKeyName(back)).GetVirtualKey(), key) << Narrow(name);
    }
}

TEST(KeyCodeTables, NamesInNameOrderAndFirstEntriesKept)
{
    const auto& names = KeyCode::GetKeyNames();
    EXPECT_EQ(names.size(), 149u);
    for (std::size_t i = 1; i < names.size(); ++i)
        EXPECT_TRUE(names[i - 1].first < names[i].first) << Narrow(names[i].first);
    EXPECT_EQ(Narrow(KeyCode::GetKeyName(21)), "VKEY_HANGEUL");
    EXPECT_EQ(Narrow(KeyCode::GetKeyName(25)), "VKEY_HANJA");
    EXPECT_EQ(Narrow(KeyCode::GetKeyName(146)), "VKEY_OEM_FJ_JISHO");
    EXPECT_EQ(Narrow(KeyCode::GetKeyName(33)), "VKEY_PAGEUP");
    EXPECT_EQ(Narrow(KeyCode::GetKeyName(200)), "");
    EXPECT_EQ(KeyCode::FromKeyName(u"VKEY_PAGEDN"), 34u);
    EXPECT_EQ(KeyCode::FromKeyName(u"VKEY_F24"), 135u);
    EXPECT_EQ(KeyCode::FromKeyName(u"VKEY_f1"), 0u);

    EXPECT_EQ(KeyCode::GetDisplayNames().size(), 143u);
    EXPECT_EQ(Narrow(KeyCode::GetDisplayName(21)), "Kana");
    EXPECT_EQ(Narrow(KeyCode::GetDisplayName(25)), "Hanja");
    EXPECT_EQ(Narrow(KeyCode::GetDisplayName(146)), "NEC Equal");
    EXPECT_EQ(Narrow(KeyCode::GetDisplayName(105)), "Numpad 9");
    EXPECT_EQ(Narrow(KeyCode::GetDisplayName(8)), "");
    EXPECT_EQ(Narrow(KeyCode::GetDisplayName(9)), "");
}

TEST(KeyCodeMessages, KeyDownEqualsItsBindingAndKeepsTheSides)
{
    // F4 with the left Alt held, as the host reports a system key.
    const KeyCode pressed = KeyCode::FromKeyMessage(115, true, false, KeyCode::kFlagAlt | KeyCode::kFlagLeftAlt);
    EXPECT_EQ(pressed.Code, KeyCode::Parse(u"Alt+VKEY_F4").Code);
    EXPECT_EQ(pressed.Sides, KeyCode::kSideLeftAlt);

    const KeyCode released = KeyCode::FromKeyMessage(115, false, true, KeyCode::kFlagAlt);
    EXPECT_EQ(released.Code, 0x04730000);
    EXPECT_TRUE(released.PreviousState);
    EXPECT_FALSE(released.Matches(KeyCode::Parse(u"Alt+VKEY_F4")));
}

TEST(KeyCodeMessages, SidesCountOnlyWithTheirGeneralFlag)
{
    const struct
    {
        std::uint32_t modifiers;
        std::uint32_t sides;
    } cases[] = {
        {0x8 | 0x10, KeyCode::kSideLeftShift},
        {0x10, 0},
        {0x8 | 0x20, KeyCode::kSideRightShift},
        {0x1 | 0x2 | 0x4, KeyCode::kSideLeftCtrl | KeyCode::kSideRightCtrl},
        {0x2 | 0x4, 0},
        {0x40 | 0x100, KeyCode::kSideRightAlt},
        {0x200 | 0x400 | 0x800, KeyCode::kSideLeftWindows | KeyCode::kSideRightWindows},
        {0x400 | 0x800 | 0x80, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(KeyCode::NormalizeModifiers(c.modifiers), c.sides) << std::hex << c.modifiers;

    const KeyCode character(u'x', 0x1 | 0x8 | 0x40 | 0x200 | 0x1000);
    EXPECT_EQ(static_cast<std::uint32_t>(character.Code), 0x1F000000u | u'x');
}

TEST(KeyCodeMatching, CharactersIgnoreCtrlAndShiftKeysDoNot)
{
    const KeyCode plain = KeyCode::Parse(u"[97]");
    EXPECT_TRUE(plain.Matches(KeyCode(u'a', KeyCode::kFlagCtrl | KeyCode::kFlagShift)));
    EXPECT_FALSE(plain.Matches(KeyCode(u'a', KeyCode::kFlagAlt)));
    const KeyCode key = KeyCode::Parse(u"VKEY_A");
    EXPECT_FALSE(key.Matches(KeyCode::Parse(u"Ctrl+VKEY_A")));
    EXPECT_TRUE(key.Matches(KeyCode::FromKeyMessage(65, true, false, 0)));
}

class KeyBindings : public ::testing::Test
{
protected:
    KeyBindingMap map;
};

TEST_F(KeyBindings, TheFirstBindingOfAKeyWins)
{
    EXPECT_EQ(KeyCode::AddBinding(map, KeyCode::Parse(u"Ctrl+VKEY_O"), u"NID_OPEN"), QK_OK);
    EXPECT_EQ(KeyCode::AddBinding(map, KeyCode::Parse(u"Ctrl+VKEY_O"), u"NID_OTHER"), QK_E_INVALIDARG);
    EXPECT_EQ(KeyCode::AddBinding(map, KeyCode::Parse(u"Ctrl+VKEY_O"), u"NID_OPEN"), QK_E_INVALIDARG);
    EXPECT_EQ(KeyCode::AddBinding(map, KeyCode::Parse(u"Alt+VKEY_O"), WString()), QK_E_INVALIDARG);
    EXPECT_EQ(KeyCode::AddBinding(map, KeyCode::Parse(u"Alt+VKEY_O"), u"NID_OPEN"), QK_OK);
    EXPECT_FALSE(KeyCode::LookupBinding(map, u"NID_OTHER"));
    EXPECT_FALSE(KeyCode::LookupBinding(map, WString()));
    const Array<KeyCode> keys = KeyCode::GetBindings(map, u"NID_OPEN");
    ASSERT_EQ(keys.GetCount(), 2u);
    EXPECT_EQ(keys.GetAt(0)->Code, 0x214F0000);
    EXPECT_EQ(keys.GetAt(1)->Code, 0x244F0000);
    EXPECT_EQ(KeyCode::GetBindings(map, u"NID_NOTHING").GetCount(), 0u);
    EXPECT_EQ(Narrow(KeyCode::FindBinding(map, KeyCode::FromKeyMessage(79, true, false, KeyCode::kFlagAlt))), "NID_OPEN");
}

TEST_F(KeyBindings, CharacterBindingsMatchWithCtrlAndShiftIgnored)
{
    ASSERT_EQ(KeyCode::AddBinding(map, KeyCode::Parse(u"[43]"), u"NID_ZOOM_IN"), QK_OK);
    EXPECT_EQ(Narrow(KeyCode::FindBinding(map, KeyCode(u'+', KeyCode::kFlagShift))), "NID_ZOOM_IN");
    EXPECT_EQ(Narrow(KeyCode::FindBinding(map, KeyCode(u'+', KeyCode::kFlagAlt))), "");
    // A second key that only differs in Ctrl counts as bound already.
    EXPECT_EQ(KeyCode::AddBinding(map, KeyCode(u'+', KeyCode::kFlagCtrl), u"NID_OTHER"), QK_E_INVALIDARG);
}

TEST_F(KeyBindings, ReadBindingsTakesOnlyItsOwnPrefix)
{
    RCPtr<LStringTable> table(new LStringTable(StringMap{
        {u"GHK_WIN.NID_EDIT_COPY_REQ", u"Ctrl+VKEY_C"},
        {u"GHK.NID_EDIT_DELETE_REQ", u"VKEY_DELETE"},
        {u"GHK.A.B.NID_NESTED", u"Ctrl+VKEY_N"},
        {u"GHK.NID_EMPTY", u""},
        {u"GHK.NID_BROKEN", u"[12"},
        {u"GHK_MAC.NID_EDIT_COPY_REQ", u"Command+VKEY_C"},
        {u"GHKX.NID_X", u"VKEY_X"},
        {u"LHK.NID_LOCAL", u"VKEY_L"},
    }));
    EXPECT_EQ(KeyCode::ReadBindings(map, nullptr, u"GHK"), QK_E_INVALIDARG);
    EXPECT_EQ(KeyCode::ReadBindings(map, table.Get(), u"GHK"), QK_OK);
    EXPECT_TRUE(KeyCode::LookupBinding(map, u"NID_EDIT_DELETE_REQ"));
    EXPECT_TRUE(KeyCode::LookupBinding(map, u"NID_NESTED"));
    // "[12" parses to the bare key-event bit, which is not negative and so is bound.
    EXPECT_TRUE(KeyCode::LookupBinding(map, u"NID_BROKEN"));
    EXPECT_FALSE(KeyCode::LookupBinding(map, u"NID_EMPTY"));
    EXPECT_FALSE(KeyCode::LookupBinding(map, u"NID_EDIT_COPY_REQ"));
    EXPECT_FALSE(KeyCode::LookupBinding(map, u"NID_X"));
    EXPECT_FALSE(KeyCode::LookupBinding(map, u"NID_LOCAL"));
    EXPECT_EQ(map.size(), 3u);

    EXPECT_EQ(KeyCode::ReadBindings(map, table.Get(), u"GHK_WIN"), QK_OK);
    EXPECT_EQ(Narrow(KeyCode::FindBinding(map, KeyCode::FromKeyMessage(67, true, false, KeyCode::kFlagCtrl))),
              "NID_EDIT_COPY_REQ");
    // A key up lacks the key-event bit and never finds a key binding.
    EXPECT_EQ(Narrow(KeyCode::FindBinding(map, KeyCode::FromKeyMessage(67, false, true, KeyCode::kFlagCtrl))), "");
}

} // namespace
} // namespace QK
