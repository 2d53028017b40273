// DebugCapture: collects what the debug log hands to the debugger while it lives, so tests
// can check what was reported. Any thread may write to it.
#pragma once

#include "QKFramework/Utilities/Debug/DebugLog.h"

#include <mutex>
#include <string>
#include <string_view>

namespace QK::TestSupport
{

class DebugCapture : public IDebugOutputSink
{
public:
    DebugCapture() : m_previous(DebugLog::Get().SetDebuggerOutput(this)) {}
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;
    ~DebugCapture() { DebugLog::Get().SetDebuggerOutput(m_previous); }

    void Write(std::string_view text) override
    {
        std::lock_guard lock(m_mutex);
        m_text.append(text);
    }

    std::string Text() const
    {
        std::lock_guard lock(m_mutex);
        return m_text;
    }

private:
    IDebugOutputSink* m_previous;
    mutable std::mutex m_mutex;
    std::string m_text;
};

} // namespace QK::TestSupport
