// A process that claims the single-instance lock as the editor does, for the tests that need
// two processes. Its command line is rebuilt from its arguments. It prints its role:
//   "second" (exit 0) or "alone" (exit 3, the reason on stderr) and ends, or
//   "first", then "received:<command line>" for each hand-over, until its stdin closes.
#include "QKFramework/Platform/Window/SingleInstance.h"

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    std::string commandLine;
    for (int i = 1; i < argc; ++i)
    {
        if (i > 1)
            commandLine += ' ';
        commandLine += argv[i];
    }
    QK::SingleInstance instance("VediduProbeWindowClassPrevent", "qkprobe");
    switch (instance.Claim(commandLine))
    {
    case QK::SingleInstance::Role::Second:
        std::puts("second");
        return 0;
    case QK::SingleInstance::Role::Alone:
        std::puts("alone");
        std::fprintf(stderr, "%s\n", instance.GetProblem().c_str());
        return 3;
    case QK::SingleInstance::Role::First:
        break;
    }
    instance.SetHandler(
        [](const QK::WString& text)
        {
            std::printf("received:%s\n", QK::NString(text.GetString()).GetString());
            std::fflush(stdout);
        });
    std::puts("first");
    std::fflush(stdout);
    for (;;)
    {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (::poll(&input, 1, 10) > 0)
        {
            char byte;
            if (::read(STDIN_FILENO, &byte, 1) <= 0)
                break;
        }
        instance.ProcessIdle();
    }
    return 0;
}
