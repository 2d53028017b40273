// A fresh folder under the system's temporary folder for one test, removed with everything
// in it when the test ends.
#pragma once

#include <string>

namespace QK::TestSupport
{

class TempFolder
{
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder's absolute path, without a trailing "/".
    const std::string& Path() const { return m_path; }
    // The folder's path joined with name by "/".
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

    // Writes contents to the file at name (below the folder), replacing it.
    void WriteFile(const std::string& name, const std::string& contents) const;
    // The contents of the file at name; empty when it cannot be read.
    std::string ReadFile(const std::string& name) const;

private:
    std::string m_path;
};

} // namespace QK::TestSupport
