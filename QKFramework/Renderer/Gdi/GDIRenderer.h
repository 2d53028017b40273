// LGDIRenderer: the software renderer (kind 1) that every editor window draws through. It
// draws into the front surface of the current LGDIRenderContextInfo and, at the end of a
// paint, copies the repainted rectangles of that surface to the window.
//
// It keeps scaled bitmaps (by bitmap, width and height) and the paths of polylines (by the
// polyline's handle) in two caches of 256 entries. The bitmap cache is trimmed, at the end of
// a paint, once at least 300001 ms of the application clock have passed since the last trim;
// paths stay until evicted or their polyline changes.
//
// Text is measured by the same FreeType code as the application's measurement renderer and
// drawn from the glyphs of that measurement, so a drawn text is as wide as it measures. Each
// glyph is rasterised once per font, size and position within a pixel (in 64ths), and kept
// in a third cache of 2048 entries: labels repeat the same few characters.
//
// Drawing state: the render state's opacity multiplies the alpha of every blended drawing;
// stencils have no effect on drawing here. Every drawing operation does nothing outside a
// paint (DrawBitmap raises its error instead).
//
// UI thread only.
#pragma once

#include "QKFramework/Platform/Render/DrawingSurface.h"
#include "QKFramework/Renderer/FontMeasure.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"
#include "QKFramework/Renderer/PurgableObjectCache.h"
#include "QKFramework/Renderer/Renderer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace QK
{

class BitmapImage;

class LGDIRenderer : public LRenderer
{
public:
    // A scaled rendering of a bitmap, ready to be copied.
    class LCachedBitmap : public virtual LRefCountedObject
    {
    public:
        explicit LCachedBitmap(std::unique_ptr<IDrawingSurface> surface) : m_surface(std::move(surface)) {}
        const IDrawingSurface& GetSurface() const { return *m_surface; }

    private:
        std::unique_ptr<IDrawingSurface> m_surface;
    };

    // The figures built from a polyline.
    class LGraphicsPath : public virtual LRefCountedObject
    {
    public:
        DrawingPath path;
    };

    // A glyph's coverage as FreeType rendered it: width x height bytes, placed at (left,
    // top) from the pen's whole pixel on the baseline. Empty for a glyph without ink (a
    // blank) or one that could not be rendered.
    class LGlyphMask : public virtual LRefCountedObject
    {
    public:
        std::int32_t width = 0;
        std::int32_t height = 0;
        std::int32_t left = 0;
        std::int32_t top = 0;
        std::vector<std::uint8_t> coverage;
    };

    // What a rendered glyph is cached under: the font's unique id (never reused), the size
    // it was rendered at (26.6 pixels per em), the glyph and the pen's fraction of a pixel
    // (0 to 64, in 64ths).
    struct GlyphMaskDescriptor
    {
        std::int32_t font = 0;
        std::int32_t size = 0;
        std::uint32_t glyph = 0;
        std::int32_t shift = 0;

        friend bool operator==(const GlyphMaskDescriptor&, const GlyphMaskDescriptor&) = default;
        // The bits the cache's index hashes: the glyph and its shift vary the most.
        explicit operator std::uintptr_t() const
        {
            return static_cast<std::uintptr_t>(glyph * 67u + static_cast<std::uint32_t>(shift) * 5u +
                                               static_cast<std::uint32_t>(font) * 131u +
                                               static_cast<std::uint32_t>(size >> 6));
        }
    };

    // What a scaled bitmap is cached under: the bitmap's identity (never reused) and the size.
    struct CashableBitmapDescriptor
    {
        std::uint64_t bitmap = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;

        friend bool operator==(const CashableBitmapDescriptor&, const CashableBitmapDescriptor&) = default;
        // The bits the cache's index hashes.
        explicit operator std::uintptr_t() const
        {
            return static_cast<std::uintptr_t>(bitmap * 0x9E3779B97F4A7C15ull ^
                                               (static_cast<std::uint64_t>(static_cast<std::uint32_t>(width)) << 20) ^
                                               static_cast<std::uint32_t>(height));
        }
    };

    static constexpr std::uint32_t kCacheCapacity = 256;
    static constexpr std::uint32_t kGlyphCacheCapacity = 2048;
    static constexpr std::uint32_t kPurgeIntervalMs = 300001;
    static constexpr std::int32_t kMaxSurfaceSize = 4096;

    // Draws with the platform's back end, or with backend (which must outlive the renderer).
    LGDIRenderer();
    explicit LGDIRenderer(IDrawingBackend& backend);
    ~LGDIRenderer() override;

    QKRESULT GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                            std::int32_t& descent) const override;
    RectF MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const override;

    std::int32_t GetRendererType() const override { return kRendererGdiPlus; }
    QKRESULT InitRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen,
                                   RCPtr<LRenderContextInfo>& context) override;
    QKRESULT RenderStart(const RCPtr<LRenderContextInfo>& context) override;
    QKRESULT RenderFinish(const RCPtr<LRenderContextInfo>& context) override;

    void DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointL& origin,
                  const ColorRGBA& color) override;
    void FrameRect(const RectL& rect, const ColorRGBA& color, float lineWidth) override;
    void FillRect(const RectL& rect, const ColorRGBA& color, bool blend) override;
    void DrawColorRectList(ColorRectListT<float>& rects, const PointD& offset, bool flag) override;
    void DrawLine(const PointF& from, const PointF& to, const ColorRGBA& color, float lineWidth) override;
    void DrawLines(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                   bool keep) override;
    void DrawPolyline(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                      bool keep) override;
    void DrawPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                     bool keep) override;
    void FillPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset, const PointF& scale,
                     bool keep) override;
    // resizeType 0 stretch, 1 tile, 2 centre; the first rendering at a size serves every
    // later type at that size.
    void DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectL& destination, std::int32_t resizeType) override;
    QKRESULT DrawBitmapSection(const RCPtr<LRenderContextInfo>& source, const PointL& destination,
                               const RectL& sourceRect) override;
    QKRESULT CopyBitmap(const RCPtr<LRenderContextInfo>& source, const PointL& point) override;

    QKRESULT SetClipRect(const RectD& clip) override;
    QKRESULT Translate(const PointD& offset) override;

    float GetTextScale() const { return m_textScale; }
    std::int32_t GetScreenResolution() const { return m_resolution; }
    // Scaled bitmaps held in the cache.
    std::uint32_t GetCachedBitmapCount() const;
    // Glyphs rasterised by this renderer so far (each cached glyph counts once).
    std::uint64_t GetGlyphRenderCount() const { return m_glyphRenders; }

