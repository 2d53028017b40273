// The editor's skin in standard pixels. Sections: look lists of every control kind; the
// standard controls as small trees (up-downs, combo boxes, scroll bars, menus); the device view
// with the edit panels; the main control; the dialogs; the tool tip and the context menu.
#include "tools/SkinArt/Device.h"
#include "tools/SkinArt/SkinModel.h"

#include <functional>
#include <stdexcept>
#include <string>

namespace SkinArt
{

namespace
{

// The height of a menu's separator row.
constexpr int kMenuSeparator = 9;

Control Make(const std::string& cls, const std::string& name, int x, int y, int w, int h,
             const std::string& lookList = "")
{
    Control control;
    control.cls = cls;
    control.name = name;
    control.x = x;
    control.y = y;
    control.w = w;
    control.h = h;
    control.lookList = lookList;
    return control;
}

Control Make(const std::string& cls, const std::string& name, const Device::Box& box,
             const std::string& lookList = "")
{
    return Make(cls, name, box.x, box.y, box.w, box.h, lookList);
}

// Placed at the far edge of the parent ("Parent": its outer edge; "Client": the edge of its
// client area, inside its frame): the position is relative 1, anchored at the far side.
Control& AtRight(Control& control, const char* frame = "Parent")
{
    return control.Attr("XPositionToControl", frame).Attr("XPositionRel", "1").Attr("XPlacementAnchor", "1");
}
Control& AtBottom(Control& control, const char* frame = "Parent")
{
    return control.Attr("YPositionToControl", frame).Attr("YPositionRel", "1").Attr("YPlacementAnchor", "1");
}

class EditorSkin
{
public:
    explicit EditorSkin(SkinModel& model) : m(model) {}

    void Build();

private:
    // ---- Look lists ---------------------------------------------------------------------------

    std::string TextColor(unsigned argb)
    {
        const char* name = argb == Palette::kTextDark       ? "text.dark"
                           : argb == Palette::kTextDim      ? "text.dim"
                           : argb == Palette::kTextDisabled ? "text.disabled"
                           : argb == Palette::kAccent       ? "text.accent"
                                                            : "text.light";
        return m.ColorPart(name, argb);
    }

    Look TextLook(const std::string& name, unsigned color, double hAlign, const std::string& client = "",
                  int leftAbs = 3, int rightAbs = -3)
    {
        Look look;
        look.name = name;
        look.clientPart = client;
        look.hasText = true;
        look.text.hAlign = hAlign;
        look.text.leftAbs = leftAbs;
        look.text.rightAbs = rightAbs;
        look.text.foreground = TextColor(color);
        return look;
    }

    // A label: text only, in one colour and alignment, inset from both sides.
    std::string Label(unsigned color = Palette::kTextDim, double hAlign = 0.5, int inset = 3)
    {
        const std::string name = "label." + TextColor(color).substr(5) + "." + std::to_string(int(hAlign * 2)) +
                                 (inset == 3 ? "" : ".inset" + std::to_string(inset));
        if (!m.HasLookList(name))
        {
            m.AddLook(TextLook(name, color, hAlign, "", inset, -inset));
            m.AddLookList(name, 1, {{0, name}});
        }
        return name;
    }

    // A container drawn by its children alone. A control draws its children once for each look
    // it shows, so a container needs one look, even an empty one.
    std::string Container()
    {
        const std::string name = "container";
        if (!m.HasLookList(name))
        {
            Look look;
            look.name = name;
            m.AddLook(look);
            std::vector<std::pair<int, std::string>> slots;
            for (int i = 0; i < 14; ++i)
                slots.emplace_back(i, name);
            m.AddLookList(name, 14, slots);
        }
        return name;
    }

    // A picture: one image shown whole.
    std::string Picture(const std::string& kind, int w, int h)
    {
        const std::string name = "picture." + kind;
        if (!m.HasLookList(name))
        {
            const ImageSpec& image = m.Image(kind, w, h, false);
            Look look;
            look.name = name;
            look.clientPart = m.StatePart(image, "normal");
            m.AddLook(look);
            m.AddLookList(name, 1, {{0, name}});
        }
        return name;
    }

    // The fourteen looks of a button (unchecked 0 to 6, checked 7 to 13).
    std::string Button(const std::string& kind, int w, int h)
    {
        const std::string name = "button." + kind + "." + std::to_string(w) + "x" + std::to_string(h);
        if (m.HasLookList(name))
            return name;
        const ImageSpec& image = m.Image(kind, w, h);
        const bool toggle = kind == "toggle";
        const char* states[14];
        if (toggle)
        {
            const char* t[14] = {"off",         "off_hover",         "off_pressed",         "off_focused",
                                 "off_focused_hover", "off_focused_pressed", "off_disabled",     "on",
                                 "on_hover",    "on_pressed",        "on_focused",          "on_focused_hover",
                                 "on_focused_pressed", "on_disabled"};
            std::copy(t, t + 14, states);
        }
        else
        {
            const char* t[7] = {"normal", "hover", "pressed", "focused", "focused", "pressed", "disabled"};
            std::copy(t, t + 7, states);
            std::copy(t, t + 7, states + 7);
        }
        std::vector<std::pair<int, std::string>> slots;
        for (int i = 0; i < 14; ++i)
        {
            const std::string lookName = name + "." + std::to_string(i);
            const bool disabled = i == 6 || i == 13;
            Look look = TextLook(lookName, disabled ? Palette::kTextDisabled : Palette::kTextLight, toggle ? 0.6 : 0.5,
                                 m.StatePart(image, states[i]));
            if (toggle)
                look.text.leftAbs = 14;
            if (kind == "send" || kind == "rec" || kind == "ram")
                look.text.topAbs = 2; // below the lamp strip
            m.AddLook(look);
            slots.emplace_back(i, lookName);
        }
        m.AddLookList(name, 14, slots);
        return name;
    }

