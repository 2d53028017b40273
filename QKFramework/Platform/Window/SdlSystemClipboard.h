// The desktop clipboard through SDL (UTF-8 there, UTF-16 here).
//
// SDL tells no sequence number, so the clipboard keeps its own: it reads the clipboard's text
// when asked for the number and counts a change whenever that text differs from what it saw
// last, or when the program itself places something. That needs no help from the event loop
// and cannot be fooled by the late echo of the program's own copy. An object that is not
// text empties the clipboard; it counts as still there until the clipboard's text changes.
//
// UI thread only; SDL's video subsystem must be running for the clipboard to work (without
// it, the clipboard reads as empty and refuses to be written).
#pragma once

#include "QKFramework/System/SystemClipboard.h"

#include <string>

namespace QK
{

class SdlSystemClipboard final : public ISystemClipboard
{
public:
    std::uint32_t GetSequenceNumber() override;
    bool HasText() override;
    bool HasPrivateObject() override;
    bool GetText(WString& text) override;
    QKRESULT SetText(const WString& text) override;
    QKRESULT SetPrivateObject() override;

private:
    // The clipboard's text now; empty when it holds none or cannot be read.
    static std::string ReadText();
    void Observe(const std::string& text);

    std::uint32_t m_sequenceNumber = 1;
    std::string m_lastText;
    bool m_privateObject = false;
};

} // namespace QK
