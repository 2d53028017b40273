// The OpenGL renderer (kind 0) in real windows on the test script's X server, on Mesa's
// software rasteriser: textures, display lists, the scissor, raw fills read back with
// glReadPixels, bitmap tiling, nested frames and the demo scene against the software
// renderer. Each test makes its own window and context; the checks are grouped into few
// tests because each one is a process of its own.
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Platform/Render/Sdl/SdlWindow.h"
#include "QKFramework/Renderer/OpenGL/GLRenderer.h"
#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/TempFolder.h"
#include "tools/RenderDemo/DemoScene.h"
#include "tests/support/Render/RenderTestValues.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <cstdio>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::Argb;

using Demo::DemoScene;

ConstRCPtr<LBitmap> Filled(std::int32_t width, std::int32_t height, std::uint32_t argb)
{
    return LBitmap::CreateFilledBitmap(width, height, Argb(argb));
}

// One RGBA pixel of the current back buffer at (x, y) from the top.
std::uint32_t ReadBack(std::int32_t x, std::int32_t y, std::int32_t height)
{
    unsigned char p[4] = {};
    glReadBuffer(GL_BACK);
    glReadPixels(x, height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
}

class GLRendererTest : public ::testing::Test
{
protected:
    static constexpr std::int32_t kWidth = 200;
    static constexpr std::int32_t kHeight = 120;

    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        ASSERT_TRUE(display && *display)
            << "no DISPLAY: the window tests need an X server; run them through scripts/test.sh, which starts Xvfb";
        m_window = std::make_unique<SdlWindow>("OpenGL test", kWidth, kHeight, true);
        ASSERT_TRUE(m_window->IsOpen()) << m_window->GetError();
        m_window->PumpEvents();
        m_renderer = LRenderer::Create(kRendererOpenGL, static_cast<std::intptr_t>(m_window->GetHandle()));
        m_renderer->InitRenderContextInfo({0, 0, kWidth, kHeight}, m_window->GetHandle(), false, m_context);
    }

    LGLRenderer& GL() const { return static_cast<LGLRenderer&>(*m_renderer); }

    TestSupport::ScopedRenderApp m_app;
    std::unique_ptr<SdlWindow> m_window;
    RCPtr<LRenderer> m_renderer;
    RCPtr<LRenderContextInfo> m_context;
};

TEST_F(GLRendererTest, TexturesAndDisplayListsFollowTheirSizeAndRangeRules)
{
    m_renderer->RenderStart(m_context);
    const RCPtr<LGLTexture> texture(new LGLTexture);
    texture->SetBitmap(Filled(300, 200, 0xFF102030u));
    EXPECT_TRUE(texture->IsValid());
    EXPECT_EQ(texture->GetTextureWidth(), 512.0f);
    EXPECT_EQ(texture->GetTextureHeight(), 256.0f);
    GLint width = 0;
    glBindTexture(GL_TEXTURE_2D, texture->GetName());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 512);

    // Wider than any texture: capped, and the image scaled down into it.
    const RCPtr<LGLTexture> wide(new LGLTexture);
    wide->SetBitmap(Filled(20000, 1, 0xFF00FF00u));
    EXPECT_EQ(wide->GetTextureWidth(), 16384.0f);
    EXPECT_EQ(wide->GetImageWidth(), 16384.0f);
    const RCPtr<LGLTexture> thin(new LGLTexture);
    thin->SetBitmap(Filled(1, 5, 0xFF00FF00u));
    EXPECT_EQ(thin->GetTextureWidth(), 1.0f);
    EXPECT_EQ(thin->GetTextureHeight(), 8.0f);

    const RCPtr<LGLDisplayList> list = LGLDisplayList::Create(1);
    EXPECT_FALSE(LGLDisplayList::Create(0));
    EXPECT_EQ(list->Call(0, 1), QK_E_FAIL) << "not named yet";
    ASSERT_EQ(list->BeginCompile(0), QK_OK);
    EXPECT_EQ(list->EndCompile(), QK_OK);
    EXPECT_EQ(list->Call(0, 2), QK_E_INVALIDARG);
    EXPECT_EQ(list->Call(0, 1), QK_OK);
    m_renderer->RenderFinish(m_context);

    // Alpha masks: dark pixels become opaque, the zero pixel stays clear.
    const std::uint32_t pixels[4] = {0xFF000000u, 0x00000000u, 0xFFFFFFFFu, 0xFF808080u};
    GLImage image;
    image.Point(pixels, 16, 4, 4, 1, GL_BGRA, GL_UNSIGNED_BYTE);
    const GLImage mask = ConvertToAlpha(image);
    ASSERT_EQ(mask.stride, 4);
    EXPECT_EQ(mask.data[0], 255);
    EXPECT_EQ(mask.data[1], 0);
    EXPECT_EQ(mask.data[2], 0);
    EXPECT_EQ(mask.data[3], 255 - 128);
}

