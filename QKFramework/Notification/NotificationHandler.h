// Handler tables: an owner reacts to notifications with member functions of its own class.
//
// Contents:
//  - Receivable: the table key, (source distributor, notification id).
//  - LNotificationHandler<T>: the per-owner table from key to member function of T. Adding a
//    handler subscribes the owner (an LNotificationClient) to the source; the owner's
//    ReceiveNotification hands each notification to Dispatch, which calls the member.
//  - CAutoNotificationDisabler<T>: suspends one subscription and its handler for a scope.
//  - OfferToTable, ReceiveThroughTable, DetachThroughTable: the ReceiveNotification and
//    DetachFromDistributor of a class that keeps its own table in a class chain of tables.
//
// A table has no lock: one owner uses it from one thread at a time. Handlers run on the
// thread that delivers the notification, inside the distributor's delivery.
#pragma once

#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationDistributor.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/TypeName.h"
#include "QKFramework/Utilities/Debug/DebugLog.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <type_traits>
#include <utility>

namespace QK
{

class Receivable
{
public:
    Receivable(const LNotificationDistributor* source, NID id) noexcept : m_source(source), m_id(id) {}
    Receivable(const Receivable&) = default;
    Receivable& operator=(const Receivable&) = default;
    virtual ~Receivable() = default;

    const LNotificationDistributor* GetSource() const noexcept { return m_source; }
    NID GetId() const noexcept { return m_id; }

