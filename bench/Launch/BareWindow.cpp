// vedidu_bare_window: the baseline the start-up and idle benchmarks hold the editor against.
// The least a program of this kind does: an SDL window with a software surface, one frame
// painted by cairo with a line of text, presented once, then the same 33 ms event loop the
// editor runs, until the window is closed or SIGTERM comes.
//
//   vedidu_bare_window [--size WIDTHxHEIGHT]      (default 1240x780, the editor at 96 dpi)
#include <SDL.h>
#include <cairo.h>

#include <csignal>
#include <cstdio>
#include <cstring>

namespace
{

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

void Paint(SDL_Surface* surface)
{
    cairo_surface_t* target = cairo_image_surface_create_for_data(
        static_cast<unsigned char*>(surface->pixels), CAIRO_FORMAT_RGB24, surface->w, surface->h, surface->pitch);
    cairo_t* cr = cairo_create(target);
    cairo_set_source_rgb(cr, 0.16, 0.17, 0.19);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.85, 0.87, 0.9);
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 14.0);
    cairo_move_to(cr, 24.0, 40.0);
    cairo_show_text(cr, "Vedidu Editor - a bare window for comparison");
    cairo_destroy(cr);
    cairo_surface_flush(target);
    cairo_surface_destroy(target);
}

} // namespace

int main(int argc, char** argv)
{
    int width = 1240;
    int height = 780;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc &&
            std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2 && width > 0 && height > 0)
        {
            ++i;
            continue;
        }
        std::fputs("usage: vedidu_bare_window [--size WIDTHxHEIGHT]\n", stderr);
        return 2;
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);

    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "vedidu_bare_window: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("Bare window", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width,
                                          height, 0);
    SDL_Surface* surface = window ? SDL_GetWindowSurface(window) : nullptr;
    if (!surface || SDL_BYTESPERPIXEL(surface->format->format) != 4)
    {
        std::fprintf(stderr, "vedidu_bare_window: no 32-bit window surface: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    Paint(surface);
    SDL_UpdateWindowSurface(window);

    while (!g_stop)
    {
        SDL_Event event;
        if (!SDL_WaitEventTimeout(&event, 33))
            continue;
        if (event.type == SDL_QUIT)
            break;
        if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_EXPOSED)
            SDL_UpdateWindowSurface(window);
    }
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
