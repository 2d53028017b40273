#include "UI/SkinScale.h"

#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "UI/SkinNames.h"

namespace QK
{

double GetCurrentSkinScale()
{
    const LFrameworkApp* application = LFrameworkApp::GetApplication();
    const LControlFactory* factory = application ? application->GetControlFactory().Get() : nullptr;
    if (factory && factory->GetSkinCount() == SkinNames::kSkinCount &&
        factory->GetCurrentSkin() == SkinNames::kHighDpiSkin)
        return SkinNames::kHighDpiSkinScale;
    return 1.0;
}

} // namespace QK
