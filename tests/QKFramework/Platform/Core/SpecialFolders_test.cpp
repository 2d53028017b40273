#include "QKFramework/Platform/Core/SpecialFolders.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

// What the user-dirs file says, taken as its writer (xdg-user-dirs-update) writes it and as
// the shell would read it, with a home folder whose runs of spaces must survive.
TEST(UserDirsFileTest, TheValueIsReadExactlyAndOtherFormsCountAsAbsent)
{
    const std::string home = "/home/A  B";
    const struct
    {
        const char* what;
        std::string text;
        std::string value;
    } cases[] = {
        {"below home", "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", "/home/A  B/Documents"},
        {"home itself", "XDG_DOCUMENTS_DIR=\"$HOME\"", "/home/A  B"},
        {"absolute, spaces kept", "XDG_DOCUMENTS_DIR=\"/data/My   Docs\"\n", "/data/My   Docs"},
        {"the writer's file",
         "# This file is written by xdg-user-dirs-update\n"
         "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\r\n"
         "  XDG_DOCUMENTS_DIR = \"$HOME/Dokumente\"  # mine\r\n"
         "XDG_MUSIC_DIR=\"$HOME/Music\"\n",
         "/home/A  B/Dokumente"},
        {"escapes undone", R"(XDG_DOCUMENTS_DIR="$HOME/a\"b\\c\$d\`e\n")", "/home/A  B/a\"b\\c$d`e\\n"},
        {"the last one counts", "XDG_DOCUMENTS_DIR=\"/first\"\nXDG_DOCUMENTS_DIR=\"/second\"\n", "/second"},
        {"a bad last line keeps the earlier", "XDG_DOCUMENTS_DIR=\"/first\"\nXDG_DOCUMENTS_DIR=Docs\n", "/first"},
        {"commented out", "# XDG_DOCUMENTS_DIR=\"/nope\"\n", ""},
        {"another variable", "XDG_DOCUMENTS_DIRS=\"/nope\"\nXDG_DOWNLOAD_DIR=\"/nope\"\n", ""},
        {"relative", "XDG_DOCUMENTS_DIR=\"Documents\"\n", ""},
        {"unquoted", "XDG_DOCUMENTS_DIR=$HOME/Documents\n", ""},
        {"single quotes", "XDG_DOCUMENTS_DIR='/nope'\n", ""},
        {"another variable inside", "XDG_DOCUMENTS_DIR=\"$HOMEDIR/x\"\nXDG_DOCUMENTS_DIR=\"/a/$USER\"\n", ""},
        {"a command inside", "XDG_DOCUMENTS_DIR=\"/a/`id`\"\n", ""},
        {"no closing quote", "XDG_DOCUMENTS_DIR=\"/nope\n\"\n", ""},
        {"words after the quote", "XDG_DOCUMENTS_DIR=\"/no\"pe\n", ""},
        {"a NUL inside", std::string("XDG_DOCUMENTS_DIR=\"/a\0b\"\n", 25), ""},
        {"empty", "", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindUserDirectory(c.text, "XDG_DOCUMENTS_DIR", home), c.value) << c.what;

    EXPECT_EQ(FindUserDirectory("XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n", "XDG_DOCUMENTS_DIR", ""), "")
        << "no home to put in front";
    EXPECT_EQ(FindUserDirectory("XDG_DOCUMENTS_DIR=\"/abs\"\n", "XDG_DOCUMENTS_DIR", ""), "/abs");
}

} // namespace
} // namespace QK
