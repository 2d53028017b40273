#include "QKFramework/Utilities/Storage/ShellOpener.h"

#include "QKFramework/Utilities/Storage/StringT.h"

#include <atomic>
#include <utility>
#include <vector>

namespace QK
{

namespace
{

std::atomic<IShellOpener*> g_opener{nullptr};

struct PendingOpening
{
    std::unique_ptr<IShellOpening> opening;
    ShellOpenDone done;
};

// UI thread only.
std::vector<PendingOpening>& Pending()
{
    static std::vector<PendingOpening> pending;
    return pending;
}

} // namespace

IShellOpener* SetShellOpener(IShellOpener* opener)
{
    return g_opener.exchange(opener);
}

QKRESULT OpenWithShell(const WString& target, ShellOpenDone done)
{
    if (target.IsEmpty())
        return QK_E_FAIL;
    IShellOpener* opener = g_opener.load();
    const NString narrow(target.GetString());
    std::unique_ptr<IShellOpening> opening = (opener ? *opener : GetPlatformShellOpener()).Open(narrow.GetString());
    if (!opening)
        return QK_E_FAIL;
    Pending().push_back({std::move(opening), std::move(done)});
    return QK_OK;
}

bool PollShellOpenings()
{
    // Taken out before any completion runs: a completion may start another opener, or show a
    // box whose wait runs idle passes of its own.
    std::vector<std::pair<ShellOpenDone, bool>> ended;
    std::vector<PendingOpening>& pending = Pending();
    for (auto it = pending.begin(); it != pending.end();)
    {
        if (const std::optional<bool> opened = it->opening->Poll())
        {
            ended.emplace_back(std::move(it->done), *opened);
            it = pending.erase(it);
        }
        else
            ++it;
    }
    for (auto& [done, opened] : ended)
        if (done)
            done(opened);
    return !ended.empty();
}

bool HasShellOpenings()
{
    return !Pending().empty();
}

void AbandonShellOpenings()
{
    Pending().clear();
}

} // namespace QK