    // A button drawn by its image alone (up-down halves, scroll bar ends, slider thumbs).
    std::string Arrow(const std::string& kind, int w, int h)
    {
        const std::string name = "arrow." + kind + "." + std::to_string(w) + "x" + std::to_string(h);
        if (m.HasLookList(name))
            return name;
        const ImageSpec& image = m.Image(kind, w, h);
        const char* states[14] = {"normal", "hover", "pressed", "normal", "hover", "pressed", "disabled",
                                  "normal", "hover", "pressed", "normal", "hover", "pressed", "disabled"};
        std::vector<std::pair<int, std::string>> slots;
        for (int i = 0; i < 14; ++i)
        {
            Look look;
            look.name = name + "." + states[i];
            look.clientPart = m.StatePart(image, states[i]);
            m.AddLook(look);
            slots.emplace_back(i, look.name);
        }
        m.AddLookList(name, 14, slots);
        return name;
    }

    // A text box: 0 normal, 1 hover, 2 empty with cue, 3 focused, 4 focused hover, 6 disabled,
    // 9 the cue text, 10 and 11 the selection. The text is centred unless leftAligned.
    std::string Field(const std::string& kind, int w, int h, unsigned textColor, bool leftAligned = false)
    {
        const std::string name = "field." + kind + "." + std::to_string(w) + "x" + std::to_string(h) +
                                 (leftAligned ? ".left" : "");
        if (m.HasLookList(name))
            return name;
        const ImageSpec& image = m.Image(kind, w, h);
        const std::pair<int, const char*> states[] = {{0, "normal"}, {1, "hover"},   {2, "normal"},
                                                       {3, "focused"}, {4, "focused"}, {6, "disabled"}};
        std::vector<std::pair<int, std::string>> slots;
        for (const auto& [index, state] : states)
        {
            const std::string lookName = name + "." + std::to_string(index);
            m.AddLook(TextLook(lookName, index == 6 ? Palette::kTextDisabled : textColor, leftAligned ? 0 : 0.5,
                               m.StatePart(image, state), 3, -3));
            slots.emplace_back(index, lookName);
        }
        m.AddLook(TextLook("field.cue", Palette::kTextDim, 0.5));
        slots.emplace_back(9, "field.cue");
        Look selection;
        selection.name = "field.selection";
        selection.clientPart = m.ColorPart("selection", 0xA02F8F86);
        m.AddLook(selection);
        slots.emplace_back(10, "field.selection");
        slots.emplace_back(11, "field.selection");
        m.AddLookList(name, 14, slots);
        return name;
    }

    // A combo box: 0 normal, 1 focused, 2 hover, 3 focused hover, 4 open, 5 open hover, 6 disabled.
    std::string Combo(int w, int h)
    {
        const std::string name = "combo." + std::to_string(w) + "x" + std::to_string(h);
        if (m.HasLookList(name))
            return name;
        const ImageSpec& image = m.Image("combo", w, h);
        std::vector<std::pair<int, std::string>> slots;
        for (int i = 0; i < 7; ++i)
        {
            const std::string lookName = name + "." + std::to_string(i);
            m.AddLook(TextLook(lookName, i == 6 ? Palette::kTextDisabled : Palette::kTextLight, 0,
                               m.StatePart(image, image.states[i]), 6, -(h + 2)));
            slots.emplace_back(i, lookName);
        }
        m.AddLookList(name, 7, slots);
        return name;
    }

    // Rows of lists (and, with the submenu arrow, of menus): the fourteen item looks.
    std::string Rows(bool menu)
    {
        const std::string name = menu ? "rows.menu" : "rows.list";
        if (m.HasLookList(name))
            return name;
        const int h = menu ? 20 : 18;
        static_assert(kMenuSeparator < 20);
        const ImageSpec& image = m.Image(menu ? "menu_row" : "row", 8, h);
        const ImageSpec& arrow = m.Image("submenu_arrow", 8, 8);
        std::vector<std::pair<int, std::string>> slots;
        for (int i = 0; i < 14; ++i)
        {
            const bool selected = i >= 7 && i <= 12;
            const bool alternate = i == 3 || i == 4 || i == 5 || i == 10 || i == 11 || i == 12;
            const bool hover = i == 1 || i == 2 || i == 4 || i == 5 || i == 8 || i == 9 || i == 11 || i == 12;
            std::string state;
            if (i == 13)
                state = "separator";
            else if (i == 6)
                state = "disabled";
            else if (menu)
                state = selected || hover ? "hover" : "plain";
            else if (selected)
                state = hover ? "selected_hover" : "selected";
            else
                state = hover ? "hover" : "plain";
            const std::string lookName = name + "." + std::to_string(i);
            // A menu row's text stops short of the hot key's own margin (the "hotKeyLabel" ends
            // 21 px from the right), so that a row as wide as its label and hot key keeps a gap.
            Look look = TextLook(lookName, i == 6 ? Palette::kTextDisabled : Palette::kTextLight, 0,
                                 m.StatePart(image, state), menu ? 24 : 6, menu ? -33 : -4);
            if (menu)
            {
                // A menu row is as high as its text needs; a separator, which has no text,
                // keeps the row's own small height.
                look.text.topAbs = 3;
                look.text.bottomAbs = -3;
                if (i == 13)
                {
                    look.hasText = false;
                    look.clientPart = m.StatePart(m.Image("menu_separator", 8, kMenuSeparator), "normal");
                }
            }
            // The submenu mark at its own size, centred on the row's height.
            if (menu && alternate)
                look.nonClient.push_back({m.StatePart(arrow, selected || hover ? "hover" : "normal"), false, false,
                                          true, false, 0, 0, -6, 0, 8, 8});
            m.AddLook(look);
            slots.emplace_back(i, lookName);
        }
        m.AddLookList(name, 14, slots);
        return name;
    }

