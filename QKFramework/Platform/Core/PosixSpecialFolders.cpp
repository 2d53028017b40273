#include "QKFramework/Platform/Core/SpecialFolders.h"

#include "QKFramework/Platform/Core/FileDescriptor.h"
#include "QKFramework/Platform/Core/FileSystem.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <vector>

extern char** environ;

namespace QK
{

namespace
{

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An absolute path from the environment; empty when unset, empty or relative.
std::string AbsoluteFromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return {};
    return WithoutTrailingSlashes(value);
}

std::string HomeFolder()
{
    std::string home = AbsoluteFromEnvironment("HOME");
    if (!home.empty())
        return home;
    std::vector<char> buffer(16384);
    passwd entry;
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return WithoutTrailingSlashes(found->pw_dir);
    return {};
}

std::string XdgFolder(const char* variable, const char* underHome)
{
    std::string folder = AbsoluteFromEnvironment(variable);
    if (!folder.empty())
        return folder;
    const std::string home = HomeFolder();
    return home.empty() ? std::string() : home + underHome;
}

struct SpawnActions
{
    posix_spawn_file_actions_t actions;
    bool valid = posix_spawn_file_actions_init(&actions) == 0;
    ~SpawnActions()
    {
        if (valid)
            posix_spawn_file_actions_destroy(&actions);
    }
};

// The first line that program prints with its one argument; empty when it cannot be run.
std::string FirstOutputLine(const char* program, const char* argument)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return {};
    UniqueDescriptor readEnd(ends[0]);
    UniqueDescriptor writeEnd(ends[1]);

    SpawnActions spawn;
    if (!spawn.valid ||
        posix_spawn_file_actions_adddup2(&spawn.actions, writeEnd.Get(), STDOUT_FILENO) != 0 ||
        posix_spawn_file_actions_addopen(&spawn.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0)
        return {};
    std::string programCopy(program);
    std::string argumentCopy(argument);
    char* argv[] = {programCopy.data(), argumentCopy.data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, program, &spawn.actions, nullptr, argv, environ) != 0)
        return {};
    writeEnd.Reset();

    std::string output;
    char chunk[512];
    for (;;)
    {
        const std::int64_t count = ReadDescriptor(readEnd.Get(), chunk, sizeof chunk);
        if (count <= 0)
            break;
        // A folder name is short; anything longer is not an answer worth waiting for.
        if (output.size() < 65536)
            output.append(chunk, static_cast<std::size_t>(count));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    const std::size_t end = output.find('\n');
    return end == std::string::npos ? output : output.substr(0, end);
}

// A user-dirs file holds a few lines; anything larger is not one.
constexpr std::size_t kMostUserDirsBytes = 64 * 1024;

// The file's text; empty when it cannot be read or is too large.
std::string ReadUserDirsFile(const std::string& path)
{
    UniqueDescriptor file(OpenDescriptor(path.c_str(), {}));
    if (!file)
        return {};
    std::string text;
    char chunk[4096];
    for (;;)
    {
        const std::int64_t count = ReadDescriptor(file.Get(), chunk, sizeof chunk);
        if (count < 0 || text.size() + static_cast<std::size_t>(count) > kMostUserDirsBytes)
            return {};
        if (count == 0)
            return text;
        text.append(chunk, static_cast<std::size_t>(count));
    }
}

std::string_view WithoutLeadingBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

// The value one line of a user-dirs file gives variable: the file is read by the shell, but
// only the two forms its writer uses are understood, so nothing is expanded but the leading
// "$HOME". Nothing for another variable or another form.
std::optional<std::string> UserDirectoryOfLine(std::string_view line, std::string_view variable,
                                               std::string_view home)
{
    line = WithoutLeadingBlanks(line);
    if (!line.starts_with(variable))
        return std::nullopt;
    line = WithoutLeadingBlanks(line.substr(variable.size()));
    if (!line.starts_with('='))
        return std::nullopt;
    line = WithoutLeadingBlanks(line.substr(1));
    if (!line.starts_with('"'))
        return std::nullopt;
    line.remove_prefix(1);
    std::string value;
    if (line.starts_with("$HOME") && line.size() > 5 && (line[5] == '/' || line[5] == '"'))
    {
        if (home.empty())
            return std::nullopt;
        value = home;
        line.remove_prefix(5);
    }
    else if (!line.starts_with('/'))
    {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < line.size(); ++i)
    {
        char c = line[i];
        if (c == '"')
        {
            // What follows the closing quote may be a comment and nothing else.
            const std::string_view rest = WithoutLeadingBlanks(line.substr(i + 1));
            if (!rest.empty() && rest[0] != '#')
                return std::nullopt;
            return value;
        }
        // Inside double quotes the shell takes a backslash only before these four.
        static constexpr std::string_view kEscaped = "$`\"\\";
        if (c == '\\' && i + 1 < line.size() && kEscaped.find(line[i + 1]) != std::string_view::npos)
            c = line[++i];
        // An unescaped "$" or "`" would be expanded by the shell: a form not understood here.
        else if (c == '$' || c == '`' || c == 0)
            return std::nullopt;
        value.push_back(c);
    }
    return std::nullopt;
}

} // namespace

std::string GetExecutablePath()
{
    std::vector<char> buffer(4096);
    for (;;)
    {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        buffer.resize(buffer.size() * 2);
    }
}

std::string GetExecutableFolder()
{
    const std::string path = GetExecutablePath();
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string GetUserDataFolder()
{
    return XdgFolder("XDG_DATA_HOME", "/.local/share");
}

std::string GetUserConfigFolder()
{
    return XdgFolder("XDG_CONFIG_HOME", "/.config");
}

std::string GetDocumentsFolder()
{
    const std::string home = HomeFolder();
    std::string documents;
    const std::string config = GetUserConfigFolder();
    if (!config.empty())
        documents = FindUserDirectory(ReadUserDirsFile(config + "/user-dirs.dirs"), "XDG_DOCUMENTS_DIR", home);
    // xdg-user-dir hands its answer through the shell's word splitting, which squeezes a run
    // of spaces into one ("A  B" comes back as "A B", someone else's folder or none). It is
    // asked only for a value of the environment, which it expands as the shell does; what it
    // answers for the home folder is the home folder, taken here as it is.
    const char* fromEnvironment = std::getenv("XDG_DOCUMENTS_DIR");
    if (documents.empty() && fromEnvironment != nullptr && fromEnvironment[0] != 0)
        documents = FirstOutputLine("xdg-user-dir", "DOCUMENTS");
    // A folder that is named but missing is not made here: the home folder stands in.
    if (!documents.empty() && documents[0] == '/' && GetPathKind(documents.c_str()) == PathKind::Folder)
        return WithoutTrailingSlashes(documents);
    return home;
}

std::string FindUserDirectory(std::string_view text, std::string_view variable, std::string_view home)
{
    std::string found;
    while (!text.empty())
    {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end < text.size() ? end + 1 : end);
        if (std::optional<std::string> value = UserDirectoryOfLine(line, variable, home))
            found = std::move(*value);
    }
    return found;
}

} // namespace QK
