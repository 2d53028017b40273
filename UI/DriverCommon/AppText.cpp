#include "UI/DriverCommon/AppText.h"

#include "QKFramework/Application/FrameworkApp.h"

namespace QK
{

WString GetAppString(const char16_t* key)
{
    const LFrameworkApp* application = LFrameworkApp::GetApplication();
    return application ? application->GetApplicationString(key) : WString();
}

std::int32_t ShowMessageBox(WString text, WString caption, std::uint32_t flags)
{
    LFrameworkApp* application = LFrameworkApp::GetApplication();
    return application ? application->ShowMessage(text, caption, flags) : 0;
}

} // namespace QK
