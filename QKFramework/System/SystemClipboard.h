// ISystemClipboard: the desktop's clipboard as LClipboard uses it.
//
// The platform's clipboard (SDL's, UTF-8 on the wire) stands behind it in the program; tests
// put a fake in its place. The sequence number changes whenever anyone changes the clipboard,
// this program included, so that a reader can tell whether what it cached is still there.
// Objects of the program that are not text never leave the program: the clipboard only
// learns that it holds "one of ours" (SetPrivateObject).
//
// UI thread only.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

class ISystemClipboard
{
public:
    virtual std::uint32_t GetSequenceNumber() = 0;
    virtual bool HasText() = 0;
    // Whether the clipboard still holds the placeholder of SetPrivateObject.
    virtual bool HasPrivateObject() = 0;
    // false when the clipboard could not be read; text is then unchanged.
    virtual bool GetText(WString& text) = 0;
    // Empties the clipboard and places text. 0, or 0x80004005.
    virtual QKRESULT SetText(const WString& text) = 0;
    // Empties the clipboard and marks it as holding an object of this program that only the
    // program itself can read. 0, or 0x80004005.
    virtual QKRESULT SetPrivateObject() = 0;

protected:
    ~ISystemClipboard() = default;
};

// The platform's clipboard, one per process.
ISystemClipboard& GetPlatformSystemClipboard();

} // namespace QK
