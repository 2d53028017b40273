// Saving pixels as a PNG file (screenshots of what was drawn or shown).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace QK
{

// width x height 0xAARRGGBB pixels with straight alpha, row by row, to the file at path
// (UTF-8). False when the pixels do not fit the size or the file cannot be written.
bool WritePngFile(const std::string& path, const std::vector<std::uint32_t>& pixels, std::int32_t width,
                  std::int32_t height);

} // namespace QK
