// libFuzzer target for key-binding texts from string tables: the input is lines of
// "<id>=<key text>" (UTF-8), read as a table with the "GHK" and "LHK" prefixes, and every
// text parsed and printed on its own.
#include "QKFramework/ControlBase/Input/KeyCode.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace QK;
    const std::string input(reinterpret_cast<const char*>(data), size);
    StringMap entries;
    std::size_t start = 0;
    while (start <= input.size())
    {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos)
            end = input.size();
        const std::string line = input.substr(start, end - start);
        const std::size_t equals = line.find('=');
        const WString id(line.substr(0, equals).c_str());
        const WString text(equals == std::string::npos ? "" : line.substr(equals + 1).c_str());
        entries[id] = text;

        const KeyCode key = KeyCode::Parse(text);
        KeyCode::Format(key.Code);
        const WString name = KeyCode::FormatKeyName(key.Code);
        // A key's own binding text names the same key again.
        if (!key.IsNoKey() && key.GetVirtualKey() != 0)
            FUZZ_CHECK(KeyCode::Parse(name).GetVirtualKey() == key.GetVirtualKey());
        start = end + 1;
    }

    RCPtr<LStringTable> table(new LStringTable(entries));
    KeyBindingMap map;
    FUZZ_CHECK(KeyCode::ReadBindings(map, table.Get(), u"GHK") == QK_OK);
    FUZZ_CHECK(KeyCode::ReadBindings(map, table.Get(), u"LHK") == QK_OK);
    for (const auto& [id, keys] : map)
    {
        FUZZ_CHECK(keys.GetCount() > 0);
        for (std::uint32_t i = 0; i < keys.GetCount(); ++i)
        {
            FUZZ_CHECK(!keys.GetAt(i)->IsNoKey());
            FUZZ_CHECK(!KeyCode::FindBinding(map, *keys.GetAt(i)).IsEmpty());
        }
        FUZZ_CHECK(KeyCode::GetBindings(map, GetNotificationName(id)).GetCount() == keys.GetCount());
    }
    return 0;
}
