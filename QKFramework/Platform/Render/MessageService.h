// The message service: what shows a message box to the person at the screen. The platform's
// service shows an SDL message box, or writes the text to stderr without a display; tests
// install a service of their own that records what was asked, so nothing waits for a click.
//
// UI thread only.
#pragma once

#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class IMessageService
{
public:
    // Icons of ShowMessage.
    static constexpr std::uint32_t kIconNone = 0;
    static constexpr std::uint32_t kIconWarning = 0x30;

    // Shows text under caption with one OK button and waits until it is dismissed.
    virtual void ShowMessage(const WString& caption, const WString& text, std::uint32_t icon) = 0;

protected:
    ~IMessageService() = default;
};

// The installed service, or the platform's own.
IMessageService& GetMessageService();
// Whether a service of its own is installed (a test's), in place of the platform's.
bool IsMessageServiceReplaced();
// Installs service (null: the platform's own); answers the one installed before. The caller
// keeps it alive while installed.
IMessageService* SetMessageService(IMessageService* service);

} // namespace QK
