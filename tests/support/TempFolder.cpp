#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <vector>

namespace QK::TestSupport
{

TempFolder::TempFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vedidu-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
        ADD_FAILURE() << "cannot make a temporary folder from " << pattern;
    else
        m_path = buffer.data();
}

TempFolder::~TempFolder()
{
    if (m_path.empty())
        return;
    std::error_code ignored;
    // Folders a test made read-only must still go.
    for (auto& entry : std::filesystem::recursive_directory_iterator(m_path, ignored))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

void TempFolder::WriteFile(const std::string& name, const std::string& contents) const
{
    std::ofstream file(*this / name, std::ios::binary | std::ios::trunc);
    file.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!file)
        ADD_FAILURE() << "cannot write " << (*this / name);
}

std::string TempFolder::ReadFile(const std::string& name) const
{
    std::ifstream file(*this / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace QK::TestSupport
