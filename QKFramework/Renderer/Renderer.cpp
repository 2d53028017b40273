#include "QKFramework/Renderer/Renderer.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Renderer/D3D9Renderer.h"
#include "QKFramework/Renderer/FontRenderer/FontRenderer.h"
#include "QKFramework/Renderer/Gdi/GDIRenderer.h"
#include "QKFramework/Renderer/OpenGL/GLGlyphRenderer.h"
#include "QKFramework/Renderer/OpenGL/GLRenderer.h"

#include <algorithm>
#include <cmath>

namespace QK
{

namespace
{

constexpr const char* kSource = "Renderer\\Renderer";

PointD RoundHalfAway(const PointD& point)
{
    return {std::round(point.x), std::round(point.y)};
}

} // namespace

RCPtr<LRenderer> LRenderer::Create(std::int32_t kind, std::intptr_t option)
{
    switch (kind)
    {
    case kRendererOpenGL: {
        // One glyph renderer serves as both of the font renderer's processors.
        const RCPtr<LGLGlyphRenderer> glyphs(new LGLGlyphRenderer);
        const ConstRCPtr<LGlyphProcessor> processor(glyphs.Get());
        const RCPtr<LFontRenderer> fonts(new LFreetypeFontRenderer(processor, processor));
        return RCPtr<LRenderer>(new LGLRenderer(fonts, static_cast<std::uintptr_t>(option)));
    }
    case kRendererGdiPlus:
        return RCPtr<LRenderer>(new LGDIRenderer);
    case kRendererDirect3D9:
        return RCPtr<LRenderer>(new LD3D9Renderer);
    default:
        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        Throw<std::domain_error>({"QK::LRenderer::Create", kSource, 129});
    }
}

LRenderContextInfo* LRenderer::GetCurrentContext() const
{
    return m_contexts.empty() ? nullptr : m_contexts.back().Get();
}

QKRESULT LRenderer::SetViewport(const RectL& viewport)
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->SetViewport(viewport);
    return QK_OK;
}

QKRESULT LRenderer::SetStencil(const RCPtr<LStencil>& stencil)
{
    if (LRenderContextInfo* context = GetCurrentContext())
    {
        if (!(context->GetState().stencil == stencil))
            context->GetState().stencil = stencil;
    }
    return QK_OK;
}

QKRESULT LRenderer::RenderStart(const RCPtr<LRenderContextInfo>& context)
{
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    if (!context)
        Throw<std::runtime_error>({"QK::LRenderer::RenderStart", kSource, 232}, "Render context is NULL");
    if (std::find(m_contexts.begin(), m_contexts.end(), context) != m_contexts.end())
        Throw<std::runtime_error>({"QK::LRenderer::RenderStart", kSource, 238}, "Render context reentered.");
    m_contexts.push_back(context);
    return QK_OK;
}

QKRESULT LRenderer::RenderFinish(const RCPtr<LRenderContextInfo>& context)
{
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (GetCurrentContext() != context.Get())
        Throw<std::runtime_error>({"QK::LRenderer::RenderFinish", kSource, 251},
                                  "RenderFinish context does not match RenderStart context");
    if (!m_contexts.empty())
        m_contexts.pop_back();
    return QK_OK;
}

void LRenderer::FillAndFrameRect(const RectL& rect, const ColorRGBA& fill, const ColorRGBA& frame, float lineWidth)
{
    if (fill.a > 0.0f)
        FillRect(rect, fill, true);
    if (frame.a > 0.0f)
        FrameRect(rect, frame, lineWidth);
}

void LRenderer::PushTranslation(const PointD& offset)
{
    // Held for the calls below, which a back end may override.
    const RCPtr<LRenderContextInfo> context(GetCurrentContext());
    if (!context || context->GetStateStack().empty())
        return;
    context->GetStateStack().push_back(context->GetState());
    const PointD rounded = RoundHalfAway(offset);
    Translate(rounded);
    RectD& clip = context->GetState().clip;
    clip.x -= rounded.x;
    clip.y -= rounded.y;
}