TEST_F(GLRendererTest, FillsClipsTilesAndNestedFrames)
{
    m_renderer->RenderStart(m_context);
    GLint alphaBits = 0;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);

    // A raw fill writes colour and alpha as given, and only inside the clip.
    m_renderer->FillRect({0, 0, kWidth, kHeight}, Argb(0xFF000000u), false);
    m_renderer->SetClipRect({10.0, 10.0, 50.0, 50.0});
    m_renderer->FillRect({0, 0, 40, 40}, Argb(0x80FF8000u), false);
    const std::uint32_t inside = ReadBack(20, 20, kHeight);
    EXPECT_EQ(inside & 0x00FFFFFFu, 0x00FF8000u);
    if (alphaBits > 0)
    {
        EXPECT_EQ(inside >> 24, 0x80u);
    }
    EXPECT_EQ(ReadBack(5, 5, kHeight) & 0x00FFFFFFu, 0u) << "outside the clip";
    EXPECT_EQ(ReadBack(45, 20, kHeight) & 0x00FFFFFFu, 0u) << "outside the rectangle";

    // An empty clip: the scissor box lies outside the window and nothing is drawn.
    m_renderer->SetClipRect({30.0, 30.0, 0.0, 20.0});
    GLint box[4] = {};
    glGetIntegerv(GL_SCISSOR_BOX, box);
    EXPECT_EQ(box[0], kWidth);
    EXPECT_EQ(box[1], 0);
    EXPECT_EQ(box[2], 1);
    EXPECT_EQ(box[3], 1);
    m_renderer->FillRect({0, 0, kWidth, kHeight}, Argb(0xFFFFFFFFu), true);
    EXPECT_EQ(ReadBack(100, 50, kHeight) & 0x00FFFFFFu, 0u);

    // Tiling 10 into 25: three columns, the last one not cut at the right edge.
    m_renderer->SetClipRect({0.0, 0.0, kWidth, kHeight});
    m_renderer->DrawBitmap(Filled(10, 4, 0xFF00FF00u), {100, 80, 25, 4}, kResizeTile);
    EXPECT_EQ(ReadBack(101, 81, kHeight) & 0x00FFFFFFu, 0x0000FF00u);
    EXPECT_EQ(ReadBack(128, 81, kHeight) & 0x00FFFFFFu, 0x0000FF00u);
    EXPECT_EQ(ReadBack(131, 81, kHeight) & 0x00FFFFFFu, 0u);
    // Centring 5 in 2 starts one pixel to the left.
    m_renderer->DrawBitmap(Filled(5, 1, 0xFF0000FFu), {150, 100, 2, 1}, kResizeCenter);
    EXPECT_EQ(ReadBack(149, 100, kHeight) & 0x00FFFFFFu, 0x000000FFu);
    EXPECT_EQ(ReadBack(148, 100, kHeight) & 0x00FFFFFFu, 0u);
    EXPECT_EQ(ReadBack(153, 100, kHeight) & 0x00FFFFFFu, 0x000000FFu);
    EXPECT_EQ(GL().GetCachedTextureCount(), 2u);
    try
    {
        m_renderer->DrawBitmap(Filled(5, 1, 0xFF0000FFu), {0, 0, 9, 9}, 3);
        ADD_FAILURE() << "no error";
    }
    catch (const std::logic_error& error)
    {
        EXPECT_STREQ(error.what(), "Logic Error : Invalid ResizeType passed to DrawBitmap! : "
                                   "QK::LGLRenderer::DrawBitmap : Renderer\\OpenGL\\GLRenderer : Line 1154");
    }

    PolylineT<float> kept;
    kept.SetPoints({{0, 0}, {50, 50}});
    m_renderer->DrawPolyline(kept, Argb(0xFFFFFFFFu), {0, 0}, {1, 1}, true);
    EXPECT_EQ(GL().GetCachedListCount(), 1u);
    m_renderer->RenderFinish(m_context);

    // Purges come more than 300000 ms apart; an entry goes once a purge finds it unused since
    // the one before. A nested frame never purges and gives the outer frame its viewport back.
    m_app.SetTimeMs(400000);
    m_renderer->RenderStart(m_context);
    m_renderer->RenderFinish(m_context);
    m_app.SetTimeMs(800000);
    m_renderer->RenderStart(m_context);
    PolylineT<float> used;
    used.SetPoints({{0, 50}, {50, 0}});
    m_renderer->DrawPolyline(used, Argb(0xFFFFFFFFu), {0, 0}, {1, 1}, true);
    m_renderer->RenderFinish(m_context);
    EXPECT_EQ(GL().GetCachedListCount(), 2u);
    m_app.SetTimeMs(1200000);
    m_renderer->RenderStart(m_context);
    RCPtr<LRenderContextInfo> inner;
    m_renderer->InitRenderContextInfo({0, 0, 50, 40}, m_window->GetHandle(), true, inner);
    m_renderer->RenderStart(inner);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 50);
    m_renderer->RenderFinish(inner);
    EXPECT_EQ(GL().GetCachedListCount(), 2u);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], kWidth);
    EXPECT_EQ(viewport[3], kHeight);
    m_renderer->RenderFinish(m_context);
    EXPECT_EQ(GL().GetCachedListCount(), 1u);
}

