// The software renderer on offscreen contexts: the pixels it draws, read back from the front
// surface, and the surface calls it made (through the recording back end) where the path
// taken matters.
#include "QKFramework/Renderer/Gdi/GDIRenderer.h"

#include "QKFramework/Renderer/D3D9Renderer.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Graphics/PremultipliedAlpha.h"
#include "tests/support/Render/RecordingDrawingBackend.h"
#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/Render/RenderTestValues.h"
#include "tests/support/TempFolder.h"
#include "tests/QKFramework/Utilities/Graphics/PngTestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::Argb;
using TestSupport::TempFolder;
using TestSupport::ThrownText;

using TestSupport::RecordingDrawingBackend;
using TestSupport::ScopedRenderApp;

constexpr std::uint32_t kRed = 0xFFFF0000u;
constexpr std::uint32_t kGreen = 0xFF00FF00u;
constexpr std::uint32_t kBlue = 0xFF0000FFu;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

// A width x height bitmap whose pixel (x, y) is colorOf(x, y).
ConstRCPtr<LBitmap> PatternBitmap(std::int32_t width, std::int32_t height,
                                  const std::function<std::uint32_t(std::int32_t, std::int32_t)>& colorOf)
{
    ConstRCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(width, height, Argb(0));
    LBitmapData data(bitmap, BitmapImage::kLockRead | BitmapImage::kLockWrite);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            *data.GetPixelAddress(x, y) = colorOf(x, y);
    return bitmap;
}

// Every pixel different: x in red, y in green, opaque.
std::uint32_t Gradient(std::int32_t x, std::int32_t y)
{
    return 0xFF000000u | (static_cast<std::uint32_t>(x * 8) << 16) | (static_cast<std::uint32_t>(y * 8) << 8) | 0x40u;
}

class GDIRendererTest : public ::testing::Test
{
protected:
    GDIRendererTest()
    {
        m_app.SetScreenResolution(96);
        m_renderer = RCPtr<LGDIRenderer>(new LGDIRenderer(m_backend));
        m_context = NewContext(true);
    }

    RCPtr<LRenderContextInfo> NewContext(bool offscreen, std::uintptr_t window = 0, RectL viewport = {0, 0, 64, 64})
    {
        RCPtr<LRenderContextInfo> context;
        m_renderer->InitRenderContextInfo(viewport, window, offscreen, context);
        return context;
    }

    void Start() { m_renderer->RenderStart(m_context); }
    void Finish() { m_renderer->RenderFinish(m_context); }

    std::uint32_t Pixel(std::int32_t x, std::int32_t y) const
    {
        return static_cast<LGDIRenderContextInfo&>(*m_context).GetFrontSurface().GetSurface().GetPixel(x, y);
    }
    // The pixels of rows y0..y1 and columns x0..x1 that are not transparent, as "x,y" lines.
    std::string Painted(std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1) const
    {
        std::string text;
        for (std::int32_t y = y0; y <= y1; ++y)
            for (std::int32_t x = x0; x <= x1; ++x)
                if (Pixel(x, y) != 0)
                    text += std::to_string(x) + "," + std::to_string(y) + " ";
        return text;
    }

    ScopedRenderApp m_app;
    RecordingDrawingBackend m_backend;
    RCPtr<LGDIRenderer> m_renderer;
    RCPtr<LRenderContextInfo> m_context;
};

TEST_F(GDIRendererTest, RawFillWritesSurfacePixelsIgnoringStateAndStopsAtTheEdge)
{
    Start();
    m_renderer->FillRect({0, 0, 64, 64}, Argb(kWhite), false);
    // Translated, clipped and faded: none of it applies to a raw write.
    m_renderer->PushState();
    m_renderer->PushStencil({20, 20, 4, 4}, {20, 20, 4, 4}, nullptr, true);
    m_renderer->SetOpacity(0.25f);
    m_renderer->FillRect({2, 3, 4, 2}, Argb(0x80102030u), false);
    m_renderer->FillRect({10, 10, 3, 3}, Argb(0), false);
    // Across the surface's corner: the part inside is written, nothing beyond it.
    m_renderer->FillRect({60, -5, 100, 8}, Argb(kBlue), false);
    m_renderer->FillRect({-100, 62, 2147483647, 2147483647}, Argb(kGreen), false);
    m_renderer->PopState();
    m_renderer->PopState();

    EXPECT_EQ(Pixel(2, 3), 0x80102030u);
    EXPECT_EQ(Pixel(5, 4), 0x80102030u);
    EXPECT_EQ(Pixel(6, 4), kWhite);
    EXPECT_EQ(Pixel(2, 5), kWhite);
    EXPECT_EQ(Pixel(10, 10), 0u) << "a transparent colour makes the pixels transparent";
    EXPECT_EQ(Pixel(12, 12), 0u);
    EXPECT_EQ(Pixel(13, 12), kWhite);
    EXPECT_EQ(Pixel(63, 0), kBlue);
    EXPECT_EQ(Pixel(63, 2), kBlue);
    EXPECT_EQ(Pixel(63, 3), kWhite);
    EXPECT_EQ(Pixel(0, 63), kGreen);
    EXPECT_EQ(Pixel(0, 61), kWhite);
    Finish();
}

