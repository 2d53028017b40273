// JackClients: what the JACK server (the one the environment names, as the test script's)
// knows of a program's clients, asked through a client of the test's own.
#pragma once

#include <string>

namespace QK::TestSupport
{

// How many clients named baseName, or baseName followed by "-" and two digits (JACK's name
// for a further client of a taken name), the server holds now; -1 when no server answers.
int CountJackClients(const std::string& baseName);

} // namespace QK::TestSupport
