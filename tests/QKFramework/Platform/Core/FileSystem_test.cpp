// Replacing a whole file: through symbolic links (the link stays), never over a file the user
// may not write, a folder or a pipe, and keeping the replaced file's permissions and owner.
#include "QKFramework/Platform/Core/FileSystem.h"

#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>

namespace QK
{
namespace
{

namespace fs = std::filesystem;
using TestSupport::TempFolder;

// A user and group that no file here belongs to.
constexpr uid_t kOtherUser = 54321;
constexpr gid_t kOtherGroup = 54321;

int Replace(const std::string& path, std::string_view text)
{
    return ReplaceFileContents(path.c_str(), text.data(), text.size());
}

struct stat StatusOf(const std::string& path)
{
    struct stat status{};
    EXPECT_EQ(::lstat(path.c_str(), &status), 0) << path;
    return status;
}

// Every name in the folder: a failed or finished replacement leaves no temporary file.
std::size_t EntryCount(const std::string& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

TEST(ReplaceFileContentsTest, ALinkIsFollowedAndStaysALink)
{
    TempFolder folder;
    fs::create_directories(folder / "real/deeper");
    folder.WriteFile("real/deeper/preset.vedidu", "old");
    struct Case
    {
        const char* what;
        std::string link;
        std::string leadsTo; // as written into the link
    } const cases[] = {
        {"absolute", "absolute.vedidu", folder / "real/deeper/preset.vedidu"},
        {"relative", "relative.vedidu", "real/deeper/preset.vedidu"},
        {"a link to a link", "chain.vedidu", "relative.vedidu"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(::symlink(c.leadsTo.c_str(), (folder / c.link).c_str()), 0);
        const std::string text = std::string("through ") + c.what;
        ASSERT_EQ(Replace(folder / c.link, text), 0);
        EXPECT_TRUE(S_ISLNK(StatusOf(folder / c.link).st_mode));
        EXPECT_EQ(fs::read_symlink(folder / c.link).string(), c.leadsTo);
        EXPECT_EQ(folder.ReadFile("real/deeper/preset.vedidu"), text);
    }
    EXPECT_EQ(EntryCount(folder / "real/deeper"), 1u);
    EXPECT_EQ(EntryCount(folder.Path()), 4u) << "the real folder and three links";

    // A link to nothing yet makes the file it names.
    ASSERT_EQ(::symlink("real/new.vedidu", (folder / "dangling.vedidu").c_str()), 0);
    ASSERT_EQ(Replace(folder / "dangling.vedidu", "new"), 0);
    EXPECT_TRUE(S_ISLNK(StatusOf(folder / "dangling.vedidu").st_mode));
    EXPECT_EQ(folder.ReadFile("real/new.vedidu"), "new");

    // Links in a ring lead nowhere.
    ASSERT_EQ(::symlink("ring-b", (folder / "ring-a").c_str()), 0);
    ASSERT_EQ(::symlink("ring-a", (folder / "ring-b").c_str()), 0);
    EXPECT_EQ(Replace(folder / "ring-a", "x"), ELOOP);
    EXPECT_EQ(EntryCount(folder.Path()), 7u);
}

TEST(ReplaceFileContentsTest, WhatTheUserMayNotWriteIsKeptAsItWas)
{
    TempFolder folder;
    const bool root = ::geteuid() == 0;
    folder.WriteFile("read-only", "old");
    ASSERT_EQ(::chmod((folder / "read-only").c_str(), 0444), 0);
    ASSERT_EQ(::symlink("read-only", (folder / "link-to-read-only").c_str()), 0);
    folder.WriteFile("others", "old");
    ::chmod((folder / "others").c_str(), 0644);
    if (root)
    {
        ASSERT_EQ(::chown((folder / "others").c_str(), kOtherUser, kOtherGroup), 0);
    }
    fs::create_directory(folder / "folder");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);

    struct Case
    {
        const char* name;
        int error;
        bool rootOnly;
    } const cases[] = {
        {"read-only", EACCES, false},
        {"link-to-read-only", EACCES, false},
        {"others", EACCES, true},
        {"folder", EISDIR, false},
        {"pipe", EINVAL, false},
    };
    for (const Case& c : cases)
    {
        if (c.rootOnly && !root)
            continue; // only root can give a file to another user
        SCOPED_TRACE(c.name);
        const struct stat before = StatusOf(folder / c.name);
        EXPECT_EQ(Replace(folder / c.name, "new"), c.error);
        const struct stat after = StatusOf(folder / c.name);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_mode, before.st_mode);
    }
    EXPECT_EQ(folder.ReadFile("read-only"), "old");
    EXPECT_EQ(folder.ReadFile("others"), "old");
    EXPECT_TRUE(fs::is_empty(folder / "folder"));
    EXPECT_EQ(EntryCount(folder.Path()), 5u) << "no temporary file left";
}

TEST(ReplaceFileContentsTest, AReplacedFileKeepsItsPermissionsAndOwner)
{
    TempFolder folder;
    folder.WriteFile("private", "old");
    ASSERT_EQ(::chmod((folder / "private").c_str(), 0640), 0);
    ASSERT_EQ(Replace(folder / "private", "new"), 0);
    EXPECT_EQ(folder.ReadFile("private"), "new");
    EXPECT_EQ(StatusOf(folder / "private").st_mode & 07777, 0640u);

    if (::geteuid() != 0)
        return; // only root can make another user's file to replace
    folder.WriteFile("shared", "old");
    ASSERT_EQ(::chmod((folder / "shared").c_str(), 0666), 0);
    ASSERT_EQ(::chown((folder / "shared").c_str(), kOtherUser, kOtherGroup), 0);
    ASSERT_EQ(Replace(folder / "shared", "new"), 0);
    EXPECT_EQ(folder.ReadFile("shared"), "new");
    const struct stat status = StatusOf(folder / "shared");
    EXPECT_EQ(status.st_uid, kOtherUser);
    EXPECT_EQ(status.st_gid, kOtherGroup);
    EXPECT_EQ(status.st_mode & 07777, 0666u);
}

} // namespace
} // namespace QK