TEST_F(GDIRendererTest, OutlinesSitOnWholePixelColumnsAndRows)
{
    Start();
    m_renderer->FrameRect({10, 10, 20, 10}, Argb(kRed), 1.0f);
    m_renderer->DrawLine({40, 50}, {50, 50}, Argb(kGreen), 1.0f);

    std::string expected;
    for (std::int32_t y = 10; y <= 20; ++y)
        for (std::int32_t x = 10; x <= 30; ++x)
            if (y == 10 || y == 20 || x == 10 || x == 30)
                expected += std::to_string(x) + "," + std::to_string(y) + " ";
    EXPECT_EQ(Painted(0, 0, 39, 39), expected);
    EXPECT_EQ(Pixel(10, 10), kRed) << "no anti-aliasing";
    EXPECT_EQ(Painted(35, 45, 55, 55).find("40,50 41,50 42,50 43,50 44,50 45,50 46,50 47,50 48,50 49,50 "), 0u);
    Finish();
}

TEST_F(GDIRendererTest, StretchedBitmapsUseTheNearestPixel)
{
    const ConstRCPtr<LBitmap> quarters =
        PatternBitmap(2, 2, [](std::int32_t x, std::int32_t y) { return x == 0 ? (y == 0 ? kRed : kGreen) : kBlue; });
    Start();
    m_renderer->DrawBitmap(quarters, {8, 8, 6, 6}, kResizeStretch);
    for (std::int32_t y = 0; y < 6; ++y)
        for (std::int32_t x = 0; x < 6; ++x)
            EXPECT_EQ(Pixel(8 + x, 8 + y), x < 3 ? (y < 3 ? kRed : kGreen) : kBlue) << x << "," << y;
    EXPECT_EQ(Pixel(7, 8), 0u);
    EXPECT_EQ(Pixel(14, 8), 0u);
    Finish();
}

TEST_F(GDIRendererTest, BothTilingPathsRepeatTheSourceFromTheCorner)
{
    const ConstRCPtr<LBitmap> tile = PatternBitmap(10, 10, Gradient);
    struct Case
    {
        std::int32_t size;
        std::size_t tileDraws;
        std::size_t fills;
    };
    // Under three repeats each way every tile is drawn (x and y in 0, 10, 20); beyond, one fill.
    for (const Case& test : {Case{25, 9, 0}, Case{40, 0, 1}})
    {
        m_backend.ClearCalls();
        Start();
        m_renderer->FillRect({0, 0, 64, 64}, Argb(0), false);
        m_renderer->DrawBitmap(tile, {1, 2, test.size, test.size}, kResizeTile);
        EXPECT_EQ(m_backend.Count("DrawImage(0,0,10,10->"), test.tileDraws) << test.size;
        EXPECT_EQ(m_backend.Count("FillWithImage("), test.fills) << test.size;
        for (std::int32_t y = 0; y < test.size; ++y)
            for (std::int32_t x = 0; x < test.size; ++x)
                ASSERT_EQ(Pixel(1 + x, 2 + y), Gradient(x % 10, y % 10)) << test.size << ": " << x << "," << y;
        EXPECT_EQ(Pixel(1 + test.size, 2), 0u);
        Finish();
    }
}

TEST_F(GDIRendererTest, CentredBitmapsSitInTheMiddleAndEqualSizesDrawOneToOne)
{
    const ConstRCPtr<LBitmap> square = PatternBitmap(10, 10, Gradient);
    Start();
    m_renderer->DrawBitmap(square, {0, 0, 30, 20}, kResizeCenter);
    EXPECT_EQ(Painted(0, 0, 29, 19).find("10,5 "), 0u);
    EXPECT_EQ(Pixel(10, 5), Gradient(0, 0));
    EXPECT_EQ(Pixel(19, 14), Gradient(9, 9));
    EXPECT_EQ(Pixel(20, 14), 0u);
    EXPECT_EQ(Pixel(19, 15), 0u);

    // At its own size an unknown type is no error: the size makes it a plain copy.
    m_renderer->DrawBitmap(square, {40, 40, 10, 10}, 7);
    EXPECT_EQ(Pixel(49, 49), Gradient(9, 9));
    Finish();
}

TEST_F(GDIRendererTest, BitmapErrorsAndTheCacheKeyThatIgnoresTheType)
{
    const ConstRCPtr<LBitmap> square = PatternBitmap(10, 10, Gradient);
    EXPECT_EQ(ThrownText([&] { m_renderer->DrawBitmap(square, {0, 0, 20, 20}, kResizeStretch); }),
              "Runtime Error : QK::LGDIRenderer::DrawBitmap : Renderer\\Gdi\\GDIRenderer : Line 568");
    Start();
    EXPECT_EQ(ThrownText([&] { m_renderer->DrawBitmap(square, {0, 0, 20, 20}, 3); }),
              "Invalid Argument : Invalid ResizeType passed to DrawBitmap. : QK::LGDIRenderer::DrawBitmap : "
              "Renderer\\Gdi\\GDIRenderer : Line 559");

    // The first rendering at a size serves every later type at that size, even a bad one.
    m_renderer->DrawBitmap(square, {0, 0, 20, 20}, kResizeStretch);
    m_backend.ClearCalls();
    m_renderer->DrawBitmap(square, {30, 30, 20, 20}, kResizeCenter);
    EXPECT_NO_THROW(m_renderer->DrawBitmap(square, {30, 30, 20, 20}, 3));
    EXPECT_EQ(m_backend.Count("CreateSurface("), 0u);
    EXPECT_EQ(Pixel(30, 30), Gradient(0, 0)) << "stretched, not centred";
    EXPECT_EQ(Pixel(49, 49), Gradient(9, 9));
    Finish();
}

