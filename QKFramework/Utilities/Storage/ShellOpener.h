// Opening a document or web address with the desktop's default application.
//
// The request goes through a replaceable service, so that tests can record what would be
// opened instead of starting a program. OpenWithShell only starts the desktop's opener and
// returns: an opener may take seconds to find out that nothing can show the target, and some
// stay until the viewer they started is closed, and none of that may hold up the windows.
// Whether the target could be opened is known when the opener ends; the caller's completion
// then runs on the UI thread, from the application's idle pass (PollShellOpenings).
//
// UI thread only.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <functional>
#include <memory>
#include <optional>

namespace QK
{

// One started opener.
class IShellOpening
{
public:
    virtual ~IShellOpening() = default;
    // Without waiting: empty while the opener runs, else whether it opened the target.
    virtual std::optional<bool> Poll() = 0;
};

class IShellOpener
{
public:
    // Starts opening target (UTF-8); null when the opener could not be started.
    virtual std::unique_ptr<IShellOpening> Open(const char* target) = 0;

protected:
    ~IShellOpener() = default;
};

// The platform's own opener, used while no other is set.
IShellOpener& GetPlatformShellOpener();

// Puts opener in place of the current service (null: the platform's own again) and
// answers the one it replaces.
IShellOpener* SetShellOpener(IShellOpener* opener);

// Called once the opener has ended, with whether it opened the target.
using ShellOpenDone = std::function<void(bool opened)>;

// Asks the desktop to open target, without waiting for the answer. 0 when the opener was
// started (done follows from a later idle pass); 0x80004005 for an empty target or an opener
// that could not be started (done is not called).
QKRESULT OpenWithShell(const WString& target, ShellOpenDone done = {});

// Runs the completions of the openers that have ended since the last call, in the order they
// were started. True when one ran. Called by the application's idle pass.
bool PollShellOpenings();
// Whether openers are still being waited for.
bool HasShellOpenings();
// Forgets the openers still running and their completions (the application is ending); each
// is still reaped when it ends.
void AbandonShellOpenings();

} // namespace QK
