// Contents: the keys of a text; line parsing; the open key; the store.
#include "QKFramework/Platform/Core/IniKeyStore.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/ConvertUtf.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
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

// --- The keys of a text ----------------------------------------------------------------------

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

// The keys of one text, parsed once: for each root a tree whose node 0 is the root key. A
// section makes its key and every key above it; its values belong to its own key. Nodes and
// values are found by their names folded to lower case through one hash table each, so that
// parsing stays linear in the length of the text however many sections, values or levels it
// holds, and opening a key costs a walk down its path.
struct ParsedKeys
{
    struct Node
    {
        // As first spelled.
        std::u16string name;
        // Sub-keys, in the order the text first names them.
        std::vector<std::uint32_t> children;
        std::vector<StoredValue> values;
    };

    // A name under a parent: a child key, or a value of the parent.
    struct NameKey
    {
        std::uint32_t root;
        std::uint32_t parent;
        std::u16string folded;
        bool operator==(const NameKey&) const = default;
    };
    struct NameKeyHash
    {
        std::size_t operator()(const NameKey& key) const noexcept
        {
            std::size_t hash = std::hash<std::u16string>()(key.folded);
            hash ^= (static_cast<std::size_t>(key.root) << 32 | key.parent) + 0x9E3779B97F4A7C15ull + (hash << 6) +
                    (hash >> 2);
            return hash;
        }
    };

    static constexpr std::size_t kRoots = 4;

    ParsedKeys()
    {
        for (std::vector<Node>& tree : trees)
            tree.emplace_back();
    }

    // The key at path (components joined by backslashes, well formed) under root, made with
    // every key above it when missing.
    std::uint32_t MakeKey(std::uint32_t root, std::u16string_view path, std::u16string& folded)
    {
        std::uint32_t node = 0;
        for (std::size_t start = 0; start < path.size();)
        {
            const std::size_t end = std::min(path.find(u'\\', start), path.size());
            const std::u16string_view component = path.substr(start, end - start);
            folded.assign(component);
            for (char16_t& c : folded)
                c = Fold(c);
            const auto [slot, added] =
                children.try_emplace(NameKey{root, node, folded}, static_cast<std::uint32_t>(trees[root].size()));
            if (added)
            {
                trees[root][node].children.push_back(slot->second);
                trees[root].emplace_back().name.assign(component);
            }
            node = slot->second;
            start = end + 1;
        }
        return node;
    }

    // A value of the key; a later one of the same name replaces an earlier one.
    void AddValue(std::uint32_t root, std::uint32_t node, StoredValue value)
    {
        std::vector<StoredValue>& stored = trees[root][node].values;
        const auto [slot, added] =
            values.try_emplace(NameKey{root, node, Folded(value.name)}, static_cast<std::uint32_t>(stored.size()));
        if (added)
            stored.push_back(std::move(value));
        else
            stored[slot->second] = std::move(value);
    }

    // The key whose folded path components are wanted; null when the text does not make it.
    const Node* Find(std::uint32_t root, const std::vector<std::u16string>& wanted) const
    {
        std::uint32_t node = 0;
        for (const std::u16string& component : wanted)
        {
            const auto found = children.find(NameKey{root, node, component});
            if (found == children.end())
                return nullptr;
            node = found->second;
        }
        return &trees[root][node];
    }

    std::array<std::vector<Node>, kRoots> trees;
    std::unordered_map<NameKey, std::uint32_t, NameKeyHash> children;
    std::unordered_map<NameKey, std::uint32_t, NameKeyHash> values;
};

// One key gathered from the parsed files, least important first: a later file's value
// replaces an earlier one's of the same name; the sub-keys are those of every file.
class KeyCollector
{
public:
    // folded: the wanted path's components, folded to lower case.
    explicit KeyCollector(std::vector<std::u16string> folded)
        : m_wanted(std::move(folded)), m_found(m_wanted.empty())
    {
    }

