// vedidu_skin_art: draws every image of the editor's skins at both scales, writes the skin
// document that uses them, and optionally a contact sheet of all images for a person to look at.
//
//   vedidu_skin_art --out FOLDER [--sheet FILE.png]
//
// FOLDER receives "<stem>.png" (standard DPI), "<stem>_2x.png" (high DPI) and "Skins.xml".
// The output depends on nothing but this program: two runs write identical bytes.
#include "QKFramework/Platform/Core/UniqueHandle.h"
#include "QKFramework/Platform/Render/Cairo/CairoDrawingSurface.h"
#include "tools/SkinArt/SkinModel.h"

#include <cairo.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

using Surface = QK::UniqueHandle<QK::CairoSurfaceTraits>;
using Context = QK::UniqueHandle<QK::CairoContextTraits>;

int Usage(const char* problem)
{
    std::fprintf(stderr, "vedidu_skin_art: %s\nusage: vedidu_skin_art --out FOLDER [--sheet FILE.png]\n", problem);
    return 2;
}

// The whole strip of an image at a scale, drawn as vectors at that scale.
Surface DrawImage(const SkinArt::ImageSpec& image, int scale)
{
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width * scale, image.StripHeight() * scale));
    Context cr(cairo_create(surface.Get()));
    cairo_scale(cr.Get(), scale, scale);
    for (std::size_t i = 0; i < image.states.size(); ++i)
    {
        cairo_save(cr.Get());
        cairo_translate(cr.Get(), 0, static_cast<double>(i) * image.height);
        SkinArt::DrawImageState(cr.Get(), image, image.states[i]);
        cairo_restore(cr.Get());
    }
    cairo_surface_flush(surface.Get());
    return surface;
}

bool WritePng(cairo_surface_t* surface, const std::string& path)
{
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS)
    {
        std::fprintf(stderr, "vedidu_skin_art: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// A skin image: 8-bit RGBA with straight alpha, each colour rounded back from premultiplied
// as cairo's own PNG writer rounds it, every row stored unfiltered. The editor decodes its
// largest images while it starts, and unfiltered rows decode in about a third of the time
// of filtered ones, for files about a quarter larger.
bool WriteSkinImage(cairo_surface_t* surface, const std::string& path)
{
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    if (!data || width <= 0 || height <= 0)
        return false;
    std::vector<png_byte> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
    {
        const auto* source = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        png_bytep row = pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        rows[static_cast<std::size_t>(y)] = row;
        for (int x = 0; x < width; ++x)
        {
            const std::uint32_t pixel = source[x];
            const std::uint32_t alpha = pixel >> 24;
            png_bytep out = row + static_cast<std::ptrdiff_t>(x) * 4;
            for (int channel = 0; channel < 3; ++channel)
            {
                const std::uint32_t value = (pixel >> (16 - 8 * channel)) & 0xFFu;
                out[channel] = alpha == 0 ? 0 : static_cast<png_byte>((value * 255 + alpha / 2) / alpha);
            }
            out[3] = static_cast<png_byte>(alpha);
        }
    }

    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
    {
        std::fprintf(stderr, "vedidu_skin_art: cannot write %s\n", path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool written = false;
    // libpng reports its errors by a long jump back here; nothing above owns anything that
    // the jump would skip.
    if (info && setjmp(png_jmpbuf(png)) == 0)
    {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_write_info(png, info);
        png_write_image(png, rows.data());
        png_write_end(png, info);
        written = true;
    }
    png_destroy_write_struct(&png, &info);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
    {
        std::fprintf(stderr, "vedidu_skin_art: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

// Every image at scale 1 and, beside it, at scale 2, in rows on a neutral checkerboard.
bool WriteContactSheet(const SkinArt::SkinModel& model, const std::string& path)
{
    constexpr int kGap = 12;
    int sheetWidth = 2600;
    for (const SkinArt::ImageSpec& image : model.Images())
        sheetWidth = std::max(sheetWidth, image.width * 3 + 4 * kGap);
    struct Place
    {
        const SkinArt::ImageSpec* image;
        int x, y;
    };
    std::vector<Place> places;
    int x = kGap, y = kGap, rowHeight = 0;
    for (const SkinArt::ImageSpec& image : model.Images())
    {
        const int w = image.width * 3 + kGap, h = image.StripHeight() * 2;
        if (x + w > sheetWidth - kGap && x > kGap)
        {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        places.push_back({&image, x, y});
        x += w + kGap * 2;
        rowHeight = std::max(rowHeight, h);
    }
    const int height = y + rowHeight + kGap;
    Surface sheet(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, sheetWidth, height));
    Context cr(cairo_create(sheet.Get()));
    for (int cy = 0; cy < height; cy += 8)
        for (int cx = 0; cx < sheetWidth; cx += 8)
        {
            const double shade = ((cx / 8 + cy / 8) % 2) ? 0.42 : 0.47;
            cairo_set_source_rgb(cr.Get(), shade, shade, shade);
            cairo_rectangle(cr.Get(), cx, cy, 8, 8);
            cairo_fill(cr.Get());
        }
    for (const Place& place : places)
        for (int scale = 1; scale <= 2; ++scale)
        {
            Surface image = DrawImage(*place.image, scale);
            const int left = scale == 1 ? place.x : place.x + place.image->width + kGap;
            cairo_set_source_surface(cr.Get(), image.Get(), left, place.y);
            cairo_paint(cr.Get());
        }
    return WritePng(sheet.Get(), path);
}

} // namespace

int main(int argc, char** argv)
{
    std::string folder, sheet;
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage(("missing value after " + option).c_str());
        if (option == "--out")
            folder = argv[++i];
        else if (option == "--sheet")
            sheet = argv[++i];
        else
            return Usage(("unknown option " + option).c_str());
    }
    if (folder.empty())
        return Usage("--out is required");

    try
    {
        SkinArt::SkinModel model;
        SkinArt::BuildEditorSkin(model);
        for (const SkinArt::ImageSpec& image : model.Images())
            for (int scale = 1; scale <= 2; ++scale)
            {
                Surface surface = DrawImage(image, scale);
                if (!WriteSkinImage(surface.Get(), folder + "/" + SkinArt::ImageFileName(image.stem, scale)))
                    return 1;
            }
        std::ostringstream document;
        model.Write(document);
        std::ofstream out(folder + "/Skins.xml", std::ios::binary | std::ios::trunc);
        out << document.str();
        if (!out.flush())
        {
            std::fprintf(stderr, "vedidu_skin_art: cannot write %s/Skins.xml\n", folder.c_str());
            return 1;
        }
        if (!sheet.empty() && !WriteContactSheet(model, sheet))
            return 1;
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "vedidu_skin_art: %s\n", error.what());
        return 1;
    }
    return 0;
}