TEST_F(GDIRendererTest, SubBitmapsOfOneSheetDrawTheirOwnPixels)
{
    const ConstRCPtr<LBitmap> sheet = PatternBitmap(8, 4, [](std::int32_t x, std::int32_t) { return x < 4 ? kRed : kBlue; });
    const ConstRCPtr<LBitmap> left = sheet->CreateSubBitmap(0, 0, 4, 4);
    const ConstRCPtr<LBitmap> right = sheet->CreateSubBitmap(4, 0, 4, 4);
    // Half of this one lies past the sheet's edge: only the half inside is read and drawn.
    const ConstRCPtr<LBitmap> overhang = sheet->CreateSubBitmap(6, 0, 4, 4);
    Start();
    m_renderer->DrawBitmap(left, {0, 0, 8, 8}, kResizeStretch);
    m_renderer->DrawBitmap(right, {10, 0, 8, 8}, kResizeStretch);
    m_renderer->DrawBitmap(overhang, {20, 0, 8, 8}, kResizeStretch);
    EXPECT_EQ(Pixel(0, 0), kRed);
    EXPECT_EQ(Pixel(7, 7), kRed);
    EXPECT_EQ(Pixel(10, 0), kBlue);
    EXPECT_EQ(Pixel(17, 7), kBlue);
    EXPECT_EQ(Pixel(20, 0), kBlue);
    EXPECT_EQ(Pixel(23, 7), kBlue);
    EXPECT_EQ(Pixel(24, 0), 0u);
    EXPECT_EQ(Pixel(27, 7), 0u);
    EXPECT_EQ(m_renderer->GetCachedBitmapCount(), 3u);
    Finish();
}

// Drawn at its own size, a sub-bitmap needs no rendering of its own: it is shown from its
// image's pixels, opaque or translucent. The pixels are those the rendering gives (a centred
// drawing at a larger size still takes that path).
TEST_F(GDIRendererTest, BitmapsAtTheirOwnSizeNeedNoRenderingAndDrawTheSamePixels)
{
    const struct
    {
        const char* name;
        std::function<std::uint32_t(std::int32_t, std::int32_t)> colorOf;
        const char* path;
    } cases[] = {
        {"opaque", Gradient, "CreatePremultipliedImageView(6x5)"},
        {"translucent",
         [](std::int32_t x, std::int32_t y) { return (Gradient(x, y) & 0x00FFFFFFu) | (static_cast<std::uint32_t>(x * 40 + y) << 24); },
         "CreatePremultipliedImageView(6x5)"},
    };
    for (const auto& item : cases)
    {
        SCOPED_TRACE(item.name);
        ConstRCPtr<LBitmap> part = PatternBitmap(12, 10, item.colorOf)->CreateSubBitmap(3, 4, 6, 5);
        Start();
        m_renderer->FillRect({0, 0, 64, 64}, Argb(0), false);
        m_backend.ClearCalls();
        m_renderer->DrawBitmap(part, {1, 2, 6, 5}, kResizeStretch);
        EXPECT_EQ(m_backend.Count(item.path), 1u);
        EXPECT_EQ(m_backend.Count("CreateSurface("), 0u);
        m_renderer->DrawBitmap(part, {40, 40, 6, 5}, kResizeStretch);
        EXPECT_EQ(m_backend.Count("Create"), 1u) << "cached";
        m_renderer->DrawBitmap(part, {20, 20, 10, 9}, kResizeCenter);
        EXPECT_EQ(m_backend.Count("CreateSurface(10x9)"), 1u);
        for (std::int32_t y = 0; y < 5; ++y)
            for (std::int32_t x = 0; x < 6; ++x)
            {
                ASSERT_EQ(Pixel(1 + x, 2 + y), Pixel(22 + x, 22 + y)) << x << "," << y;
                ASSERT_EQ(Pixel(40 + x, 40 + y), Pixel(22 + x, 22 + y)) << x << "," << y;
            }
        EXPECT_EQ(Pixel(6, 6) >> 24, item.colorOf(8, 8) >> 24);
        Finish();

        // The image's pixels outlive the bitmap while the cache shows them.
        part = nullptr;
        Start();
        Finish();
    }
}