private:
    struct BitmapKeyOf
    {
        CashableBitmapDescriptor operator()(const CashableBitmapDescriptor& key) const { return key; }
    };
    struct PathKeyOf
    {
        std::uint64_t operator()(const PolylineT<float>& points) const { return points.GetHandle(); }
    };
    struct GlyphKeyOf
    {
        GlyphMaskDescriptor operator()(const GlyphMaskDescriptor& key) const { return key; }
    };
    enum class PathKind
    {
        Lines,
        Polyline,
        Polygon,
        FilledPolygon
    };

    // The front surface of the current target, or null outside a paint.
    IDrawingSurface* Front() const;
    // The colour packed with its alpha times the state's opacity.
    std::uint32_t Blended(const ColorRGBA& color) const;
    void DrawPath(PathKind kind, PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                  const PointF& scale, bool keep);
    // The scaled rendering of bitmap at width x height; null when there is nothing to draw.
    RCPtr<LCachedBitmap> RenderBitmap(const LBitmap& bitmap, std::int32_t width, std::int32_t height,
                                      std::int32_t resizeType);
    // The cached form of rect of image drawn 1:1 without a rendering of its own; null when
    // it must be rendered.
    std::unique_ptr<IDrawingSurface> ShowAsItIs(BitmapImage* image, const RectL& rect, std::int32_t width,
                                                std::int32_t height);
    // part (inside image) as an image to draw from.
    std::unique_ptr<IDrawingSurface> ShowPart(BitmapImage& image, const RectL& part);
    // Puts the state's translation and clip on the front surface.
    void ApplyState();
    // The glyph's coverage for key, rasterised from face (already sized to key.size).
    RCPtr<LGlyphMask> RenderGlyphMask(FT_FaceRec_* face, const GlyphMaskDescriptor& key);

    IDrawingBackend& m_backend;
    float m_textScale = 1.0f;
    RCPtr<LGDIRenderContextInfo> m_target;
    std::int32_t m_resolution = 96;
    PurgableObjectCache<LCachedBitmap, CashableBitmapDescriptor, CashableBitmapDescriptor, BitmapKeyOf> m_bitmapCache;
    PurgableObjectCache<LGraphicsPath, PolylineT<float>, std::uint64_t, PathKeyOf> m_pathCache;
    PurgableObjectCache<LGlyphMask, GlyphMaskDescriptor, GlyphMaskDescriptor, GlyphKeyOf, HashBits0To7> m_glyphCache;
    std::uint64_t m_glyphRenders = 0;
    std::uint32_t m_lastPurgeMs = 0;
    mutable FontMeasure m_measure;
};

} // namespace QK
