// Helpers for the tests of the device communication object and the engine: values, reading
// parameter lists, and a receiver that records what the delivery thread hands it.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceCommunicationBase.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Notification/NotificationClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <thread>
#include <vector>

namespace QK::TestSupport
{

inline Variant ByteValue(std::initializer_list<std::uint8_t> bytes)
{
    Variant value;
    value.SetBytes(std::data(bytes), static_cast<std::uint32_t>(bytes.size()));
    return value;
}

inline Variant TextValue(const char* text)
{
    Variant value;
    value.SetString(text);
    return value;
}

struct Item
{
    std::int32_t id;
    Variant value;
    Variant descriptor;
};

// The items of a ParamValues list; an item that cannot be read ends the list.
inline std::vector<Item> ItemsOf(const Variant& list)
{
    std::vector<Item> items;
    for (std::uint32_t i = 0; i < list.GetListCount(); ++i)
    {
        Variant item;
        Variant id;
        Item read{};
        if (list.GetListItem(i, item) != 0 || item.GetListItem(0, read.value) != 0 || item.GetListItem(1, id) != 0 ||
            item.GetListItem(2, read.descriptor) != 0)
            break;
        read.id = id.ToInt32();
        items.push_back(read);
    }
    return items;
}

// Records each delivered block and the thread it came on.
class RecordingReceiver : public DeviceCommunicationReceiver
{
public:
    void DeliverParamValues(const ParamValues& values) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_blocks.push_back(ItemsOf(values));
        m_threads.push_back(std::this_thread::get_id());
        m_changed.notify_all();
    }

    QKRESULT ReceiveDeviceEvent(std::intptr_t, std::intptr_t, std::intptr_t) override { return QK_E_FAIL; }

    // Waits until count blocks have come; fails the test when they have not after a long
    // while (a hang guard, not a measurement).
    bool WaitForBlocks(std::size_t count)
    {
        std::unique_lock<std::mutex> guard(m_lock);
        const bool arrived =
            m_changed.wait_for(guard, std::chrono::seconds(20), [&] { return m_blocks.size() >= count; });
        EXPECT_TRUE(arrived) << "only " << m_blocks.size() << " of " << count << " blocks arrived";
        return arrived;
    }

    std::vector<std::vector<Item>> Blocks() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_blocks;
    }

    std::vector<std::thread::id> Threads() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_threads;
    }

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<std::vector<Item>> m_blocks;
    std::vector<std::thread::id> m_threads;
};

// Plays the UI thread towards the default notification centre: records what the centre
// delivers for the engine's notifications when it is drained. Starts and ends with the
// centre's queue empty.
class NotificationRecorder
{
public:
    struct Record
    {
        WString name;
        ConstRCPtr<LRefCountedObject> argument;
    };

    NotificationRecorder() : m_centre(GetDefaultNotificationCenter()), m_client(new Client(*this))
    {
        m_centre->Flush();
        for (const char16_t* name : {u"NID_PARAM_MODULE_STATE_CHANGE", u"NID_DEVICE_CONNECTION_STATE_CHANGE",
                                     u"NID_REMOTE_DEVICE_LIST_CHANGE"})
            m_client->Subscribe(ConstRCPtr<LNotificationDistributor>(m_centre), name);
    }

    ~NotificationRecorder()
    {
        m_client->UnsubscribeAll();
        m_centre->Flush();
    }

    // Drains the centre as the idle pass does, until nothing waits.
    void Dispatch()
    {
        while (m_centre->DispatchNotifications(false))
        {
        }
    }

    // Drains until a notification of that name has come, or fails the test after a long
    // while (a hang guard, not a measurement).
    bool DispatchUntil(const char16_t* name, const std::function<bool(const Record&)>& match = nullptr)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;)
        {
            Dispatch();
            for (const Record& record : m_records)
                if (record.name.IsEqual(name) && (!match || match(record)))
                    return true;
            if (std::chrono::steady_clock::now() > limit)
            {
                ADD_FAILURE() << "no matching notification arrived";
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    std::vector<Record> Named(const char16_t* name) const
    {
        std::vector<Record> named;
        for (const Record& record : m_records)
            if (record.name.IsEqual(name))
                named.push_back(record);
        return named;
    }

    const std::vector<Record>& All() const { return m_records; }
    void Clear() { m_records.clear(); }
    std::uint32_t Waiting() const { return m_centre->GetQueuedCount(); }

private:
    class Client : public LNotificationClient
    {
    public:
        explicit Client(NotificationRecorder& owner) : m_owner(owner) {}
        QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>&,
                                     const ConstRCPtr<LNotification>& notification) override
        {
            m_owner.m_records.push_back({GetNotificationName(notification->GetId()), notification->GetArgument()});
            return QK_OK;
        }

    private:
        NotificationRecorder& m_owner;
    };

    RCPtr<LNotificationCenter> m_centre;
    RCPtr<Client> m_client;
    std::vector<Record> m_records;
};

} // namespace QK::TestSupport
