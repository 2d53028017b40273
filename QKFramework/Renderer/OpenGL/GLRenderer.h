// LGLRenderer: the OpenGL back end (renderer kind 0). It draws every primitive with
// immediate-mode OpenGL, display lists and textures, clips with the scissor box, and hands
// text to its FreeType font renderer, whose glyph processor draws glyphs from per-font
// glyph textures.
//
// The y axis points down: the projection maps (0, 0) to the top-left corner of the current
// context's viewport. The render state's opacity scales the alpha of colours and textured
// quads, as in the software renderer; a raw FillRect (no blending) writes the colour as it
// is. Polylines, polygons and colour-rectangle lists drawn with keep are recorded once into
// display lists (by their never-reused handle) and replayed until they change; bitmaps are
// uploaded once per image. The seven caches are purged at the end of an outermost paint
// once more than 300000 ms have passed since the last purge.
//
// The OpenGL context comes from the platform (SDL) for the window given at construction;
// it is current on a target window from RenderStart to RenderFinish only. A frame ends with
// a copy of the back buffer to the front one (a swap would not keep the back buffer), so
// the next paint may redraw only part of the window. A context that cannot be made shows
// an error box through the message service and raises a runtime error.
//
// Offscreen targets keep no texture of their own: DrawBitmapSection and CopyBitmap draw
// with texture 0 from them, as the design has it (nothing uses them).
//
// UI thread only.
#pragma once

#include "QKFramework/Platform/Render/GLContext.h"
#include "QKFramework/Renderer/FontRenderer/FontRenderer.h"
#include "QKFramework/Renderer/OpenGL/GLRenderContextInfo.h"
#include "QKFramework/Renderer/OpenGL/GLResources.h"
#include "QKFramework/Renderer/PurgableObjectCache.h"
#include "QKFramework/Renderer/Renderer.h"

#include <cstdint>
#include <memory>

namespace QK
{

class LGLRenderer : public LRenderer
{
public:
    static constexpr std::uint32_t kListCacheCapacity = 256;
    static constexpr std::uint32_t kTextureCacheCapacity = 64;
    static constexpr std::uint32_t kPurgeIntervalMs = 300000;

    // Makes the OpenGL context for window; the runtime error of line 173 (after the error
    // box) when it cannot be made.
    LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, std::uintptr_t window);

    QKRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                            std::int32_t& descent) const override;
    RectF MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override;

    std::int32_t GetRendererType() const override { return kRendererOpenGL; }
    QKRESULT InitRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& context) override;
    QKRESULT SetViewport(const RectL& viewport) override;
    QKRESULT RenderStart(const RCPtr<LRenderContextInfo>& context) override;
    QKRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context) override;

    void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointL& origin,
                  const ColorRGBA& color) override;
    void FrameRect(const RectL& rect, const ColorRGBA& color, float lineWidth) override;
    void FillRect(const RectL& rect, const ColorRGBA& color, bool blend) override;
    void DrawColorRectList(ColorRectListT<float>& rects, const PointD& offset, bool keep) override;
    void DrawLine(const PointF& from, const PointF& to, const ColorRGBA& color, float lineWidth) override;
    void DrawLines(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                   bool keep) override;
    void DrawPolyline(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                      bool keep) override;
    void DrawPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                     bool keep) override;
    void FillPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                     bool keep) override;
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectL& destination, std::int32_t resizeType) override;
    QKRESULT DrawBitmapSection(const RCPtr<LRenderContextInfo>& source, const PointL& destination,
                               const RectL& sourceRect) override;
    QKRESULT CopyBitmap(const RCPtr<LRenderContextInfo>& source, const PointL& point) override;

    QKRESULT SetClipRect(const RectD& clip) override;
    QKRESULT Translate(const PointD& offset) override;

    const RCPtr<LFontRenderer>& GetFontRenderer() const { return m_fontRenderer; }
    // The platform context, for reading back what a window shows.
    IGLContext& GetContext() const { return *m_context; }
    // Entries holding an object, in the bitmap texture cache and in all display-list caches.
    std::uint32_t GetCachedTextureCount() const;
    std::uint32_t GetCachedListCount() const;

protected:
    ~LGLRenderer() override;

private:
    struct ListKeyOf
    {
        std::uint64_t operator()(const DrawingListBase& list) const { return list.GetHandle(); }
    };
    struct BitmapKeyOf
    {
        std::uint64_t operator()(const ConstRCPtr<LBitmap>& bitmap) const { return bitmap ? bitmap->GetHandle() : 0; }
    };
    struct BitmapSerialOf
    {
        std::uint64_t operator()(const ConstRCPtr<LBitmap>& bitmap) const { return bitmap ? bitmap->GetSerial() : 0; }
    };
    using ListCache = PurgableObjectCache<LGLDisplayList, DrawingListBase, std::uint64_t, ListKeyOf>;
    using TextureCache = PurgableObjectCache<LGLTexture, ConstRCPtr<LBitmap>, std::uint64_t, BitmapKeyOf>;
    using SecondTextureCache = PurgableObjectCache<LGLTexture, ConstRCPtr<LBitmap>, std::uint64_t, BitmapSerialOf>;
    enum class Shape
    {
        Lines,
        Polyline,
        Outline,
        Fill
    };

    LGLRenderContextInfo* Target() const;
    void SetColor(const ColorRGBA& color) const;
    void SetDefaultState() const;
    // The scissor box for a rectangle in window coordinates.
    void SetScissor(double x, double y, double width, double height) const;
    // The scissor box of the current clip.
    void ApplyClip() const;
    void DrawShape(Shape shape, PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                   const PointF& scale, bool keep);
    void EmitShape(Shape shape, const PolylineT<float>& points);
    // Copies the back buffer to the front one.
    void CopyBackToFront() const;
    void PurgeCaches();

    RCPtr<LFontRenderer> m_fontRenderer;
    std::uintptr_t m_window;
    bool m_doubleBuffered = true;
    bool m_swapCopies = true;
    std::uint32_t m_lastPurgeMs;
    ListCache m_fillCache;
    ListCache m_outlineCache;
    ListCache m_segmentCache;
    ListCache m_polylineCache;
    ListCache m_colorRectCache;
    TextureCache m_bitmapCache;
    SecondTextureCache m_secondBitmapCache;
    std::unique_ptr<IGLContext> m_context;
};

} // namespace QK
