// Contents: the key tables; construction and sides; names; the two text forms; the parser;
// matching and the binding maps.
#include "QKFramework/ControlBase/Input/KeyCode.h"

#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <algorithm>
#include <string_view>

namespace QK
{

namespace
{

struct KeyTables
{
    std::vector<std::pair<WString, std::uint32_t>> names;
    std::map<std::uint32_t, WString> displayNames;
};

std::u16string_view View(const WString& text)
{
    return std::u16string_view(text.GetString(), text.GetLength());
}

WString Ascii(const std::string& text)
{
    return WString(text.c_str());
}

// A prefix and a number, written piece by piece (GCC 12 warns falsely about "F" + string in
// optimised builds).
std::string Numbered(const char* prefix, std::uint32_t number)
{
    std::string text(prefix);
    text += std::to_string(number);
    return text;
}

// Both tables, built together once. Names go in name order (ordinal); display texts keep the
// first text entered for a key.
KeyTables BuildKeyNameTables()
{
    KeyTables tables;
    auto name = [&tables](const std::string& text, std::uint32_t key) { tables.names.emplace_back(Ascii("VKEY_" + text), key); };
    auto display = [&tables](std::uint32_t key, const std::string& text) { tables.displayNames.emplace(key, Ascii(text)); };

    static const std::pair<const char*, std::uint32_t> kNames[] = {
        {"BACK", 8}, {"TAB", 9}, {"CLEAR", 12}, {"RETURN", 13}, {"SHIFT", 16}, {"CONTROL", 17}, {"MENU", 18},
        {"PAUSE", 19}, {"CAPITAL", 20}, {"KANA", 21}, {"HANGEUL", 21}, {"HANGUL", 21}, {"JUNJA", 23},
        {"FINAL", 24}, {"HANJA", 25}, {"KANJI", 25}, {"ESCAPE", 27}, {"CONVERT", 28}, {"NONCONVERT", 29},
        {"ACCEPT", 30}, {"MODECHANGE", 31}, {"SPACE", 32}, {"PAGEUP", 33}, {"PAGEDN", 34}, {"END", 35},
        {"HOME", 36}, {"LEFT", 37}, {"UP", 38}, {"RIGHT", 39}, {"DOWN", 40}, {"SELECT", 41}, {"PRINT", 42},
        {"EXECUTE", 43}, {"SNAPSHOT", 44}, {"INSERT", 45}, {"DELETE", 46}, {"HELP", 47}, {"LWIN", 91},
        {"RWIN", 92}, {"APPS", 93}, {"SLEEP", 95}, {"MULTIPLY", 106}, {"ADD", 107}, {"SEPARATOR", 108},
        {"SUBTRACT", 109}, {"DECIMAL", 110}, {"DIVIDE", 111}, {"NUMLOCK", 144}, {"SCROLL", 145},
        {"OEM_NEC_EQUAL", 146}, {"OEM_FJ_JISHO", 146}, {"OEM_FJ_MASSHOU", 147}, {"OEM_FJ_TOUROKU", 148},
        {"OEM_FJ_LOYA", 149}, {"OEM_FJ_ROYA", 150}, {"LSHIFT", 160}, {"RSHIFT", 161}, {"LCONTROL", 162},
        {"RCONTROL", 163}, {"LMENU", 164}, {"RMENU", 165}, {"BROWSER_BACK", 166}, {"BROWSER_FORWARD", 167},
        {"BROWSER_REFRESH", 168}, {"BROWSER_STOP", 169}, {"BROWSER_SEARCH", 170}, {"BROWSER_FAVORITES", 171},
        {"BROWSER_HOME", 172}, {"VOLUME_MUTE", 173}, {"VOLUME_DOWN", 174}, {"VOLUME_UP", 175},
        {"MEDIA_NEXT_TRACK", 176}, {"MEDIA_PREV_TRACK", 177}, {"MEDIA_STOP", 178}, {"MEDIA_PLAY_PAUSE", 179},
        {"LAUNCH_MAIL", 180}, {"LAUNCH_MEDIA_SELECT", 181}, {"LAUNCH_APP1", 182}, {"LAUNCH_APP2", 183},
    };
    for (const auto& [text, key] : kNames)
        name(text, key);
    for (std::uint32_t i = 0; i < 10; ++i)
    {
        name(std::string(1, static_cast<char>('0' + i)), 48 + i);
        name(Numbered("NUMPAD", i), 96 + i);
    }
    for (std::uint32_t i = 0; i < 26; ++i)
        name(std::string(1, static_cast<char>('A' + i)), 65 + i);
    for (std::uint32_t i = 1; i <= 24; ++i)
        name(Numbered("F", i), 111 + i);
    std::stable_sort(tables.names.begin(), tables.names.end(),
                     [](const auto& a, const auto& b) { return View(a.first) < View(b.first); });

    static const std::pair<std::uint32_t, const char*> kDisplay[] = {
        {12, "Clear"}, {13, "Return"}, {16, "Shift"}, {17, "Control"}, {18, "Menu"}, {19, "Pause"},
        {20, "Capital"}, {21, "Kana"}, {21, "Hangeul"}, {21, "Hangul"}, {23, "Junja"}, {24, "Final"},
        {25, "Hanja"}, {25, "Kanji"}, {27, "Escape"}, {28, "Convert"}, {29, "Non-convert"}, {30, "Accept"},
        {31, "Mode Change"}, {32, "Space"}, {33, "Page Up"}, {34, "Page Down"}, {35, "End"}, {36, "Home"},
        {37, "Left Arrow"}, {38, "Up Arrow"}, {39, "Right Arrow"}, {40, "Down Arrow"}, {41, "Select"},
        {42, "Print"}, {43, "Execute"}, {44, "Snapshot"}, {45, "Insert"}, {46, "Del"}, {47, "Help"},
        {91, "Left Win"}, {92, "Right Win"}, {93, "Apps"}, {95, "Sleep"}, {106, "*"}, {107, "+"},
        {108, "Separator"}, {109, "-"}, {110, "."}, {111, "/"}, {144, "Numlock"}, {145, "Scroll"},
        {146, "NEC Equal"}, {146, "Jisho"}, {147, "Masshou"}, {148, "Touroku"}, {149, "Loya"}, {150, "Roya"},
        {160, "Left Shift"}, {161, "Right Shift"}, {162, "Left Control"}, {163, "Right Control"},
        {164, "Left Menu"}, {165, "Right Menu"}, {166, "Browser Back"}, {167, "Browser Forward"},
        {168, "Browser Refresh"}, {169, "Browser Stop"}, {170, "Browser Search"}, {171, "Browser Favorites"},
        {172, "Browser Home"}, {173, "Volume Mute"}, {174, "Volume Down"}, {175, "Volume Up"},
        {176, "Media Next Track"}, {177, "Media Prev Track"}, {178, "Media Stop"}, {179, "Media Play Pause"},
        {180, "Launch Mail"}, {181, "Launch Media Select"}, {182, "Launch App 1"}, {183, "Launch App 2"},
    };
    for (const auto& [key, text] : kDisplay)
        display(key, text);
    for (std::uint32_t i = 0; i < 10; ++i)
    {
        display(48 + i, std::string(1, static_cast<char>('0' + i)));
        display(96 + i, Numbered("Numpad ", i));
    }
    for (std::uint32_t i = 0; i < 26; ++i)
        display(65 + i, std::string(1, static_cast<char>('A' + i)));
    for (std::uint32_t i = 1; i <= 24; ++i)
        display(111 + i, Numbered("F", i));
    return tables;
}

const KeyTables& Tables()
{
    static const KeyTables tables = BuildKeyNameTables();
    return tables;
}

std::uint32_t ModifierBits(std::uint32_t modifiers)
{
    std::uint32_t bits = 0;
    if (modifiers & KeyCode::kFlagShift)
        bits |= KeyCode::kShift;
    if (modifiers & KeyCode::kFlagCtrl)
        bits |= KeyCode::kCtrl;
    if (modifiers & KeyCode::kFlagAlt)
        bits |= KeyCode::kAlt;
    if (modifiers & KeyCode::kFlagWindows)
        bits |= KeyCode::kCommand;
    if (modifiers & KeyCode::kFlagExtra)
        bits |= KeyCode::kExtra;
    return bits;
}

WString ModifierPrefix(std::uint32_t code)
{
    WString text;
    if (code & KeyCode::kCtrl)
        text.Append(WString(u"Ctrl+"));
    if (code & KeyCode::kAlt)
        text.Append(WString(u"Alt+"));
    if (code & KeyCode::kShift)
        text.Append(WString(u"Shift+"));
    if (code & KeyCode::kCommand)
        text.Append(WString(u"Cmd+"));
    return text;
}

NID IdOf(const WString& name)
{
    return name.IsEmpty() ? 0 : GetNotificationId(NotificationName(name));
}

} // namespace

KeyCode::KeyCode(char16_t character, std::uint32_t modifiers)
    : Code(static_cast<std::int32_t>(character | ModifierBits(modifiers))), Sides(NormalizeModifiers(modifiers))
{
}

KeyCode KeyCode::FromKeyMessage(std::uint32_t virtualKey, bool down, bool previousState, std::uint32_t modifiers)
{
    KeyCode key;
    key.Code = static_cast<std::int32_t>(((virtualKey & 0xFF) << 16) | (down ? kKeyEvent : 0) | ModifierBits(modifiers));
    key.Sides = NormalizeModifiers(modifiers);
    key.PreviousState = previousState;
    return key;
}

std::uint32_t KeyCode::NormalizeModifiers(std::uint32_t modifiers)
{
    static constexpr struct
    {
        std::uint32_t general;
        std::uint32_t side;
        std::uint32_t bit;
    } kSides[] = {
        {kFlagShift, kFlagLeftShift, kSideLeftShift},       {kFlagShift, kFlagRightShift, kSideRightShift},
        {kFlagCtrl, kFlagLeftCtrl, kSideLeftCtrl},          {kFlagCtrl, kFlagRightCtrl, kSideRightCtrl},
        {kFlagAlt, kFlagLeftAlt, kSideLeftAlt},             {kFlagAlt, kFlagRightAlt, kSideRightAlt},
        {kFlagWindows, kFlagLeftWindows, kSideLeftWindows}, {kFlagWindows, kFlagRightWindows, kSideRightWindows},
    };
    std::uint32_t sides = 0;
    for (const auto& entry : kSides)
        if ((modifiers & entry.general) && (modifiers & entry.side))
            sides |= entry.bit;
    return sides;
}

std::uint32_t KeyCode::FromKeyName(const WString& name)
{
    const auto& names = Tables().names;
    const auto found = std::lower_bound(names.begin(), names.end(), View(name),
                                        [](const auto& entry, std::u16string_view value) { return View(entry.first) < value; });
    if (found == names.end() || View(found->first) != View(name))
        return 0;
    return found->second;
}

WString KeyCode::GetKeyName(std::uint32_t virtualKey)
{
    for (const auto& [name, key] : Tables().names)
        if (key == virtualKey)
            return name;
    return WString();
}

WString KeyCode::GetDisplayName(std::uint32_t virtualKey)
{
    const auto& names = Tables().displayNames;
    const auto found = names.find(virtualKey);
    return found == names.end() ? WString() : found->second;
}

const std::vector<std::pair<WString, std::uint32_t>>& KeyCode::GetKeyNames()
{
    return Tables().names;
}

const std::map<std::uint32_t, WString>& KeyCode::GetDisplayNames()
{
    return Tables().displayNames;
}

WString KeyCode::Format(std::int32_t code)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(code);
    WString text = ModifierPrefix(bits);
    if (code < 0)
        return text;
    const std::uint32_t virtualKey = (bits & kVirtualKeyMask) >> 16;
    if (virtualKey != 0)
    {
        text.Append(GetDisplayName(virtualKey));
        return text;
    }
    const std::uint32_t character = bits & kCharacterMask;
    if (character >= 1 && character <= 26)
    {
        text.Append(WString(u"Ctrl+"));
        text.AppendChar(static_cast<char16_t>(character + 64));
    }
    else if (character >= 33 && character <= 126)
    {
        text.AppendChar(static_cast<char16_t>(character));
    }
    return text;
}

