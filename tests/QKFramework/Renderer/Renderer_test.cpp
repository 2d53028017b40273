#include "QKFramework/Renderer/Renderer.h"

#include "tests/support/Render/RecordingMessageService.h"
#include "tests/support/Render/RecordingRenderer.h"
#include "tests/support/Render/ScopedRenderApp.h"
#include "tests/support/Render/RenderTestValues.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

using TestSupport::Argb;
using TestSupport::ThrownText;

using TestSupport::RecordingRenderer;
using Calls = std::vector<std::string>;

constexpr double kOrigin = RenderState::kUnboundedClipOrigin;
constexpr double kExtent = RenderState::kUnboundedClipExtent;

class RendererTest : public ::testing::Test
{
protected:
    RendererTest()
    {
        m_renderer->InitRenderContextInfo({0, 0, 200, 100}, 0, false, m_context);
        m_renderer->RenderStart(m_context);
        m_renderer->ClearCalls();
    }

    RCPtr<RecordingRenderer> m_renderer{new RecordingRenderer()};
    RCPtr<LRenderContextInfo> m_context;
};

struct StateCase
{
    const char* name;
    std::function<void(RecordingRenderer&)> setUp;  // not logged
    std::function<void(RecordingRenderer&)> script; // logged
    Calls calls;
    PointD translation;
    RectD clip;
    std::size_t savedStates;
};

void PrintTo(const StateCase& c, std::ostream* os)
{
    *os << c.name;
}

class RendererStateTest : public RendererTest, public ::testing::WithParamInterface<StateCase>
{
};

TEST_P(RendererStateTest, FollowsTheStateStackRules)
{
    const StateCase& c = GetParam();
    if (c.setUp)
        c.setUp(*m_renderer);
    m_renderer->ClearCalls();
    c.script(*m_renderer);
    EXPECT_EQ(m_renderer->Calls(), c.calls);
    EXPECT_EQ(m_renderer->GetTranslation(), c.translation);
    EXPECT_EQ(m_renderer->GetClipRect(), c.clip);
    EXPECT_EQ(m_context->GetStateStack().size(), c.savedStates);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RendererStateTest,
    ::testing::Values(
        StateCase{"translation rounds half away from zero and the clip moves back",
                  [](RecordingRenderer& r) { r.PushState(); },
                  [](RecordingRenderer& r) { r.PushTranslation({2.5, -2.5}); },
                  {"PushTranslation(2.5,-2.5)", "Translate(3,-3)"},
                  {3, -3},
                  {kOrigin - 3, kOrigin + 3, kExtent, kExtent},
                  2},
        StateCase{"translation with no saved state does nothing, nor does its pop",
                  nullptr,
                  [](RecordingRenderer& r) {
                      r.PushTranslation({2.5, -2.5});
                      r.PopState();
                  },
                  {"PushTranslation(2.5,-2.5)", "PopState"},
                  {0, 0},
                  {kOrigin, kOrigin, kExtent, kExtent},
                  0},
        StateCase{"intersecting stencil clip: within bounds and clip, snapped, then moved",
                  [](RecordingRenderer& r) {
                      r.Translate({10, 20});
                      r.SetClipRect({0, 0, 100, 100});
                  },
                  [](RecordingRenderer& r) { r.PushStencil({5.4, 5.6, 50, 50}, {0, 0, 30.7, 200}, nullptr, true); },
                  {"PushStencil(5.4,5.6,50,50,0,0,30.7,200,#0,intersect)", "SetClipRect(5,5,25,50)", "Translate(5,6)"},
                  {15, 26},
                  {0, -1, 25, 50},
                  1},
        StateCase{"replacing stencil clip: bounds in target coordinates, clip as given",
                  [](RecordingRenderer& r) { r.Translate({10, 20}); },
                  [](RecordingRenderer& r) { r.PushStencil({14.5, 20, 8, 8}, {3.5, 4, -2, 6}, nullptr, false); },
                  {"PushStencil(14.5,20,8,8,3.5,4,-2,6,#0,replace)", "SetClipRect(1,4,2,6)", "Translate(5,0)"},
                  {15, 20},
                  {1, 4, 2, 6},
                  1},
        StateCase{"pop restores exactly what the push saved",
                  [](RecordingRenderer& r) {
                      r.Translate({7.25, 8});
                      r.SetClipRect({1, 2, 3, 4});
                  },
                  [](RecordingRenderer& r) {
                      r.PushStencil({0.4, 0.6, 9, 9}, {0, 0, 9, 9}, nullptr, true);
                      r.PopState();
                  },
                  {"PushStencil(0.4,0.6,9,9,0,0,9,9,#0,intersect)", "SetClipRect(1,2,3,4)", "Translate(0,1)",
                   "PopState", "Translate(0,-1)", "SetClipRect(1,2,3,4)", "SetStencil(null)"},
                  {7.25, 8},
                  {1, 2, 3, 4},
                  0},
        StateCase{"a pushed translation pops back to the saved one",
                  [](RecordingRenderer& r) { r.PushState(); },
                  [](RecordingRenderer& r) {
                      r.PushTranslation({-0.5, 1.49});
                      r.PopState();
                  },
                  {"PushTranslation(-0.5,1.49)", "Translate(-1,1)", "PopState", "Translate(1,-1)",
                   "SetClipRect(-5000000136282112,-5000000136282112,10000000272564224,10000000272564224)",
                   "SetStencil(null)"},
                  {0, 0},
                  {kOrigin, kOrigin, kExtent, kExtent},
                  1}));

