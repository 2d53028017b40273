#include "QKFramework/Renderer/FontText.h"

#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Renderer/RenderApp.h"

#include <algorithm>
#include <cmath>

namespace QK
{

namespace
{

std::int32_t Length(const WString& text)
{
    return static_cast<std::int32_t>(text.GetLength());
}

// Half away from zero, saturating at the 32-bit range.
std::int32_t ToLong(double value)
{
    if (!(value >= -2147483648.0))
        return INT32_MIN;
    if (value >= 2147483647.0)
        return INT32_MAX;
    return static_cast<std::int32_t>(value < 0.0 ? value - 0.5 : value + 0.5);
}

} // namespace

LFontText::LFontText(const WString& text, const ConstRCPtr<LFont>& font) : m_text(text), m_font(font) {}

LFontText::~LFontText() = default;

void LFontText::SetOverflowFromLeft(bool fromLeft)
{
    if (fromLeft == m_overflowFromLeft)
        return;
    m_overflowFromLeft = fromLeft;
    m_lineRects.RemoveAll();
}

bool LFontText::SetWordWrap(bool wordWrap)
{
    if (wordWrap == m_wordWrap)
        return false;
    m_wordWrap = wordWrap;
    m_lines.RemoveAll();
    m_lineRects.RemoveAll();
    return true;
}

float LFontText::WidthOf(const LMeasurementRenderer& renderer, const WString& text, float* height) const
{
    const RectF extent = renderer.MeasureText(text, m_font);
    if (height)
        *height = extent.height;
    return extent.x != 0.0f ? extent.width + extent.x : extent.width;
}

std::int32_t LFontText::KnownLineHeight() const
{
    // Before a renderer has answered the font's metrics the line height reads -1; taking
    // it as 0 keeps every line at the top instead of far outside the box.
    return m_font ? std::max(m_font->GetHeight(), 0) : 0;
}

void LFontText::SplitLines(StringArray& out) const
{
    m_text.SplitInto(u"\n", out);
}

std::int32_t LFontText::GetFittingLength(const LMeasurementRenderer& renderer, std::int32_t width,
                                         const WString& line) const
{
    const float limit = static_cast<float>(width);
    WString s = line;
    if (s.IsEmpty() || limit > WidthOf(renderer, s))
        return Length(s);

    WString t;
    for (;;)
    {
        const std::int32_t blank = s.ReverseFind(u' ');
        if (blank >= 1)
        {
            t = s.Left(blank);
            if (WidthOf(renderer, t) <= limit)
                break;
            s = t;
            continue;
        }
        // No blank to break at: the last hyphen before the final character.
        const std::int32_t k = s.Left(Length(s) - 1).ReverseFind(u'-') + 1;
        if (k < 1)
            return Length(s);
        t = s.Left(k);
        if (WidthOf(renderer, t) <= limit)
            return k;
        s = t;
    }

    // t, the text before the last blank of s, fits; a hyphen after that blank may fit too.
    const std::int32_t k = s.ReverseFind(u'-') + 1;
    std::int32_t result = Length(t);
    if (k > Length(t) && WidthOf(renderer, s.Left(k)) <= limit)
        result = k;
    return result < 1 ? Length(s) : result;
}

void LFontText::WrapLines(const LMeasurementRenderer& renderer, std::int32_t width, StringArray& out) const
{
    out.RemoveAll();
    StringArray paragraphs;
    SplitLines(paragraphs);
    for (std::uint32_t i = 0; i < paragraphs.GetCount(); ++i)
    {
        const WString& paragraph = *paragraphs.GetAt(i);
        WString rest = paragraph;
        std::int32_t k = GetFittingLength(renderer, width, rest);
        WString line = rest.Left(k);
        std::int32_t consumed = k;
        while (consumed < Length(paragraph))
        {
            rest = TrimWhitespace(rest.MidFrom(k));
            if (!rest.IsEmpty())
            {
                out.Add(line);
                k = GetFittingLength(renderer, width, rest);
                line = rest.Left(k);
            }
            consumed = Length(paragraph) - Length(rest) + k;
        }
        out.Add(line);
    }
}

void LFontText::LayoutLines(const LMeasurementRenderer& renderer)
{
    m_lineRects.RemoveAll();
    if (m_lines.GetCount() == 0)
        m_lines.Add(WString());
    const std::uint32_t count = m_lines.GetCount();
    const std::int64_t lineHeight = KnownLineHeight();
    const float top = (static_cast<float>(m_boxHeight) - static_cast<float>(lineHeight * count)) * m_verticalAlignment;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        float height = 0.0f;
        const float width = WidthOf(renderer, *m_lines.GetAt(i), &height);
        const float spare = static_cast<float>(m_boxWidth) - width;
        const float x = m_overflowFromLeft && spare < 0.0f ? 0.0f : spare * m_horizontalAlignment;
        m_lineRects.Add(RectF{x, static_cast<float>(lineHeight * i) + top, width, height});
    }
}

std::uint32_t LFontText::GetLineCount()
{
    const ConstRCPtr<LMeasurementRenderer> renderer = LRenderApp::GetMeasurementRenderer();
    if (!renderer)
        return m_lineRects.GetCount();
    if (m_lines.GetCount() == 0)
    {
        if (m_wordWrap)
            WrapLines(*renderer, m_boxWidth, m_lines);
        else
            SplitLines(m_lines);
    }
    if (m_lineRects.GetCount() == 0)
        LayoutLines(*renderer);
    return m_lineRects.GetCount();
}

WString LFontText::GetLine(std::uint32_t index) const
{
    return index < m_lines.GetCount() ? *m_lines.GetAt(index) : WString();
}

RectF LFontText::GetLineRect(std::uint32_t index) const
{
    return index < m_lineRects.GetCount() ? *m_lineRects.GetAt(index) : RectF{};
}

std::int32_t LFontText::GetMaxLineWidth() const
{
    const ConstRCPtr<LMeasurementRenderer> renderer = LRenderApp::GetMeasurementRenderer();
    if (!renderer)
        return 0;
    StringArray lines;
    SplitLines(lines);
    float widest = 0.0f;
    for (std::uint32_t i = lines.GetCount(); i-- > 0;)
        widest = std::max(widest, WidthOf(*renderer, *lines.GetAt(i)));
    const double rounded = static_cast<double>(widest) + 0.99;
    return rounded >= 2147483647.0 ? INT32_MAX : static_cast<std::int32_t>(rounded);
}

std::int32_t LFontText::GetHeightForWidth(std::int32_t width) const
{
    const ConstRCPtr<LMeasurementRenderer> renderer = LRenderApp::GetMeasurementRenderer();
    StringArray lines;
    if (m_wordWrap && renderer)
        WrapLines(*renderer, width, lines);
    else
        SplitLines(lines);
    const std::int64_t height = std::int64_t{KnownLineHeight()} * lines.GetCount();
    return static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX));
}

void LFontText::GetTextExtent(std::int32_t& width, std::int32_t& height)
{
    const std::uint32_t count = GetLineCount();
    RectF extent{};
    for (std::uint32_t i = 0; i < count; ++i)
        RectF::Union(extent, extent, *m_lineRects.GetAt(i));
    constexpr double kLimit = 8388608.0;
    width = ToLong(std::clamp(static_cast<double>(extent.width), -kLimit, kLimit));
    height = ToLong(std::clamp(static_cast<double>(extent.height), -kLimit, kLimit));
}

} // namespace QK