WString KeyCode::FormatKeyName(std::int32_t code)
{
    const std::uint32_t bits = static_cast<std::uint32_t>(code);
    WString text = ModifierPrefix(bits);
    const std::uint32_t virtualKey = (bits & kVirtualKeyMask) >> 16;
    if (virtualKey != 0)
        text.Append(GetKeyName(virtualKey));
    else
        text.Append(WString::Format(u"[%d]", static_cast<int>(bits & kCharacterMask)));
    return text;
}

KeyCode KeyCode::Parse(const WString& text)
{
    // Nothing to take the last character of: an empty binding binds nothing.
    if (text.IsEmpty())
        return KeyCode();

    KeyCode key;
    key.Code = static_cast<std::int32_t>(kKeyEvent);
    const WString upper = text.ToUpper();
    std::uint32_t modifiers = 0;
    if (upper.Find(u"CTRL") >= 0)
        modifiers |= kFlagCtrl;
    if (upper.Find(u"ALT") >= 0)
        modifiers |= kFlagAlt;
    if (upper.Find(u"SHIFT") >= 0)
        modifiers |= kFlagShift;
    if (upper.Find(u"COMMAND") >= 0)
        modifiers |= kFlagWindows;

    const std::int32_t nameAt = upper.Find(u"VKEY_");
    if (nameAt >= 0)
    {
        const std::uint32_t virtualKey = FromKeyName(upper.MidFrom(nameAt));
        key.Code = static_cast<std::int32_t>((virtualKey << 16) | kKeyEvent | ModifierBits(modifiers));
        key.Sides = NormalizeModifiers(modifiers);
        return key;
    }

    const std::uint32_t altOnly = modifiers & kFlagAlt;
    const std::int32_t open = text.Find(u"[");
    if (open < 0)
        return KeyCode(text.GetString()[text.GetLength() - 1], altOnly);
    const WString rest = text.MidFrom(open + 1);
    const std::int32_t close = rest.Find(u"]");
    if (close < 0)
        return key;
    const WString number = rest.Left(close);
    return KeyCode(static_cast<char16_t>(ParseInt(number.GetString())), altOnly);
}

