// vedidu_user_guide: typesets the user guide from its text source into a PDF.
//
//   vedidu_user_guide --source GUIDE.md --out GUIDE.pdf [--picture PICTURE.png]
//
// The source is a small subset of Markdown: "# " the title (with the paragraphs up to the
// first chapter on the title page), "## " chapters, "### " sections, "- " bullets, blank
// lines between paragraphs, "**" around bold words and "![caption](picture.png)" on a line
// of its own for a PNG picture beside the source, set across the text's width with its
// caption below. Pages are A4, set in Liberation Sans
// through fontconfig. Nothing depends on the clock: two runs write identical bytes. The PDF
// is written beside its final name and moved there only when complete, so a failed run
// leaves the previous guide in place.
//
// Sections: command line; the source's blocks; words and lines; page layout; drawing; main.
#include "QKFramework/Platform/Core/UniqueHandle.h"
#include "QKFramework/Platform/Render/Cairo/CairoDrawingSurface.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{

using Surface = QK::UniqueHandle<QK::CairoSurfaceTraits>;
using Context = QK::UniqueHandle<QK::CairoContextTraits>;

constexpr const char* kFamily = "Liberation Sans";
constexpr const char* kRunningHead = "Vedidu Editor \u2013 User Guide";
constexpr double kPageWidth = 595.28; // A4 in points
constexpr double kPageHeight = 841.89;
constexpr double kMarginLeft = 72.0;
constexpr double kMarginRight = 72.0;
constexpr double kBodyTop = 96.0;
constexpr double kBodyBottom = kPageHeight - 84.0;
constexpr double kBodyWidth = kPageWidth - kMarginLeft - kMarginRight;
constexpr double kBulletIndent = 16.0;

struct Colour
{
    double r, g, b;
};
constexpr Colour kInk{0.13, 0.14, 0.16};
constexpr Colour kAccent{0.05, 0.42, 0.55};
constexpr Colour kQuiet{0.45, 0.47, 0.50};
constexpr Colour kRule{0.78, 0.80, 0.83};

struct FcPatternTraits
{
    using Handle = FcPattern*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle pattern) noexcept { FcPatternDestroy(pattern); }
};

// The guide is set in one family only; a stand-in face would move every line break, so its
// absence is an error rather than a quiet substitution.
bool FamilyIsInstalled(const char* family)
{
    QK::UniqueHandle<FcPatternTraits> pattern(FcNameParse(reinterpret_cast<const FcChar8*>(family)));
    if (!pattern)
        return false;
    FcConfigSubstitute(nullptr, pattern.Get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.Get());
    FcResult result = FcResultNoMatch;
    QK::UniqueHandle<FcPatternTraits> match(FcFontMatch(nullptr, pattern.Get(), &result));
    FcChar8* found = nullptr;
    return match && FcPatternGetString(match.Get(), FC_FAMILY, 0, &found) == FcResultMatch &&
           std::string(reinterpret_cast<const char*>(found)) == family;
}

int Usage(const std::string& problem)
{
    std::fprintf(stderr,
                 "vedidu_user_guide: %s\n"
                 "usage: vedidu_user_guide --source GUIDE.md --out GUIDE.pdf [--picture PICTURE.png]\n",
                 problem.c_str());
    return 2;
}

// ---- The source's blocks ------------------------------------------------------------------------

enum class BlockKind
{
    Title,
    Chapter,
    Section,
    Paragraph,
    Bullet,
    Picture
};

struct Block
{
    BlockKind kind;
    std::string text;          // a picture's caption
    std::string picture = {};  // a picture's path, relative to the source's folder
};

// "![caption](path)" and nothing else on the line.
bool ParsePicture(const std::string& text, Block& block)
{
    if (text.rfind("![", 0) != 0 || text.back() != ')')
        return false;
    const std::size_t middle = text.find("](");
    if (middle == std::string::npos)
        return false;
    block = {BlockKind::Picture, text.substr(2, middle - 2), text.substr(middle + 2, text.size() - middle - 3)};
    return !block.picture.empty();
}

// Straight quotes become typographic ones and menu paths get a proper arrow.
std::string Typeset(const std::string& text)
{
    std::string out;
    bool open = true;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c == '"')
        {
            out += open ? "\u201C" : "\u201D";
            open = !open;
        }
        else if (c == '\'')
            out += "\u2019";
        else if (c == '>' && i > 0 && text[i - 1] == ' ' && i + 1 < text.size() && text[i + 1] == ' ')
            out += "\u203A";
        else
            out += c;
    }
    return out;
}