// Drawing holds an image once, premultiplied in place, yet every read gives the straight
// colours it gave before, exactly: also those that premultiplying rounds away (faint colours,
// colour under full transparency). Raw pixels handed out later are straight again, in a
// buffer of their own, while what the cache shows keeps the pixels it was made from.
TEST_F(GDIRendererTest, ADrawnImageIsHeldOnceAndStillReadsItsExactColours)
{
    const auto colorOf = [](std::int32_t x, std::int32_t y) {
        const std::uint32_t alphas[] = {0, 1, 2, 3, 17, 128, 254, 255};
        return (alphas[x % 8] << 24) | (static_cast<std::uint32_t>(200 + y) << 16) |
               (static_cast<std::uint32_t>(x * 31) << 8) | static_cast<std::uint32_t>(y * 7 + 1);
    };
    const ConstRCPtr<LBitmap> sheet = PatternBitmap(8, 6, colorOf);
    const ConstRCPtr<LBitmap> part = sheet->CreateSubBitmap(1, 1, 6, 4);
    BitmapImage* image = sheet->GetGdiplusBitmap();
    const std::shared_ptr<const std::uint32_t[]> straight = image->GetSharedPixels();

    Start();
    m_backend.ClearCalls();
    m_renderer->DrawBitmap(sheet, {0, 0, 8, 6}, kResizeStretch);
    m_renderer->DrawBitmap(part, {20, 0, 12, 8}, kResizeStretch);
    EXPECT_EQ(m_backend.Count("CreateImage("), 0u) << "no copy of the image";
    EXPECT_TRUE(image->IsPremultiplied());
    EXPECT_EQ(image->GetSharedPixels(), straight) << "premultiplied where they lie";
    for (std::int32_t y = 0; y < 6; ++y)
        for (std::int32_t x = 0; x < 8; ++x)
        {
            ASSERT_EQ(sheet->GetPixel(x, y).ToARGB(), colorOf(x, y)) << x << "," << y;
            // What lands on a clear surface is the straight colour through its premultiplied form.
            ASSERT_EQ(Pixel(x, y), UnpremultiplyArgb(PremultiplyArgb(colorOf(x, y)))) << x << "," << y;
        }
    Finish();

    const ConstRCPtr<LBitmap> clone = part->Clone();
    for (std::int32_t y = 0; y < 4; ++y)
        for (std::int32_t x = 0; x < 6; ++x)
            ASSERT_EQ(clone->GetPixel(x, y).ToARGB(), colorOf(x + 1, y + 1)) << x << "," << y;

    {
        LBitmapData data(sheet, BitmapImage::kLockRead | BitmapImage::kLockWrite);
        ASSERT_TRUE(data.IsLocked());
        EXPECT_FALSE(image->IsPremultiplied());
        for (std::int32_t y = 0; y < 6; ++y)
            for (std::int32_t x = 0; x < 8; ++x)
                ASSERT_EQ(*data.GetPixelAddress(x, y), colorOf(x, y)) << x << "," << y;
        *data.GetPixelAddress(3, 2) = kGreen;
    }
    Start();
    m_renderer->FillRect({0, 0, 64, 64}, Argb(0), false);
    m_renderer->DrawBitmap(sheet, {0, 0, 8, 6}, kResizeStretch);
    EXPECT_EQ(Pixel(3, 2), UnpremultiplyArgb(PremultiplyArgb(colorOf(3, 2)))) << "the cached picture";
    m_renderer->DrawBitmap(sheet, {0, 10, 16, 12}, kResizeStretch);
    EXPECT_EQ(Pixel(6, 14), kGreen) << "a new rendering reads the new pixels";
    Finish();
    EXPECT_EQ(sheet->GetPixel(3, 2).ToARGB(), kGreen);
    EXPECT_EQ(sheet->GetPixel(1, 2).ToARGB(), colorOf(1, 2));
}

TEST_F(GDIRendererTest, AnImageIsDecodedWhenFirstDrawn)
{
    TempFolder folder;
    std::vector<std::uint8_t> bgra;
    for (std::int32_t y = 0; y < 8; ++y)
        for (std::int32_t x = 0; x < 8; ++x)
            for (const std::uint32_t shift : {0u, 8u, 16u, 24u})
                bgra.push_back(static_cast<std::uint8_t>(Gradient(x, y) >> shift));
    folder.WriteFile("sheet.png", TestSupport::EncodePng(8, 8, bgra));
    const ConstRCPtr<LBitmap> sheet = LBitmap::LoadBitmap(WString((folder / "sheet.png").c_str()));
    ASSERT_TRUE(sheet);
    const ConstRCPtr<LBitmap> normal = sheet->CreateSubBitmap(0, 0, 8, 4);
    const ConstRCPtr<LBitmap> pressed = sheet->CreateSubBitmap(0, 4, 8, 4);
    EXPECT_EQ(pressed->GetRect(), (RectL{0, 4, 8, 4}));
    EXPECT_FALSE(sheet->IsDecoded());

    Start();
    m_renderer->DrawBitmap(normal, {0, 0, 8, 4}, kResizeStretch);
    EXPECT_TRUE(sheet->IsDecoded());
    const BitmapImage* image = sheet->GetGdiplusBitmap();
    m_renderer->DrawBitmap(pressed, {10, 0, 16, 8}, kResizeStretch);
    EXPECT_EQ(sheet->GetGdiplusBitmap(), image) << "one decoding serves every part";
    EXPECT_EQ(Pixel(7, 3), Gradient(7, 3));
    EXPECT_EQ(Pixel(10, 0), Gradient(0, 4));
    EXPECT_EQ(Pixel(25, 7), Gradient(7, 7));
    Finish();
}

// A frame's edge: four rows of a sheet stretched along a long side, as a tall list's border
// is. Every row of it, the first and the last too, shows the part's own pixels.
TEST_F(GDIRendererTest, APartStretchedFarKeepsItsFirstAndLastRows)
{
    const ConstRCPtr<LBitmap> sheet =
        PatternBitmap(24, 24, [](std::int32_t, std::int32_t y) { return y >= 10 && y < 14 ? kRed : kBlue; });
    const ConstRCPtr<LBitmap> edge = sheet->CreateSubBitmap(0, 10, 10, 4);
    m_context = NewContext(true, 0, {0, 0, 40, 1100});
    Start();
    const std::int32_t lengths[] = {576, 828, 1000};
    for (std::size_t i = 0; i < std::size(lengths); ++i)
    {
        const std::int32_t x = static_cast<std::int32_t>(i) * 12;
        m_renderer->DrawBitmap(edge, {x, 0, 10, lengths[i]}, kResizeStretch);
        for (const std::int32_t y : {0, 1, lengths[i] / 2, lengths[i] - 2, lengths[i] - 1})
            EXPECT_EQ(Pixel(x, y), kRed) << lengths[i] << " long, row " << y;
        EXPECT_EQ(Pixel(x, lengths[i]), 0u) << lengths[i] << " long: nothing past its end";
    }
    Finish();
}

