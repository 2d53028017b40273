#include "QKFramework/ControlBase/SkinDescriptors.h"

#include "QKFramework/ControlBase/VisualPart.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"

namespace QK
{

QKRESULT LStringTable::GetEntriesWithPrefix(const WString& prefix, IArray<StringPair>& entries) const
{
    entries.SetCount(0);
    const std::uint32_t length = prefix.GetLength();
    // Keys sharing the prefix sort together, from the prefix itself onwards.
    for (auto entry = lower_bound(prefix); entry != end(); ++entry)
    {
        const WString& key = entry->first;
        if (key.GetLength() < length || !key.Left(static_cast<std::int32_t>(length)).IsEqual(prefix))
            break;
        entries.Add(StringPair{key, entry->second});
    }
    return QK_OK;
}

LVisualPartDescriptor::LVisualPartDescriptor(const WString& name, const WString& imageFile, const RectL& imageRect,
                                             const LongPair& size, std::int32_t resizeType,
                                             const RCPtr<LColorizer>& colorizer, float alphaMod,
                                             const WString& maskFile, const RectL& maskRect)
    : Name(name), ImageFile(imageFile), ImageRect(imageRect), Size(size), ResizeType(resizeType),
      Colorizer(colorizer), AlphaMod(alphaMod), MaskFile(maskFile), MaskRect(maskRect)
{
}

// Here, where LBitmap and LVisualPart are complete. A cached part that outlives its
// description forgets it first.
LVisualPartDescriptor::~LVisualPartDescriptor()
{
    if (m_cachedPart)
        const_cast<LVisualPart*>(m_cachedPart.Get())->UnlinkDescriptor();
}

ConstRCPtr<LBitmap> LVisualPartDescriptor::LoadPartBitmap(const WString& imageName, const RectL& rect)
{
    const ConstRCPtr<LBitmap> image = LBitmap::LoadBitmap(imageName);
    if (!image)
        return nullptr;
    return image->CreateSubBitmap(rect.x, rect.y, rect.width, rect.height);
}

ConstRCPtr<LVisualPart> LVisualPartDescriptor::BuildVisualPart() const
{
    if (m_cachedPart)
        return m_cachedPart;
    // A mask that does not load is left out; the part is made without it.
    const ConstRCPtr<LBitmap> mask = MaskFile.IsEmpty() ? nullptr : LoadPartBitmap(MaskFile, MaskRect);
    const ConstRCPtr<LColorizer> colorizer(Colorizer.Get());
    ConstRCPtr<LVisualPart> part;
    if (!ImageFile.IsEmpty())
    {
        const ConstRCPtr<LBitmap> image = LoadPartBitmap(ImageFile, ImageRect);
        if (image)
            part = LVisualPart::Create(Name, image, ResizeType, colorizer, AlphaMod, mask);
    }
    else
    {
        part = LVisualPart::CreateColorPart(Name, colorizer, Size, ResizeType, AlphaMod, mask);
    }
    if (!part)
        return nullptr;
    m_cachedPart = part;
    const_cast<LVisualPart*>(part.Get())->LinkDescriptor(const_cast<LVisualPartDescriptor*>(this));
    // The cache's reference counts as internal: the caller's must be in hand before the
    // local one goes, or the new part would be taken for unused.
    return part;
}

ConstRCPtr<LVisualPart> LVisualPartDescriptor::GetVisualPart() const
{
    return BuildVisualPart();
}

void LVisualPartDescriptor::ForgetVisualPart() const
{
    m_cachedPart = nullptr;
}

} // namespace QK
