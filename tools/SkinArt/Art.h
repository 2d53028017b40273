// The editor's artwork: every image of the skins, drawn as vectors with cairo.
//
// An image is named by a kind and its size in standard-DPI pixels; the generator draws it once
// per scale (1 and 2) straight at that scale, so the high-DPI twin is exactly twice as large
// and never a resampled copy. Widget kinds with several states are vertical strips: state i
// lies at y = i x height, in the order of the kind's state list.
//
// Everything here is deterministic: one palette, one light (from the top left), no text, no
// fonts, no clock and no randomness.
#pragma once

#include <cairo.h>

#include <string>
#include <vector>

namespace SkinArt
{

// One image the skins use: its file stem (lower case), the size of one state in standard
// pixels and its states (one entry for a plain picture).
struct ImageSpec
{
    std::string kind;   // drawing routine
    std::string stem;   // file name without scale suffix and extension
    int width = 0;
    int height = 0;
    std::vector<std::string> states;

    int StripHeight() const { return height * static_cast<int>(states.size()); }
};

// The file name of an image at a scale: "<stem>.png" at 1, "<stem>_2x.png" at 2.
std::string ImageFileName(const std::string& stem, int scale);

// The states a widget kind is drawn in, in strip order.
const std::vector<std::string>& StatesOfKind(const std::string& kind);

// Draws one state of an image into cr, which is already scaled so that one unit is one
// standard pixel and translated to the state's top left corner. False for an unknown kind.
bool DrawImageState(cairo_t* cr, const ImageSpec& image, const std::string& state);

// Colours shared by the pictures and the skin's colour parts (0xAARRGGBB).
namespace Palette
{
inline constexpr unsigned kWindow = 0xFF1B1E23;
inline constexpr unsigned kBodyTop = 0xFF3A3F47;
inline constexpr unsigned kBodyBottom = 0xFF23272D;
inline constexpr unsigned kPlate = 0xFF2C3037;
inline constexpr unsigned kPlateEdge = 0xFF454B55;
inline constexpr unsigned kTextLight = 0xFFE8ECF0;
inline constexpr unsigned kTextDim = 0xFF98A2AD;
inline constexpr unsigned kTextDark = 0xFF15181C;
inline constexpr unsigned kTextDisabled = 0xFF5E6670;
inline constexpr unsigned kAccent = 0xFF2FB3A6;
inline constexpr unsigned kSend = 0xFF2FB3A6;
inline constexpr unsigned kRec = 0xFFD9534F;
inline constexpr unsigned kRam = 0xFFE3A33B;
inline constexpr unsigned kLcd = 0xFF9FD6C6;
inline constexpr unsigned kFieldTop = 0xFF15181C;
inline constexpr unsigned kFieldBottom = 0xFF1E2227;
inline constexpr unsigned kSelection = 0xFF2F8F86;
inline constexpr unsigned kMenu = 0xFF262A30;
inline constexpr unsigned kTipBack = 0xFFF3EED8;
} // namespace Palette

} // namespace SkinArt