TEST_F(RendererTest, StencilsAreGivenOnceThenDerived)
{
    const RCPtr<LStencil> first(new LStencil(8, 8));
    const RCPtr<LStencil> second(new LStencil(4, 6));
    m_renderer->StencilNumber(first.Get());  // #1
    m_renderer->StencilNumber(second.Get()); // #2
    m_renderer->SetOpacity(0.5f);

    m_renderer->PushStencil({0, 0, 10, 10}, {0, 0, 10, 10}, first, true);
    EXPECT_EQ(m_context->GetState().stencil, first);
    EXPECT_TRUE(m_context->GetState().stencilSet);
    m_renderer->SetOpacity(0.25f);

    m_renderer->PushStencil({0, 0, 10, 10}, {0, 0, 10, 10}, second, true);
    const RCPtr<LStencil> derived = m_context->GetState().stencil;
    ASSERT_TRUE(derived);
    EXPECT_FALSE(derived == second);
    EXPECT_FALSE(derived == first);
    EXPECT_EQ(derived->GetWidth(), 4);
    EXPECT_EQ(derived->GetHeight(), 6);
    EXPECT_EQ(derived->GetRect(), (RectL{0, 0, 4, 6}));
    EXPECT_EQ(m_renderer->Calls().back(), "SetStencil(#3 4x6)");

    m_renderer->PopState();
    EXPECT_EQ(m_context->GetState().stencil, first);
    EXPECT_TRUE(m_context->GetState().stencilSet);
    EXPECT_EQ(m_renderer->GetOpacity(), 0.25f);
    EXPECT_EQ(m_renderer->Calls().back(), "SetStencil(#1 8x8)");

    m_renderer->PopState();
    EXPECT_FALSE(m_context->GetState().stencil);
    EXPECT_FALSE(m_context->GetState().stencilSet);
    EXPECT_EQ(m_renderer->GetOpacity(), 0.5f);
    EXPECT_EQ(m_renderer->Calls().back(), "SetStencil(null)");
}

TEST_F(RendererTest, StartAndFinishRefuseWhatDoesNotPair)
{
    RCPtr<LRenderContextInfo> other;
    m_renderer->InitRenderContextInfo({0, 0, 10, 10}, 0, true, other);

    EXPECT_EQ(ThrownText([&] { m_renderer->RenderStart(nullptr); }),
              "Runtime Error : Render context is NULL : QK::LRenderer::RenderStart : Renderer\\Renderer : Line 232");
    EXPECT_EQ(ThrownText([&] { m_renderer->RenderStart(m_context); }),
              "Runtime Error : Render context reentered. : QK::LRenderer::RenderStart : Renderer\\Renderer : Line 238");
    const std::string mismatch = "Runtime Error : RenderFinish context does not match RenderStart context : "
                                 "QK::LRenderer::RenderFinish : Renderer\\Renderer : Line 251";
    EXPECT_EQ(ThrownText([&] { m_renderer->RenderFinish(other); }), mismatch);
    EXPECT_EQ(m_renderer->GetContextDepth(), 1u);
    EXPECT_EQ(m_renderer->GetCurrentContext(), m_context.Get());

    // Nested: the inner context is current until it finishes.
    m_renderer->RenderStart(other);
    EXPECT_EQ(m_renderer->GetCurrentContext(), other.Get());
    EXPECT_EQ(ThrownText([&] { m_renderer->RenderFinish(m_context); }), mismatch);
    EXPECT_EQ(m_renderer->GetContextDepth(), 2u);
    EXPECT_EQ(m_renderer->RenderFinish(other), QK_OK);
    EXPECT_EQ(m_renderer->GetCurrentContext(), m_context.Get());
    EXPECT_EQ(m_renderer->RenderFinish(m_context), QK_OK);
    EXPECT_EQ(m_renderer->GetContextDepth(), 0u);

    // Finishing nothing with nothing started is no mismatch; a context is.
    EXPECT_EQ(m_renderer->RenderFinish(nullptr), QK_OK);
    EXPECT_EQ(ThrownText([&] { m_renderer->RenderFinish(m_context); }), mismatch);
    EXPECT_EQ(m_context->GetRefCount(), 1);
}

