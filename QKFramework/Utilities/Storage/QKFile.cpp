#include "QKFramework/Utilities/Storage/QKFile.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Core/FileSystem.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include <climits>
#include <stdexcept>

namespace QK
{

namespace
{

constexpr const char* kSource = "Utilities\\Storage\\QKFile";

// The texts of these errors are quoted in logs and support notes with their line numbers,
// so the numbers stay fixed whatever this file looks like.
[[noreturn]] void ThrowFileError(const char* function, int line, const char* detail)
{
    Throw<std::runtime_error>(ThrowSite{function, kSource, line}, detail);
}

} // namespace

File::File(const WString& path, const WString& name, std::uint32_t mode) : m_mode(mode)
{
    Open(path, name, mode);
}

File::~File()
{
    Close();
}

int File::Descriptor() const noexcept
{
    return m_descriptor ? m_descriptor->Get() : -1;
}

QKRESULT File::Open(const WString& path, const WString& name, std::uint32_t mode)
{
    if (IsOpen())
        return QK_FALSE;
    if (!name.IsEmpty())
    {
        m_name = name;
        m_path = path + WString(u"/") + name;
    }
    else if (path.IsEmpty())
    {
        // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
        ThrowFileError("QK::File::Open", 318, "invalid pathname");
    }
    else
    {
        m_name.Clear();
        m_path = path;
    }
    m_mode = mode;

    DescriptorOpenOptions options;
    options.write = (mode & kModeWrite) != 0;
    options.create = (mode & kModeCreate) != 0;
    options.exclusive = options.create && (mode & kModeExclusive) != 0;
    UniqueDescriptor descriptor(OpenDescriptor(ToSystemPath(m_path).c_str(), options));
    if (!descriptor)
        return QK_E_FAIL;
    RCPtr<LWrapper<UniqueDescriptor>> holder(new LWrapper<UniqueDescriptor>());
    static_cast<UniqueDescriptor&>(*holder) = std::move(descriptor);
    m_descriptor = holder;
    return QK_OK;
}

QKRESULT File::Close()
{
    if (!m_descriptor || m_descriptor->GetRefCount() != 1)
        return QK_OK;
    m_descriptor->Reset();
    if (m_mode & kModeDeleteOnClose)
        DeletePath(ToSystemPath(m_path).c_str());
    m_descriptor = nullptr;
    return QK_OK;
}

std::uint32_t File::Read(void* buffer, std::uint32_t count, std::uint32_t position)
{
    // A closed file has no descriptor to read from; descriptor 0 is someone else's input.
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    if (!IsOpen())
        ThrowFileError("QK::File::Read", 500, "read");
    if (position != kCurrentPosition && SeekDescriptor(Descriptor(), position, 0) != position)
        ThrowFileError("QK::File::Read", 472, "lseek");
    const std::int64_t read = ReadDescriptor(Descriptor(), buffer, count > INT32_MAX ? INT32_MAX : count);
    if (read < 0)
        ThrowFileError("QK::File::Read", 500, "read");
    return static_cast<std::uint32_t>(read);
}

std::uint32_t File::Write(const void* buffer, std::uint32_t count, std::uint32_t position)
{
    // Fixed line numbers of the error texts, not __LINE__: see docs/CONTRACT.md.
    if ((m_mode & kModeWrite) == 0)
        ThrowFileError("QK::File::Write", 579, "file is read only");
    if (!IsOpen())
        ThrowFileError("QK::File::Write", 627, "write");
    if (position != kCurrentPosition && SeekDescriptor(Descriptor(), position, 0) != position)
        ThrowFileError("QK::File::Write", 588, "lseek");
    if (WriteDescriptor(Descriptor(), buffer, count) != count)
        ThrowFileError("QK::File::Write", 627, "write");
    return count;
}

std::int64_t File::Seek(std::int64_t offset, int origin)
{
    if (!IsOpen())
        return -1;
    return SeekDescriptor(Descriptor(), offset, origin);
}

std::uint32_t File::GetLength() const
{
    if (!IsOpen())
        return 0;
    const std::int64_t size = GetDescriptorSize(Descriptor());
    // The 32-bit status call fails for sizes it cannot hold; so does this one.
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (size < 0 || size > INT32_MAX)
        ThrowFileError("QK::File::GetLength", 126, "fstat");
    return static_cast<std::uint32_t>(size);
}

} // namespace QK
