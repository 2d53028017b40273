// An IPv4 datagram socket that sends to one fixed destination (the UDP debug log).
#pragma once

#include "QKFramework/Platform/Core/FileDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace QK
{

class UdpSocket
{
public:
    // The first IPv4 address of host in dotted form; empty when host has none.
    static std::string ResolveIPv4(const char* host);
    // The name of this machine; empty when it has none.
    static std::string GetHostName();

    // Makes the socket for sending to the dotted IPv4 address and port. False when the
    // address is not dotted IPv4 or the system refuses the socket; the socket is then closed.
    bool Open(const char* dottedAddress, std::uint16_t port);
    bool IsOpen() const noexcept { return m_socket.IsValid(); }
    void Close() noexcept { m_socket.Reset(); }

    // Sends size bytes as one datagram; false when the socket is closed or the send failed.
    bool Send(const void* data, std::size_t size) const noexcept;

private:
    UniqueDescriptor m_socket;
    std::uint32_t m_address = 0; // network byte order
    std::uint16_t m_port = 0;    // network byte order
};

} // namespace QK