void LRenderer::PushStencil(const RectD& bounds, const RectD& clip, const RCPtr<LStencil>& stencil, bool intersect)
{
    const RCPtr<LRenderContextInfo> context(GetCurrentContext());
    if (!context)
        return;
    RenderState& state = context->GetState();

    PointD origin{bounds.x, bounds.y};
    if (!intersect)
    {
        origin.x -= state.translation.x;
        origin.y -= state.translation.y;
    }
    origin = RoundHalfAway(origin);
    context->GetStateStack().push_back(state);

    RectD area = clip;
    if (intersect)
    {
        RectD::Intersect(area, area, bounds);
        RectD::Intersect(area, area, state.clip);
    }
    area.SnapToPixels();
    SetClipRect(area);
    Translate(origin);
    if (intersect)
    {
        state.clip.x -= origin.x;
        state.clip.y -= origin.y;
    }

    if (stencil)
    {
        if (state.stencilSet)
            SetStencil(stencil->Derive());
        else
        {
            SetStencil(stencil);
            state.stencilSet = true;
        }
    }
}

void LRenderer::PushState()
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->GetStateStack().push_back(context->GetState());
}

void LRenderer::PopState()
{
    const RCPtr<LRenderContextInfo> context(GetCurrentContext());
    if (!context || context->GetStateStack().empty())
        return;
    const RenderState saved = context->GetStateStack().back();
    context->GetStateStack().pop_back();
    RenderState& state = context->GetState();

    Translate({saved.translation.x - state.translation.x, saved.translation.y - state.translation.y});
    // The difference, added back, need not give the saved value to the last bit.
    state.translation = saved.translation;
    state.opacity = saved.opacity;
    SetClipRect(saved.clip);
    SetStencil(saved.stencil);
    state.stencilSet = saved.stencilSet;
}

QKRESULT LRenderer::SetClipRect(const RectD& clip)
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->GetState().clip = clip;
    return QK_OK;
}

QKRESULT LRenderer::Translate(const PointD& offset)
{
    if (LRenderContextInfo* context = GetCurrentContext())
    {
        PointD& translation = context->GetState().translation;
        translation.x += offset.x;
        translation.y += offset.y;
    }
    return QK_OK;
}

PointD LRenderer::GetTranslation() const
{
    const LRenderContextInfo* context = GetCurrentContext();
    return context ? context->GetState().translation : RenderState().translation;
}

RectD LRenderer::GetClipRect() const
{
    const LRenderContextInfo* context = GetCurrentContext();
    return context ? context->GetState().clip : RenderState().clip;
}

float LRenderer::GetOpacity() const
{
    const LRenderContextInfo* context = GetCurrentContext();
    return context ? context->GetState().opacity : RenderState().opacity;
}

void LRenderer::SetOpacity(float opacity)
{
    if (LRenderContextInfo* context = GetCurrentContext())
        context->GetState().opacity = opacity;
}

// --- Scope guards ---------------------------------------------------------------------

CAutoRenderState::CAutoRenderState(const RCPtr<LRenderer>& renderer) : m_renderer(renderer)
{
    if (m_renderer)
        m_renderer->PushState();
}

CAutoRenderState::~CAutoRenderState()
{
    if (m_renderer)
        m_renderer->PopState();
}

CAutoStencilClip::CAutoStencilClip(const RCPtr<LRenderer>& renderer, const RectD& bounds, const RectD& clip,
                                   const RCPtr<LStencil>& stencil, bool intersect)
    : m_renderer(renderer)
{
    if (m_renderer)
        m_renderer->PushStencil(bounds, clip, stencil, intersect);
}

CAutoStencilClip::~CAutoStencilClip()
{
    if (m_renderer)
        m_renderer->PopState();
}

CAutoClip::CAutoClip(const RCPtr<LRenderer>& renderer, const ClipDescription& description) : m_renderer(renderer)
{
    switch (description.flavor)
    {
    case ClipDescription::kState:
        if (m_renderer)
            m_renderer->PushState();
        break;
    case ClipDescription::kStencil:
        if (m_renderer)
            m_renderer->PushStencil(description.bounds, description.clip, description.stencil, description.intersect);
        break;
    case ClipDescription::kTranslation:
        if (m_renderer)
            m_renderer->PushTranslation(description.offset);
        break;
    default:
        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        Throw<std::runtime_error>({"QK::CAutoClip::CAutoClip", kSource, 405}, "Unknown PushClip flavor");
    }
}

CAutoClip::~CAutoClip()
{
    if (m_renderer)
        m_renderer->PopState();
}

} // namespace QK