std::vector<Block> ReadBlocks(std::istream& in)
{
    std::vector<Block> blocks;
    std::string line;
    bool inParagraph = false; // the last block takes continuation lines
    while (std::getline(in, line))
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos)
        {
            inParagraph = false;
            continue;
        }
        const std::string text = line.substr(start);
        const auto heading = [&](const char* marker, BlockKind kind)
        {
            const std::string prefix = marker;
            if (text.rfind(prefix, 0) != 0)
                return false;
            blocks.push_back({kind, Typeset(text.substr(prefix.size()))});
            inParagraph = false;
            return true;
        };
        if (heading("### ", BlockKind::Section) || heading("## ", BlockKind::Chapter) ||
            heading("# ", BlockKind::Title))
            continue;
        if (Block picture{}; ParsePicture(text, picture))
        {
            picture.text = Typeset(picture.text);
            blocks.push_back(std::move(picture));
            inParagraph = false;
            continue;
        }
        if (text.rfind("- ", 0) == 0)
        {
            blocks.push_back({BlockKind::Bullet, Typeset(text.substr(2))});
            inParagraph = true;
            continue;
        }
        if (inParagraph)
        {
            blocks.back().text += ' ';
            blocks.back().text += Typeset(text);
        }
        else
            blocks.push_back({BlockKind::Paragraph, Typeset(text)});
        inParagraph = true;
    }
    return blocks;
}

// ---- Words and lines ----------------------------------------------------------------------------

struct Style
{
    double size;
    bool bold;
    Colour colour;
};

struct Run
{
    std::string text;
    bool bold;
};

// A word is what lies between spaces; "**" may switch to bold inside it ("**REC**,").
using Word = std::vector<Run>;

std::vector<Word> SplitWords(const std::string& text)
{
    std::vector<Word> words(1);
    bool bold = false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        if (text.compare(i, 2, "**") == 0)
        {
            bold = !bold;
            ++i;
            continue;
        }
        if (text[i] == ' ')
        {
            if (!words.back().empty())
                words.emplace_back();
            continue;
        }
        Word& word = words.back();
        if (word.empty() || word.back().bold != bold)
            word.push_back({std::string(), bold});
        word.back().text += text[i];
    }
    if (words.back().empty())
        words.pop_back();
    return words;
}

