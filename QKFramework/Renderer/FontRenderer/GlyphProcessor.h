// LGlyphProcessor: what a font renderer hands the glyphs of a text to, one by one: a cache
// that keeps them, draws them or only gathers the bounds of the run.
//
// The font renderer is the only caller, always in this order on the UI thread: BeginText,
// then for each character AddGlyph and (unless the character is skipped) ProcessGlyph, then
// EndText. AddGlyph answers what the font renderer must still do for the glyph:
//   0            the processor knows it and has filled the glyph index, box and advance;
//   non-zero     load it from the face (glyph index, advance);
//   bit 1 or 2   also measure its pixel box;
//   bit 2        also render its coverage bitmap.
//
// Processing modes: 1 no effect, 2 gather the bounds, 4 keep textures up to date, 8 draw;
// font renderers measure with 3 and draw with 15.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Graphics/LPixelBuffer.h"

#include <array>
#include <cstdint>

namespace QK
{

class LFont;

class LGlyphProcessor : public virtual LRefCountedObject
{
public:
    static constexpr std::int32_t kModeBounds = 2;
    static constexpr std::int32_t kModeUpload = 4;
    static constexpr std::int32_t kModeDraw = 8;
    static constexpr std::int32_t kModeMeasure = 3;
    static constexpr std::int32_t kModeRender = 15;

    static constexpr std::uint16_t kRequestLoad = 1;
    static constexpr std::uint16_t kRequestBox = 2;
    static constexpr std::uint16_t kRequestBitmap = 4;

    // One glyph of a run as the font renderer fills it. The box is in pixels relative to the
    // pen with y growing downward; the advance in 26.6 fixed point.
    struct SGlyphInfo
    {
        std::int32_t index = 0;
        std::int32_t characterCode = 0;
        float penX = 0.0f;
        float penY = 0.0f;
        std::int8_t left = 0;
        std::int8_t top = 0;
        std::int8_t right = 0;
        std::int8_t bottom = 0;
        std::int16_t advanceX = 0;
        std::int16_t advanceY = 0;
        std::uint32_t glyphIndex = 0;
        RCPtr<LPixelBuffer<unsigned char>> bitmap;
    };

    // A glyph a processor knows, by character code (0 names none).
    struct SCachedGlyph
    {
        long characterCode = 0;
        std::uint32_t glyphIndex = 0;
        std::int8_t left = 0;
        std::int8_t top = 0;
        std::int8_t right = 0;
        std::int8_t bottom = 0;
        std::int16_t advanceX = 0;
        std::int16_t advanceY = 0;
        std::uint16_t texelX = 0;
        std::uint16_t texelY = 0;

        static long GetUniqueID(const SCachedGlyph& glyph) { return glyph.characterCode; }
    };

    // x minimum, y minimum, x maximum, y maximum.
    using Bounds = std::array<float, 4>;

    virtual void BeginText(const ConstRCPtr<LFont>& font, std::int32_t mode) = 0;
    virtual void EndText() = 0;
    virtual std::uint16_t AddGlyph(SGlyphInfo& glyph) = 0;
    virtual void ProcessGlyph(SGlyphInfo& glyph) = 0;
    virtual Bounds GetBounds() const = 0;

protected:
    ~LGlyphProcessor() override = default;
};

} // namespace QK
