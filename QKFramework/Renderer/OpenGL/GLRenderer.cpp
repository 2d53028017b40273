// Sections: construction and contexts; paints; state; rectangles, lines and text;
// polylines; bitmaps; copies from offscreen targets.
#include "QKFramework/Renderer/OpenGL/GLRenderer.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Render/MessageService.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>

namespace QK
{

namespace
{

constexpr const char* kSource = "Renderer\\OpenGL\\GLRenderer";

// Scissor values stay where an int still counts them.
std::int32_t RoundToInt(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<std::int32_t>(std::round(std::clamp(value, -1073741824.0, 1073741824.0)));
}

void ShowError(const char16_t* key)
{
    WString text = LRenderApp::GetApplicationString(key);
    text.Append(LRenderApp::GetApplicationString(u"GL_ERROR_UPDATE_DRIVER"));
    GetMessageService().ShowMessage(LRenderApp::GetApplicationString(u"GL_ERROR_CAPTION"), text,
                                    IMessageService::kIconWarning);
}

// The rectangle with a negative width or height turned around its edge.
RectL NonNegative(const RectL& rect)
{
    RectL r = rect;
    if (r.width < 0)
    {
        r.x += r.width;
        r.width = -r.width;
    }
    if (r.height < 0)
    {
        r.y += r.height;
        r.height = -r.height;
    }
    return r;
}

template <class Cache> std::uint32_t CountFilled(const Cache& cache)
{
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i < cache.GetCapacity(); ++i)
        count += cache.GetEntryAt(i).IsEmpty() ? 0 : 1;
    return count;
}

template <class Cache> void Purge(Cache& cache)
{
    cache.Purge(cache.GetPurgeMark());
    cache.SetPurgeMark(cache.GetClock());
}

} // namespace

// --- Construction and contexts ---------------------------------------------------------

LGLRenderer::LGLRenderer(const RCPtr<LFontRenderer>& fontRenderer, std::uintptr_t window)
    : m_fontRenderer(fontRenderer), m_window(window), m_lastPurgeMs(LRenderApp::GetTimeMs()),
      m_fillCache(kListCacheCapacity), m_outlineCache(kListCacheCapacity), m_segmentCache(kListCacheCapacity),
      m_polylineCache(kListCacheCapacity), m_colorRectCache(kListCacheCapacity),
      m_bitmapCache(kTextureCacheCapacity), m_secondBitmapCache(kTextureCacheCapacity)
{
    std::string error;
    m_context = CreateGLContext(window, error);
    if (!m_context)
    {
        ShowError(u"GL_ERROR_MESSAGE_CREATE_CONTEXT");
        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        Throw<std::runtime_error>({"QK::LGLRenderer::LGLRenderer", kSource, 173});
    }
    m_doubleBuffered = m_context->IsDoubleBuffered();
    m_swapCopies = m_context->SwapCopies();
}

LGLRenderer::~LGLRenderer()
{
    // Textures and lists are deleted with the context current, where OpenGL knows them.
    const bool current = m_context && m_context->MakeCurrent(m_window);
    m_bitmapCache.Purge(m_bitmapCache.GetClock() + 1);
    m_secondBitmapCache.Purge(m_secondBitmapCache.GetClock() + 1);
    for (ListCache* cache : {&m_fillCache, &m_outlineCache, &m_segmentCache, &m_polylineCache, &m_colorRectCache})
        cache->Purge(cache->GetClock() + 1);
    if (current)
        m_context->ReleaseCurrent();
}

QKRESULT LGLRenderer::GetFontMetrics(const ConstRCPtr<LFont>& font, std::int32_t& lineHeight, std::int32_t& ascent,
                                     std::int32_t& descent) const
{
    if (!m_fontRenderer)
        return QK_E_FAIL;
    return m_fontRenderer->GetFontMetrics(font, lineHeight, ascent, descent);
}

RectF LGLRenderer::MeasureText(const WString& text, const ConstRCPtr<LFont>& font) const
{
    if (!m_fontRenderer)
        return RectF{};
    return m_fontRenderer->MeasureText(text, font);
}

