// Opens documents and web addresses by running a desktop opener program ("xdg-open") with
// the target as its one argument, never through a shell. The program is left to run on
// its own; a background thread reaps it when it ends.
#pragma once

#include "QKFramework/Utilities/Storage/ShellOpener.h"

#include <string>

namespace QK
{

class PosixShellOpener final : public IShellOpener
{
public:
    explicit PosixShellOpener(std::string program = "xdg-open");

    // False when the program cannot be started (not found, not executable).
    bool Open(const char* target) override;

private:
    std::string m_program;
};

} // namespace QK
