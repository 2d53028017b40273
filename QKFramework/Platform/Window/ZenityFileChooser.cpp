#include "QKFramework/Platform/Window/ZenityFileChooser.h"

#include "QKFramework/Platform/Window/ChildProgram.h"
#include "QKFramework/Utilities/Storage/ConvertUtf.h"
#include "QKFramework/Utilities/Storage/Paths.h"

namespace QK
{

namespace
{

std::string Utf8(const WString& text)
{
    return NString(text.GetString()).GetString();
}

// Where the dialog starts: the folder with a trailing "/", and for a save the proposed name.
std::string StartPath(const FileChooserRequest& request)
{
    std::string path;
    if (!request.folder.IsEmpty())
    {
        path = ToSystemPath(request.folder);
        if (path.empty() || path.back() != '/')
            path += '/';
    }
    if (request.save)
    {
        std::string name;
        Utf16ToFileNameBytes(request.proposedName.GetString(), request.proposedName.GetLength(), name);
        path += name;
    }
    return path;
}

std::string JoinPatterns(const FileChooserFilter& filter)
{
    std::string patterns;
    for (const WString& pattern : filter.patterns)
    {
        if (!patterns.empty())
            patterns += ' ';
        patterns += Utf8(pattern);
    }
    return patterns;
}

// The paths the program printed, one a line, each kept byte for byte.
std::vector<std::string> SplitLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < output.size())
    {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        if (end > start)
            lines.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

FileChooserOutcome OutcomeOf(int exitCode)
{
    switch (exitCode)
    {
    case 0:
        return FileChooserOutcome::Chosen;
    case 1:
        return FileChooserOutcome::Cancelled;
    default:
        return FileChooserOutcome::Failed;
    }
}

// Asks a yes-or-no question with the same program family; true only for yes.
bool Confirm(bool kdialog, const std::string& question, const DialogWaitPump& pump)
{
    // Plain text: a name holding "&" or "<" would otherwise leave zenity's stock question,
    // which names no file.
    const std::vector<std::string> arguments =
        kdialog ? std::vector<std::string>{"kdialog", "--yesno", question}
                : std::vector<std::string>{"zenity", "--question", "--no-markup", "--text=" + question};
    const ChildProgramResult result = RunChildProgram(arguments, pump);
    return result.started && result.exitCode == 0;
}

} // namespace

std::vector<std::string> ZenityFileChooser::ZenityArguments(const FileChooserRequest& request)
{
    std::vector<std::string> arguments{"zenity", "--file-selection"};
    if (!request.title.IsEmpty())
        arguments.push_back("--title=" + Utf8(request.title));
    if (request.save)
    {
        arguments.push_back("--save");
        arguments.push_back("--confirm-overwrite");
    }
    else if (request.allowMultiple)
    {
        arguments.push_back("--multiple");
        arguments.push_back("--separator=\n");
    }
    const std::string start = StartPath(request);
    if (!start.empty())
        arguments.push_back("--filename=" + start);
    for (const FileChooserFilter& filter : request.filters)
        arguments.push_back("--file-filter=" + Utf8(filter.description) + " | " + JoinPatterns(filter));
    return arguments;
}

std::vector<std::string> ZenityFileChooser::KdialogArguments(const FileChooserRequest& request)
{
    std::vector<std::string> arguments{"kdialog"};
    if (!request.title.IsEmpty())
    {
        arguments.push_back("--title");
        arguments.push_back(Utf8(request.title));
    }
    arguments.push_back(request.save ? "--getsavefilename" : "--getopenfilename");
    const std::string start = StartPath(request);
    arguments.push_back(start.empty() ? std::string(".") : start);
    std::string filters;
    for (const FileChooserFilter& filter : request.filters)
    {
        if (!filters.empty())
            filters += '\n';
        filters += Utf8(filter.description) + " (" + JoinPatterns(filter) + ")";
    }
    arguments.push_back(filters);
    if (!request.save && request.allowMultiple)
    {
        arguments.push_back("--multiple");
        arguments.push_back("--separate-output");
    }
    return arguments;
}

FileChooserAnswer ZenityFileChooser::Run(const FileChooserRequest& request, const DialogWaitPump& pump)
{
    bool kdialog = false;
    ChildProgramResult result = RunChildProgram(ZenityArguments(request), pump);
    if (!result.started)
    {
        kdialog = true;
        result = RunChildProgram(KdialogArguments(request), pump);
    }
    FileChooserAnswer answer;
    if (!result.started)
        return answer;
    answer.outcome = OutcomeOf(result.exitCode);
    if (answer.outcome != FileChooserOutcome::Chosen)
        return answer;
    const std::vector<std::string> lines = SplitLines(result.output);
    if (lines.empty() || (!request.allowMultiple && lines.size() > 1))
    {
        answer.outcome = FileChooserOutcome::Failed;
        return answer;
    }
    for (const std::string& line : lines)
    {
        // Both programs print full paths. zenity prints "(null)" for a name that is not
        // UTF-8, which names no file the person chose: saving or opening anything by it
        // would be wrong.
        if (line.front() != '/')
        {
            answer.outcome = FileChooserOutcome::NameUnusable;
            answer.paths.clear();
            return answer;
        }
        answer.paths.push_back(FromSystemPath(line));
    }

    // A path chosen to open is handed on as it is, whatever is there: a folder, a link that
    // leads nowhere or round in a loop, a file gone meanwhile. Opening it fails where the
    // person is told why.
    if (!request.save)
        return answer;

    WString& path = answer.paths.front();
    if (!request.defaultExtension.IsEmpty() && GetFileNameFromPath(path).ReverseFind(u'.') < 0)
    {
        path.Append(WString(u".") + request.defaultExtension);
        // The dialog only asked about the name without the extension.
        if (FileExists(path) &&
            !Confirm(kdialog,
                     Utf8(ToDisplayPath(GetFileNameFromPath(path))) + " already exists. Do you want to replace it?",
                     pump))
        {
            answer.outcome = FileChooserOutcome::Cancelled;
            answer.paths.clear();
        }
    }
    return answer;
}

IFileChooser& GetPlatformFileChooser()
{
    static ZenityFileChooser chooser;
    return chooser;
}

} // namespace QK
