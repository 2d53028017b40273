// Receivers and owners shared by the notification tests.
#pragma once

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/Notification/NotificationQueue.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include "tests/support/Recorder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace QK::TestSupport
{

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
