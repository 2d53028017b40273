// Contents: the key asked for; line parsing; the open key; the store.
#include "QKFramework/Platform/Core/IniKeyStore.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/ConvertUtf.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace QK
{

namespace
{

constexpr std::size_t kMaxFileSize = 16u * 1024 * 1024;

// --- The key asked for ----------------------------------------------------------------------

struct StoredValue
{
    std::u16string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
};

struct StoredKey
{
    std::vector<StoredValue> values;
    // Sub-key names as first spelled, sorted ignoring case.
    std::vector<std::u16string> subKeys;
};

// ToLowerChar, with the ASCII letters that nearly every name is made of folded in line: a large
// file compares and hashes names millions of times.
inline char16_t Fold(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    return ToLowerChar(c);
}

std::u16string Folded(std::u16string_view text)
{
    std::u16string folded(text);
    for (char16_t& c : folded)
        c = Fold(c);
    return folded;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i]))
            return false;
    return true;
}

bool LessNoCase(std::u16string_view a, std::u16string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
        if (const char16_t x = Fold(a[i]), y = Fold(b[i]); x != y)
            return x < y;
    return a.size() < b.size();
}

// Hashing and equality of names ignoring case, for sets that keep a name as first spelled.
struct HashNoCase
{
    std::size_t operator()(std::u16string_view text) const noexcept
    {
        std::size_t hash = 14695981039346656037ull;
        for (const char16_t c : text)
            hash = (hash ^ Fold(c)) * 1099511628211ull;
        return hash;
    }
};

struct EqualToNoCase
{
    bool operator()(std::u16string_view a, std::u16string_view b) const noexcept { return EqualNoCase(a, b); }
};

// One key of one root, gathered while the files are read: its values and the names of its
// sub-keys. Only the key asked for is kept, so reading stays linear in the length of the
// files however deep their key paths go: each section is compared once with the wanted path,
// component by component.
class KeyCollector
{
public:
    // folded: the wanted path's components, folded to lower case.
    explicit KeyCollector(std::vector<std::u16string> folded)
        : m_wanted(std::move(folded)), m_found(m_wanted.empty())
    {
    }

    // A section of the root with a well-formed path (components joined by backslashes, none
    // empty); answers whether it is the wanted key, whose values then follow. A section below
    // the wanted key names one of its sub-keys; both make the key exist.
    bool Section(std::u16string_view path)
    {
        std::size_t start = 0;
        for (const std::u16string& wanted : m_wanted)
        {
            if (start > path.size())
                return false;
            const std::size_t end = std::min(path.find(u'\\', start), path.size());
            if (!EqualFolded(path.substr(start, end - start), wanted))
                return false;
            start = end + 1;
        }
        m_found = true;
        if (start > path.size() || (m_wanted.empty() && path.empty()))
            return true;
        const std::u16string_view child = path.substr(start, std::min(path.find(u'\\', start), path.size()) - start);
        m_subKeyNames.emplace(child);
        return false;
    }

    // A value of the wanted key; a later one of the same name replaces an earlier one.
    void Value(StoredValue value)
    {
        const auto [slot, added] = m_valueIndex.emplace(value.name, m_key.values.size());
        if (added)
            m_key.values.push_back(std::move(value));
        else
            m_key.values[slot->second] = std::move(value);
    }

    bool Found() const { return m_found; }

    // The key, its sub-keys sorted by name ignoring case.
    StoredKey Take()
    {
        m_key.subKeys.reserve(m_subKeyNames.size());
        while (!m_subKeyNames.empty())
            m_key.subKeys.push_back(std::move(m_subKeyNames.extract(m_subKeyNames.begin()).value()));
        std::sort(m_key.subKeys.begin(), m_key.subKeys.end(), LessNoCase);
        return std::move(m_key);
    }

private:
    static bool EqualFolded(std::u16string_view text, std::u16string_view folded)
    {
        if (text.size() != folded.size())
            return false;
        for (std::size_t i = 0; i < text.size(); ++i)
            if (Fold(text[i]) != folded[i])
                return false;
        return true;
    }

    std::vector<std::u16string> m_wanted;
    bool m_found;
    StoredKey m_key;
    // Sub-key names as first spelled, and where each value name is, both matched ignoring case.
    std::unordered_set<std::u16string, HashNoCase, EqualToNoCase> m_subKeyNames;
    std::unordered_map<std::u16string, std::size_t, HashNoCase, EqualToNoCase> m_valueIndex;
};

