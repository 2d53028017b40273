#include "tests/support/Render/RecordingDrawingBackend.h"

#include <cstdio>

namespace QK::TestSupport
{

namespace
{

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

template <class Rect> std::string RectText(const Rect& rect)
{
    return Number(rect.x) + "," + Number(rect.y) + "," + Number(rect.width) + "," + Number(rect.height);
}

std::string Hex(std::uint32_t argb)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", argb);
    return text;
}

class RecordingSurface final : public IDrawingSurface
{
public:
    // windowPicture: the generation of the test's window pictures this surface stands for;
    // -1 for any other surface.
    RecordingSurface(RecordingDrawingBackend& log, std::unique_ptr<IDrawingSurface> inner, int windowPicture = -1)
        : m_log(log), m_inner(std::move(inner)), m_windowPicture(windowPicture)
    {
    }

    static const IDrawingSurface& Inner(const IDrawingSurface& surface)
    {
        const auto* recording = dynamic_cast<const RecordingSurface*>(&surface);
        return recording ? *recording->m_inner : surface;
    }
    static int WindowPicture(const IDrawingSurface& surface)
    {
        const auto* recording = dynamic_cast<const RecordingSurface*>(&surface);
        return recording ? recording->m_windowPicture : -1;
    }

    std::int32_t GetWidth() const override { return m_inner->GetWidth(); }
    std::int32_t GetHeight() const override { return m_inner->GetHeight(); }
    void SetTranslation(double x, double y) override
    {
        m_log.Record("SetTranslation(" + Number(x) + "," + Number(y) + ")");
        m_inner->SetTranslation(x, y);
    }
    void SetClipRect(float x, float y, float width, float height) override
    {
        m_log.Record("SetClipRect(" + RectText(RectF{x, y, width, height}) + ")");
        m_inner->SetClipRect(x, y, width, height);
    }
    void ConfineTo(const std::vector<RectL>& rects) override
    {
        m_log.Record("ConfineTo(" + std::to_string(rects.size()) + " rects)");
        m_inner->ConfineTo(rects);
    }
    void Unconfine() override { m_inner->Unconfine(); }
    void Clear() override
    {
        m_log.Record("Clear");
        m_inner->Clear();
    }
    void WritePixels(const RectL& rect, std::uint32_t argb) override
    {
        m_log.Record("WritePixels(" + RectText(rect) + "," + Hex(argb) + ")");
        m_inner->WritePixels(rect, argb);
    }
    void FillRect(const RectL& rect, std::uint32_t argb) override
    {
        m_log.Record("FillRect(" + RectText(rect) + "," + Hex(argb) + ")");
        m_inner->FillRect(rect, argb);
    }
    void FrameRect(const RectL& rect, std::uint32_t argb, float lineWidth) override
    {
        m_log.Record("FrameRect(" + RectText(rect) + "," + Hex(argb) + ",w" + Number(lineWidth) + ")");
        m_inner->FrameRect(rect, argb, lineWidth);
    }
    void DrawLine(const PointF& from, const PointF& to, std::uint32_t argb, float lineWidth) override
    {
        m_log.Record("DrawLine(" + Number(from.x) + "," + Number(from.y) + "->" + Number(to.x) + "," + Number(to.y) +
                     "," + Hex(argb) + ",w" + Number(lineWidth) + ")");
        m_inner->DrawLine(from, to, argb, lineWidth);
    }
    void DrawPath(const DrawingPath& path, std::uint32_t argb, float lineWidth, const PointF& scale) override
    {
        m_log.Record("DrawPath(" + Figures(path) + "," + Hex(argb) + ",w" + Number(lineWidth) + ",x" +
                     Number(scale.x) + "," + Number(scale.y) + ")");
        m_inner->DrawPath(path, argb, lineWidth, scale);
    }
    void FillPath(const DrawingPath& path, std::uint32_t argb, const PointF& scale) override
    {
        m_log.Record("FillPath(" + Figures(path) + "," + Hex(argb) + ",x" + Number(scale.x) + "," +
                     Number(scale.y) + ")");
        m_inner->FillPath(path, argb, scale);
    }
    void DrawImage(const IDrawingSurface& image, const RectF& source, const RectF& destination,
                   float opacity) override
    {
        m_log.Record("DrawImage(" + RectText(source) + "->" + RectText(destination) +
                     (opacity < 1.0f ? ",o" + Number(opacity) : std::string()) + ")");
        m_inner->DrawImage(Inner(image), source, destination, opacity);
    }
    void FillWithImage(const IDrawingSurface& image, const RectF& source, const RectF& destination) override
    {
        m_log.Record("FillWithImage(" + RectText(source) + "->" + RectText(destination) + ")");
        m_inner->FillWithImage(Inner(image), source, destination);
    }
    void DrawMask(const std::uint8_t* coverage, std::int32_t width, std::int32_t height, std::int32_t stride,
                  const PointL& origin, std::uint32_t argb) override
    {
        m_log.Record("DrawMask(" + RectText(RectL{origin.x, origin.y, width, height}) + "," + Hex(argb) + ")");
        m_inner->DrawMask(coverage, width, height, stride, origin, argb);
    }
    void Flush() override { m_inner->Flush(); }
    std::uint32_t GetPixel(std::int32_t x, std::int32_t y) const override { return m_inner->GetPixel(x, y); }

private:
    static std::string Figures(const DrawingPath& path)
    {
        std::string text = std::to_string(path.figures.size()) + " figures:";
        for (const DrawingPath::Figure& figure : path.figures)
        {
            text += ' ';
            text += std::to_string(figure.points.size());
            if (figure.closed)
                text += 'c';
        }
        return text;
    }

