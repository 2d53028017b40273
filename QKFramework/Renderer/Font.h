// LFont: a font by family name, size and style, one shared object per distinct triple.
//
// Fonts are made only by FindOrCreate, which keeps every font in one process-wide list for
// the life of the process, so a font's unique id can key the renderers' caches. The three
// vertical metrics are asked of the application's measurement renderer once, together, on
// the first request, and kept from then on.
//
// UI thread only: the list, the id counter and the metrics take no lock.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class LFont : public virtual LRefCountedObject
{
public:
    // The font of the list whose name equals name ignoring case, whose size is exactly size
    // and whose style is style (the latest such entry), or a new one appended to the list.
    static ConstRCPtr<LFont> FindOrCreate(const WString& name, float size, std::int32_t style);
    static RCPtrArray<LFont>& GetFontList();
    static std::int32_t GetUniqueID(const ConstRCPtr<LFont>& font);

    const WString& GetName() const { return m_name; }
    // Points at 96 dots per inch.
    float GetSize() const { return m_size; }
    // Style bits: 1 bold, 2 italic, 4 underline, 8 strike-out.
    std::int32_t GetStyle() const { return m_style; }

    // The line height in pixels (and below, the cell's top and bottom as y offsets from the
    // baseline); each asks for the metrics while they are not known.
    std::int32_t GetHeight() const;
    std::int32_t GetAscent() const;
    std::int32_t GetDescent() const;

    // Takes this font out of the list: 0, or 0x80004005 when no entry of the list has its
    // name, size and style.
    QKRESULT ReleaseInternalReferences() override;

private:
    LFont(const WString& name, float size, std::int32_t style);
    ~LFont() override = default;

    // Index of the latest matching entry, or -1.
    static std::int32_t Find(const WString& name, float size, std::int32_t style);
    void ObtainMetrics() const;

    WString m_name;
    float m_size;
    std::int32_t m_style;
    mutable std::int32_t m_lineHeight = -1;
    mutable std::int32_t m_ascent = 0;
    mutable std::int32_t m_descent = 0;
    std::int32_t m_uniqueId;
};

} // namespace QK
