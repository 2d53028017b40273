#include "QKFramework/Platform/Window/DesktopMessageBox.h"

#include "QKFramework/Platform/Window/ChildProgram.h"

#include <cstdio>
#include <string>
#include <vector>

namespace QK
{

bool RunDesktopMessageBox(const WString& caption, const WString& text, std::uint32_t icon,
                          std::uintptr_t ownerWindow, const std::function<void()>& pump)
{
    const std::uint32_t kind = icon & 0xF0;
    std::vector<std::string> arguments{"zenity", kind == 0x10 ? "--error" : kind == 0x30 ? "--warning" : "--info",
                                       "--no-markup", "--modal"};
    if (ownerWindow != 0)
    {
        char owner[32];
        std::snprintf(owner, sizeof owner, "--attach=0x%llx", static_cast<unsigned long long>(ownerWindow));
        arguments.emplace_back(owner);
    }
    arguments.push_back(std::string("--title=") + NString(caption.GetString()).GetString());
    arguments.push_back(std::string("--text=") + NString(text.GetString()).GetString());
    return RunChildProgram(arguments, pump).started;
}

} // namespace QK
