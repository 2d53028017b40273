// The message service: what shows a message box to the person at the screen.
//
// Every box of the program goes one way: GetMessageService(). A test installs a service of
// its own (SetMessageService) that records what was asked, so nothing waits for a click.
// Otherwise the desktop's box answers, which the window layer provides once it can show one
// (SetDesktopMessageService): a dialog program run as a process of its own, tied to the
// program's window, whose windows keep painting and take no input while it shows. Without
// either, the text goes to stderr.
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
    static constexpr std::uint32_t kIconError = 0x10;
    static constexpr std::uint32_t kIconWarning = 0x30;

    // Shows text under caption with one OK button and waits until it is dismissed.
    virtual void ShowMessage(const WString& caption, const WString& text, std::uint32_t icon) = 0;

protected:
    ~IMessageService() = default;
};

// The installed service, else the desktop's, else the one that writes to stderr.
IMessageService& GetMessageService();
// Whether a service of its own is installed (a test's), in place of the desktop's.
bool IsMessageServiceReplaced();
// Installs service (null: none); answers the one installed before. The caller keeps it alive
// while installed.
IMessageService* SetMessageService(IMessageService* service);
// The desktop's box (null: none); answers the one set before. The window layer sets it while
// it can show boxes.
IMessageService* SetDesktopMessageService(IMessageService* service);
// Writes caption and text to stderr as one line: the box of a program without a display.
void WriteMessageToConsole(const WString& caption, const WString& text);

} // namespace QK
