#include "QKFramework/Platform/Render/MessageService.h"

#include <cstdio>
#include <utility>

namespace QK
{

namespace
{

class ConsoleMessageService final : public IMessageService
{
public:
    void ShowMessage(const WString& caption, const WString& text, std::uint32_t) override
    {
        WriteMessageToConsole(caption, text);
    }
};

ConsoleMessageService g_console;
IMessageService* g_installed = nullptr;
IMessageService* g_desktop = nullptr;

} // namespace

void WriteMessageToConsole(const WString& caption, const WString& text)
{
    std::fprintf(stderr, "%s: %s\n", NString(caption.GetString()).GetString(), NString(text.GetString()).GetString());
    std::fflush(stderr);
}

IMessageService& GetMessageService()
{
    if (g_installed)
        return *g_installed;
    return g_desktop ? *g_desktop : g_console;
}

bool IsMessageServiceReplaced()
{
    return g_installed != nullptr;
}

IMessageService* SetMessageService(IMessageService* service)
{
    return std::exchange(g_installed, service);
}

IMessageService* SetDesktopMessageService(IMessageService* service)
{
    return std::exchange(g_desktop, service);
}

} // namespace QK
