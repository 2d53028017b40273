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

#include <algorithm>
#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>

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
                if (!WritePng(surface.Get(), folder + "/" + SkinArt::ImageFileName(image.stem, scale)))
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
