// A drawing back end for tests that draws for real (on the platform's surfaces) and writes
// down every surface call, one line per call, so a test sees both the pixels and which path
// the renderer took. Lines read, for example:
//   CreateSurface(25x25)
//   CreatePremultipliedImageView(10x10)
//   DrawImage(0,0,10,10->20,10,10,10)
//   FillWithImage(0,0,10,10->0,0,40,40)
//   WritePixels(1,2,3,4,00000000)
//   Present(7:2 rects)
#pragma once

#include "QKFramework/Platform/Render/DrawingSurface.h"

#include <string>
#include <vector>

namespace QK::TestSupport
{

class RecordingDrawingBackend final : public IDrawingBackend
{
public:
    std::unique_ptr<IDrawingSurface> CreateSurface(std::int32_t width, std::int32_t height) override;
    std::unique_ptr<IDrawingSurface> CreateImage(const std::uint32_t* pixels, std::int32_t width, std::int32_t height,
                                                 std::int32_t stride) override;
    std::unique_ptr<IDrawingSurface> CreatePremultipliedImageView(std::shared_ptr<const void> owner,
                                                           const std::uint32_t* pixels, std::int32_t width,
                                                           std::int32_t height, std::int32_t stride) override;
    void Present(std::uintptr_t window, const IDrawingSurface& surface, const std::vector<RectL>& rects) override;

    const std::vector<std::string>& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    // Calls whose line begins with prefix.
    std::size_t Count(const std::string& prefix) const;
    void Record(std::string line) { m_calls.push_back(std::move(line)); }

    // What each Present was given, in order.
    struct Presented
    {
        std::uintptr_t window;
        std::vector<RectL> rects;
    };
    const std::vector<Presented>& PresentedRects() const { return m_presented; }

private:
    std::vector<std::string> m_calls;
    std::vector<Presented> m_presented;
};

} // namespace QK::TestSupport
