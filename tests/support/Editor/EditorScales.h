// The two scales the editor's window tests run at: the standard skin at 96 dots per inch and
// the high-DPI skin at 160, with the suffix their pictures' names carry and the factor by
// which the high-DPI skin's pixels are the standard ones'; and the base of their TEST_P
// suites, which skips without an X server. Header only.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace QK::TestSupport
{

struct EditorScale
{
    const char* dpi;
    const char* suffix;
    std::int32_t factor;
};

inline const auto kBothEditorScales =
    ::testing::Values(EditorScale{"96", "-96dpi", 1}, EditorScale{"160", "-160dpi", 2});

class EditorScaleTest : public ::testing::TestWithParam<EditorScale>
{
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X server (scripts/test.sh starts Xvfb)";
    }
};

inline std::string EditorScaleName(const ::testing::TestParamInfo<EditorScale>& info)
{
    return std::string(info.param.dpi) + "dpi";
}

} // namespace QK::TestSupport
