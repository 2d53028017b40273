// DebugLog: where the framework's debug text goes.
//
// The log offers a narrow (UTF-8) and a wide output stream; whatever is written to them is
// handed on, one chunk per flush, to one channel:
//  - a UDP log listener, once SetDebugLogTarget has given a port from 1 to 65535 ("-DEBUG_CONSOLE:
//    <port>[:<host>]"). The first flush makes the socket and announces this program to the
//    listener in three datagrams ("*** APPLICATION Launched on ", the address, "***\n"); then
//    every non-empty chunk is one datagram.
//  - standard error as UTF-8, after OpenDebugConsole ("-DEBUG_CONSOLE").
//  - otherwise the debugger output: a sink that stays silent until one is set.
// Nothing is reported to writers: a failed lookup falls back to this machine's address or
// 127.0.0.1, a socket that cannot be made is tried again at the next flush, a failed send is
// dropped.
//
// Any thread may write and flush (see DebugStream.h); the channel settings and the socket
// are guarded by the log's own lock, taken after a stream buffer's lock. The sink is called
// on the flushing thread with both held.
#pragma once

#include "QKFramework/Platform/Core/UdpSocket.h"
#include "QKFramework/Threads/Mutex.h"
#include "QKFramework/Utilities/Debug/DebugStream.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace QK
{

// Receives debug text meant for a debugger, as UTF-8.
class IDebugOutputSink
{
public:
    virtual void Write(std::string_view text) = 0;

protected:
    ~IDebugOutputSink() = default;
};

class DebugLog
{
public:
    // The process-wide log, made on first use and destroyed at exit.
    static DebugLog& Get();

    DebugLog();
    // Flushes both streams while the channel is still whole.
    ~DebugLog();
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;

    std::ostream& GetNarrowOutput() noexcept { return *m_narrowOutput; }
    std::wostream& GetWideOutput() noexcept { return *m_wideOutput; }

    // Sends what the streams have collected from now on to standard error.
    void OpenDebugConsole();
    // Sends debug text to the UDP listener at host (null: keep the host set before) and port;
    // a port outside 1 to 65535 turns UDP off. A changed target is announced again.
    void SetDebugLogTarget(const char* host, std::int32_t port);
    // Looks for "-DEBUG_CONSOLE" anywhere in the whole command line, in any case: alone it
    // opens the console; "-DEBUG_CONSOLE:<port>[:<host>]" with a port of at least two
    // characters sets the UDP target instead. False when nothing was applied (no option, or
    // a port too short, which is ignored).
    bool ApplyCommandLine(const WString& commandLine);

    bool IsDebugConsoleOpen() const;
    std::string GetUdpHost() const;
    std::int32_t GetUdpPort() const;

    // Hands one wide text to the channel.
    void WriteDebugLine(const wchar_t* text);
    // Sends text as one datagram to host (null or empty: this machine) and port, making the
    // socket first when there is none.
    void SendDebugLineUdp(const char* host, std::int32_t port, const char* text);

    // The debugger output (null: silent); answers the sink it replaces.
    IDebugOutputSink* SetDebuggerOutput(IDebugOutputSink* sink);

    // The announcement datagrams' first and last parts.
    static constexpr const char* kLaunchedPrefix = "*** APPLICATION Launched on ";
    static constexpr const char* kLaunchedSuffix = "***\n";

private:
    bool IsUdpOnLocked() const noexcept { return m_udpPort >= 1 && m_udpPort <= 65535; }
    void DeliverNarrow(const char* text, std::size_t length);
    void DeliverWide(const wchar_t* text, std::size_t length);
    void EmitLocked(std::string_view text);
    void SendUdpLocked(const char* host, std::int32_t port, std::string_view text);

    // Declared before the streams: a stream's last flush at destruction still uses them.
    mutable Mutex m_mutex;
    std::string m_udpHost;
    std::int32_t m_udpPort = -1;
    bool m_console = false;
    IDebugOutputSink* m_debugger = nullptr;
    UdpSocket m_socket;

    basic_dostream<char> m_narrowStream;
    basic_dostream<wchar_t> m_wideStream;
    std::ostream* m_narrowOutput;
    std::wostream* m_wideOutput;
};

} // namespace QK
