// The key store that registry reading goes through: a tree of keys below a few roots, each
// key with named, typed values and named sub-keys. It only reads.
//
// The platform's own store is the key-store files (see Platform/Core/IniKeyStore.h); a test
// may put another store in its place. Key paths are the registry's: components joined by
// backslashes, matched ignoring case.
#pragma once

#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace QK
{

enum class RegistryRoot : std::uint32_t
{
    ClassesRoot = 0,
    CurrentUser = 1,
    LocalMachine = 2,
    Users = 3,
    // Stands for any other selector; every store refuses it.
    Invalid = 0xFFFFFFFF,
};

// Value types, numbered as the registry numbers them.
inline constexpr std::uint32_t kRegistryString = 1;
inline constexpr std::uint32_t kRegistryExpandString = 2;
inline constexpr std::uint32_t kRegistryBinary = 3;
inline constexpr std::uint32_t kRegistryDWord = 4;
inline constexpr std::uint32_t kRegistryQWord = 11;

// One open key. The handle is a view of the key as it was when opened.
class IRegistryKeyHandle
{
public:
    virtual ~IRegistryKeyHandle() = default;

    // The type and bytes of the value called name (ignoring case; the empty name is the
    // key's default value). Text values are UTF-16 little-endian bytes, normally ending
    // with a NUL unit. False when there is no such value.
    virtual bool QueryValue(const WString& name, std::uint32_t& type, std::vector<std::uint8_t>& data) const = 0;
    // The number of sub-keys; false when it cannot be told.
    virtual bool QuerySubKeyCount(std::uint32_t& count) const = 0;
    // The name of sub-key index; false past the last one or when it cannot be read.
    virtual bool EnumSubKey(std::uint32_t index, WString& name) const = 0;
};

class IRegistryStore
{
public:
    // Opens the key at path below root (empty: the root key itself). view64 asks for the
    // 64-bit view where a store has two. Null when there is no such key or root.
    virtual std::unique_ptr<IRegistryKeyHandle> OpenKey(RegistryRoot root, const WString& path,
                                                        bool view64) const = 0;

protected:
    ~IRegistryStore() = default;
};

// The platform's own store, used while no other is set.
const IRegistryStore& GetPlatformRegistryStore();

// Puts store in place of the current one (null: the platform's own again) and answers the
// one it replaces. The store must outlive its use.
const IRegistryStore* SetRegistryStore(const IRegistryStore* store);

// The store in use.
const IRegistryStore& GetRegistryStore();

} // namespace QK
