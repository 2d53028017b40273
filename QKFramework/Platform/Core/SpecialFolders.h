// The folders the desktop sets aside for a program: where the executable lives, where its
// data and its configuration go, and the user's documents.
//
// Each answers an absolute UTF-8 path without a trailing "/", or an empty string when the
// folder cannot be determined. Nothing is created here.
#pragma once

#include <string>

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

// What "xdg-user-dir DOCUMENTS" answers, or the home folder when it answers nothing.
std::string GetDocumentsFolder();

} // namespace QK
