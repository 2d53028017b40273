#include "QKFramework/Renderer/Font.h"

#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"

namespace QK
{

namespace
{

std::int32_t g_lastUniqueId = 0;

bool SameName(const WString& a, const WString& b)
{
    return a.GetString() == b.GetString() || CompareNoCase(a.GetString(), b.GetString()) == 0;
}

} // namespace

LFont::LFont(const WString& name, float size, std::int32_t style)
    : m_name(name), m_size(size), m_style(style), m_uniqueId(++g_lastUniqueId)
{
}

RCPtrArray<LFont>& LFont::GetFontList()
{
    static RCPtrArray<LFont> list;
    return list;
}

std::int32_t LFont::Find(const WString& name, float size, std::int32_t style)
{
    RCPtrArray<LFont>& list = GetFontList();
    for (std::uint32_t i = list.GetCount(); i-- > 0;)
    {
        const LFont* font = list.GetAt(i)->Get();
        // Exact float equality: a size that is not a number never matches.
        if (font && font->m_size == size && font->m_style == style && SameName(font->m_name, name))
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

ConstRCPtr<LFont> LFont::FindOrCreate(const WString& name, float size, std::int32_t style)
{
    RCPtrArray<LFont>& list = GetFontList();
    const std::int32_t index = Find(name, size, style);
    if (index >= 0)
        return *list.GetAt(static_cast<std::uint32_t>(index));
    RCPtr<LFont> font(new LFont(name, size, style));
    list.Add(font);
    return font;
}

std::int32_t LFont::GetUniqueID(const ConstRCPtr<LFont>& font)
{
    return font->m_uniqueId;
}

void LFont::ObtainMetrics() const
{
    if (m_lineHeight >= 0)
        return;
    // Held for the call, as the renderer receives the font as a counted reference.
    const ConstRCPtr<LFont> self(const_cast<LFont*>(this));
    const ConstRCPtr<LMeasurementRenderer> renderer = LRenderApp::GetMeasurementRenderer();
    if (renderer)
        renderer->GetFontMetrics(self, m_lineHeight, m_ascent, m_descent);
}

std::int32_t LFont::GetHeight() const
{
    ObtainMetrics();
    return m_lineHeight;
}

std::int32_t LFont::GetAscent() const
{
    ObtainMetrics();
    return m_ascent;
}

std::int32_t LFont::GetDescent() const
{
    ObtainMetrics();
    return m_descent;
}

QKRESULT LFont::ReleaseInternalReferences()
{
    const std::int32_t index = Find(m_name, m_size, m_style);
    if (index < 0)
        return QK_E_FAIL;
    // Removing the list's reference must not end this object while it is still running.
    const ConstRCPtr<LFont> self(this);
    GetFontList().RemoveRange(static_cast<std::uint32_t>(index), 1);
    return QK_OK;
}

} // namespace QK
