// The property-list writer: a tree as XML text, one element per line, a tab per level.
#include "QKFramework/Utilities/Storage/PropertyList.h"

#include "QKFramework/Platform/Core/FileSystem.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/Paths.h"

#include <string>
#include <string_view>
#include <vector>

namespace QK
{

namespace
{

constexpr std::string_view kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                     "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
                                     "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                     "<plist version=\"1.0\">\n";
constexpr std::string_view kFooter = "</plist>\n";

class Writer
{
public:
    Writer(XNode::Output& output, std::uint32_t options) : m_output(output), m_options(options) {}

    bool Failed() const { return m_output.error != 0; }

    void Plain(std::string_view text)
    {
        if (!Failed() && !text.empty())
            m_output.Write(text.data(), text.size());
    }

    // Several pieces in a row, without joining them first.
    template <class... Pieces> void Plain(std::string_view first, const Pieces&... rest)
    {
        Plain(first);
        (Plain(std::string_view(rest)), ...);
    }

    // Markup characters become entities. XML cannot carry most control characters at all,
    // not even as references: they are written as U+FFFD so that the file still reads back.
    // A carriage return is kept as a reference, which the reader does not fold into "\n".
    void Escaped(std::string_view text)
    {
        std::string escaped;
        escaped.reserve(text.size());
        for (const char c : text)
        {
            switch (c)
            {
            case '"':
                escaped += "&quot;";
                break;
            case '&':
                escaped += "&amp;";
                break;
            case '\'':
                escaped += "&apos;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '\r':
                escaped += "&#13;";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n')
                    escaped += "\xEF\xBF\xBD";
                else
                    escaped += c;
                break;
            }
        }
        Plain(escaped);
    }

    void Indent(int level) { Plain(std::string(static_cast<std::size_t>(level), '\t')); }

    bool Writes(const XNode* node) const
    {
        return node && ((m_options & XNode::kWriteVolatile) || !node->HasFlag(XNode::kFlagVolatile));
    }

    // The next slot at or after index that is written, or the slot count.
    std::uint32_t NextWritten(const XNode* container, std::uint32_t index) const
    {
        while (index < container->GetSlotCount() && !Writes(container->GetSlot(index)))
            ++index;
        return index;
    }

    std::string Attributes(const XNode* node) const
    {
        std::string text;
        if (node->HasFlag(XNode::kFlagVisible))
            text += " visible=\"true\"";
        if (node->HasFlag(XNode::kFlagLocked))
            text += " locked=\"true\"";
        if (m_options & XNode::kWriteStateAttributes)
        {
            if (node->HasFlag(XNode::kFlagVolatile))
                text += " volatile=\"true\"";
            if (node->HasFlag(XNode::kFlagDirty))
                text += " dirty=\"true\"";
        }
        return text;
    }

    // The node's line up to its value element; for a container with children to write only
    // the opening tag. Answers whether its children follow.
    bool Start(const XNode* node, int level, bool keyed, bool indent)
    {
        if (indent)
            Indent(level);
        const std::uint32_t type = node->GetType();
        if (type == XNode::kTypeNone)
            return false;
        if (keyed && node->HasKey())
        {
            Plain("<key>");
            Escaped(node->GetKey());
            Plain("</key>");
        }
        const std::string attributes = Attributes(node);
        switch (type)
        {
        case XNode::kTypeString:
        case XNode::kTypeData:
        {
            const char* element = type == XNode::kTypeString ? "string" : "data";
            Plain("<", element, attributes, ">");
            Escaped(node->GetText());
            Plain("</", element, ">\n");
            return false;
        }
        case XNode::kTypeBool:
            Plain("<", node->GetBool() ? "true" : "false", attributes, "/>\n");
            return false;
        case XNode::kTypeInteger:
            Plain("<integer", attributes, ">", std::to_string(node->GetInteger()), "</integer>\n");
            return false;
        case XNode::kTypeReal:
        {
            // Any float fits: the largest is 39 digits before the point.
            char number[64];
            FormatText(number, sizeof number, "%f", static_cast<double>(node->GetReal()));
            Plain("<real", attributes, ">", number, "</real>\n");
            return false;
        }
        case XNode::kTypeDict:
        case XNode::kTypeArray:
        {
            const char* element = type == XNode::kTypeDict ? "dict" : "array";
            // The reader could not open a container this deep, so the tree is refused
            // rather than written into a file that no longer loads.
            if (level >= XNode::kMaxLevels - 1)
            {
                m_output.error = XNode::kWriteErrorTooDeep;
                return false;
            }
            if (NextWritten(node, 0) == node->GetSlotCount())
            {
                Plain("<", element, attributes, "/>\n");
                return false;
            }
            Plain("<", element, attributes, ">\n");
            return true;
        }
        default:
            return false;
        }
    }

    void End(const XNode* node, int level)
    {
        Indent(level);
        Plain(node->GetType() == XNode::kTypeDict ? "</dict>\n" : "</array>\n");
    }

private:
    XNode::Output& m_output;
    std::uint32_t m_options;
};

struct Level
{
    const XNode* node;
    std::uint32_t next;
};

} // namespace

std::int32_t XNode::Write(const XNode* node, Output& output, std::uint32_t options)
{
    output.options = options;
    output.node = node;
    Writer writer(output, options);
    const bool document = (options & kWriteDocument) != 0;
    if (document)
        writer.Plain(kHeader);

    if (writer.Writes(node))
    {
        std::vector<Level> stack;
        if (writer.Start(node, 0, !document, false))
            stack.push_back({node, 0});
        while (!stack.empty() && !writer.Failed())
        {
            Level& top = stack.back();
            const std::uint32_t index = writer.NextWritten(top.node, top.next);
            const int level = static_cast<int>(stack.size());
            if (index == top.node->GetSlotCount())
            {
                writer.End(top.node, level - 1);
                stack.pop_back();
                continue;
            }
            top.next = index + 1;
            const XNode* child = top.node->GetSlot(index);
            const bool keyed = top.node->GetType() != kTypeArray;
            if (writer.Start(child, level, keyed, true))
                stack.push_back({child, 0});
        }
    }

    if (document)
        writer.Plain(kFooter);
    return output.error;
}

int XNode::SaveFile(const XNode* node, const char* path, std::uint32_t options)
{
    // The whole text is made first, so that nothing on disk changes unless it is complete.
    OutputFile output;
    const std::int32_t error = Write(node, output, options | kWriteDocument);
    if (error != 0)
        return error;
    return ReplaceFileContents(ToSystemPath(path).c_str(), output.text.data(), output.text.size());
}

} // namespace QK
