// A MIDI manager without ports, for the editor's unit tests: every message handed to
// SendMidiMessage is written down and answered with sendAnswer, or by the manager's own
// send when askManager is set (then, with no ports, as when the controller is absent).
// Never initialised, so it opens nothing and runs no presence checks.
//
// UI thread only. Header only.
#pragma once

#include "Engine/PresetEditorCommon/MidiManager.h"

#include <cstdint>
#include <vector>

namespace QK::TestSupport
{

class ScriptedMidiManager final : public LMidiManager
{
public:
    static RCPtr<ScriptedMidiManager> Create() { return RCPtr<ScriptedMidiManager>(new ScriptedMidiManager); }

    QKRESULT SendMidiMessage(const Array<signed char>& bytes) override
    {
        std::vector<std::uint8_t> message;
        for (std::uint32_t i = 0; i < bytes.GetCount(); ++i)
            message.push_back(static_cast<std::uint8_t>(*bytes.GetAt(i)));
        sent.push_back(message);
        return askManager ? LMidiManager::SendMidiMessage(bytes) : sendAnswer;
    }

    // What SendMidiMessage answers: the byte count, as the transport's send does, unless
    // a test sets a failure (-1: the controller is absent).
    QKRESULT sendAnswer = 16;
    bool askManager = false;
    std::vector<std::vector<std::uint8_t>> sent;

private:
    ScriptedMidiManager() = default;
};

} // namespace QK::TestSupport
