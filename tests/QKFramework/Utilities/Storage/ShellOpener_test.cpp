#include "QKFramework/Utilities/Storage/ShellOpener.h"

#include "QKFramework/Utilities/Storage/StringT.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace QK
{
namespace
{

// Records what would be opened and answers as scripted.
class RecordingOpener final : public IShellOpener
{
public:
    bool Open(const char* target) override
    {
        targets.emplace_back(target);
        return succeed;
    }

    std::vector<std::string> targets;
    bool succeed = true;
};

class OpenWithShellTest : public ::testing::Test
{
protected:
    void SetUp() override { m_previous = SetShellOpener(&opener); }
    void TearDown() override { SetShellOpener(m_previous); }

    RecordingOpener opener;

private:
    IShellOpener* m_previous = nullptr;
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
