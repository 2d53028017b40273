#include "QKFramework/ControlBase/MenuItemUpdater.h"

#include "QKFramework/ControlBase/Control.h"

namespace QK
{

LMenuItemUpdater::LMenuItemUpdater(LControl* control) : m_control(control) {}

LMenuItemUpdater::~LMenuItemUpdater() = default;

LControl* LMenuItemUpdater::GetControl() const
{
    return m_control.Get();
}

std::int32_t LMenuItemUpdater::IsCommandEnabled(const LMenuDescriptor* menu, std::uint32_t index, const WString& nid,
                                                LMenuItemState& state) const
{
    if (!m_control)
        return QK_E_FAIL;
    return m_control->IsCommandEnabled(menu, index, nid, state);
}

void LMenuItemUpdater::ClearControl()
{
    if (!m_control)
        return;
    // The control counted this reference as internal; it goes back before the release, so
    // that letting go is not taken for the control's last outside release.
    m_control->AddInternalReferences(-1);
    m_control = nullptr;
}

} // namespace QK
