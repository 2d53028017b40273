// IFileChooser: the desktop's Open and Save dialogs as LFileDialog asks for them.
//
// The platform's chooser runs zenity (kdialog when zenity is missing) as a child program;
// tests may install a chooser of their own. A dialog blocks its caller until the person
// closes it, but calls the wait pump about thirty times a second meanwhile, so that the
// application keeps its windows painted (and drops their input) while the dialog is open.
//
// UI thread only.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <functional>
#include <vector>

namespace QK
{

struct FileChooserFilter
{
    WString description;
    // Patterns as the system's chooser takes them: "*.vedidu", "*" (never "*.*").
    std::vector<WString> patterns;
};

struct FileChooserRequest
{
    bool save = false;
    // Open only: several files may be chosen.
    bool allowMultiple = false;
    WString title;
    // The folder the dialog opens in; empty for the current folder.
    WString folder;
    // Save only: the name the dialog proposes.
    WString proposedName;
    // Save only, without the dot: added to a chosen name that has no extension.
    WString defaultExtension;
    std::vector<FileChooserFilter> filters;
};

enum class FileChooserOutcome
{
    Chosen,
    Cancelled,
    Failed,
    // The person chose a file whose name the dialog cannot hand back as it is (zenity gives
    // no name that is not UTF-8); no path comes with it.
    NameUnusable,
};

struct FileChooserAnswer
{
    FileChooserOutcome outcome = FileChooserOutcome::Failed;
    // Full paths as the system names them (bytes that are not UTF-8 escaped, see Paths.h);
    // one unless several files were chosen.
    std::vector<WString> paths;
};

using DialogWaitPump = std::function<void()>;

class IFileChooser
{
public:
    // Shows the dialog and waits for it, calling pump (when set) while it waits. An open
    // answers only paths that exist (a folder too: the caller refuses it with its own
    // message); a save has confirmed with the person any file it would
    // replace. Exceptions of the pump leave through this call, with the dialog closed.
    virtual FileChooserAnswer Run(const FileChooserRequest& request, const DialogWaitPump& pump) = 0;

protected:
    ~IFileChooser() = default;
};

// The installed chooser, or the platform's own.
IFileChooser& GetFileChooser();
// Installs chooser (null: the platform's own); answers the one installed before. The caller
// keeps it alive while installed.
IFileChooser* SetFileChooser(IFileChooser* chooser);
// The platform's own chooser.
IFileChooser& GetPlatformFileChooser();

} // namespace QK
