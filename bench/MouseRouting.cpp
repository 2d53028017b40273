// Mouse moves routed by a root window over a few hundred controls (8 rows of 40 cells under
// one window): each move hit-tests, moves the hover and delivers the event, as the host's
// mouse-move handler does.
#include "tests/support/UI/WindowTestSupport.h"

#include <benchmark/benchmark.h>

#include <string>

namespace
{

using namespace QK;
using namespace QK::TestSupport;

constexpr int kRows = 8;
constexpr int kCells = 40;

const char* const kLooks = R"(
  <Colorizers><Colorizer Name="a" ColorType="SolidFill" Color="FF406080"/></Colorizers>
  <Parts><Part Name="a" Width="1" Height="1" ResizeType="Stretch" ColorizerName="a"/></Parts>
  <Looks><Look Name="a"><ClientPart Name="a" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists><LookList Name="a" NumLooks="1"><Look Name="a" Index="0"/></LookList></LookLists>)";

std::string TreeSkin()
{
    std::string skin = R"(<Skin Name="bench"><SubControl Class="Test.Probe" Name="window" XSizeAbs="400"
        YSizeAbs="300"><Skin Name="w" LookList="a"/>)";
    for (int row = 0; row < kRows; ++row)
    {
        skin += "<SubControl Class=\"Test.Probe\" Name=\"row" + std::to_string(row) + "\" YPositionAbs=\"" +
                std::to_string(row * 35) + "\" XSizeAbs=\"400\" YSizeAbs=\"35\"><Skin Name=\"r\" LookList=\"a\"/>";
        for (int cell = 0; cell < kCells; ++cell)
            skin += "<SubControl Class=\"Test.Probe\" Name=\"c" + std::to_string(cell) + "\" XPositionAbs=\"" +
                    std::to_string(cell * 10) + "\" XSizeAbs=\"10\" YSizeAbs=\"35\"><Skin Name=\"c\" LookList=\"a\"/>"
                    "</SubControl>";
        skin += "</SubControl>";
    }
    return skin + "</SubControl></Skin>";
}

void RouteMouseMoves(benchmark::State& state)
{
    WindowHarness harness(TreeSkin(), "", kLooks);
    harness.SetRoot(u"window");
    std::int32_t i = 0;
    for (auto _ : state)
    {
        harness.Host().Move(PointL{(i * 7) % 400, (i * 13) % 280});
        ++i;
        ProbeLog::Clear();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RouteMouseMoves);

} // namespace
