// LPixelBuffer: an image of its own, counted, that carries glyph bitmaps and the glyph images
// of the OpenGL text engine. T is the pixel unit (unsigned char: one 8-bit coverage value).
//
// A pixel's address is storage + row length x y + x, and null wherever that would leave the
// storage, so a caller that asks for a pixel outside gets nothing to write into.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Graphics/PixelBuffer.h"

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

namespace QK
{

template <class T> class LPixelBuffer : public IPixelBuffer<T>, public virtual LRefCountedObject
{
public:
    // With source, the storage is a copy of rowLength x height bytes of it. Without, a row
    // length of 0 becomes width rounded up to a multiple of 16, and the pixels start at 0.
    // Negative sizes count as 0.
    LPixelBuffer(std::int32_t width, std::int32_t height, std::int32_t rowLength, const void* source = nullptr)
        : m_width(width > 0 ? width : 0), m_height(height > 0 ? height : 0),
          m_rowLength(rowLength > 0 ? rowLength : 0)
    {
        if (!source && m_rowLength == 0)
            m_rowLength = (m_width + 15) & ~15;
        m_storage.resize(StorageSize(m_height));
        if (source && !m_storage.empty())
            std::memcpy(m_storage.data(), source, m_storage.size());
    }

    std::int32_t GetWidth() const override { return m_width; }
    std::int32_t GetHeight() const override { return m_height; }
    std::int32_t GetStride() const override { return m_rowLength; }
    const IPixelBuffer<T>* GetSecondSource() const override { return nullptr; }
    T* GetPixelAddress(std::int32_t x, std::int32_t y) const override
    {
        if (x < 0 || y < 0)
            return nullptr;
        const std::uint64_t at = std::uint64_t(m_rowLength) * std::uint64_t(y) + std::uint64_t(x);
        if ((at + 1) * sizeof(T) > m_storage.size())
            return nullptr;
        return const_cast<T*>(reinterpret_cast<const T*>(m_storage.data() + at * sizeof(T)));
    }

    // Resizes to newHeight rows; new rows start at 0. 0, or 0x80004005 (nothing changed)
    // when the storage cannot be had.
    QKRESULT SetHeight(std::int32_t newHeight)
    {
        if (newHeight < 0)
            return QK_E_FAIL;
        try
        {
            m_storage.resize(StorageSize(newHeight), 0);
        }
        catch (const std::bad_alloc&)
        {
            return QK_E_FAIL;
        }
        catch (const std::length_error&)
        {
            return QK_E_FAIL;
        }
        m_height = newHeight;
        return QK_OK;
    }

    std::size_t GetStorageSize() const { return m_storage.size(); }

protected:
    ~LPixelBuffer() override = default;

private:
    std::size_t StorageSize(std::int32_t height) const
    {
        return std::size_t(m_rowLength) * std::size_t(height) * sizeof(T);
    }

    std::int32_t m_width;
    std::int32_t m_height;
    std::int32_t m_rowLength;
    std::vector<unsigned char> m_storage;
};

} // namespace QK
