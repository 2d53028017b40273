// How many pixels one unit of the skins' layout takes in the skin shown: 2 while the
// program's high-DPI skin is shown, else 1. A size the code gives in those units (a line's
// width) is multiplied by it, as the skins' own sizes are. UI thread only.
#pragma once

namespace QK
{

double GetCurrentSkinScale();

} // namespace QK
