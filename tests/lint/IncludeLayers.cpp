// Sections: reading the table; the libraries' reach; reading the tree; reading the build.
#include "tests/lint/IncludeLayers.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <iterator>
#include <set>
#include <utility>

namespace QK::Lint
{

namespace
{

// --- Reading the table -------------------------------------------------------------------

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// The cells of a table row "| a | b | c |".
std::vector<std::string_view> Cells(std::string_view row)
{
    row = Trim(row);
    if (row.starts_with('|'))
        row.remove_prefix(1);
    if (row.ends_with('|'))
        row.remove_suffix(1);
    std::vector<std::string_view> cells;
    for (;;)
    {
        const auto bar = row.find('|');
        cells.push_back(Trim(row.substr(0, bar)));
        if (bar == std::string_view::npos)
            return cells;
        row.remove_prefix(bar + 1);
    }
}

// The texts in backticks of a cell; the prose around them is the reader's.
std::vector<std::string> Quoted(std::string_view cell)
{
    std::vector<std::string> items;
    for (;;)
    {
        const auto open = cell.find('`');
        if (open == std::string_view::npos)
            return items;
        const auto close = cell.find('`', open + 1);
        if (close == std::string_view::npos)
            return items;
        items.emplace_back(cell.substr(open + 1, close - open - 1));
        cell.remove_prefix(close + 1);
    }
}

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty())
    {
        const auto end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool IsTableHeader(std::string_view line)
{
    const std::vector<std::string_view> cells = Cells(line);
    return Trim(line).starts_with('|') && cells.size() == 3 && cells[0] == "Library" && cells[1] == "Uses" &&
           cells[2] == "Folders";
}

// The first library of a circle of uses, or empty.
std::string FindCircle(const LayerTable& table)
{
    std::map<std::string, const Layer*> byName;
    for (const Layer& layer : table.layers)
        byName[layer.name] = &layer;
    std::map<std::string, int> state; // 1 on the path being walked, 2 done
    std::function<bool(const Layer&)> walk = [&](const Layer& layer)
    {
        state[layer.name] = 1;
        for (const std::string& used : layer.uses)
        {
            if (state[used] == 1 || (state[used] == 0 && walk(*byName[used])))
                return true;
        }
        state[layer.name] = 2;
        return false;
    };
    for (const Layer& layer : table.layers)
        if (state[layer.name] == 0 && walk(layer))
            return layer.name;
    return {};
}

// --- The libraries' reach ------------------------------------------------------------------

// Each library with itself and every library it reaches through its uses.
std::map<std::string, std::set<std::string>> Reach(const LayerTable& table)
{
    std::map<std::string, const Layer*> byName;
    for (const Layer& layer : table.layers)
        byName[layer.name] = &layer;
    std::map<std::string, std::set<std::string>> reach;
    for (const Layer& layer : table.layers)
    {
        std::set<std::string>& reached = reach[layer.name];
        std::vector<std::string> pending{layer.name};
        while (!pending.empty())
        {
            const std::string name = pending.back();
            pending.pop_back();
            if (!reached.insert(name).second)
                continue;
            for (const std::string& used : byName.at(name)->uses)
                pending.push_back(used);
        }
    }
    return reach;
}

// The library of a path from the root: the longest folder that holds it (or the file
// itself); null for none.
const Layer* LayerOf(const std::string& path, const LayerTable& table)
{
    const Layer* found = nullptr;
    std::size_t longest = 0;
    for (const Layer& layer : table.layers)
        for (const std::string& folder : layer.folders)
        {
            const bool holds = folder.ends_with('/') ? path.starts_with(folder) : path == folder;
            if (holds && folder.size() > longest)
            {
                found = &layer;
                longest = folder.size();
            }
        }
    return found;
}

std::string Joined(const std::set<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

// --- Reading the tree ----------------------------------------------------------------------

bool IsSourceFile(const std::filesystem::path& path)
{
    const std::string extension = path.extension().string();
    return extension == ".h" || extension == ".hpp" || extension == ".cpp" || extension == ".inl";
}

std::string TopFolder(const std::string& path)
{
    return path.substr(0, path.find('/'));
}

// The path of an #include line and whether it was in quotes; nothing for any other line
// (and for an include through a macro).
std::optional<std::pair<std::string, bool>> IncludedPath(std::string_view line)
{
    line = Trim(line);
    if (!line.starts_with('#'))
        return std::nullopt;
    line = Trim(line.substr(1));
    if (!line.starts_with("include"))
        return std::nullopt;
    line = Trim(line.substr(7));
    if (line.empty() || (line.front() != '"' && line.front() != '<'))
        return std::nullopt;
    const char close = line.front() == '"' ? '"' : '>';
    const auto end = line.find(close, 1);
    if (end == std::string_view::npos)
        return std::nullopt;
    return std::pair{std::string(line.substr(1, end - 1)), close == '"'};
}

// --- Reading the build ---------------------------------------------------------------------

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// The words of a CMake text without its comments, each parenthesis a word of its own.
std::vector<std::string> CMakeWords(std::string_view text)
{
    std::vector<std::string> words;
    std::string word;
    const auto flush = [&]
    {
        if (!word.empty())
            words.push_back(std::exchange(word, {}));
    };
    bool comment = false;
    for (const char c : text)
    {
        if (comment)
        {
            comment = c != '\n';
            continue;
        }
        if (c == '#' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '(' || c == ')')
        {
            flush();
            comment = c == '#';
            if (c == '(' || c == ')')
                words.emplace_back(1, c);
        }
        else
            word += c;
    }
    flush();
    return words;
}

} // namespace

std::optional<LayerTable> ReadLayerTable(std::string_view markdown, std::string& error)
{
    const std::vector<std::string_view> lines = Lines(markdown);
    const auto header = std::find_if(lines.begin(), lines.end(), IsTableHeader);
    if (header == lines.end())
    {
        error = "no table with the header \"| Library | Uses | Folders |\"";
        return std::nullopt;
    }

    LayerTable table;
    // The row after the header is the markdown separator.
    for (auto line = header + std::min<std::ptrdiff_t>(2, lines.end() - header);
         line != lines.end() && Trim(*line).starts_with('|'); ++line)
    {
        const std::vector<std::string_view> cells = Cells(*line);
        const std::vector<std::string> names = cells.empty() ? std::vector<std::string>() : Quoted(cells[0]);
        Layer layer;
        if (names.size() == 1)
            layer.name = names.front();
        if (cells.size() == 3)
        {
            layer.uses = Quoted(cells[1]);
            layer.folders = Quoted(cells[2]);
        }
        if (layer.name.empty() || layer.folders.empty())
        {
            error = "the row \"" + std::string(Trim(*line)) + "\" needs one library and its folders, in backticks";
            return std::nullopt;
        }
        if (std::any_of(table.layers.begin(), table.layers.end(),
                        [&](const Layer& other) { return other.name == layer.name; }))
        {
            error = "the library " + layer.name + " has two rows";
            return std::nullopt;
        }
        table.layers.push_back(std::move(layer));
    }
    if (table.layers.empty())
    {
        error = "the layer table has no rows";
        return std::nullopt;
    }

    for (const Layer& layer : table.layers)
        for (const std::string& used : layer.uses)
            if (std::none_of(table.layers.begin(), table.layers.end(),
                             [&](const Layer& other) { return other.name == used; }))
            {
                error = layer.name + " uses " + used + ", which the table does not list";
                return std::nullopt;
            }
    if (const std::string circle = FindCircle(table); !circle.empty())
    {
        error = "the uses of " + circle + " go round in a circle";
        return std::nullopt;
    }
    return table;
}

std::vector<std::string> FindUpwardIncludes(const std::filesystem::path& root, const LayerTable& table)
{
    std::set<std::string> tops;
    for (const Layer& layer : table.layers)
        for (const std::string& folder : layer.folders)
            tops.insert(TopFolder(folder));
    const std::map<std::string, std::set<std::string>> reach = Reach(table);

    std::vector<std::string> files;
    for (const std::string& top : tops)
    {
        std::error_code failure;
        if (!std::filesystem::is_directory(root / top, failure))
        {
            if (std::filesystem::is_regular_file(root / top, failure) && IsSourceFile(root / top))
                files.push_back(top);
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / top))
            if (entry.is_regular_file() && IsSourceFile(entry.path()))
                files.push_back(entry.path().lexically_relative(root).generic_string());
    }
    std::sort(files.begin(), files.end());

    std::vector<std::string> findings;
    for (const std::string& file : files)
    {
        const Layer* layer = LayerOf(file, table);
        if (!layer)
        {
            findings.push_back(file + ": belongs to no library of the layer table");
            continue;
        }
        std::ifstream stream(root / file);
        std::string line;
        for (int number = 1; std::getline(stream, line); ++number)
        {
            const auto included = IncludedPath(line);
            if (!included)
                continue;
            const auto& [target, quoted] = *included;
            // A system header (angle brackets, outside the product's folders) is not ours.
            if (!quoted && !tops.contains(TopFolder(target)))
                continue;
            const std::string where = file + ":" + std::to_string(number) + ": includes " + target;
            const Layer* targetLayer = LayerOf(target, table);
            if (!targetLayer)
                findings.push_back(where + ", which belongs to no library of the layer table");
            else if (!reach.at(layer->name).contains(targetLayer->name))
                findings.push_back(where + " of " + targetLayer->name + ", which " + layer->name +
                                   " does not use (it reaches " + Joined(reach.at(layer->name)) + ")");
        }
    }
    return findings;
}

std::vector<std::string> FindLinkMismatches(const std::filesystem::path& root, const LayerTable& table)
{
    std::map<std::string, std::set<std::string>> uses;
    std::set<std::string> tops;
    for (const Layer& layer : table.layers)
    {
        uses[layer.name] = std::set<std::string>(layer.uses.begin(), layer.uses.end());
        for (const std::string& folder : layer.folders)
            tops.insert(TopFolder(folder));
    }

    std::vector<std::string> files{"CMakeLists.txt"};
    for (const std::string& top : tops)
    {
        std::error_code failure;
        if (!std::filesystem::is_directory(root / top, failure))
            continue;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / top))
            if (entry.is_regular_file() && entry.path().filename() == "CMakeLists.txt")
                files.push_back(entry.path().lexically_relative(root).generic_string());
    }
    std::sort(files.begin() + 1, files.end());

    std::vector<std::string> findings;
    for (const std::string& file : files)
    {
        const std::vector<std::string> words = CMakeWords(ReadText(root / file));
        for (std::size_t i = 0; i + 2 < words.size(); ++i)
        {
            if (words[i] != "vedidu_add_layer_library" || words[i + 1] != "(")
                continue;
            const std::string& name = words[i + 2];
            std::set<std::string> linked;
            bool inDeps = false;
            for (std::size_t j = i + 3; j < words.size() && words[j] != ")"; ++j)
            {
                if (words[j] == "DIRS" || words[j] == "DEPS" || words[j] == "PRIVATE_DEPS")
                    inDeps = words[j] != "DIRS";
                else if (inDeps && uses.contains(words[j]))
                    linked.insert(words[j]);
            }
            if (!uses.contains(name))
                findings.push_back(file + ": the library " + name + " has no row in the layer table");
            else if (linked != uses.at(name))
                findings.push_back(file + ": " + name + " links " + (linked.empty() ? "none" : Joined(linked)) +
                                   " of the table's libraries, and its row uses " +
                                   (uses.at(name).empty() ? "none" : Joined(uses.at(name))));
        }
    }
    return findings;
}

} // namespace QK::Lint
