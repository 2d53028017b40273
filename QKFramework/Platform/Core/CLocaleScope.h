// Runs the current thread in the "C" locale while it lives, so that printf- and strtod-style
// calls read and write numbers the same way whatever the user's locale. Other threads are
// not affected.
#pragma once

namespace QK
{

class CLocaleScope
{
public:
    CLocaleScope();
    ~CLocaleScope();
    CLocaleScope(const CLocaleScope&) = delete;
    CLocaleScope& operator=(const CLocaleScope&) = delete;

private:
    void* m_previous;
};

} // namespace QK
