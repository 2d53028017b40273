// The drawing demo's scene: one picture that uses every kind of drawing the renderers offer
// (lines, polylines, outlined and filled polygons, bitmaps stretched, tiled, centred, cut
// from a sprite sheet and colorized, nested clips and translations, a faded look, text in
// two sizes and styles, and a raw transparent hole), with one element that changes.
#pragma once

#include "QKFramework/Renderer/Renderer.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"

namespace QK::Demo
{

class DemoScene
{
public:
    static constexpr std::int32_t kWidth = 480;
    static constexpr std::int32_t kHeight = 320;

    DemoScene();

    // Draws the whole scene into the renderer's current context.
    void Paint(LRenderer& renderer) const;
    // Changes the value badge; its rectangle is all that changes in the picture.
    void Change() { ++m_value; }
    RectL GetChangedRect() const { return {300, 236, 160, 64}; }

private:
    std::int32_t m_value = 42;
    ConstRCPtr<LBitmap> m_checker;
    ConstRCPtr<LBitmap> m_sheet;
    ConstRCPtr<LBitmap> m_tinted;
};

// Paints the scene in full (region: the whole viewport) or only within dirty, and presents
// what was painted.
void PaintScene(LRenderer& renderer, const RCPtr<LRenderContextInfo>& context, const DemoScene& scene,
                const RectL* dirty);

} // namespace QK::Demo