TEST_F(RendererTest, StateOperationsOutsideAPaintDoNothing)
{
    m_renderer->RenderFinish(m_context);
    const RenderState defaults;
    const RCPtr<LStencil> stencil(new LStencil(2, 2));
    m_renderer->PushState();
    m_renderer->Translate({4, 5});
    m_renderer->SetClipRect({1, 2, 3, 4});
    m_renderer->SetStencil(stencil);
    m_renderer->SetOpacity(0.5f);
    m_renderer->SetViewport({1, 1, 1, 1});
    m_renderer->PushStencil({1, 1, 5, 5}, {1, 1, 5, 5}, stencil, true);
    m_renderer->PushTranslation({3, 3});
    m_renderer->PopState();

    EXPECT_EQ(m_renderer->GetTranslation(), defaults.translation);
    EXPECT_EQ(m_renderer->GetClipRect(), defaults.clip);
    EXPECT_EQ(m_renderer->GetOpacity(), 1.0f);
    EXPECT_EQ(m_context->GetState().translation, defaults.translation);
    EXPECT_TRUE(m_context->GetStateStack().empty());
    EXPECT_EQ(m_context->GetViewport(), (RectL{0, 0, 200, 100}));
    EXPECT_FALSE(m_context->GetState().stencil);
}

TEST(RenderStateTest, DefaultsAreTheUnboundedSinglePrecisionClip)
{
    const RenderState state;
    EXPECT_EQ(state.translation, (PointD{0, 0}));
    EXPECT_EQ(state.clip.x, -5000000136282112.0);
    EXPECT_EQ(state.clip.y, -5000000136282112.0);
    EXPECT_EQ(state.clip.width, 10000000272564224.0);
    EXPECT_EQ(state.clip.height, 10000000272564224.0);
    EXPECT_EQ(state.opacity, 1.0f);
    EXPECT_FALSE(state.stencilSet);
    EXPECT_FALSE(state.stencil);
}

TEST(RendererCreateTest, UnknownKindsAreADomainError)
{
    for (const std::int32_t kind : {3, -1, 100})
        EXPECT_EQ(ThrownText([&] { LRenderer::Create(kind, 0); }),
                  "Domain Error : QK::LRenderer::Create : Renderer\\Renderer : Line 129")
            << kind;
    for (const std::int32_t kind : {kRendererGdiPlus, kRendererDirect3D9})
        EXPECT_NO_THROW(LRenderer::Create(kind, 0)) << kind;
}

TEST(RendererCreateTest, AnOpenGLRendererWithoutAContextShowsTheErrorBoxAndThrows)
{
    TestSupport::ScopedRenderApp app;
    app.SetApplicationString(u"GL_ERROR_CAPTION", u"OpenGL Error");
    app.SetApplicationString(u"GL_ERROR_MESSAGE_CREATE_CONTEXT", u"wglCreateContext failed.");
    app.SetApplicationString(u"GL_ERROR_UPDATE_DRIVER", u" Update the driver.");
    TestSupport::RecordingMessageService messages;
    // No window opened for OpenGL has the handle 0.
    EXPECT_EQ(ThrownText([&] { LRenderer::Create(kRendererOpenGL, 0); }),
              "Runtime Error : QK::LGLRenderer::LGLRenderer : Renderer\\OpenGL\\GLRenderer : Line 173");
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].caption, u"OpenGL Error");
    EXPECT_EQ(messages.messages[0].text, u"wglCreateContext failed. Update the driver.");
    EXPECT_EQ(messages.messages[0].icon, IMessageService::kIconWarning);
}

TEST_F(RendererTest, FillAndFrameDrawOnlyTheVisibleParts)
{
    const struct
    {
        std::uint32_t fill, frame;
        Calls calls;
    } cases[] = {
        {0x00FF0000, 0x000000FF, {}},
        {0x01FF0000, 0x000000FF, {"FillRect(1,2,3,4,01FF0000,blend)"}},
        {0x00FF0000, 0x800000FF, {"FrameRect(1,2,3,4,800000FF,w2)"}},
        {0xFFFF0000, 0xFF0000FF, {"FillRect(1,2,3,4,FFFF0000,blend)", "FrameRect(1,2,3,4,FF0000FF,w2)"}},
    };
    for (const auto& c : cases)
    {
        m_renderer->ClearCalls();
        m_renderer->FillAndFrameRect({1, 2, 3, 4}, Argb(c.fill), Argb(c.frame), 2.0f);
        Calls drawn(m_renderer->Calls().begin() + 1, m_renderer->Calls().end());
        EXPECT_EQ(drawn, c.calls) << std::hex << c.fill << " " << c.frame;
    }
}

