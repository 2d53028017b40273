// Contents: the key tree; line parsing; the open key; the store.
#include "QKFramework/Platform/Core/IniKeyStore.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/ConvertUtf.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

namespace QK
{

namespace
{

constexpr std::size_t kMaxFileSize = 16u * 1024 * 1024;

// --- The key tree -------------------------------------------------------------------------

struct StoredValue
{
    std::u16string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
};

struct StoredKey
{
    std::vector<StoredValue> values;
    // Sub-key names as first spelled.
    std::vector<std::u16string> subKeys;
};

std::u16string Folded(std::u16string_view text)
{
    std::u16string folded(text);
    for (char16_t& c : folded)
        c = ToLowerChar(c);
    return folded;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b)
{
    return a.size() == b.size() && Folded(a) == Folded(b);
}

// The keys of one root, by their path folded to lower case.
class KeyTree
{
public:
    KeyTree() { m_keys.emplace(std::u16string(), StoredKey()); }

    // The key at the path, made with its parents when missing.
    StoredKey& Touch(const std::vector<std::u16string>& components)
    {
        std::u16string path;
        StoredKey* key = &m_keys[path];
        for (const std::u16string& component : components)
        {
            const bool known = std::any_of(key->subKeys.begin(), key->subKeys.end(),
                                           [&](const std::u16string& name) { return EqualNoCase(name, component); });
            if (!known)
                key->subKeys.push_back(component);
            if (!path.empty())
                path += u'\\';
            path += Folded(component);
            key = &m_keys[path];
        }
        return *key;
    }

    const StoredKey* Find(const std::vector<std::u16string>& components) const
    {
        std::u16string path;
        for (const std::u16string& component : components)
        {
            if (!path.empty())
                path += u'\\';
            path += Folded(component);
        }
        const auto found = m_keys.find(path);
        return found == m_keys.end() ? nullptr : &found->second;
    }

private:
    std::map<std::u16string, StoredKey> m_keys;
};

void SetValue(StoredKey& key, StoredValue value)
{
    for (StoredValue& existing : key.values)
    {
        if (EqualNoCase(existing.name, value.name))
        {
            existing = std::move(value);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

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

// Well-formed UTF-8 as UTF-16, or nothing.
std::optional<std::u16string> ToUtf16(std::string_view text)
{
    std::u16string wide(text.size(), u'\0');
    const char* source = text.data();
    char16_t* target = wide.data();
    if (Utf8ToUtf16(&source, text.data() + text.size(), &target, wide.data() + wide.size(), UtfMode::Strict) != UtfOk)
        return std::nullopt;
    wide.resize(static_cast<std::size_t>(target - wide.data()));
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

// The components of a key path; nothing when one is empty or holds a NUL (a name that no
// caller could ask for). An empty path has none.
std::optional<std::vector<std::u16string>> SplitPath(std::u16string_view path)
{
    std::vector<std::u16string> components;
    if (path.empty())
        return components;
    while (true)
    {
        const std::size_t end = path.find(u'\\');
        const std::u16string_view component = path.substr(0, end);
        if (component.empty() || component.find(u'\0') != std::u16string_view::npos)
            return std::nullopt;
        components.emplace_back(component);
        if (end == std::u16string_view::npos)
            return components;
        path.remove_prefix(end + 1);
    }
}

struct Section
{
    RegistryRoot root;
    std::vector<std::u16string> components;
};

// "[ROOT\path]" without its brackets.
std::optional<Section> ParseSection(std::string_view inner)
{
    const std::size_t slash = inner.find('\\');
    const std::optional<RegistryRoot> root = ParseRoot(inner.substr(0, slash));
    if (!root)
        return std::nullopt;
    const std::optional<std::u16string> path =
        ToUtf16(slash == std::string_view::npos ? std::string_view() : inner.substr(slash + 1));
    if (!path || (slash != std::string_view::npos && path->empty()))
        return std::nullopt;
    std::optional<std::vector<std::u16string>> components = SplitPath(*path);
    if (!components)
        return std::nullopt;
    return Section{*root, std::move(*components)};
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

// Adds the keys and values for root that text defines.
void ParseInto(std::string_view text, RegistryRoot root, KeyTree& tree)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    StoredKey* current = nullptr;
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
            current = nullptr;
            if (header.size() < 2 || header.back() != ']')
                continue;
            const std::optional<Section> section = ParseSection(header.substr(1, header.size() - 2));
            if (section && section->root == root)
                current = &tree.Touch(section->components);
            continue;
        }
        if (!current)
            continue;
        if (std::optional<StoredValue> value = ParseValue(line))
            SetValue(*current, std::move(*value));
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
    explicit IniKeyHandle(StoredKey key) : m_key(std::move(key))
    {
        std::sort(m_key.subKeys.begin(), m_key.subKeys.end(), [](const std::u16string& a, const std::u16string& b)
                  { return CompareNoCase(a.c_str(), b.c_str()) < 0; });
    }

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

std::unique_ptr<IRegistryKeyHandle> OpenInTree(const KeyTree& tree, const WString& path)
{
    const std::optional<std::vector<std::u16string>> components =
        SplitPath(std::u16string_view(path.GetString(), path.GetLength()));
    if (!components)
        return nullptr;
    const StoredKey* key = tree.Find(*components);
    if (!key)
        return nullptr;
    return std::make_unique<IniKeyHandle>(*key);
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
    KeyTree tree;
    for (const std::string& file : m_files(root))
    {
        if (const std::optional<std::string> contents = ReadFile(file))
            ParseInto(*contents, root, tree);
    }
    return OpenInTree(tree, path);
}

std::unique_ptr<IRegistryKeyHandle> IniKeyStore::OpenKeyInText(std::string_view text, RegistryRoot root,
                                                               const WString& path)
{
    if (!IsKnownRoot(root))
        return nullptr;
    KeyTree tree;
    ParseInto(text, root, tree);
    return OpenInTree(tree, path);
}

} // namespace QK
