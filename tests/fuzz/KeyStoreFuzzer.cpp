// libFuzzer target for the key-store text format (registry.ini): the input is the one file
// of every root. Each root's key tree is walked through LRegistryKey from the root key down,
// listing sub-keys and reading the default value and every value name the input quotes.
#include "QKFramework/Platform/Core/IniKeyStore.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/RegistryKey.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace
{

// Answers every key from the text in hand, parsed once, as the file store answers from its
// files.
class TextStore final : public QK::IRegistryStore
{
public:
    explicit TextStore(std::string_view text) : m_text(text) {}

    std::unique_ptr<QK::IRegistryKeyHandle> OpenKey(QK::RegistryRoot root, const QK::WString& path,
                                                    bool) const override
    {
        return m_text.OpenKey(root, path);
    }

private:
    QK::IniKeyStore::ParsedText m_text;
};

// Sets the store for one input and puts the platform's back.
class StoreScope
{
public:
    explicit StoreScope(const QK::IRegistryStore& store) : m_previous(QK::SetRegistryStore(&store)) {}
    ~StoreScope() { QK::SetRegistryStore(m_previous); }

private:
    const QK::IRegistryStore* m_previous;
};

// The quoted value names of the input, as a reader might ask for them.
std::vector<QK::WString> QuotedNames(std::string_view text)
{
    std::vector<QK::WString> names{QK::WString()};
    while (names.size() < 12)
    {
        const std::size_t open = text.find('"');
        if (open == std::string_view::npos)
            break;
        const std::size_t close = text.find('"', open + 1);
        if (close == std::string_view::npos)
            break;
        const std::string name(text.substr(open + 1, close - open - 1));
        names.emplace_back(name.c_str());
        text.remove_prefix(close + 1);
    }
    return names;
}

bool EndsWith(const QK::WString& text, const QK::WString& end)
{
    const std::u16string_view whole(text.GetString(), text.GetLength());
    const std::u16string_view tail(end.GetString(), end.GetLength());
    return whole.size() >= tail.size() && whole.substr(whole.size() - tail.size()) == tail;
}

void Walk(const QK::ConstRCPtr<QK::LRegistryKey>& key, const std::vector<QK::WString>& valueNames, int& budget)
{
    if (--budget < 0)
        return;
    FUZZ_CHECK(key->Open() == QK::QK_OK);
    FUZZ_CHECK(key->Open() == 1);

    // A failed read leaves the value as it was (a number, which takes no block to make);
    // a value read shows as text.
    const std::int32_t marker = 0x5EED;
    QK::VariantEx before;
    before.SetData(QK::kVariantInt32, &marker, sizeof marker);
    for (const QK::WString& name : valueNames)
    {
        QK::VariantEx value;
        value.SetData(QK::kVariantInt32, &marker, sizeof marker);
        const QK::QKRESULT result = key->GetValue(name, value);
        FUZZ_CHECK(result == QK::QK_OK || result == QK::QK_E_FAIL);
        if (result != QK::QK_OK)
            FUZZ_CHECK(value.IsEqual(before));
        else
            value.ToString();
    }

    // Sub-keys come sorted ignoring case, once each, and the first ones and the last open.
    // (Opening one lists all its brothers: opening every one of thousands would make the
    // walk quadratic.)
    constexpr std::uint32_t kOpened = 16;
    QK::StringArray names;
    FUZZ_CHECK(key->GetSubKeyNames(names) == QK::QK_OK);
    for (std::uint32_t i = 0; i < names.GetCount(); ++i)
    {
        const QK::WString& name = *names.GetAt(i);
        FUZZ_CHECK(!name.IsEmpty());
        if (i > 0)
            FUZZ_CHECK(QK::CompareNoCase(names.GetAt(i - 1)->GetString(), name.GetString()) < 0);
        if (i >= kOpened && i + 1 != names.GetCount())
            continue;
        const QK::ConstRCPtr<QK::LRegistryKey> sub = key->GetSubKey(name);
        FUZZ_CHECK(sub);
        FUZZ_CHECK(sub->GetRoot() == key->GetRoot());
        FUZZ_CHECK(EndsWith(sub->GetPath(), name));
        Walk(sub, valueNames, budget);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TextStore store(text);
    const StoreScope scope(store);
    const std::vector<QK::WString> valueNames = QuotedNames(text);

    for (std::int32_t root = QK::LRegistryKey::kClassesRoot; root <= QK::LRegistryKey::kUsers; ++root)
    {
        int budget = 16;
        Walk(QK::LRegistryKey::Create(root, QK::WString()), valueNames, budget);
    }

    // Any other root selector opens nothing.
    const QK::ConstRCPtr<QK::LRegistryKey> invalid = QK::LRegistryKey::Create(4, QK::WString());
    FUZZ_CHECK(invalid->Open() == QK::QK_E_FAIL);
    QK::StringArray names;
    FUZZ_CHECK(invalid->GetSubKeyNames(names) == QK::QK_E_FAIL);
    return 0;
}