TEST_F(GDIRendererTest, LinesTakeThePointsInPairsAndPathsFollowTheirPolyline)
{
    PolylineT<float> points;
    points.SetPoints({{2, 2}, {10, 2}, {2, 6}, {10, 6}, {10, 30}});
    Start();
    m_renderer->DrawLines(points, Argb(kRed), {0, 0}, {1, 1}, true);
    EXPECT_EQ(m_backend.Count("DrawPath(2 figures: 2 2,FFFF0000,w1,x1,1)"), 1u);
    EXPECT_EQ(Pixel(6, 2), kRed);
    EXPECT_EQ(Pixel(6, 6), kRed);
    EXPECT_EQ(Pixel(10, 20), 0u) << "the fifth point is ignored";
    EXPECT_FALSE(points.IsChanged());

    // The offset moves the path and is undone; a scale off 1 transforms a copy.
    m_backend.ClearCalls();
    m_renderer->DrawLines(points, Argb(kGreen), {0, 20}, {2, 1}, false);
    EXPECT_EQ(m_backend.Calls().front(), "SetTranslation(0,20)");
    EXPECT_EQ(m_backend.Calls().back(), "SetTranslation(0,0)");
    EXPECT_EQ(m_backend.Count("DrawPath(2 figures: 2 2,FF00FF00,w1,x2,1)"), 1u);
    EXPECT_EQ(Pixel(4, 22), kGreen);
    EXPECT_EQ(Pixel(19, 22), kGreen);
    EXPECT_EQ(Pixel(3, 22), 0u);
    EXPECT_EQ(Pixel(21, 22), 0u);

    // Filled polygons use the even-odd rule: a figure drawn around twice leaves a hole.
    PolylineT<float> star;
    star.SetPoints({{40, 40}, {60, 40}, {60, 60}, {40, 60}, {40, 40}, {45, 45}, {55, 45}, {55, 55}, {45, 55}, {45, 45}});
    m_renderer->FillPolygon(star, Argb(kBlue), {0, 0}, {1.0000001f, 1}, true);
    EXPECT_EQ(m_backend.Calls()[m_backend.Calls().size() - 2].find("FillPath(1 figures: 10c,FF0000FF,x1,1)"), 0u);
    EXPECT_EQ(Pixel(42, 50), kBlue);
    EXPECT_EQ(Pixel(50, 50), 0u);
    Finish();
}

TEST_F(GDIRendererTest, ClipAndTranslationFollowTheStateStack)
{
    Start();
    m_renderer->PushStencil({10, 10, 20, 20}, {10, 10, 20, 20}, nullptr, true);
    // In the stencil's coordinates: (0, 0) is (10, 10); the clip keeps to the 20 x 20 square.
    m_renderer->FillRect({-10, -10, 100, 100}, Argb(kRed), true);
    m_renderer->PushTranslation({5, 5});
    m_renderer->FillRect({0, 0, 2, 2}, Argb(kGreen), true);
    m_renderer->PopState();
    m_renderer->PopState();
    m_renderer->FillRect({0, 0, 3, 3}, Argb(kBlue), true);

    EXPECT_EQ(Pixel(9, 9), 0u);
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(29, 29), kRed);
    EXPECT_EQ(Pixel(30, 29), 0u);
    EXPECT_EQ(Pixel(15, 15), kGreen);
    EXPECT_EQ(Pixel(16, 16), kGreen);
    EXPECT_EQ(Pixel(17, 17), kRed);
    EXPECT_EQ(Pixel(0, 0), kBlue);
    EXPECT_EQ(Pixel(2, 2), kBlue);
    Finish();
}

TEST_F(GDIRendererTest, OpacityFadesEveryBlendedDrawing)
{
    const ConstRCPtr<LBitmap> square = PatternBitmap(4, 4, [](std::int32_t, std::int32_t) { return kWhite; });
    PolylineT<float> line;
    line.SetPoints({{0, 30}, {20, 30}});
    Start();
    m_renderer->PushState();
    m_renderer->SetOpacity(0.5f);
    m_renderer->FillRect({0, 0, 4, 4}, Argb(kWhite), true);
    m_renderer->DrawBitmap(square, {10, 0, 4, 4}, kResizeStretch);
    m_renderer->FrameRect({20, 0, 4, 4}, Argb(kWhite), 1.0f);
    m_renderer->DrawPolyline(line, Argb(kWhite), {0, 0}, {1, 1}, true);
    m_renderer->PopState();
    m_renderer->FillRect({40, 0, 4, 4}, Argb(kWhite), true);

    for (const PointL point : {PointL{0, 0}, PointL{10, 0}, PointL{20, 0}, PointL{5, 30}})
        EXPECT_NEAR(static_cast<double>(Pixel(point.x, point.y) >> 24), 128.0, 1.0) << point.x << "," << point.y;
    EXPECT_EQ(Pixel(40, 0), kWhite) << "the opacity goes with the popped state";
    Finish();
}

TEST_F(GDIRendererTest, ColorRectListsFillFromTheLastRectangleToTheFirst)
{
    ColorRectListT<float> list;
    list.Add({0, 0, 4, 4}, kRed);
    list.Add({1, 1, 4, 4}, kGreen);
    list.SetScale({2, 2});
    Start();
    m_renderer->DrawColorRectList(list, {10, 10}, false);
    // Scaled by 2 and moved by (10, 10): red over 10..17, green under it over 12..19.
    EXPECT_EQ(Pixel(10, 10), kRed);
    EXPECT_EQ(Pixel(17, 17), kRed) << "the first rectangle is drawn last";
    EXPECT_EQ(Pixel(18, 18), kGreen);
    EXPECT_EQ(Pixel(19, 19), kGreen);
    EXPECT_EQ(Pixel(20, 20), 0u);
    EXPECT_EQ(m_renderer->GetTranslation(), (PointD{0, 0}));
    Finish();
}

