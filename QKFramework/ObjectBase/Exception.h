// The framework's exceptions and the one text format they all share.
//
// Every framework exception is an Exception<T> over a standard exception type, so callers
// catch the standard base. Its text reads
//     <kind prefix>[<detail> : ]<function> : <source> : Line <n>
// where the function is the qualified method ("QK::File::Open", template arguments spelled
// "class QK::X" joined by "," without blanks) and the source is the file below the source
// root with backslashes. Throw sites name their function and source explicitly: compilers
// disagree on both spellings, and the texts are part of what users and logs see.
#pragma once

#include "QKFramework/ObjectBase/Result.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace QK
{

// Common interface of every framework exception, beside its standard base.
struct ExceptionBase
{
    ExceptionBase() = default;
    ExceptionBase(const ExceptionBase&) = default;
    ExceptionBase& operator=(const ExceptionBase&) = default;
    virtual ~ExceptionBase() = default;

    // The text held by the standard part of the same object.
    const char* What() const;
};

// Carries a failed QKRESULT out of a sequence that cannot go on. The code lives only in
// the text.
class FailedResultException : public std::exception
{
public:
    explicit FailedResultException(std::string message) : m_message(std::move(message)) {}
    const char* what() const noexcept override { return m_message.c_str(); }

private:
    std::string m_message;
};

template <class T>
class Exception : public T, public ExceptionBase
{
public:
    explicit Exception(const char* text) : T(text) {}
    explicit Exception(const std::string& text) : T(text) {}
    Exception(const Exception&) = default;
    ~Exception() override = default;
};

template <>
class Exception<std::bad_alloc> : public std::bad_alloc, public ExceptionBase
{
public:
    Exception() = default;
    Exception(const Exception&) = default;
    ~Exception() override = default;
    const char* what() const noexcept override { return "bad allocation"; }
};

template <>
class Exception<FailedResultException> : public FailedResultException, public ExceptionBase
{
public:
    explicit Exception(const std::string& text) : FailedResultException(text) {}
    explicit Exception(const char* text) : FailedResultException(text) {}
    Exception(const Exception&) = default;
    ~Exception() override = default;
};

// The kind prefix that starts the text of each exception type.
template <class T> struct ExceptionKind;
template <> struct ExceptionKind<std::logic_error> { static constexpr const char* prefix = "Logic Error : "; };
template <> struct ExceptionKind<std::runtime_error> { static constexpr const char* prefix = "Runtime Error : "; };
template <> struct ExceptionKind<std::out_of_range> { static constexpr const char* prefix = "Out of Range : "; };
template <> struct ExceptionKind<std::domain_error> { static constexpr const char* prefix = "Domain Error : "; };
template <> struct ExceptionKind<std::invalid_argument> { static constexpr const char* prefix = "Invalid Argument : "; };
template <> struct ExceptionKind<FailedResultException> { static constexpr const char* prefix = "Failed Result : "; };

// "QKRESULT = " and the code as unsigned upper-case hex without leading zeros.
std::string FormatResultCode(QKRESULT code);

// Joins the fields of an exception text. An empty detail leaves its field out.
std::string FormatExceptionText(std::string_view prefix, std::string_view detail, std::string_view function,
                                std::string_view source, int line);

// Where a throw happens: the qualified function and the source below the source root.
struct ThrowSite
{
    std::string_view function;
    std::string_view source;
    int line;
};

template <class T>
[[noreturn]] void Throw(const ThrowSite& site, std::string_view detail = {})
{
    throw Exception<T>(FormatExceptionText(ExceptionKind<T>::prefix, detail, site.function, site.source, site.line));
}

// "Runtime Error : Null Pointer : <detail> : ..." for a pointer the code cannot do without.
[[noreturn]] void ThrowNullPointer(const ThrowSite& site, std::string_view detail);

// Throws the failed-result exception for a negative code; 0 and positive codes pass.
inline void CheckResult(QKRESULT code, const ThrowSite& site)
{
    if (Failed(code))
        Throw<FailedResultException>(site, FormatResultCode(code));
}

[[noreturn]] inline void ThrowBadAlloc() { throw Exception<std::bad_alloc>(); }

} // namespace QK

// A throw site in the current source line: QK_SITE("QK::File::Open", "Utilities\\Storage\\QKFile").
#define QK_SITE(function, source) ::QK::ThrowSite{function, source, __LINE__}