QKRESULT LGLRenderer::InitRenderContextInfo(const RectL& viewport, std::uintptr_t window, bool offscreen,
                                            RCPtr<LRenderContextInfo>& context)
{
    if (!m_context->MakeCurrent(window))
    {
        ShowError(u"GL_ERROR_MESSAGE_SET_PIXEL_FORMAT");
        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        Throw<std::runtime_error>({"QK::LGLRenderer::InitRenderContextInfo", kSource, 336});
    }
    GLint dims[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, dims);
    context = RCPtr<LRenderContextInfo>(new LGLRenderContextInfo(viewport, window, offscreen, dims[0], dims[1]));
    SetDefaultState();
    DrainGLErrors();
    m_context->ReleaseCurrent();
    return QK_OK;
}

void LGLRenderer::SetDefaultState() const
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glDisable(GL_LIGHTING);
    glDisable(GL_DITHER);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.003921569f);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glDisable(GL_POLYGON_SMOOTH);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_SCISSOR_TEST);
}

std::uint32_t LGLRenderer::GetCachedTextureCount() const
{
    return CountFilled(m_bitmapCache);
}

std::uint32_t LGLRenderer::GetCachedListCount() const
{
    return CountFilled(m_fillCache) + CountFilled(m_outlineCache) + CountFilled(m_segmentCache) +
           CountFilled(m_polylineCache) + CountFilled(m_colorRectCache);
}

LGLRenderContextInfo* LGLRenderer::Target() const
{
    return dynamic_cast<LGLRenderContextInfo*>(GetCurrentContext());
}

// --- Paints ----------------------------------------------------------------------------

QKRESULT LGLRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    LRenderer::RenderStart(context);
    LGLRenderContextInfo* target = Target();
    if (!target)
        return QK_OK;
    m_context->MakeCurrent(target->GetWindow());
    SetViewport(target->GetViewport());
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    // The state carried into this paint: its translation and clip.
    const PointD translation = target->GetState().translation;
    if (translation.x != 0.0 || translation.y != 0.0)
        glTranslatef(static_cast<float>(translation.x), static_cast<float>(translation.y), 0.0f);
    ApplyClip();
    return QK_OK;
}

QKRESULT LGLRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    if (GetCurrentContext() != context.Get())
        return LRenderer::RenderFinish(context); // raises the mismatch, nothing changed

    if (LGLRenderContextInfo* target = Target())
    {
        DrainGLErrors();
        glMatrixMode(GL_MODELVIEW);
        glPopMatrix();
        if (target->IsOffscreen())
            glFlush();
        else
        {
            if (m_doubleBuffered && m_swapCopies)
                target->SwapBuffers(*m_context);
            else if (m_doubleBuffered)
            {
                glFlush();
                CopyBackToFront();
            }
            else
                glFlush();
            DrainGLErrors();
            m_context->ReleaseCurrent();
        }
    }
    LRenderer::RenderFinish(context);

    if (LGLRenderContextInfo* outer = Target())
    {
        m_context->MakeCurrent(outer->GetWindow());
        SetViewport(outer->GetViewport());
        ApplyClip();
    }
    else
    {
        const std::uint32_t now = LRenderApp::GetTimeMs();
        if (now - m_lastPurgeMs > kPurgeIntervalMs)
        {
            m_lastPurgeMs = now;
            PurgeCaches();
        }
    }
    return QK_OK;
}

void LGLRenderer::PurgeCaches()
{
    // Released objects delete their OpenGL names, which needs the context.
    const bool current = m_context->MakeCurrent(m_window);
    Purge(m_fillCache);
    Purge(m_outlineCache);
    Purge(m_segmentCache);
    Purge(m_polylineCache);
    Purge(m_colorRectCache);
    Purge(m_bitmapCache);
    Purge(m_secondBitmapCache);
    if (current)
        m_context->ReleaseCurrent();
}

