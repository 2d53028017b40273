// VariantEx: the Variant that is shown and parsed, and the small reference-counted holders
// that carry a pair or a text as a notification argument.
//
// VariantEx keeps its byte blocks, texts and lists in reference-counted buffers, so that a
// receiver can keep the buffer (GetBuffer) after the value is gone. Every kind has a fixed
// text form (ToString); a held text is parsed when a number or a bool is asked of it.
//
// Contents: VariantEx; StringToString; LPair; LWrapperStringable.
#pragma once

#include "QKFramework/Notification/TaggableObject.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/RCBuffer.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"
#include "QKFramework/Utilities/Storage/Variant.h"

#include <cstdint>
#include <new>

namespace QK
{

class VariantEx : public Variant, public IStringable
{
public:
    VariantEx() noexcept;
    VariantEx(const VariantEx& other);
    explicit VariantEx(const Variant& other);
    VariantEx& operator=(const VariantEx& other);
    VariantEx& operator=(const Variant& other);
    ~VariantEx() override;

    // A text value is parsed: ToBool is true for "True" in any case; the integer getters
    // read a leading decimal number (the 64-bit ones and ToUInt32 over the 64-bit range);
    // the floating ones a leading floating-point number. Every other kind answers as Variant.
    bool ToBool() const override;
    std::int8_t ToInt8() const override;
    std::int16_t ToInt16() const override;
    std::int32_t ToInt32() const override;
    std::int64_t ToInt64() const override;
    std::uint8_t ToUInt8() const override;
    std::uint16_t ToUInt16() const override;
    std::uint32_t ToUInt32() const override;
    std::uint64_t ToUInt64() const override;
    float ToFloat() const override;
    double ToDouble() const override;

    // A new zero-filled reference-counted buffer that becomes the held block (the previous
    // one is let go); null when there is no memory.
    void* AllocateBlock(std::uint32_t count) override;
    // Lets the held buffer go when given a block.
    void FreeBlock(void* block) override;

    // The list form: "array(N):" and one line per item, "[i] " and the item's form, each
    // nesting indented by two more blanks; "<empty array>" for a list without items. Any
    // other kind gives its ToString form. Lists nested more deeply than 64 levels below the
    // one asked for show only their header and " ...".
    virtual void ListToString(WString& out, std::int32_t level) const;

    // The text form of the value; a list is shown at the given level (0 when negative).
    void ToString(WString& out, std::int32_t level) const;
    // The text form at level -1.
    WString ToString() const override;

    // The held buffer of a byte block or text. Any other kind throws a runtime error.
    ConstRCPtr<LIBuffer> GetBuffer() const;

    using Variant::SetString;
    // The text kind over a private copy of text's characters and their NUL.
    void SetString(const NString& text);

    // Empties out and fills it with the items of a list. 0, also for the empty value
    // (no items); 0x80070057 for any other kind. An item that cannot be read stays empty.
    QKRESULT GetListItems(Array<VariantEx>& out) const;

    static QKRESULT Deserialize(VariantEx& value, const void* record, std::uint32_t available);

private:
    // The held text as wide text, bounded by the block.
    WString TextForm() const;
    // The held text's bytes before its NUL, never reaching past the block.
    NString NarrowText() const;
    bool IsText() const noexcept { return GetKind() == kVariantText; }
    void AppendListText(WString& out, std::int32_t level, std::uint32_t depth) const;

    ConstRCPtr<LIBuffer> m_block;
};

// The ToString of a holder of a string: the string itself.
struct StringToString
{
    WString operator()(const WString& text) const { return text; }
};

// A reference-counted pair whose text form is ToStringFn (called with the pair). The tag
// starts empty.
template <class A, class B, class ToStringFn, class Base = LTaggableObject>
class LPair : public Pair<A, B>, public Base
{
public:
    LPair(const A& first, const B& second) : Pair<A, B>{first, second} {}

    WString ToString() const override { return ToStringFn{}(static_cast<const Pair<A, B>&>(*this)); }
};

// A reference-counted string: senders use it to carry a text as a notification argument.
template <class S = WString, class ToStringFn = StringToString, class Base = LTaggableObject>
class LWrapperStringable : public S, public Base
{
public:
    explicit LWrapperStringable(const S& text) : S(text) {}

    // A new holder of a copy of text. Throws Exception<std::bad_alloc> without memory.
    static ConstRCPtr<LWrapperStringable> Create(const S& text)
    {
        LWrapperStringable* holder = new (std::nothrow) LWrapperStringable(text);
        if (!holder)
            ThrowBadAlloc();
        return ConstRCPtr<LWrapperStringable>(holder);
    }

    WString ToString() const override { return ToStringFn{}(static_cast<const S&>(*this)); }
};

} // namespace QK