// --- Line parsing -------------------------------------------------------------------------

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view TrimStart(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

std::string_view Trim(std::string_view text)
{
    text = TrimStart(text);
    while (!text.empty() && IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
    {
        if (ToLowerChar(text[i]) != ToLowerChar(prefix[i]))
            return false;
    }
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && StartsWithNoCase(a, b);
}

// Well-formed UTF-8 as UTF-16 into wide, whose storage is reused from call to call; false
// when text is not well formed.
bool ToUtf16(std::string_view text, std::u16string& wide)
{
    wide.resize(text.size());
    const char* source = text.data();
    char16_t* target = wide.data();
    if (Utf8ToUtf16(&source, text.data() + text.size(), &target, wide.data() + wide.size(), UtfMode::Strict) != UtfOk)
        return false;
    wide.resize(static_cast<std::size_t>(target - wide.data()));
    return true;
}

// Well-formed UTF-8 as UTF-16, or nothing.
std::optional<std::u16string> ToUtf16(std::string_view text)
{
    std::u16string wide;
    if (!ToUtf16(text, wide))
        return std::nullopt;
    return wide;
}

std::optional<RegistryRoot> ParseRoot(std::string_view name)
{
    static const struct
    {
        std::string_view longName;
        std::string_view shortName;
        RegistryRoot root;
    } roots[] = {
        {"HKEY_CLASSES_ROOT", "HKCR", RegistryRoot::ClassesRoot},
        {"HKEY_CURRENT_USER", "HKCU", RegistryRoot::CurrentUser},
        {"HKEY_LOCAL_MACHINE", "HKLM", RegistryRoot::LocalMachine},
        {"HKEY_USERS", "HKU", RegistryRoot::Users},
    };
    for (const auto& r : roots)
    {
        if (EqualsNoCase(name, r.longName) || EqualsNoCase(name, r.shortName))
            return r.root;
    }
    return std::nullopt;
}

// A well-formed key path: components joined by backslashes, none empty and none holding a
// NUL (a name that no caller could ask for). The empty path is the root key.
bool IsWellFormedPath(std::u16string_view path)
{
    if (path.empty())
        return true;
    if (path.front() == u'\\' || path.back() == u'\\' || path.find(u'\0') != std::u16string_view::npos)
        return false;
    return path.find(u"\\\\") == std::u16string_view::npos;
}

// "[ROOT\path]" without its brackets: the root and the path (into path); nothing when it
// does not parse.
std::optional<RegistryRoot> ParseSection(std::string_view inner, std::u16string& path)
{
    const std::size_t slash = inner.find('\\');
    const std::optional<RegistryRoot> root = ParseRoot(inner.substr(0, slash));
    if (!root || !ToUtf16(slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1), path) ||
        (slash != std::string_view::npos && path.empty()) || !IsWellFormedPath(path))
        return std::nullopt;
    return root;
}

// 1 to maxDigits hexadecimal digits.
std::optional<std::uint64_t> ParseHexNumber(std::string_view digits, std::size_t maxDigits)
{
    if (digits.empty() || digits.size() > maxDigits)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits)
    {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return std::nullopt;
        value = (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return value;
}

std::optional<std::vector<std::uint8_t>> ParseHexBytes(std::string_view list)
{
    std::vector<std::uint8_t> bytes;
    list = Trim(list);
    if (list.empty())
        return bytes;
    while (true)
    {
        const std::size_t comma = list.find(',');
        const std::string_view item = Trim(list.substr(0, comma));
        if (item.size() != 2)
            return std::nullopt;
        const std::optional<std::uint64_t> byte = ParseHexNumber(item, 2);
        if (!byte)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*byte));
        if (comma == std::string_view::npos)
            return bytes;
        list.remove_prefix(comma + 1);
    }
}

std::vector<std::uint8_t> LittleEndian(std::uint64_t value, std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i, value >>= 8)
        bytes[i] = static_cast<std::uint8_t>(value);
    return bytes;
}

std::vector<std::uint8_t> Utf16Bytes(const std::u16string& text)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (char16_t c : text)
    {
        bytes.push_back(static_cast<std::uint8_t>(c));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

// A value line: name, "=", type, ":", data.
std::optional<StoredValue> ParseValue(std::string_view line)
{
    StoredValue value;
    if (line.front() == '@')
    {
        line.remove_prefix(1);
    }
    else
    {
        if (line.front() != '"')
            return std::nullopt;
        const std::size_t close = line.find('"', 1);
        if (close == std::string_view::npos)
            return std::nullopt;
        std::optional<std::u16string> name = ToUtf16(line.substr(1, close - 1));
        if (!name)
            return std::nullopt;
        value.name = std::move(*name);
        line.remove_prefix(close + 1);
    }
    // Only leading blanks go: a text keeps its trailing ones.
    line = TrimStart(line);
    if (line.empty() || line.front() != '=')
        return std::nullopt;
    line = TrimStart(line.substr(1));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const std::string_view type = Trim(line.substr(0, colon));
    const std::string_view data = line.substr(colon + 1);

    if (EqualsNoCase(type, "string") || EqualsNoCase(type, "expand"))
    {
        const std::optional<std::u16string> text = ToUtf16(data);
        if (!text)
            return std::nullopt;
        value.type = EqualsNoCase(type, "string") ? kRegistryString : kRegistryExpandString;
        value.data = Utf16Bytes(*text);
    }
    else if (EqualsNoCase(type, "dword") || EqualsNoCase(type, "qword"))
    {
        const bool dword = EqualsNoCase(type, "dword");
        const std::optional<std::uint64_t> number = ParseHexNumber(Trim(data), dword ? 8 : 16);
        if (!number)
            return std::nullopt;
        value.type = dword ? kRegistryDWord : kRegistryQWord;
        value.data = LittleEndian(*number, dword ? 4 : 8);
    }
    else if (EqualsNoCase(type, "hex") || (StartsWithNoCase(type, "hex(") && type.back() == ')'))
    {
        std::optional<std::uint64_t> number = kRegistryBinary;
        if (type.size() > 3)
            number = ParseHexNumber(type.substr(4, type.size() - 5), 8);
        std::optional<std::vector<std::uint8_t>> bytes = ParseHexBytes(data);
        if (!number || !bytes)
            return std::nullopt;
        value.type = static_cast<std::uint32_t>(*number);
        value.data = std::move(*bytes);
    }
    else
    {
        return std::nullopt;
    }
    return value;
}

// Hands the sections of root that text defines, and the values of the wanted key, to the
// collector.
void ParseInto(std::string_view text, RegistryRoot root, KeyCollector& collector)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    bool inWantedKey = false;
    std::u16string path;
    while (!text.empty())
    {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = TrimStart(line);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;

        if (line.front() == '[')
        {
            const std::string_view header = Trim(line);
            inWantedKey = false;
            if (header.size() < 2 || header.back() != ']')
                continue;
            if (ParseSection(header.substr(1, header.size() - 2), path) == root)
                inWantedKey = collector.Section(path);
            continue;
        }
        if (!inWantedKey)
            continue;
        if (std::optional<StoredValue> value = ParseValue(line))
            collector.Value(std::move(*value));
    }
}

