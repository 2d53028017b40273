// Opens documents and web addresses by running a desktop opener program ("xdg-open") with
// the target as its one argument, never through a shell. Its output goes nowhere (the
// terminal stays clean); its exit status says whether the target could be opened. The
// opener usually ends once the application it started is running, but may stay as long as
// that application (it keeps it in its own foreground), so nothing here ever waits for it:
// an opening is polled, and one dropped while its opener still runs leaves the opener to a
// background thread that reaps it when it ends.
//
// UI thread only.
#pragma once

#include "QKFramework/Utilities/Storage/ShellOpener.h"

#include <string>

namespace QK
{

class PosixShellOpener final : public IShellOpener
{
public:
    explicit PosixShellOpener(std::string program = "xdg-open");

    // Null when the program cannot be started (not found, not executable). The opening
    // answers false once the program ends with a status other than 0 or by a signal.
    std::unique_ptr<IShellOpening> Open(const char* target) override;

private:
    std::string m_program;
};

} // namespace QK
