// A glyph processor that records what a font renderer hands it: the runs begun and ended,
// and a copy of every glyph record processed (with its bitmap's bytes). AddGlyph answers the
// request flags the test sets (7 by default: load, measure and render everything).
#pragma once

#include "QKFramework/Renderer/FontRenderer/GlyphProcessor.h"

#include <cstdint>
#include <vector>

namespace QK::TestSupport
{

class RecordingGlyphProcessor final : public LGlyphProcessor
{
public:
    struct Glyph
    {
        SGlyphInfo info;
        std::int32_t bitmapWidth = -1;
        std::int32_t bitmapHeight = -1;
        std::vector<unsigned char> pixels;
    };

    void BeginText(const ConstRCPtr<LFont>&, std::int32_t mode) override
    {
        ++begun;
        lastMode = mode;
    }
    void EndText() override { ++ended; }
    std::uint16_t AddGlyph(SGlyphInfo&) override
    {
        ++added;
        return flags;
    }
    void ProcessGlyph(SGlyphInfo& info) override
    {
        Glyph glyph;
        glyph.info = info;
        glyph.info.bitmap = nullptr;
        if (info.bitmap)
        {
            glyph.bitmapWidth = info.bitmap->GetWidth();
            glyph.bitmapHeight = info.bitmap->GetHeight();
            for (std::int32_t y = 0; y < glyph.bitmapHeight; ++y)
                for (std::int32_t x = 0; x < glyph.bitmapWidth; ++x)
                    glyph.pixels.push_back(*info.bitmap->GetPixelAddress(x, y));
        }
        glyphs.push_back(std::move(glyph));
    }
    Bounds GetBounds() const override { return bounds; }

    std::uint16_t flags = 7;
    Bounds bounds{};
    std::int32_t begun = 0;
    std::int32_t ended = 0;
    std::int32_t added = 0;
    std::int32_t lastMode = -1;
    std::vector<Glyph> glyphs;
};

} // namespace QK::TestSupport
