#include "QKFramework/Platform/Core/UdpSocket.h"

#include "QKFramework/Platform/Core/UniqueHandle.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace QK
{

namespace
{

struct AddressListTraits
{
    using Handle = addrinfo*;
    static constexpr addrinfo* Invalid() noexcept { return nullptr; }
    static void Close(addrinfo* list) noexcept { ::freeaddrinfo(list); }
};

} // namespace

std::string UdpSocket::ResolveIPv4(const char* host)
{
    if (host == nullptr || host[0] == 0)
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host, nullptr, &hints, &found) != 0)
        return {};
    UniqueHandle<AddressListTraits> list(found);
    for (const addrinfo* entry = list.Get(); entry != nullptr; entry = entry->ai_next)
    {
        if (entry->ai_family != AF_INET || entry->ai_addr == nullptr)
            continue;
        sockaddr_in address;
        std::memcpy(&address, entry->ai_addr, sizeof address);
        char dotted[INET_ADDRSTRLEN] = {};
        if (::inet_ntop(AF_INET, &address.sin_addr, dotted, sizeof dotted) != nullptr)
            return dotted;
    }
    return {};
}

std::string UdpSocket::GetHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

bool UdpSocket::Open(const char* dottedAddress, std::uint16_t port)
{
    Close();
    in_addr address{};
    if (dottedAddress == nullptr || ::inet_pton(AF_INET, dottedAddress, &address) != 1)
        return false;
    m_socket.Reset(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
    if (!m_socket)
        return false;
    m_address = address.s_addr;
    m_port = htons(port);
    return true;
}

bool UdpSocket::Send(const void* data, std::size_t size) const noexcept
{
    if (!m_socket)
        return false;
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_port = m_port;
    destination.sin_addr.s_addr = m_address;
    ssize_t sent;
    do
        sent = ::sendto(m_socket.Get(), data, size, MSG_NOSIGNAL,
                        reinterpret_cast<const sockaddr*>(&destination), sizeof destination);
    while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(size);
}

} // namespace QK