    // A nine-slice frame over a 12 x 12 image with 5-pixel corners.
    Look Frame(const std::string& lookName, const std::string& kind)
    {
        const ImageSpec& image = m.Image(kind, 12, 12, false);
        const auto part = [&](int x, int y, int w, int h, const char* where) {
            return m.RectPart(image, "normal", x, y, w, h, where);
        };
        Look look;
        look.name = lookName;
        look.clientPart = part(5, 5, 2, 2, "c");
        look.clientInset = 5;
        look.nonClient = {
            {part(0, 0, 5, 5, "tl"), true, true, false, false, 0, 0, 0, 0, 5, 5},
            {part(5, 0, 2, 5, "t"), true, true, true, false, 5, 0, -5, 0, 0, 5},
            {part(7, 0, 5, 5, "tr"), false, true, true, false, 0, 0, 0, 0, 5, 5},
            {part(0, 5, 5, 2, "l"), true, true, false, true, 0, 5, 0, -5, 5, 0},
            {part(7, 5, 5, 2, "r"), false, true, true, true, 0, 5, 0, -5, 5, 0},
            {part(0, 7, 5, 5, "bl"), true, false, false, true, 0, 0, 0, 0, 5, 5},
            {part(5, 7, 2, 5, "b"), true, false, true, true, 5, 0, -5, 0, 0, 5},
            {part(7, 7, 5, 5, "br"), false, false, true, true, 0, 0, 0, 0, 5, 5},
        };
        return look;
    }

    std::string FrameList(const std::string& kind, int count, unsigned textColor = 0)
    {
        const std::string name = "frame." + kind;
        if (m.HasLookList(name))
            return name;
        Look look = Frame(name, kind);
        if (textColor != 0)
        {
            look.hasText = true;
            look.text.leftAbs = 6;
            look.text.rightAbs = -6;
            look.text.topAbs = 3;
            look.text.bottomAbs = -3;
            look.text.hAlign = 0;
            look.text.foreground = TextColor(textColor);
        }
        m.AddLook(look);
        std::vector<std::pair<int, std::string>> slots;
        for (int i = 0; i < count; ++i)
            slots.emplace_back(i, name);
        m.AddLookList(name, count, slots);
        return name;
    }

    // ---- Standard controls as trees -----------------------------------------------------------

    // The scroll bars. A size measured to a control (the parent, or "corner") reaches from the
    // control's own place to an edge: the reference's near edge, plus its size times the
    // factor, plus the pixels. A bar is as thick as the corner and ends where the corner
    // begins; its channel lies between the two arrows. The bar places the thumb itself, in
    // its own coordinates, inside the channel. A list's bar and corner stand at the edge of
    // the list's client area, inside its frame.
    Control VerticalBar(int thickness = 13, bool inList = false)
    {
        const char* frame = inList ? "Client" : "Parent";
        Control bar = Make("Framework.ScrollBar", "vBar", 0, 0, 0, 0);
        AtRight(bar, frame).Attr("XIsDocked", "True").Attr("YIsDocked", "True");
        bar.Attr("XSizeToControl", "corner").Attr("XSizeRel", "0");
        bar.Attr("YSizeToControl", "corner").Attr("YSizeRel", "0");
        Control& dec = bar.Add(Make("Framework.Button", "dec", 0, 0, thickness, thickness, Arrow("sb_up", 13, 13)));
        dec.Attr("XSizeToControl", "Parent").Attr("XSizeRel", "1");
        dec.w = 0;
        Control inc = Make("Framework.Button", "inc", 0, 0, 0, thickness, Arrow("sb_down", 13, 13));
        AtBottom(inc).Attr("XSizeToControl", "Parent").Attr("XSizeRel", "1");
        bar.Add(inc);
        Control channel = Make("Framework.ScrollChannel", "channel", 0, thickness, 0, -thickness, ChannelLooks());
        channel.Attr("XSizeToControl", "Parent").Attr("XSizeRel", "1").Attr("YSizeToControl", "Parent").Attr("YSizeRel", "1");
        bar.Add(channel);
        Control thumb = Make("Framework.Button", "thumb", 0, thickness, 0, 30, ThumbLooks(true));
        thumb.Attr("XSizeToControl", "Parent").Attr("XSizeRel", "1");
        bar.Add(thumb);
        return bar;
    }

    Control HorizontalBar(int thickness = 13)
    {
        Control bar = Make("Framework.ScrollBar", "hBar", 0, 0, 0, 0);
        AtBottom(bar).Attr("XIsDocked", "True").Attr("YIsDocked", "True");
        bar.Attr("YSizeToControl", "corner").Attr("YSizeRel", "0");
        bar.Attr("XSizeToControl", "corner").Attr("XSizeRel", "0");
        Control& dec = bar.Add(Make("Framework.Button", "dec", 0, 0, thickness, 0, Arrow("sb_left", 13, 13)));
        dec.Attr("YSizeToControl", "Parent").Attr("YSizeRel", "1");
        Control inc = Make("Framework.Button", "inc", 0, 0, thickness, 0, Arrow("sb_right", 13, 13));
        AtRight(inc).Attr("YSizeToControl", "Parent").Attr("YSizeRel", "1");
        bar.Add(inc);
        Control channel = Make("Framework.ScrollChannel", "channel", thickness, 0, -thickness, 0, ChannelLooks());
        channel.Attr("XSizeToControl", "Parent").Attr("XSizeRel", "1").Attr("YSizeToControl", "Parent").Attr("YSizeRel", "1");
        bar.Add(channel);
        Control thumb = Make("Framework.Button", "thumb", thickness, 0, 30, 0, ThumbLooks(false));
        thumb.Attr("YSizeToControl", "Parent").Attr("YSizeRel", "1");
        bar.Add(thumb);
        return bar;
    }

