// Notification ids (NID): every notification name ("NID_IDLE", "NID_VALUE_CHANGE", ...) is
// interned once per process, and its id is the address of the interned wide characters.
//
// So an id reads back as its name (reinterpret it as a const char16_t*), ids compare by
// integer equality only, and 0 means none. Names are case-sensitive. Interned names never
// move and are never freed while the process runs. Every function here is safe on any
// thread; they share the registry lock with notification recycling.
#pragma once

#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>

namespace QK
{

class Mutex;
template <class C, class OtherC> class StringArrayT;

using NID = std::uintptr_t;

// What the notification operations accept as "a notification": a name, or an id already
// interned. An id is only ever matched by address, so a number that is no id is refused
// instead of being read as characters.
class NotificationName
{
public:
    NotificationName(const char16_t* name) noexcept : m_name(name) {}
    NotificationName(const WString& name) noexcept;
    NotificationName(NID id) noexcept : m_id(id), m_isId(true) {}

    const char16_t* GetText() const noexcept { return m_name; }
    NID GetIdValue() const noexcept { return m_id; }
    bool IsId() const noexcept { return m_isId; }

private:
    const char16_t* m_name = nullptr;
    NID m_id = 0;
    bool m_isId = false;
};

// The id of a name, interning it on first use; 0 for a null or empty name and for a number
// that is not an interned id. A name pointer that is itself an id gives that id.
NID GetNotificationId(NotificationName name);

// The name of an id; empty for 0 or for any value that is not an id.
WString GetNotificationName(NID id);

// The interning table, in order of first use. Read it only under GetNidRegistryLock.
const StringArrayT<char16_t, char>& GetNotificationIdNames();

// The process-wide lock over the NID table and the recycled notifications. It is never
// destroyed, so notifications may be released at any point of the process's exit.
Mutex& GetNidRegistryLock();

} // namespace QK
