// Installs render-application services for one scope: a measurement renderer of the
// test's choosing (the system one when none is given), a clock the test sets, a screen
// resolution, and optionally a system font and application strings. Whatever was installed before returns when the scope ends.
#pragma once

#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Renderer/RenderApp.h"

#include "QKFramework/Utilities/Storage/StringArray.h"

#include <cstdint>
#include <optional>
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

    QKRESULT GetSystemFont(WString& family, float& size, std::int32_t& style) const override
    {
        if (!m_systemFamily)
            return DefaultRenderAppServices::GetSystemFont(family, size, style);
        family = *m_systemFamily;
        size = 9.0f;
        style = 0;
        return QK_OK;
    }
    bool GetApplicationString(const char16_t* key, WString& text) const override
    {
        return FindStringMapValue(m_strings, key, text);
    }

    void SetTimeMs(std::uint32_t timeMs) { m_timeMs = timeMs; }
    // The system font's family from now on (at 9 points, regular).
    void SetSystemFamily(const WString& family) { m_systemFamily = family; }
    void SetApplicationString(const char16_t* key, const char16_t* text) { m_strings[WString(key)] = WString(text); }
    void SetScreenResolution(std::int32_t dpi) { m_resolution = dpi; }

private:
    ConstRCPtr<LMeasurementRenderer> m_renderer;
    const IRenderAppServices* m_previous;
    std::uint32_t m_timeMs = 0;
    std::int32_t m_resolution = 0;
    std::optional<WString> m_systemFamily;
    StringMap m_strings;
};

} // namespace QK::TestSupport
