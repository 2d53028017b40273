// A clipboard for the text-editing controls' tests: it holds one text, writes down every
// write, can be told to fail them, and answers CanPerformEdit from the control the test names
// as focused. Installed for its lifetime. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Clipboard.h"
#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include "tests/support/Recorder.h"

#include <string>
#include <vector>

namespace QK::TestSupport
{

class FakeClipboard final : public IClipboard
{
public:
    FakeClipboard() : m_previous(LControlClipboard::GetClipboard()) { LControlClipboard::SetClipboard(this); }
    FakeClipboard(const FakeClipboard&) = delete;
    FakeClipboard& operator=(const FakeClipboard&) = delete;
    ~FakeClipboard() { LControlClipboard::SetClipboard(m_previous); }

    WString GetText() override { return text; }
    QKRESULT SetText(const WString& newText) override
    {
        writes.push_back(Narrow(newText));
        if (failWrites)
            return QK_E_FAIL;
        text = newText;
        return QK_OK;
    }
    bool CanPerformEdit(std::int32_t kind) override { return focus && focus->HandleClipboardData(kind); }

    WString text;
    std::vector<std::string> writes;
    bool failWrites = false;
    LControl* focus = nullptr;

private:
    IClipboard* m_previous;
};

} // namespace QK::TestSupport