    RecordingDrawingBackend& m_log;
    std::unique_ptr<IDrawingSurface> m_inner;
    int m_windowPicture;
};

} // namespace

std::unique_ptr<IDrawingSurface> RecordingDrawingBackend::CreateSurface(std::int32_t width, std::int32_t height)
{
    Record("CreateSurface(" + std::to_string(width) + "x" + std::to_string(height) + ")");
    return std::make_unique<RecordingSurface>(*this, GetDrawingBackend().CreateSurface(width, height));
}

std::unique_ptr<IDrawingSurface> RecordingDrawingBackend::CreateImage(const std::uint32_t* pixels, std::int32_t width,
                                                                      std::int32_t height, std::int32_t stride)
{
    Record("CreateImage(" + std::to_string(width) + "x" + std::to_string(height) + ")");
    std::unique_ptr<IDrawingSurface> inner = GetDrawingBackend().CreateImage(pixels, width, height, stride);
    return inner ? std::make_unique<RecordingSurface>(*this, std::move(inner)) : nullptr;
}

std::unique_ptr<IDrawingSurface> RecordingDrawingBackend::CreatePremultipliedImageView(std::shared_ptr<const void> owner,
                                                                               const std::uint32_t* pixels,
                                                                               std::int32_t width,
                                                                               std::int32_t height,
                                                                               std::int32_t stride)
{
    Record("CreatePremultipliedImageView(" + std::to_string(width) + "x" + std::to_string(height) + ")");
    std::unique_ptr<IDrawingSurface> inner =
        GetDrawingBackend().CreatePremultipliedImageView(std::move(owner), pixels, width, height, stride);
    return inner ? std::make_unique<RecordingSurface>(*this, std::move(inner)) : nullptr;
}

std::unique_ptr<IDrawingSurface> RecordingDrawingBackend::CreateWindowSurface(std::uintptr_t window,
                                                                              std::int32_t width,
                                                                              std::int32_t height)
{
    Record("CreateWindowSurface(" + std::to_string(width) + "x" + std::to_string(height) + ")");
    if (m_offerWindowPictures)
        return std::make_unique<RecordingSurface>(*this, GetDrawingBackend().CreateSurface(width, height),
                                                  m_windowPictureGeneration);
    std::unique_ptr<IDrawingSurface> inner = GetDrawingBackend().CreateWindowSurface(window, width, height);
    return inner ? std::make_unique<RecordingSurface>(*this, std::move(inner)) : nullptr;
}

void RecordingDrawingBackend::PrepareWindowSurface(std::uintptr_t window)
{
    Record("PrepareWindowSurface(" + std::to_string(window) + ")");
    if (!m_offerWindowPictures)
        GetDrawingBackend().PrepareWindowSurface(window);
}

bool RecordingDrawingBackend::DrawsIntoWindow(std::uintptr_t window, const IDrawingSurface& surface)
{
    const int picture = RecordingSurface::WindowPicture(surface);
    if (picture >= 0)
        return picture == m_windowPictureGeneration;
    return GetDrawingBackend().DrawsIntoWindow(window, RecordingSurface::Inner(surface));
}

void RecordingDrawingBackend::Present(std::uintptr_t window, const IDrawingSurface& surface,
                                      const std::vector<RectL>& rects)
{
    Record("Present(" + std::to_string(window) + ":" + std::to_string(rects.size()) + " rects)");
    m_presented.push_back({window, rects});
    GetDrawingBackend().Present(window, RecordingSurface::Inner(surface), rects);
}

std::size_t RecordingDrawingBackend::Count(const std::string& prefix) const
{
    std::size_t count = 0;
    for (const std::string& call : m_calls)
        count += call.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

} // namespace QK::TestSupport
