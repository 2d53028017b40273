#include "QKFramework/Platform/Render/FontMatcher.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace QK
{
namespace
{

TEST(FontMatcherTest, FamiliesResolveThroughAliasesAndFallBack)
{
    const struct
    {
        const char16_t* family;
        std::int32_t style;
        const char16_t* resolved; // null: any installed family
    } cases[] = {
        {u"Arial", 0, u"Liberation Sans"},
        {u"arial", 1, u"Liberation Sans"},
        {u"Helvetica", 0, u"Liberation Sans"},
        {u"Times New Roman", 2, u"Liberation Serif"},
        {u"DejaVu Sans", 0, u"DejaVu Sans"},
        {u"sans-serif", 0, nullptr},
        {u"No Such Family Anywhere", 0, nullptr},
        {u"", 0, nullptr},
    };
    for (const auto& c : cases)
    {
        FontFaceMatch match;
        ASSERT_TRUE(MatchFontFace(WString(c.family), c.style, match)) << NString(c.family).GetString();
        EXPECT_EQ(::access(match.file.c_str(), R_OK), 0) << match.file;
        EXPECT_GE(match.faceIndex, 0);
        EXPECT_FALSE(match.family.IsEmpty());
        if (c.resolved)
        {
            EXPECT_TRUE(match.family.IsEqual(c.resolved)) << NString(match.family.GetString()).GetString();
        }
    }
}

TEST(FontMatcherTest, StyleChoosesTheFace)
{
    FontFaceMatch regular, bold, italic;
    ASSERT_TRUE(MatchFontFace(WString(u"Liberation Sans"), 0, regular));
    ASSERT_TRUE(MatchFontFace(WString(u"Liberation Sans"), kFontStyleBold, bold));
    ASSERT_TRUE(MatchFontFace(WString(u"Liberation Sans"), kFontStyleItalic | 4 | 8, italic));
    EXPECT_NE(regular.file, bold.file);
    EXPECT_NE(regular.file, italic.file);
    EXPECT_NE(bold.file, italic.file);
}

TEST(FontMatcherTest, DesktopFontIsSansSerifAtNinePoints)
{
    WString family;
    float size = 0.0f;
    std::int32_t style = -1;
    ASSERT_EQ(GetDesktopFont(family, size, style), QK_OK);
    EXPECT_FALSE(family.IsEmpty());
    EXPECT_EQ(size, 9.0f);
    EXPECT_EQ(style, 0);
}

} // namespace
} // namespace QK
