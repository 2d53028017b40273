#include "QKFramework/System/FileDialog.h"

#include "QKFramework/Application/FrameworkApp.h"
#include "QKFramework/Platform/Render/MessageService.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include <algorithm>
#include <utility>

namespace QK
{

namespace
{

constexpr std::uint32_t kErrorIcon = 0x10;

IFileChooser* g_chooser = nullptr;

DialogWaitPump& WaitPump()
{
    static DialogWaitPump pump;
    return pump;
}

// The parts of text between the separator characters, empty parts included.
std::vector<WString> SplitKeepingEmpty(const WString& text, char16_t separator)
{
    std::vector<WString> parts;
    WString part;
    const char16_t* characters = text.GetString();
    for (std::uint32_t i = 0; i < text.GetLength(); ++i)
    {
        if (characters[i] == separator)
            parts.push_back(std::exchange(part, WString()));
        else
            part.AppendChar(characters[i]);
    }
    parts.push_back(part);
    return parts;
}

} // namespace

IFileChooser& GetFileChooser()
{
    return g_chooser ? *g_chooser : GetPlatformFileChooser();
}

IFileChooser* SetFileChooser(IFileChooser* chooser)
{
    return std::exchange(g_chooser, chooser);
}

LFileDialog::LFileDialog(const WString& folder) : m_folder(folder) {}

LFileDialog::~LFileDialog() = default;

void LFileDialog::SetWaitPump(DialogWaitPump pump)
{
    WaitPump() = std::move(pump);
}

std::vector<FileChooserFilter> LFileDialog::ParseFilter(const WString& filter)
{
    std::vector<FileChooserFilter> filters;
    const std::vector<WString> parts = SplitKeepingEmpty(filter, u'|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
    {
        if (parts[i].IsEmpty() || parts[i + 1].IsEmpty())
            break;
        FileChooserFilter entry{parts[i], {}};
        for (const WString& pattern : SplitKeepingEmpty(parts[i + 1], u';'))
        {
            const WString trimmed = TrimWhitespace(pattern);
            if (trimmed.IsEmpty())
                continue;
            entry.patterns.push_back(trimmed.IsEqual(u"*.*") ? WString(u"*") : trimmed);
        }
        if (!entry.patterns.empty())
            filters.push_back(std::move(entry));
    }
    return filters;
}

FileChooserRequest LFileDialog::MakeRequest(const WString& filter, const WString& defaultExtension,
                                            const WString& title) const
{
    FileChooserRequest request;
    request.title = title;
    request.folder = m_folder;
    request.defaultExtension = defaultExtension;
    request.filters = ParseFilter(filter);
    return request;
}

FileChooserAnswer LFileDialog::Run(const FileChooserRequest& request) const
{
    FileChooserAnswer answer = GetFileChooser().Run(request, WaitPump());
    if (answer.outcome == FileChooserOutcome::Chosen && answer.paths.empty())
        answer.outcome = FileChooserOutcome::Failed;
    if (answer.outcome == FileChooserOutcome::Chosen &&
        !std::all_of(answer.paths.begin(), answer.paths.end(), [](const WString& path) { return HasSystemPath(path); }))
        answer.outcome = FileChooserOutcome::NameUnusable;
    return answer;
}

QKRESULT LFileDialog::ResultOf(const FileChooserAnswer& answer)
{
    switch (answer.outcome)
    {
    case FileChooserOutcome::Chosen:
        return QK_OK;
    case FileChooserOutcome::NameUnusable:
        return QK_E_INVALIDNAME;
    case FileChooserOutcome::Cancelled:
    case FileChooserOutcome::Failed:
        break;
    }
    return QK_E_FAIL;
}

QKRESULT LFileDialog::ShowOpenDialog(const WString& filter, const WString& defaultExtension, const WString& title,
                                     bool allowMultiple)
{
    m_fileName.Clear();
    m_fileTitle.Clear();
    FileChooserRequest request = MakeRequest(filter, defaultExtension, title);
    request.allowMultiple = allowMultiple;
    const FileChooserAnswer answer = Run(request);
    if (answer.outcome != FileChooserOutcome::Chosen)
        return ResultOf(answer);

    if (answer.paths.size() == 1)
    {
        m_fileName = answer.paths.front();
        m_folder = GetFolderFromPath(m_fileName);
        if (allowMultiple)
            m_selection.push_back(m_fileName);
    }
    else
    {
        // Several files come from one folder; the name then stands for that folder.
        m_folder = GetFolderFromPath(answer.paths.front());
        m_fileName = m_folder;
        for (const WString& path : answer.paths)
            m_selection.push_back(path);
    }
    m_fileTitle = GetFileNameFromPath(answer.paths.front());
    return QK_OK;
}

QKRESULT LFileDialog::ShowSaveDialog(const WString& filter, const WString& defaultExtension, const WString& title,
                                     std::int32_t maximumNameLength)
{
    if (maximumNameLength == 0)
        return QK_E_INVALIDARG;
    m_fileName = WString(u"Untitled");
    m_fileTitle = m_fileName;
    FileChooserRequest request = MakeRequest(filter, defaultExtension, title);
    request.save = true;
    request.proposedName = m_fileName;
    const FileChooserAnswer answer = Run(request);
    if (answer.outcome != FileChooserOutcome::Chosen)
        return ResultOf(answer);

    m_fileName = answer.paths.front();
    m_fileTitle = GetFileNameFromPath(m_fileName);
    if (maximumNameLength > 0 && m_fileTitle.GetLength() > static_cast<std::uint32_t>(maximumNameLength))
    {
        const WString caption(u"File Save Error");
        const WString text =
            WString::Format(u"The file length is larger than the maximum limit of %d characters ", maximumNameLength);
        if (LFrameworkApp* app = LFrameworkApp::GetApplication())
            app->ShowMessage(text, caption, kErrorIcon);
        else
            GetMessageService().ShowMessage(caption, text, kErrorIcon);
        return QK_E_FAIL;
    }
    m_folder = GetFolderFromPath(m_fileName);
    return QK_OK;
}

} // namespace QK
