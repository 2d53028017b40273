#include "QKFramework/Utilities/Storage/ShellOpener.h"

#include "QKFramework/Utilities/Storage/StringT.h"

#include "tests/support/RecordingShellOpener.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

class OpenWithShellTest : public ::testing::Test
{
protected:
    TestSupport::RecordingShellOpener opener;
};

TEST_F(OpenWithShellTest, HandsTheTargetOverAsUtf8)
{
    EXPECT_EQ(OpenWithShell(WString(u"https://example.com/gr\u00FC\u00DFe?a=1&b='x'")), QK_OK);
    EXPECT_EQ(opener.targets, (std::vector<std::string>{"https://example.com/gr\xC3\xBC\xC3\x9F"
                                                        "e?a=1&b='x'"}));
}

TEST_F(OpenWithShellTest, AnOpenerThatCannotStartIsAFailureAtOnceAndNoCompletionFollows)
{
    opener.starts = false;
    int completions = 0;
    EXPECT_EQ(OpenWithShell(WString(u"/tmp/missing.pdf"), [&](bool) { ++completions; }), QK_E_FAIL);
    EXPECT_FALSE(HasShellOpenings());
    EXPECT_FALSE(PollShellOpenings());
    EXPECT_EQ(completions, 0);
}

TEST_F(OpenWithShellTest, AnEmptyTargetIsNotOpened)
{
    EXPECT_EQ(OpenWithShell(WString()), QK_E_FAIL);
    EXPECT_TRUE(opener.targets.empty());
}

// Each completion runs once, from the poll after its opener ended, with the opener's answer,
// in the order the openers were started; an opener still running keeps its completion.
TEST_F(OpenWithShellTest, CompletionsRunOnceFromThePollAfterTheOpenerEnded)
{
    std::vector<std::string> told;
    opener.finished = false;
    opener.succeed = false;
    ASSERT_EQ(OpenWithShell(WString(u"a"), [&](bool opened) { told.push_back(opened ? "a opened" : "a failed"); }),
              QK_OK);
    ASSERT_EQ(OpenWithShell(WString(u"b"), [&](bool opened) { told.push_back(opened ? "b opened" : "b failed"); }),
              QK_OK);
    EXPECT_TRUE(told.empty()) << "told before the opener ended";
    EXPECT_FALSE(PollShellOpenings());
    EXPECT_TRUE(HasShellOpenings());
    opener.finished = true;
    EXPECT_TRUE(PollShellOpenings());
    EXPECT_EQ(told, (std::vector<std::string>{"a failed", "b failed"}));
    EXPECT_FALSE(PollShellOpenings());
    EXPECT_EQ(told.size(), 2u);
    EXPECT_FALSE(HasShellOpenings());

    // Abandoned: never told, even once the opener has ended.
    opener.finished = false;
    ASSERT_EQ(OpenWithShell(WString(u"c"), [&](bool) { told.push_back("c"); }), QK_OK);
    AbandonShellOpenings();
    opener.finished = true;
    EXPECT_FALSE(PollShellOpenings());
    EXPECT_EQ(told.size(), 2u);
}

} // namespace
} // namespace QK
