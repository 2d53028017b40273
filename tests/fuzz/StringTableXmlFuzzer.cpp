// libFuzzer target for string-table documents: the input is both string sources of one
// load, in a language picked by the input's length (leading bytes would spoil the XML).
#include "QKFramework/ControlBase/ControlFactory.h"
#include "tests/fuzz/FuzzSourceFile.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const QK::Fuzz::SourceFile source;
    using QK::WString;

    static const std::uint32_t kLanguages[] = {9, 1033, 2057, 1028, 1041, 1031, 0};
    const std::uint32_t lcid = kLanguages[size % (sizeof kLanguages / sizeof kLanguages[0])];
    QK::RCPtr<QK::LControlFactory> factory(new QK::LControlFactory(WString(u"PresetEditor")));
    const WString path(source.Write(data, size).c_str());
    if (factory->LoadStringTable(path, path, lcid) != QK::QK_OK)
        std::abort();
    factory->GetFrameworkStringTable();
    factory->GetApplicationStringTable();
    return 0;
}
