// vedidu_control_demo: builds the control tree of a skin, lays it out in a window, paints it
// with the software renderer, then resizes the window, lays the tree out again and repaints
// what the layout invalidated, saving what the window showed before and after as PNG files.
//
//   vedidu_control_demo [--skins FOLDER] [--control NAME] [--out FOLDER] [--hold MS]
//
// --skins: a folder with Skins.xml, StringTables.xml and FrameworkStrings.xml (default: the
// demo's own skin in tools/ControlDemo/Skin). --control: the top control (default "mainControl"), which
// is made to fill its window so that the resize shows. --out: where control-demo-before.png
// and control-demo-after.png go. --hold: keeps the window open that long at the end.
//
// The tree's root window is the control tests' one, on a recording host that writes down what
// the tree asks of it; every control class of the skin is made as a plain control.
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Platform/Render/Sdl/SdlWindow.h"
#include "QKFramework/Renderer/Renderer.h"

#include "tests/support/UI/ControlHarness.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>

namespace
{

using namespace QK;
using namespace QK::TestSupport;

int Usage(const char* problem)
{
    std::fprintf(stderr,
                 "vedidu_control_demo: %s\nusage: vedidu_control_demo [--skins FOLDER] [--control NAME] "
                 "[--out FOLDER] [--hold MS]\n",
                 problem);
    return 2;
}

bool SaveShown(const SdlWindow& window, const std::string& path)
{
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!window.ReadPixels(pixels, width, height) || !WritePngFile(path, pixels, width, height))
    {
        std::fprintf(stderr, "vedidu_control_demo: could not save %s\n", path.c_str());
        return false;
    }
    std::printf("saved %s (%dx%d)\n", path.c_str(), width, height);
    return true;
}

// Every class the skin names becomes a plain control.
void RegisterClasses(LControlFactory& factory, const LControlDescriptor& descriptor)
{
    factory.RegisterControlClass(descriptor.Class, &CreateProbe);
    for (std::uint32_t i = 0; i < descriptor.Children.GetCount(); ++i)
        if (const RCPtr<LControlDescriptor>& child = *descriptor.Children.GetAt(i))
            RegisterClasses(factory, *child);
}

// Paints the region through the window's render context and presents it.
void PaintRegion(LRenderer& renderer, const RCPtr<LRenderContextInfo>& context, LControl& top,
                 const RectRegion& dirty)
{
    context->GetRegion() = dirty;
    renderer.RenderStart(context);
    PaintTree(renderer, top, dirty);
    renderer.RenderFinish(context);
}

// The dirty rectangles the tree handed its window, as one region.
RectRegion TakeDirty(TestRootWindow& window)
{
    RectRegion region;
    for (const RectD& rect : window.dirty)
    {
        const RectL whole = rect.ToRectLong();
        region.AddRect(whole.x, whole.y, whole.x + whole.width, whole.y + whole.height);
    }
    window.dirty.clear();
    return region;
}

} // namespace

int main(int argc, char** argv)
{
    std::string skins = VEDIDU_CONTROL_DEMO_SKINS;
    std::string controlName = "mainControl";
    std::string folder = ".";
    long hold = 0;
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage(("missing value after " + option).c_str());
        const char* value = argv[++i];
        if (option == "--skins")
            skins = value;
        else if (option == "--control")
            controlName = value;
        else if (option == "--out")
            folder = value;
        else if (option == "--hold")
        {
            char* end = nullptr;
            hold = std::strtol(value, &end, 10);
            if (*end != '\0')
                return Usage(("not a number: " + std::string(value)).c_str());
        }
        else
            return Usage(("unknown option " + option).c_str());
    }

    try
    {
        constexpr std::int32_t kWidth = 640;
        constexpr std::int32_t kHeight = 480;
        SdlWindow sdlWindow("Vedidu control demo", kWidth, kHeight);
        if (!sdlWindow.IsOpen())
        {
            std::fprintf(stderr, "vedidu_control_demo: %s\n", sdlWindow.GetError().c_str());
            return 1;
        }
        const RCPtr<LControlFactory> factory(new LControlFactory(WString(u"PresetEditor")));
        TestControlApp app(factory.Get(), false);
        if (factory->LoadSkinSources(WString((skins + "/").c_str()), 0x0409) != QK_OK)
        {
            std::fprintf(stderr, "vedidu_control_demo: the skins in %s did not load: %s\n", skins.c_str(),
                         Narrow(factory->GetErrorText()).c_str());
            return 1;
        }
        std::u16string name(controlName.begin(), controlName.end());
        const RCPtr<LControlDescriptor> description = factory->FindSubControlDescriptor(WString(name.c_str()));
        if (!description)
        {
            std::fprintf(stderr, "vedidu_control_demo: the skin has no control %s\n", controlName.c_str());
            return 1;
        }
        RegisterClasses(*factory, *description);

        const RCPtr<TestRootWindow> window = TestRootWindow::Create();
        window->clientOrigin = {0, 0};
        window->clientSize = {kWidth, kHeight};
        app.firstRootWindow = window.Get();
        const RCPtr<LControl> top = factory->CreateRootControl(WString(name.c_str()), window.Get());
        // The top control fills its window, so that a new window size lays the tree out anew.
        const LayoutReference origin{1, WString(), 0.0f, 0.0};
        const LayoutReference fill{1, WString(), 1.0f, 0.0};
        top->SetAxisLayout(0, 0.0f, false, origin, fill);
        top->SetAxisLayout(1, 0.0f, false, origin, fill);
        std::printf("laid out %s at %gx%g\n", controlName.c_str(), top->GetWidth(), top->GetHeight());

        const RCPtr<LRenderer> renderer = LRenderer::Create(kRendererGdiPlus, 0);
        RCPtr<LRenderContextInfo> context;
        renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, sdlWindow.GetHandle(), false, context);
        sdlWindow.PumpEvents();
        window->dirty.clear();
        RectRegion whole;
        whole.AddRect(0, 0, kWidth, kHeight);
        PaintRegion(*renderer, context, *top, whole);
        if (!SaveShown(sdlWindow, folder + "/control-demo-before.png"))
            return 1;

        // The host's part of a resize: a new window size, a new surface, the top control told.
        constexpr std::int32_t kNewWidth = 800;
        constexpr std::int32_t kNewHeight = 360;
        sdlWindow.SetClientSize(kNewWidth, kNewHeight);
        sdlWindow.PumpEvents();
        std::int32_t width = 0;
        std::int32_t height = 0;
        sdlWindow.GetClientSize(width, height);
        window->clientSize = {width, height};
        renderer->InitRenderContextInfo({0, 0, width, height}, sdlWindow.GetHandle(), false, context);
        top->SizeChanged({static_cast<double>(width), static_cast<double>(height)});
        RectRegion dirty = TakeDirty(*window);
        std::printf("resized to %dx%d: %s is %gx%g, %u dirty rectangles\n", width, height, controlName.c_str(),
                    top->GetWidth(), top->GetHeight(), dirty.GetCount());
        // A new surface holds nothing yet: the first paint after a resize covers it all.
        dirty.AddRect(0, 0, width, height);
        PaintRegion(*renderer, context, *top, dirty);
        if (!SaveShown(sdlWindow, folder + "/control-demo-after.png"))
            return 1;

        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(hold);
        while (std::chrono::steady_clock::now() < until && sdlWindow.PumpEvents())
            std::this_thread::sleep_for(std::chrono::milliseconds(33));
        top->Close();
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "vedidu_control_demo: %s\n", error.what());
        return 1;
    }
    return 0;
}
