// Installs render-application services for one scope: a measurement renderer of the
// test's choosing (the system one when none is given), a clock the test sets and a screen
// resolution. Whatever was installed before returns when the scope ends.
#pragma once

#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Renderer/RenderApp.h"

#include <cstdint>
#include <utility>

namespace QK::TestSupport
{

class ScopedRenderApp final : public DefaultRenderAppServices
{
public:
    explicit ScopedRenderApp(ConstRCPtr<LMeasurementRenderer> renderer = nullptr)
        : m_renderer(std::move(renderer)), m_previous(LRenderApp::GetServices())
    {
        LRenderApp::SetServices(this);
    }
    ScopedRenderApp(const ScopedRenderApp&) = delete;
    ScopedRenderApp& operator=(const ScopedRenderApp&) = delete;
    ~ScopedRenderApp() { LRenderApp::SetServices(m_previous); }

    ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer() const override
    {
        return m_renderer ? m_renderer : DefaultRenderAppServices::GetMeasurementRenderer();
    }
    std::uint32_t GetTimeMs() const override { return m_timeMs; }
    std::int32_t GetScreenResolution() const override { return m_resolution; }

    void SetTimeMs(std::uint32_t timeMs) { m_timeMs = timeMs; }
    void SetScreenResolution(std::int32_t dpi) { m_resolution = dpi; }

private:
    ConstRCPtr<LMeasurementRenderer> m_renderer;
    const IRenderAppServices* m_previous;
    std::uint32_t m_timeMs = 0;
    std::int32_t m_resolution = 0;
};

} // namespace QK::TestSupport
