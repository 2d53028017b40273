// libFuzzer target for the payload a second instance hands to the first over the
// single-instance socket. A payload is taken only when it is at most 64 KiB, ends with its
// one NUL and is well-formed UTF-8; what is taken converts back to exactly the bytes before
// the NUL, and what is refused leaves the text alone.
#include "QKFramework/Platform/Window/SingleInstance.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    QK::WString text(u"untouched");
    const bool taken = QK::DecodeHandOverPayload(bytes, size, text);
    if (!taken)
    {
        FUZZ_CHECK(text.IsEqual(u"untouched"));
        return 0;
    }
    FUZZ_CHECK(size >= 1 && size <= QK::kMaxHandOverBytes && bytes[size - 1] == '\0');
    FUZZ_CHECK(std::memchr(bytes, '\0', size - 1) == nullptr);
    const QK::NString back(text.GetString());
    FUZZ_CHECK(std::string(back.GetString()) == std::string(bytes, size - 1));
    return 0;
}
