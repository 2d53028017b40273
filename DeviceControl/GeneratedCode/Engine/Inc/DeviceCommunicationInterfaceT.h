// LDeviceCommunicationInterfaceT<1>: the device communication object the engine makes.
//
// Beside the forwarding of LDeviceCommunicationBase it loads the library (OpenClientLibrary),
// connects for real, and carries the values the library pushes to the receiver:
//  - On the library's thread, the receive callback only copies the block into a queue that
//    grows as needed (nothing is dropped) and sets the gate event.
//  - The delivery thread (an event-gated threader, one pass per gate signal) drains the
//    queue oldest first and hands each block to the receiver's DeliverParamValues, while
//    delivery is enabled. Blocks that arrive while delivery is off stay queued for the
//    first pass after it is on again.
// EnableDelivery(false) returns only once no pass is handing blocks on.
//
// The delivery thread holds a reference to the object, counted as internal: when only it is
// left, the object switches delivery off, disconnects and unloads the library, and stops the
// thread, and so can be destroyed.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/DeviceCommunicationBase.h"
#include "QKFramework/ObjectBase/Wrapper.h"
#include "QKFramework/Threads/LEvent.h"
#include "QKFramework/Threads/LEventGatedThreader.h"
#include "QKFramework/Threads/LThreadWorker.h"
#include "QKFramework/Threads/LockWord.h"
#include "QKFramework/Utilities/Storage/RCPtrQueue.h"

namespace QK
{

template <int Version> class LDeviceCommunicationInterfaceT;

template <> class LDeviceCommunicationInterfaceT<1> : public LDeviceCommunicationBase
{
public:
    static RCPtr<LDeviceCommunicationInterfaceT> Create();

    std::int32_t GetInterfaceVersion() override { return 1; }
    // 1 when the binding exists; else locates the library, makes the binding and answers 0
    // (also when the library does not load: the binding then answers -1 to everything), or
    // 0x80004005 when the binding could not be made.
    QKRESULT OpenClientLibrary() override;
    // Off: also waits until a delivery pass in progress has ended.
    void EnableDelivery(bool enable) override;
    // Remembers the device and connects it with this object's receive callback.
    QKRESULT ConnectDevice(const Variant& device) override;
    virtual QKRESULT UnsupportedOperation(std::intptr_t argument);

    QKRESULT ReleaseInternalReferences() override;

    // Blocks received and not yet handed on.
    std::uint32_t GetQueuedCount() const;

    // The receive callback given to the library: called on the library's thread with this
    // object as context.
    static void OnParamValuesReceived(void* context, void* unused, const ParamValues* values);

    ~LDeviceCommunicationInterfaceT() override;

private:
    struct MemberData
    {
        class LDeviceCommunicationThreadWorker : public LThreadWorker
        {
        public:
            explicit LDeviceCommunicationThreadWorker(MemberData* data) : m_data(data) {}
            // One delivery pass; params is the communication object.
            std::uint32_t Run(const ConstRCPtr<LRefCountedObject>& params) override;

        private:
            MemberData* m_data;
        };

        explicit MemberData(LDeviceCommunicationInterfaceT* owner);

        using Queue = RCPtrQueue<LWrapper<ParamValues>, 256, Mutex>;

        RCPtr<LEventGatedThreader> threader;
        RCPtr<LEvent> gate;
        Mutex queueLock;
        Queue queue;
        // Makes delivery passes and switching delivery off exclusive.
        LockWord deliveryLock;
        ConstRCPtr<LDeviceCommunicationThreadWorker> worker;
        LDeviceCommunicationInterfaceT* owner;
    };

    LDeviceCommunicationInterfaceT();

    void Deliver();

    std::unique_ptr<MemberData> m_data;
};

using LDeviceCommunicationInterface = LDeviceCommunicationInterfaceT<1>;

} // namespace QK
