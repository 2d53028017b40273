// XNode: the in-memory tree of an XML property list (the settings files), with the path
// syntax that finds and creates entries, the writer that turns a tree into text and the
// reader that builds a tree from text through Expat.
//
// A tree is plain data handled through the static operations below, each taking the node
// first; it is not a reference-counted framework object. Text is UTF-8. A node counts the
// containers that hold it and is destroyed when the last one lets go; the root is destroyed
// by its owner with XNode::Destroy. Nothing here locks: one tree belongs to one thread at a
// time.
//
// Paths: names separated by "." ("Window.Left") and indices in brackets ("Size[2]").
// Names match without regard to ASCII case.
#pragma once

#include "QKFramework/Platform/Core/UniqueHandle.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace QK
{

class XNode
{
public:
    // Types (the low four bits of the flags).
    static constexpr std::uint32_t kTypeNone = 0;
    static constexpr std::uint32_t kTypeString = 1;
    static constexpr std::uint32_t kTypeBool = 2;
    static constexpr std::uint32_t kTypeInteger = 3;
    static constexpr std::uint32_t kTypeReal = 4;
    static constexpr std::uint32_t kTypeDict = 5;
    static constexpr std::uint32_t kTypeArray = 6;
    static constexpr std::uint32_t kTypeData = 7;
    static constexpr std::uint32_t kTypeMask = 0xF;

    // Flags. A volatile node is not written unless asked and its changes do not make its
    // containers dirty; visible and locked travel as XML attributes.
    static constexpr std::uint32_t kFlagDirty = 16;
    static constexpr std::uint32_t kFlagVolatile = 32;
    static constexpr std::uint32_t kFlagVisible = 64;
    static constexpr std::uint32_t kFlagLocked = 128;

    // GetNode options.
    static constexpr std::uint32_t kPathCreate = 1;
    static constexpr std::uint32_t kPathCreateVolatile = 2; // creates, and the created leaf is volatile
    static constexpr std::uint32_t kPathRemove = 4;         // removes the found node; the answer is null

    // Write options.
    static constexpr std::uint32_t kWriteDocument =
        1; // the XML declaration, DOCTYPE and plist element around it
    static constexpr std::uint32_t kWriteStateAttributes = 2; // volatile="true" and dirty="true" too
    static constexpr std::uint32_t kWriteVolatile = 4;        // volatile nodes as well

    // Levels of nesting the reader and the writer handle, the root's included. A container
    // can open at most at level kMaxLevels - 2, so every written tree reads back.
    static constexpr int kMaxLevels = 64;
    // Write's answer for a tree nested deeper than that.
    static constexpr std::int32_t kWriteErrorTooDeep = -2;

    // Where Write puts its text. A sink that fails sets error (non-zero) and the writer stops.
    class Output
    {
    public:
        virtual ~Output() = default;
        virtual void Write(const char* bytes, std::size_t count) = 0;

        std::int32_t error = 0;
        std::uint32_t options = 0;
        const XNode* node = nullptr;
    };

    // The sink of a file's text: it collects the text in memory, so that SaveFile replaces
    // the file only with a whole document. Also the sink for text kept in memory.
    class OutputFile final : public Output
    {
    public:
        void Write(const char* bytes, std::size_t count) override { text.append(bytes, count); }
        std::string text;
    };

    // A zeroed node of type; with a parent (a dict or array) it is added to it.
    static XNode* Create(XNode* parent, std::uint32_t type);
    // Frees the node, its value and every child that nothing else holds. A container that
    // still holds the node forgets it.
    static void Destroy(XNode* node);

    // False when the node has that type already; otherwise clears the value and sets it.
    static bool SetType(XNode* node, std::uint32_t type);
    static void ClearValue(XNode* node);
    // length 0 means up to the NUL; a null or empty key removes the key.
    static void SetKey(XNode* node, const char* text, std::size_t length = 0);
    static void SetString(XNode* node, const char* text);
    static void SetInteger(XNode* node, std::int32_t value);
    // length 0 means up to the NUL. String: appended; bool: "true" (any case) at the start;
    // integer: decimal, 0x hexadecimal or 0 octal, held to the 32-bit range; real: a decimal
    // number; data: replaces the text. Marks the node dirty.
    static void SetValueFromText(XNode* node, const char* text, std::size_t length = 0);
    static void SetFlag(XNode* node, std::uint32_t flag, bool set);

    // Dicts and arrays only; false for other containers.
    static bool AddChild(XNode* container, XNode* child);
    // Removes the first slot holding child; child is destroyed when nothing else holds it.
    static void RemoveChild(XNode* container, XNode* child);
    // Arrays only: removes children from the end or appends empty slots.
    static bool SetArrayCount(XNode* array, std::uint32_t count);
    // Arrays only: puts node (which may be null) at index, growing the array, and lets go
    // of what was there.
    static bool SetArrayItem(XNode* array, std::uint32_t index, XNode* node);
    static std::uint32_t CountChildren(const XNode* node, bool includeVolatile);
    // The first child keyed key (length bytes; 0 means up to the NUL), ignoring ASCII case.
    static XNode* FindChild(const XNode* node, const char* key, std::size_t length = 0);
    // true marks the node and its containers up to the root; false clears the whole subtree.
    static void SetDirty(XNode* node, bool dirty);
    static XNode* GetNode(XNode* node, const char* path, std::uint32_t options);

    // Writes the tree; the sink's error, 0 on success.
    static std::int32_t Write(const XNode* node, Output& output, std::uint32_t options);
    // Writes the tree as a whole document to path, replacing the old file only once the new
    // one is complete. 0, the writer's error, or the errno of the failed step.
    static int SaveFile(const XNode* node, const char* path, std::uint32_t options);
    // Builds a tree from text (length 0: up to the NUL). On an error answers null, reports
    // "<name>:<line>: <message>" on standard error (unless quiet) and, with an error node,
    // makes it the string: XML Load Error "<message>" line <n>.
    static XNode* Parse(const char* text, std::size_t length, const char* name, XNode* errorNode,
                        bool quiet = false);
    // Parse of the whole file; null when it cannot be read (no message).
    static XNode* LoadFile(const char* path, XNode* errorNode, bool quiet = false);

    static std::uint32_t KeyHash(const char* key, std::size_t length);

    std::uint32_t GetType() const noexcept { return m_flags & kTypeMask; }
    bool HasFlag(std::uint32_t flag) const noexcept { return (m_flags & flag) != 0; }
    std::uint32_t GetReferenceCount() const noexcept { return m_refCount; }
    std::size_t GetParentCount() const noexcept { return m_parents.size(); }
    bool HasKey() const noexcept { return !m_key.empty(); }
    const std::string& GetKey() const noexcept { return m_key; }
    std::uint32_t GetKeyHash() const noexcept { return m_keyHash; }
    // String and data text.
    const std::string& GetText() const noexcept { return m_text; }
    bool GetBool() const noexcept { return m_bool; }
    std::int32_t GetInteger() const noexcept { return m_integer; }
    float GetReal() const noexcept { return m_real; }
    // The slots of a dict or array (an array slot may be empty).
    std::uint32_t GetSlotCount() const noexcept { return static_cast<std::uint32_t>(m_children.size()); }
    XNode* GetSlot(std::uint32_t index) const noexcept
    {
        return index < m_children.size() ? m_children[index] : nullptr;
    }
    bool IsContainer() const noexcept { return GetType() == kTypeDict || GetType() == kTypeArray; }

private:
    XNode() = default;
    ~XNode() = default;
    XNode(const XNode&) = delete;
    XNode& operator=(const XNode&) = delete;

    // One holder fewer; destroys the node when none is left.
    static void ReleaseFromContainer(XNode* node, XNode* container);

    std::uint32_t m_refCount = 0;
    std::vector<XNode*> m_parents;
    std::uint32_t m_flags = 0;
    std::string m_key;
    std::uint32_t m_keyHash = 0;
    std::string m_text;
    bool m_bool = false;
    std::int32_t m_integer = 0;
    float m_real = 0.0f;
    std::vector<XNode*> m_children;
};

// The owner of a root node: destroys the tree when it goes.
struct XNodeTreeTraits
{
    using Handle = XNode*;
    static constexpr XNode* Invalid() noexcept { return nullptr; }
    static void Close(XNode* root) noexcept { XNode::Destroy(root); }
};

using XNodeTree = UniqueHandle<XNodeTreeTraits>;

} // namespace QK
