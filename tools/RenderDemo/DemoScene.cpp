#include "tools/RenderDemo/DemoScene.h"

#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"

#include <cmath>
#include <string>

namespace QK::Demo
{

namespace
{

ColorRGBA Argb(std::uint32_t argb)
{
    ColorRGBA color;
    color.FromARGB(argb);
    return color;
}

template <class ColorOf> ConstRCPtr<LBitmap> MakeBitmap(std::int32_t width, std::int32_t height, ColorOf colorOf)
{
    ConstRCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(width, height, Argb(0));
    LBitmapData data(bitmap, BitmapImage::kLockRead | BitmapImage::kLockWrite);
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x)
            *data.GetPixelAddress(x, y) = colorOf(x, y);
    return bitmap;
}

PolylineT<float> Points(std::initializer_list<PointF> points, float lineWidth = 1.0f)
{
    PolylineT<float> list;
    list.SetPoints(points);
    list.SetLineWidth(lineWidth);
    return list;
}

} // namespace

DemoScene::DemoScene()
{
    // A 2-colour checker with a frame, so scaling and tiling show their seams.
    m_checker = MakeBitmap(12, 12, [](std::int32_t x, std::int32_t y) -> std::uint32_t {
        if (x == 0 || y == 0)
            return 0xFFFFD040u;
        return ((x / 3 + y / 3) % 2) ? 0xFF2060C0u : 0xFFE0E8F0u;
    });
    // Four 16 x 16 frames: a disc that fills up, frame by frame.
    m_sheet = MakeBitmap(64, 16, [](std::int32_t x, std::int32_t y) -> std::uint32_t {
        const std::int32_t frame = x / 16;
        const float dx = static_cast<float>(x % 16) - 7.5f;
        const float dy = static_cast<float>(y) - 7.5f;
        const float distance = std::sqrt(dx * dx + dy * dy);
        if (distance > 7.5f)
            return 0;
        if (distance > 6.0f)
            return 0xFFF0F0F0u;
        return static_cast<float>(y) >= 15.0f - static_cast<float>(frame + 1) * 15.0f / 4.0f ? 0xFF40C060u : 0x80000000u;
    });
    const ConstRCPtr<LBitmap> frame = m_sheet->CreateSubBitmap(48, 0, 16, 16)->Clone();
    LBitmap::ApplyColorizer(frame, ConstRCPtr<LColorizer>(new LColorizer(u"tint", LColorizer::kSolid, Argb(0xFFE04080u))),
                            0.8f);
    m_tinted = frame;
}

