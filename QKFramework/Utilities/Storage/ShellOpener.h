// Opening a document or web address with the desktop's default application.
//
// The request goes through a replaceable service, so that tests can record what would be
// opened instead of starting a program. Open returns as soon as the request is started; it
// never waits for the application.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

namespace QK
{

class IShellOpener
{
public:
    // Starts opening target (UTF-8); false when the request could not be started.
    virtual bool Open(const char* target) = 0;

protected:
    ~IShellOpener() = default;
};

// The platform's own opener, used while no other is set.
IShellOpener& GetPlatformShellOpener();

// Puts opener in place of the current service (null: the platform's own again) and
// answers the one it replaces.
IShellOpener* SetShellOpener(IShellOpener* opener);

// Asks the desktop to open target. 0, or 0x80004005 when the request failed.
QKRESULT OpenWithShell(const WString& target);

} // namespace QK