    void Add(const ParsedKeys& keys, RegistryRoot root)
    {
        const ParsedKeys::Node* node = keys.Find(static_cast<std::uint32_t>(root), m_wanted);
        if (!node)
            return;
        m_found = true;
        const std::vector<ParsedKeys::Node>& tree = keys.trees[static_cast<std::uint32_t>(root)];
        for (const std::uint32_t child : node->children)
            m_subKeyNames.emplace(tree[child].name);
        for (const StoredValue& value : node->values)
        {
            const auto [slot, added] = m_valueIndex.emplace(value.name, m_key.values.size());
            if (added)
                m_key.values.push_back(value);
            else
                m_key.values[slot->second] = value;
        }
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

// Every key and value that text defines, for every root.
std::shared_ptr<const ParsedKeys> Parse(std::string_view text)
{
    auto keys = std::make_shared<ParsedKeys>();
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    // The key the values that follow belong to, when its section parsed.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> key;
    std::u16string path;
    std::u16string folded;
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
            key.reset();
            if (header.size() < 2 || header.back() != ']')
                continue;
            if (const std::optional<RegistryRoot> root = ParseSection(header.substr(1, header.size() - 2), path))
            {
                const auto index = static_cast<std::uint32_t>(*root);
                if (index < ParsedKeys::kRoots)
                    key.emplace(index, keys->MakeKey(index, path, folded));
            }
            continue;
        }
        if (!key)
            continue;
        if (std::optional<StoredValue> value = ParseValue(line))
            keys->AddValue(key->first, key->second, std::move(*value));
    }
    return keys;
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

std::unique_ptr<IRegistryKeyHandle> OpenKeyIn(const std::vector<std::shared_ptr<const ParsedKeys>>& files,
                                              RegistryRoot root, const WString& path)
{
    if (!IsKnownRoot(root))
        return nullptr;
    std::optional<KeyCollector> collector = CollectorFor(path);
    if (!collector)
        return nullptr;
    for (const std::shared_ptr<const ParsedKeys>& file : files)
        collector->Add(*file, root);
    return OpenCollected(*collector);
}

} // namespace

// --- The store ----------------------------------------------------------------------------

IniKeyStore::IniKeyStore(FileList files) : m_files(std::move(files)) {}

IniKeyStore::~IniKeyStore() = default;

std::unique_ptr<IRegistryKeyHandle> IniKeyStore::OpenKey(RegistryRoot root, const WString& path, bool) const
{
    if (!IsKnownRoot(root))
        return nullptr;
    std::vector<std::shared_ptr<const ParsedKeys>> parsed;
    const std::lock_guard<std::mutex> lock(m_cacheLock);
    for (const std::string& file : m_files(root))
    {
        struct stat status;
        if (::stat(file.c_str(), &status) != 0)
        {
            m_cache.erase(file);
            continue;
        }
        ParsedFile now;
        now.device = status.st_dev;
        now.inode = status.st_ino;
        now.size = status.st_size;
        now.modifiedSeconds = status.st_mtim.tv_sec;
        now.modifiedNanoseconds = status.st_mtim.tv_nsec;
        ParsedFile& cached = m_cache[file];
        if (!cached.keys || cached.device != now.device || cached.inode != now.inode || cached.size != now.size ||
            cached.modifiedSeconds != now.modifiedSeconds || cached.modifiedNanoseconds != now.modifiedNanoseconds)
        {
            const std::optional<std::string> contents = ReadFile(file);
            if (!contents)
            {
                m_cache.erase(file);
                continue;
            }
            now.keys = Parse(*contents);
            cached = std::move(now);
        }
        parsed.push_back(std::static_pointer_cast<const ParsedKeys>(cached.keys));
    }
    return OpenKeyIn(parsed, root, path);
}

std::unique_ptr<IRegistryKeyHandle> IniKeyStore::OpenKeyInText(std::string_view text, RegistryRoot root,
                                                               const WString& path)
{
    return ParsedText(text).OpenKey(root, path);
}

IniKeyStore::ParsedText::ParsedText(std::string_view text) : m_keys(Parse(text)) {}

IniKeyStore::ParsedText::~ParsedText() = default;

std::unique_ptr<IRegistryKeyHandle> IniKeyStore::ParsedText::OpenKey(RegistryRoot root, const WString& path) const
{
    return OpenKeyIn({std::static_pointer_cast<const ParsedKeys>(m_keys)}, root, path);
}

} // namespace QK
