// A screen as large as a test needs, whatever screen the test happens to run under: a test
// that expects the whole of the high-DPI window on screen makes one, so that it passes on a
// developer's smaller desktop as it does under the test script's Xvfb.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

namespace QK::TestSupport
{

// The first call in a process starts an X server of the test's own (Xvfb) with one screen of
// width x height and points DISPLAY at it for the rest of the process: SDL keeps the display
// it first opened, so the server lives until the process ends. Later calls for a size that
// fits it answer at once. Fails, saying why, when the server cannot start or when this
// process's windows already opened on a smaller screen (each test runs in a process of its
// own under ctest).
::testing::AssertionResult UseScreenOfSize(std::int32_t width, std::int32_t height);

// Room for the high-DPI skin's main window (2480 x 1560), as on the test script's screen.
inline constexpr std::int32_t kWholeWindowScreenWidth = 2560;
inline constexpr std::int32_t kWholeWindowScreenHeight = 1600;

} // namespace QK::TestSupport
