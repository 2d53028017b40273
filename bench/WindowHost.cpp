// The application's idle pass when there is nothing to do (what every wake-up of the loop
// costs), and a present of the whole main window by the SDL host (a 1280x800 window painted
// by the software renderer and shown: what a full repaint after a resize or an expose costs).
// The window needs a display; without one only the idle pass is measured.
#include "QKFramework/Application/ApplicationBase.h"
#include "QKFramework/Platform/Window/SdlWindowHost.h"

#include "tests/support/Controls/ControlHarness.h"
#include "tests/support/TempFolder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace
{

using namespace QK;
using namespace QK::TestSupport;

constexpr const char* kSkins = R"(<?xml version="1.0" encoding="UTF-8"?>
<Zelvo_Skin_Definitions><Application Name="Bench"/>
  <Colorizers><Colorizer Name="back" ColorType="SolidFill" Color="FF203040"/></Colorizers>
  <Parts><Part Name="back" Width="1" Height="1" ResizeType="Stretch" ColorizerName="back"/></Parts>
  <Looks><Look Name="back"><ClientPart Name="back" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists><LookList Name="main" NumLooks="1"><Look Name="back" Index="0"/></LookList></LookLists>
  <Skins><Skin Name="only">
    <SubControl Class="Test.Probe" Name="mainControl" XSizeAbs="1280" YSizeAbs="800"><Skin Name="main" LookList="main"/></SubControl>
  </Skin></Skins>
</Zelvo_Skin_Definitions>
)";

constexpr const char* kStrings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                 "<Zelvo_StringTable_Definitions><Application Name=\"Bench\"/>"
                                 "</Zelvo_StringTable_Definitions>\n";

class BenchApp final : public LApplicationBase
{
public:
    using LApplicationBase::LApplicationBase;
    WString GetVersionString() const override { return WString(u"bench"); }
    WString GetMainControlName() const override { return WString(u"mainControl"); }
    WString GetMainWindowClassName() const override { return WString(u"QKBenchMainWindowClass"); }
    IniFileHandle GetSettings(std::int32_t) override { return 0; }
    bool CanExit() override { return true; }
    std::int32_t GetMainWindowRendererKind() const override { return 1; }
};

// The application, started, with its main window when there is a display.
struct Application
{
    Application()
    {
        folder.WriteFile("Skins.xml", kSkins);
        folder.WriteFile("StringTables.xml", kStrings);
        folder.WriteFile("FrameworkStrings.xml", kStrings);
        RCPtr<LControlFactory> factory(new LControlFactory(WString(u"Bench")));
        factory->LoadSkinSources(WString((folder.Path() + "/").c_str()), 0x0409);
        factory->RegisterControlClass(WString(u"Test.Probe"), &CreateProbe);
        app = RCPtr<BenchApp>(new BenchApp(factory, factory->GetApplicationStringTable(), WString(u"bench"), 0x0409));
        app->RunApplicationStartup();
        if (std::getenv("DISPLAY") && !Failed(app->CreateMainWindow(1)) && app->GetMainWindow())
        {
            app->GetRootWindowOf(app->GetMainWindow())->SetRootControl(WString(u"mainControl"));
            app->GetMainWindow()->Show(5);
            window = dynamic_cast<SdlHostWindow*>(app->GetMainWindow());
        }
    }
    ~Application()
    {
        GetSdlWindowSystem().DestroyAll();
        app->Shutdown();
        app = nullptr;
    }

    TempFolder folder;
    RCPtr<BenchApp> app;
    SdlHostWindow* window = nullptr;
};

void EmptyIdlePass(benchmark::State& state)
{
    Application application;
    for (auto _ : state)
        benchmark::DoNotOptimize(application.app->ProcessIdle(true));
}
BENCHMARK(EmptyIdlePass);

void FullWindowPresent(benchmark::State& state)
{
    Application application;
    if (!application.window)
    {
        state.SkipWithError("needs a display for the window");
        return;
    }
    for (auto _ : state)
    {
        application.window->InvalidateAll();
        benchmark::DoNotOptimize(application.window->PaintIfNeeded());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FullWindowPresent)->Unit(benchmark::kMicrosecond);

} // namespace
