// basic_debugbuf and basic_dostream: standard output streams whose text is collected and,
// at each flush, handed on as one chunk (the debug log sends it to its channel).
//
// Every put and every flush of one buffer runs under the buffer's own lock, so any thread
// may write to the stream; chunks of different threads do not mix, though text written by
// several threads between two flushes does. A chunk never holds more than kChunkLength
// characters: a longer text is handed on in several chunks as it is written. The deliver
// function runs on the flushing thread, with the buffer's lock held.
//
// The stream's formatting state (width, precision, base) is shared by every thread that
// writes to it; threads that change it format into their own string first.
#pragma once

#include "QKFramework/Threads/Mutex.h"

#include <algorithm>
#include <functional>
#include <locale>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

namespace QK
{

template <class C> class basic_debugbuf : public std::basic_streambuf<C>
{
public:
    using Base = std::basic_streambuf<C>;
    using typename Base::int_type;
    using traits_type = typename Base::traits_type;
    // Receives one chunk: length characters at text, followed by a NUL.
    using Deliver = std::function<void(const C* text, std::size_t length)>;

    static constexpr std::size_t kChunkLength = 1023;

    explicit basic_debugbuf(Deliver deliver) : m_deliver(std::move(deliver)) {}
    basic_debugbuf(const basic_debugbuf&) = delete;
    basic_debugbuf& operator=(const basic_debugbuf&) = delete;

    // Text not yet flushed is handed on now.
    ~basic_debugbuf() override
    {
        try
        {
            MutexLock lock(m_mutex);
            if (!m_text.empty())
                FlushLocked();
        }
        catch (...)
        {
        }
    }

protected:
    // Hands on what was collected, also when that is nothing.
    int sync() override
    {
        try
        {
            MutexLock lock(m_mutex);
            FlushLocked();
            return 0;
        }
        catch (...)
        {
            return -1;
        }
    }

    std::streamsize xsputn(const C* text, std::streamsize count) override
    {
        if (count <= 0)
            return 0;
        MutexLock lock(m_mutex);
        std::streamsize written = 0;
        while (written < count)
        {
            if (m_text.size() >= kChunkLength)
                FlushLocked();
            const std::streamsize room = static_cast<std::streamsize>(kChunkLength - m_text.size());
            const std::streamsize chunk = std::min(count - written, room);
            m_text.append(text + written, static_cast<std::size_t>(chunk));
            written += chunk;
        }
        return written;
    }

    // There is no put area: every character comes here or to xsputn, under the lock.
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        MutexLock lock(m_mutex);
        if (m_text.size() >= kChunkLength)
            FlushLocked();
        m_text.push_back(traits_type::to_char_type(c));
        return c;
    }

private:
    void FlushLocked()
    {
        std::basic_string<C> chunk;
        chunk.swap(m_text);
        if (m_deliver)
            m_deliver(chunk.c_str(), chunk.size());
    }

    Mutex m_mutex;
    std::basic_string<C> m_text;
    Deliver m_deliver;
};

template <class C> class basic_dostream : public std::basic_ostream<C>
{
public:
    explicit basic_dostream(typename basic_debugbuf<C>::Deliver deliver)
        : std::basic_ostream<C>(nullptr), m_buffer(std::make_unique<basic_debugbuf<C>>(std::move(deliver)))
    {
        this->rdbuf(m_buffer.get());
        // Numbers read the same in every log, whatever locale the program runs in.
        this->imbue(std::locale::classic());
    }
    basic_dostream(const basic_dostream&) = delete;
    basic_dostream& operator=(const basic_dostream&) = delete;
    ~basic_dostream() override = default;

private:
    std::unique_ptr<basic_debugbuf<C>> m_buffer;
};

} // namespace QK
