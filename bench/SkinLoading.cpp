// Reading the shipped skin document and string tables into a fresh control factory, as the
// start-up does before any window exists, and building the editor's main control from them
// (without a window system; the images, once decoded, stay in the process's bitmap cache, so
// the repeated builds measure the controls alone).
#include "QKFramework/ControlBase/ControlFactory.h"

#include "tests/support/Editor/EditorTree.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace
{

using namespace QK;

void LoadShippedSkins(benchmark::State& state)
{
    for (auto _ : state)
    {
        RCPtr<LControlFactory> factory(new LControlFactory(WString(u"PresetEditor")));
        factory->SetSourceFolder(WString(u"::"));
        if (factory->LoadSkinResource(WString(u"::APP_SKINS")) != QK_OK || factory->GetSkinCount() != 2)
        {
            state.SkipWithError("the shipped skins did not load");
            break;
        }
        benchmark::DoNotOptimize(factory.Get());
    }
}
BENCHMARK(LoadShippedSkins)->Unit(benchmark::kMillisecond);

void LoadShippedStringTables(benchmark::State& state)
{
    for (auto _ : state)
    {
        RCPtr<LControlFactory> factory(new LControlFactory(WString(u"PresetEditor")));
        factory->LoadStringTable(WString(u"::FRAMEWORK_STRINGS"), WString(u"::APP_STRINGS"), 0x0409);
        if (!factory->GetApplicationStringTable())
        {
            state.SkipWithError("the shipped string tables did not load");
            break;
        }
        benchmark::DoNotOptimize(factory.Get());
    }
}
BENCHMARK(LoadShippedStringTables)->Unit(benchmark::kMillisecond);

void BuildMainControl(benchmark::State& state)
{
    for (auto _ : state)
    {
        state.PauseTiming();
        {
            TestSupport::EditorTree tree;
            state.ResumeTiming();
            if (tree.Build() != QK_OK || !tree.Main())
            {
                state.SkipWithError("the main control was not built");
                break;
            }
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BuildMainControl)->Unit(benchmark::kMillisecond);

} // namespace