bool KeyCode::Matches(const KeyCode& other) const
{
    const std::uint32_t mine = static_cast<std::uint32_t>(Code);
    const std::uint32_t theirs = static_cast<std::uint32_t>(other.Code);
    if (mine & 0x80FF0000u)
        return mine == theirs;
    if (!(theirs & 0x80FF0000u))
        return (mine & ~(kCtrl | kShift)) == (theirs & ~(kCtrl | kShift));
    return mine == theirs;
}

WString KeyCode::FindBinding(const KeyBindingMap& map, const KeyCode& key)
{
    const std::uint32_t wanted = static_cast<std::uint32_t>(key.Code);
    for (const auto& [id, keys] : map)
    {
        for (std::uint32_t i = keys.GetCount(); i-- > 0;)
        {
            const std::uint32_t bound = static_cast<std::uint32_t>(keys.GetAt(i)->Code);
            const bool characters = (wanted & ~0x7F00FFFFu) == 0 && (bound & ~0x7F00FFFFu) == 0;
            if (bound == wanted || (characters && (bound & ~(kCtrl | kShift)) == (wanted & ~(kCtrl | kShift))))
                return GetNotificationName(id);
        }
    }
    return WString();
}

QKRESULT KeyCode::AddBinding(KeyBindingMap& map, const KeyCode& key, const WString& nidName)
{
    if (nidName.IsEmpty() || !FindBinding(map, key).IsEmpty())
        return QK_E_INVALIDARG;
    const NID id = GetNotificationId(NotificationName(nidName));
    if (id == 0)
        return QK_E_INVALIDARG;
    Array<KeyCode>& keys = map[id];
    for (std::uint32_t i = 0; i < keys.GetCount(); ++i)
        if (keys.GetAt(i)->Code == key.Code)
            return QK_FALSE;
    keys.Add(key);
    return QK_OK;
}

