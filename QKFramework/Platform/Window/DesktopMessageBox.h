// The desktop's message box: zenity run as a process of its own (SDL's box forks the whole
// many-threaded program and can hang in the copy), marked modal and tied to its owner's X
// window so that it stays in front of it.
//
// UI thread only.
#pragma once

#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <functional>

namespace QK
{

// Shows text under caption with one OK button (icon: 0x10 error, 0x30 warning, else
// information) and waits until it is dismissed, calling pump about thirty times a second
// meanwhile. ownerWindow is the X window it belongs to, 0 for none. False when no box could
// be shown (the program is missing); the caller then tells the person another way.
bool RunDesktopMessageBox(const WString& caption, const WString& text, std::uint32_t icon,
                          std::uintptr_t ownerWindow, const std::function<void()>& pump);

} // namespace QK
