// Result codes returned by framework operations.
//
// A QKRESULT is a signed 32-bit code: 0 success, 1 "nothing done", any negative value a
// failure. The failure values are the HRESULTs of the same name so that codes read the same
// in logs on every platform.
#pragma once

#include <cstdint>

namespace QK
{

using QKRESULT = std::int32_t;

inline constexpr QKRESULT QK_OK = 0;
inline constexpr QKRESULT QK_FALSE = 1;
inline constexpr QKRESULT QK_E_FAIL = static_cast<QKRESULT>(0x80004005u);
inline constexpr QKRESULT QK_E_INVALIDARG = static_cast<QKRESULT>(0x80070057u);
inline constexpr QKRESULT QK_E_NOTIMPL = static_cast<QKRESULT>(0x80004001u);
inline constexpr QKRESULT QK_E_OUTOFMEMORY = static_cast<QKRESULT>(0x8007000Eu);
// A file name that cannot be used as it is (the system's ERROR_INVALID_NAME).
inline constexpr QKRESULT QK_E_INVALIDNAME = static_cast<QKRESULT>(0x8007007Bu);

constexpr bool Failed(QKRESULT r) noexcept { return r < 0; }
constexpr bool Succeeded(QKRESULT r) noexcept { return r >= 0; }

// Outcomes of the framework start-up on which the application shell stops quietly, without
// an error box. No framework operation returns them.
constexpr bool IsQuietStartupResult(QKRESULT r) noexcept
{
    switch (static_cast<std::uint32_t>(r))
    {
    case 0x8000A000u:
    case 0x8000A001u:
    case 0x8000A002u:
    case 0x8000A003u:
    case 0x8000A010u:
    case 0x8000A020u:
        return true;
    default:
        return false;
    }
}

} // namespace QK
