#include "QKFramework/Utilities/Storage/QKFile.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

namespace QK
{
namespace
{

constexpr std::uint32_t kReadWriteCreate = File::kModeRead | File::kModeWrite | File::kModeCreate;

WString Wide(const std::string& text)
{
    return WString(text.c_str());
}

std::string Narrow(const WString& text)
{
    return NString(text.GetString()).GetString();
}

std::string ErrorText(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const std::runtime_error& error)
    {
        return error.what();
    }
    return "(nothing thrown)";
}

class FileTest : public ::testing::Test
{
protected:
    TestSupport::TempFolder folder;
};

TEST_F(FileTest, WritesAndReadsAtPositionsAndAtTheCurrentPosition)
{
    File file(Wide(folder.Path()), u"data.bin", kReadWriteCreate);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_EQ(Narrow(file.GetPath()), folder / "data.bin");
    EXPECT_EQ(Narrow(file.GetName()), "data.bin");

    EXPECT_EQ(file.Write("0123456789", 10, 0), 10u);
    EXPECT_EQ(file.Write("ab", 2, 4), 2u);
    EXPECT_EQ(file.GetLength(), 10u);

    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 3, 2), 3u);
    EXPECT_EQ(std::string(buffer, 3), "23a");
    EXPECT_EQ(file.Read(buffer, 4), 4u) << "continues where the last read stopped";
    EXPECT_EQ(std::string(buffer, 4), "b678");
    EXPECT_EQ(file.Read(buffer, 8), 1u);
    EXPECT_EQ(file.Read(buffer, 8), 0u) << "end of the file";
    EXPECT_EQ(file.Read(buffer, 8, 1000), 0u) << "a position past the end reads nothing";

    EXPECT_EQ(file.Seek(-3, 2), 7);
    EXPECT_EQ(file.Seek(1, 1), 8);
    EXPECT_EQ(file.Seek(0, 0), 0);
}

TEST_F(FileTest, OpeningAgainAnswersOneAndKeepsTheFirstFile)
{
    folder.WriteFile("a.txt", "A");
    folder.WriteFile("b.txt", "B");
    File file(Wide(folder / "a.txt"), u"", File::kModeRead);
    ASSERT_TRUE(file.IsOpen());
    EXPECT_TRUE(file.GetName().IsEmpty());
    EXPECT_EQ(file.Open(Wide(folder / "b.txt"), u"", File::kModeRead), QK_FALSE);
    char c = 0;
    EXPECT_EQ(file.Read(&c, 1, 0), 1u);
    EXPECT_EQ(c, 'A');
    EXPECT_EQ(Narrow(file.GetPath()), folder / "a.txt");
}

TEST_F(FileTest, RefusedOpensAnswerFailureAndLeaveTheFileClosed)
{
    folder.WriteFile("there.txt", "x");
    struct Case
    {
        const char* name;
        std::uint32_t mode;
    } cases[] = {
        {"missing.txt", File::kModeRead},
        {"missing.txt", File::kModeRead | File::kModeWrite},
        {"there.txt", kReadWriteCreate | File::kModeExclusive},
        {"no-folder/new.txt", kReadWriteCreate},
    };
    for (const Case& c : cases)
    {
        File file(Wide(folder / c.name), u"", c.mode);
        EXPECT_FALSE(file.IsOpen()) << c.name;
        EXPECT_EQ(file.Open(Wide(folder / c.name), u"", c.mode), QK_E_FAIL) << c.name;
        EXPECT_EQ(file.GetLength(), 0u) << c.name;
    }
    EXPECT_EQ(folder.ReadFile("there.txt"), "x");
}

TEST_F(FileTest, BackslashesAndADriveInThePathAreAccepted)
{
    folder.WriteFile("win.txt", "w");
    std::string windows = "C:" + folder.Path() + "/win.txt";
    for (char& c : windows)
        c = c == '/' ? '\\' : c;
    File file(Wide(windows), u"", File::kModeRead);
    EXPECT_TRUE(file.IsOpen()) << windows;
}

