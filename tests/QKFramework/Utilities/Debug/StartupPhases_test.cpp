#include "QKFramework/Utilities/Debug/StartupPhases.h"

#include "tests/support/DebugCapture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace QK
{
namespace
{

struct PhaseLine
{
    std::string name;
    long long microseconds = 0;
};

std::vector<PhaseLine> PhaseLines(const std::string& text)
{
    std::vector<PhaseLine> lines;
    std::istringstream in(text);
    std::string marker1, marker2;
    PhaseLine line;
    while (in >> marker1 >> marker2 >> line.name >> line.microseconds)
    {
        EXPECT_EQ(marker1 + " " + marker2, "Start-up phase:");
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> PhaseNames(const std::string& text)
{
    std::vector<std::string> names;
    for (const PhaseLine& line : PhaseLines(text))
        names.push_back(line.name);
    return names;
}

// The record is the process's own: one test walks it from held to released.
TEST(StartupPhases, HeldUntilTheLogIsSetUpThenWrittenAtOnceEachNameOnce)
{
    TestSupport::DebugCapture capture;
    NoteStartupPhase("alpha");
    NoteStartupPhase("beta");
    NoteStartupPhase("alpha");
    EXPECT_EQ(capture.Text(), "");

    ReleaseStartupPhases();
    EXPECT_EQ(PhaseNames(capture.Text()), (std::vector<std::string>{"alpha", "beta"}));

    NoteStartupPhase("gamma");
    NoteStartupPhase("beta");
    ReleaseStartupPhases();
    EXPECT_EQ(PhaseNames(capture.Text()), (std::vector<std::string>{"alpha", "beta", "gamma"}));

    // Times are the steady clock's, so they never go back.
    const std::vector<PhaseLine> lines = PhaseLines(capture.Text());
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_GE(lines[i].microseconds, lines[i - 1].microseconds);
}

} // namespace
} // namespace QK
