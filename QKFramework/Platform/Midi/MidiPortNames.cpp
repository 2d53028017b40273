#include "QKFramework/Platform/Midi/MidiPortNames.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace QK
{

namespace
{

bool IsDigits(const std::string& text, std::size_t begin, std::size_t end)
{
    return begin < end && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(begin),
                                      text.begin() + static_cast<std::ptrdiff_t>(end),
                                      [](unsigned char c) { return std::isdigit(c) != 0; });
}

// The "<client id>:<port id>" that ends an ALSA port name, or empty when it is missing.
std::string AlsaAddress(const std::string& portName)
{
    const std::size_t space = portName.rfind(' ');
    if (space == std::string::npos)
        return {};
    const std::size_t colon = portName.find(':', space + 1);
    if (colon == std::string::npos || !IsDigits(portName, space + 1, colon) ||
        !IsDigits(portName, colon + 1, portName.size()))
        return {};
    return portName.substr(space + 1);
}

} // namespace

std::string MidiPortClientName(const std::string& portName)
{
    return portName.substr(0, portName.find(':'));
}

bool IsOwnMidiPort(const std::string& portName, const std::string& clientName)
{
    const std::string client = MidiPortClientName(portName);
    if (client == clientName)
        return true;
    return client.size() > clientName.size() + 1 && client.compare(0, clientName.size(), clientName) == 0 &&
           client[clientName.size()] == '-' && IsDigits(client, clientName.size() + 1, client.size());
}

std::vector<std::string> MakeMidiProductNames(MidiSystem system, MidiDirection direction,
                                              const std::vector<std::string>& portNames)
{
    std::vector<std::string> names;
    names.reserve(portNames.size());
    if (system == MidiSystem::Jack)
    {
        for (const std::string& port : portNames)
        {
            const std::size_t colon = port.find(':');
            names.push_back(colon == std::string::npos ? port : port.substr(colon + 1));
        }
        return names;
    }

    // Ports of one client are told apart by the client id, since ALSA clients need not
    // have distinct names.
    std::map<std::string, int> portsSeen;
    const char* prefix = direction == MidiDirection::Input ? "MIDIIN" : "MIDIOUT";
    for (const std::string& port : portNames)
    {
        const std::string client = MidiPortClientName(port);
        const std::string address = AlsaAddress(port);
        const std::string key = address.empty() ? ":" + client : address.substr(0, address.find(':'));
        const int k = portsSeen[key]++;
        names.push_back(k == 0 ? client : prefix + std::to_string(k + 1) + " (" + client + ")");
    }
    return names;
}

} // namespace QK