void LGLRenderer::CopyBackToFront() const
{
    const LGLRenderContextInfo* target = Target();
    if (!target)
        return;
    GLint readBuffer = 0;
    GLint drawBuffer = 0;
    GLfloat raster[4] = {};
    GLint logicOp = GL_COPY;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    glGetIntegerv(GL_LOGIC_OP_MODE, &logicOp);
    glReadBuffer(GL_BACK);
    glDrawBuffer(GL_FRONT);

    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, viewport[2], 0.0, viewport[3]);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    // The whole viewport is copied as it is: copied pixels pass the fragment tests like any
    // other, so the clip, blending (with the back buffer's alpha) and the alpha test would
    // darken the picture or drop its transparent pixels.
    glPushAttrib(GL_ENABLE_BIT);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);
    glRasterPos4f(0.0f, 0.0f, 0.0f, 1.0f);
    glLogicOp(GL_COPY);
    glCopyPixels(0, 0, viewport[2], viewport[3], GL_COLOR);
    DrainGLErrors();
    glPopAttrib();
    glLogicOp(static_cast<GLenum>(logicOp));
    glRasterPos4fv(raster);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glDrawBuffer(static_cast<GLenum>(drawBuffer));
    glFlush();
}

// --- State -----------------------------------------------------------------------------

QKRESULT LGLRenderer::SetViewport(const RectL& viewport)
{
    LRenderer::SetViewport(viewport);
    if (!Target())
        return QK_OK;
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    GLint actual[4] = {};
    glGetIntegerv(GL_VIEWPORT, actual);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, actual[2], actual[3], 0.0, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    return QK_OK;
}

void LGLRenderer::SetScissor(double x, double y, double width, double height) const
{
    const LGLRenderContextInfo* target = Target();
    if (!target)
        return;
    const RectL& viewport = target->GetViewport();
    std::int32_t left = RoundToInt(x);
    std::int32_t w = RoundToInt(width);
    std::int32_t h = RoundToInt(height);
    std::int32_t bottom = RoundToInt(static_cast<double>(viewport.height) - (y + height));
    if (left < 0)
    {
        w += left;
        left = 0;
    }
    if (bottom < 0)
    {
        h += bottom;
        bottom = 0;
    }
    if (w <= 0 || h <= 0)
    {
        // Outside the drawable area: nothing is drawn.
        glScissor(viewport.width, 0, 1, 1);
        return;
    }
    glScissor(left, bottom, w, h);
}

void LGLRenderer::ApplyClip() const
{
    const LGLRenderContextInfo* target = Target();
    if (!target)
        return;
    const RenderState& state = target->GetState();
    SetScissor(state.clip.x + state.translation.x, state.clip.y + state.translation.y, state.clip.width,
               state.clip.height);
}

QKRESULT LGLRenderer::SetClipRect(const RectD& clip)
{
    LRenderer::SetClipRect(clip);
    ApplyClip();
    return QK_OK;
}

QKRESULT LGLRenderer::Translate(const PointD& offset)
{
    LRenderer::Translate(offset);
    if (Target() && (offset.x != 0.0 || offset.y != 0.0))
        glTranslatef(static_cast<float>(offset.x), static_cast<float>(offset.y), 0.0f);
    return QK_OK;
}

void LGLRenderer::SetColor(const ColorRGBA& color) const
{
    glColor4f(color.r, color.g, color.b, color.a * GetOpacity());
}

// --- Rectangles, lines and text --------------------------------------------------------

