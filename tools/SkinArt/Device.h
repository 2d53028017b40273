// Where the controller's hardware lies on its picture, in standard pixels from the picture's
// top left corner. The picture draws the hardware there and the skin puts each edit panel over
// the hardware it edits, so both read these numbers.
#pragma once

namespace SkinArt::Device
{

struct Box
{
    int x, y, w, h;
};

inline constexpr Box kPicture{0, 0, 1210, 716};
inline constexpr Box kDisplay{24, 16, 280, 48};
inline constexpr Box kPresetName{39, 27, 250, 26};
inline constexpr Box kMidiChannels{24, 72, 280, 78};
inline constexpr Box kSounds{316, 16, 408, 134};
inline constexpr Box kFavorites{736, 16, 256, 134};
inline constexpr Box kLogo{1004, 16, 182, 134};
inline constexpr Box kJoystick{24, 160, 280, 206};
inline constexpr Box kJoystickGate{14, 56, 92, 92}; // inside kJoystick
inline constexpr Box kKnobBanks[2] = {{316, 160, 620, 100}, {316, 266, 620, 100}};
inline constexpr Box kArpeggiator{948, 160, 238, 206};
inline constexpr Box kPadBanks[2] = {{24, 376, 328, 180}, {360, 376, 328, 180}};
inline constexpr Box kKeyboard{700, 376, 236, 180};
inline constexpr Box kGrille{948, 376, 238, 180};
inline constexpr Box kKeybed{24, 568, 1162, 132};

// A knob panel inside its bank, and the knob cap inside the panel.
inline constexpr Box KnobPanel(int i) { return {4 + i * 154, 2, 150, 96}; }
inline constexpr Box kKnobCap{2, 2, 36, 36};
// A pad panel inside its bank (four columns, two rows); the rubber pad fills it.
inline constexpr Box PadPanel(int i) { return {4 + (i % 4) * 80, 4 + (i / 4) * 88, 78, 84}; }

// The keybed: 37 keys from C, 22 white keys.
inline constexpr int kWhiteKeys = 22;

} // namespace SkinArt::Device
