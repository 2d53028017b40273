#include "UI/PresetEditorCommon/DialogKeys.h"

#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/Controls/Button.h"
#include "UI/PresetEditorCommon/EditPanelSupport.h"

namespace QK
{

namespace
{
constexpr std::int32_t kEscapePressed = static_cast<std::int32_t>(0x201B0000u);
}

bool PressCloseOnEscape(LControl& dialog, const LKeyParam* key)
{
    if (!key || key->Key.GetCode() != kEscapePressed)
        return false;
    const RCPtr<LButton> close = FindChildAs<LButton>(dialog, u"buttonClose");
    if (!close || !close->IsVisible(true) || !close->IsEnabled(true))
        return false;
    close->PerformClick();
    return true;
}

} // namespace QK
