// Font lookup through the system's font configuration: which file holds the face for a
// family and style, and which font the desktop uses for its own texts.
//
// Families resolve as the desktop resolves them: aliases ("Arial" to a metric twin),
// generic names ("sans-serif") and the fallback to a sans-serif face when the family is not
// installed. Safe from any thread; the configuration is loaded once, on first use.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <string>

namespace QK
{

// Style bits of a font: 1 bold, 2 italic, 4 underline, 8 strike-out. Only the first two
// choose a face.
inline constexpr std::int32_t kFontStyleBold = 1;
inline constexpr std::int32_t kFontStyleItalic = 2;

struct FontFaceMatch
{
    std::string file;           // UTF-8 path of the font file
    std::int32_t faceIndex = 0; // face within a collection file
    WString family;             // the family that was found, such as "Liberation Sans"
};

// The best installed face for the family and style. False only when no font is installed.
bool MatchFontFace(const WString& family, std::int32_t style, FontFaceMatch& match);

// The desktop's font for its own texts: the match for "sans-serif" at 9 points. Family,
// size in points and style bits from the face's weight and slant; 0, or 0x80004005 (family
// emptied, size 0, style 0) when nothing matches.
QKRESULT GetDesktopFont(WString& family, float& size, std::int32_t& style);

} // namespace QK
