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
    if (!application)
        return 0;
    // A report follows what changed the shown preset (a get, an opened file): the box must
    // lie over the values it reports, not over the ones from before.
    application->UpdateWindowsNow();
    return application->ShowMessage(text, caption, flags);
}

} // namespace QK