void SelectFont(cairo_t* cr, double size, bool bold)
{
    cairo_select_font_face(cr, kFamily, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

// Advances as the outlines give them, not rounded to whole points: the PDF places glyphs
// that way, and rounded widths would leave uneven gaps between the runs of a line.
void UseOutlineMetrics(cairo_t* cr)
{
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

double Advance(cairo_t* cr, const std::string& text, double size, bool bold)
{
    SelectFont(cr, size, bold);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    return extents.x_advance;
}

// One piece of text placed on a page, at its baseline.
struct Placed
{
    double x, y;
    std::string text;
    Style style;
};

// Breaks the words into lines of at most width points; each line is a list of placed runs
// relative to the line's left end (y = 0).
std::vector<std::vector<Placed>> BreakLines(cairo_t* cr, const std::vector<Word>& words, const Style& style,
                                            double width)
{
    std::vector<std::vector<Placed>> lines(1);
    const double space = Advance(cr, " ", style.size, style.bold);
    double x = 0.0;
    for (const Word& word : words)
    {
        double wordWidth = 0.0;
        for (const Run& run : word)
            wordWidth += Advance(cr, run.text, style.size, style.bold || run.bold);
        if (!lines.back().empty() && x + space + wordWidth > width)
        {
            lines.emplace_back();
            x = 0.0;
        }
        else if (!lines.back().empty())
            x += space;
        for (const Run& run : word)
        {
            Style runStyle = style;
            runStyle.bold = style.bold || run.bold;
            lines.back().push_back({x, 0.0, run.text, runStyle});
            x += Advance(cr, run.text, runStyle.size, runStyle.bold);
        }
    }
    if (lines.back().empty())
        lines.pop_back();
    return lines;
}

// ---- Page layout --------------------------------------------------------------------------------

struct Rule
{
    double x, y, width;
};

// A picture on a page: its top left corner and the scale from pixels to points.
struct PlacedPicture
{
    double x, y, scale;
    cairo_surface_t* picture;
};

struct Page
{
    std::vector<Placed> texts;
    std::vector<Rule> rules;
    std::vector<PlacedPicture> pictures;
};

struct Chapter
{
    std::string title;
    int page; // 1-based
    double y;
};

struct Layout
{
    std::string title;
    std::vector<std::string> frontMatter; // paragraphs of the title page
    std::vector<Page> pages;              // the body pages, after the title page
    std::vector<Chapter> chapters;
};

struct BlockLook
{
    Style style;
    double leading;     // baseline to baseline
    double spaceBefore; // above the first line
    double spaceAfter;
};

BlockLook LookOf(BlockKind kind)
{
    switch (kind)
    {
    case BlockKind::Chapter:
        return {{17.0, true, kAccent}, 22.0, 26.0, 10.0};
    case BlockKind::Section:
        return {{12.0, true, kInk}, 16.0, 14.0, 4.0};
    case BlockKind::Bullet:
        return {{10.5, false, kInk}, 15.0, 2.0, 2.0};
    default:
        return {{10.5, false, kInk}, 15.0, 4.0, 6.0};
    }
}

constexpr double kPictureSpace = 12.0;     // above the picture and below its caption
constexpr double kPictureMaxHeight = 320.0;
constexpr Style kCaptionStyle{9.0, false, kQuiet};
constexpr double kCaptionLeading = 12.0;

// pictures[i] is the image of blocks[i] when that block is a picture.
Layout LayOut(cairo_t* cr, const std::vector<Block>& blocks, const std::vector<cairo_surface_t*>& pictures)
{
    Layout layout;
    double y = kBodyTop;
    const auto newPage = [&]
    {
        layout.pages.emplace_back();
        y = kBodyTop;
    };
    bool bodyStarted = false;
    for (std::size_t i = 0; i < blocks.size(); ++i)
    {
        const Block& block = blocks[i];
        if (block.kind == BlockKind::Title)
        {
            layout.title = block.text;
            continue;
        }
        if (!bodyStarted && block.kind != BlockKind::Chapter)
        {
            layout.frontMatter.push_back(block.text);
            continue;
        }
        if (!bodyStarted)
        {
            bodyStarted = true;
            newPage();
        }

        if (block.kind == BlockKind::Picture)
        {
            cairo_surface_t* picture = pictures[i];
            const double width = cairo_image_surface_get_width(picture);
            const double height = cairo_image_surface_get_height(picture);
            const double scale = std::min(kBodyWidth / width, kPictureMaxHeight / height);
            const auto caption = BreakLines(cr, SplitWords(block.text), kCaptionStyle, kBodyWidth);
            const double needed = kPictureSpace + height * scale + 4.0 +
                                  kCaptionLeading * static_cast<double>(caption.size());
            if (y != kBodyTop && y + needed > kBodyBottom)
                newPage();
            if (y != kBodyTop)
                y += kPictureSpace;
            Page& page = layout.pages.back();
            page.pictures.push_back({kMarginLeft + (kBodyWidth - width * scale) / 2.0, y, scale, picture});
            y += height * scale + 4.0;
            for (const auto& line : caption)
            {
                y += kCaptionLeading;
                const Placed& last = line.back();
                const double lineWidth = last.x + Advance(cr, last.text, last.style.size, last.style.bold);
                for (const Placed& run : line)
                    page.texts.push_back(
                        {kMarginLeft + (kBodyWidth - lineWidth) / 2.0 + run.x, y - 3.0, run.text, run.style});
            }
            y += kPictureSpace;
            continue;
        }

        const BlockLook look = LookOf(block.kind);
        const bool bullet = block.kind == BlockKind::Bullet;
        const double indent = bullet ? kBulletIndent : 0.0;
        const auto lines = BreakLines(cr, SplitWords(block.text), look.style, kBodyWidth - indent);
        if (lines.empty())
            continue;

        // A heading keeps its own lines and the first two lines of what follows on its page.
        double needed = look.spaceBefore + look.leading * static_cast<double>(lines.size());
        if (block.kind == BlockKind::Chapter || block.kind == BlockKind::Section)
            needed += 2.0 * LookOf(BlockKind::Paragraph).leading + 16.0;
        const bool atTop = y == kBodyTop;
        if (!atTop && y + needed > kBodyBottom)
            newPage();
        if (y != kBodyTop)
            y += look.spaceBefore;
        // A list ends with a little more air than lies between its items.
        if (y != kBodyTop && !bullet && i > 0 && blocks[i - 1].kind == BlockKind::Bullet)
            y += 4.0;

        Page* page = &layout.pages.back();
        if (block.kind == BlockKind::Chapter)
            layout.chapters.push_back({block.text, static_cast<int>(layout.pages.size()) + 1, y});
        if (bullet)
            page->texts.push_back({kMarginLeft + 3.0, y + look.leading - 4.0, "\u2022", look.style});
        for (const auto& line : lines)
        {
            if (y + look.leading > kBodyBottom)
            {
                newPage();
                page = &layout.pages.back();
            }
            y += look.leading;
            for (const Placed& run : line)
                page->texts.push_back({kMarginLeft + indent + run.x, y - 4.0, run.text, run.style});
        }
        if (block.kind == BlockKind::Chapter)
        {
            page->rules.push_back({kMarginLeft, y + 5.0, kBodyWidth});
            y += 5.0;
        }
        y += look.spaceAfter;
    }
    return layout;
}

// ---- Drawing ------------------------------------------------------------------------------------

void SetColour(cairo_t* cr, const Colour& colour)
{
    cairo_set_source_rgb(cr, colour.r, colour.g, colour.b);
}

void DrawText(cairo_t* cr, const Placed& text)
{
    SelectFont(cr, text.style.size, text.style.bold);
    SetColour(cr, text.style.colour);
    cairo_move_to(cr, text.x, text.y);
    cairo_show_text(cr, text.text.c_str());
}

void DrawRule(cairo_t* cr, const Rule& rule, const Colour& colour, double width)
{
    SetColour(cr, colour);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, rule.x, rule.y);
    cairo_line_to(cr, rule.x + rule.width, rule.y);
    cairo_stroke(cr);
}

void DrawRightAligned(cairo_t* cr, const std::string& text, double right, double y, const Style& style)
{
    DrawText(cr, {right - Advance(cr, text, style.size, style.bold), y, text, style});
}

void DrawTitlePage(cairo_t* cr, const Layout& layout, cairo_surface_t* picture)
{
    // A band of the accent colour across the top, the title below it.
    SetColour(cr, kAccent);
    cairo_rectangle(cr, 0, 0, kPageWidth, 14.0);
    cairo_fill(cr);

    double y = 150.0;
    DrawText(cr, {kMarginLeft, y, layout.title, {34.0, true, kInk}});
    y += 14.0;
    DrawRule(cr, {kMarginLeft, y, 64.0}, kAccent, 3.0);
    y += 10.0;
    for (std::size_t i = 0; i < layout.frontMatter.size(); ++i)
    {
        const Style style = i == 0 ? Style{16.0, false, kQuiet} : Style{11.0, false, kInk};
        const double leading = i == 0 ? 24.0 : 16.0;
        y += i == 0 ? 8.0 : 14.0;
        for (const auto& line : BreakLines(cr, SplitWords(layout.frontMatter[i]), style, kBodyWidth))
        {
            y += leading;
            for (const Placed& run : line)
                DrawText(cr, {kMarginLeft + run.x, y, run.text, run.style});
        }
    }

    if (picture)
    {
        const double width = cairo_image_surface_get_width(picture);
        const double height = cairo_image_surface_get_height(picture);
        if (width > 0 && height > 0)
        {
            const double scale = std::min(kBodyWidth / width, 180.0 / height);
            y += 26.0;
            cairo_save(cr);
            cairo_translate(cr, kMarginLeft + (kBodyWidth - width * scale) / 2.0, y);
            cairo_scale(cr, scale, scale);
            cairo_set_source_surface(cr, picture, 0, 0);
            cairo_paint(cr);
            cairo_restore(cr);
            y += height * scale;
        }
    }

    // Contents, with dotted leaders to the page numbers.
    y += 40.0;
    DrawText(cr, {kMarginLeft, y, "Contents", {13.0, true, kAccent}});
    y += 6.0;
    for (const Chapter& chapter : layout.chapters)
    {
        y += 19.0;
        const Style style{11.0, false, kInk};
        const std::string number = std::to_string(chapter.page);
        const double titleEnd = kMarginLeft + Advance(cr, chapter.title, style.size, false) + 6.0;
        const double numberStart = kPageWidth - kMarginRight - Advance(cr, number, style.size, false) - 6.0;
        DrawText(cr, {kMarginLeft, y, chapter.title, style});
        SetColour(cr, kRule);
        for (double dot = numberStart - 2.0; dot > titleEnd; dot -= 5.0)
        {
            cairo_arc(cr, dot, y - 1.0, 0.7, 0, 6.2832);
            cairo_fill(cr);
        }
        DrawRightAligned(cr, number, kPageWidth - kMarginRight, y, style);
    }

    const Style small{9.0, false, kQuiet};
    DrawText(cr, {kMarginLeft, kPageHeight - 60.0, "Dozavod Professional", {9.0, true, kQuiet}});
    DrawRightAligned(cr, "Guide edition 1.0", kPageWidth - kMarginRight, kPageHeight - 60.0, small);
}

void DrawBodyPage(cairo_t* cr, const Page& page, int number, int count)
{
    const Style small{8.5, false, kQuiet};
    DrawText(cr, {kMarginLeft, 54.0, kRunningHead, small});
    DrawRule(cr, {kMarginLeft, 62.0, kBodyWidth}, kRule, 0.6);
    for (const Rule& rule : page.rules)
        DrawRule(cr, rule, kRule, 0.8);
    for (const PlacedPicture& placed : page.pictures)
    {
        const double width = cairo_image_surface_get_width(placed.picture) * placed.scale;
        const double height = cairo_image_surface_get_height(placed.picture) * placed.scale;
        cairo_save(cr);
        cairo_translate(cr, placed.x, placed.y);
        cairo_scale(cr, placed.scale, placed.scale);
        cairo_set_source_surface(cr, placed.picture, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
        SetColour(cr, kRule);
        cairo_set_line_width(cr, 0.6);
        cairo_rectangle(cr, placed.x, placed.y, width, height);
        cairo_stroke(cr);
    }
    for (const Placed& text : page.texts)
        DrawText(cr, text);
    DrawRule(cr, {kMarginLeft, kPageHeight - 62.0, kBodyWidth}, kRule, 0.6);
    DrawRightAligned(cr, std::to_string(number) + " / " + std::to_string(count), kPageWidth - kMarginRight,
                     kPageHeight - 48.0, small);
}

bool WriteGuide(const Layout& layout, cairo_surface_t* picture, const std::string& path)
{
    Surface surface(cairo_pdf_surface_create(path.c_str(), kPageWidth, kPageHeight));
    if (cairo_surface_status(surface.Get()) != CAIRO_STATUS_SUCCESS)
        return false;
    // No date: the same source gives the same bytes.
    cairo_pdf_surface_set_metadata(surface.Get(), CAIRO_PDF_METADATA_CREATE_DATE, "");
    cairo_pdf_surface_set_metadata(surface.Get(), CAIRO_PDF_METADATA_TITLE, kRunningHead);
    cairo_pdf_surface_set_metadata(surface.Get(), CAIRO_PDF_METADATA_AUTHOR, "Dozavod Professional");
    cairo_pdf_surface_set_metadata(surface.Get(), CAIRO_PDF_METADATA_CREATOR, "vedidu_user_guide");

    const int count = static_cast<int>(layout.pages.size()) + 1;
    {
        Context cr(cairo_create(surface.Get()));
        UseOutlineMetrics(cr.Get());
        DrawTitlePage(cr.Get(), layout, picture);
        cairo_show_page(cr.Get());
        for (std::size_t i = 0; i < layout.pages.size(); ++i)
        {
            DrawBodyPage(cr.Get(), layout.pages[i], static_cast<int>(i) + 2, count);
            cairo_show_page(cr.Get());
        }
        if (cairo_status(cr.Get()) != CAIRO_STATUS_SUCCESS)
            return false;
    }
    // The reader's bookmarks: one per chapter.
    for (const Chapter& chapter : layout.chapters)
    {
        const std::string target = "page=" + std::to_string(chapter.page) + " pos=[" +
                                   std::to_string(static_cast<int>(kMarginLeft)) + " " +
                                   std::to_string(static_cast<int>(chapter.y)) + "]";
        cairo_pdf_surface_add_outline(surface.Get(), CAIRO_PDF_OUTLINE_ROOT, chapter.title.c_str(),
                                      target.c_str(), static_cast<cairo_pdf_outline_flags_t>(0));
    }
    cairo_surface_finish(surface.Get());
    return cairo_surface_status(surface.Get()) == CAIRO_STATUS_SUCCESS;
}

int Run(int argc, char** argv)
{
    std::string source, out, picturePath;
    for (int i = 1; i < argc; ++i)
    {
        const std::string option = argv[i];
        if (i + 1 >= argc)
            return Usage("missing value after " + option);
        if (option == "--source")
            source = argv[++i];
        else if (option == "--out")
            out = argv[++i];
        else if (option == "--picture")
            picturePath = argv[++i];
        else
            return Usage("unknown option " + option);
    }
    if (source.empty() || out.empty())
        return Usage("--source and --out are required");
    if (!FamilyIsInstalled(kFamily))
    {
        std::fprintf(stderr, "vedidu_user_guide: the font family %s is not installed\n", kFamily);
        return 1;
    }

    std::ifstream in(source, std::ios::binary);
    if (!in)
    {
        std::fprintf(stderr, "vedidu_user_guide: cannot read %s\n", source.c_str());
        return 1;
    }
    const std::vector<Block> blocks = ReadBlocks(in);

    // The source's pictures, read before anything is laid out: a guide with a hole where a
    // picture should be is not written.
    const std::filesystem::path sourceFolder = std::filesystem::path(source).parent_path();
    std::vector<Surface> loaded;
    std::vector<cairo_surface_t*> pictures(blocks.size(), nullptr);
    bool bodyStarted = false;
    for (std::size_t i = 0; i < blocks.size(); ++i)
    {
        bodyStarted = bodyStarted || blocks[i].kind == BlockKind::Chapter;
        if (blocks[i].kind != BlockKind::Picture)
            continue;
        const std::string path = (sourceFolder / blocks[i].picture).string();
        if (!bodyStarted)
        {
            std::fprintf(stderr, "vedidu_user_guide: the picture %s stands before the first chapter\n", path.c_str());
            return 1;
        }
        Surface image(cairo_image_surface_create_from_png(path.c_str()));
        if (cairo_surface_status(image.Get()) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_width(image.Get()) <= 0 ||
            cairo_image_surface_get_height(image.Get()) <= 0)
        {
            std::fprintf(stderr, "vedidu_user_guide: cannot read the picture %s\n", path.c_str());
            return 1;
        }
        pictures[i] = image.Get();
        loaded.push_back(std::move(image));
    }

    Surface picture;
    if (!picturePath.empty())
    {
        picture.Reset(cairo_image_surface_create_from_png(picturePath.c_str()));
        if (cairo_surface_status(picture.Get()) != CAIRO_STATUS_SUCCESS)
        {
            std::fprintf(stderr, "vedidu_user_guide: cannot read the picture %s\n", picturePath.c_str());
            return 1;
        }
    }

    // Measuring needs a context; a recording surface measures as the PDF will.
    Surface measureSurface(cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr));
    Context measure(cairo_create(measureSurface.Get()));
    UseOutlineMetrics(measure.Get());
    const Layout layout = LayOut(measure.Get(), blocks, pictures);
    if (layout.title.empty() || layout.chapters.empty())
    {
        std::fprintf(stderr, "vedidu_user_guide: %s has no title or no chapter\n", source.c_str());
        return 1;
    }

    const std::string partial = out + ".partial";
    if (!WriteGuide(layout, picture.Get(), partial))
    {
        std::fprintf(stderr, "vedidu_user_guide: cannot write %s\n", partial.c_str());
        std::error_code ignored;
        std::filesystem::remove(partial, ignored);
        return 1;
    }
    std::error_code error;
    std::filesystem::rename(partial, out, error);
    if (error)
    {
        std::fprintf(stderr, "vedidu_user_guide: cannot move the guide to %s: %s\n", out.c_str(),
                     error.message().c_str());
        std::filesystem::remove(partial, error);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int status = Run(argc, argv);
    // Every cairo object is gone by now; dropping the font caches keeps leak checks quiet.
    cairo_debug_reset_static_data();
    FcFini();
    return status;
}