void LGLRenderer::FillRect(const RectL& rect, const ColorRGBA& color, bool blend)
{
    const LGLRenderContextInfo* target = Target();
    if (!target)
        return;
    const RectL r = NonNegative(rect);
    if (blend)
    {
        SetColor(color);
        glDisable(GL_TEXTURE_2D);
        const auto x = static_cast<float>(r.x);
        const auto y = static_cast<float>(r.y);
        const float right = x + static_cast<float>(r.width);
        const float bottom = y + static_cast<float>(r.height);
        glBegin(GL_QUADS);
        glVertex2f(x, y);
        glVertex2f(right, y);
        glVertex2f(right, bottom);
        glVertex2f(x, bottom);
        glEnd();
        return;
    }
    // The pixels are replaced, alpha included, but only within the clip.
    const RenderState& state = target->GetState();
    RectD area{static_cast<double>(r.x), static_cast<double>(r.y), static_cast<double>(r.width),
               static_cast<double>(r.height)};
    RectD::Intersect(area, area, state.clip);
    SetScissor(area.x + state.translation.x, area.y + state.translation.y, area.width, area.height);
    glClearColor(color.r, color.g, color.b, color.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ApplyClip();
}

void LGLRenderer::FrameRect(const RectL& rect, const ColorRGBA& color, float lineWidth)
{
    if (!Target())
        return;
    glLineWidth(lineWidth);
    SetColor(color);
    const RectL r = NonNegative(rect);
    const auto x = static_cast<float>(r.x);
    const auto y = static_cast<float>(r.y);
    const float right = x + static_cast<float>(r.width);
    const float bottom = y + static_cast<float>(r.height);
    glBegin(GL_LINE_STRIP);
    glVertex2f(x, y);
    glVertex2f(right, y);
    glVertex2f(right, bottom);
    glVertex2f(x, bottom);
    glVertex2f(x, y);
    glEnd();
}

void LGLRenderer::DrawLine(const PointF& from, const PointF& to, const ColorRGBA& color, float lineWidth)
{
    if (!Target())
        return;
    glLineWidth(lineWidth);
    SetColor(color);
    glBegin(GL_LINES);
    glVertex2f(from.x, from.y);
    glVertex2f(to.x, to.y);
    glEnd();
}

void LGLRenderer::DrawText(const WString& text, const ConstRCPtr<LFont>& font, const PointL& origin,
                           const ColorRGBA& color)
{
    if (!Target() || !m_fontRenderer || !font || text.IsEmpty())
        return;
    SetColor(color);
    const PointD corner{static_cast<double>(origin.x), static_cast<double>(origin.y)};
    Translate(corner);
    m_fontRenderer->RenderText(text, font, m_fontRenderer->GetSecondProcessor(), 0, 0.0f,
                               LGlyphProcessor::kModeRender);
    RectF bounds;
    m_fontRenderer->GetTextBounds(bounds);
    Translate({-corner.x, -corner.y});
}

// --- Polylines -------------------------------------------------------------------------

void LGLRenderer::DrawLines(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                            const PointF& scale, bool keep)
{
    DrawShape(Shape::Lines, points, color, offset, scale, keep);
}

void LGLRenderer::DrawPolyline(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                               const PointF& scale, bool keep)
{
    DrawShape(Shape::Polyline, points, color, offset, scale, keep);
}

void LGLRenderer::DrawPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                              const PointF& scale, bool keep)
{
    DrawShape(Shape::Outline, points, color, offset, scale, keep);
}

void LGLRenderer::FillPolygon(PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                              const PointF& scale, bool keep)
{
    DrawShape(Shape::Fill, points, color, offset, scale, keep);
}

void LGLRenderer::EmitShape(Shape shape, const PolylineT<float>& points)
{
    const std::vector<PointF>& list = points.GetPoints();
    switch (shape)
    {
    case Shape::Lines:
    case Shape::Polyline:
        glDisable(GL_TEXTURE_2D);
        glLineWidth(points.GetLineWidth());
        if (list.empty())
            break;
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, sizeof(PointF), list.data());
        glDrawArrays(shape == Shape::Lines ? GL_LINES : GL_LINE_STRIP, 0, static_cast<GLsizei>(list.size()));
        glDisableClientState(GL_VERTEX_ARRAY);
        break;
    case Shape::Outline:
        glLineWidth(points.GetLineWidth());
        glBegin(GL_LINE_STRIP);
        for (const PointF& point : list)
            glVertex2f(point.x, point.y);
        glEnd();
        break;
    case Shape::Fill:
        glDisable(GL_TEXTURE_2D);
        if (list.size() >= 3)
            CGLPolygon().Tessellate(points);
        break;
    }
}

