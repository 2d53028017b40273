// LFileDialog: the desktop's Open and Save dialogs for the framework.
//
// A dialog object remembers the folder of the last file chosen through it, so the next
// dialog of the same object opens there; a cancelled dialog leaves the folder alone. The
// filter is one text of "|"-separated pairs: "Presets (*.vedidu)|*.vedidu|All Files|*.*";
// a pattern part may list several patterns separated by ";".
//
// Chosen paths keep the bytes of names that are not UTF-8 (see Paths.h): a file opens and
// saves under its own name. A name that cannot be kept as it is (one the chooser cannot hand
// back, or one with no bytes) is refused, so nothing is ever read or written under another.
//
// The dialogs block the UI thread until the person closes them. Meanwhile the wait pump that
// the application installs (SetWaitPump) runs about thirty times a second: it keeps the
// windows painted and takes no input from them.
#pragma once

#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/System/FileChooser.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <vector>

namespace QK
{

class LFileDialog : public virtual LRefCountedObject
{
public:
    explicit LFileDialog(const WString& folder);
    ~LFileDialog() override;

    // 0 when a file was chosen, 0x80004005 when the dialog was cancelled or failed,
    // 0x8007007B when the chosen name cannot be kept as it is (the caller tells the person).
    QKRESULT ShowOpenDialog(const WString& filter, const WString& defaultExtension, const WString& title,
                            bool allowMultiple);
    // 0; 0x80004005 when cancelled, failed or when the chosen name has more than
    // maximumNameLength characters (the person is told); 0x8007007B when the chosen name
    // cannot be kept as it is (the caller tells the person); 0x80070057 for a maximum of 0,
    // without a dialog. A negative maximum means no limit.
    QKRESULT ShowSaveDialog(const WString& filter, const WString& defaultExtension, const WString& title,
                            std::int32_t maximumNameLength);

    // The chosen path; after several files were chosen, their folder.
    void GetFileName(WString& name) const { name = m_fileName; }
    const WString& GetFolder() const { return m_folder; }
    // Where the next dialog starts (a caller takes back the folder of a choice that failed).
    void SetFolder(const WString& folder) { m_folder = folder; }
    // Every path chosen by the multiple-selection opens of this object, in order.
    const std::vector<WString>& GetSelection() const { return m_selection; }

    // The "|"-separated filter as the chooser takes it: "*.*" becomes "*", and the list ends
    // at the first empty part or a description without its pattern.
    static std::vector<FileChooserFilter> ParseFilter(const WString& filter);

    // What runs while a dialog waits (null: nothing); process-wide.
    static void SetWaitPump(DialogWaitPump pump);

private:
    FileChooserRequest MakeRequest(const WString& filter, const WString& defaultExtension, const WString& title) const;
    FileChooserAnswer Run(const FileChooserRequest& request) const;
    static QKRESULT ResultOf(const FileChooserAnswer& answer);

    WString m_fileName;
    WString m_fileTitle;
    WString m_folder;
    std::vector<WString> m_selection;
};

} // namespace QK
