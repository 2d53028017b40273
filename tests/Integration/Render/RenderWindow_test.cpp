// The software renderer in a real window on the test script's X server: what reaches the
// window after a repaint is the dirty rectangle and nothing else; the renderer draws into
// the window's own picture, which is ready in memory before the first paint, and into the
// new one once the window has changed size.
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Platform/Render/Sdl/SdlPresenter.h"
#include "QKFramework/Platform/Render/Sdl/SdlWindow.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"
#include "tests/support/TempFolder.h"
#include "tools/RenderDemo/DemoScene.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace QK
{
namespace
{

using Demo::DemoScene;

struct Shown
{
    std::vector<std::uint32_t> pixels;
    std::int32_t width = 0;
    std::int32_t height = 0;

    std::uint32_t At(std::int32_t x, std::int32_t y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// The share of the picture's pages that are in memory.
double ResidentShare(const SdlWindowPixels& picture)
{
    const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(picture.pixels);
    const std::uintptr_t first = start - start % pageSize;
    const std::uintptr_t end = start + static_cast<std::uintptr_t>(picture.stride) * picture.height;
    std::vector<unsigned char> resident((end - first + pageSize - 1) / pageSize);
    if (::mincore(reinterpret_cast<void*>(first), end - first, resident.data()) != 0)
        return -1.0;
    std::size_t count = 0;
    for (const unsigned char page : resident)
        count += page & 1u;
    return static_cast<double>(count) / static_cast<double>(resident.size());
}

// Whether this kernel faults pages in on request (Linux 5.14 and later).
bool KernelPrefaultsPages()
{
#ifdef MADV_POPULATE_WRITE
    const auto pageSize = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    void* page = ::mmap(nullptr, pageSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED)
        return false;
    const bool done = ::madvise(page, pageSize, MADV_POPULATE_WRITE) == 0;
    ::munmap(page, pageSize);
    return done;
#else
    return false;
#endif
}

class RenderWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        ASSERT_TRUE(display && *display)
            << "no DISPLAY: the window tests need an X server; run them through scripts/test.sh, which starts Xvfb";
        m_window = std::make_unique<SdlWindow>("render test", DemoScene::kWidth, DemoScene::kHeight);
        ASSERT_TRUE(m_window->IsOpen()) << m_window->GetError();
        m_window->PumpEvents();
        m_renderer = LRenderer::Create(kRendererGdiPlus, 0);
        m_renderer->InitRenderContextInfo({0, 0, DemoScene::kWidth, DemoScene::kHeight}, m_window->GetHandle(), false,
                                          m_context);
    }

    Shown Read() const
    {
        Shown shown;
        EXPECT_TRUE(m_window->ReadPixels(shown.pixels, shown.width, shown.height));
        return shown;
    }

    // Pixels that differ, and their bounds.
    static std::size_t Differences(const Shown& a, const Shown& b, RectL& bounds)
    {
        std::size_t count = 0;
        std::int32_t x0 = a.width, y0 = a.height, x1 = -1, y1 = -1;
        for (std::int32_t y = 0; y < a.height; ++y)
            for (std::int32_t x = 0; x < a.width; ++x)
                if (a.At(x, y) != b.At(x, y))
                {
                    ++count;
                    x0 = std::min(x0, x);
                    y0 = std::min(y0, y);
                    x1 = std::max(x1, x);
                    y1 = std::max(y1, y);
                }
        bounds = count ? RectL{x0, y0, x1 - x0 + 1, y1 - y0 + 1} : RectL{};
        return count;
    }

    std::unique_ptr<SdlWindow> m_window;
    RCPtr<LRenderer> m_renderer;
    RCPtr<LRenderContextInfo> m_context;
};

TEST_F(RenderWindowTest, TheDemoRepaintChangesOnlyTheDirtyRectangle)
{
    DemoScene scene;
    Demo::PaintScene(*m_renderer, m_context, scene, nullptr);
    const Shown before = Read();
    ASSERT_EQ(before.width, DemoScene::kWidth);
    ASSERT_EQ(before.height, DemoScene::kHeight);
    EXPECT_EQ(before.At(430, 30), 0xFF000000u) << "the raw transparent hole shows through";
    EXPECT_EQ(before.At(2, 300), 0xFF30343Cu);

    scene.Change();
    const RectL dirty = scene.GetChangedRect();
    Demo::PaintScene(*m_renderer, m_context, scene, &dirty);
    const Shown after = Read();

    RectL bounds;
    EXPECT_GT(Differences(before, after, bounds), 1000u);
    EXPECT_GE(bounds.x, dirty.x);
    EXPECT_GE(bounds.y, dirty.y);
    EXPECT_LE(bounds.x + bounds.width, dirty.x + dirty.width);
    EXPECT_LE(bounds.y + bounds.height, dirty.y + dirty.height);

    const TestSupport::TempFolder folder;
    EXPECT_TRUE(WritePngFile(folder / "before.png", before.pixels, before.width, before.height));
    EXPECT_TRUE(WritePngFile(folder / "after.png", after.pixels, after.width, after.height));
}

TEST_F(RenderWindowTest, OnlyTheRegionIsPresentedWhateverWasDrawn)
{
    DemoScene scene;
    Demo::PaintScene(*m_renderer, m_context, scene, nullptr);
    const Shown before = Read();

    // Drawn everywhere, but the region names two small rectangles.
    m_context->GetRegion().Clear();
    m_context->GetRegion().AddRect(10, 10, 30, 20);
    m_context->GetRegion().AddRect(400, 300, 480, 320);
    m_renderer->RenderStart(m_context);
    m_renderer->FillRect({0, 0, DemoScene::kWidth, DemoScene::kHeight}, ColorRGBA{1.0f, 0.0f, 0.0f, 1.0f}, false);
    m_renderer->RenderFinish(m_context);
    const Shown after = Read();

    RectL bounds;
    EXPECT_EQ(Differences(before, after, bounds), 20u * 10u + 80u * 20u);
    EXPECT_EQ(after.At(10, 10), 0xFFFF0000u);
    EXPECT_EQ(after.At(479, 319), 0xFFFF0000u);
    EXPECT_EQ(after.At(30, 10), before.At(30, 10));

    // An offscreen context with the same window presents nothing.
    RCPtr<LRenderContextInfo> offscreen;
    m_renderer->InitRenderContextInfo({0, 0, 100, 100}, m_window->GetHandle(), true, offscreen);
    offscreen->GetRegion().AddRect(0, 0, 100, 100);
    m_renderer->RenderStart(offscreen);
    m_renderer->FillRect({0, 0, 100, 100}, ColorRGBA{0.0f, 0.0f, 1.0f, 1.0f}, false);
    m_renderer->RenderFinish(offscreen);
    EXPECT_EQ(Read().pixels, after.pixels);
}

TEST_F(RenderWindowTest, TheWindowsPictureIsInMemoryBeforeTheFirstPaint)
{
    if (!KernelPrefaultsPages())
        GTEST_SKIP() << "this kernel does not fault pages in on request";
    // The context was made in SetUp; nothing has been drawn yet.
    const SdlWindowPixels picture = GetSdlWindowPixels(m_window->GetHandle());
    ASSERT_NE(picture.pixels, nullptr);
    EXPECT_EQ(ResidentShare(picture), 1.0);

    // A window made and destroyed at once waits for its picture's preparation first.
    for (int i = 0; i < 3; ++i)
    {
        SdlWindow other("prepared", 1600, 1200);
        ASSERT_TRUE(other.IsOpen()) << other.GetError();
        PrepareSdlWindowPixels(other.GetHandle());
    }
}

TEST_F(RenderWindowTest, AfterTheWindowChangesSizeThePaintDrawsIntoItsNewPicture)
{
    DemoScene scene;
    Demo::PaintScene(*m_renderer, m_context, scene, nullptr);
    const auto& context = static_cast<const LGDIRenderContextInfo&>(*m_context);
    ASSERT_TRUE(context.GetFrontSurface().DrawsIntoWindow()) << "no picture of the renderer's own";

    const std::int32_t width = DemoScene::kWidth + 40;
    const std::int32_t height = DemoScene::kHeight + 24;
    ASSERT_TRUE(m_window->SetClientSize(width, height));
    std::int32_t shownWidth = 0;
    std::int32_t shownHeight = 0;
    for (int i = 0; i < 200 && (shownWidth != width || shownHeight != height); ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        m_window->PumpEvents();
        m_window->GetClientSize(shownWidth, shownHeight);
    }
    ASSERT_EQ(shownWidth, width);
    ASSERT_EQ(shownHeight, height);

    m_context->SetViewport({0, 0, width, height});
    Demo::PaintScene(*m_renderer, m_context, scene, nullptr);
    EXPECT_TRUE(context.GetFrontSurface().DrawsIntoWindow());
    EXPECT_EQ(context.GetFrontSurface().GetWidth(), width);
    const Shown after = Read();
    ASSERT_EQ(after.width, width);
    ASSERT_EQ(after.height, height);
    EXPECT_EQ(after.At(2, 300), 0xFF30343Cu);
    EXPECT_EQ(after.At(width - 1, height - 1), 0xFF000000u) << "past the scene the new picture is transparent";
}

} // namespace
} // namespace QK
