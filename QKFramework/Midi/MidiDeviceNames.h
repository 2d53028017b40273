// How MIDI ports are found by name.
//
// A port is asked for by a name such as "Vedidu": the device whose product name ends with
// it, ignoring case, so that "2- Vedidu" is found too. Devices that share one product name
// are listed as "Vedidu (1)", "Vedidu (2)", ..., and such a numbered name picks the device
// of that rank among those whose names end with the base name.
//
// Pure functions over lists of product names; nothing here talks to the MIDI system except
// the two List*DeviceNames, which ask the back end in use.
#pragma once

#include "QKFramework/Midi/MidiBackend.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include <cstdint>
#include <string>
#include <vector>

namespace QK
{

// The product names as listed for the user: a name that occurs once stays as it is; a
// name that occurs k times (k >= 2) is listed k times at the place of its first
// occurrence, as "<name> (1)" to "<name> (k)".
StringArray NumberDuplicateDeviceNames(const std::vector<std::string>& productNames);

// The numbered lists of the back end's input and output devices.
StringArray ListDeviceNames(IMidiBackend& backend, MidiDirection direction);
StringArray ListInputDeviceNames();
StringArray ListOutputDeviceNames();

// A port name split into the base name to search for and the rank among the devices that
// match it (0 for the first). Only the parentheses of a " (d)" or " (dd)" ending are
// tested; the digits are read as they come, so a rank may be meaningless (it then matches
// no device), never out of range.
struct MidiPortNameParts
{
    WString baseName;
    std::int32_t index = 0;
};
MidiPortNameParts ParseMidiPortName(const WString& portName);

// The device index of the device that portName asks for, or -1: the (index+1)-th device
// whose product name ends with the base name, ignoring case.
std::int32_t FindMidiDevice(const std::vector<std::string>& productNames, const WString& portName);

// How many entries of names contain name, ignoring case.
std::uint32_t CountNamesContaining(const StringArray& names, const WString& name);

} // namespace QK
