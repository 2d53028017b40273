// libFuzzer target for the property-list reader (the settings files): the input is parsed
// as a document; a tree that parses is walked, written back and parsed again, and the second
// tree must equal the first. Nodes without a type are not written, so the comparison skips
// them, the root included: the reader takes the visible and locked attributes of any
// element, also of one that names no type ("<truu visible="true"/>"), but the writer writes
// nothing at all for such a node, so its flags cannot come back. Keys count only in dicts,
// where they are written.
#include "QKFramework/Utilities/Storage/PropertyList.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using QK::XNode;

namespace
{

// Reals travel as "%f" text: equal when they write alike.
std::string RealText(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

std::vector<const XNode*> WrittenChildren(const XNode* node)
{
    std::vector<const XNode*> children;
    for (std::uint32_t i = 0; i < node->GetSlotCount(); ++i)
    {
        const XNode* child = node->GetSlot(i);
        if (child && child->GetType() != XNode::kTypeNone)
            children.push_back(child);
    }
    return children;
}

// Every child of a parsed tree is found again through the path syntax: a dict's child by its
// key (when the key holds no path characters), an array's by its index. Answers whether the
// tree holds a node without a type.
bool Walk(XNode* node, int depth)
{
    bool untyped = node->GetType() == XNode::kTypeNone;
    FUZZ_CHECK(depth < XNode::kMaxLevels);
    for (std::uint32_t i = 0; i < node->GetSlotCount(); ++i)
    {
        XNode* child = node->GetSlot(i);
        if (node->GetType() == XNode::kTypeArray)
        {
            const std::string path = "[" + std::to_string(i) + "]";
            FUZZ_CHECK(XNode::GetNode(node, path.c_str(), 0) == child);
        }
        else if (child && child->HasKey() && child->GetKey().find_first_of(".[", 0) == std::string::npos &&
                 child->GetKey().find('\0') == std::string::npos)
        {
            XNode* found = XNode::GetNode(node, child->GetKey().c_str(), 0);
            FUZZ_CHECK(found != nullptr);
            FUZZ_CHECK(found == XNode::FindChild(node, child->GetKey().c_str()));
            FUZZ_CHECK(found->GetKeyHash() == child->GetKeyHash());
        }
        if (child)
        {
            FUZZ_CHECK(child->GetReferenceCount() >= 1);
            untyped = Walk(child, depth + 1) || untyped;
        }
    }
    return untyped;
}

bool Equal(const XNode* a, const XNode* b, bool keyed, int depth)
{
    FUZZ_CHECK(depth < XNode::kMaxLevels);
    if (a->GetType() == XNode::kTypeNone && b->GetType() == XNode::kTypeNone)
        return true;
    if (a->GetType() != b->GetType() || a->HasFlag(XNode::kFlagVisible) != b->HasFlag(XNode::kFlagVisible) ||
        a->HasFlag(XNode::kFlagLocked) != b->HasFlag(XNode::kFlagLocked))
        return false;
    if (keyed && a->GetKey() != b->GetKey())
        return false;
    switch (a->GetType())
    {
    case XNode::kTypeString:
    case XNode::kTypeData:
        return a->GetText() == b->GetText();
    case XNode::kTypeBool:
        return a->GetBool() == b->GetBool();
    case XNode::kTypeInteger:
        return a->GetInteger() == b->GetInteger();
    case XNode::kTypeReal:
        return RealText(a->GetReal()) == RealText(b->GetReal());
    case XNode::kTypeDict:
    case XNode::kTypeArray:
    {
        const std::vector<const XNode*> left = WrittenChildren(a);
        const std::vector<const XNode*> right = WrittenChildren(b);
        if (left.size() != right.size())
            return false;
        for (std::size_t i = 0; i < left.size(); ++i)
        {
            if (!Equal(left[i], right[i], a->GetType() == XNode::kTypeDict, depth + 1))
                return false;
        }
        return true;
    }
    default:
        return true;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Parse reads up to a NUL when given a length of 0.
    if (size == 0)
        return 0;
    const auto* text = reinterpret_cast<const char*>(data);

    XNode* errorNode = XNode::Create(nullptr, XNode::kTypeNone);
    const QK::XNodeTree first(XNode::Parse(text, size, nullptr, errorNode));
    if (!first)
    {
        FUZZ_CHECK(errorNode->GetType() == XNode::kTypeString);
        FUZZ_CHECK(errorNode->GetText().rfind("XML Load Error \"", 0) == 0);
        XNode::Destroy(errorNode);
        return 0;
    }
    FUZZ_CHECK(errorNode->GetType() == XNode::kTypeNone);
    XNode::Destroy(errorNode);
    FUZZ_CHECK(!first.Get()->HasFlag(XNode::kFlagDirty));
    const bool untyped = Walk(first.Get(), 0);

    // Every tree the reader builds can be written and read back.
    XNode::OutputFile written;
    FUZZ_CHECK(XNode::Write(first.Get(), written, XNode::kWriteDocument) == 0);
    const QK::XNodeTree second(XNode::Parse(written.text.data(), written.text.size(), "written", nullptr));
    FUZZ_CHECK(second);
    FUZZ_CHECK(Equal(first.Get(), second.Get(), false, 0));

    // Writing is stable: the tree read back writes the same text (a node without a type
    // leaves its indent behind, but is not read back).
    if (untyped)
        return 0;
    XNode::OutputFile again;
    FUZZ_CHECK(XNode::Write(second.Get(), again, XNode::kWriteDocument) == 0);
    FUZZ_CHECK(again.text == written.text);
    return 0;
}