    // The square between two bars; its width and height are the bars' thicknesses. A list's
    // corner has no height (it only carries the vertical bar's) and stands inside the list's
    // frame with the bar.
    Control Corner(int thickness = 13, bool inList = false)
    {
        const char* frame = inList ? "Client" : "Parent";
        Control corner =
            Make("Framework.Label", "corner", 0, 0, thickness, inList ? 0 : thickness, Picture("corner", 13, 13));
        AtRight(corner, frame);
        AtBottom(corner, frame).Attr("XIsDocked", "True").Attr("YIsDocked", "True");
        return corner;
    }

    std::string ChannelLooks()
    {
        const std::string name = "channel";
        if (m.HasLookList(name))
            return name;
        const ImageSpec& image = m.Image("sb_channel", 8, 8, false);
        Look normal, highlight;
        normal.name = "channel.normal";
        normal.clientPart = m.StatePart(image, "normal");
        highlight.name = "channel.highlight";
        highlight.clientPart = m.StatePart(image, "highlight");
        m.AddLook(normal);
        m.AddLook(highlight);
        m.AddLookList(name, 2, {{0, normal.name}, {1, highlight.name}});
        return name;
    }

    // The scroll thumb: caps at both ends, the middle stretched.
    std::string ThumbLooks(bool vertical)
    {
        const std::string name = vertical ? "thumb.v" : "thumb.h";
        if (m.HasLookList(name))
            return name;
        const ImageSpec& image = vertical ? m.Image("sb_thumb_v", 13, 14, false) : m.Image("sb_thumb_h", 14, 13, false);
        const char* states[14] = {"normal", "hover", "pressed", "normal", "hover", "pressed", "normal",
                                  "normal", "hover", "pressed", "normal", "hover", "pressed", "normal"};
        std::vector<std::pair<int, std::string>> slots;
        for (int i = 0; i < 14; ++i)
        {
            Look look;
            look.name = name + "." + states[i];
            if (vertical)
            {
                look.clientPart = m.RectPart(image, states[i], 0, 5, 13, 4, "mid");
                look.nonClient = {
                    {m.RectPart(image, states[i], 0, 0, 13, 5, "top"), true, true, true, false, 0, 0, 0, 0, 0, 5},
                    {m.RectPart(image, states[i], 0, 9, 13, 5, "bottom"), true, false, true, true, 0, 0, 0, 0, 0, 5},
                };
            }
            else
            {
                look.clientPart = m.RectPart(image, states[i], 5, 0, 4, 13, "mid");
                look.nonClient = {
                    {m.RectPart(image, states[i], 0, 0, 5, 13, "left"), true, true, false, true, 0, 0, 0, 0, 5, 0},
                    {m.RectPart(image, states[i], 9, 0, 5, 13, "right"), false, true, true, true, 0, 0, 0, 0, 5, 0},
                };
            }
            m.AddLook(look);
            slots.emplace_back(i, look.name);
        }
        m.AddLookList(name, 14, slots);
        return name;
    }

    // A numeric up-down, 34 high: the field with the up and down arrows stacked at its right,
    // the slider below. The field holds three digits with room unless given wider. The slider
    // stands in from both sides, so that the thumbs of neighbouring up-downs never meet.
    Control UpDown(const std::string& name, int x, int y, int field = 34, int arrow = 12)
    {
        const int w = field + arrow;
        const int inset = 3;
        Control upDown = Make("Framework.NumericUpDown", name, x, y, w, 34, Container());
        upDown.Add(Make("Framework.TextBox", "textBox", 0, 0, field, 18, Field("field", field, 18, Palette::kTextLight)));
        upDown.Add(Make("Framework.Button", "buttonUp", field, 0, arrow, 9, Arrow("arrow_up", arrow, 9)));
        upDown.Add(Make("Framework.Button", "buttonDown", field, 9, arrow, 9, Arrow("arrow_down", arrow, 9)));
        const int track = w - 2 * inset;
        Control slider = Make("Framework.Slider", "slider1", inset, 22, track, 12, SliderLooks());
        for (const char* marker : {"thumbStart", "thumbEnd"})
        {
            Control& thumb = slider.Add(Make("Framework.Button", marker, marker[5] == 'S' ? 0 : track - 8, 0, 8, 12,
                                             Arrow("slider_thumb", 8, 12)));
            thumb.Attr("IsVisible", "False").Param("USE_PARENT_TOOLTIP", "true");
        }
        upDown.Add(slider);
        return upDown;
    }

    std::string SliderLooks()
    {
        const std::string name = "slider";
        if (m.HasLookList(name))
            return name;
        const ImageSpec& image = m.Image("slider_track", 46, 12);
        std::vector<std::pair<int, std::string>> slots;
        for (int i = 0; i < 3; ++i)
        {
            Look look;
            look.name = name + "." + image.states[i];
            look.clientPart = m.StatePart(image, image.states[i]);
            m.AddLook(look);
            slots.emplace_back(i, look.name);
        }
        m.AddLookList(name, 3, slots);
        return name;
    }

    // A combo box with its drop-down list. Every list has a vertical bar, shown while its items
    // do not fit (a list opening in little room is cut to that room).
    Control ComboBox(int x, int y, int w, int h, bool scrolls)
    {
        Control combo = Make("Framework.ComboBox", "comboBox", x, y, w, h, Combo(w, h));
        Control list = Make("Framework.ListBox", "listBox", 0, 0, 0, 0, FrameList("list_frame", 3));
        list.Attr("IsVisible", "False").Attr("ClipToParent", "False").Attr("YPositionToControl", "Parent")
            .Attr("YPositionRel", "1");
        if (scrolls) // a list with a maximum opens at it; short lists open at their own height
            list.Scaled("YMaxSizeAbs", 180);
        Control item = Make("Framework.ListBoxItem", "templateItem", 0, 0, 0, 18, Rows(false));
        item.Attr("XSizeToControl", "Client").Attr("XSizeRel", "1");
        list.Add(item);
        list.Add(Corner(13, true));
        list.Add(VerticalBar(13, true));
        combo.Add(list);
        return combo;
    }

