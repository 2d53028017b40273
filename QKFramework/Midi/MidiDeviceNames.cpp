#include "QKFramework/Midi/MidiDeviceNames.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"

namespace QK
{

namespace
{

WString FromUtf8(const std::string& text)
{
    return WString(text.c_str());
}

bool EndsWith(const WString& text, const WString& ending)
{
    const std::uint32_t length = text.GetLength();
    const std::uint32_t endingLength = ending.GetLength();
    if (endingLength > length)
        return false;
    const char16_t* tail = text.GetString() + (length - endingLength);
    const char16_t* wanted = ending.GetString();
    for (std::uint32_t i = 0; i < endingLength; ++i)
        if (tail[i] != wanted[i])
            return false;
    return true;
}

} // namespace

StringArray NumberDuplicateDeviceNames(const std::vector<std::string>& productNames)
{
    const std::size_t count = productNames.size();
    std::vector<bool> handled(count, false);
    StringArray names;
    for (std::size_t i = 0; i < count; ++i)
    {
        if (handled[i])
            continue;
        std::int32_t occurrences = 1;
        for (std::size_t j = i + 1; j < count; ++j)
        {
            if (!handled[j] && productNames[j] == productNames[i])
            {
                handled[j] = true;
                ++occurrences;
            }
        }
        const WString name = FromUtf8(productNames[i]);
        if (occurrences == 1)
        {
            names.Add(name);
            continue;
        }
        for (std::int32_t k = 1; k <= occurrences; ++k)
            names.Add(name + WString::Format(u" (%d)", k));
    }
    return names;
}

StringArray ListDeviceNames(IMidiBackend& backend, MidiDirection direction)
{
    return NumberDuplicateDeviceNames(backend.ListDevices(direction));
}

StringArray ListInputDeviceNames()
{
    return ListDeviceNames(*GetMidiBackend(), MidiDirection::Input);
}

StringArray ListOutputDeviceNames()
{
    return ListDeviceNames(*GetMidiBackend(), MidiDirection::Output);
}

MidiPortNameParts ParseMidiPortName(const WString& portName)
{
    MidiPortNameParts parts;
    const std::int32_t length = static_cast<std::int32_t>(portName.GetLength());
    const char16_t* text = portName.GetString();
    if (length >= 4 && text[length - 3] == u'(' && text[length - 1] == u')')
    {
        parts.baseName = portName.Left(length - 4);
        parts.index = static_cast<std::int32_t>(text[length - 2]) - u'0' - 1;
    }
    else if (length >= 5 && text[length - 4] == u'(' && text[length - 1] == u')')
    {
        parts.baseName = portName.Left(length - 5);
        parts.index = ParseInt(portName.Mid(length - 3, 2).GetString()) - 1;
    }
    else
        parts.baseName = portName;
    return parts;
}

std::int32_t FindMidiDevice(const std::vector<std::string>& productNames, const WString& portName)
{
    const MidiPortNameParts parts = ParseMidiPortName(portName);
    if (parts.index < 0)
        return -1;
    const WString wanted = parts.baseName.ToLower();
    std::int32_t matches = 0;
    for (std::size_t i = 0; i < productNames.size(); ++i)
    {
        if (!EndsWith(FromUtf8(productNames[i]).ToLower(), wanted))
            continue;
        if (matches == parts.index)
            return static_cast<std::int32_t>(i);
        ++matches;
    }
    return -1;
}

std::uint32_t CountNamesContaining(const StringArray& names, const WString& name)
{
    const WString wanted = name.ToLower();
    std::uint32_t count = 0;
    for (std::uint32_t i = 0; i < names.GetCount(); ++i)
        if (names.GetAt(i)->ToLower().Find(wanted) >= 0)
            ++count;
    return count;
}

} // namespace QK