void DemoScene::Paint(LRenderer& renderer) const
{
    // Background and panels.
    renderer.FillRect({0, 0, kWidth, kHeight}, Argb(0xFF30343Cu), false);
    renderer.FillAndFrameRect({8, 8, 464, 58}, Argb(0xFF404654u), Argb(0xFF8090A0u), 1.0f);

    // Text in two sizes and styles.
    const ConstRCPtr<LFont> title = LFont::FindOrCreate(u"Arial", 16.0f, 1);
    const ConstRCPtr<LFont> caption = LFont::FindOrCreate(u"Arial", 9.0f, 2);
    renderer.DrawText(u"Vedidu Editor", title, {16, 14}, Argb(0xFFFFFFFFu));
    renderer.DrawText(u"Preset 1: Warm Pad (software renderer)", caption, {16, 44}, Argb(0xFFC0D0E0u));

    // A raw transparent hole: the pixels themselves become transparent.
    renderer.FillRect({400, 16, 60, 40}, Argb(0x00000000u), false);

    // Lines, a polyline, an outlined and a filled polygon.
    renderer.DrawLine({16, 80}, {150, 80}, Argb(0xFFFFFFFFu), 1.0f);
    renderer.DrawLine({16, 86}, {150, 110}, Argb(0xFFFFC040u), 3.0f);
    PolylineT<float> zigzag = Points({{16, 150}, {40, 120}, {64, 150}, {88, 120}, {112, 150}, {136, 120}}, 2.0f);
    renderer.DrawPolyline(zigzag, Argb(0xFF60E0FFu), {0, 0}, {1, 1}, true);
    PolylineT<float> triangle = Points({{170, 150}, {210, 80}, {250, 150}});
    renderer.DrawPolygon(triangle, Argb(0xFFFF8080u), {0, 0}, {1, 1}, true);
    // A five-pointed star: even-odd leaves its centre open.
    PolylineT<float> star;
    for (int i = 0; i < 5; ++i)
    {
        const double angle = -M_PI / 2 + i * 4 * M_PI / 5;
        star.AddPoint({static_cast<float>(std::cos(angle) * 36), static_cast<float>(std::sin(angle) * 36)});
    }
    renderer.FillPolygon(star, Argb(0xFFFFE060u), {300, 118}, {1, 1}, true);
    renderer.DrawPolygon(star, Argb(0xFFFFFFFFu), {390, 118}, {0.8f, 0.8f}, true);

    // Bitmaps: stretched, tiled by tiles and by one fill, centred, cut from a sheet, tinted.
    renderer.DrawBitmap(m_checker, {16, 170, 48, 48}, kResizeStretch);
    renderer.DrawBitmap(m_checker, {72, 170, 30, 30}, kResizeTile);
    renderer.DrawBitmap(m_checker, {110, 170, 64, 48}, kResizeTile);
    renderer.FrameRect({182, 170, 40, 40}, Argb(0xFF808080u), 1.0f);
    renderer.DrawBitmap(m_checker, {182, 170, 40, 40}, kResizeCenter);
    for (std::int32_t frame = 0; frame < 4; ++frame)
        renderer.DrawBitmap(m_sheet->CreateSubBitmap(frame * 16, 0, 16, 16), {16 + frame * 24, 230, 16, 16},
                            kResizeStretch);
    renderer.DrawBitmap(m_tinted, {112, 230, 32, 32}, kResizeStretch);

    // Nested clips and translations: a panel whose content runs past its edges.
    {
        CAutoStencilClip outer(RCPtr<LRenderer>(&renderer), {236, 170, 56, 130}, {236, 170, 56, 130});
        renderer.FillRect({0, 0, 56, 130}, Argb(0xFF50586Au), true);
        renderer.DrawText(u"Clipped text runs out", caption, {4, 4}, Argb(0xFFFFFFFFu));
        CAutoStencilClip inner(RCPtr<LRenderer>(&renderer), {8, 24, 40, 40}, {8, 24, 40, 40});
        renderer.FillRect({-100, -100, 300, 300}, Argb(0xFF2080F0u), true);
        PolylineT<float> cross = Points({{0, 0}, {60, 60}, {60, 0}, {0, 60}}, 2.0f);
        renderer.DrawLines(cross, Argb(0xFFFFFFFFu), {0, 0}, {1, 1}, true);
    }
    // A look drawn at half strength over the panel.
    {
        const RCPtr<LRenderer> held(&renderer);
        CAutoRenderState faded(held);
        renderer.SetOpacity(0.5f);
        renderer.FillRect({236, 250, 56, 40}, Argb(0xFFFF4040u), true);
        renderer.DrawBitmap(m_checker, {16, 270, 96, 40}, kResizeTile);
    }

    // The element that changes: a value badge.
    const RectL badge = GetChangedRect();
    const std::uint32_t fill = (m_value % 2) ? 0xFF7030A0u : 0xFF206040u;
    renderer.FillAndFrameRect(badge, Argb(fill), Argb(0xFFFFFFFFu), 2.0f);
    const std::string value = "Value " + std::to_string(m_value);
    renderer.DrawText(WString(value.c_str()), title, {badge.x + 12, badge.y + 18},
                      Argb(0xFFFFFFFFu));
}

void PaintScene(LRenderer& renderer, const RCPtr<LRenderContextInfo>& context, const DemoScene& scene,
                const RectL* dirty)
{
    RectRegion& region = context->GetRegion();
    region.Clear();
    const RectL whole = context->GetViewport();
    const RectL area = dirty ? *dirty : whole;
    region.AddRect(area.x, area.y, area.x + area.width, area.y + area.height);
    renderer.RenderStart(context);
    renderer.PushState();
    renderer.SetClipRect(RectD{static_cast<double>(area.x), static_cast<double>(area.y),
                               static_cast<double>(area.width), static_cast<double>(area.height)});
    scene.Paint(renderer);
    renderer.PopState();
    renderer.RenderFinish(context);
}

} // namespace QK::Demo
