// LVisualPart: one drawable piece of a look: a bitmap cut out of a skin image, or a colour
// fill, optionally colorized and masked. A part is drawn into a rectangle of the look with
// its resize type (0 Stretch, 1 Tile, 2 Center) and answers the colour it shows at a point,
// which hit testing of shaped controls reads.
//
// Parts are made from their skin descriptions (LVisualPartDescriptor::GetVisualPart), which
// cache them: the cache's reference is an internal reference of the part, so that a cached
// part dies with its last user and is made again when next asked for. UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class LBitmap;
class LColorizer;
class LRenderer;
class LVisualPartDescriptor;

class LVisualPart : public virtual LRefCountedObject
{
public:
    // The packed colour (white, alpha 0) of a point that lies outside a part.
    static constexpr std::uint32_t kOutside = 0xFFFFFF;

    // A part showing bitmap at the bitmap's size; null without a bitmap.
    static ConstRCPtr<LVisualPart> Create(const WString& name, const ConstRCPtr<LBitmap>& bitmap,
                                          std::int32_t resizeType, const ConstRCPtr<LColorizer>& colorizer,
                                          float alphaModifier, const ConstRCPtr<LBitmap>& mask);
    // A colour part of size; null without a colorizer.
    static ConstRCPtr<LVisualPart> CreateColorPart(const WString& name, const ConstRCPtr<LColorizer>& colorizer,
                                                   const LongPair& size, std::int32_t resizeType, float alphaModifier,
                                                   const ConstRCPtr<LBitmap>& mask);

    LVisualPart(const WString& name, const ConstRCPtr<LBitmap>& bitmap, std::int32_t resizeType,
                const ConstRCPtr<LColorizer>& colorizer, const LongPair& size, float alphaModifier,
                const ConstRCPtr<LBitmap>& mask);
    ~LVisualPart() override;

    // Draws into (0, 0, size) of the renderer's current translation. 0; a part with neither
    // bitmap nor colorizer raises a runtime error.
    QKRESULT Draw(LRenderer& renderer, const DoublePair& size) const;
    // 0xAARRGGBB at a point of the part's own pixels.
    std::uint32_t GetColorAtPoint(const PointL& point) const;
    // 0xAARRGGBB at a point of a destination area of destinationSize the part is drawn into.
    std::uint32_t GetColorAtPoint(const PointD& point, const DoublePair& destinationSize) const;

    // The cache of descriptor holds this part; one internal reference until it lets go.
    void LinkDescriptor(LVisualPartDescriptor* descriptor);
    // The descriptor goes first: forget it and the internal reference its cache was.
    void UnlinkDescriptor();
    // Takes the part out of its descriptor's cache, so that the last outside release frees
    // it: 1 when there was nothing to let go, else 0.
    QKRESULT ReleaseInternalReferences() override;

    WString ToString() const override { return m_name; }
    const WString& GetName() const { return m_name; }
    // The bitmap drawn: the image, or its colorized copy (made here when first asked for).
    const ConstRCPtr<LBitmap>& GetBitmap() const;
    // Sends the images this part draws from (its image or mask) to the decoding workers
    // when they are still to be decoded; nothing is colorized here.
    void StartDecoding() const;
    std::int32_t GetWidth() const { return m_width; }
    std::int32_t GetHeight() const { return m_height; }
    std::int32_t GetResizeType() const { return m_resizeType; }
    const ConstRCPtr<LColorizer>& GetColorizer() const { return m_colorizer; }
    float GetAlphaModifier() const { return m_alphaModifier; }
    const ConstRCPtr<LBitmap>& GetMask() const { return m_mask; }

private:
    bool CanColorizeLater() const;

    WString m_name;
    mutable ConstRCPtr<LBitmap> m_bitmap;
    // m_bitmap (or the mask) still waits for its colorizer.
    mutable bool m_colorizePending = false;
    std::int32_t m_width;
    std::int32_t m_height;
    std::int32_t m_resizeType;
    ConstRCPtr<LColorizer> m_colorizer;
    float m_alphaModifier;
    ConstRCPtr<LBitmap> m_mask;
    LVisualPartDescriptor* m_descriptor = nullptr;
};

} // namespace QK
