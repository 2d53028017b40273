#include "QKFramework/Platform/Core/PosixShellOpener.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace QK
{
namespace
{

TEST(PosixShellOpenerTest, AProgramThatCannotBeStartedFails)
{
    PosixShellOpener opener("vedidu-no-such-opener");
    EXPECT_FALSE(opener.Open("https://example.com"));
}

TEST(PosixShellOpenerTest, PassesTheTargetAsOneArgumentWithoutAShell)
{
    // A target full of shell syntax must arrive unchanged as the single argument.
    char folder[] = "/tmp/vedidu-opener-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string output = std::string(folder) + "/argument";
    const std::string script = std::string(folder) + "/opener";
    {
        std::ofstream file(script);
        file << "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" << output << "'\n";
    }
    ASSERT_EQ(chmod(script.c_str(), 0700), 0);

    const std::string target = "file:///x y;$(touch pwned)`id`'\"&";
    PosixShellOpener opener(script);
    ASSERT_TRUE(opener.Open(target.c_str()));

    std::string seen;
    for (int i = 0; i < 500 && seen.empty(); ++i)
    {
        usleep(10000);
        std::ifstream in(output);
        std::getline(in, seen, '\0');
    }
    EXPECT_EQ(seen, "1|" + target);

    std::remove(output.c_str());
    std::remove(script.c_str());
    rmdir(folder);
}

} // namespace
} // namespace QK
