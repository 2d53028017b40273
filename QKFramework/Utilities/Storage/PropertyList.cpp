// Nodes of a property-list tree and the paths that find them. The writer and the reader
// live in PropertyListWriter.cpp and PropertyListReader.cpp.
//
// Contents: creation and destruction; values; containers; lookup and dirty marks; paths.
#include "QKFramework/Utilities/Storage/PropertyList.h"

#include "QKFramework/Platform/Core/CLocaleScope.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace QK
{

namespace
{

std::size_t LengthOf(const char* text, std::size_t length)
{
    return length != 0 || text == nullptr ? length : std::strlen(text);
}

bool EqualIgnoringCase(const char* a, const char* b, std::size_t length)
{
    for (std::size_t i = 0; i < length; ++i)
    {
        if ((a[i] | 0x20) != (b[i] | 0x20))
            return false;
    }
    return true;
}

void EraseFirst(std::vector<XNode*>& list, XNode* item)
{
    const auto found = std::find(list.begin(), list.end(), item);
    if (found != list.end())
        list.erase(found);
}

std::int32_t ParseInteger(const std::string& text)
{
    CLocaleScope locale;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 0);
    // Beyond the 32-bit range the value is held at its end, as a 32-bit strtol does.
    return static_cast<std::int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

float ParseReal(const std::string& text)
{
    CLocaleScope locale;
    return std::strtof(text.c_str(), nullptr);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Creation and destruction

XNode* XNode::Create(XNode* parent, std::uint32_t type)
{
    XNode* node = new XNode();
    node->m_flags = type & kTypeMask;
    if (parent)
        AddChild(parent, node);
    return node;
}

void XNode::Destroy(XNode* node)
{
    if (!node)
        return;
    for (XNode* parent : node->m_parents)
        std::replace(parent->m_children.begin(), parent->m_children.end(), node,
                     static_cast<XNode*>(nullptr));
    node->m_parents.clear();
    ClearValue(node);
    delete node;
}

void XNode::ReleaseFromContainer(XNode* node, XNode* container)
{
    EraseFirst(node->m_parents, container);
    if (node->m_refCount > 0)
        --node->m_refCount;
    if (node->m_refCount == 0)
        Destroy(node);
}

// ---------------------------------------------------------------------------------------------
// Values

bool XNode::SetType(XNode* node, std::uint32_t type)
{
    if (node->GetType() == (type & kTypeMask))
        return false;
    ClearValue(node);
    node->m_flags = (node->m_flags & ~kTypeMask) | (type & kTypeMask);
    return true;
}

void XNode::ClearValue(XNode* node)
{
    // Taken out first, so that a child reaching back here finds nothing half removed.
    std::vector<XNode*> children;
    children.swap(node->m_children);
    for (XNode* child : children)
    {
        if (child)
            ReleaseFromContainer(child, node);
    }
    node->m_text.clear();
    node->m_text.shrink_to_fit();
    node->m_bool = false;
    node->m_integer = 0;
    node->m_real = 0.0f;
    node->m_flags &= ~kTypeMask;
}

void XNode::SetKey(XNode* node, const char* text, std::size_t length)
{
    length = LengthOf(text, length);
    if (text == nullptr || length == 0)
    {
        node->m_key.clear();
        node->m_keyHash = 0;
        return;
    }
    node->m_key.assign(text, length);
    node->m_keyHash = KeyHash(text, length);
}

void XNode::SetString(XNode* node, const char* text)
{
    ClearValue(node);
    node->m_flags |= kTypeString;
    SetValueFromText(node, text ? text : "");
}

void XNode::SetInteger(XNode* node, std::int32_t value)
{
    const bool changed = SetType(node, kTypeInteger) || node->m_integer != value;
    node->m_integer = value;
    if (changed)
        SetDirty(node, true);
}

void XNode::SetValueFromText(XNode* node, const char* text, std::size_t length)
{
    length = LengthOf(text, length);
    if (text == nullptr)
        text = "";
    switch (node->GetType())
    {
    case kTypeString:
        node->m_text.append(text, length);
        break;
    case kTypeBool:
        node->m_bool = length >= 4 && EqualIgnoringCase(text, "true", 4);
        break;
    case kTypeInteger:
        node->m_integer = ParseInteger(std::string(text, length));
        break;
    case kTypeReal:
        node->m_real = ParseReal(std::string(text, length));
        break;
    case kTypeData:
        node->m_text.assign(text, length);
        break;
    default:
        break;
    }
    SetDirty(node, true);
}

void XNode::SetFlag(XNode* node, std::uint32_t flag, bool set)
{
    flag &= ~kTypeMask;
    if (set)
        node->m_flags |= flag;
    else
        node->m_flags &= ~flag;
}

// ---------------------------------------------------------------------------------------------
// Containers

bool XNode::AddChild(XNode* container, XNode* child)
{
    if (!container || !child || child == container || !container->IsContainer())
        return false;
    container->m_children.push_back(child);
    child->m_parents.push_back(container);
    ++child->m_refCount;
    if (!child->HasFlag(kFlagVolatile))
        SetDirty(container, true);
    return true;
}

void XNode::RemoveChild(XNode* container, XNode* child)
{
    if (!container || !child)
        return;
    const auto found = std::find(container->m_children.begin(), container->m_children.end(), child);
    if (found == container->m_children.end())
        return;
    container->m_children.erase(found);
    const bool isVolatile = child->HasFlag(kFlagVolatile);
    ReleaseFromContainer(child, container);
    if (!isVolatile)
        SetDirty(container, true);
}

bool XNode::SetArrayCount(XNode* array, std::uint32_t count)
{
    if (!array || array->GetType() != kTypeArray)
        return false;
    while (array->m_children.size() > count)
    {
        XNode* last = array->m_children.back();
        array->m_children.pop_back();
        if (!last)
            continue;
        const bool isVolatile = last->HasFlag(kFlagVolatile);
        ReleaseFromContainer(last, array);
        if (!isVolatile)
            SetDirty(array, true);
    }
    array->m_children.resize(count, nullptr);
    return true;
}

bool XNode::SetArrayItem(XNode* array, std::uint32_t index, XNode* node)
{
    if (!array || array->GetType() != kTypeArray || node == array)
        return false;
    if (array->m_children.size() <= index)
        array->m_children.resize(static_cast<std::size_t>(index) + 1, nullptr);
    XNode* old = array->m_children[index];
    if (old == node)
        return true;
    if (node)
    {
        node->m_parents.push_back(array);
        ++node->m_refCount;
    }
    array->m_children[index] = node;
    if (old)
        ReleaseFromContainer(old, array);
    if (!node || !node->HasFlag(kFlagVolatile))
        SetDirty(array, true);
    return true;
}

std::uint32_t XNode::CountChildren(const XNode* node, bool includeVolatile)
{
    if (!node || !node->IsContainer())
        return 0;
    std::uint32_t count = 0;
    for (const XNode* child : node->m_children)
    {
        if (child && (includeVolatile || !child->HasFlag(kFlagVolatile)))
            ++count;
    }
    return count;
}

// ---------------------------------------------------------------------------------------------
// Lookup and dirty marks

std::uint32_t XNode::KeyHash(const char* key, std::size_t length)
{
    std::uint32_t hash = 0;
    int previous = 0;
    for (std::size_t i = 0; i < length; ++i)
    {
        const int c = static_cast<std::int8_t>(static_cast<unsigned char>(key[i]) | 0x20);
        hash += static_cast<std::uint32_t>((c + 1) * (previous + 1));
        previous = c;
    }
    return hash;
}

XNode* XNode::FindChild(const XNode* node, const char* key, std::size_t length)
{
    if (!node || !key || !node->IsContainer())
        return nullptr;
    length = LengthOf(key, length);
    const std::uint32_t hash = KeyHash(key, length);
    for (XNode* child : node->m_children)
    {
        if (child && child->m_keyHash == hash && child->m_key.size() == length &&
            EqualIgnoringCase(child->m_key.data(), key, length))
            return child;
    }
    return nullptr;
}

void XNode::SetDirty(XNode* node, bool dirty)
{
    std::vector<XNode*> pending{node};
    while (!pending.empty())
    {
        XNode* current = pending.back();
        pending.pop_back();
        if (dirty)
        {
            if (current->HasFlag(kFlagDirty) || current->HasFlag(kFlagVolatile))
                continue;
            current->m_flags |= kFlagDirty;
            pending.insert(pending.end(), current->m_parents.begin(), current->m_parents.end());
        }
        else
        {
            current->m_flags &= ~kFlagDirty;
            for (XNode* child : current->m_children)
            {
                if (child)
                    pending.push_back(child);
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Paths

namespace
{

// Reads "[digits]" at text; false for anything else or a number beyond the 32-bit range.
bool ParseIndex(const char*& text, std::uint32_t& index)
{
    const char* p = text + 1;
    std::uint64_t value = 0;
    const char* digits = p;
    while (*p >= '0' && *p <= '9')
    {
        value = value * 10 + static_cast<std::uint64_t>(*p - '0');
        if (value > INT32_MAX)
            return false;
        ++p;
    }
    if (p == digits || *p != ']')
        return false;
    index = static_cast<std::uint32_t>(value);
    text = p + 1;
    return true;
}

} // namespace

XNode* XNode::GetNode(XNode* node, const char* path, std::uint32_t options)
{
    if (!node)
        return nullptr;
    const bool create = (options & (kPathCreate | kPathCreateVolatile)) != 0;
    const bool makeVolatile = (options & kPathCreateVolatile) != 0;
    XNode* current = node;
    XNode* container = nullptr;
    const char* p = path ? path : "";
    while (*p != 0)
    {
        if (*p == '.')
        {
            ++p;
            continue;
        }
        XNode* next = nullptr;
        if (*p == '[')
        {
            std::uint32_t index = 0;
            if (!ParseIndex(p, index))
                return nullptr;
            if (current->IsContainer() && index < current->m_children.size())
            {
                next = current->m_children[index];
                if (!next)
                    return nullptr;
            }
            else if (!create)
            {
                return nullptr;
            }
            else
            {
                if (!current->IsContainer() || current->m_children.empty())
                    SetType(current, kTypeArray);
                while (current->m_children.size() <= index)
                {
                    XNode* element = Create(nullptr, kTypeDict);
                    SetFlag(element, kFlagVolatile, makeVolatile);
                    AddChild(current, element);
                }
                next = current->m_children[index];
            }
        }
        else
        {
            const char* name = p;
            while (*p != 0 && *p != '.' && *p != '[')
                ++p;
            const std::size_t length = static_cast<std::size_t>(p - name);
            next = FindChild(current, name, length);
            if (!next)
            {
                if (!create)
                    return nullptr;
                SetType(current, kTypeDict);
                next = Create(nullptr, kTypeNone);
                SetKey(next, name, length);
                SetFlag(next, kFlagVolatile, makeVolatile && *p == 0);
                AddChild(current, next);
            }
        }
        container = current;
        current = next;
    }
    if (options & kPathRemove)
    {
        if (!container && !current->m_parents.empty())
            container = current->m_parents.front();
        if (container)
        {
            RemoveChild(container, current);
            return nullptr;
        }
    }
    return current;
}

} // namespace QK
