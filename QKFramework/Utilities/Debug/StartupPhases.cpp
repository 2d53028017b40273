#include "QKFramework/Utilities/Debug/StartupPhases.h"

#include "QKFramework/Utilities/Debug/DebugLog.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace QK
{

namespace
{

struct Phase
{
    std::string name;
    std::int64_t microseconds = 0;
    bool written = false;
};

struct PhaseRecord
{
    std::mutex lock;
    std::vector<Phase> phases;
    bool released = false;
};

PhaseRecord& Record()
{
    static PhaseRecord record;
    return record;
}

// Under the record's lock.
void WriteHeld(PhaseRecord& record)
{
    std::ostream& out = DebugLog::Get().GetNarrowOutput();
    for (Phase& phase : record.phases)
        if (!phase.written)
        {
            out << "Start-up phase: " << phase.name << ' ' << phase.microseconds << std::endl;
            phase.written = true;
        }
}

} // namespace

void NoteStartupPhase(const char* name)
{
    const std::int64_t now =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    PhaseRecord& record = Record();
    const std::lock_guard lock(record.lock);
    for (const Phase& phase : record.phases)
        if (phase.name == name)
            return;
    record.phases.push_back({name, now, false});
    if (record.released)
        WriteHeld(record);
}

void ReleaseStartupPhases()
{
    PhaseRecord& record = Record();
    const std::lock_guard lock(record.lock);
    record.released = true;
    WriteHeld(record);
}

} // namespace QK
