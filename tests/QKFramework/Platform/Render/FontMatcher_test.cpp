#include "QKFramework/Platform/Render/FontMatcher.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <set>
#include <string>

namespace QK
{
namespace
{

// The families that share the metrics of Arial and Helvetica, and of Times New Roman and
// Times: the desktop binds each of these names to whichever of them is installed (Liberation,
// the URW base fonts that Ghostscript brings, Croscore, TeX Gyre, ...).
const std::set<std::u16string> kSansTwins = {u"Arial",     u"Helvetica",       u"Liberation Sans", u"Arimo",
                                             u"Albany",    u"Albany AMT",      u"Nimbus Sans",     u"Nimbus Sans L",
                                             u"TeX Gyre Heros"};
const std::set<std::u16string> kSerifTwins = {u"Times New Roman", u"Times",     u"Liberation Serif",
                                              u"Tinos",           u"Thorndale", u"Thorndale AMT",
                                              u"Nimbus Roman",    u"Nimbus Roman No9 L", u"TeX Gyre Termes"};

TEST(FontMatcherTest, FamiliesResolveThroughAliasesAndFallBack)
{
    const struct
    {
        const char16_t* family;
        std::int32_t style;
        const std::set<std::u16string>* resolved; // null: any installed family
    } cases[] = {
        {u"Arial", 0, &kSansTwins},
        {u"arial", 1, &kSansTwins},
        {u"Helvetica", 0, &kSansTwins},
        {u"Times New Roman", 2, &kSerifTwins},
        {u"Times", 0, &kSerifTwins},
        {u"sans-serif", 0, nullptr},
        {u"No Such Family Anywhere", 0, nullptr},
        {u"", 0, nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(NString(c.family).GetString());
        FontFaceMatch match;
        ASSERT_TRUE(MatchFontFace(WString(c.family), c.style, match));
        EXPECT_EQ(::access(match.file.c_str(), R_OK), 0) << match.file;
        EXPECT_GE(match.faceIndex, 0);
        EXPECT_FALSE(match.family.IsEmpty());
        if (c.resolved)
        {
            EXPECT_TRUE(c.resolved->count(match.family.GetString()))
                << NString(match.family.GetString()).GetString() << " has other metrics";
        }
    }

    // A family that is installed is itself.
    for (const char16_t* installed : {u"DejaVu Sans", u"Liberation Sans", u"Liberation Serif"})
    {
        FontFaceMatch match;
        ASSERT_TRUE(MatchFontFace(WString(installed), 0, match));
        EXPECT_TRUE(match.family.IsEqual(installed)) << NString(match.family.GetString()).GetString();
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
