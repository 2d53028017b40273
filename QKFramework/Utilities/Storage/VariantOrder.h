// The ordering of values: a strict total order over Variants, for sorted lists of them.
//
// The empty value sorts first, then the numbers (bool and every integer and floating kind,
// compared by value; a NaN after every number), then the references (by length, bytes,
// then address), then the owned blocks, texts and lists (by byte length first, then byte by byte
// as unsigned bytes). Values that this leaves tied but that are of different kinds sort
// by kind, so two values are unordered exactly when they are the same kind and value.
#pragma once

#include "QKFramework/Utilities/Storage/Variant.h"

namespace QK
{

bool IsVariantLess(const Variant& a, const Variant& b);

// The ordering as a comparison object for sorted containers and searches.
struct VariantLess
{
    bool operator()(const Variant& a, const Variant& b) const { return IsVariantLess(a, b); }
};

} // namespace QK
