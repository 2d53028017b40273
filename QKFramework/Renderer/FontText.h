// LFontText: a text laid out in a box with one font.
//
// The text is cut into lines at line feeds and, with word wrap on, at the last blank or
// hyphen that lets a line fit the box width; each line is placed in the box by the two
// alignment factors (0 left or top, 1 right or bottom, proportionally between); with
// SetOverflowFromLeft a line wider than the box starts at its left edge whatever the
// alignment, as a text that scrolls needs (it scrolls from its start only). Every
// width comes from the application's measurement renderer and every line pitch from the
// font's line height, so a text lays out the same whatever back end draws it.
//
// The lines and their rectangles are worked out on the first GetLineCount and kept until
// SetWordWrap changes the flag; changing the box or the alignment afterwards does not lay
// the text out again (the owner makes a new LFontText for a new text).
// GetMaxLineWidth and GetHeightForWidth never read or change what is kept.
//
// UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include <cstdint>

namespace QK
{

class LMeasurementRenderer;

class LFontText : public virtual LRefCountedObject
{
public:
    LFontText(const WString& text, const ConstRCPtr<LFont>& font);
    ~LFontText() override;

    const WString& GetText() const { return m_text; }
    const ConstRCPtr<LFont>& GetFont() const { return m_font; }

    void SetHorizontalAlignment(float factor) { m_horizontalAlignment = factor; }
    void SetVerticalAlignment(float factor) { m_verticalAlignment = factor; }
    float GetHorizontalAlignment() const { return m_horizontalAlignment; }
    float GetVerticalAlignment() const { return m_verticalAlignment; }
    // Places the lines again on the next request when the setting changed.
    void SetOverflowFromLeft(bool fromLeft);
    bool GetOverflowFromLeft() const { return m_overflowFromLeft; }
    // The box width is also the width that word wrap fills.
    void SetBoxSize(std::int32_t width, std::int32_t height)
    {
        m_boxWidth = width;
        m_boxHeight = height;
    }
    std::int32_t GetBoxWidth() const { return m_boxWidth; }
    std::int32_t GetBoxHeight() const { return m_boxHeight; }
    bool GetWordWrap() const { return m_wordWrap; }

    // True when the flag changed; the text is then laid out again on the next request.
    bool SetWordWrap(bool wordWrap);

    // The number of lines, laying the text out first when needed.
    std::uint32_t GetLineCount();
    // Read after GetLineCount; past the last line: the empty text and an all-zero rectangle.
    WString GetLine(std::uint32_t index) const;
    RectF GetLineRect(std::uint32_t index) const;
    const Array<RectF>& GetLineRects() const { return m_lineRects; }

    // The widest line of the text cut at line feeds only, rounded up (a fraction below 0.01
    // is dropped).
    std::int32_t GetMaxLineWidth() const;
    // The line height times the number of lines the text takes at width.
    std::int32_t GetHeightForWidth(std::int32_t width) const;
    // Width and height of everything laid out, the origin included.
    void GetTextExtent(std::int32_t& width, std::int32_t& height);

    // How many leading characters of line go on one line of the width: up to its last
    // blank (left out) or hyphen (kept) that lets the line fit; a word without either stays
    // whole however wide.
    std::int32_t GetFittingLength(const LMeasurementRenderer& renderer, std::int32_t width,
                                  const WString& line) const;
    // Replaces out by the text's lines wrapped to width.
    void WrapLines(const LMeasurementRenderer& renderer, std::int32_t width, StringArray& out) const;
    // Places the kept lines in the box.
    void LayoutLines(const LMeasurementRenderer& renderer);

private:
    // A measured width, a leading bearing (a non-zero x) counted in.
    float WidthOf(const LMeasurementRenderer& renderer, const WString& text, float* height = nullptr) const;
    // The font's line height, 0 while it is not known.
    std::int32_t KnownLineHeight() const;
    void SplitLines(StringArray& out) const;

    WString m_text;
    ConstRCPtr<LFont> m_font;
    float m_horizontalAlignment = 0.0f;
    float m_verticalAlignment = 0.0f;
    bool m_wordWrap = false;
    bool m_overflowFromLeft = false;
    std::int32_t m_boxWidth = 0;
    std::int32_t m_boxHeight = 0;
    StringArray m_lines;
    Array<RectF> m_lineRects;
};

} // namespace QK
