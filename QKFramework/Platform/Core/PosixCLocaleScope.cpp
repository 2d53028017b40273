#include "QKFramework/Platform/Core/CLocaleScope.h"

#include <locale.h>

namespace QK
{

namespace
{

locale_t CLocale()
{
    // Made once and kept for the life of the process; uselocale needs it to outlive every scope.
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

} // namespace

CLocaleScope::CLocaleScope() : m_previous(nullptr)
{
    if (locale_t c = CLocale())
        m_previous = uselocale(c);
}

CLocaleScope::~CLocaleScope()
{
    if (m_previous)
        uselocale(static_cast<locale_t>(m_previous));
}

} // namespace QK
