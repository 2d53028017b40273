#include "QKFramework/ControlBase/SkinDescriptors.h"

#include "QKFramework/Utilities/Graphics/Bitmap.h"

namespace QK
{

LVisualPartDescriptor::LVisualPartDescriptor(const WString& name, const WString& imageFile, const RectL& imageRect,
                                             const LongPair& size, std::int32_t resizeType,
                                             const RCPtr<LColorizer>& colorizer, float alphaMod,
                                             const WString& maskFile, const RectL& maskRect)
    : Name(name), ImageFile(imageFile), ImageRect(imageRect), Size(size), ResizeType(resizeType),
      Colorizer(colorizer), AlphaMod(alphaMod), MaskFile(maskFile), MaskRect(maskRect)
{
}

// Here, where LBitmap is complete, so that the cached bitmap can be released.
LVisualPartDescriptor::~LVisualPartDescriptor() = default;

} // namespace QK