    // By source address, then by id.
    friend bool operator<(const Receivable& a, const Receivable& b) noexcept
    {
        const auto sourceA = reinterpret_cast<std::uintptr_t>(a.m_source);
        const auto sourceB = reinterpret_cast<std::uintptr_t>(b.m_source);
        return sourceA != sourceB ? sourceA < sourceB : a.m_id < b.m_id;
    }
    friend bool operator==(const Receivable& a, const Receivable& b) noexcept
    {
        return a.m_source == b.m_source && a.m_id == b.m_id;
    }

private:
    const LNotificationDistributor* m_source;
    NID m_id;
};

template <class T> class LNotificationHandler : public virtual LRefCountedObject
{
public:
    using SourcePtr = ConstRCPtr<LNotificationDistributor>;
    using NotificationPtr = ConstRCPtr<LNotification>;

    // A member function of T, or of any base of T (virtual bases included), that takes
    // (source, notification) and answers a result.
    class Handler
    {
    public:
        Handler() = default;

        template <class B>
        requires std::is_base_of_v<B, T> Handler(QKRESULT (B::*member)(const SourcePtr&,
                                                                       const NotificationPtr&))
        {
            if (member)
                m_call = [member](T& owner, const SourcePtr& source, const NotificationPtr& notification)
                { return (static_cast<B&>(owner).*member)(source, notification); };
        }

        explicit operator bool() const noexcept { return static_cast<bool>(m_call); }

        QKRESULT operator()(T& owner, const SourcePtr& source, const NotificationPtr& notification) const
        {
            return m_call(owner, source, notification);
        }

    private:
        std::function<QKRESULT(T&, const SourcePtr&, const NotificationPtr&)> m_call;
    };

    // A table for owner, which keeps the returned pointer for its lifetime.
    static RCPtr<LNotificationHandler> Create(T* owner)
    {
        return RCPtr<LNotificationHandler>(new LNotificationHandler(owner));
    }

    ~LNotificationHandler() override { m_owner = nullptr; }

    T* GetOwner() const noexcept { return m_owner; }

    // Subscribes the owner to source for nid with mask (bit 0: posted-only) and records the
    // handler; an existing entry for (source, id) keeps its handler, though the mask given
    // here replaces the subscription's. 0; 0x80070057 for a null source; 0x80004005 when
    // the subscription fails.
    QKRESULT AddHandler(const Handler& handler, const SourcePtr& source, NotificationName nid,
                        std::uint32_t mask = 0)
    {
        if (!source)
            return QK_E_INVALIDARG;
        const NID id = m_owner->Subscribe(source, nid, mask);
        if (id == 0)
            return QK_E_FAIL;
        m_handlers.emplace(Receivable(source.Get(), GetNotificationId(id)), handler);
        return QK_OK;
    }

    // A handler for notifications handed straight to the owner, with no source; nothing is
    // subscribed. 0, or 0x80004005 when nid is no id.
    QKRESULT AddDirectHandler(const Handler& handler, NotificationName nid)
    {
        const NID id = GetNotificationId(nid);
        if (id == 0)
            return QK_E_FAIL;
        m_handlers.emplace(Receivable(nullptr, id), handler);
        return QK_OK;
    }

    // Erases the entry for (source, id); false when there was none. The subscription stays.
    bool RemoveHandler(const LNotificationDistributor* source, NotificationName nid)
    {
        return m_handlers.erase(Receivable(source, GetNotificationId(nid))) != 0;
    }
    bool RemoveHandler(const SourcePtr& source, NotificationName nid)
    {
        return RemoveHandler(source.Get(), nid);
    }

    // Whether the table has a handler for (source, id), so that a class chain can offer a
    // notification to the next table when this one has none.
    bool HasHandler(const LNotificationDistributor* source, NID id) const
    {
        const auto entry = m_handlers.find(Receivable(source, id));
        return entry != m_handlers.end() && static_cast<bool>(entry->second);
    }

    // Calls the handler for (source, the notification's id); 0 when there is none.
    QKRESULT Dispatch(const SourcePtr& source, const NotificationPtr& notification) const
    {
        if (!notification || !m_owner)
            return QK_OK;
        const auto entry = m_handlers.find(Receivable(source.Get(), notification->GetId()));
        if (entry == m_handlers.end() || !entry->second)
            return QK_OK;
        return entry->second(*m_owner, source, notification);
    }

    // Offers the notification to the table: true when it held an entry for (source, id),
    // whose answer is then in result, even 0. A class chain of tables stops at the first
    // table that answers true, so a handler answering 0 still ends the offer.
    bool DispatchEntry(const SourcePtr& source, const NotificationPtr& notification, QKRESULT& result) const
    {
        if (!notification || !m_owner || !HasHandler(source.Get(), notification->GetId()))
            return false;
        result = Dispatch(source, notification);
        return true;
    }

    // The handler for (source, nid) and the owner's current subscription mask at source.
    // 0x80004005 when the table has no entry; else the source's GetClientMask result.
    QKRESULT FindRegistration(const SourcePtr& source, NotificationName nid, Handler& handler,
                              std::uint32_t& mask) const
    {
        const NID id = GetNotificationId(nid);
        const auto entry = m_handlers.find(Receivable(source.Get(), id));
        if (entry == m_handlers.end() || !source)
            return QK_E_FAIL;
        handler = entry->second;
        const ConstRCPtr<LNotificationReceiver> client(static_cast<LNotificationClient*>(m_owner));
        return source->GetClientMask(client, id, mask);
    }

private:
    explicit LNotificationHandler(T* owner) : m_owner(owner) {}

    T* m_owner;
    std::map<Receivable, Handler> m_handlers;
};

// Suspends the owner's subscription to (source, nid) and its handler for one scope, and
// restores both, with the mask it had, when the scope ends.
template <class T> class CAutoNotificationDisabler
{
public:
    using Table = LNotificationHandler<T>;

    // Raises a failed-result exception when the table has no such handler or the owner no
    // such subscription.
    CAutoNotificationDisabler(Table& table, const typename Table::SourcePtr& source, NotificationName nid)
        : m_table(&table), m_source(source), m_id(GetNotificationId(nid))
    {
        CheckResult(table.FindRegistration(source, m_id, m_handler, m_mask), Site(false, __LINE__));
        table.GetOwner()->Unsubscribe(source, m_id);
        if (!table.RemoveHandler(source, m_id))
            CheckResult(QK_E_FAIL, Site(false, __LINE__));
    }

    CAutoNotificationDisabler(const CAutoNotificationDisabler&) = delete;
    CAutoNotificationDisabler& operator=(const CAutoNotificationDisabler&) = delete;

    // Raises a failed-result exception when the handler cannot be added back, unless the
    // scope is being left by another exception: then the failure is logged instead.
    ~CAutoNotificationDisabler() noexcept(false)
    {
        const QKRESULT result = m_table->AddHandler(m_handler, m_source, m_id, m_mask);
        if (!Failed(result))
            return;
        const ThrowSite site = Site(true, __LINE__);
        if (std::uncaught_exceptions() > m_uncaughtOnEntry)
        {
            const std::string text =
                FormatExceptionText(ExceptionKind<FailedResultException>::prefix, FormatResultCode(result),
                                    site.function, site.source, site.line);
            DebugLog::Get().GetNarrowOutput() << text << std::endl;
            return;
        }
        CheckResult(result, site);
    }

private:
    ThrowSite Site(bool destructor, int line)
    {
        m_function = "QK::CAutoNotificationDisabler<" + TypeName<T>() + ">::" + (destructor ? "~" : "") +
                     "CAutoNotificationDisabler";
        return ThrowSite{m_function, "notification\\NotificationHandler", line};
    }

    RCPtr<Table> m_table;
    typename Table::SourcePtr m_source;
    NID m_id;
    typename Table::Handler m_handler;
    std::uint32_t m_mask = 0;
    const int m_uncaughtOnEntry = std::uncaught_exceptions();
    std::string m_function;
};

// Offers the notification to an owner's table, if it has one; true when the table held an
// entry, whose answer is then in result. The table is held for the call, so that a handler
// may replace or drop the owner's table.
template <class T>
bool OfferToTable(const RCPtr<LNotificationHandler<T>>& table, const ConstRCPtr<LNotificationDistributor>& source,
                  const ConstRCPtr<LNotification>& notification, QKRESULT& result)
{
    if (!table)
        return false;
    const RCPtr<LNotificationHandler<T>> held = table;
    return held->DispatchEntry(source, notification, result);
}

// A class's ReceiveNotification in a class chain of tables: its own table answers when it
// holds an entry and the owner still handles notifications, else Base receives the
// notification. Checked here, so that no class of a chain can forget it.
template <class Base, class Owner, class T>
QKRESULT ReceiveThroughTable(Owner& owner, const RCPtr<LNotificationHandler<T>>& table,
                             const ConstRCPtr<LNotificationDistributor>& source,
                             const ConstRCPtr<LNotification>& notification)
{
    QKRESULT result = QK_OK;
    if (static_cast<const LNotificationClient&>(owner).IsHandlingNotifications() &&
        OfferToTable(table, source, notification, result))
        return result;
    return static_cast<Base&>(owner).Base::ReceiveNotification(source, notification);
}

// A class's DetachFromDistributor in a class chain of tables: its own table forgets the
// entry, then Base detaches.
template <class Base, class Owner, class T>
QKRESULT DetachThroughTable(Owner& owner, const RCPtr<LNotificationHandler<T>>& table,
                            const ConstRCPtr<LNotificationDistributor>& source, NID id)
{
    if (table)
        table->RemoveHandler(source, id);
    return static_cast<Base&>(owner).Base::DetachFromDistributor(source, id);
}

} // namespace QK
