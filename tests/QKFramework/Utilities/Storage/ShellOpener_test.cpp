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

TEST_F(OpenWithShellTest, AFailedRequestIsAFailure)
{
    opener.succeed = false;
    EXPECT_EQ(OpenWithShell(WString(u"/tmp/missing.pdf")), QK_E_FAIL);
}

TEST_F(OpenWithShellTest, AnEmptyTargetIsNotOpened)
{
    EXPECT_EQ(OpenWithShell(WString()), QK_E_FAIL);
    EXPECT_TRUE(opener.targets.empty());
}

} // namespace
} // namespace QK
