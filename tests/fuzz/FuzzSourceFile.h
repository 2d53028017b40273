// A file that a fuzz target rewrites for each input, so that the loaders read the input
// through their file path. Made once per process, removed at exit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace QK::Fuzz
{

class SourceFile
{
public:
    SourceFile()
    {
        const char* folder = std::getenv("TMPDIR");
        m_path = std::string(folder && *folder ? folder : "/tmp") + "/vedidu-fuzz-XXXXXX";
        const int descriptor = ::mkstemp(m_path.data());
        if (descriptor < 0)
            std::abort();
        ::close(descriptor);
    }
    ~SourceFile() { std::remove(m_path.c_str()); }

    const std::string& Write(const std::uint8_t* data, std::size_t size) const
    {
        std::FILE* file = std::fopen(m_path.c_str(), "wb");
        if (!file || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0)
            std::abort();
        return m_path;
    }

private:
    std::string m_path;
};

} // namespace QK::Fuzz
