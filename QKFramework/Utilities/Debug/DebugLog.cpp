#include "QKFramework/Utilities/Debug/DebugLog.h"

#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <string_view>
#include <utility>

namespace QK
{

namespace
{

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out += static_cast<char>(c);
    }
    else if (c < 0x800)
    {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else if (c < 0x10000)
    {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// wchar_t holds UTF-32 here; what is not a character becomes U+FFFD.
std::string WideToUtf8(const wchar_t* text, std::size_t length)
{
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
    {
        const auto c = static_cast<char32_t>(text[i]);
        const bool valid = c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
        AppendUtf8(out, valid ? c : char32_t(0xFFFD));
    }
    return out;
}

} // namespace

DebugLog& DebugLog::Get()
{
    static DebugLog log;
    return log;
}

DebugLog::DebugLog()
    : m_narrowStream([this](const char* text, std::size_t length) { DeliverNarrow(text, length); }),
      m_wideStream([this](const wchar_t* text, std::size_t length) { DeliverWide(text, length); }),
      m_narrowOutput(&m_narrowStream), m_wideOutput(&m_wideStream)
{
}

DebugLog::~DebugLog()
{
    // Both streams are emptied while the target is whole; after that nothing uses it, so the
    // order in which the members go does not matter.
    m_wideStream.flush();
    m_narrowStream.flush();
    MutexLock lock(m_mutex);
    m_udpPort = -1;
    m_udpHost.clear();
    m_socket.Close();
}

void DebugLog::OpenDebugConsole()
{
    MutexLock lock(m_mutex);
    m_console = true;
}

void DebugLog::SetDebugLogTarget(const char* host, std::int32_t port)
{
    MutexLock lock(m_mutex);
    const std::string newHost = host ? std::string(host) : m_udpHost;
    if (newHost != m_udpHost || port != m_udpPort)
        m_socket.Close();
    m_udpHost = newHost;
    m_udpPort = port;
}

bool DebugLog::ApplyCommandLine(const WString& commandLine)
{
    // The search runs on an upper-case copy (byte by byte), so the option counts in any case
    // and anywhere; the host is taken from the original text at the same place.
    const std::string original = NString(commandLine.GetString()).GetString();
    std::string upper = original;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');

    static constexpr std::string_view kOption = "-DEBUG_CONSOLE";
    static constexpr std::string_view kOptionWithPort = "-DEBUG_CONSOLE:";
    if (upper.find(kOption) == std::string::npos)
        return false;
    const std::size_t found = upper.find(kOptionWithPort);
    if (found == std::string::npos)
    {
        OpenDebugConsole();
        return true;
    }
    const std::size_t start = found + kOptionWithPort.size();
    std::size_t end = upper.find(' ', start);
    if (end == std::string::npos)
        end = upper.size();
    // A colon past the blank belongs to another argument.
    const std::size_t colon = std::min(upper.find(':', start), end);
    if (colon <= start + 1)
        return false;
    const std::int32_t port = std::atoi(upper.substr(start, colon - start).c_str());
    if (colon + 1 < end)
        SetDebugLogTarget(original.substr(colon + 1, end - colon - 1).c_str(), port);
    else
        SetDebugLogTarget(nullptr, port);
    return true;
}

bool DebugLog::IsDebugConsoleOpen() const
{
    MutexLock lock(m_mutex);
    return m_console;
}

std::string DebugLog::GetUdpHost() const
{
    MutexLock lock(m_mutex);
    return m_udpHost;
}

std::int32_t DebugLog::GetUdpPort() const
{
    MutexLock lock(m_mutex);
    return m_udpPort;
}

IDebugOutputSink* DebugLog::SetDebuggerOutput(IDebugOutputSink* sink)
{
    MutexLock lock(m_mutex);
    return std::exchange(m_debugger, sink);
}

void DebugLog::WriteDebugLine(const wchar_t* text)
{
    const std::string narrow = text ? WideToUtf8(text, std::wcslen(text)) : std::string();
    MutexLock lock(m_mutex);
    if (IsUdpOnLocked())
        SendUdpLocked(m_udpHost.empty() ? nullptr : m_udpHost.c_str(), m_udpPort, narrow);
    else
        EmitLocked(narrow);
}

void DebugLog::SendDebugLineUdp(const char* host, std::int32_t port, const char* text)
{
    MutexLock lock(m_mutex);
    SendUdpLocked(host, port, text ? std::string_view(text) : std::string_view());
}

void DebugLog::DeliverNarrow(const char* text, std::size_t length)
{
    MutexLock lock(m_mutex);
    if (IsUdpOnLocked())
        SendUdpLocked(m_udpHost.empty() ? nullptr : m_udpHost.c_str(), m_udpPort,
                      std::string_view(text, length));
    else
        EmitLocked(std::string_view(text, length));
}

void DebugLog::DeliverWide(const wchar_t* text, std::size_t length)
{
    const std::string narrow = WideToUtf8(text, length);
    MutexLock lock(m_mutex);
    if (IsUdpOnLocked())
        SendUdpLocked(m_udpHost.empty() ? nullptr : m_udpHost.c_str(), m_udpPort, narrow);
    else
        EmitLocked(narrow);
}

void DebugLog::EmitLocked(std::string_view text)
{
    if (m_console)
    {
        if (!text.empty())
        {
            std::fwrite(text.data(), 1, text.size(), stderr);
            std::fflush(stderr);
        }
        return;
    }
    if (m_debugger)
        m_debugger->Write(text);
}

void DebugLog::SendUdpLocked(const char* host, std::int32_t port, std::string_view text)
{
    if (!m_socket.IsOpen())
    {
        std::string address;
        if (host && host[0] != 0)
            address = UdpSocket::ResolveIPv4(host);
        if (address.empty())
            address = UdpSocket::ResolveIPv4(UdpSocket::GetHostName().c_str());
        if (address.empty())
            address = "127.0.0.1";
        if (port >= 1 && port <= 65535 && m_socket.Open(address.c_str(), static_cast<std::uint16_t>(port)))
        {
            const std::string_view parts[] = {kLaunchedPrefix, address, kLaunchedSuffix};
            for (const std::string_view part : parts)
                m_socket.Send(part.data(), part.size());
        }
    }
    if (!text.empty())
        m_socket.Send(text.data(), text.size());
}

} // namespace QK