// The file's contents; nothing when it cannot be read or is too large.
std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string contents;
    char chunk[65536];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0)
    {
        contents.append(chunk, static_cast<std::size_t>(file.gcount()));
        if (contents.size() > kMaxFileSize)
            return std::nullopt;
    }
    return contents;
}

// --- The open key -------------------------------------------------------------------------

class IniKeyHandle final : public IRegistryKeyHandle
{
public:
    // key: its sub-keys sorted by name ignoring case.
    explicit IniKeyHandle(StoredKey key) : m_key(std::move(key)) {}

    bool QueryValue(const WString& name, std::uint32_t& type, std::vector<std::uint8_t>& data) const override
    {
        const std::u16string_view wanted(name.GetString(), name.GetLength());
        for (const StoredValue& value : m_key.values)
        {
            if (EqualNoCase(value.name, wanted))
            {
                type = value.type;
                data = value.data;
                return true;
            }
        }
        return false;
    }

    bool QuerySubKeyCount(std::uint32_t& count) const override
    {
        count = static_cast<std::uint32_t>(m_key.subKeys.size());
        return true;
    }

    bool EnumSubKey(std::uint32_t index, WString& name) const override
    {
        if (index >= m_key.subKeys.size())
            return false;
        name = WString(m_key.subKeys[index].c_str());
        return true;
    }

private:
    StoredKey m_key;
};

// A collector for the key at path; nothing when the path is not well formed.
std::optional<KeyCollector> CollectorFor(const WString& path)
{
    const std::u16string_view wanted(path.GetString(), path.GetLength());
    if (!IsWellFormedPath(wanted))
        return std::nullopt;
    std::vector<std::u16string> components;
    for (std::size_t start = 0; start < wanted.size();)
    {
        const std::size_t end = std::min(wanted.find(u'\\', start), wanted.size());
        components.push_back(Folded(wanted.substr(start, end - start)));
        start = end + 1;
    }
    return KeyCollector(std::move(components));
}

std::unique_ptr<IRegistryKeyHandle> OpenCollected(KeyCollector& collector)
{
    if (!collector.Found())
        return nullptr;
    return std::make_unique<IniKeyHandle>(collector.Take());
}

bool IsKnownRoot(RegistryRoot root)
{
    return root == RegistryRoot::ClassesRoot || root == RegistryRoot::CurrentUser ||
           root == RegistryRoot::LocalMachine || root == RegistryRoot::Users;
}

} // namespace

// --- The store ----------------------------------------------------------------------------

IniKeyStore::IniKeyStore(FileList files) : m_files(std::move(files)) {}

std::unique_ptr<IRegistryKeyHandle> IniKeyStore::OpenKey(RegistryRoot root, const WString& path, bool) const
{
    if (!IsKnownRoot(root))
        return nullptr;
    std::optional<KeyCollector> collector = CollectorFor(path);
    if (!collector)
        return nullptr;
    for (const std::string& file : m_files(root))
    {
        if (const std::optional<std::string> contents = ReadFile(file))
            ParseInto(*contents, root, *collector);
    }
    return OpenCollected(*collector);
}

std::unique_ptr<IRegistryKeyHandle> IniKeyStore::OpenKeyInText(std::string_view text, RegistryRoot root,
                                                               const WString& path)
{
    if (!IsKnownRoot(root))
        return nullptr;
    std::optional<KeyCollector> collector = CollectorFor(path);
    if (!collector)
        return nullptr;
    ParseInto(text, root, *collector);
    return OpenCollected(*collector);
}

} // namespace QK