void LGLRenderer::DrawShape(Shape shape, PolylineT<float>& points, const ColorRGBA& color, const PointF& offset,
                            const PointF& scale, bool keep)
{
    if (!Target())
        return;
    ListCache& cache = shape == Shape::Lines      ? m_segmentCache
                       : shape == Shape::Polyline ? m_polylineCache
                       : shape == Shape::Outline  ? m_outlineCache
                                                  : m_fillCache;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(offset.x, offset.y, 0.0f);
    glScalef(scale.x, scale.y, 1.0f);
    SetColor(color);

    RCPtr<LGLDisplayList> compiling;
    if (keep)
    {
        const bool changed = points.IsChanged();
        points.ClearChanged();
        if (changed && shape == Shape::Outline)
            m_fillCache.Invalidate(points);
        else if (changed && shape == Shape::Fill)
            m_outlineCache.Invalidate(points);
        RCPtr<LGLDisplayList>& slot = cache.GetEntry(points, changed);
        if (slot)
        {
            const RCPtr<LGLDisplayList> list = slot;
            if (shape == Shape::Outline)
                SetColor(color);
            if (Succeeded(list->Call(0, 1)))
            {
                glPopMatrix();
                return;
            }
        }
        slot = LGLDisplayList::Create(1);
        compiling = slot;
        if (Failed(compiling->BeginCompile(0)))
            compiling = nullptr;
    }
    else
    {
        cache.Invalidate(points);
        if (shape == Shape::Outline)
            m_fillCache.Invalidate(points);
        else if (shape == Shape::Fill)
            m_outlineCache.Invalidate(points);
    }

    EmitShape(shape, points);
    if (compiling)
    {
        compiling->EndCompile();
        compiling->Call(0, 1);
    }
    glPopMatrix();
}

void LGLRenderer::DrawColorRectList(ColorRectListT<float>& rects, const PointD& offset, bool keep)
{
    if (!Target())
        return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glTranslatef(static_cast<float>(offset.x), static_cast<float>(offset.y), 0.0f);
    RCPtr<LGLDisplayList> compiling;
    if (keep)
    {
        const bool changed = rects.IsChanged();
        rects.ClearChanged();
        RCPtr<LGLDisplayList>& slot = m_colorRectCache.GetEntry(rects, changed);
        if (slot && Succeeded(RCPtr<LGLDisplayList>(slot)->Call(0, 1)))
        {
            glPopMatrix();
            return;
        }
        slot = LGLDisplayList::Create(1);
        compiling = slot;
        if (Failed(compiling->BeginCompile(0)))
            compiling = nullptr;
    }
    else
        m_colorRectCache.Invalidate(rects);

    const PointF scale = rects.GetScale();
    const auto& entries = rects.GetEntries();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    {
        const auto toInt = [](float value) { return RoundToInt(static_cast<double>(value)); };
        const RectL r{toInt(it->rect.x * scale.x), toInt(it->rect.y * scale.y), toInt(it->rect.width * scale.x),
                      toInt(it->rect.height * scale.y)};
        ColorRGBA color;
        color.FromARGB(it->argb);
        FillRect(r, color, true);
    }
    if (compiling)
    {
        compiling->EndCompile();
        compiling->Call(0, 1);
    }
    glPopMatrix();
}

// --- Bitmaps ---------------------------------------------------------------------------

void LGLRenderer::DrawBitmap(const ConstRCPtr<LBitmap>& bitmap, const RectL& destination, std::int32_t resizeType)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (!bitmap)
        Throw<FailedResultException>({"QK::LGLRenderer::DrawBitmap", kSource, 1104}, FormatResultCode(QK_E_INVALIDARG));
    const RectL& source = bitmap->GetRect();
    if (source.width == destination.width && source.height == destination.height)
        resizeType = kResizeStretch;
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (resizeType != kResizeStretch && resizeType != kResizeTile && resizeType != kResizeCenter)
        Throw<std::logic_error>({"QK::LGLRenderer::DrawBitmap", kSource, 1154}, "Invalid ResizeType passed to DrawBitmap!");
    if (!Target() || source.width <= 0 || source.height <= 0)
        return;

    RCPtr<LGLTexture>& slot = m_bitmapCache.GetEntry(bitmap, false);
    if (!slot || !slot->IsValid())
    {
        slot = RCPtr<LGLTexture>(new LGLTexture);
        slot->SetBitmap(bitmap);
    }
    const RCPtr<LGLTexture> texture = slot;
    SetColor({1.0f, 1.0f, 1.0f, 1.0f});

    const float from[4] = {static_cast<float>(source.x), static_cast<float>(source.y),
                           static_cast<float>(source.x + source.width), static_cast<float>(source.y + source.height)};
    const auto quad = [&](std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
        const float to[4] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(x + w),
                             static_cast<float>(y + h)};
        texture->Draw(from, to);
    };
    switch (resizeType)
    {
    case kResizeStretch:
        quad(destination.x, destination.y, destination.width, destination.height);
        break;
    case kResizeTile: {
        const std::int64_t right = std::int64_t{destination.x} + destination.width;
        const std::int64_t bottom = std::int64_t{destination.y} + destination.height;
        for (std::int64_t x = destination.x; x < right; x += source.width)
            for (std::int64_t y = destination.y; y < bottom; y += source.height)
                quad(x, y, source.width, source.height);
        break;
    }
    default:
        quad(std::int64_t{destination.x} + (std::int64_t{destination.width} - source.width) / 2,
             std::int64_t{destination.y} + (std::int64_t{destination.height} - source.height) / 2, source.width,
             source.height);
        break;
    }
}

