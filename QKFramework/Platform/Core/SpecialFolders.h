// The folders the desktop sets aside for a program: where the executable lives, where its
// data and its configuration go, and the user's documents.
//
// Each answers an absolute UTF-8 path without a trailing "/", or an empty string when the
// folder cannot be determined. Nothing is created here.
#pragma once

#include <string>
#include <string_view>

namespace QK
{

// The running executable's file (/proc/self/exe), the module file name of the Windows build.
std::string GetExecutablePath();

// The folder of the running executable.
std::string GetExecutableFolder();

// $XDG_DATA_HOME, or ~/.local/share when it is unset or not absolute.
std::string GetUserDataFolder();

// $XDG_CONFIG_HOME, or ~/.config when it is unset or not absolute.
std::string GetUserConfigFolder();

// The user's documents folder as the desktop names it (XDG_DOCUMENTS_DIR in the user-dirs
// file of the configuration folder; without one there, what "xdg-user-dir DOCUMENTS"
// answers for the variable of that name in the environment), when that folder exists;
// otherwise the home folder.
std::string GetDocumentsFolder();

// The value of variable ("XDG_DOCUMENTS_DIR") in the text of a user-dirs file, the last one
// given: a line variable="$HOME/yyy" answers home followed by "/yyy", a line variable="/yyy"
// answers "/yyy", with the backslash escapes of the shell's double quotes undone. Lines of
// any other form count as absent, as does "$HOME" while home is empty. Empty when absent.
std::string FindUserDirectory(std::string_view text, std::string_view variable, std::string_view home);

} // namespace QK
