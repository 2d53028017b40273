// A shell opener that records what would be opened instead of starting a program, and
// answers as scripted. It is the process's opener for its lifetime and puts the previous one
// back at its end.
//
// Header only.
#pragma once

#include "QKFramework/Utilities/Storage/ShellOpener.h"

#include <string>
#include <vector>

namespace QK::TestSupport
{

class RecordingShellOpener final : public IShellOpener
{
public:
    RecordingShellOpener() : m_previous(SetShellOpener(this)) {}
    RecordingShellOpener(const RecordingShellOpener&) = delete;
    RecordingShellOpener& operator=(const RecordingShellOpener&) = delete;
    ~RecordingShellOpener() { SetShellOpener(m_previous); }

    bool Open(const char* target) override
    {
        targets.emplace_back(target);
        return succeed;
    }

    // The targets, as UTF-8, in order.
    std::vector<std::string> targets;
    bool succeed = true;

private:
    IShellOpener* m_previous;
};

} // namespace QK::TestSupport
