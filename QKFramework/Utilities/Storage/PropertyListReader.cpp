// The property-list reader: XML text to a tree, through Expat.
//
// Each element opens a level slot; a "key" element names the node in its slot and the value
// element that follows gives it a type and a value, after which the slot is emptied for the
// next entry. Character data is collected over the whole element (Expat hands it over in
// chunks, split at entities and line ends) and applied at its end.
#include "QKFramework/Utilities/Storage/PropertyList.h"

#include "QKFramework/Platform/Core/FileDescriptor.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/ExpatParser.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace QK
{

namespace
{

bool NameIs(const XML_Char* name, const char* expected)
{
    return CompareNoCase(name, expected) == 0;
}

struct ReaderState
{
    struct Slot
    {
        XNode* node = nullptr;
        bool acceptText = false;
    };

    XML_Parser parser = nullptr;
    ExpatHandlerFrame frame;
    XNode* root = nullptr;
    // Nodes that found no place in the tree (a second top-level element); freed at the end.
    std::vector<XNode*> strays;
    int level = 0;
    Slot slots[XNode::kMaxLevels];
    std::string text;

    void Abort() { XML_StopParser(parser, XML_FALSE); }

    void FreeAll()
    {
        for (XNode* stray : strays)
            XNode::Destroy(stray);
        strays.clear();
        XNode::Destroy(root);
        root = nullptr;
    }

    void StartElement(const XML_Char* name, const XML_Char** attributes)
    {
        Slot& slot = slots[level];
        if (!slot.node)
        {
            XNode* parent = level > 0 ? slots[level - 1].node : nullptr;
            slot.node = XNode::Create(nullptr, XNode::kTypeNone);
            if (!root)
                root = slot.node;
            else if (!XNode::AddChild(parent, slot.node))
                strays.push_back(slot.node);
            slot.acceptText = false;
        }
        XNode* node = slot.node;
        for (const XML_Char** attribute = attributes; attribute && attribute[0] && attribute[1];
             attribute += 2)
        {
            const bool on = CompareNoCase(attribute[1], "true") == 0;
            if (NameIs(attribute[0], "visible"))
                XNode::SetFlag(node, XNode::kFlagVisible, on);
            else if (NameIs(attribute[0], "locked"))
                XNode::SetFlag(node, XNode::kFlagLocked, on);
        }

        if (NameIs(name, "plist"))
        {
            slot.acceptText = false;
        }
        else if (NameIs(name, "key"))
        {
            AcceptText(slot);
        }
        else if (NameIs(name, "dict") || NameIs(name, "array"))
        {
            XNode::SetType(node, NameIs(name, "dict") ? XNode::kTypeDict : XNode::kTypeArray);
            // Deeper trees fail as a parse error instead of overrunning the slots.
            if (level + 1 >= XNode::kMaxLevels)
            {
                Abort();
                return;
            }
            ++level;
            slots[level] = Slot{};
        }
        else if (NameIs(name, "integer") || NameIs(name, "real") || NameIs(name, "string") ||
                 NameIs(name, "data"))
        {
            const std::uint32_t type = NameIs(name, "integer")  ? XNode::kTypeInteger
                                       : NameIs(name, "real")   ? XNode::kTypeReal
                                       : NameIs(name, "string") ? XNode::kTypeString
                                                                : XNode::kTypeData;
            XNode::SetType(node, type);
            AcceptText(slot);
        }
        else if (NameIs(name, "true"))
        {
            XNode::SetType(node, XNode::kTypeBool);
            XNode::SetValueFromText(node, "true");
        }
        else if (NameIs(name, "false"))
        {
            XNode::SetType(node, XNode::kTypeBool);
        }
    }

    void AcceptText(Slot& slot)
    {
        slot.acceptText = true;
        text.clear();
    }

    void EndElement(const XML_Char* name)
    {
        if ((NameIs(name, "plist") || NameIs(name, "dict") || NameIs(name, "array")) && level > 0)
            --level;
        Slot& slot = slots[level];
        if (slot.acceptText && slot.node)
        {
            if (slot.node->GetType() == XNode::kTypeNone)
                XNode::SetKey(slot.node, text.data(), text.size());
            else if (!text.empty())
                XNode::SetValueFromText(slot.node, text.data(), text.size());
        }
        slot.acceptText = false;
        text.clear();
        if (slot.node && slot.node->GetType() != XNode::kTypeNone)
            slot.node = nullptr;
    }

    void CharacterData(const XML_Char* data, int length)
    {
        const Slot& slot = slots[level];
        if (slot.node && slot.acceptText && length > 0)
            text.append(data, static_cast<std::size_t>(length));
    }
};

// A failure inside a handler (memory) stops the parse, which then ends through the normal
// error path.
void XMLCALL OnStartElement(void* user, const XML_Char* name, const XML_Char** attributes)
{
    auto* state = static_cast<ReaderState*>(user);
    state->frame.Run([&] { state->StartElement(name, attributes); });
}

void XMLCALL OnEndElement(void* user, const XML_Char* name)
{
    auto* state = static_cast<ReaderState*>(user);
    state->frame.Run([&] { state->EndElement(name); });
}

void XMLCALL OnCharacterData(void* user, const XML_Char* data, int length)
{
    auto* state = static_cast<ReaderState*>(user);
    state->frame.Run([&] { state->CharacterData(data, length); });
}

void ReportError(XML_Parser parser, const char* name, XNode* errorNode, bool quiet)
{
    const char* message = XML_ErrorString(XML_GetErrorCode(parser));
    if (!message)
        message = "unknown error";
    const unsigned long line = XML_GetCurrentLineNumber(parser);
    if (errorNode)
    {
        const std::string text =
            "XML Load Error \"" + std::string(message) + "\" line " + std::to_string(line);
        XNode::SetString(errorNode, text.c_str());
    }
    // Standard error, not the debug log: a file that no longer reads is news to whoever
    // started the program, also when no debug output is on. A quiet caller tells them itself.
    if (!quiet)
        std::fprintf(stderr, "%s:%lu: %s\n", name ? name : "XML Load Error", line, message);
}

} // namespace

XNode* XNode::Parse(const char* text, std::size_t length, const char* name, XNode* errorNode, bool quiet)
{
    if (!text)
        text = "";
    if (length == 0)
        length = std::strlen(text);

    ExpatParser parser(XML_ParserCreate(nullptr));
    if (!parser)
        return nullptr;
    ReaderState state;
    state.parser = parser.Get();
    state.frame.SetParser(parser.Get());
    XML_SetUserData(parser.Get(), &state);
    XML_SetElementHandler(parser.Get(), OnStartElement, OnEndElement);
    XML_SetCharacterDataHandler(parser.Get(), OnCharacterData);

    const bool ok = FeedExpatParser(parser.Get(), text, length) && !state.frame.TakePending();

    if (!ok || !state.root)
    {
        ReportError(parser.Get(), name, errorNode, quiet);
        state.FreeAll();
        return nullptr;
    }
    for (XNode* stray : state.strays)
        Destroy(stray);
    SetDirty(state.root, false);
    return state.root;
}

XNode* XNode::LoadFile(const char* path, XNode* errorNode, bool quiet)
{
    UniqueDescriptor file(OpenDescriptor(ToSystemPath(path).c_str(), {}));
    if (!file)
        return nullptr;
    std::string contents;
    char chunk[65536];
    for (;;)
    {
        const std::int64_t count = ReadDescriptor(file.Get(), chunk, sizeof chunk);
        if (count < 0)
            return nullptr;
        if (count == 0)
            break;
        contents.append(chunk, static_cast<std::size_t>(count));
    }
    file.Reset();
    // An empty file parses as empty text, which Expat reports as an error like any other
    // document without an element.
    if (contents.empty())
        return Parse("", 0, path, errorNode, quiet);
    return Parse(contents.data(), contents.size(), path, errorNode, quiet);
}

} // namespace QK