TEST_F(RendererTest, ScopeGuardsPushByFlavourAndPopOnExit)
{
    m_renderer->PushState();
    const RCPtr<LRenderer> renderer(m_renderer);
    const RCPtr<LStencil> stencil(new LStencil(3, 3));
    m_renderer->StencilNumber(stencil.Get());
    const struct
    {
        ClipDescription description;
        Calls calls;
    } cases[] = {
        {{ClipDescription::kState, {}, {}, {}, true, {}},
         {"PushState", "PopState", "Translate(0,0)",
          "SetClipRect(-5000000136282112,-5000000136282112,10000000272564224,10000000272564224)",
          "SetStencil(null)"}},
        {{ClipDescription::kStencil, {1, 1, 4, 4}, {0, 0, 9, 9}, stencil, true, {}},
         {"PushStencil(1,1,4,4,0,0,9,9,#1,intersect)", "SetClipRect(1,1,4,4)", "Translate(1,1)", "SetStencil(#1 3x3)",
          "PopState", "Translate(-1,-1)",
          "SetClipRect(-5000000136282112,-5000000136282112,10000000272564224,10000000272564224)",
          "SetStencil(null)"}},
        {{ClipDescription::kTranslation, {}, {}, {}, true, {2.5, 0.4}},
         {"PushTranslation(2.5,0.4)", "Translate(3,0)", "PopState", "Translate(-3,0)",
          "SetClipRect(-5000000136282112,-5000000136282112,10000000272564224,10000000272564224)",
          "SetStencil(null)"}},
    };
    for (const auto& c : cases)
    {
        m_renderer->ClearCalls();
        {
            const CAutoClip clip(renderer, c.description);
        }
        EXPECT_EQ(m_renderer->Calls(), c.calls) << c.description.flavor;
        EXPECT_EQ(m_context->GetStateStack().size(), 1u);
    }

    m_renderer->ClearCalls();
    ClipDescription unknown;
    unknown.flavor = 3;
    EXPECT_EQ(ThrownText([&] { CAutoClip clip(renderer, unknown); }),
              "Runtime Error : Unknown PushClip flavor : QK::CAutoClip::CAutoClip : Renderer\\Renderer : Line 405");
    EXPECT_TRUE(m_renderer->Calls().empty());

    {
        const CAutoRenderState state(renderer);
        const CAutoStencilClip clip(renderer, {0, 0, 5, 5}, {0, 0, 5, 5});
        EXPECT_EQ(m_context->GetStateStack().size(), 3u);
    }
    EXPECT_EQ(m_context->GetStateStack().size(), 1u);
}

TEST(DrawingListTest, HandlesAreNeverReusedAndEveryEditMarksAChange)
{
    PolylineT<float> first;
    PolylineT<float> second;
    EXPECT_NE(first.GetHandle(), 0u);
    EXPECT_GT(second.GetHandle(), first.GetHandle());
    EXPECT_TRUE(first.IsChanged());

    const std::function<void(PolylineT<float>&)> edits[] = {
        [](PolylineT<float>& p) { p.AddPoint({1, 2}); },
        [](PolylineT<float>& p) { p.SetPoint(0, {3, 4}); },
        [](PolylineT<float>& p) { p.SetLineWidth(2.0f); },
        [](PolylineT<float>& p) { p.SetPoints({{0, 0}, {1, 1}}); },
        [](PolylineT<float>& p) { p.RemoveAll(); },
    };
    first.AddPoint({0, 0});
    for (const auto& edit : edits)
    {
        first.ClearChanged();
        edit(first);
        EXPECT_TRUE(first.IsChanged());
    }
    first.ClearChanged();
    first.SetPoint(7, {1, 1});
    EXPECT_FALSE(first.IsChanged());

    // A copy is a list of its own; an assigned list keeps its handle but counts as changed.
    first.AddPoint({5, 5});
    first.ClearChanged();
    const PolylineT<float> copy(first);
    EXPECT_NE(copy.GetHandle(), first.GetHandle());
    EXPECT_TRUE(copy.IsChanged());
    EXPECT_EQ(copy.GetPoints(), first.GetPoints());
    const std::uint64_t handle = second.GetHandle();
    second.ClearChanged();
    second = first;
    EXPECT_EQ(second.GetHandle(), handle);
    EXPECT_TRUE(second.IsChanged());

    ColorRectListT<float> rects;
    EXPECT_TRUE(rects.IsChanged());
    EXPECT_GT(rects.GetHandle(), handle);
    rects.ClearChanged();
    rects.Add({0, 0, 1, 1}, 0xFF00FF00u);
    EXPECT_TRUE(rects.IsChanged());
    rects.ClearChanged();
    rects.SetScale({2, 2});
    EXPECT_TRUE(rects.IsChanged());
    EXPECT_EQ(rects.GetEntries().front().argb, 0xFF00FF00u);
}

} // namespace
} // namespace QK
