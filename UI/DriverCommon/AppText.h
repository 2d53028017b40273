// The editor's texts and message boxes, through the process's application object.
// UI thread only.
#pragma once

#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

// The text stored under key in the application's string table; empty when the key is
// missing or there is no application.
WString GetAppString(const char16_t* key);

// The application's message box (text, caption, flags in that order); the pressed button,
// or 0 without an application. What was posted to the views before is delivered and painted
// first, so the box shows over the editor as it now is.
std::int32_t ShowMessageBox(WString text, WString caption, std::uint32_t flags);

} // namespace QK
