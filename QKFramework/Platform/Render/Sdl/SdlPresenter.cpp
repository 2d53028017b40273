#include "QKFramework/Platform/Render/Sdl/SdlPresenter.h"

#include "QKFramework/Platform/Render/Sdl/SdlHandles.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <future>
#include <map>
#include <system_error>

namespace QK
{

namespace
{

// What one more rectangle costs the display server, in pixels copied.
constexpr std::int64_t kPixelsPerRectangle = 8192;

SDL_Window* FindSdlWindow(std::uintptr_t window)
{
    if (window == 0 || window > 0xFFFFFFFFu || SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return nullptr;
    return SDL_GetWindowFromID(static_cast<Uint32>(window));
}

// The preparations of window pictures under way, by window id (UI thread only). Each is a
// worker faulting the picture's pages in; it reads and writes none of them. Never destroyed:
// a window that outlives the statics still settles its preparation when it goes.
std::map<Uint32, std::future<void>>& PicturePreparations()
{
    static auto* const preparations = new std::map<Uint32, std::future<void>>();
    return *preparations;
}

// SDL may replace a window's picture whenever it is asked for it.
SDL_Surface* GetSettledWindowSurface(SDL_Window* window)
{
    SettleSdlWindowPixels(window);
    return SDL_GetWindowSurface(window);
}

} // namespace

std::vector<RectL> ChoosePresentRects(const std::vector<RectL>& rects)
{
    if (rects.size() < 2)
        return rects;
    std::int64_t x0 = INT64_MAX, y0 = INT64_MAX, x1 = INT64_MIN, y1 = INT64_MIN;
    std::int64_t area = 0;
    for (const RectL& rect : rects)
    {
        if (rect.width <= 0 || rect.height <= 0)
            continue;
        x0 = std::min<std::int64_t>(x0, rect.x);
        y0 = std::min<std::int64_t>(y0, rect.y);
        x1 = std::max<std::int64_t>(x1, static_cast<std::int64_t>(rect.x) + rect.width);
        y1 = std::max<std::int64_t>(y1, static_cast<std::int64_t>(rect.y) + rect.height);
        area += static_cast<std::int64_t>(rect.width) * rect.height;
    }
    if (x1 <= x0 || y1 <= y0)
        return rects;
    const std::int64_t bounds = (x1 - x0) * (y1 - y0);
    const std::int64_t separately = area + kPixelsPerRectangle * static_cast<std::int64_t>(rects.size());
    if (bounds + kPixelsPerRectangle >= separately || x1 - x0 > INT32_MAX || y1 - y0 > INT32_MAX)
        return rects;
    return {RectL{static_cast<std::int32_t>(x0), static_cast<std::int32_t>(y0), static_cast<std::int32_t>(x1 - x0),
                  static_cast<std::int32_t>(y1 - y0)}};
}

SdlWindowPixels GetSdlWindowPixels(std::uintptr_t window)
{
    SDL_Window* sdlWindow = FindSdlWindow(window);
    SDL_Surface* shown = sdlWindow ? GetSettledWindowSurface(sdlWindow) : nullptr;
    if (!shown || !shown->pixels || SDL_MUSTLOCK(shown) || shown->pitch % 4 != 0 ||
        (shown->format->format != SDL_PIXELFORMAT_RGB888 && shown->format->format != SDL_PIXELFORMAT_ARGB8888))
        return {};
    return {static_cast<std::uint32_t*>(shown->pixels), shown->w, shown->h, shown->pitch};
}

void PrepareSdlWindowPixels(std::uintptr_t window)
{
#ifdef MADV_POPULATE_WRITE
    SDL_Window* sdlWindow = FindSdlWindow(window);
    const SdlWindowPixels picture = GetSdlWindowPixels(window);
    if (!sdlWindow || !picture.pixels)
        return;
    // Whole pages: the picture starts on one when the window system shares it; else the
    // page it starts in is faulted in with it, which changes nothing in it.
    const auto pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(picture.pixels);
    const std::uintptr_t first = pageSize > 0 ? start - start % pageSize : start;
    const std::size_t length =
        static_cast<std::size_t>(start - first) + static_cast<std::size_t>(picture.stride) * picture.height;
    try
    {
        PicturePreparations()[SDL_GetWindowID(sdlWindow)] = std::async(std::launch::async, [first, length] {
            // An older kernel refuses; the first drawing then faults the pages in.
            ::madvise(reinterpret_cast<void*>(first), length, MADV_POPULATE_WRITE);
        });
    }
    catch (const std::system_error&)
    {
        // No worker to spare: the first drawing faults the pages in.
    }
#else
    static_cast<void>(window);
#endif
}

void SettleSdlWindowPixels(SDL_Window* window) noexcept
{
    if (!window)
        return;
    std::map<Uint32, std::future<void>>& preparations = PicturePreparations();
    const auto preparation = preparations.find(SDL_GetWindowID(window));
    if (preparation == preparations.end())
        return;
    preparation->second.wait();
    preparations.erase(preparation);
}

void PresentToSdlWindow(std::uintptr_t window, const unsigned char* pixels, std::int32_t width, std::int32_t height,
                        std::int32_t stride, const std::vector<RectL>& rects)
{
    if (!pixels || rects.empty())
        return;
    SDL_Window* sdlWindow = FindSdlWindow(window);
    if (!sdlWindow)
        return;
    SDL_Surface* target = GetSettledWindowSurface(sdlWindow);
    if (!target)
        return;
    const bool inPlace = target->pixels == pixels && target->pitch == stride;
    // SDL only reads through the pointer for a blit; the picture is not changed.
    UniqueHandle<SdlSurfaceTraits> source(
        inPlace ? nullptr
                : SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(pixels), width, height, 32, stride,
                                                     SDL_PIXELFORMAT_ARGB8888));
    if (!inPlace && !source)
        return;
    if (source)
        SDL_SetSurfaceBlendMode(source.Get(), SDL_BLENDMODE_NONE);

