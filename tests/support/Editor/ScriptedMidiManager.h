// A MIDI manager whose exchanges answer from a script instead of talking to a controller:
// each get and send of a preset is written down with its preset number and answers the
// result set for it; every message handed to SendMidiMessage is written down and answered
// with sendAnswer, or by the manager's own send when askManager is set (then, with no ports,
// as when the controller is absent). Never initialised, so it opens nothing and runs no
// presence checks.
//
// UI thread only. Header only, for the editor suites.
#pragma once

#include "Engine/PresetEditorCommon/MidiManager.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace QK::TestSupport
{

class ScriptedMidiManager final : public LMidiManager
{
public:
    static RCPtr<ScriptedMidiManager> Create() { return RCPtr<ScriptedMidiManager>(new ScriptedMidiManager()); }

    QKRESULT GetPresetFromMidiDevice(std::int32_t preset) override
    {
        if (beforeGet)
            beforeGet(preset);
        gets.push_back(preset);
        return getResult;
    }
    QKRESULT SendPresetToDevice(std::int32_t preset) override
    {
        sends.push_back(preset);
        return sendResult;
    }
    QKRESULT SendMidiMessage(const Array<signed char>& bytes) override
    {
        std::vector<std::uint8_t> message;
        for (std::uint32_t i = 0; i < bytes.GetCount(); ++i)
            message.push_back(static_cast<std::uint8_t>(*bytes.GetAt(i)));
        sent.push_back(message);
        return askManager ? LMidiManager::SendMidiMessage(bytes) : sendAnswer;
    }

    QKRESULT getResult = 0;
    QKRESULT sendResult = 224;
    // What SendMidiMessage answers: the byte count, as the transport's send does, unless a
    // test sets a failure (-1: the controller is absent).
    QKRESULT sendAnswer = 16;
    bool askManager = false;
    // Runs as a get starts, before anything is sent (the moment the request would leave).
    std::function<void(std::int32_t)> beforeGet;
    std::vector<std::int32_t> gets;
    std::vector<std::int32_t> sends;
    std::vector<std::vector<std::uint8_t>> sent;

private:
    ScriptedMidiManager() = default;
};

} // namespace QK::TestSupport
