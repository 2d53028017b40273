#include "tests/support/Midi/JackClients.h"

#include <jack/jack.h>

#include <cstdio>

namespace QK::TestSupport
{

namespace
{

void Quiet(const char*) {}

} // namespace

int CountJackClients(const std::string& baseName)
{
    // A name that is looked for and not found is no news worth printing.
    jack_set_error_function(&Quiet);
    jack_set_info_function(&Quiet);
    jack_status_t status{};
    jack_client_t* client = jack_client_open("vedidu-test-client-count", JackNoStartServer, &status);
    if (!client)
        return -1;
    int count = 0;
    for (int suffix = 0; suffix < 100; ++suffix)
    {
        char name[256];
        if (suffix == 0)
            std::snprintf(name, sizeof name, "%s", baseName.c_str());
        else
            std::snprintf(name, sizeof name, "%s-%02d", baseName.c_str(), suffix);
        if (char* uuid = jack_get_uuid_for_client_name(client, name))
        {
            ++count;
            jack_free(uuid);
        }
    }
    jack_client_close(client);
    return count;
}

} // namespace QK::TestSupport