// --- Copies from offscreen targets -----------------------------------------------------

QKRESULT LGLRenderer::DrawBitmapSection(const RCPtr<LRenderContextInfo>& source, const PointL& destination,
                                        const RectL& sourceRect)
{
    const auto* info = dynamic_cast<const LGLRenderContextInfo*>(source.Get());
    if (!info || !info->IsOffscreen())
        return QK_E_INVALIDARG;
    const RectL& size = info->GetViewport();
    const float width = size.width > 0 ? static_cast<float>(size.width) : 1.0f;
    const float height = size.height > 0 ? static_cast<float>(size.height) : 1.0f;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, info->GetTexture());
    SetColor({1.0f, 1.0f, 1.0f, 1.0f});
    const auto x = static_cast<float>(destination.x);
    const auto y = static_cast<float>(destination.y);
    const float sLeft = static_cast<float>(sourceRect.x) / width;
    const float sRight = static_cast<float>(sourceRect.x + sourceRect.width) / width;
    const float tTop = (height - static_cast<float>(sourceRect.y)) / height;
    const float tBottom = (height - static_cast<float>(sourceRect.y + sourceRect.height)) / height;
    glBegin(GL_QUADS);
    glTexCoord2f(sLeft, tTop);
    glVertex2f(x, y);
    glTexCoord2f(sLeft, tBottom);
    glVertex2f(x, y + static_cast<float>(sourceRect.height));
    glTexCoord2f(sRight, tBottom);
    glVertex2f(x + static_cast<float>(sourceRect.width), y + static_cast<float>(sourceRect.height));
    glTexCoord2f(sRight, tTop);
    glVertex2f(x + static_cast<float>(sourceRect.width), y);
    glEnd();
    return QK_OK;
}

QKRESULT LGLRenderer::CopyBitmap(const RCPtr<LRenderContextInfo>& source, const PointL& point)
{
    auto* info = dynamic_cast<LGLRenderContextInfo*>(source.Get());
    if (!info || !info->IsOffscreen())
        return QK_E_INVALIDARG;
    RenderStart(source);
    const RectL& size = info->GetViewport();
    const RectD area{static_cast<double>(size.x), static_cast<double>(size.y), static_cast<double>(size.width),
                     static_cast<double>(size.height)};
    PushStencil(area, area, RCPtr<LStencil>(), true);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, info->GetTexture());
    SetColor({1.0f, 1.0f, 1.0f, 1.0f});
    glBlendFunc(GL_ONE, GL_ZERO);
    const auto x = static_cast<float>(point.x);
    const auto y = static_cast<float>(point.y);
    const auto w = static_cast<float>(size.width);
    const auto h = static_cast<float>(size.height);
    glBegin(GL_QUADS);
    glTexCoord2f(x / std::max(w, 1.0f), 1.0f);
    glVertex2f(x, y);
    glTexCoord2f(x / std::max(w, 1.0f), 0.0f);
    glVertex2f(x, y + h);
    glTexCoord2f((x + w) / std::max(w, 1.0f), 0.0f);
    glVertex2f(x + w, y + h);
    glTexCoord2f((x + w) / std::max(w, 1.0f), 1.0f);
    glVertex2f(x + w, y);
    glEnd();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    PopState();
    RenderFinish(source);
    return QK_OK;
}

} // namespace QK
