// Where every parameter's editor sits in the shipped skin's device view, in id order: the
// module panel's place and the editor's name, one path per parameter (79 in all).
// Header only.
#pragma once

#include <string>
#include <vector>

namespace QK::TestSupport
{

inline std::vector<std::string> EditorsInIdOrder()
{
    std::vector<std::string> paths = {"presetName/editPanel"};
    for (const char* name : {"padMidiChannel", "padAftertouchType", "joystickKnobKeybedSustainMidiChannel"})
        paths.push_back(std::string("midiChannels/") + name);
    for (const char* name : {"octave", "transpose"})
        paths.push_back(std::string("keyboard/") + name);
    for (const char* name : {"arpOnOff", "arpMode", "timeDivision", "clockSource", "latchOnOff", "swing",
                             "tempoTaps", "tempo", "arpOctave"})
        paths.push_back(std::string("arpeggiator/") + name);
    for (const char* axis : {"joystick/xAxis/", "joystick/yAxis/"})
        for (const char* name : {"type", "cc1", "cc2"})
            paths.push_back(std::string(axis) + name);
    for (int pad = 0; pad < 16; ++pad)
        paths.push_back("padBank" + std::to_string(pad / 8 + 1) + "/pad" + std::to_string(pad % 8 + 1) +
                        "/midiNote");
    for (int knob = 0; knob < 8; ++knob)
        for (const char* name : {"ccValuePanel", "minValuePanel", "maxValuePanel", "knobName"})
            paths.push_back("knobBank" + std::to_string(knob / 4 + 1) + "/knob" +
                            std::to_string(knob % 4 + 1) + "/" + name);
    for (const char* name : {"keybedSounds", "padSound", "filter", "resonance", "reverb", "chorus", "attack",
                             "release", "eqLow", "eqHigh"})
        paths.push_back(std::string("keysSoundParameters/") + name);
    return paths;
}

} // namespace QK::TestSupport
