// The pieces every Expat reader of the framework shares: the parser holder, feeding a whole
// buffer, the attributes of a start tag, and the frame that keeps C++ exceptions out of
// Expat's C frames.
//
// Expat calls its handlers on the thread that calls XML_Parse, from inside its own C code.
// An exception must never unwind through those frames, so each handler body runs inside
// ExpatHandlerFrame::Run: the first exception is kept, the parser is stopped, and every later
// call (Expat may still deliver a few events after the stop) is skipped. Once XML_Parse has
// returned, the reader decides what the kept exception means: raise it again unchanged, or
// treat it as a failed parse.
#pragma once

#include "QKFramework/Platform/Core/UniqueHandle.h"

#include <expat.h>

#include <cstddef>
#include <exception>
#include <utility>

namespace QK
{

struct ExpatParserTraits
{
    using Handle = XML_Parser;
    static XML_Parser Invalid() noexcept { return nullptr; }
    static void Close(XML_Parser parser) noexcept { XML_ParserFree(parser); }
};

using ExpatParser = UniqueHandle<ExpatParserTraits>;

// Parses length bytes of data as the whole document: Expat takes an int length, so a large
// buffer goes in several pieces, the last marked final. An empty buffer is one final, empty
// piece. True when Expat accepted every piece.
bool FeedExpatParser(XML_Parser parser, const char* data, std::size_t length);

// The attributes of one start tag as Expat hands them to the start handler: name and value
// pairs of UTF-8 text, ended by a null name, valid for the handler's call only. A document
// names each attribute of an element once (Expat refuses it otherwise), so the first match
// is the only one. Looking a name up makes no string.
class ExpatAttributes
{
public:
    explicit ExpatAttributes(const XML_Char** pairs) noexcept : m_pairs(pairs) {}

    // The value of the attribute name, or null when the tag does not have it.
    const char* Find(const char* name) const noexcept;
    bool Has(const char* name) const noexcept { return Find(name) != nullptr; }

    // Calls visit(name, value) for each attribute, in the document's order.
    template <class Visit> void ForEach(Visit&& visit) const
    {
        for (const XML_Char** pair = m_pairs; pair && pair[0] && pair[1]; pair += 2)
            visit(pair[0], pair[1]);
    }

private:
    const XML_Char** m_pairs;
};

class ExpatHandlerFrame
{
public:
    explicit ExpatHandlerFrame(XML_Parser parser = nullptr) noexcept : m_parser(parser) {}
    ExpatHandlerFrame(const ExpatHandlerFrame&) = delete;
    ExpatHandlerFrame& operator=(const ExpatHandlerFrame&) = delete;

    void SetParser(XML_Parser parser) noexcept { m_parser = parser; }

    // Runs body unless an earlier body failed; a failure is kept and stops the parser.
    template <class Body> void Run(Body&& body) noexcept
    {
        if (m_pending)
            return;
        try
        {
            std::forward<Body>(body)();
        }
        catch (...)
        {
            m_pending = std::current_exception();
            if (m_parser)
                XML_StopParser(m_parser, XML_FALSE);
        }
    }

    bool HasPending() const noexcept { return static_cast<bool>(m_pending); }
    // Hands over the kept exception (null when none) and forgets it.
    std::exception_ptr TakePending() noexcept { return std::exchange(m_pending, nullptr); }
    // Raises the kept exception again, unchanged; nothing happens when there is none.
    void RethrowPending()
    {
        if (std::exception_ptr pending = TakePending())
            std::rethrow_exception(pending);
    }

private:
    XML_Parser m_parser;
    std::exception_ptr m_pending;
};

} // namespace QK
