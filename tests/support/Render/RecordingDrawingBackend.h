// A drawing back end for tests that draws for real (on the platform's surfaces) and writes
// down every surface call, one line per call, so a test sees both the pixels and which path
// the renderer took. Lines read, for example:
//   CreateSurface(25x25)
//   CreatePremultipliedImageView(10x10)
//   DrawImage(0,0,10,10->20,10,10,10)
//   FillWithImage(0,0,10,10->0,0,40,40)
//   WritePixels(1,2,3,4,00000000)
//   PrepareWindowSurface(7)
//   CreateWindowSurface(64x64)
//   Present(7:2 rects)
// Window surfaces come from the platform's back end (none without a real window) unless the
// test offers window pictures of its own, which stand for a window's picture until the test
// replaces them as a window system does on a resize.
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
    std::unique_ptr<IDrawingSurface> CreateWindowSurface(std::uintptr_t window, std::int32_t width,
                                                         std::int32_t height) override;
    void PrepareWindowSurface(std::uintptr_t window) override;
    bool DrawsIntoWindow(std::uintptr_t window, const IDrawingSurface& surface) override;
    void Present(std::uintptr_t window, const IDrawingSurface& surface, const std::vector<RectL>& rects) override;

    // From now on CreateWindowSurface gives a surface of its own as the window's picture
    // (offer), or asks the platform's back end again.
    void OfferWindowPictures(bool offer) { m_offerWindowPictures = offer; }
    // The window pictures given so far are replaced: DrawsIntoWindow is false for them.
    void ReplaceWindowPictures() { ++m_windowPictureGeneration; }

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
    bool m_offerWindowPictures = false;
    int m_windowPictureGeneration = 0;
    std::vector<std::string> m_calls;
    std::vector<Presented> m_presented;
};

} // namespace QK::TestSupport