    // A popup menu with its row template: a check box and the hot-key text.
    Control PopupMenu(const std::string& name, int w)
    {
        Control popup = Make("Framework.PopupMenu", name, 0, 0, w, 20, FrameList("popup_frame", 3));
        Control item = Make("Framework.MenuItem", "templateItem", 0, 0, 0, kMenuSeparator, Rows(true));
        item.Attr("XSizeToControl", "Client").Attr("XSizeRel", "1").Attr("TextOverflowYType", "Expand");
        item.Add(Make("Framework.Button", "checkBox", 5, 3, 14, 14, CheckLooks()));
        Control hotKey = Make("Framework.Label", "hotKeyLabel", -18, 0, 64, 0, Label(Palette::kTextDim, 1.0));
        AtRight(hotKey).Attr("YSizeToControl", "Parent").Attr("YSizeRel", "1");
        item.Add(hotKey);
        popup.Add(item);
        return popup;
    }

    std::string CheckLooks()
    {
        const std::string name = "check";
        if (m.HasLookList(name))
            return name;
        const ImageSpec& image = m.Image("check", 14, 14);
        std::vector<std::pair<int, std::string>> slots;
        for (int i = 0; i < 14; ++i)
        {
            const char* state = i == 7 ? "checked" : i == 8 ? "checked_hover" : "empty";
            Look look;
            look.name = std::string("check.") + state;
            look.clientPart = m.StatePart(image, state);
            m.AddLook(look);
            slots.emplace_back(i, look.name);
        }
        m.AddLookList(name, 14, slots);
        return name;
    }

    // ---- Parameter editors --------------------------------------------------------------------

    Control ComboEditor(const std::string& cls, const std::string& name, int x, int y, int w, bool caption = true,
                        bool scrolls = false)
    {
        Control editor = Make(cls, name, x, y, w, caption ? 36 : 20, Container());
        if (caption)
            editor.Add(Make("Framework.Label", "label", 0, 0, w, 14, Label(Palette::kTextDim, 0)));
        editor.Add(ComboBox(0, caption ? 16 : 0, w, 20, scrolls));
        return editor;
    }

    Control UpDownEditor(const std::string& cls, const std::string& name, int x, int y)
    {
        // A smaller caption: the sound parameters' names ("RELEASE") fill the narrow editors.
        Control editor = Make(cls, name, x, y, 48, 50, Container());
        editor.Add(Make("Framework.Label", "label", 0, 0, 48, 14, Label(Palette::kTextDim, 0.5, 0)))
            .Scaled("FontSize", 7);
        editor.Add(UpDown("parameterControl", 0, 16));
        return editor;
    }

    // A name of 16 characters in a fixed-pitch face from its left edge, as the controller's
    // display shows it: every name the box can hold takes the same width, the box is made to hold
    // it whole, and a name padded with blanks starts where an unpadded one does. At 7.5 and 10
    // points (and twice that) the face's hinted advance is a whole pixel equal to the measured
    // one, so the caret stands between the glyphs as they are drawn.
    Control NameEditor(const std::string& name, int x, int y, int w, bool lcd)
    {
        Control editor = Make("PresetEditor.NameEditPanel", name, x, y, w, 20, Container());
        editor
            .Add(Make("Framework.TextBox", "textBox", 0, 0, w, 20,
                      Field(lcd ? "lcd_field" : "field", w, 20, lcd ? Palette::kTextDark : Palette::kTextLight, true)))
            .Attr("FontName", "DejaVu Sans Mono")
            .Scaled("FontSize", lcd ? 10 : 7.5);
        return editor;
    }

    // ---- The device view ------------------------------------------------------------------------

    Control DeviceView();
    Control MainControl();
    Control KeyCurveDialog();
    Control AboutDialog();

