// A list of ten thousand items in a view of twenty rows, scrolled a row at a time and a page
// at a time: each step moves the top item and rebinds every row to its new item, while the
// rows themselves stay the same twenty controls.
#include "QKFramework/Controls/ListBox.h"

#include "tests/support/Controls/ControlHarness.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

using namespace QK;
using namespace QK::TestSupport;

constexpr int kItems = 10000;
constexpr double kRowHeight = 16.0;
constexpr double kViewHeight = 320.0;

const char* const kSkin = R"(<Skin Name="bench">
  <SubControl Class="Test.Probe" Name="window" XSizeAbs="300" YSizeAbs="400">
    <SubControl Class="Framework.ListBox" Name="list" XSizeAbs="200" YSizeAbs="320">
      <SubControl Class="Framework.ListBoxItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="16"/>
    </SubControl>
  </SubControl>
</Skin>)";

struct Scene
{
    Scene() : harness(kSkin)
    {
        harness.Factory().RegisterControlClass(WString(u"Framework.ListBox"), &LListBox::Create);
        harness.Factory().RegisterControlClass(WString(u"Framework.ListBoxItem"), &LListBoxItem::Create);
        window = harness.CreateRoot(u"window");
        list = dynamic_cast<LListBox*>(window->FindChild(WString(u"list")).Get());
        for (int i = 0; i < kItems; ++i)
            list->AddItem(WString(("Item " + std::to_string(i)).c_str()));
    }
    ~Scene() { window->Close(); }

    ControlHarness harness;
    RCPtr<LControl> window;
    LListBox* list = nullptr;
};

void ScrollByRows(benchmark::State& state, double step)
{
    Scene scene;
    const double end = kItems * kRowHeight - kViewHeight;
    double offset = 0.0;
    for (auto _ : state)
    {
        offset += step;
        if (offset > end)
            offset = 0.0;
        scene.list->SetScrollOffset(PointD{0.0, offset});
        benchmark::DoNotOptimize(scene.list->GetTopIndex());
    }
    state.counters["rows"] = static_cast<double>(scene.list->GetRowCount());
}

void ScrollOneRow(benchmark::State& state)
{
    ScrollByRows(state, kRowHeight);
}

void ScrollOnePage(benchmark::State& state)
{
    ScrollByRows(state, kViewHeight);
}

} // namespace

BENCHMARK(ScrollOneRow);
BENCHMARK(ScrollOnePage);
