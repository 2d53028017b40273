// The skin's looks as loaded: a control's LSkinDescriptor (font and look list), each look
// (LLookDescriptor) made of visual parts docked to the control's edges (LDockedPart over
// LVisualPartDescriptor), and LStringTable, the shared form of a string table or of a
// control's create parameters.
//
// Descriptors are built once by the skin loader and then only read; they are shared, never
// copied, between the factory's registries, the description trees and the controls, and
// used on the UI thread only.
//
// Contents: LStringTable; LVisualPartDescriptor; LDockedPart; LLookDescriptor; LLookList;
// LSkinDescriptor.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Utilities/Geometry/Rect.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class LBitmap;
class LVisualPart;

// ID -> text. The factory hands out copies, so a change to one reaches no other holder.
class LStringTable : public LWrapper<StringMap>
{
public:
    LStringTable() = default;
    explicit LStringTable(const StringMap& map) { static_cast<StringMap&>(*this) = map; }

    // Empties entries, then appends every (key, text) whose key begins with prefix (case
    // sensitive; an empty prefix takes all), in ascending key order. 0.
    QKRESULT GetEntriesWithPrefix(const WString& prefix, IArray<StringPair>& entries) const;
};

class LVisualPartDescriptor : public virtual LRefCountedObject
{
public:
    // ResizeType values.
    static constexpr std::int32_t kStretch = 0;
    static constexpr std::int32_t kTile = 1;
    static constexpr std::int32_t kCentre = 2;

    LVisualPartDescriptor(const WString& name, const WString& imageFile, const RectL& imageRect, const LongPair& size,
                          std::int32_t resizeType = kStretch, const RCPtr<LColorizer>& colorizer = nullptr,
                          float alphaMod = 1.0f, const WString& maskFile = WString(), const RectL& maskRect = {});
    ~LVisualPartDescriptor() override;

    void SetColorizer(const RCPtr<LColorizer>& colorizer) { Colorizer = colorizer; }

    WString ToString() const override { return Name; }

    // The part this description makes, built on first use and cached (a new reference).
    ConstRCPtr<LVisualPart> GetVisualPart() const;
    // Fills the cache when it is empty and answers the part; null when the image does not
    // load or there is neither image nor colorizer.
    ConstRCPtr<LVisualPart> BuildVisualPart() const;
    // The rectangle of the named image; null when the image does not load.
    static ConstRCPtr<LBitmap> LoadPartBitmap(const WString& imageName, const RectL& rect);
    // The cached part lets go of its description (its last user went).
    void ForgetVisualPart() const;

    WString Name;
    // The factory's source folder and the lower-case image name; empty for a colour part.
    WString ImageFile;
    RectL ImageRect;
    // Width and height; an image part's is its ImageRect's.
    LongPair Size;
    std::int32_t ResizeType;
    RCPtr<LColorizer> Colorizer;
    float AlphaMod;
    WString MaskFile;
    RectL MaskRect;
    // Made from the fields above by the control that first draws the part; null until then.
    mutable ConstRCPtr<LBitmap> Bitmap;

private:
    // Its reference is an internal reference of the part.
    mutable ConstRCPtr<LVisualPart> m_cachedPart;
};

class LDockedPart : public virtual LRefCountedObject
{
public:
    // DockMask bits: the edges the part is attached to.
    static constexpr std::uint32_t kDockLeft = 1;
    static constexpr std::uint32_t kDockTop = 2;
    static constexpr std::uint32_t kDockRight = 4;
    static constexpr std::uint32_t kDockBottom = 8;

    LDockedPart(const RCPtr<LVisualPartDescriptor>& part, std::uint32_t dockMask, std::int32_t offsetLeft = 0,
                std::int32_t offsetTop = 0, std::int32_t offsetRight = 0, std::int32_t offsetBottom = 0,
                bool fixedWidth = false, std::int32_t width = 0, bool fixedHeight = false, std::int32_t height = 0)
        : Part(part), DockMask(dockMask), OffsetLeft(offsetLeft), OffsetTop(offsetTop), OffsetRight(offsetRight),
          OffsetBottom(offsetBottom), FixedWidth(fixedWidth), Width(width), FixedHeight(fixedHeight), Height(height)
    {
    }

    RCPtr<LVisualPartDescriptor> Part;
    std::uint32_t DockMask;
    // Pixels from the edges; right and bottom ones are usually negative.
    std::int32_t OffsetLeft;
    std::int32_t OffsetTop;
    std::int32_t OffsetRight;
    std::int32_t OffsetBottom;
    bool FixedWidth;
    std::int32_t Width;
    bool FixedHeight;
    std::int32_t Height;
};

// The box a look lays its text out in and the part that paints the text: each edge is a
// fraction of the control's extent plus pixels.
struct LookTextProperties
{
    float TextLeftRel = 0.0f;
    std::int32_t TextLeftAbs = 0;
    float TextRightRel = 0.0f;
    std::int32_t TextRightAbs = 0;
    // 0 left, 0.5 centre, 1 right.
    float TextHAlign = 0.0f;
    float TextTopRel = 0.0f;
    std::int32_t TextTopAbs = 0;
    float TextBottomRel = 0.0f;
    std::int32_t TextBottomAbs = 0;
    float TextVAlign = 0.0f;
};

class LLookDescriptor : public virtual LRefCountedObject
{
public:
    explicit LLookDescriptor(const WString& name, const RCPtr<LDockedPart>& clientPart = nullptr)
        : Name(name), ClientPart(clientPart)
    {
    }

    void SetClientPart(const RCPtr<LDockedPart>& part) { ClientPart = part; }
    void AddNonClientPart(const RCPtr<LDockedPart>& part) { NonClientParts.Add(part); }
    void SetTextProperties(const LookTextProperties& properties, const RCPtr<LVisualPartDescriptor>& foregroundPart)
    {
        Text = properties;
        TextForegroundPart = foregroundPart;
        HasTextProperties = true;
    }

    WString ToString() const override { return Name; }

    WString Name;
    RCPtr<LDockedPart> ClientPart;
    // The frame parts, in document order.
    RCPtrArray<LDockedPart> NonClientParts;
    bool HasTextProperties = false;
    LookTextProperties Text;
    RCPtr<LVisualPartDescriptor> TextForegroundPart;
};

// A control's looks by slot; slots that no look filled hold null.
using LLookList = LRCPtrArray<LLookDescriptor>;

class LSkinDescriptor : public virtual LRefCountedObject
{
public:
    explicit LSkinDescriptor(const WString& name, const RCPtr<LLookList>& lookList = nullptr)
        : Name(name), LookList(lookList)
    {
    }

    void SetLookList(const RCPtr<LLookList>& lookList) { LookList = lookList; }

    WString Name;
    RCPtr<LLookList> LookList;
    bool FontInheritsFromParent = false;
    bool FontSizeIsRelative = false;
    WString FontName;
    // 0: no size given.
    float FontSize = 0.0f;
    // -1: no style given.
    std::int32_t FontStyle = -1;
};

} // namespace QK
