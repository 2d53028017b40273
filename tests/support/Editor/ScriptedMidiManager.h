// A MIDI manager whose preset exchanges answer from a script instead of talking to a
// controller: each get and send is written down with its preset number and answers the
// result set for it. Nothing is opened; the presence checker never runs.
//
// UI thread only. Header only, for the editor suites.
#pragma once

#include "Engine/PresetEditorCommon/MidiManager.h"

#include <cstdint>
#include <vector>

namespace QK::TestSupport
{

class ScriptedMidiManager final : public LMidiManager
{
public:
    static RCPtr<ScriptedMidiManager> Create() { return RCPtr<ScriptedMidiManager>(new ScriptedMidiManager()); }

    QKRESULT GetPresetFromMidiDevice(std::int32_t preset) override
    {
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
        std::vector<signed char> message;
        for (std::uint32_t i = 0; i < bytes.GetCount(); ++i)
            message.push_back(*bytes.GetAt(i));
        messages.push_back(message);
        return messageResult;
    }
    QKRESULT Initialize() override { return QK_OK; }
    bool AreMidiPortsOpen() const override { return true; }

    QKRESULT getResult = 0;
    QKRESULT sendResult = 224;
    QKRESULT messageResult = 0;
    std::vector<std::int32_t> gets;
    std::vector<std::int32_t> sends;
    std::vector<std::vector<signed char>> messages;

private:
    ScriptedMidiManager() = default;
};

} // namespace QK::TestSupport
