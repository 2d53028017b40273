// Recorder: a notification client that writes "<its name>:<notification name>" to a shared
// log for every notification it receives, keeps a snapshot of the argument's text form as it
// was at delivery, and may then run an action (once, or every time). Shared by the
// notification and control tests.
#pragma once

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationId.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace QK::TestSupport
{

inline std::string Narrow(const WString& text)
{
    std::string out;
    for (const char16_t* c = text.GetString(); *c; ++c)
        out.push_back(static_cast<char>(*c));
    return out;
}

inline std::string NameOf(NID id)
{
    return Narrow(GetNotificationName(id));
}

class Recorder : public LNotificationClient
{
public:
    using Action = std::function<void(Recorder&, const ConstRCPtr<LNotificationDistributor>&,
                                      const ConstRCPtr<LNotification>&)>;

    static RCPtr<Recorder> Create(std::string name, std::vector<std::string>& log, bool* destroyed = nullptr)
    {
        return RCPtr<Recorder>(new Recorder(std::move(name), log, destroyed));
    }

    ~Recorder() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override
    {
        m_log.push_back(m_name + ":" + NameOf(notification->GetId()));
        sources.push_back(source.Get());
        notifications.push_back(notification.Get());
        const auto& argument = notification->GetArgument();
        arguments.push_back(argument ? Narrow(argument->ToString()) : std::string());
        if (action)
        {
            Action current = action;
            if (actOnce)
                action = nullptr;
            current(*this, source, notification);
        }
        return QK_OK;
    }

    Action action;
    bool actOnce = true;
    // Plain pointers: holding the notifications would keep them from recycling.
    std::vector<const LNotificationDistributor*> sources;
    std::vector<const LNotification*> notifications;
    // The argument's text form at delivery ("" without one).
    std::vector<std::string> arguments;

private:
    Recorder(std::string name, std::vector<std::string>& log, bool* destroyed)
        : m_name(std::move(name)), m_log(log), m_destroyed(destroyed)
    {
    }

    std::string m_name;
    std::vector<std::string>& m_log;
    bool* m_destroyed;
};

} // namespace QK::TestSupport
