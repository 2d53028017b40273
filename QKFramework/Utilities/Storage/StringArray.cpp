#include "QKFramework/Utilities/Storage/StringArray.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"

namespace QK
{

template <class C, class OtherC>
std::int32_t StringArrayT<C, OtherC>::Find(const String& text, bool caseSensitive, std::uint32_t start) const
{
    const std::uint32_t count = this->GetCount();
    for (std::uint32_t i = start; i < count; ++i)
    {
        const String& entry = *this->GetAt(i);
        const bool match =
            entry.GetString() == text.GetString() ||
            (caseSensitive ? entry.IsEqual(text) : CompareNoCase(entry.GetString(), text.GetString()) == 0);
        if (match)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

template <class C, class OtherC> std::int32_t StringArrayT<C, OtherC>::FindData(const C* pointer) const
{
    for (std::uint32_t i = this->GetCount(); i-- > 0;)
    {
        if (this->GetAt(i)->GetString() == pointer)
            return static_cast<std::int32_t>(i);
    }
    return -1;
}

template <class C, class OtherC>
void StringT<C, OtherC>::SplitInto(const C* separators, StringArrayT<C, OtherC>& parts) const
{
    const StringT& text = *this;
    parts.RemoveAll();
    const C* chars = text.GetString();
    const std::uint32_t length = text.GetLength();
    const auto isSeparator = [separators](C c)
    { return separators && FindLastChar(separators, c) && c != 0; };

    std::uint32_t start = 0;
    bool any = false;
    while (start < length)
    {
        std::uint32_t end = start;
        while (end < length && !isSeparator(chars[end]))
            ++end;
        if (end == length && !any)
            break;
        any = true;
        parts.Add(text.Mid(static_cast<std::int32_t>(start), static_cast<std::int32_t>(end - start)));
        start = end + 1;
    }
    if (!any)
        parts.Add(text);
}

bool FindStringMapValue(const StringMap& map, const char16_t* key, WString& value)
{
    const auto found = map.find(WString(key));
    if (found == map.end())
        return false;
    value = found->second;
    return true;
}

void CopyStringMapToArray(const StringMap& map, IArray<StringPair>& out)
{
    out.RemoveAll();
    for (const auto& [key, value] : map)
        out.Add(StringPair{key, value});
}

template class StringArrayT<char16_t, char>;
template class StringArrayT<char, char16_t>;
template void StringT<char16_t, char>::SplitInto(const char16_t*, StringArrayT<char16_t, char>&) const;
template void StringT<char, char16_t>::SplitInto(const char*, StringArrayT<char, char16_t>&) const;

} // namespace QK
