#include "QKFramework/Utilities/Storage/ShellOpener.h"

#include "QKFramework/Utilities/Storage/StringT.h"

#include <atomic>
#include <utility>

namespace QK
{

namespace
{

std::atomic<IShellOpener*> g_opener{nullptr};

ShellOpenWaitPump& WaitPump()
{
    static ShellOpenWaitPump pump;
    return pump;
}

} // namespace

void SetShellOpenWaitPump(ShellOpenWaitPump pump)
{
    WaitPump() = std::move(pump);
}

const ShellOpenWaitPump& GetShellOpenWaitPump()
{
    return WaitPump();
}

IShellOpener* SetShellOpener(IShellOpener* opener)
{
    return g_opener.exchange(opener);
}

QKRESULT OpenWithShell(const WString& target)
{
    if (target.IsEmpty())
        return QK_E_FAIL;
    IShellOpener* opener = g_opener.load();
    const NString narrow(target.GetString());
    return (opener ? *opener : GetPlatformShellOpener()).Open(narrow.GetString()) ? QK_OK : QK_E_FAIL;
}

} // namespace QK
