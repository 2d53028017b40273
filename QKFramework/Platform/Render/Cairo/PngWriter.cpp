#include "QKFramework/Platform/Render/Cairo/PngWriter.h"

#include "QKFramework/Platform/Render/Cairo/CairoDrawingSurface.h"

namespace QK
{

bool WritePngFile(const std::string& path, const std::vector<std::uint32_t>& pixels, std::int32_t width,
                  std::int32_t height)
{
    if (width <= 0 || height <= 0 ||
        pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return false;
    CairoDrawingSurface surface(width, height);
    surface.LoadStraightPixels(pixels.data(), width * 4);
    return cairo_surface_write_to_png(surface.GetCairoSurface(), path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace QK
