// Contents: byte helpers; construction and setters; conversions; data
// access and blocks; equality; records; lists.
#include "QKFramework/Utilities/Storage/Variant.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <new>

namespace QK
{

namespace
{

// --- Byte helpers -----------------------------------------------------------------

std::uint64_t LoadLittleEndian(const std::uint8_t* bytes, unsigned count)
{
    std::uint64_t value = 0;
    for (unsigned i = count; i-- > 0;)
        value = (value << 8) | bytes[i];
    return value;
}

void StoreLittleEndian(std::uint8_t* bytes, std::uint64_t value, unsigned count)
{
    for (unsigned i = 0; i < count; ++i, value >>= 8)
        bytes[i] = static_cast<std::uint8_t>(value);
}

std::uint32_t LoadU32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(LoadLittleEndian(bytes, 4));
}

void StoreU32(std::uint8_t* bytes, std::uint32_t value)
{
    StoreLittleEndian(bytes, value, 4);
}

// Bytes of the fixed kinds 1..11; 0 for the others.
unsigned FixedSize(std::uint32_t kind)
{
    static constexpr unsigned sizes[] = {0, 1, 1, 1, 2, 2, 4, 4, 4, 8, 8, 8};
    return kind < sizeof sizes / sizeof sizes[0] ? sizes[kind] : 0;
}

bool IsReference(std::uint32_t kind)
{
    return kind == kVariantWritableReference || kind == kVariantReadOnlyReference;
}

// Native kinds of the portable codes 0..10.
constexpr std::uint32_t kPortableToNative[] = {
    kVariantEmpty,  kVariantBool,  kVariantInt32, kVariantInt64, kVariantFloat, kVariantDouble,
    kVariantWritableReference, kVariantReadOnlyReference, kVariantBytes, kVariantText, kVariantList,
};

// Whether Serialize writes a record for item: a reference without data has none.
bool HasRecord(const Variant* item)
{
    std::uint32_t length = 0;
    return item && !(IsReference(item->GetKind()) && (!item->GetData(length) || length == 0));
}

// The size of the record that a list writes for item.
std::uint64_t RecordSize(const Variant* item)
{
    std::uint32_t length = 0;
    if (HasRecord(item))
        item->GetData(length);
    return std::uint64_t{length} + kValueRecordHeaderSize;
}

// Rounds half away from zero.
double RoundHalfAway(double value)
{
    return std::trunc(value >= 0 ? value + 0.5 : value - 0.5);
}

// A rounded value as a 64-bit integer; NaN gives 0 and values outside the range the limit
// on their side, never an undefined conversion.
std::int64_t RoundToInt64(double value)
{
    const double rounded = RoundHalfAway(value);
    if (std::isnan(rounded))
        return 0;
    if (rounded >= 9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::max();
    if (rounded < -9223372036854775808.0)
        return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(rounded);
}

std::uint64_t RoundToUInt64(double value)
{
    const double rounded = RoundHalfAway(value);
    if (rounded >= 9223372036854775808.0 && rounded < 18446744073709551616.0)
        return static_cast<std::uint64_t>(rounded);
    if (rounded >= 18446744073709551616.0)
        return std::numeric_limits<std::uint64_t>::max();
    // Negative values wrap as they do through a signed integer.
    return static_cast<std::uint64_t>(RoundToInt64(value));
}

} // namespace

// --- Construction and setters -----------------------------------------------------------

Variant::Variant() noexcept : m_value{}, m_length(0), m_kind(kVariantEmpty) {}

Variant::Variant(const Variant& other) : Variant()
{
    Assign(other);
}

Variant& Variant::operator=(const Variant& other)
{
    Assign(other);
    return *this;
}

Variant::~Variant()
{
    Clear();
}

void Variant::Clear()
{
    if (OwnsBlock())
        FreeBlock(const_cast<std::uint8_t*>(Block()));
    std::memset(m_value, 0, sizeof m_value);
    m_length = 0;
    m_kind = kVariantEmpty;
}

std::uint32_t Variant::Assign(const Variant& other)
{
    if (&other == this)
        return m_kind;
    if (other.OwnsBlock() && other.m_length != 0)
    {
        TakeCopy(other.m_kind, other.Block(), other.m_length, other.m_length);
        return m_kind;
    }
    Clear();
    std::memcpy(m_value, other.m_value, sizeof m_value);
    m_length = other.m_length;
    m_kind = other.m_kind;
    return m_kind;
}

bool Variant::TakeCopy(std::uint32_t kind, const void* bytes, std::uint32_t copied, std::uint32_t size)
{
    // The old block goes first; bytes that lie in it are kept aside until they are copied.
    std::vector<std::uint8_t> aside;
    if (bytes && copied != 0 && LiesInBlock(bytes))
    {
        aside.assign(static_cast<const std::uint8_t*>(bytes), static_cast<const std::uint8_t*>(bytes) + copied);
        bytes = aside.data();
    }
    Clear();
    if (size == 0)
    {
        m_kind = kind;
        return true;
    }
    std::uint8_t* block = static_cast<std::uint8_t*>(AllocateBlock(size));
    if (!block)
        return false;
    if (bytes && copied != 0)
        std::memcpy(block, bytes, copied);
    if (copied < size)
        std::memset(block + copied, 0, size - copied);
    SetBlock(block);
    m_length = size;
    m_kind = kind;
    return true;
}

bool Variant::LiesInBlock(const void* bytes) const noexcept
{
    const std::uint8_t* block = Block();
    if (!OwnsBlock() || !block)
        return false;
    const std::less_equal<const void*> notAfter;
    return notAfter(block, bytes) && !notAfter(block + m_length, bytes);
}

void Variant::SetBytes(const void* bytes, std::uint32_t count)
{
    TakeCopy(kVariantBytes, bytes, count, count);
}

void Variant::SetString(const char* text)
{
    SetText(text, text ? TextLength(text) : 0);
}

void Variant::SetText(const char* text, std::size_t length)
{
    if (length >= std::numeric_limits<std::uint32_t>::max())
    {
        Clear();
        return;
    }
    // The block is zero-filled beyond the copied text, which gives the NUL.
    TakeCopy(kVariantText, text, static_cast<std::uint32_t>(length), static_cast<std::uint32_t>(length) + 1);
}

std::uint32_t Variant::SetData(std::uint32_t kind, const void* bytes, std::uint32_t count)
{
    if (const unsigned size = FixedSize(kind); size != 0)
    {
        // Copied aside first: bytes may lie in the block that Clear frees.
        std::uint8_t value[sizeof m_value] = {};
        if (count == size && bytes)
            std::memcpy(value, bytes, size);
        Clear();
        if (count != size)
            return m_kind;
        std::memcpy(m_value, value, sizeof m_value);
        m_kind = kind;
        return m_kind;
    }
    switch (kind)
    {
    case kVariantWritableReference:
    case kVariantReadOnlyReference:
    case kVariantBytes:
    case kVariantList:
        if (TakeCopy(kVariantBytes, bytes, count, count) && kind == kVariantList)
            m_kind = kVariantList;
        return m_kind;
    case kVariantText:
    {
        // The text ends at its NUL, or at the end of the bytes when there is none.
        const char* text = static_cast<const char*>(bytes);
        SetText(text, text ? TextLengthBounded(text, count) : 0);
        return m_kind;
    }
    default:
        Clear();
        return m_kind;
    }
}

void Variant::SetWritableReference(void* bytes, std::uint32_t length)
{
    Clear();
    SetBlock(bytes);
    m_length = length;
    m_kind = kVariantWritableReference;
}

void Variant::SetReadOnlyReference(const void* bytes, std::uint32_t length)
{
    Clear();
    SetBlock(bytes);
    m_length = length;
    m_kind = kVariantReadOnlyReference;
}

// --- Conversions ------------------------------------------------------------------------

std::uint64_t Variant::Bits() const noexcept
{
    return LoadLittleEndian(m_value, 8);
}

const std::uint8_t* Variant::Block() const noexcept
{
    const void* block;
    std::memcpy(&block, m_value, sizeof block);
    return static_cast<const std::uint8_t*>(block);
}

void Variant::SetBlock(const void* block) noexcept
{
    std::memcpy(m_value, &block, sizeof block);
}

std::int64_t Variant::IntegerValue() const noexcept
{
    const std::uint64_t bits = Bits();
    switch (m_kind)
    {
    case kVariantInt8:
        return static_cast<std::int8_t>(bits);
    case kVariantInt16:
        return static_cast<std::int16_t>(bits);
    case kVariantInt32:
        return static_cast<std::int32_t>(bits);
    default:
        return static_cast<std::int64_t>(bits);
    }
}

std::uint64_t Variant::BlockNumber(unsigned width, bool isSigned) const noexcept
{
    const std::uint8_t* block = Block();
    if (!block)
        return 0;
    const unsigned count = m_length < width ? m_length : width;
    const std::uint64_t value = LoadLittleEndian(block, count);
    if (!isSigned || count != width || width == 8)
        return value;
    const std::uint64_t sign = std::uint64_t{1} << (width * 8 - 1);
    return (value ^ sign) - sign;
}

double Variant::FloatingValue() const noexcept
{
    if (m_kind == kVariantFloat)
    {
        const std::uint32_t bits = static_cast<std::uint32_t>(Bits());
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    const std::uint64_t bits = Bits();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool Variant::ToBool() const
{
    if (m_kind >= kVariantBool && m_kind <= kVariantUInt64)
        return IsFloating() ? FloatingValue() != 0.0 : Bits() != 0;
    switch (m_kind)
    {
    case kVariantWritableReference:
    case kVariantReadOnlyReference:
        return Block() != nullptr;
    case kVariantBytes:
    case kVariantList:
        return m_length != 0;
    case kVariantText:
        return m_length > 1;
    default:
        return false;
    }
}

std::int8_t Variant::ToInt8() const
{
    if (m_kind == kVariantBool)
        return Bits() != 0 ? 1 : 0;
    if (IsBlockNumber())
        return static_cast<std::int8_t>(BlockNumber(1, true));
    return static_cast<std::int8_t>(Variant::ToInt32());
}

std::uint8_t Variant::ToUInt8() const
{
    return static_cast<std::uint8_t>(Variant::ToInt8());
}

std::int16_t Variant::ToInt16() const
{
    if (IsBlockNumber())
        return static_cast<std::int16_t>(BlockNumber(2, true));
    return static_cast<std::int16_t>(Variant::ToInt32());
}

std::uint16_t Variant::ToUInt16() const
{
    if (m_kind == kVariantInt8)
        return static_cast<std::uint16_t>(Bits());
    if (IsBlockNumber())
        return static_cast<std::uint16_t>(BlockNumber(2, false));
    return static_cast<std::uint16_t>(Variant::ToInt32());
}

std::int32_t Variant::ToInt32() const
{
    if (IsBlockNumber())
        return static_cast<std::int32_t>(BlockNumber(4, true));
    return static_cast<std::int32_t>(Variant::ToInt64());
}

std::uint32_t Variant::ToUInt32() const
{
    if (IsBlockNumber())
        return static_cast<std::uint32_t>(BlockNumber(4, false));
    return static_cast<std::uint32_t>(Variant::ToInt64());
}

std::int64_t Variant::ToInt64() const
{
    if (IsFloating())
        return RoundToInt64(FloatingValue());
    if (m_kind >= kVariantBool && m_kind <= kVariantUInt64)
        return IntegerValue();
    if (IsBlockNumber())
        return static_cast<std::int64_t>(BlockNumber(8, true));
    if (m_kind == kVariantText)
        return static_cast<std::int64_t>(m_length) - 1;
    return 0;
}

std::uint64_t Variant::ToUInt64() const
{
    if (IsFloating())
        return RoundToUInt64(FloatingValue());
    if (IsBlockNumber())
        return BlockNumber(8, false);
    return static_cast<std::uint64_t>(Variant::ToInt64());
}

double Variant::ToDouble() const
{
    if (IsFloating())
        return FloatingValue();
    if (m_kind == kVariantUInt64)
        return static_cast<double>(Bits());
    if (m_kind >= kVariantBool && m_kind <= kVariantUInt64)
        return static_cast<double>(IntegerValue());
    if (m_kind >= kVariantWritableReference && m_kind <= kVariantText)
        return static_cast<double>(Variant::ToInt64());
    return 0.0;
}

float Variant::NarrowToFloat(double value) noexcept
{
    // Beyond the float range the result is an infinity, never an undefined conversion.
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        return value > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

float Variant::ToFloat() const
{
    if (IsFloating())
        return NarrowToFloat(FloatingValue());
    if (m_kind >= kVariantWritableReference && m_kind <= kVariantText)
        return static_cast<float>(Variant::ToInt32());
    if (m_kind == kVariantUInt64)
        return static_cast<float>(Bits());
    if (m_kind >= kVariantBool && m_kind <= kVariantUInt64)
        return static_cast<float>(IntegerValue());
    return 0.0f;
}

// --- Data access and blocks -------------------------------------------------------------

const void* Variant::GetData(std::uint32_t& size) const
{
    if (const unsigned fixed = FixedSize(m_kind); fixed != 0)
    {
        size = fixed;
        return m_value;
    }
    if (m_kind >= kVariantWritableReference && m_kind <= kVariantList)
    {
        size = m_length;
        return Block();
    }
    size = 0;
    return nullptr;
}

void* Variant::GetMutableData(std::uint32_t& size)
{
    if (m_kind == kVariantReadOnlyReference || m_kind == kVariantList)
    {
        size = 0;
        return nullptr;
    }
    return const_cast<void*>(GetData(size));
}

const char* Variant::GetOwnedBuffer() const
{
    return m_kind == kVariantText ? reinterpret_cast<const char*>(Block()) : nullptr;
}

void* Variant::AllocateBlock(std::uint32_t count)
{
    return new (std::nothrow) std::uint8_t[count]();
}

void Variant::FreeBlock(void* block)
{
    delete[] static_cast<std::uint8_t*>(block);
}

// --- Equality ---------------------------------------------------------------------------

bool Variant::IsEqual(const Variant& other) const
{
    if (m_kind != other.m_kind || m_kind >= kVariantKindCount)
        return false;
    if (IsFloating())
        return FloatingValue() == other.FloatingValue();
    if (const unsigned size = FixedSize(m_kind); size != 0)
        return LoadLittleEndian(m_value, size) == LoadLittleEndian(other.m_value, size);
    if (IsReference(m_kind))
        return Block() == other.Block() && m_length == other.m_length;
    if (OwnsBlock())
        return m_length == other.m_length && (m_length == 0 || std::memcmp(Block(), other.Block(), m_length) == 0);
    return true;
}

// --- Records ----------------------------------------------------------------------------

QKRESULT Variant::Serialize(const Variant& value, void* buffer, std::uint32_t capacity)
{
    std::uint32_t length = 0;
    const void* data = value.GetData(length);
    if (!buffer || (IsReference(value.m_kind) && (!data || length == 0)) ||
        length > std::numeric_limits<std::uint32_t>::max() - kValueRecordHeaderSize)
        return QK_E_FAIL;
    const std::uint32_t size = length + kValueRecordHeaderSize;
    // A result is a signed word: a record that does not fit one cannot be reported.
    if (capacity < size || size > static_cast<std::uint32_t>(std::numeric_limits<QKRESULT>::max()))
        return QK_E_FAIL;
    std::uint8_t* out = static_cast<std::uint8_t*>(buffer);
    StoreU32(out, size);
    StoreU32(out + 4, kValueRecordNativeCodes);
    StoreU32(out + 8, value.m_kind);
    if (length != 0)
        std::memcpy(out + kValueRecordHeaderSize, data, length);
    return static_cast<QKRESULT>(size);
}

QKRESULT Variant::Deserialize(Variant& value, const void* record, std::uint32_t available)
{
    std::uint32_t nativeKind;
    return ReadRecord(value, static_cast<const std::uint8_t*>(record), available, nativeKind);
}

QKRESULT Variant::ReadRecord(Variant& value, const std::uint8_t* record, std::uint32_t available,
                             std::uint32_t& nativeKind)
{
    // The record may lie in value's own block, so value is cleared only once the header
    // has been read, and SetData copies the data before it lets the old block go.
    nativeKind = kVariantKindCount;
    if (!record || available < kValueRecordHeaderSize)
    {
        value.Clear();
        return QK_E_FAIL;
    }
    const std::uint32_t size = LoadU32(record);
    const std::uint32_t codeSpace = LoadU32(record + 4);
    const std::uint32_t code = LoadU32(record + 8);
    if (size < kValueRecordHeaderSize || size > available)
    {
        value.Clear();
        return QK_E_FAIL;
    }
    if (codeSpace == kValueRecordNativeCodes && code < kVariantKindCount)
        nativeKind = code;
    else if (codeSpace == kValueRecordPortableCodes && code < sizeof kPortableToNative / sizeof kPortableToNative[0])
        nativeKind = kPortableToNative[code];
    else
    {
        value.Clear();
        return QK_E_FAIL;
    }

    if (size == kValueRecordHeaderSize || nativeKind == kVariantEmpty)
    {
        value.Clear();
        if (size == kValueRecordHeaderSize && nativeKind == kVariantList)
            value.m_kind = kVariantList;
        const bool readable = size == kValueRecordHeaderSize &&
                              (nativeKind == kVariantEmpty || nativeKind == kVariantList);
        return readable ? QK_OK : QK_E_FAIL;
    }
    return value.SetData(nativeKind, record + kValueRecordHeaderSize, size - kValueRecordHeaderSize) == nativeKind
               ? QK_OK
               : QK_E_FAIL;
}

// --- Lists ------------------------------------------------------------------------------

QKRESULT Variant::SetList(const Variant* const* items, std::uint32_t count)
{
    if (!items && count != 0)
        return QK_E_INVALIDARG;

    // The items may include this value, whose block is replaced below.
    Variant self;
    bool aliased = false;
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        aliased = aliased || items[i] == this;
        total += RecordSize(items[i]);
    }
    if (total > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        return QK_E_FAIL;
    if (aliased)
        self.Assign(*this);

    Clear();
    m_kind = kVariantList;
    if (count == 0)
        return QK_OK;
    std::uint8_t* block = static_cast<std::uint8_t*>(AllocateBlock(static_cast<std::uint32_t>(total)));
    if (!block)
    {
        Clear();
        return QK_E_OUTOFMEMORY;
    }
    SetBlock(block);
    m_length = static_cast<std::uint32_t>(total);

    static const Variant empty;
    std::uint32_t offset = 0;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        const Variant* item = items[i] == this ? &self : items[i];
        if (!HasRecord(item))
            item = &empty;
        offset += static_cast<std::uint32_t>(Serialize(*item, block + offset, m_length - offset));
    }
    return QK_OK;
}

bool Variant::NextListRecord(ListCursor& cursor) const
{
    // A record is taken while its header lies inside the block, its size covers at least
    // the header and it ends inside the block. The first record that breaks this ends the
    // walk, so no size can make a walk loop or leave the block.
    const std::uint8_t* block = Block();
    if (m_kind != kVariantList || !block)
        return false;
    const std::uint64_t offset = std::uint64_t{cursor.offset} + cursor.size;
    if (offset + kValueRecordHeaderSize > m_length)
        return false;
    const std::uint32_t size = LoadU32(block + offset);
    if (size < kValueRecordHeaderSize || offset + size > m_length)
        return false;
    cursor.offset = static_cast<std::uint32_t>(offset);
    cursor.size = size;
    return true;
}

QKRESULT Variant::ReadListRecord(const ListCursor& cursor, Variant& out) const
{
    std::uint32_t nativeKind;
    if (Succeeded(ReadRecord(out, Block() + cursor.offset, m_length - cursor.offset, nativeKind)))
        return QK_OK;
    // A reference has no life outside its owner's memory: it arrives as the bytes it named.
    if (IsReference(nativeKind) && out.GetKind() == kVariantBytes)
        return QK_OK;
    out.Clear();
    return -1;
}

std::uint32_t Variant::GetListCount() const
{
    ListCursor cursor;
    std::uint32_t count = 0;
    while (NextListRecord(cursor))
        ++count;
    return count;
}

QKRESULT Variant::GetListItem(std::uint32_t index, Variant& out) const
{
    // Reading an item of a list into that list itself reads from a copy.
    if (&out == this)
    {
        const Variant list(*this);
        return list.GetListItem(index, out);
    }
    out.Clear();
    ListCursor cursor;
    for (std::uint32_t i = 0; i <= index; ++i)
    {
        if (!NextListRecord(cursor))
            return -1;
    }
    return ReadListRecord(cursor, out);
}

} // namespace QK
