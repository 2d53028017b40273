// libFuzzer target for menus built from string-table entries: the input is lines of
// "<key>=<text>" (UTF-8), read as a table whose "CONTEXT_MENU" entries become menus. Every
// menu must be a finite tree whose items know their parents, and its clone the same tree.
#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <string>

namespace
{

// The number of items in the tree; checks each item's parent link on the way.
std::uint32_t CheckTree(const QK::LMenuDescriptor& menu, std::uint32_t depth)
{
    FUZZ_CHECK(depth < 10000);
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i < menu.GetItemCount(); ++i)
    {
        const QK::LMenuItemDescriptor* item = menu.GetItem(i);
        FUZZ_CHECK(item != nullptr);
        FUZZ_CHECK(item->GetParent() == &menu);
        FUZZ_CHECK(!item->HasSubItems() || item->NotificationId.IsEmpty());
        count += 1 + CheckTree(*item, depth + 1);
    }
    return count;
}

} // namespace

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
        entries[WString(line.substr(0, equals).c_str())] =
            WString(equals == std::string::npos ? "" : line.substr(equals + 1).c_str());
        start = end + 1;
    }
    const LStringTable table(entries);
    Array<StringPair> menuEntries;
    FUZZ_CHECK(table.GetEntriesWithPrefix(WString(u"CONTEXT_MENU."), menuEntries) == QK_OK);
    for (std::uint32_t i = 0; i < menuEntries.GetCount(); ++i)
        menuEntries.GetAt(i)->key = menuEntries.GetAt(i)->key.MidFrom(13);
    const ConstRCPtr<LMenuDescriptor> menu = LMenuDescriptor::CreateFromStringTable(menuEntries);
    FUZZ_CHECK(menu);
    const std::uint32_t items = CheckTree(*menu, 0);
    const RCPtr<LMenuDescriptor> copy = menu->Clone();
    FUZZ_CHECK(CheckTree(*copy, 0) == items);
    return 0;
}
