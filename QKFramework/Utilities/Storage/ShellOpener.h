// Opening a document or web address with the desktop's default application.
//
// The request goes through a replaceable service, so that tests can record what would be
// opened instead of starting a program. Open waits for the desktop's opener to say whether it
// could open the target, which it does as soon as the application has started; an opener that
// has not answered within a few seconds (one that keeps the application in its own
// foreground) counts as having opened it. While it waits, the wait pump that the application
// installs keeps its windows painted.
//
// UI thread only.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <functional>

namespace QK
{

class IShellOpener
{
public:
    // Opens target (UTF-8); false when the opener could not be started or could not open it.
    virtual bool Open(const char* target) = 0;

protected:
    ~IShellOpener() = default;
};

// The platform's own opener, used while no other is set.
IShellOpener& GetPlatformShellOpener();

// Puts opener in place of the current service (null: the platform's own again) and
// answers the one it replaces.
IShellOpener* SetShellOpener(IShellOpener* opener);

// Called about thirty times a second while an opener is waited for (null: none).
using ShellOpenWaitPump = std::function<void()>;
void SetShellOpenWaitPump(ShellOpenWaitPump pump);
const ShellOpenWaitPump& GetShellOpenWaitPump();

// Asks the desktop to open target. 0, or 0x80004005 when the request failed.
QKRESULT OpenWithShell(const WString& target);

} // namespace QK
