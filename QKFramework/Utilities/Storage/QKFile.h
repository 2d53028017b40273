// File: a binary file opened by path, read and written at positions.
//
// Platform errors on an open file raise Exception<std::runtime_error> with texts that name
// the failing call ("lseek", "read", "write", "fstat", "file is read only"); opening answers a
// result code. Copies of a File share its descriptor, which stays open until the last copy
// holding it is closed or destroyed. A File belongs to one thread at a time.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Platform/Core/FileDescriptor.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class File
{
public:
    // Mode bits for Open.
    static constexpr std::uint32_t kModeRead = 0x10000;
    static constexpr std::uint32_t kModeWrite = 0x20000;     // read and write
    static constexpr std::uint32_t kModeExclusive = 0x40000; // with kModeCreate: fail when the file exists
    static constexpr std::uint32_t kModeCreate = 0x80000;    // create a missing file
    static constexpr std::uint32_t kModeDeleteOnClose = 0x100000; // Close deletes the file

    // The position for Read and Write that means "where the file stands now".
    static constexpr std::uint32_t kCurrentPosition = 0xFFFFFFFF;

    // Opens at once; a file that does not open leaves the File closed. An empty path and
    // name raise the "invalid pathname" error.
    File(const WString& path, const WString& name, std::uint32_t mode);
    File(const File& other) = default;
    File& operator=(const File&) = delete;
    virtual ~File();

    // With a name, opens path joined with name by "/" and keeps the name; otherwise opens
    // path. 0 opened, 1 already open (nothing changes), 0x80004005 refused by the system.
    virtual QKRESULT Open(const WString& path, const WString& name, std::uint32_t mode);
    // Closes the descriptor unless another File shares it; deletes the file when the mode
    // asks for it. Always 0.
    virtual QKRESULT Close();
    // Reads up to count bytes at position (from the start of the file) or at the current
    // position; answers the bytes read, 0 at the end of the file.
    virtual std::uint32_t Read(void* buffer, std::uint32_t count, std::uint32_t position = kCurrentPosition);
    // Writes count bytes at position or at the current position; answers the bytes written.
    virtual std::uint32_t Write(const void* buffer, std::uint32_t count,
                                std::uint32_t position = kCurrentPosition);
    // Origin 0 start, 1 current position, 2 end. The new position, or -1 (also when closed).
    virtual std::int64_t Seek(std::int64_t offset, int origin);

    // The size in bytes; 0 when closed. A file larger than 2 GiB - 1 cannot be measured
    // in 32 bits and raises the "fstat" error.
    std::uint32_t GetLength() const;

    bool IsOpen() const noexcept { return static_cast<bool>(m_descriptor); }
    const WString& GetPath() const noexcept { return m_path; }
    const WString& GetName() const noexcept { return m_name; }
    std::uint32_t GetMode() const noexcept { return m_mode; }

private:
    int Descriptor() const noexcept;

    RCPtr<LWrapper<UniqueDescriptor>> m_descriptor;
    WString m_name;
    WString m_path;
    std::uint32_t m_mode = 0;
};

} // namespace QK
