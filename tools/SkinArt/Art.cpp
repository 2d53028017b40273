// Sections: drawing helpers; widgets (buttons, fields, combos, sliders, rows, scroll bars,
// menus, frames); pictures (controller, dialogs, logo, graph, icon, cursors); the kind table.
#include "tools/SkinArt/Art.h"

#include "tools/SkinArt/Device.h"

#include <cmath>
#include <functional>
#include <map>

namespace SkinArt
{

namespace
{

constexpr double kPi = 3.14159265358979323846;

// ---- Drawing helpers ------------------------------------------------------------------------

void SetColor(cairo_t* cr, unsigned argb, double alphaScale = 1.0)
{
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
                          ((argb >> 24) & 0xFF) / 255.0 * alphaScale);
}

unsigned Mix(unsigned a, unsigned b, double t)
{
    unsigned result = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const double ca = (a >> shift) & 0xFF;
        const double cb = (b >> shift) & 0xFF;
        result |= static_cast<unsigned>(std::lround(ca + (cb - ca) * t)) << shift;
    }
    return result;
}

unsigned Lighter(unsigned c, double t) { return Mix(c, 0xFFFFFFFF, t); }
unsigned Darker(unsigned c, double t) { return Mix(c, 0xFF000000, t); }

void RoundRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    r = std::min(r, std::min(w, h) / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void FillVertical(cairo_t* cr, double y0, double y1, unsigned top, unsigned bottom)
{
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgba(gradient, 0, ((top >> 16) & 0xFF) / 255.0, ((top >> 8) & 0xFF) / 255.0,
                                      (top & 0xFF) / 255.0, (top >> 24) / 255.0);
    cairo_pattern_add_color_stop_rgba(gradient, 1, ((bottom >> 16) & 0xFF) / 255.0, ((bottom >> 8) & 0xFF) / 255.0,
                                      (bottom & 0xFF) / 255.0, (bottom >> 24) / 255.0);
    cairo_set_source(cr, gradient);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(gradient);
}

// A soft shadow below and to the right of a rounded box: the light comes from the top left.
void SoftShadow(cairo_t* cr, double x, double y, double w, double h, double r, double spread, double alpha)
{
    const int steps = std::max(1, static_cast<int>(spread * 2));
    for (int i = steps; i >= 1; --i)
    {
        const double grow = spread * i / steps;
        RoundRect(cr, x - grow + spread * 0.4, y - grow + spread * 0.7, w + 2 * grow, h + 2 * grow, r + grow);
        SetColor(cr, 0xFF000000, alpha / steps);
        cairo_fill(cr);
    }
}

// A rounded body lit from the top left: gradient, light upper rim, dark lower rim.
void LitBox(cairo_t* cr, double x, double y, double w, double h, double r, unsigned base, double depth = 0.12)
{
    RoundRect(cr, x, y, w, h, r);
    FillVertical(cr, y, y + h, Lighter(base, depth), Darker(base, depth));
    cairo_new_path(cr);
    cairo_set_line_width(cr, 1);
    RoundRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, std::max(0.0, r - 0.5));
    cairo_pattern_t* rim = cairo_pattern_create_linear(x, y, x + w * 0.3, y + h);
    cairo_pattern_add_color_stop_rgba(rim, 0, 1, 1, 1, 0.22);
    cairo_pattern_add_color_stop_rgba(rim, 1, 0, 0, 0, 0.35);
    cairo_set_source(cr, rim);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);
}

// A recessed well (fields, LCD): dark at the top where the rim shades it.
void Well(cairo_t* cr, double x, double y, double w, double h, double r, unsigned top, unsigned bottom)
{
    RoundRect(cr, x, y, w, h, r);
    FillVertical(cr, y, y + h, top, bottom);
    cairo_new_path(cr);
    cairo_set_line_width(cr, 1);
    RoundRect(cr, x + 0.5, y + 0.5, w - 1, h - 1, std::max(0.0, r - 0.5));
    cairo_pattern_t* rim = cairo_pattern_create_linear(x, y, x, y + h);
    cairo_pattern_add_color_stop_rgba(rim, 0, 0, 0, 0, 0.55);
    cairo_pattern_add_color_stop_rgba(rim, 1, 1, 1, 1, 0.12);
    cairo_set_source(cr, rim);
    cairo_stroke(cr);
    cairo_pattern_destroy(rim);
}

void Triangle(cairo_t* cr, double cx, double cy, double size, double angle, unsigned color)
{
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_move_to(cr, -size, -size * 0.55);
    cairo_line_to(cr, size, -size * 0.55);
    cairo_line_to(cr, 0, size * 0.6);
    cairo_close_path(cr);
    SetColor(cr, color);
    cairo_fill(cr);
    cairo_restore(cr);
}

// The state word of a strip: "pressed", "on_hover" and the like.
bool Has(const std::string& state, const char* word) { return state.find(word) != std::string::npos; }

