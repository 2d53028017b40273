// The include lint: every #include of the product points down the layer order, and the
// layer libraries link what the order says.
//
// The order is the layer table of docs/ARCHITECTURE.md, read as it stands, so the document
// and the check are one. The table is the markdown table whose header row is
// "| Library | Uses | Folders |": one row per library, the libraries it uses directly and
// the folders (ending in "/") or files that make it up, each in backticks. A file belongs to
// the library of its longest matching folder; it may include its own library's headers and
// those of every library reached through "Uses", nothing else of the product.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace QK::Lint
{

struct Layer
{
    std::string name;
    std::vector<std::string> uses;
    std::vector<std::string> folders;
};

struct LayerTable
{
    std::vector<Layer> layers;
};

// The layer table of a markdown document; nothing, with the reason in error, when the
// document has no such table, a row lacks a name or folders, a name repeats, a library uses
// one the table does not list, or the uses go round in a circle.
std::optional<LayerTable> ReadLayerTable(std::string_view markdown, std::string& error);

// Every C++ source and header under the folders' top folders (relative to root) is read. One
// finding per include that points at a file of a library the including file's library does
// not use, or at a file of no library, and one per file that belongs to no library; each
// names the file, the line and the reason. Empty for a clean tree.
std::vector<std::string> FindUpwardIncludes(const std::filesystem::path& root, const LayerTable& table);

// The build against the table: every vedidu_add_layer_library call in the root's
// CMakeLists.txt and in those under the folders' top folders links (DEPS and PRIVATE_DEPS)
// exactly the table's libraries that its row uses, and names a row. One finding per call
// that differs, naming the file; empty when the build and the table agree.
std::vector<std::string> FindLinkMismatches(const std::filesystem::path& root, const LayerTable& table);

} // namespace QK::Lint
