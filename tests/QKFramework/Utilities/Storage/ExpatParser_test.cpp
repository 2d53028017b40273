#include "QKFramework/Utilities/Storage/ExpatParser.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

struct Recorder
{
    ExpatHandlerFrame frame;
    std::vector<std::string> starts;
    std::size_t characters = 0;
    std::string throwOn;
};

void XMLCALL OnStart(void* user, const XML_Char* name, const XML_Char**)
{
    auto* recorder = static_cast<Recorder*>(user);
    recorder->frame.Run([&] {
        recorder->starts.emplace_back(name);
        if (recorder->throwOn == name)
            throw std::runtime_error(std::string("refused ") + name);
    });
}

void XMLCALL OnEnd(void*, const XML_Char*) {}

void XMLCALL OnText(void* user, const XML_Char*, int length)
{
    auto* recorder = static_cast<Recorder*>(user);
    recorder->frame.Run([&] { recorder->characters += static_cast<std::size_t>(length); });
}

bool Parse(Recorder& recorder, const std::string& document)
{
    ExpatParser parser(XML_ParserCreate(nullptr));
    recorder.frame.SetParser(parser.Get());
    XML_SetUserData(parser.Get(), &recorder);
    XML_SetElementHandler(parser.Get(), OnStart, OnEnd);
    XML_SetCharacterDataHandler(parser.Get(), OnText);
    return FeedExpatParser(parser.Get(), document.data(), document.size());
}

TEST(ExpatParser, HandlerExceptionStopsTheParseAndComesBackUnchanged)
{
    Recorder recorder;
    recorder.throwOn = "b";
    EXPECT_FALSE(Parse(recorder, "<a><b/><c/><d/></a>"));
    EXPECT_EQ(recorder.starts, (std::vector<std::string>{"a", "b"}));
    ASSERT_TRUE(recorder.frame.HasPending());
    try
    {
        recorder.frame.RethrowPending();
        FAIL() << "nothing raised";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "refused b");
    }
    EXPECT_FALSE(recorder.frame.HasPending());
    EXPECT_NO_THROW(recorder.frame.RethrowPending());
}

TEST(ExpatParser, LargeBufferGoesInPiecesAndEmptyBufferIsAnError)
{
    // Larger than one piece, so a piece ends inside the character data.
    const std::size_t count = (1u << 24) + 1000;
    Recorder recorder;
    EXPECT_TRUE(Parse(recorder, "<a>" + std::string(count, 'x') + "</a>"));
    EXPECT_EQ(recorder.characters, count);

    Recorder empty;
    EXPECT_FALSE(Parse(empty, ""));
    EXPECT_TRUE(empty.starts.empty());
}

} // namespace
} // namespace QK