QKRESULT KeyCode::RemoveBinding(KeyBindingMap& map, const KeyCode& key, const WString& nidName)
{
    const NID id = IdOf(nidName);
    const auto found = id ? map.find(id) : map.end();
    if (found == map.end())
        return QK_FALSE;
    Array<KeyCode>& keys = found->second;
    for (std::uint32_t i = 0; i < keys.GetCount(); ++i)
    {
        if (keys.GetAt(i)->Code != key.Code)
            continue;
        keys.RemoveRange(i, 1);
        if (keys.GetCount() == 0)
            map.erase(found);
        return QK_OK;
    }
    return QK_FALSE;
}

QKRESULT KeyCode::ReadBindings(KeyBindingMap& map, const LStringTable* table, const WString& prefix)
{
    if (!table)
        return QK_E_INVALIDARG;
    WString start = prefix;
    start.AppendChar(u'.');
    for (const auto& [id, text] : static_cast<const StringMap&>(*table))
    {
        if (id.GetLength() < start.GetLength() || !id.Left(static_cast<std::int32_t>(start.GetLength())).IsEqual(start))
            continue;
        const WString nidName = id.MidFrom(id.ReverseFind(u'.') + 1);
        const KeyCode key = Parse(text);
        if (!key.IsNoKey())
            AddBinding(map, key, nidName);
    }
    return QK_OK;
}

Array<KeyCode> KeyCode::GetBindings(const KeyBindingMap& map, const WString& nidName)
{
    const NID id = IdOf(nidName);
    const auto found = id ? map.find(id) : map.end();
    return found == map.end() ? Array<KeyCode>() : found->second;
}

KeyCode KeyCode::GetFirstBinding(const KeyBindingMap& map, const WString& nidName)
{
    if (nidName.IsEmpty())
        return KeyCode();
    const NID id = IdOf(nidName);
    const auto found = id ? map.find(id) : map.end();
    if (found == map.end() || found->second.GetCount() == 0)
        return KeyCode();
    return *found->second.GetAt(0);
}

bool KeyCode::LookupBinding(const KeyBindingMap& map, const WString& nidName)
{
    const NID id = IdOf(nidName);
    return id != 0 && map.find(id) != map.end();
}

} // namespace QK
