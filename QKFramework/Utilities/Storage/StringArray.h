// String lists and string maps.
//
// StringArrayT is an Array of framework strings; its elements share their character
// buffers with the strings they were copied from. A string map is an ordered map from
// string to string (string tables, create parameters), ordered by StringT::operator<.
#pragma once

#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <map>

namespace QK
{

template <class C, class OtherC> class StringArrayT : public Array<StringT<C, OtherC>>
{
public:
    using String = StringT<C, OtherC>;

    // The first entry at or after start that matches text, or -1. Case-sensitive entries
    // match when they share text's buffer or equal it; otherwise they match when they
    // have the same characters pointer or equal it ignoring case.
    std::int32_t Find(const String& text, bool caseSensitive = true, std::uint32_t start = 0) const;
    // The last entry whose characters lie at pointer, or -1.
    std::int32_t FindData(const C* pointer) const;
};

using StringArray = StringArrayT<char16_t, char>;

// A key and its value; the value is destroyed first.
template <class Key, class Value> struct Pair
{
    Key key;
    Value value;
};

using StringPair = Pair<WString, WString>;
using StringMap = std::map<WString, WString>;

// On a hit copies the value of key into value and answers true; else false.
bool FindStringMapValue(const StringMap& map, const char16_t* key, WString& value);
// Empties out, then appends every entry of map in key order.
void CopyStringMapToArray(const StringMap& map, IArray<StringPair>& out);

extern template class StringArrayT<char16_t, char>;
extern template class StringArrayT<char, char16_t>;

} // namespace QK
