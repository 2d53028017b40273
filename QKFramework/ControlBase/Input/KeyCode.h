// KeyCode: one keyboard event or one key binding, packed so that a pressed key and a binding
// read from a string table compare equal; the key tables, the two text forms and the binding
// maps (notification id to the keys bound to it).
//
// Code bits: 0-15 the character of a character event, 16-23 the Windows virtual key of a key
// event, 24 Ctrl, 25 Shift, 26 Alt, 27 Command, 28 the extra modifier (flag 0x1000), 29 key
// event (key down, or a parsed virtual-key binding); a negative code is no key.
//
// Modifier flags, as the host window reports them: 1 Ctrl, 2 left Ctrl, 4 right Ctrl,
// 8 Shift, 16 left Shift, 32 right Shift, 64 Alt, 128 left Alt, 256 right Alt, 0x200 Windows
// key, 0x400 left Windows key, 0x800 right Windows key, 0x1000 extra.
//
// The static tables are built once, on first use, and are safe to read from any thread.
// A binding map belongs to one owner (a hot-key manager, a control) and is used on the UI
// thread.
#pragma once

#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace QK
{

class KeyCode;
class LStringTable;

// NID (its interned address, so the order is that of the addresses) to the keys bound to it,
// each list in the order its keys were added.
using KeyBindingMap = std::map<NID, Array<KeyCode>>;

class KeyCode
{
public:
    // Code bits.
    static constexpr std::uint32_t kCharacterMask = 0xFFFF;
    static constexpr std::uint32_t kVirtualKeyMask = 0xFF0000;
    static constexpr std::uint32_t kCtrl = 0x1000000;
    static constexpr std::uint32_t kShift = 0x2000000;
    static constexpr std::uint32_t kAlt = 0x4000000;
    static constexpr std::uint32_t kCommand = 0x8000000;
    static constexpr std::uint32_t kExtra = 0x10000000;
    static constexpr std::uint32_t kKeyEvent = 0x20000000;
    static constexpr std::uint32_t kNoKey = 0x80000000;

    // Modifier flags.
    static constexpr std::uint32_t kFlagCtrl = 0x1;
    static constexpr std::uint32_t kFlagLeftCtrl = 0x2;
    static constexpr std::uint32_t kFlagRightCtrl = 0x4;
    static constexpr std::uint32_t kFlagShift = 0x8;
    static constexpr std::uint32_t kFlagLeftShift = 0x10;
    static constexpr std::uint32_t kFlagRightShift = 0x20;
    static constexpr std::uint32_t kFlagAlt = 0x40;
    static constexpr std::uint32_t kFlagLeftAlt = 0x80;
    static constexpr std::uint32_t kFlagRightAlt = 0x100;
    static constexpr std::uint32_t kFlagWindows = 0x200;
    static constexpr std::uint32_t kFlagLeftWindows = 0x400;
    static constexpr std::uint32_t kFlagRightWindows = 0x800;
    static constexpr std::uint32_t kFlagExtra = 0x1000;

    // Normalised sides.
    static constexpr std::uint32_t kSideLeftShift = 0x1;
    static constexpr std::uint32_t kSideRightShift = 0x2;
    static constexpr std::uint32_t kSideLeftCtrl = 0x4;
    static constexpr std::uint32_t kSideRightCtrl = 0x8;
    static constexpr std::uint32_t kSideLeftAlt = 0x10;
    static constexpr std::uint32_t kSideRightAlt = 0x20;
    static constexpr std::uint32_t kSideLeftWindows = 0x40;
    static constexpr std::uint32_t kSideRightWindows = 0x80;

    // The empty key: no key.
    KeyCode() = default;
    // A character event: no key-event bit.
    KeyCode(char16_t character, std::uint32_t modifiers);

    // A key message: the virtual key in bits 16-23, the key-event bit when down.
    static KeyCode FromKeyMessage(std::uint32_t virtualKey, bool down, bool previousState, std::uint32_t modifiers);
    // The sides of the modifier flags; a side counts only together with its general flag.
    static std::uint32_t NormalizeModifiers(std::uint32_t modifiers);

    // The virtual key of an exact "VKEY_" name; 0 when the name is not in the table.
    static std::uint32_t FromKeyName(const WString& name);
    // The first "VKEY_" name in name order for the key; empty when none.
    static WString GetKeyName(std::uint32_t virtualKey);
    // The display text of the key; empty when none.
    static WString GetDisplayName(std::uint32_t virtualKey);
    // The key-name table in name order, and the display texts by key.
    static const std::vector<std::pair<WString, std::uint32_t>>& GetKeyNames();
    static const std::map<std::uint32_t, WString>& GetDisplayNames();

    // The menu text of a code ("Ctrl+O", "Alt+F4").
    static WString Format(std::int32_t code);
    // The binding text of a code ("Alt+VKEY_F4", "[65]"); the text form of a key argument.
    static WString FormatKeyName(std::int32_t code);
    // A binding text. Upper-cased, "CTRL", "ALT", "SHIFT" and "COMMAND" anywhere count as
    // modifiers; with "VKEY_" the name from there to the end gives the key. Without it only
    // Alt counts and the last character is the key, or "[n]" gives character n. An empty
    // text is no key.
    static KeyCode Parse(const WString& text);

    // This code against another: equal codes, where a character code of both also matches
    // with Ctrl and Shift ignored.
    bool Matches(const KeyCode& other) const;

    // The NID name bound to the key's code, walking the map in order and each list from its
    // last key; empty when none.
    static WString FindBinding(const KeyBindingMap& map, const KeyCode& key);
    // 0 when added, 1 when the NID had the key already; 0x80070057 for an empty name or a key
    // that is bound to any NID (the first binding wins).
    static QKRESULT AddBinding(KeyBindingMap& map, const KeyCode& key, const WString& nidName);
    // Takes key out of the name's list, and the list out of map once empty: 0, or 1 when
    // the key was not bound to the name.
    static QKRESULT RemoveBinding(KeyBindingMap& map, const KeyCode& key, const WString& nidName);
    // Every entry whose id is prefix + "." + NID name; the NID is the id after its last ".".
    // Texts that parse to no key are skipped. 0; 0x80070057 without a table.
    static QKRESULT ReadBindings(KeyBindingMap& map, const LStringTable* table, const WString& prefix);
    // A copy of the keys bound to the NID; empty for an empty or unbound name.
    static Array<KeyCode> GetBindings(const KeyBindingMap& map, const WString& nidName);
    // Whether the NID has a list (false for an empty name).
    static bool LookupBinding(const KeyBindingMap& map, const WString& nidName);
    // The first key bound to the name, or the empty key code (also for an empty name).
    static KeyCode GetFirstBinding(const KeyBindingMap& map, const WString& nidName);
    // A press of a virtual key: a virtual key, the key-down bit, and bit 31 clear.
    bool IsVirtualKeyPress() const noexcept
    {
        const auto code = static_cast<std::uint32_t>(Code);
        return (code & kVirtualKeyMask) != 0 && (code & kKeyEvent) != 0 && (code & kNoKey) == 0;
    }

    std::int32_t GetCode() const noexcept { return Code; }
    std::uint32_t GetVirtualKey() const noexcept { return (static_cast<std::uint32_t>(Code) & kVirtualKeyMask) >> 16; }
    char16_t GetCharacter() const noexcept { return static_cast<char16_t>(static_cast<std::uint32_t>(Code) & kCharacterMask); }
    bool IsNoKey() const noexcept { return Code < 0; }

    friend bool operator==(const KeyCode&, const KeyCode&) = default;

    std::int32_t Code = static_cast<std::int32_t>(kNoKey);
    std::uint32_t Sides = 0;
    bool PreviousState = false;
};

} // namespace QK
