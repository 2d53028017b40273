#include "QKFramework/Platform/Render/Sdl/SdlPresenter.h"

#include "QKFramework/Platform/Render/Sdl/SdlHandles.h"

#include <algorithm>

namespace QK
{

void PresentToSdlWindow(std::uintptr_t window, const unsigned char* pixels, std::int32_t width, std::int32_t height,
                        std::int32_t stride, const std::vector<RectL>& rects)
{
    if (!pixels || rects.empty() || window > 0xFFFFFFFFu || SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return;
    SDL_Window* sdlWindow = SDL_GetWindowFromID(static_cast<Uint32>(window));
    if (!sdlWindow)
        return;
    SDL_Surface* target = SDL_GetWindowSurface(sdlWindow);
    if (!target)
        return;
    // SDL only reads through the pointer for a blit; the picture is not changed.
    UniqueHandle<SdlSurfaceTraits> source(SDL_CreateRGBSurfaceWithFormatFrom(
        const_cast<unsigned char*>(pixels), width, height, 32, stride, SDL_PIXELFORMAT_ARGB8888));
    if (!source)
        return;
    SDL_SetSurfaceBlendMode(source.Get(), SDL_BLENDMODE_NONE);

    std::vector<SDL_Rect> shown;
    shown.reserve(rects.size());
    for (auto rect = rects.rbegin(); rect != rects.rend(); ++rect)
    {
        const std::int64_t x0 = std::max<std::int64_t>(rect->x, 0);
        const std::int64_t y0 = std::max<std::int64_t>(rect->y, 0);
        const std::int64_t x1 = std::min<std::int64_t>({static_cast<std::int64_t>(rect->x) + rect->width, width, target->w});
        const std::int64_t y1 = std::min<std::int64_t>({static_cast<std::int64_t>(rect->y) + rect->height, height, target->h});
        if (x1 <= x0 || y1 <= y0)
            continue;
        SDL_Rect area{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
        SDL_Rect destination = area;
        if (SDL_BlitSurface(source.Get(), &area, target, &destination) == 0)
            shown.push_back(area);
    }
    if (!shown.empty())
        SDL_UpdateWindowSurfaceRects(sdlWindow, shown.data(), static_cast<int>(shown.size()));
}

} // namespace QK
