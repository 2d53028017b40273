// Contents: construction and blocks; parsing getters; text forms; buffers, texts and lists.
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <cinttypes>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

namespace QK
{

namespace
{

// Blocks sized exactly as asked.
using BlockBuffer = LBufferT<1, 0>;

// Deeper lists than this below the level asked for are shown by their header only: the
// nesting of a list from a file is not bounded by anything else.
constexpr std::uint32_t kMaxListTextDepth = 64;

WString Indent(std::int32_t level)
{
    WString indent;
    for (std::int32_t i = 0; i < level; ++i)
        indent.Append(WString(u"  "));
    return indent;
}

// Adds a framework string's text up to its end (or a NUL in it, where it would end too).
void AppendText(std::u16string& text, const WString& piece)
{
    text += std::u16string_view(piece.GetString());
}

void AppendNumber(std::u16string& text, std::uint32_t number)
{
    for (const char digit : std::to_string(number))
        text += static_cast<char16_t>(digit);
}

void AppendListTextTo(const VariantEx& value, std::u16string& text, std::int32_t level, std::uint32_t depth)
{
    if (value.GetKind() != kVariantList)
    {
        WString single;
        value.ToString(single, -1);
        AppendText(text, single);
        return;
    }
    Array<VariantEx> items;
    value.GetListItems(items);
    const std::uint32_t count = items.GetCount();
    if (count == 0)
    {
        text += u"<empty array>";
        return;
    }
    text += u"array(";
    AppendNumber(text, count);
    text += u"):";
    if (depth >= kMaxListTextDepth)
    {
        text += u" ...";
        return;
    }
    const WString indent = Indent(level) + WString(u"  ");
    for (std::uint32_t i = 0; i < count; ++i)
    {
        text += u"\n";
        AppendText(text, indent);
        text += u'[';
        AppendNumber(text, i);
        text += u"] ";
        AppendListTextTo(*items.GetAt(i), text, level + 1, depth + 1);
    }
}

} // namespace

// --- Construction and blocks ------------------------------------------------------------

VariantEx::VariantEx() noexcept = default;

// The base starts empty, so that every block is made by this class's AllocateBlock.
VariantEx::VariantEx(const VariantEx& other) : Variant(), IStringable()
{
    Assign(other);
}

VariantEx::VariantEx(const Variant& other) : Variant()
{
    Assign(other);
}

VariantEx& VariantEx::operator=(const VariantEx& other)
{
    Assign(other);
    return *this;
}

VariantEx& VariantEx::operator=(const Variant& other)
{
    Assign(other);
    return *this;
}

VariantEx::~VariantEx()
{
    // The base destructor could only reach the base FreeBlock.
    Clear();
}

void* VariantEx::AllocateBlock(std::uint32_t count)
{
    ConstRCPtr<LIBuffer> buffer;
    try
    {
        BlockBuffer::Create(buffer, count, 0, true);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
    m_block = buffer;
    return m_block->GetBuffer();
}

void VariantEx::FreeBlock(void* block)
{
    if (block)
        m_block = nullptr;
}

// --- Parsing getters --------------------------------------------------------------------

bool VariantEx::ToBool() const
{
    if (!IsText())
        return Variant::ToBool();
    return CompareNoCase(TextForm().GetString(), u"True") == 0;
}

std::int8_t VariantEx::ToInt8() const
{
    return IsText() ? static_cast<std::int8_t>(VariantEx::ToInt32()) : Variant::ToInt8();
}

std::uint8_t VariantEx::ToUInt8() const
{
    return IsText() ? static_cast<std::uint8_t>(VariantEx::ToInt32()) : Variant::ToUInt8();
}

std::int16_t VariantEx::ToInt16() const
{
    return IsText() ? static_cast<std::int16_t>(VariantEx::ToInt32()) : Variant::ToInt16();
}

std::uint16_t VariantEx::ToUInt16() const
{
    return IsText() ? static_cast<std::uint16_t>(VariantEx::ToInt32()) : Variant::ToUInt16();
}

std::int32_t VariantEx::ToInt32() const
{
    return IsText() ? ParseInt(TextForm().GetString()) : Variant::ToInt32();
}

std::uint32_t VariantEx::ToUInt32() const
{
    return IsText() ? static_cast<std::uint32_t>(VariantEx::ToInt64()) : Variant::ToUInt32();
}

std::int64_t VariantEx::ToInt64() const
{
    return IsText() ? ParseInt64(NarrowText().GetString()) : Variant::ToInt64();
}

std::uint64_t VariantEx::ToUInt64() const
{
    return IsText() ? static_cast<std::uint64_t>(VariantEx::ToInt64()) : Variant::ToUInt64();
}

float VariantEx::ToFloat() const
{
    return IsText() ? NarrowToFloat(VariantEx::ToDouble()) : Variant::ToFloat();
}

double VariantEx::ToDouble() const
{
    return IsText() ? ParseDouble(TextForm().GetString()) : Variant::ToDouble();
}

WString VariantEx::TextForm() const
{
    WString text;
    const NString narrow = NarrowText();
    text.AssignConverted(narrow.GetString(), narrow.GetLength());
    return text;
}

NString VariantEx::NarrowText() const
{
    // The block can be written through GetMutableData, NUL included: the text never
    // reaches past the block.
    NString text;
    const char* block = GetOwnedBuffer();
    if (block && GetLength() > 1)
        text.Assign(block, GetLength() - 1);
    return text;
}

// --- Text forms -------------------------------------------------------------------------

WString VariantEx::ToString() const
{
    WString text;
    ToString(text, -1);
    return text;
}

void VariantEx::ToString(WString& out, std::int32_t level) const
{
    std::uint32_t size = 0;
    const void* data = GetData(size);
    switch (GetKind())
    {
    case kVariantEmpty:
        out = WString(u"<empty>");
        return;
    case kVariantBool:
        out = WString(Variant::ToInt64() != 0 ? u"true" : u"false");
        return;
    case kVariantInt8:
    case kVariantInt16:
    {
        const std::int32_t value = Variant::ToInt32();
        out = WString::Format(GetKind() == kVariantInt8 ? u"%d (0x%02X)" : u"%d (0x%04X)", value,
                              static_cast<std::uint32_t>(value));
        return;
    }
    case kVariantUInt8:
    case kVariantUInt16:
    {
        const std::uint32_t value = Variant::ToUInt32();
        out = WString::Format(GetKind() == kVariantUInt8 ? u"%u (0x%02X)" : u"%u (0x%04X)", value, value);
        return;
    }
    case kVariantInt32:
        out = WString::Format(u"%d (0x%08X)", Variant::ToInt32(), Variant::ToUInt32());
        return;
    case kVariantUInt32:
        out = WString::Format(u"%u (0x%08X)", Variant::ToUInt32(), Variant::ToUInt32());
        return;
    case kVariantFloat:
    case kVariantDouble:
        out = WString::Format(u"%f", Variant::ToDouble());
        return;
    case kVariantInt64:
        out = WString::Format(u"%" PRId64 " (0x%" PRIX64 ")", Variant::ToInt64(), Variant::ToUInt64());
        return;
    case kVariantUInt64:
        out = WString::Format(u"%" PRIX64, Variant::ToUInt64());
        return;
    case kVariantWritableReference:
    case kVariantReadOnlyReference:
    case kVariantBytes:
        // The block's address.
        out = WString::Format(u"%" PRIX64, static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(data)));
        return;
    case kVariantText:
        out = TextForm();
        return;
    case kVariantList:
        ListToString(out, level < 0 ? 0 : level);
        return;
    default:
        out.Clear();
        return;
    }
}

void VariantEx::ListToString(WString& out, std::int32_t level) const
{
    AppendListText(out, level, 0);
}

void VariantEx::AppendListText(WString& out, std::int32_t level, std::uint32_t depth) const
{
    // The text grows in one standard string and becomes the framework string once: appending
    // to a framework string measures and grows it every time, which made a long list's text
    // take time in the square of its length.
    std::u16string text;
    AppendListTextTo(*this, text, level, depth);
    out.Assign(text.c_str());
}

// --- Buffers, texts and lists -----------------------------------------------------------

ConstRCPtr<LIBuffer> VariantEx::GetBuffer() const
{
    if (GetKind() != kVariantBytes && GetKind() != kVariantText)
        Throw<std::runtime_error>(ThrowSite{"QK::VariantEx::GetBuffer", "Utilities\\Storage\\VariantEx", 464});
    return m_block;
}

void VariantEx::SetString(const NString& text)
{
    Variant::SetString(text.GetString());
}

QKRESULT VariantEx::GetListItems(Array<VariantEx>& out) const
{
    out.RemoveAll();
    if (GetKind() == kVariantEmpty)
        return QK_OK;
    if (GetKind() != kVariantList)
        return QK_E_INVALIDARG;
    const std::uint32_t count = GetListCount();
    if (Failed(out.SetCount(count)))
        return QK_E_OUTOFMEMORY;
    // One walk for all items: reading each by its index would walk the list again each time.
    ListCursor cursor;
    for (std::uint32_t i = 0; i < count && NextListRecord(cursor); ++i)
        ReadListRecord(cursor, *out.GetAt(i));
    return QK_OK;
}

QKRESULT VariantEx::Deserialize(VariantEx& value, const void* record, std::uint32_t available)
{
    return Variant::Deserialize(value, record, available);
}

} // namespace QK
