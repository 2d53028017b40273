// Takes a child out of a skin description for one scope by renaming it, so that a test can
// show what a control does when the skin lacks that child; the name comes back at the end.
//
// Header only.
#pragma once

#include "QKFramework/ControlBase/ControlDescriptor.h"

namespace QK::TestSupport
{

class RenamedChild
{
public:
    // Renames the direct child called name; false (see operator bool) when there is none.
    RenamedChild(LControlDescriptor& parent, const char16_t* name) : m_name(name)
    {
        for (std::uint32_t i = 0; i < parent.Children.GetCount() && !m_child; ++i)
        {
            const RCPtr<LControlDescriptor>& child = *parent.Children.GetAt(i);
            if (child && child->Name.IsEqual(name))
                m_child = child;
        }
        if (m_child)
            m_child->Name = WString(u"renamedForTheTest");
    }
    RenamedChild(const RenamedChild&) = delete;
    RenamedChild& operator=(const RenamedChild&) = delete;
    ~RenamedChild()
    {
        if (m_child)
            m_child->Name = m_name;
    }

    explicit operator bool() const { return static_cast<bool>(m_child); }

private:
    WString m_name;
    RCPtr<LControlDescriptor> m_child;
};

} // namespace QK::TestSupport
