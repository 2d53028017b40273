// vedidu_render_demo: draws the demo scene in a window through a renderer kind, then changes
// one element, repaints and presents only its rectangle, and saves what the window showed
// before and after the change as PNG files.
//
//   vedidu_render_demo [--kind N] [--out FOLDER] [--hold MS]
//
// --kind: 1 software (default), 2 the placeholder, 0 OpenGL once it is built. --out: where
// render-demo-before.png and render-demo-after.png go (default: the current folder).
// --hold: keeps the window open that long at the end, to look at it.
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Platform/Render/Sdl/SdlWindow.h"
#include "tools/RenderDemo/DemoScene.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <thread>

namespace
{

int Usage(const char* problem)
{
    std::fprintf(stderr, "vedidu_render_demo: %s\nusage: vedidu_render_demo [--kind N] [--out FOLDER] [--hold MS]\n",
                 problem);
    return 2;
}

bool SaveShown(const QK::SdlWindow& window, const std::string& path)
{
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!window.ReadPixels(pixels, width, height) || !QK::WritePngFile(path, pixels, width, height))
    {
        std::fprintf(stderr, "vedidu_render_demo: could not save %s\n", path.c_str());
        return false;
    }
    std::printf("saved %s\n", path.c_str());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int kind = 1;
    std::string folder = ".";
    long hold = 0;
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage(("missing value after " + option).c_str());
        const char* value = argv[++i];
        char* end = nullptr;
        if (option == "--kind")
            kind = static_cast<int>(std::strtol(value, &end, 10));
        else if (option == "--hold")
            hold = std::strtol(value, &end, 10);
        else if (option == "--out")
            folder = value;
        else
            return Usage(("unknown option " + option).c_str());
        if (end && *end != '\0')
            return Usage(("not a number: " + std::string(value)).c_str());
    }

    try
    {
        using QK::Demo::DemoScene;
        QK::SdlWindow window("Vedidu render demo", DemoScene::kWidth, DemoScene::kHeight);
        if (!window.IsOpen())
        {
            std::fprintf(stderr, "vedidu_render_demo: %s\n", window.GetError().c_str());
            return 1;
        }
        const QK::RCPtr<QK::LRenderer> renderer = QK::LRenderer::Create(kind, 0);
        if (!renderer)
        {
            std::fprintf(stderr, "vedidu_render_demo: renderer kind %d is not built yet\n", kind);
            return 1;
        }
        QK::RCPtr<QK::LRenderContextInfo> context;
        renderer->InitRenderContextInfo({0, 0, DemoScene::kWidth, DemoScene::kHeight}, window.GetHandle(), false,
                                        context);
        window.PumpEvents();

        DemoScene scene;
        QK::Demo::PaintScene(*renderer, context, scene, nullptr);
        if (!SaveShown(window, folder + "/render-demo-before.png"))
            return 1;

        scene.Change();
        const QK::RectL dirty = scene.GetChangedRect();
        QK::Demo::PaintScene(*renderer, context, scene, &dirty);
        std::printf("repainted and presented %d,%d %dx%d\n", dirty.x, dirty.y, dirty.width, dirty.height);
        if (!SaveShown(window, folder + "/render-demo-after.png"))
            return 1;

        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(hold);
        while (std::chrono::steady_clock::now() < until && window.PumpEvents())
            std::this_thread::sleep_for(std::chrono::milliseconds(33));
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "vedidu_render_demo: %s\n", error.what());
        return 1;
    }
    return 0;
}