    const std::vector<RectL> chosen = ChoosePresentRects(rects);
    std::vector<SDL_Rect> shown;
    shown.reserve(chosen.size());
    for (auto rect = chosen.rbegin(); rect != chosen.rend(); ++rect)
    {
        const std::int64_t x0 = std::max<std::int64_t>(rect->x, 0);
        const std::int64_t y0 = std::max<std::int64_t>(rect->y, 0);
        const std::int64_t x1 = std::min<std::int64_t>({static_cast<std::int64_t>(rect->x) + rect->width, width, target->w});
        const std::int64_t y1 = std::min<std::int64_t>({static_cast<std::int64_t>(rect->y) + rect->height, height, target->h});
        if (x1 <= x0 || y1 <= y0)
            continue;
        SDL_Rect area{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0), static_cast<int>(y1 - y0)};
        SDL_Rect destination = area;
        if (inPlace || SDL_BlitSurface(source.Get(), &area, target, &destination) == 0)
            shown.push_back(area);
    }
    if (!shown.empty())
        SDL_UpdateWindowSurfaceRects(sdlWindow, shown.data(), static_cast<int>(shown.size()));
}

bool ReadSdlWindowSurface(SDL_Window* window, std::vector<std::uint32_t>& pixels, std::int32_t& width,
                          std::int32_t& height)
{
    if (!window)
        return false;
    SDL_Surface* shown = GetSettledWindowSurface(window);
    if (!shown)
        return false;
    UniqueHandle<SdlSurfaceTraits> copy(SDL_ConvertSurfaceFormat(shown, SDL_PIXELFORMAT_ARGB8888, 0));
    if (!copy || SDL_LockSurface(copy.Get()) != 0)
        return false;
    width = copy.Get()->w;
    height = copy.Get()->h;
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y)
    {
        const auto* row = reinterpret_cast<const std::uint32_t*>(static_cast<const unsigned char*>(copy.Get()->pixels) +
                                                                 static_cast<std::ptrdiff_t>(y) * copy.Get()->pitch);
        for (std::int32_t x = 0; x < width; ++x)
            pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
                row[x] | 0xFF000000u;
    }
    SDL_UnlockSurface(copy.Get());
    return true;
}

} // namespace QK