TEST_F(GDIRendererTest, ScaledBitmapsArePurgedOnlyAfterFiveMinutesUnused)
{
    const ConstRCPtr<LBitmap> first = PatternBitmap(10, 10, Gradient);
    const ConstRCPtr<LBitmap> second = PatternBitmap(5, 5, Gradient);
    const auto paint = [&](std::uint32_t timeMs, const ConstRCPtr<LBitmap>& bitmap) {
        m_app.SetTimeMs(timeMs);
        Start();
        if (bitmap)
            m_renderer->DrawBitmap(bitmap, {0, 0, 20, 20}, kResizeStretch);
        Finish();
        return m_renderer->GetCachedBitmapCount();
    };
    EXPECT_EQ(paint(0, first), 1u);
    EXPECT_EQ(paint(300000, nullptr), 1u);
    // The first trim keeps everything used since the renderer started.
    EXPECT_EQ(paint(300001, second), 2u);
    EXPECT_EQ(paint(600001, second), 2u) << "not yet 300001 ms after the trim";
    // The second trim drops what was not drawn since the first.
    EXPECT_EQ(paint(600002, second), 1u);
    EXPECT_EQ(paint(600003, first), 2u) << "a purged bitmap is rendered again";
}

TEST_F(GDIRendererTest, CopiesNeedAnOffscreenSourceAndMoveItsPicture)
{
    const RCPtr<LRenderContextInfo> window = NewContext(false, 7);
    const RCPtr<LRenderContextInfo> picture = NewContext(true);
    m_renderer->RenderStart(picture);
    m_renderer->FillRect({0, 0, 4, 4}, Argb(kRed), true);
    m_renderer->RenderFinish(picture);

    Start();
    EXPECT_EQ(m_renderer->DrawBitmapSection(window, {0, 0}, {0, 0, 4, 4}), QK_E_INVALIDARG);
    EXPECT_EQ(m_renderer->CopyBitmap(window, {1, 1}), QK_E_INVALIDARG);
    EXPECT_EQ(Painted(0, 0, 63, 63), "");
    EXPECT_EQ(m_renderer->DrawBitmapSection(picture, {20, 20}, {2, 2, 4, 4}), QK_OK);
    EXPECT_EQ(Painted(0, 0, 63, 63), "20,20 21,20 20,21 21,21 ");

    EXPECT_EQ(m_renderer->CopyBitmap(picture, {3, 1}), QK_OK);
    EXPECT_EQ(m_renderer->DrawBitmapSection(picture, {40, 40}, {0, 0, 8, 8}), QK_OK);
    EXPECT_EQ(Pixel(42, 41), 0u);
    EXPECT_EQ(Pixel(43, 41), kRed);
    EXPECT_EQ(Pixel(46, 44), kRed);
    EXPECT_EQ(Pixel(47, 44), 0u);
    Finish();
}

TEST_F(GDIRendererTest, OnlyWindowContextsArePresentedTheirRegionFromTheLastRectangle)
{
    m_context->GetRegion().AddRect(0, 0, 10, 10);
    Start();
    Finish();
    EXPECT_TRUE(m_backend.PresentedRects().empty()) << "offscreen";

    const RCPtr<LRenderContextInfo> window = NewContext(false, 7);
    window->GetRegion().AddRect(0, 0, 10, 10);
    window->GetRegion().AddRect(20, 20, 30, 40);
    m_renderer->RenderStart(window);
    m_renderer->RenderFinish(window);
    ASSERT_EQ(m_backend.PresentedRects().size(), 1u);
    EXPECT_EQ(m_backend.PresentedRects()[0].window, 7u);
    EXPECT_EQ(m_backend.PresentedRects()[0].rects.size(), 2u);

    // Drawing outside a paint does nothing.
    m_backend.ClearCalls();
    m_renderer->FillRect({0, 0, 4, 4}, Argb(kRed), false);
    m_renderer->FrameRect({0, 0, 4, 4}, Argb(kRed), 1.0f);
    EXPECT_TRUE(m_backend.Calls().empty());
}

