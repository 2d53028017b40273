// Variant: the framework's typed value, and the value record that carries it in bytes.
//
// A Variant holds nothing, a bool, an 8- to 64-bit integer, a float, a double, a reference
// to bytes it does not own, an owned byte block, an owned UTF-8 text (with its NUL) or a
// list of further values, and converts its value to any numeric type on request
// (conversions never fail: an unsuitable kind gives 0, false or 0.0).
//
// The value record is the wire and file form, shared with the device-control library and
// stored preset files. All fields are little-endian 32-bit, written byte by byte:
//     size (12 + data length) | code space (written 1) | kind | data
// Code space 1 holds a native kind (0..16); code space 0, accepted when reading, a portable
// code (0..10). A list is a block of such records laid end to end. Whatever the bytes, the
// readers stay inside the block they are given and answer a failure instead.
//
// Owned blocks are obtained through AllocateBlock and returned through FreeBlock, so that a
// derived class can keep them elsewhere (VariantEx keeps them in reference-counted buffers).
//
// A Variant has no lock and belongs to one thread at a time.
#pragma once

#include "QKFramework/ObjectBase/Result.h"

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace QK
{

// The native kind codes.
enum VariantKind : std::uint32_t
{
    kVariantEmpty = 0,
    kVariantBool = 1,
    kVariantInt8 = 2,
    kVariantUInt8 = 3,
    kVariantInt16 = 4,
    kVariantUInt16 = 5,
    kVariantInt32 = 6,
    kVariantUInt32 = 7,
    kVariantFloat = 8,
    kVariantDouble = 9,
    kVariantInt64 = 10,
    kVariantUInt64 = 11,
    kVariantWritableReference = 12,
    kVariantReadOnlyReference = 13,
    kVariantBytes = 14,
    kVariantText = 15,
    kVariantList = 16,
};

// Kinds are below this code.
inline constexpr std::uint32_t kVariantKindCount = 17;
// Size of a record without its data.
inline constexpr std::uint32_t kValueRecordHeaderSize = 12;
// Code spaces of a record's kind field.
inline constexpr std::uint32_t kValueRecordPortableCodes = 0;
inline constexpr std::uint32_t kValueRecordNativeCodes = 1;

class Variant
{
public:
    Variant() noexcept;
    // Copies as Assign does.
    Variant(const Variant& other);
    Variant& operator=(const Variant& other);

    // Frees an owned block, clears the value.
    virtual ~Variant();

    // Conversions. Floating-point values are rounded half away from zero; the 8- and 16-bit
    // results are the low bits of the 32-bit one. References and byte blocks are read as a
    // little-endian number from their first bytes (a shorter block gives the bytes it has,
    // zero-extended); a text gives its byte count; a list and the empty value give 0.
    virtual bool ToBool() const;
    virtual std::int8_t ToInt8() const;
    virtual std::int16_t ToInt16() const;
    virtual std::int32_t ToInt32() const;
    virtual std::int64_t ToInt64() const;
    // Answers exactly as ToInt8.
    virtual std::uint8_t ToUInt8() const;
    virtual std::uint16_t ToUInt16() const;
    virtual std::uint32_t ToUInt32() const;
    virtual std::uint64_t ToUInt64() const;
    virtual float ToFloat() const;
    virtual double ToDouble() const;

    // The value's bytes as a record carries them: null and 0 when empty; the value field
    // and 1, 2, 4 or 8 for the fixed kinds; the block and its length for the others.
    virtual const void* GetData(std::uint32_t& size) const;
    // As GetData, but only the fixed kinds, the writable reference, the byte block and the
    // text answer; the others give null and 0.
    virtual void* GetMutableData(std::uint32_t& size);
    // The text's block for the text kind, else null.
    virtual const char* GetOwnedBuffer() const;
    // A new zero-filled block of count bytes (count above 0), or null when there is no memory.
    virtual void* AllocateBlock(std::uint32_t count);
    // Releases a block from AllocateBlock; null does nothing.
    virtual void FreeBlock(void* block);

    std::uint32_t GetKind() const noexcept { return m_kind; }
    // The block's byte length for the reference and owning kinds, else 0.
    std::uint32_t GetLength() const noexcept { return m_length; }

    // Becomes a copy of other, with a block of its own for the owning kinds; an allocation
    // that fails leaves it empty. Answers the resulting kind.
    std::uint32_t Assign(const Variant& other);
    // A byte block holding count bytes of bytes (zeros for null bytes). A count of 0 gives
    // the kind with no block.
    void SetBytes(const void* bytes, std::uint32_t count);
    // A text holding text and its NUL; null is the empty text.
    void SetString(const char* text);
    // The kind from raw bytes: the fixed kinds need exactly their size; the references,
    // the byte block and the list become an owned block (kind 16 for a list, else 14); the
    // text takes the bytes up to its NUL or, without one, all count bytes. Answers the kind
    // held afterwards; bytes that do not fit the kind leave the value empty.
    std::uint32_t SetData(std::uint32_t kind, const void* bytes, std::uint32_t count);
    // References to bytes the value does not own; they must outlive it.
    void SetWritableReference(void* bytes, std::uint32_t length);
    void SetReadOnlyReference(const void* bytes, std::uint32_t length);
    void Clear();

    // A list of the records of items, in order. A reference without data, which has no
    // record, is written as an empty value; so is a null item. Count 0 gives a list with no
    // block. 0; 0x80070057 for null items with a count; 0x80004005 when the records would
    // take 2 GiB or more (the value is unchanged then); 0x8007000E without memory (the
    // value is empty then).
    QKRESULT SetList(const Variant* const* items, std::uint32_t count);
    template <class V>
        requires std::derived_from<V, Variant>
    QKRESULT SetList(const V* items, std::uint32_t count)
    {
        if (!items && count != 0)
            return QK_E_INVALIDARG;
        std::vector<const Variant*> pointers(count);
        for (std::uint32_t i = 0; i < count; ++i)
            pointers[i] = &items[i];
        return SetList(pointers.data(), count);
    }

    // The number of records in a list; 0 for any other kind. Counting stops at the first
    // record whose size is below 12 or that reaches past the block.
    std::uint32_t GetListCount() const;
    // Reads item index of a list into out, which is emptied first. 0, also for an item of
    // a reference kind, which reads as a byte block; -1 for a value that is not a list, an
    // index past the count or a record that cannot be read (out stays empty then).
    QKRESULT GetListItem(std::uint32_t index, Variant& out) const;

    // Same kind and same value; a NaN equals nothing; references compare address and
    // length, owned blocks their bytes.
    bool IsEqual(const Variant& other) const;

    // Writes value's record into buffer. Answers the record size, or 0x80004005 for a null
    // buffer, a capacity below the record size or a reference without data.
    static QKRESULT Serialize(const Variant& value, void* buffer, std::uint32_t capacity);
    // Reads one record of at most available bytes into value. 0, or 0x80004005 for a
    // record that is short, runs past available, names an unknown code space or kind, or
    // whose data does not fit its kind; value is then empty, or holds what SetData made of
    // the data (a reference loads as a byte block and reports 0x80004005).
    static QKRESULT Deserialize(Variant& value, const void* record, std::uint32_t available);

protected:
    // A position in a list's walk: the current record, or before the first one.
    struct ListCursor
    {
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
    };
    // Steps onto the next record of a list; false when the walk has ended.
    bool NextListRecord(ListCursor& cursor) const;
    // Reads the record under cursor into out (not this value) by GetListItem's rule.
    QKRESULT ReadListRecord(const ListCursor& cursor, Variant& out) const;

    // Reads a record; nativeKind receives the kind it names once that is known, else 17.
    static QKRESULT ReadRecord(Variant& value, const std::uint8_t* record, std::uint32_t available,
                               std::uint32_t& nativeKind);
    // A double as a float; beyond the float range an infinity.
    static float NarrowToFloat(double value) noexcept;

private:
    std::uint64_t Bits() const noexcept;
    const std::uint8_t* Block() const noexcept;
    void SetBlock(const void* block) noexcept;
    // The integer kinds as a 64-bit number: the signed kinds sign-extended, the rest as stored.
    std::int64_t IntegerValue() const noexcept;
    // The first bytes of a reference or byte block as a little-endian number of width bytes.
    std::uint64_t BlockNumber(unsigned width, bool isSigned) const noexcept;
    double FloatingValue() const noexcept;
    bool IsFloating() const noexcept { return m_kind == kVariantFloat || m_kind == kVariantDouble; }
    bool IsBlockNumber() const noexcept { return m_kind >= kVariantWritableReference && m_kind <= kVariantBytes; }
    bool OwnsBlock() const noexcept { return m_kind >= kVariantBytes; }
    // The text kind holding length bytes of text and a NUL.
    void SetText(const char* text, std::size_t length);
    // The owning kind with a zero-filled block of size bytes that starts with copied bytes
    // of bytes (which may lie in the current block); false (and empty) without memory.
    bool TakeCopy(std::uint32_t kind, const void* bytes, std::uint32_t copied, std::uint32_t size);
    bool LiesInBlock(const void* bytes) const noexcept;

    // Fixed kinds: the value, little-endian, zero beyond its width. Reference and owning
    // kinds: the block's address (pointer-sized).
    std::uint8_t m_value[8];
    std::uint32_t m_length;
    std::uint32_t m_kind;
};

static_assert(sizeof(void*) <= 8, "a block address must fit in the value field");

// Equality by Variant::IsEqual, so that arrays of values compare item by item.
inline bool operator==(const Variant& a, const Variant& b)
{
    return a.IsEqual(b);
}

} // namespace QK