TEST_F(FileTest, ErrorTextsNameTheFailingCall)
{
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = folder / "large.bin";
    folder.WriteFile("large.bin", "");
    std::filesystem::resize_file(large, 3ull << 30); // sparse: takes no room on disk
    folder.WriteFile("small.txt", "small");

    char buffer[8] = {};
    struct Case
    {
        const char* what;
        std::function<void()> action;
        const char* text;
    } cases[] = {
        {"empty path and name", [] { File file(WString(), WString(), File::kModeRead); },
         "Runtime Error : invalid pathname : QK::File::Open : Utilities\\Storage\\QKFile : Line 318"},
        {"write to a read-only file",
         [&]
         {
             File file(Wide(folder / "small.txt"), u"", File::kModeRead);
             file.Write("xx", 2, 0);
         },
         "Runtime Error : file is read only : QK::File::Write : Utilities\\Storage\\QKFile : Line 579"},
        {"read from a folder",
         [&]
         {
             File file(Wide(folder.Path()), u"", File::kModeRead);
             file.Read(buffer, 1);
         },
         "Runtime Error : read : QK::File::Read : Utilities\\Storage\\QKFile : Line 500"},
        {"positioned read on a pipe",
         [&]
         {
             File file(Wide(fifo), u"", File::kModeRead | File::kModeWrite);
             file.Read(buffer, 1, 0);
         },
         "Runtime Error : lseek : QK::File::Read : Utilities\\Storage\\QKFile : Line 472"},
        {"positioned write on a pipe",
         [&]
         {
             File file(Wide(fifo), u"", File::kModeRead | File::kModeWrite);
             file.Write("x", 1, 0);
         },
         "Runtime Error : lseek : QK::File::Write : Utilities\\Storage\\QKFile : Line 588"},
        {"write to a full device",
         []
         {
             File file(u"/dev/full", u"", File::kModeWrite);
             file.Write("x", 1);
         },
         "Runtime Error : write : QK::File::Write : Utilities\\Storage\\QKFile : Line 627"},
        {"length beyond 32 bits",
         [&]
         {
             File file(Wide(large), u"", File::kModeRead);
             file.GetLength();
         },
         "Runtime Error : fstat : QK::File::GetLength : Utilities\\Storage\\QKFile : Line 126"},
        {"read after close",
         [&]
         {
             File file(Wide(folder / "small.txt"), u"", File::kModeRead);
             file.Close();
             file.Read(buffer, 1);
         },
         "Runtime Error : read : QK::File::Read : Utilities\\Storage\\QKFile : Line 500"},
        {"write after close",
         [&]
         {
             File file(Wide(folder / "small.txt"), u"", File::kModeRead | File::kModeWrite);
             file.Close();
             file.Write("x", 1);
         },
         "Runtime Error : write : QK::File::Write : Utilities\\Storage\\QKFile : Line 627"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ErrorText(c.action), c.text) << c.what;
    EXPECT_EQ(folder.ReadFile("small.txt"), "small") << "the refused writes changed nothing";
}

TEST_F(FileTest, AClosedFileNeverReadsDescriptorZero)
{
    // Standard input is replaced by a pipe holding one byte; a read on a closed File must
    // leave it there.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    ASSERT_EQ(write(ends[1], "!", 1), 1);
    const int savedInput = dup(0);
    ASSERT_GE(savedInput, 0);
    ASSERT_EQ(dup2(ends[0], 0), 0);

    folder.WriteFile("f.txt", "f");
    File file(Wide(folder / "f.txt"), u"", File::kModeRead);
    file.Close();
    char c = 0;
    EXPECT_THROW(file.Read(&c, 1), std::runtime_error);
    EXPECT_THROW(file.Read(&c, 1, 0), std::runtime_error);
    EXPECT_EQ(file.Seek(0, 0), -1);
    EXPECT_EQ(file.GetLength(), 0u);

    ASSERT_EQ(fcntl(0, F_SETFL, O_NONBLOCK), 0);
    EXPECT_EQ(read(0, &c, 1), 1) << "the byte in standard input was taken";
    dup2(savedInput, 0);
    close(savedInput);
    close(ends[0]);
    close(ends[1]);
}

TEST_F(FileTest, DeleteOnCloseRemovesTheFileAtCloseAndAtDestruction)
{
    const std::uint32_t mode = kReadWriteCreate | File::kModeDeleteOnClose;
    {
        File file(Wide(folder / "closed.tmp"), u"", mode);
        ASSERT_TRUE(file.IsOpen());
        file.Write("x", 1);
        EXPECT_TRUE(std::filesystem::exists(folder / "closed.tmp"));
        EXPECT_EQ(file.Close(), QK_OK);
        EXPECT_FALSE(std::filesystem::exists(folder / "closed.tmp"));
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(file.Close(), QK_OK) << "closing again is harmless";
    }
    {
        File file(Wide(folder.Path()), u"destroyed.tmp", mode);
        ASSERT_TRUE(file.IsOpen());
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "destroyed.tmp"));
    File kept(Wide(folder / "kept.tmp"), u"", kReadWriteCreate);
    kept.Close();
    EXPECT_TRUE(std::filesystem::exists(folder / "kept.tmp"));
}

TEST_F(FileTest, CopiesShareTheDescriptorUntilTheLastIsClosed)
{
    folder.WriteFile("shared.txt", "shared");
    File first(Wide(folder / "shared.txt"), u"", File::kModeRead | File::kModeDeleteOnClose);
    char buffer[8] = {};
    {
        File second(first);
        EXPECT_EQ(first.Close(), QK_OK);
        EXPECT_TRUE(first.IsOpen()) << "another File holds the descriptor";
        EXPECT_EQ(second.Read(buffer, 6, 0), 6u);
        EXPECT_TRUE(std::filesystem::exists(folder / "shared.txt"));
    }
    EXPECT_EQ(first.Read(buffer, 6, 0), 6u);
    EXPECT_EQ(first.Close(), QK_OK);
    EXPECT_FALSE(first.IsOpen());
    EXPECT_FALSE(std::filesystem::exists(folder / "shared.txt"));
}

} // namespace
} // namespace QK