    SkinModel& m;
};

Control EditorSkin::DeviceView()
{
    using namespace Device;
    const int ox = 8, oy = 8; // the picture's place in the view
    const auto at = [&](const Box& box) { return Box{box.x + ox, box.y + oy, box.w, box.h}; };

    // Below the menu bar down to the window's bottom edge.
    Control view = Make("PresetEditor.MainControl.DeviceView", "viewDevice", 0, 22, 0, 0, Container());
    view.Attr("XSizeToControl", "Parent").Attr("XSizeRel", "1").Attr("YSizeToControl", "Parent").Attr("YSizeRel", "1");
    view.Add(Corner());
    view.Add(HorizontalBar());
    view.Add(VerticalBar());
    view.Add(Make("PresetEditor.MainControl.DeviceView.ControllerBody", "controllerBody",
                  at(kPicture), Picture("controller", kPicture.w, kPicture.h)));

    // Program name on the display.
    Control preset = Make("PresetEditor.PresetName", "presetName", at(kPresetName), Container());
    preset.Add(Make("Framework.Label", "label", 0, 0, 60, 26, Label(Palette::kLcd, 0)));
    preset.Add(NameEditor("editPanel", 62, 3, 186, true));
    view.Add(preset);

    Control midi = Make("PresetEditor.MidiChannels", "midiChannels", at(kMidiChannels), Container());
    midi.Add(ComboEditor("PresetEditor.ParameterControl.MidiChannel", "padMidiChannel", 6, 2, 104));
    midi.Add(ComboEditor("PresetEditor.ParameterControl.MidiChannel", "joystickKnobKeybedSustainMidiChannel", 122, 2, 152));
    midi.Add(ComboEditor("PresetEditor.ParameterControl.GlobalPadAftertouchType", "padAftertouchType", 6, 40, 268));
    view.Add(midi);

    Control sounds = Make("PresetEditor.KeySoundParameters", "keysSoundParameters", at(kSounds), Container());
    sounds.Add(ComboEditor("PresetEditor.InternalSounds.KeybedSound", "keybedSounds", 6, 6, 240, true, true));
    sounds.Add(ComboEditor("PresetEditor.ParameterControl.PadSound", "padSound", 258, 6, 144, true, true));
    const std::pair<const char*, const char*> soundKnobs[] = {
        {"PresetEditor.ParameterControl.Filter", "filter"},   {"PresetEditor.ParameterControl.Resonance", "resonance"},
        {"PresetEditor.ParameterControl.Attack", "attack"},   {"PresetEditor.ParameterControl.Release", "release"},
        {"PresetEditor.ParameterControl.Reverb", "reverb"},   {"PresetEditor.ParameterControl.Chorus", "chorus"},
        {"PresetEditor.ParameterControl.EQLow", "eqLow"},     {"PresetEditor.ParameterControl.EQHigh", "eqHigh"}};
    for (int i = 0; i < 8; ++i)
        sounds.Add(UpDownEditor(soundKnobs[i].first, soundKnobs[i].second, 6 + i * 50, 72));
    view.Add(sounds);

    Control favorites = Make("PresetEditor.FavoriteBankPanel", "favoriteBankPanel", at(kFavorites), Container());
    // Tab goes through the favorites in their order, then to RAM.
    favorites.Add(Make("Framework.Button", "sendToRamButton", 6, 16, 40, 110, Button("ram", 40, 110)))
        .Attr("TabStop", "1");
    for (int i = 0; i < 8; ++i)
    {
        const int x = 52 + (i % 4) * 50, y = (i / 4) * 64;
        const std::string number = std::to_string(i + 1);
        favorites.Add(Make("Framework.Label", "labelFav" + number, x, y + 2, 48, 14, Label(Palette::kTextDim, 0.5)));
        Control fav =
            Make("PresetEditor.FavoriteBankPanel.FavoritePanel", "fav" + number, x, y + 16, 48, 46, Container());
        fav.Add(Make("Framework.Button", "sendButton", 0, 0, 48, 21, Button("send", 48, 21)));
        fav.Add(Make("Framework.Button", "recButton", 0, 25, 48, 21, Button("rec", 48, 21)));
        favorites.Add(fav);
    }
    view.Add(favorites);

    Control joystick = Make("PresetEditor.Joystick", "joystick", at(kJoystick), Container());
    for (int axis = 0; axis < 2; ++axis)
    {
        Control panel =
            Make("PresetEditor.Joystick.Axis", axis == 0 ? "xAxis" : "yAxis", 112, 6 + axis * 98, 164, 96, Container());
        panel.Add(Make("Framework.Label", "label", 0, 0, 164, 14, Label(Palette::kTextLight, 0)));
        panel.Add(ComboEditor("PresetEditor.ParameterControl.JoystickType", "type", 0, 16, 164, false));
        panel.Add(UpDownEditor("PresetEditor.ParameterControl.CCValuePanel", "cc1", 0, 42));
        panel.Add(Make("Framework.Label", "labelCC1", 48, 58, 12, 14, Label(Palette::kTextDim, 0)));
        panel.Add(UpDownEditor("PresetEditor.ParameterControl.CCValuePanel", "cc2", 62, 42));
        panel.Add(Make("Framework.Label", "labelCC2", 110, 58, 12, 14, Label(Palette::kTextDim, 0)));
        joystick.Add(panel);
    }
    view.Add(joystick);

    for (int bank = 0; bank < 2; ++bank)
    {
        Control knobs =
            Make("PresetEditor.KnobBank", "knobBank" + std::to_string(bank + 1), at(kKnobBanks[bank]), Container());
        for (int i = 0; i < 4; ++i)
        {
            Control knob = Make("PresetEditor.Knob", "knob" + std::to_string(i + 1), KnobPanel(i), Container());
            // The name field reaches from just beside the cap to the panel's edge, so that sixteen
            // characters of 6 pixels (and their padded measure) sit inside its text area with room
            // on either side; its caption keeps to its left edge.
            knob.Add(Make("Framework.Label", "knobNameLabel", 41, 0, 40, 16, Label(Palette::kTextLight, 0)));
            knob.Add(NameEditor("knobName", 41, 18, 108, false));
            knob.Add(UpDownEditor("PresetEditor.ParameterControl.CCValuePanel", "ccValuePanel", 0, 44));
            knob.Add(UpDownEditor("PresetEditor.ParameterControl.MinValuePanel", "minValuePanel", 51, 44));
            knob.Add(UpDownEditor("PresetEditor.ParameterControl.MaxValuePanel", "maxValuePanel", 102, 44));
            knobs.Add(knob);
        }
        view.Add(knobs);
    }

    Control arp = Make("PresetEditor.Arpeggiator", "arpeggiator", at(kArpeggiator), Container());
    {
        Control onOff = Make("PresetEditor.ParameterControl.ArpOnOff", "arpOnOff", 6, 4, 70, 36, Container());
        onOff.Add(Make("Framework.Label", "label", 0, 0, 70, 14, Label(Palette::kTextDim, 0)));
        onOff.Add(Make("Framework.Button", "parameterControl", 0, 16, 70, 20, Button("toggle", 70, 20)))
            .Param("AUTO_VALUE_SET", "true");
        arp.Add(onOff);
    }
    arp.Add(ComboEditor("PresetEditor.ParameterControl.ArpLatch", "latchOnOff", 84, 4, 70));
    arp.Add(ComboEditor("PresetEditor.ParameterControl.Octave", "arpOctave", 162, 4, 70));
    // Each combo is as wide as its longest item needs ("DOWN", "1/32T", "EXTERNAL"), so the
    // short tempo taps share the mode's row and the clock source opens the row below.
    arp.Add(ComboEditor("PresetEditor.ParameterControl.ArpMode", "arpMode", 6, 50, 70));
    arp.Add(ComboEditor("PresetEditor.ParameterControl.TimeDivision", "timeDivision", 80, 50, 64));
    arp.Add(ComboEditor("PresetEditor.ParameterControl.TempoTaps", "tempoTaps", 148, 50, 84));
    arp.Add(ComboEditor("PresetEditor.ParameterControl.ClockSource", "clockSource", 6, 96, 104));
    arp.Add(UpDownEditor("PresetEditor.ParameterControl.OnOff.Swing", "swing", 118, 96));
    arp.Add(UpDownEditor("PresetEditor.ParameterControl.Tempo", "tempo", 178, 96));
    view.Add(arp);

    for (int bank = 0; bank < 2; ++bank)
    {
        Control pads =
            Make("PresetEditor.PadBank", "padBank" + std::to_string(bank + 1), at(kPadBanks[bank]), Container());
        for (int i = 0; i < 8; ++i)
        {
            Control pad = Make("PresetEditor.Pad", "pad" + std::to_string(i + 1), PadPanel(i), Container());
            pad.Add(Make("Framework.Label", "label", 4, 4, 70, 14, Label(Palette::kTextLight, 0.5)));
            Control note = Make("PresetEditor.ParameterControl.MidiNote", "midiNote", 4, 22, 70, 52, Container());
            note.Add(Make("Framework.Label", "label", 0, 0, 70, 14, Label(Palette::kTextDim, 0.5)));
            Control selector =
                Make("PresetEditor.MidiNoteSelector", "parameterControl", 0, 16, 70, 36, Container());
            selector.Add(
                Make("Framework.Label", "noteNameLabel", 48, 0, 22, 16, Label(Palette::kTextLight, 0.5, 0)));
            selector.Add(UpDown("numericUpDown", 0, 0));
            selector.Add(
                Make("Framework.Label", "octaveNameLabel", 48, 18, 22, 16, Label(Palette::kTextDim, 0.5, 0)));
            note.Add(selector);
            pad.Add(note);
            pads.Add(pad);
        }
        view.Add(pads);
    }

    Control keyboard = Make("PresetEditor.Keyboard", "keyboard", at(kKeyboard), Container());
    keyboard.Add(ComboEditor("PresetEditor.ParameterControl.KeyboardOctave", "octave", 6, 6, 108));
    keyboard.Add(ComboEditor("PresetEditor.ParameterControl.KeyboardTranspose", "transpose", 122, 6, 108));
    keyboard.Add(Make("Framework.Button", "buttonOpenKeyEditDialog", 6, 56, 100, 56, Button("button", 100, 56)));
    view.Add(keyboard);
    return view;
}

Control EditorSkin::MainControl()
{
    // The main control fills the window up to the size of the controller's picture, so a
    // window cut to a small screen shows the device view's scroll bars.
    Control main = Make("PresetEditor.MainControl", "mainControl", 0, 0, 0, 0, "");
    main.Attr("XSizeToControl", "Client").Attr("XSizeRel", "1").Attr("YSizeToControl", "Client").Attr("YSizeRel", "1");
    main.Scaled("XMaxSizeAbs", 1240).Scaled("YMaxSizeAbs", 780);
    {
        const std::string name = "window";
        if (!m.HasLookList(name))
        {
            Look look;
            look.name = name;
            look.clientPart = m.ColorPart("window", Palette::kWindow);
            m.AddLook(look);
            m.AddLookList(name, 1, {{0, name}});
        }
        main.lookList = name;
    }

    Control menu = Make("Framework.MainMenu", "mainMenu", 0, 0, 0, 22, "menubar");
    menu.Attr("XSizeToControl", "Parent").Attr("XSizeRel", "1");
    if (!m.HasLookList("menubar"))
    {
        Look look;
        look.name = "menubar";
        look.clientPart = m.StatePart(m.Image("menubar", 8, 22, false), "normal");
        m.AddLook(look);
        m.AddLookList("menubar", 1, {{0, "menubar"}});
    }
    Control title = Make("Framework.ComboMenu", "templateMenu", 4, 0, 52, 22, "");
    {
        const ImageSpec& image = m.Image("menu_title", 52, 22);
        std::vector<std::pair<int, std::string>> slots;
        // Normal, hover, open, disabled, then focused and focused hover.
        const int count = static_cast<int>(image.states.size());
        for (int i = 0; i < count; ++i)
        {
            const std::string lookName = "menu_title." + image.states[i];
            m.AddLook(TextLook(lookName, i == 3 ? Palette::kTextDisabled : Palette::kTextLight, 0.5,
                               m.StatePart(image, image.states[i])));
            slots.emplace_back(i, lookName);
        }
        m.AddLookList("menu_title", count, slots);
        title.lookList = "menu_title";
    }
    Control popup = PopupMenu("popupMenu", 200);
    popup.Attr("IsVisible", "False").Attr("YPositionToControl", "Parent").Attr("YPositionRel", "1");
    title.Add(popup);
    menu.Add(title);
    main.Add(menu);
    main.Add(DeviceView());
    return main;
}

Control EditorSkin::KeyCurveDialog()
{
    Control dialog = Make("PresetEditor.DialogEditKeyCurve", "dialogEditKeyCurve", 0, 0, 500, 340,
                          Picture("keycurve_back", 500, 340));
    // The plot is the whole graph. The curve's points are centred on their values, and the
    // values span the plot less half a point on every side, so a point at the end of the range
    // still shows whole inside the plot.
    const int point = 6;
    // The curve is edited through the fields beside it: the graph itself takes no focus.
    Control graph = Make("Framework.Graph", "graph", 20, 34, 300, 210, "graph");
    graph.Param("NOT_FOCUSABLE", "true");
    if (!m.HasLookList("graph"))
    {
        Look look;
        look.name = "graph";
        look.clientPart = m.ColorPart("graph.values", 0x00000000);
        look.clientInset = point / 2;
        look.nonClient.push_back({m.StatePart(m.Image("graph_back", 300, 210, false), "normal"), true, true, true,
                                  true, 0, 0, 0, 0, 0, 0});
        m.AddLook(look);
        m.AddLookList("graph", 1, {{0, "graph"}});
    }
    graph.Add(Make("Framework.Label", "pointTemplate", 0, 0, point, point, Picture("graph_point", point, point)))
        .Attr("XPlacementAnchor", "0.5")
        .Attr("YPlacementAnchor", "0.5");
    dialog.Add(graph);
    Control curve = Make("Framework.Label", "labelCurve", 20, 14, 100, 16, Label(Palette::kTextDim, 0));
    curve.Attr("IsVisible", "False");
    dialog.Add(curve);
    dialog.Add(Make("Framework.Label", "labelGraphRight", 20, 248, 300, 16, Label(Palette::kTextDim, 1.0)));
    for (int i = 1; i <= 4; ++i)
    {
        const std::string n = std::to_string(i);
        // The dialog puts each number on its point; anchored at its far corner, the number
        // sits above and left of the point instead of under it.
        dialog.Add(Make("Framework.Label", "labelGraphV" + n, 0, 0, 12, 14, Label(Palette::kTextLight, 0.5, 0)))
            .Attr("XPlacementAnchor", "1")
            .Attr("YPlacementAnchor", "1");
        const int y = 22 + (i - 1) * 44;
        dialog.Add(Make("Framework.Label", "labelV" + n, 336, y, 28, 18, Label(Palette::kTextLight, 0.5)));
        dialog.Add(UpDown("numericUpDownV" + n, 366, y, 50, 12));
        dialog.Add(Make("Framework.Label", "labelV" + n + "Units", 432, y, 30, 18, Label(Palette::kTextDim, 0)));
    }
    dialog.Add(Make("Framework.Label", "labelBlackKeyBalance", 340, 200, 146, 16, Label(Palette::kTextDim, 0.5)));
    dialog.Add(UpDown("numericUpDownBlackKeyBalance", 386, 220, 42, 12));
    dialog.Add(Make("Framework.Button", "buttonSend", 20, 298, 110, 28, Button("button", 110, 28)));
    dialog.Add(Make("Framework.Button", "buttonSetDefaults", 140, 298, 130, 28, Button("button", 130, 28)));
    dialog.Add(Make("Framework.Button", "buttonClose", 370, 298, 110, 28, Button("button", 110, 28)));
    return dialog;
}

Control EditorSkin::AboutDialog()
{
    Control dialog = Make("PresetEditor.DialogAbout", "dialogAbout", 0, 0, 420, 250, Picture("about_back", 420, 250));
    dialog.Add(Make("Framework.Label", "companyLogo", 20, 18, 160, 60, Picture("company_logo", 160, 60)));
    // A button of its own with its text, beside the one that closes the dialog.
    dialog.Add(Make("Framework.Button", "buttonSupport", 150, 204, 130, 28, Button("button", 130, 28)));
    dialog.Add(Make("Framework.Label", "labelTitle", 200, 24, 200, 18, Label(Palette::kTextLight, 0)));
    dialog.Add(Make("Framework.Label", "labelProduct", 200, 48, 200, 16, Label(Palette::kTextDim, 0)));
    Control notice = Make("Framework.Label", "labelCopyright", 20, 112, 380, 72, Label(Palette::kTextDim, 0));
    notice.Attr("TextOverflowXType", "Wrap");
    dialog.Add(notice);
    dialog.Add(Make("Framework.Button", "buttonClose", 290, 204, 110, 28, Button("button", 110, 28)));
    return dialog;
}

void EditorSkin::Build()
{
    // Pictures that no control shows but the program loads by name.
    m.Image("icon", 48, 48, false);
    m.Image("cursor_move", 32, 32, false);
    m.Image("cursor_copy", 32, 32, false);

    std::vector<Control>& top = m.TopLevel();
    top.push_back(MainControl());
    top.push_back(AboutDialog());
    top.push_back(KeyCurveDialog());

    // A tip is a child of the control it explains but lies below the pointer, mostly outside
    // that control: unclipped and above everything else, it shows whole. It grows to its text;
    // a text wider than the window wraps (the tip's maximum width is the window's).
    Control tip = Make("Framework.ToolTip", "toolTip", 0, 0, 40, 20, FrameList("tooltip_frame", 1, Palette::kTextDark));
    tip.Attr("TextOverflowXType", "Expand").Attr("TextOverflowYType", "Expand");
    tip.Attr("ClipToParent", "False").Attr("Z_Order", "9999999");
    top.push_back(tip);

    top.push_back(PopupMenu("contextMenu", 160));
}

} // namespace

void BuildEditorSkin(SkinModel& model)
{
    EditorSkin(model).Build();

    // A control paints its children and hands the pointer on to them only under a look of
    // its own. A container the description left without one gets the empty container look
    // (made with the panels): no parts, so it shows nothing itself and the pointer falls
    // through where no child lies.
    const std::string container = "container";
    if (!model.HasLookList(container))
        throw std::logic_error("the skin has no container look");
    const std::function<void(Control&)> give = [&](Control& control) {
        if (control.lookList.empty() && !control.children.empty())
            control.lookList = container;
        for (Control& child : control.children)
            give(child);
    };
    for (Control& control : model.TopLevel())
        give(control);
}

} // namespace SkinArt
