// The notifications of the framework application that the rest of the program sends.
#pragma once

namespace QK
{

// Asks the application to close; posted to the default notification centre.
inline constexpr const char16_t* kNidAppExitReq = u"NID_APP_EXIT_REQ";

} // namespace QK
