// The installed font files, as the system's font configuration lists them: the stand-in for
// the desktop's fonts folder.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <vector>

namespace QK
{

// Empties files, then lists every installed ".ttf" and ".ttc" file (extensions in any
// case), each once, sorted by path so that scans come out the same every time. 0, or
// 0x80004005 when the font configuration cannot be loaded.
QKRESULT ListInstalledFontFiles(std::vector<WString>& files);

} // namespace QK
