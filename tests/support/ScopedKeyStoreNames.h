// ScopedKeyStoreNames: the key store's names (company folder, folder variable) as an
// application would hand them in, for one scope; the names before come back when it ends.
#pragma once

#include "QKFramework/Platform/Core/IniKeyStore.h"

namespace QK::TestSupport
{

class ScopedKeyStoreNames
{
public:
    explicit ScopedKeyStoreNames(const KeyStoreNames& names) : m_previous(GetKeyStoreNames())
    {
        SetKeyStoreNames(names);
    }
    ScopedKeyStoreNames(const ScopedKeyStoreNames&) = delete;
    ScopedKeyStoreNames& operator=(const ScopedKeyStoreNames&) = delete;
    ~ScopedKeyStoreNames() { SetKeyStoreNames(m_previous); }

private:
    KeyStoreNames m_previous;
};

} // namespace QK::TestSupport
