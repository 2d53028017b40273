// The desktop's Open and Save dialogs as a zenity child program, with kdialog in its place
// when zenity cannot be started. Neither runs through a shell.
//
// The checks that the Windows dialogs make themselves are made here after the program
// answers: an opened file must exist, and a save name without an extension takes the
// default one, after asking before it replaces a file the dialog did not ask about.
//
// A chosen path passes byte for byte, UTF-8 or not. zenity cannot print a name that is not
// UTF-8 (it prints "(null)" instead): that choice answers NameUnusable, never a path.
#pragma once

#include "QKFramework/System/FileChooser.h"

#include <string>
#include <vector>

namespace QK
{

class ZenityFileChooser final : public IFileChooser
{
public:
    FileChooserAnswer Run(const FileChooserRequest& request, const DialogWaitPump& pump) override;

    static std::vector<std::string> ZenityArguments(const FileChooserRequest& request);
    static std::vector<std::string> KdialogArguments(const FileChooserRequest& request);
};

} // namespace QK