TEST_F(GDIRendererTest, AWindowIsDrawnInTheWindowsOwnPictureUntilTheWindowReplacesIt)
{
    m_backend.OfferWindowPictures(true);
    m_backend.ClearCalls();
    const RCPtr<LRenderContextInfo> window = NewContext(false, 7);
    auto& context = static_cast<LGDIRenderContextInfo&>(*window);
    // Making the window's context only gets its picture ready; the first paint, which needs
    // a fresh surface anyway, makes the one surface it draws into.
    EXPECT_EQ(m_backend.Calls(), std::vector<std::string>{"PrepareWindowSurface(7)"});
    // Fills one rectangle raw and one blended.
    const auto paint = [&](RectL region, RectL raw, RectL blended)
    {
        window->GetRegion().Clear();
        window->GetRegion().AddRect(region.x, region.y, region.x + region.width, region.y + region.height);
        m_renderer->RenderStart(window);
        m_renderer->FillRect(raw, Argb(kRed), false);
        m_renderer->FillRect(blended, Argb(kRed), true);
        m_renderer->RenderFinish(window);
    };
    const auto pixel = [&](std::int32_t x, std::int32_t y) { return context.GetFrontSurface().GetSurface().GetPixel(x, y); };

    paint({0, 0, 64, 64}, {1, 1, 2, 2}, {40, 40, 2, 2});
    EXPECT_EQ(m_backend.Count("CreateWindowSurface(64x64)"), 1u) << "one fresh picture for the first paint";
    EXPECT_TRUE(context.GetFrontSurface().DrawsIntoWindow());
    EXPECT_EQ(m_backend.Count("CreateSurface("), 0u) << "no picture of the renderer's own beside the window's";
    EXPECT_EQ(m_backend.Count("ConfineTo("), 0u) << "a full repaint may draw anywhere";
    EXPECT_EQ(m_backend.Count("Present(7:1 rects)"), 1u);
    EXPECT_EQ(pixel(1, 1), kRed);
    EXPECT_EQ(pixel(40, 40), kRed);

    // A partial repaint draws over the picture as the window keeps it, and only inside its
    // region: the window shows the rest of the picture again when it is exposed.
    m_backend.ClearCalls();
    paint({10, 10, 5, 5}, {8, 8, 4, 4}, {12, 12, 6, 6});
    EXPECT_EQ(m_backend.Count("CreateWindowSurface("), 0u);
    EXPECT_EQ(m_backend.Count("ConfineTo(1 rects)"), 1u);
    EXPECT_EQ(pixel(1, 1), kRed);
    for (const auto& [x, y, red] : {std::tuple{10, 10, true}, {11, 11, true}, {14, 14, true}, {9, 9, false},
                                    {8, 8, false}, {15, 15, false}, {17, 17, false}})
        EXPECT_EQ(pixel(x, y), red ? kRed : 0u) << x << "," << y;

    // The window system made a new picture: the old one is never drawn into again.
    m_backend.ReplaceWindowPictures();
    m_backend.ClearCalls();
    paint({10, 10, 5, 5}, {10, 10, 1, 1}, {11, 11, 1, 1});
    EXPECT_EQ(m_backend.Count("CreateWindowSurface(64x64)"), 1u);
    EXPECT_TRUE(context.GetFrontSurface().DrawsIntoWindow());
    EXPECT_FALSE(context.GetFrontSurface().LostWindowPicture());
    EXPECT_EQ(pixel(1, 1), 0u) << "a new picture starts transparent";
    EXPECT_EQ(pixel(10, 10), kRed);
    EXPECT_EQ(pixel(11, 11), kRed);

    // Without a picture of the window's to draw into, the renderer draws into its own.
    m_backend.OfferWindowPictures(false);
    m_backend.ClearCalls();
    window->SetViewport({0, 0, 30, 20});
    paint({0, 0, 30, 20}, {0, 0, 1, 1}, {2, 2, 1, 1});
    EXPECT_EQ(m_backend.Count("CreateWindowSurface(30x20)"), 1u);
    EXPECT_EQ(m_backend.Count("CreateSurface(30x20)"), 1u);
    EXPECT_FALSE(context.GetFrontSurface().DrawsIntoWindow());
    EXPECT_EQ(pixel(0, 0), kRed);

    // Offscreen pictures are never the window's, whatever window they name.
    m_backend.OfferWindowPictures(true);
    m_backend.ClearCalls();
    const RCPtr<LRenderContextInfo> offscreen = NewContext(true, 7);
    offscreen->GetRegion().AddRect(0, 0, 64, 64);
    m_renderer->RenderStart(offscreen);
    m_renderer->RenderFinish(offscreen);
    EXPECT_EQ(m_backend.Count("CreateWindowSurface("), 0u);
}

TEST_F(GDIRendererTest, SurfacesAreRemadeForANewSizeOrAFullRepaint)
{
    Start();
    Finish();
    m_backend.ClearCalls();
    m_context->GetRegion().AddRect(0, 0, 10, 10);
    Start();
    Finish();
    EXPECT_EQ(m_backend.Count("CreateSurface("), 0u) << "a partial repaint keeps the picture";

    m_context->GetRegion().Clear();
    m_context->GetRegion().AddRect(0, 0, 64, 64);
    Start();
    Finish();
    // The back surface only takes a picture that CopyBitmap moves: until then there is none.
    EXPECT_EQ(m_backend.Count("CreateSurface(64x64)"), 1u);

    m_backend.ClearCalls();
    m_context->SetViewport({0, 0, 30, 20});
    Start();
    Finish();
    EXPECT_EQ(m_backend.Count("CreateSurface(30x20)"), 1u);
    auto& context = static_cast<LGDIRenderContextInfo&>(*m_context);
    EXPECT_FALSE(context.HasBackSurface());
    EXPECT_EQ(context.GetBackSurface().GetWidth(), 30);
    EXPECT_EQ(context.GetBackSurface().GetHeight(), 20);
    EXPECT_EQ(m_backend.Count("CreateSurface(30x20)"), 2u);
    std::int32_t width = 0;
    std::int32_t height = 0;
    m_context->GetMaxSurfaceSize(width, height);
    EXPECT_EQ(width, 4096);
    EXPECT_EQ(height, 4096);
}

