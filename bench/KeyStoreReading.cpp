// The key store's reader on files of the largest size it reads (16 MiB), shaped against it:
// one section 8 million components deep, half a million sibling sections, half a million
// values in one key, and an installer-sized file for comparison. Each opens one key.
#include "QKFramework/Platform/Core/IniKeyStore.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

constexpr std::size_t kFileSize = 16u * 1024 * 1024 - 64;

std::string DeepFile()
{
    std::string text = "[HKLM";
    while (text.size() + 2 < kFileSize)
        text += "\\k";
    return text + "]\n";
}

std::string WideFile()
{
    std::string text;
    for (std::size_t i = 0; text.size() + 64 < kFileSize; ++i)
        text += "[HKLM\\Software\\Wide\\Key" + std::to_string(i) + "]\n";
    return text;
}

std::string ValuesFile()
{
    std::string text = "[HKLM\\Software\\Values]\n";
    for (std::size_t i = 0; text.size() + 64 < kFileSize; ++i)
        text += "\"Value" + std::to_string(i) + "\"=dword:0000002a\n";
    return text;
}

std::string InstallerFile()
{
    return "[HKEY_LOCAL_MACHINE\\Software\\Quenmar\\Audio\\Drivers]\n"
           "\"SoftwarePath\"=string:/opt/quenmar/audio\n"
           "\"DeviceInterfaceLib\"=string:libDeviceControlClient.so\n";
}

void Open(benchmark::State& state, const std::string& text, const char16_t* path)
{
    const QK::WString key(path);
    for (auto _ : state)
        benchmark::DoNotOptimize(QK::IniKeyStore::OpenKeyInText(text, QK::RegistryRoot::LocalMachine, key));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}

void BM_DeepSection(benchmark::State& state)
{
    static const std::string text = DeepFile();
    Open(state, text, u"k\\k\\k\\k");
}

void BM_WideKey(benchmark::State& state)
{
    static const std::string text = WideFile();
    Open(state, text, u"Software\\Wide");
}

void BM_ManyValues(benchmark::State& state)
{
    static const std::string text = ValuesFile();
    Open(state, text, u"Software\\Values");
}

void BM_InstallerFile(benchmark::State& state)
{
    static const std::string text = InstallerFile();
    Open(state, text, u"Software\\Quenmar\\Audio\\Drivers");
}

BENCHMARK(BM_DeepSection)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WideKey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ManyValues)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InstallerFile)->Unit(benchmark::kMicrosecond);

} // namespace
