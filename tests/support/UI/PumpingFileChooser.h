// A file chooser for the tests of the waiting around a file dialog: installed for one scope
// in place of the desktop's, it lets the wait pump run a few times, as the real one does while
// the person looks at the dialog, then reports a cancel.
#pragma once

#include "QKFramework/System/FileChooser.h"

namespace QK::TestSupport
{

class PumpingFileChooser final : public IFileChooser
{
public:
    explicit PumpingFileChooser(int pumps = 3) : m_pumps(pumps), m_previous(SetFileChooser(this)) {}
    PumpingFileChooser(const PumpingFileChooser&) = delete;
    PumpingFileChooser& operator=(const PumpingFileChooser&) = delete;
    ~PumpingFileChooser() { SetFileChooser(m_previous); }

    FileChooserAnswer Run(const FileChooserRequest&, const DialogWaitPump& pump) override
    {
        ++dialogs;
        for (int i = 0; i < m_pumps; ++i)
            if (pump)
                pump();
        return {FileChooserOutcome::Cancelled, {}};
    }

    int dialogs = 0;

private:
    int m_pumps;
    IFileChooser* m_previous;
};

} // namespace QK::TestSupport