// The focus look of a control: a thin ring in the accent colour.
void FocusRing(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    RoundRect(cr, x, y, w, h, radius);
    SetColor(cr, Palette::kAccent, 0.9);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

// ---- Widgets ----------------------------------------------------------------------------------

unsigned AccentOf(const std::string& kind)
{
    if (kind == "send")
        return Palette::kSend;
    if (kind == "rec")
        return Palette::kRec;
    if (kind == "ram")
        return Palette::kRam;
    return Palette::kAccent;
}

void DrawButton(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    const bool accented = image.kind != "button";
    unsigned base = Palette::kPlateEdge;
    if (Has(state, "hover"))
        base = Lighter(base, 0.1);
    if (Has(state, "disabled"))
        base = Darker(base, 0.25);
    const bool pressed = Has(state, "pressed");
    SoftShadow(cr, 1, 1, w - 2, h - 3, 4, pressed ? 0.6 : 1.2, 0.5);
    LitBox(cr, 1, pressed ? 1.5 : 1, w - 2, h - 3, 4, pressed ? Darker(base, 0.15) : base, pressed ? -0.06 : 0.12);
    cairo_new_path(cr);
    if (accented && !Has(state, "disabled"))
    {
        // A lamp strip along the top edge in the button's colour.
        RoundRect(cr, 5, pressed ? 3.5 : 3, w - 10, 2.5, 1.2);
        SetColor(cr, AccentOf(image.kind), Has(state, "hover") || pressed ? 1.0 : 0.8);
        cairo_fill(cr);
    }
    if (Has(state, "focused"))
        FocusRing(cr, 1.5, 1.5, w - 3, h - 4, 4);
}

void DrawToggle(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    const bool on = state.rfind("on", 0) == 0;
    const bool pressed = Has(state, "pressed");
    unsigned base = Palette::kPlateEdge;
    if (Has(state, "hover"))
        base = Lighter(base, 0.1);
    if (Has(state, "disabled"))
        base = Darker(base, 0.25);
    SoftShadow(cr, 1, 1, w - 2, h - 3, 4, pressed ? 0.6 : 1.2, 0.5);
    LitBox(cr, 1, 1, w - 2, h - 3, 4, base, pressed ? -0.06 : 0.12);
    cairo_new_path(cr);
    // The lamp at the left: lit while on.
    const double cx = 8, cy = (h - 2) / 2;
    cairo_arc(cr, cx, cy, 3, 0, 2 * kPi);
    if (on && !Has(state, "disabled"))
    {
        cairo_pattern_t* glow = cairo_pattern_create_radial(cx - 1, cy - 1, 0.5, cx, cy, 3);
        cairo_pattern_add_color_stop_rgba(glow, 0, 0.8, 1, 0.95, 1);
        cairo_pattern_add_color_stop_rgba(glow, 1, 0.18, 0.70, 0.65, 1);
        cairo_set_source(cr, glow);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    else
    {
        SetColor(cr, 0xFF15181C);
        cairo_fill(cr);
    }
    if (Has(state, "focused"))
        FocusRing(cr, 1.5, 1.5, w - 3, h - 4, 4);
}

void DrawCheck(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    if (state == "empty")
        return;
    const double w = image.width, h = image.height;
    cairo_move_to(cr, w * 0.22, h * 0.52);
    cairo_line_to(cr, w * 0.42, h * 0.72);
    cairo_line_to(cr, w * 0.78, h * 0.28);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColor(cr, Has(state, "hover") ? Palette::kTextLight : Palette::kAccent);
    cairo_stroke(cr);
}

// Arrow buttons: the up-down's halves and the scroll bars' ends.
void DrawArrowButton(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    const bool upDown = image.kind == "arrow_up" || image.kind == "arrow_down";
    unsigned base = upDown ? Palette::kPlateEdge : Palette::kPlate;
    if (Has(state, "hover"))
        base = Lighter(base, 0.12);
    if (Has(state, "pressed"))
        base = Darker(base, 0.15);
    if (Has(state, "disabled"))
        base = Darker(base, 0.2);
    LitBox(cr, 0.5, 0.5, w - 1, h - 1, upDown ? 3 : 2, base, Has(state, "pressed") ? -0.05 : 0.1);
    cairo_new_path(cr);
    double angle = 0;
    if (image.kind == "arrow_up" || image.kind == "sb_up")
        angle = kPi;
    else if (image.kind == "sb_left")
        angle = kPi / 2;
    else if (image.kind == "sb_right")
        angle = -kPi / 2;
    const unsigned glyph = Has(state, "disabled") ? Palette::kTextDisabled : Palette::kTextLight;
    if (!upDown)
    {
        Triangle(cr, w / 2, h / 2, std::min(w, h) * 0.22, angle, glyph);
        return;
    }
    // The up-down's arrows: 8 pixels wide and 4 high on whole pixels, whatever the button's
    // size, so that they stay crisp and easy to aim at.
    const double left = std::floor(w / 2 - 4);
    const double top = std::floor((h - 4) / 2);
    const double flat = image.kind == "arrow_up" ? top + 4 : top;
    const double tip = image.kind == "arrow_up" ? top : top + 4;
    cairo_move_to(cr, left, flat);
    cairo_line_to(cr, left + 8, flat);
    cairo_line_to(cr, left + 4, tip);
    cairo_close_path(cr);
    SetColor(cr, glyph);
    cairo_fill(cr);
}

void DrawField(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    const bool lcd = image.kind == "lcd_field";
    unsigned top = lcd ? Darker(Palette::kLcd, 0.12) : Palette::kFieldTop;
    unsigned bottom = lcd ? Palette::kLcd : Palette::kFieldBottom;
    if (Has(state, "hover"))
    {
        top = Lighter(top, 0.05);
        bottom = Lighter(bottom, 0.05);
    }
    // The accent hardly shows on the LCD's green: a focused LCD lights up instead, and an
    // inner ring in its ink tells the focus while the caret blinks off.
    const bool lcdFocused = lcd && Has(state, "focused");
    if (lcdFocused)
    {
        top = Lighter(top, 0.35);
        bottom = Lighter(bottom, 0.35);
    }
    if (Has(state, "disabled"))
    {
        top = Mix(top, Palette::kPlate, 0.6);
        bottom = Mix(bottom, Palette::kPlate, 0.6);
    }
    Well(cr, 0.5, 0.5, w - 1, h - 1, 3, top, bottom);
    cairo_new_path(cr);
    if (lcdFocused)
    {
        RoundRect(cr, 2.0, 2.0, w - 4.0, h - 4.0, 2);
        SetColor(cr, Palette::kTextDark, 0.7);
        cairo_set_line_width(cr, 1.0);
        cairo_stroke(cr);
    }
    else if (Has(state, "focused"))
    {
        RoundRect(cr, 0.75, 0.75, w - 1.5, h - 1.5, 3);
        SetColor(cr, Palette::kAccent);
        cairo_set_line_width(cr, 1.2);
        cairo_stroke(cr);
    }
}

void DrawCombo(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    unsigned base = Palette::kPlateEdge;
    if (Has(state, "hover"))
        base = Lighter(base, 0.08);
    if (Has(state, "disabled"))
        base = Darker(base, 0.25);
    const bool open = Has(state, "open");
    LitBox(cr, 0.5, 0.5, w - 1, h - 1, 3, open ? Darker(base, 0.1) : base, open ? -0.04 : 0.1);
    cairo_new_path(cr);
    // The drop button at the right, split off by a groove.
    const double split = w - h;
    cairo_move_to(cr, split + 0.5, 3);
    cairo_line_to(cr, split + 0.5, h - 3);
    SetColor(cr, 0xFF000000, 0.35);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_move_to(cr, split + 1.5, 3);
    cairo_line_to(cr, split + 1.5, h - 3);
    SetColor(cr, 0xFFFFFFFF, 0.08);
    cairo_stroke(cr);
    Triangle(cr, split + h / 2 + 0.5, h / 2, h * 0.18, open ? kPi : 0,
             Has(state, "disabled") ? Palette::kTextDisabled : Palette::kTextLight);
    if (Has(state, "focused"))
        FocusRing(cr, 1, 1, w - 2, h - 2, 3);
}

void DrawSliderTrack(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    Well(cr, 2, h / 2 - 2, w - 4, 4, 2, 0xFF0E1013, 0xFF1C2025);
    cairo_new_path(cr);
    if (Has(state, "focused"))
    {
        RoundRect(cr, 2.5, h / 2 - 1.5, w - 5, 3, 1.5);
        SetColor(cr, Palette::kAccent, 0.6);
        cairo_fill(cr);
    }
    if (Has(state, "disabled"))
    {
        RoundRect(cr, 2, h / 2 - 2, w - 4, 4, 2);
        SetColor(cr, Palette::kPlate, 0.6);
        cairo_fill(cr);
    }
}

void DrawSliderThumb(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    unsigned base = 0xFFB8C0C8;
    if (Has(state, "hover"))
        base = Lighter(base, 0.2);
    if (Has(state, "pressed"))
        base = Palette::kAccent;
    if (Has(state, "disabled"))
        base = 0xFF5A616A;
    SoftShadow(cr, 1, 1, w - 2, h - 2, 2.5, 0.8, 0.5);
    LitBox(cr, 1, 1, w - 2, h - 2, 2.5, base, 0.18);
    cairo_new_path(cr);
    cairo_move_to(cr, w / 2, 3.5);
    cairo_line_to(cr, w / 2, h - 3.5);
    SetColor(cr, 0xFF000000, 0.3);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

// A separator: one engraved line across the middle of a w x h area.
void EngravedLine(cairo_t* cr, double w, double h)
{
    cairo_rectangle(cr, 0, std::floor(h / 2) - 1, w, 1);
    SetColor(cr, 0xFF000000, 0.45);
    cairo_fill(cr);
    cairo_rectangle(cr, 0, std::floor(h / 2), w, 1);
    SetColor(cr, 0xFFFFFFFF, 0.08);
    cairo_fill(cr);
}

// List and menu rows are stretched sideways, so they only change from top to bottom.
void DrawRow(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    if (state == "separator")
    {
        EngravedLine(cr, w, h);
        return;
    }
    const bool menu = image.kind == "menu_row";
    unsigned back = menu ? Palette::kMenu : 0xFF1D2126;
    if (Has(state, "selected") || (menu && Has(state, "hover")))
        back = Palette::kSelection;
    else if (Has(state, "hover"))
        back = Lighter(back, 0.07);
    if (Has(state, "pressed"))
        back = Darker(back, 0.12);
    if (Has(state, "selected") && Has(state, "hover"))
        back = Lighter(back, 0.08);
    if (Has(state, "disabled"))
        back = menu ? Palette::kMenu : 0xFF1D2126;
    cairo_rectangle(cr, 0, 0, w, h);
    FillVertical(cr, 0, h, Lighter(back, 0.04), Darker(back, 0.04));
    cairo_new_path(cr);
}

// A menu's separator row, thinner than an item.
void DrawMenuSeparator(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    EngravedLine(cr, image.width, image.height);
}

void DrawSubmenuArrow(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    Triangle(cr, image.width / 2.0, image.height / 2.0, image.height * 0.38, -kPi / 2,
             Has(state, "hover") ? Palette::kTextLight : Palette::kTextDim);
}

void DrawScrollChannel(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    cairo_rectangle(cr, 0, 0, w, h);
    const unsigned back = Has(state, "highlight") ? 0xFF2A3038 : 0xFF181B1F;
    SetColor(cr, back);
    cairo_fill(cr);
}

// The thumb's strip holds, per state, its top (or left) cap, a middle that is stretched and
// its bottom (or right) cap: 5, 4 and 5 pixels along the bar.
void DrawScrollThumb(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    unsigned base = 0xFF59616B;
    if (Has(state, "hover"))
        base = Lighter(base, 0.15);
    if (Has(state, "pressed"))
        base = Palette::kAccent;
    LitBox(cr, 2, 2, w - 4, h - 4, 3.5, base, 0.1);
    cairo_new_path(cr);
}

void DrawMenuBar(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    const double w = image.width, h = image.height;
    cairo_rectangle(cr, 0, 0, w, h);
    FillVertical(cr, 0, h, 0xFF2E333A, 0xFF23272D);
    cairo_new_path(cr);
    cairo_rectangle(cr, 0, h - 1, w, 1);
    SetColor(cr, 0xFF000000, 0.5);
    cairo_fill(cr);
}

void DrawMenuTitle(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const double w = image.width, h = image.height;
    if (state == "normal" || state == "disabled")
    {
        // Too faint to see, but the pointer finds the title only where its picture is not
        // fully transparent.
        cairo_rectangle(cr, 0, 0, w, h);
        SetColor(cr, 0x01000000);
        cairo_fill(cr);
        return;
    }
    if (state == "focused")
    {
        cairo_rectangle(cr, 0, 0, w, h);
        SetColor(cr, 0x01000000);
        cairo_fill(cr);
    }
    else
    {
        RoundRect(cr, 1, 2, w - 2, h - 4, 3);
        SetColor(cr, state == "open" ? Palette::kSelection : 0xFF3A4049);
        cairo_fill(cr);
    }
    if (Has(state, "focused"))
        FocusRing(cr, 1.5, 2.5, w - 3, h - 5, 3);
}

// Nine-slice frames: a panel whose corners stay and whose edges stretch.
void DrawFrame(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    const double w = image.width, h = image.height;
    if (image.kind == "tooltip_frame")
    {
        RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 4);
        SetColor(cr, Palette::kTipBack);
        cairo_fill_preserve(cr);
        SetColor(cr, 0xFF8C8670);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        return;
    }
    const bool list = image.kind == "list_frame";
    // A drop-down list is a square box, opaque to its edges: rounded corners would let
    // whatever lies under the open list show through them.
    if (list)
        cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    else
        RoundRect(cr, 0.5, 0.5, w - 1, h - 1, 4);
    SetColor(cr, list ? 0xFF1D2126 : Palette::kMenu);
    cairo_fill_preserve(cr);
    SetColor(cr, 0xFF555C66);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void DrawCorner(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    cairo_rectangle(cr, 0, 0, image.width, image.height);
    SetColor(cr, 0xFF181B1F);
    cairo_fill(cr);
}

// ---- Pictures ---------------------------------------------------------------------------------

// The invented maker's mark: three rising bars in a rounded square, like a small level meter.
void DrawMark(cairo_t* cr, double x, double y, double size, unsigned color, unsigned bars)
{
    RoundRect(cr, x, y, size, size, size * 0.22);
    SetColor(cr, color);
    cairo_fill(cr);
    const double barW = size * 0.16;
    const double gap = size * 0.08;
    const double left = x + (size - 3 * barW - 2 * gap) / 2;
    const double heights[3] = {0.34, 0.52, 0.70};
    for (int i = 0; i < 3; ++i)
    {
        const double bh = size * heights[i];
        RoundRect(cr, left + i * (barW + gap), y + size * 0.85 - bh, barW, bh, barW / 2);
        SetColor(cr, bars);
        cairo_fill(cr);
    }
}

void DrawKnobCap(cairo_t* cr, double cx, double cy, double r, double angle)
{
    cairo_arc(cr, cx + r * 0.12, cy + r * 0.2, r * 1.08, 0, 2 * kPi);
    SetColor(cr, 0xFF000000, 0.35);
    cairo_fill(cr);
    // Knurled skirt, then the lit cap.
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    SetColor(cr, 0xFF16191D);
    cairo_fill(cr);
    for (int i = 0; i < 24; ++i)
    {
        const double a = i * 2 * kPi / 24;
        cairo_move_to(cr, cx + std::cos(a) * r * 0.82, cy + std::sin(a) * r * 0.82);
        cairo_line_to(cr, cx + std::cos(a) * r * 0.98, cy + std::sin(a) * r * 0.98);
    }
    SetColor(cr, 0xFF3A4048);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_pattern_t* cap = cairo_pattern_create_radial(cx - r * 0.3, cy - r * 0.35, r * 0.05, cx, cy, r * 0.78);
    cairo_pattern_add_color_stop_rgb(cap, 0, 0.42, 0.45, 0.50);
    cairo_pattern_add_color_stop_rgb(cap, 1, 0.16, 0.18, 0.21);
    cairo_arc(cr, cx, cy, r * 0.76, 0, 2 * kPi);
    cairo_set_source(cr, cap);
    cairo_fill(cr);
    cairo_pattern_destroy(cap);
    cairo_move_to(cr, cx + std::cos(angle) * r * 0.25, cy + std::sin(angle) * r * 0.25);
    cairo_line_to(cr, cx + std::cos(angle) * r * 0.66, cy + std::sin(angle) * r * 0.66);
    SetColor(cr, Palette::kTextLight);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void DrawPad(cairo_t* cr, double x, double y, double w, double h)
{
    SoftShadow(cr, x, y, w, h, 7, 2.5, 0.55);
    RoundRect(cr, x, y, w, h, 7);
    FillVertical(cr, y, y + h, 0xFF4A5059, 0xFF353A41);
    cairo_new_path(cr);
    // Rubber sheen from the top left.
    RoundRect(cr, x + 1, y + 1, w - 2, h - 2, 6);
    cairo_pattern_t* sheen = cairo_pattern_create_linear(x, y, x + w, y + h);
    cairo_pattern_add_color_stop_rgba(sheen, 0, 1, 1, 1, 0.10);
    cairo_pattern_add_color_stop_rgba(sheen, 0.5, 1, 1, 1, 0.0);
    cairo_set_source(cr, sheen);
    cairo_fill(cr);
    cairo_pattern_destroy(sheen);
}

// A silkscreened area: a faint rounded outline around a group of controls.
void Silkscreen(cairo_t* cr, const Device::Box& box)
{
    RoundRect(cr, box.x + 0.5, box.y + 0.5, box.w - 1, box.h - 1, 6);
    SetColor(cr, 0xFF000000, 0.18);
    cairo_fill_preserve(cr);
    SetColor(cr, 0xFFFFFFFF, 0.10);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void DrawKeybed(cairo_t* cr, const Device::Box& bed)
{
    // The key slot, then white keys, then the black keys grouped two and three per octave.
    Well(cr, bed.x, bed.y, bed.w, bed.h, 4, 0xFF0D0F12, 0xFF15181C);
    cairo_new_path(cr);
    const double inset = 4;
    const double keyW = (bed.w - 2 * inset) / Device::kWhiteKeys;
    const double top = bed.y + inset;
    const double keyH = bed.h - 2 * inset;
    for (int i = 0; i < Device::kWhiteKeys; ++i)
    {
        const double x = bed.x + inset + i * keyW;
        RoundRect(cr, x + 0.5, top - 3, keyW - 1, keyH + 3, 2.5);
        FillVertical(cr, top, top + keyH, 0xFFF4F5F6, 0xFFD6D9DD);
        cairo_new_path(cr);
        cairo_rectangle(cr, x + 0.5, top + keyH - 4, keyW - 1, 4);
        SetColor(cr, 0xFFB9BDC3);
        cairo_fill(cr);
    }
    // White keys of an octave: C D E F G A B; a black key follows C, D, F, G and A.
    const bool blackAfter[7] = {true, true, false, true, true, true, false};
    for (int i = 0; i < Device::kWhiteKeys - 1; ++i)
    {
        if (!blackAfter[i % 7])
            continue;
        const double cx = bed.x + inset + (i + 1) * keyW;
        const double bw = keyW * 0.58;
        const double bh = keyH * 0.62;
        SoftShadow(cr, cx - bw / 2, top - 3, bw, bh + 3, 2, 1.5, 0.5);
        RoundRect(cr, cx - bw / 2, top - 3, bw, bh + 3, 2);
        FillVertical(cr, top, top + bh, 0xFF2A2D32, 0xFF0F1113);
        cairo_new_path(cr);
        RoundRect(cr, cx - bw / 2 + 2, top + bh - 8, bw - 4, 6, 1.5);
        SetColor(cr, 0xFFFFFFFF, 0.08);
        cairo_fill(cr);
    }
}

void DrawController(cairo_t* cr, const ImageSpec& image)
{
    using namespace Device;
    const double w = image.width, h = image.height;
    SoftShadow(cr, 4, 4, w - 10, h - 10, 14, 4, 0.6);
    LitBox(cr, 4, 4, w - 10, h - 10, 14, 0xFF30343B, 0.1);
    cairo_new_path(cr);
    // Brushed top panel.
    RoundRect(cr, 12, 10, w - 26, kKeybed.y - 16, 10);
    FillVertical(cr, 10, kKeybed.y, 0xFF383D45, 0xFF2B2F35);
    cairo_new_path(cr);

    // The display.
    Well(cr, kDisplay.x, kDisplay.y, kDisplay.w, kDisplay.h, 5, 0xFF0B0D10, 0xFF15181C);
    cairo_new_path(cr);
    RoundRect(cr, kDisplay.x + 6, kDisplay.y + 6, kDisplay.w - 12, kDisplay.h - 12, 3);
    SetColor(cr, Darker(Palette::kLcd, 0.55));
    cairo_fill(cr);

    for (const Box& box : {kMidiChannels, kSounds, kFavorites, kArpeggiator, kKeyboard})
        Silkscreen(cr, box);

    // The logo plate: the mark and a row of status lamps.
    DrawMark(cr, kLogo.x + kLogo.w - 70, kLogo.y + 10, 56, 0xFF23272D, Palette::kAccent);
    for (int i = 0; i < 4; ++i)
    {
        cairo_arc(cr, kLogo.x + 20 + i * 16, kLogo.y + kLogo.h - 18, 3, 0, 2 * kPi);
        SetColor(cr, i == 0 ? Palette::kAccent : 0xFF15181C);
        cairo_fill(cr);
    }

    // Joystick: a square gate with the stick leaning toward the top left light.
    Silkscreen(cr, kJoystick);
    const Box gate{kJoystick.x + kJoystickGate.x, kJoystick.y + kJoystickGate.y, kJoystickGate.w, kJoystickGate.h};
    Well(cr, gate.x, gate.y, gate.w, gate.h, 12, 0xFF0E1013, 0xFF1A1D21);
    cairo_new_path(cr);
    const double cx = gate.x + gate.w / 2.0, cy = gate.y + gate.h / 2.0;
    cairo_arc(cr, cx, cy, gate.w * 0.30, 0, 2 * kPi);
    SetColor(cr, 0xFF23272D);
    cairo_fill(cr);
    cairo_arc(cr, cx + 3, cy + 5, 13, 0, 2 * kPi);
    SetColor(cr, 0xFF000000, 0.35);
    cairo_fill(cr);
    cairo_pattern_t* ball = cairo_pattern_create_radial(cx - 5, cy - 6, 1, cx, cy, 13);
    cairo_pattern_add_color_stop_rgb(ball, 0, 0.55, 0.58, 0.62);
    cairo_pattern_add_color_stop_rgb(ball, 1, 0.14, 0.15, 0.17);
    cairo_arc(cr, cx, cy, 12, 0, 2 * kPi);
    cairo_set_source(cr, ball);
    cairo_fill(cr);
    cairo_pattern_destroy(ball);

    // Knobs: the cap at the top left of every knob panel.
    for (const Box& bank : kKnobBanks)
    {
        Silkscreen(cr, bank);
        for (int i = 0; i < 4; ++i)
        {
            const Box panel = KnobPanel(i);
            DrawKnobCap(cr, bank.x + panel.x + kKnobCap.x + kKnobCap.w / 2.0,
                        bank.y + panel.y + kKnobCap.y + kKnobCap.h / 2.0, kKnobCap.w / 2.0 - 1, -kPi * (0.75 - 0.1 * i));
        }
    }

    // Pads: a rubber pad under every pad panel.
    for (const Box& bank : kPadBanks)
    {
        Silkscreen(cr, bank);
        for (int i = 0; i < 8; ++i)
        {
            const Box pad = PadPanel(i);
            DrawPad(cr, bank.x + pad.x, bank.y + pad.y, pad.w, pad.h);
        }
    }

    // Speaker grille.
    Silkscreen(cr, kGrille);
    for (int row = 0; row < 9; ++row)
        for (int col = 0; col < 12; ++col)
        {
            cairo_arc(cr, kGrille.x + 26 + col * 17 + (row % 2) * 8.5, kGrille.y + 22 + row * 17, 3, 0, 2 * kPi);
            SetColor(cr, 0xFF101215);
            cairo_fill(cr);
        }

    DrawKeybed(cr, kKeybed);
}

void DrawDialogBack(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    const double w = image.width, h = image.height;
    cairo_rectangle(cr, 0, 0, w, h);
    FillVertical(cr, 0, h, 0xFF30343B, 0xFF24282E);
    cairo_new_path(cr);
    if (image.kind == "about_back")
    {
        cairo_rectangle(cr, 0, 0, w, 96);
        FillVertical(cr, 0, 96, 0xFF22262B, 0xFF1B1E23);
        cairo_new_path(cr);
        cairo_rectangle(cr, 0, 96, w, 1);
        SetColor(cr, Palette::kAccent, 0.7);
        cairo_fill(cr);
    }
    else
    {
        // Key-curve dialog: a plate for the numbers on the right and a footer for the buttons.
        Silkscreen(cr, {330, 14, static_cast<int>(w) - 344, 260});
        cairo_rectangle(cr, 0, h - 56, w, 56);
        SetColor(cr, 0xFF000000, 0.18);
        cairo_fill(cr);
    }
}

void DrawCompanyLogo(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    const double h = image.height;
    DrawMark(cr, 2, 2, h - 4, 0xFF2C3138, Palette::kAccent);
    // A stylised wave beside the mark, the product's signature line.
    cairo_move_to(cr, h + 6, h / 2);
    for (double x = 0; x <= image.width - h - 10; x += 1)
        cairo_line_to(cr, h + 6 + x, h / 2 - std::sin(x / 9.0) * h * 0.22 * std::exp(-x / (image.width * 0.8)));
    SetColor(cr, Palette::kAccent);
    cairo_set_line_width(cr, 2.5);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void DrawGraphBack(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    const double w = image.width, h = image.height;
    Well(cr, 0.5, 0.5, w - 1, h - 1, 4, 0xFF101215, 0xFF181B1F);
    cairo_new_path(cr);
    cairo_set_line_width(cr, 1);
    for (int i = 1; i < 8; ++i)
    {
        const double x = std::floor(w * i / 8) + 0.5;
        cairo_move_to(cr, x, 3);
        cairo_line_to(cr, x, h - 3);
    }
    for (int i = 1; i < 6; ++i)
    {
        const double y = std::floor(h * i / 6) + 0.5;
        cairo_move_to(cr, 3, y);
        cairo_line_to(cr, w - 3, y);
    }
    SetColor(cr, 0xFFFFFFFF, 0.06);
    cairo_stroke(cr);
}

void DrawGraphPoint(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    const double r = image.width / 2.0;
    cairo_arc(cr, r, r, r - 0.5, 0, 2 * kPi);
    SetColor(cr, Palette::kAccent);
    cairo_fill_preserve(cr);
    SetColor(cr, 0xFFFFFFFF);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

void DrawIcon(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    const double s = image.width;
    SoftShadow(cr, s * 0.06, s * 0.06, s * 0.86, s * 0.86, s * 0.2, s * 0.03, 0.5);
    DrawMark(cr, s * 0.06, s * 0.06, s * 0.86, 0xFF2C3138, Palette::kAccent);
}

// Drop cursors: an arrow with a badge (a bar for move, a plus for copy), hot spot at 0, 0.
void DrawCursor(cairo_t* cr, const ImageSpec& image, const std::string&)
{
    cairo_move_to(cr, 1, 1);
    cairo_line_to(cr, 1, 18);
    cairo_line_to(cr, 5.5, 14);
    cairo_line_to(cr, 8.5, 20.5);
    cairo_line_to(cr, 11, 19.5);
    cairo_line_to(cr, 8, 13);
    cairo_line_to(cr, 14, 13);
    cairo_close_path(cr);
    SetColor(cr, 0xFFFFFFFF);
    cairo_fill_preserve(cr);
    SetColor(cr, 0xFF000000);
    cairo_set_line_width(cr, 1);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_stroke(cr);
    RoundRect(cr, 16.5, 18.5, 13, 13, 3);
    SetColor(cr, image.kind == "cursor_copy" ? Palette::kAccent : 0xFF4A5059);
    cairo_fill_preserve(cr);
    SetColor(cr, 0xFFFFFFFF);
    cairo_stroke(cr);
    cairo_move_to(cr, 19.5, 25);
    cairo_line_to(cr, 26.5, 25);
    if (image.kind == "cursor_copy")
    {
        cairo_move_to(cr, 23, 21.5);
        cairo_line_to(cr, 23, 28.5);
    }
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

// ---- The kind table ---------------------------------------------------------------------------

using DrawFunction = std::function<void(cairo_t*, const ImageSpec&, const std::string&)>;

struct Kind
{
    std::vector<std::string> states;
    DrawFunction draw;
};

const std::map<std::string, Kind>& Kinds()
{
    static const std::vector<std::string> kButton{"normal", "hover", "pressed", "focused", "disabled"};
    static const std::vector<std::string> kPlain{"normal"};
    static const std::map<std::string, Kind> kinds = {
        {"button", {kButton, DrawButton}},
        {"send", {kButton, DrawButton}},
        {"rec", {kButton, DrawButton}},
        {"ram", {kButton, DrawButton}},
        {"toggle",
         {{"off", "off_hover", "off_pressed", "off_disabled", "on", "on_hover", "on_pressed", "on_disabled",
           "off_focused", "off_focused_hover", "off_focused_pressed", "on_focused", "on_focused_hover",
           "on_focused_pressed"},
          DrawToggle}},
        {"check", {{"empty", "checked", "checked_hover"}, DrawCheck}},
        {"arrow_up", {{"normal", "hover", "pressed", "disabled"}, DrawArrowButton}},
        {"arrow_down", {{"normal", "hover", "pressed", "disabled"}, DrawArrowButton}},
        {"sb_up", {{"normal", "hover", "pressed", "disabled"}, DrawArrowButton}},
        {"sb_down", {{"normal", "hover", "pressed", "disabled"}, DrawArrowButton}},
        {"sb_left", {{"normal", "hover", "pressed", "disabled"}, DrawArrowButton}},
        {"sb_right", {{"normal", "hover", "pressed", "disabled"}, DrawArrowButton}},
        {"field", {{"normal", "hover", "focused", "disabled"}, DrawField}},
        {"lcd_field", {{"normal", "hover", "focused", "disabled"}, DrawField}},
        {"combo",
         {{"normal", "focused", "hover", "focused_hover", "open", "open_hover", "disabled"}, DrawCombo}},
        {"slider_track", {{"normal", "focused", "disabled"}, DrawSliderTrack}},
        {"slider_thumb", {{"normal", "hover", "pressed", "disabled"}, DrawSliderThumb}},
        {"row",
         {{"plain", "hover", "pressed", "selected", "selected_hover", "selected_pressed", "disabled", "separator"},
          DrawRow}},
        {"menu_row", {{"plain", "hover", "disabled", "separator"}, DrawRow}},
        {"menu_separator", {kPlain, DrawMenuSeparator}},
        {"submenu_arrow", {{"normal", "hover"}, DrawSubmenuArrow}},
        {"sb_channel", {{"normal", "highlight"}, DrawScrollChannel}},
        {"sb_thumb_v", {{"normal", "hover", "pressed"}, DrawScrollThumb}},
        {"sb_thumb_h", {{"normal", "hover", "pressed"}, DrawScrollThumb}},
        {"menubar", {kPlain, DrawMenuBar}},
        {"menu_title", {{"normal", "hover", "open", "disabled", "focused", "focused_hover"}, DrawMenuTitle}},
        {"popup_frame", {kPlain, DrawFrame}},
        {"list_frame", {kPlain, DrawFrame}},
        {"tooltip_frame", {kPlain, DrawFrame}},
        {"corner", {kPlain, DrawCorner}},
        {"controller", {kPlain, [](cairo_t* cr, const ImageSpec& image, const std::string&) { DrawController(cr, image); }}},
        {"about_back", {kPlain, DrawDialogBack}},
        {"keycurve_back", {kPlain, DrawDialogBack}},
        {"company_logo", {kPlain, DrawCompanyLogo}},
        {"graph_back", {kPlain, DrawGraphBack}},
        {"graph_point", {kPlain, DrawGraphPoint}},
        {"icon", {kPlain, DrawIcon}},
        {"cursor_move", {kPlain, DrawCursor}},
        {"cursor_copy", {kPlain, DrawCursor}},
    };
    return kinds;
}

} // namespace

std::string ImageFileName(const std::string& stem, int scale)
{
    return scale == 1 ? stem + ".png" : stem + "_" + std::to_string(scale) + "x.png";
}

const std::vector<std::string>& StatesOfKind(const std::string& kind)
{
    static const std::vector<std::string> kNone;
    const auto found = Kinds().find(kind);
    return found == Kinds().end() ? kNone : found->second.states;
}

bool DrawImageState(cairo_t* cr, const ImageSpec& image, const std::string& state)
{
    const auto found = Kinds().find(image.kind);
    if (found == Kinds().end())
        return false;
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, image.width, image.height);
    cairo_clip(cr);
    found->second.draw(cr, image, state);
    cairo_restore(cr);
    return true;
}

} // namespace SkinArt
