// Opens documents and web addresses by running a desktop opener program ("xdg-open") with
// the target as its one argument, never through a shell. Its output goes nowhere (the
// terminal stays clean); its exit status says whether the target could be opened. The
// opener ends once the application it started is running; one that is still running after
// the answer limit (it keeps the application in its own foreground) counts as having opened
// the target, and a background thread reaps it when it ends.
//
// UI thread only: Open calls the shell-open wait pump while it waits.
#pragma once

#include "QKFramework/Utilities/Storage/ShellOpener.h"

#include <chrono>
#include <string>

namespace QK
{

class PosixShellOpener final : public IShellOpener
{
public:
    static constexpr std::chrono::milliseconds kAnswerLimit{5000};

    explicit PosixShellOpener(std::string program = "xdg-open", std::chrono::milliseconds answerLimit = kAnswerLimit);

    // False when the program cannot be started (not found, not executable) or ends with a
    // status other than 0 or by a signal.
    bool Open(const char* target) override;

private:
    std::string m_program;
    std::chrono::milliseconds m_answerLimit;
};

} // namespace QK
