// Installs a message service for one scope that records every message box asked for
// (caption, text, icon) instead of showing it. The service installed before returns when the
// scope ends. onShow, when set, runs as each box is asked for (the moment a person would see
// it appear).
#pragma once

#include "QKFramework/Platform/Render/MessageService.h"

#include <functional>
#include <string>
#include <vector>

namespace QK::TestSupport
{

class RecordingMessageService final : public IMessageService
{
public:
    struct Message
    {
        std::u16string caption;
        std::u16string text;
        std::uint32_t icon;
    };

    RecordingMessageService() : m_previous(SetMessageService(this)) {}
    RecordingMessageService(const RecordingMessageService&) = delete;
    RecordingMessageService& operator=(const RecordingMessageService&) = delete;
    ~RecordingMessageService() { SetMessageService(m_previous); }

    void ShowMessage(const WString& caption, const WString& text, std::uint32_t icon) override
    {
        messages.push_back({caption.GetString(), text.GetString(), icon});
        if (onShow)
            onShow(messages.back());
    }

    std::vector<Message> messages;
    std::function<void(const Message&)> onShow;

private:
    IMessageService* m_previous;
};

} // namespace QK::TestSupport
