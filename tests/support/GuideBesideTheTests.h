// The user guide beside the test programs: the editor looks for it in its executable's folder,
// which every test program shares. Tests that put one there, and tests that need none there,
// hold this lock (an advisory lock on a file of that folder) so that they never overlap, also
// when ctest runs them in parallel from different programs.
//
// Header only.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace QK::TestSupport
{

class GuideFolderLock
{
public:
    explicit GuideFolderLock(const std::string& folder)
        : m_fd(::open((folder + "/.user-guide.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    GuideFolderLock(const GuideFolderLock&) = delete;
    GuideFolderLock& operator=(const GuideFolderLock&) = delete;
    ~GuideFolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

private:
    int m_fd;
};

// An empty guide at path for the scope's length, under the folder's lock.
class GuideBesideTheTests
{
public:
    GuideBesideTheTests(const std::string& folder, const std::string& name) : m_lock(folder), path(folder + "/" + name)
    {
        if (std::FILE* file = std::fopen(path.c_str(), "w"))
            std::fclose(file);
    }
    ~GuideBesideTheTests() { std::remove(path.c_str()); }

private:
    GuideFolderLock m_lock;

public:
    const std::string path;
};

} // namespace QK::TestSupport
