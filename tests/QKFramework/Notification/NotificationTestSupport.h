// Receivers and owners shared by the notification tests.
#pragma once

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <gtest/gtest.h>

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

// A client that writes "<its name>:<notification name>" to a shared log for every
// notification it receives and may then run an action (once, or every time).
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

private:
    Recorder(std::string name, std::vector<std::string>& log, bool* destroyed)
        : m_name(std::move(name)), m_log(log), m_destroyed(destroyed)
    {
    }

    std::string m_name;
    std::vector<std::string>& m_log;
    bool* m_destroyed;
};

// A distributor that detaches its clients when only internal references remain, as
// controls do.
class TearingDistributor : public LNotificationDistributor
{
public:
    static RCPtr<TearingDistributor> Create(bool* destroyed = nullptr)
    {
        return RCPtr<TearingDistributor>(new TearingDistributor(destroyed));
    }
    ~TearingDistributor() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }
    QKRESULT ReleaseInternalReferences() override
    {
        DetachAllClients();
        return LRefCountedObject::ReleaseInternalReferences();
    }

private:
    explicit TearingDistributor(bool* destroyed) : m_destroyed(destroyed) {}
    bool* m_destroyed;
};

// A distributor with its own queue attached to itself, as root windows are.
class TestWindow : public LNotificationDistributor, public LNotificationQueue
{
public:
    static RCPtr<TestWindow> Create(bool* destroyed = nullptr)
    {
        RCPtr<TestWindow> window(new TestWindow(destroyed));
        if (window->Attach(ConstRCPtr<LNotificationDistributor>(window)) == QK_OK)
        {
            window->AddInternalReferences(1);
            window->m_selfTarget = true;
        }
        return window;
    }
    ~TestWindow() override
    {
        if (m_destroyed)
            *m_destroyed = true;
    }
    // Detaches the queue early, as a receiver may.
    void DetachQueue()
    {
        Detach();
        if (m_selfTarget)
        {
            m_selfTarget = false;
            AddInternalReferences(-1);
        }
    }
    QKRESULT ReleaseInternalReferences() override
    {
        DetachAllClients();
        DetachQueue();
        return (GetInternalRefCount() == 0 && GetRefCount() == 1) ? QK_OK : QK_E_FAIL;
    }

private:
    explicit TestWindow(bool* destroyed) : m_destroyed(destroyed) {}
    bool* m_destroyed;
    bool m_selfTarget = false;
};

// Process-wide notification state back to its start after every test.
class NotificationTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        LNotificationCenterManager::ReleaseInstance();
        LNotification::SetRecycling(false);
    }
};

} // namespace QK::TestSupport