// The demo scene drawn by both renderers: fills, bitmaps and clips agree; lines and text are
// anti-aliased differently and are looked at in the saved pictures.
TEST(GLRendererScene, TheDemoSceneAgreesWithTheSoftwareRenderer)
{
    const char* display = std::getenv("DISPLAY");
    ASSERT_TRUE(display && *display) << "no DISPLAY: run through scripts/test.sh, which starts Xvfb";
    std::vector<std::uint32_t> shown[2];
    std::int32_t width = 0;
    std::int32_t height = 0;
    for (const std::int32_t kind : {kRendererOpenGL, kRendererGdiPlus})
    {
        SdlWindow window("scene", DemoScene::kWidth, DemoScene::kHeight, kind == kRendererOpenGL);
        ASSERT_TRUE(window.IsOpen()) << window.GetError();
        window.PumpEvents();
        const RCPtr<LRenderer> renderer = LRenderer::Create(kind, static_cast<std::intptr_t>(window.GetHandle()));
        RCPtr<LRenderContextInfo> context;
        renderer->InitRenderContextInfo({0, 0, DemoScene::kWidth, DemoScene::kHeight}, window.GetHandle(), false,
                                        context);
        DemoScene scene;
        Demo::PaintScene(*renderer, context, scene, nullptr);
        std::vector<std::uint32_t>& pixels = shown[kind == kRendererOpenGL ? 0 : 1];
        if (kind == kRendererOpenGL)
            ASSERT_TRUE(static_cast<LGLRenderer&>(*renderer).GetContext().ReadFrontBuffer(window.GetHandle(), pixels,
                                                                                         width, height));
        else
            ASSERT_TRUE(window.ReadPixels(pixels, width, height));
    }
    ASSERT_EQ(shown[0].size(), shown[1].size());

    const char* folder = std::getenv("VEDIDU_SCENE_PNG_DIR");
    const TestSupport::TempFolder temp;
    const std::string out = folder && *folder ? folder : temp.Path();
    EXPECT_TRUE(WritePngFile(out + "/scene-kind0.png", shown[0], width, height));
    EXPECT_TRUE(WritePngFile(out + "/scene-kind1.png", shown[1], width, height));

    // Points inside fills, bitmaps and clipped areas, away from edges and text.
    const struct
    {
        const char* what;
        std::int32_t x, y;
    } points[] = {
        {"background", 2, 300},      {"panel", 300, 60},           {"raw hole", 430, 30},
        {"stretched bitmap", 30, 190}, {"tile", 80, 180},         {"sub-bitmap frame", 115, 235},
        {"clipped fill", 288, 200},  {"inner clip", 245, 200},     {"faded fill", 240, 285},
        {"badge", 440, 290},         {"outside the clip", 290, 100},
    };
    int differing = 0;
    for (const auto& p : points)
    {
        const std::uint32_t a = shown[0][static_cast<std::size_t>(p.y) * width + p.x];
        const std::uint32_t b = shown[1][static_cast<std::size_t>(p.y) * width + p.x];
        bool close = true;
        for (int shift = 0; shift < 24; shift += 8)
            close = close && std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) <= 8;
        if (!close)
        {
            ++differing;
            ADD_FAILURE() << p.what << " at (" << p.x << ", " << p.y << "): kind 0 " << std::hex << a << ", kind 1 "
                          << b;
        }
    }
    std::size_t different = 0;
    for (std::size_t i = 0; i < shown[0].size(); ++i)
        different += shown[0][i] != shown[1][i] ? 1 : 0;
    std::printf("scene: %zu of %zu pixels differ between kind 0 and kind 1 (lines, text, the star, uncut tiles)\n",
                different, shown[0].size());
}

} // namespace
} // namespace QK
