#include "QKFramework/Platform/Render/MessageService.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>

namespace QK
{

namespace
{

class SdlMessageService final : public IMessageService
{
public:
    void ShowMessage(const WString& caption, const WString& text, std::uint32_t icon) override
    {
        const NString narrowCaption(caption.GetString());
        const NString narrowText(text.GetString());
        const char* display = std::getenv("DISPLAY");
        const char* wayland = std::getenv("WAYLAND_DISPLAY");
        if ((display && *display) || (wayland && *wayland))
        {
            const Uint32 flags = icon == kIconWarning ? SDL_MESSAGEBOX_WARNING
                                 : icon == 0x10      ? SDL_MESSAGEBOX_ERROR
                                                     : SDL_MESSAGEBOX_INFORMATION;
            if (SDL_ShowSimpleMessageBox(flags, narrowCaption.GetString(), narrowText.GetString(), nullptr) == 0)
                return;
        }
        std::fprintf(stderr, "%s: %s\n", narrowCaption.GetString(), narrowText.GetString());
    }
};

SdlMessageService g_platform;
IMessageService* g_installed = nullptr;

} // namespace

IMessageService& GetMessageService()
{
    return g_installed ? *g_installed : g_platform;
}

bool IsMessageServiceReplaced()
{
    return g_installed != nullptr;
}

IMessageService* SetMessageService(IMessageService* service)
{
    IMessageService* previous = g_installed;
    g_installed = service;
    return previous;
}

} // namespace QK