TEST_F(GDIRendererTest, TextInkStaysInsideItsMeasuredBox)
{
    for (const std::int32_t style : {0, 1, 2})
    {
        const ConstRCPtr<LFont> font = LFont::FindOrCreate(u"Arial", 7.0f, style);
        const WString text(u"Wavy Jig 42");
        const RectF box = m_renderer->MeasureText(text, font);
        const RectF system = LRenderApp::GetMeasurementRenderer()->MeasureText(text, font);
        EXPECT_EQ(box, system) << "one measurement for drawing and layout";
        ASSERT_GT(box.width, 20.0f);

        Start();
        m_renderer->FillRect({0, 0, 64, 64}, Argb(0), false);
        m_renderer->DrawText(text, font, {2, 10}, Argb(kWhite));
        std::int32_t left = 64, right = -1, top = 64, bottom = -1;
        for (std::int32_t y = 0; y < 64; ++y)
            for (std::int32_t x = 0; x < 64; ++x)
                if (Pixel(x, y) != 0)
                {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        Finish();
        ASSERT_GE(right, 0) << "style " << style << ": nothing drawn";
        EXPECT_GE(left, 2) << style;
        ASSERT_LT(2 + box.width, 64.0f);
        EXPECT_LT(right, 2 + static_cast<std::int32_t>(box.width)) << style;
        EXPECT_GT(right, static_cast<std::int32_t>(box.width) - 6) << style;
        EXPECT_GE(top, 9) << style;
        EXPECT_LT(bottom, 9 + static_cast<std::int32_t>(box.height)) << style;
    }
}

// The pixels of the w x h block at (x, y), row by row.
std::vector<std::uint32_t> Block(const LRenderContextInfo& context, std::int32_t x, std::int32_t y, std::int32_t w,
                                 std::int32_t h)
{
    const IDrawingSurface& surface = static_cast<const LGDIRenderContextInfo&>(context).GetFrontSurface().GetSurface();
    std::vector<std::uint32_t> pixels;
    for (std::int32_t row = y; row < y + h; ++row)
        for (std::int32_t column = x; column < x + w; ++column)
            pixels.push_back(surface.GetPixel(column, row));
    return pixels;
}

TEST_F(GDIRendererTest, AGlyphIsRasterisedOnceAndDrawnFromTheCacheWithTheSamePixels)
{
    const ConstRCPtr<LFont> font = LFont::FindOrCreate(u"Arial", 7.0f, 0);
    const WString label(u"Knob 12");
    Start();
    m_renderer->DrawText(label, font, {1, 2}, Argb(kWhite));
    const std::uint64_t rendered = m_renderer->GetGlyphRenderCount();
    EXPECT_GT(rendered, 0u);
    EXPECT_LE(rendered, 7u);
    const std::vector<std::uint32_t> first = Block(*m_context, 0, 0, 64, 20);
    ASSERT_NE(std::count(first.begin(), first.end(), 0u), static_cast<std::ptrdiff_t>(first.size()));

    // The same label elsewhere on whole pixels, and its glyphs in another text: no glyph is
    // rendered again, and the label's pixels are the first one's.
    m_renderer->DrawText(label, font, {1, 32}, Argb(kWhite));
    m_renderer->DrawText(u"Knob", font, {40, 50}, Argb(kWhite));
    EXPECT_EQ(m_renderer->GetGlyphRenderCount(), rendered);
    EXPECT_EQ(Block(*m_context, 0, 30, 64, 20), first);
    Finish();
}

TEST_F(GDIRendererTest, CachedGlyphsOfOtherSizesAndStylesDoNotStandInForEachOther)
{
    const ConstRCPtr<LFont> fonts[] = {LFont::FindOrCreate(u"Arial", 7.0f, 0), LFont::FindOrCreate(u"Arial", 8.0f, 0),
                                       LFont::FindOrCreate(u"Arial", 7.0f, 1)};
    const WString text(u"Ab8");
    // Every font into one cache, each on its own rows.
    Start();
    for (std::int32_t i = 0; i < 3; ++i)
        m_renderer->DrawText(text, fonts[i], {2, 2 + 20 * i}, Argb(kWhite));
    Finish();
    EXPECT_GE(m_renderer->GetGlyphRenderCount(), 9u);
    for (std::int32_t i = 0; i < 3; ++i)
    {
        // A renderer of its own that never saw the other fonts.
        const RCPtr<LGDIRenderer> alone(new LGDIRenderer(m_backend));
        RCPtr<LRenderContextInfo> context;
        alone->InitRenderContextInfo({0, 0, 64, 64}, 0, true, context);
        alone->RenderStart(context);
        alone->DrawText(text, fonts[i], {2, 2 + 20 * i}, Argb(kWhite));
        alone->RenderFinish(context);
        EXPECT_EQ(Block(*context, 0, 20 * i, 64, 20), Block(*m_context, 0, 20 * i, 64, 20)) << "font " << i;
    }
}

TEST(RendererKinds, CreateBuildsTheSoftwareRendererAndThePlaceholder)
{
    EXPECT_EQ(LRenderer::Create(kRendererGdiPlus, 0)->GetRendererType(), kRendererGdiPlus);
    const RCPtr<LRenderer> placeholder = LRenderer::Create(kRendererDirect3D9, 0);
    ASSERT_TRUE(placeholder);
    EXPECT_EQ(placeholder->GetRendererType(), kRendererDirect3D9);

    const ConstRCPtr<LFont> font = LFont::FindOrCreate(u"Arial", 10.0f, 0);
    std::int32_t lineHeight = -5;
    std::int32_t ascent = -5;
    std::int32_t descent = -5;
    EXPECT_EQ(placeholder->GetFontMetrics(font, lineHeight, ascent, descent), QK_OK);
    EXPECT_EQ(lineHeight, -5);
    EXPECT_EQ(ascent, -5);
    EXPECT_EQ(placeholder->MeasureText(u"Wide text", font), (RectF{0, 0, 0, 0}));

    RCPtr<LRenderContextInfo> context;
    EXPECT_EQ(placeholder->InitRenderContextInfo({0, 0, 100, 50}, 0, false, context), QK_OK);
    std::int32_t width = -1;
    std::int32_t height = -1;
    context->GetMaxSurfaceSize(width, height);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(placeholder->RenderStart(context), QK_OK);
    EXPECT_EQ(placeholder->GetCurrentContext(), nullptr);
    placeholder->PushTranslation({3, 3});
    EXPECT_EQ(context->GetState().translation, (PointD{0, 0}));
    EXPECT_EQ(placeholder->DrawBitmapSection(context, {0, 0}, {0, 0, 1, 1}), QK_E_NOTIMPL);
    EXPECT_EQ(placeholder->CopyBitmap(context, {0, 0}), QK_E_NOTIMPL);
    EXPECT_EQ(placeholder->RenderFinish(context), QK_OK);
}

} // namespace
} // namespace QK
