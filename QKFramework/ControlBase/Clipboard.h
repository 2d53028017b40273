// IClipboard: what the text-editing controls ask of the application's clipboard. The
// application shell installs its clipboard with LControlClipboard::SetClipboard; until then
// there is none: no text to paste, writes fail and no edit can be performed. UI thread only.
#pragma once

#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>

namespace QK
{

class IClipboard
{
public:
    // Edit kinds of CanPerformEdit and LControl::PerformEdit.
    static constexpr std::int32_t kDelete = 0;
    static constexpr std::int32_t kCut = 1;
    static constexpr std::int32_t kCopy = 2;
    static constexpr std::int32_t kPaste = 3;

    // The clipboard's text; empty when it holds none. Not const: a clipboard may cache what
    // it read.
    virtual WString GetText() = 0;
    // 0, or 0x80004005 when the text could not be put on the clipboard.
    virtual QKRESULT SetText(const WString& text) = 0;
    // Whether the focused control can perform the edit now (its HandleClipboardData).
    virtual bool CanPerformEdit(std::int32_t kind) = 0;

protected:
    ~IClipboard() = default;
};

class LControlClipboard
{
public:
    // Installs clipboard (null: none). The caller keeps it alive while installed.
    static void SetClipboard(IClipboard* clipboard);
    static IClipboard* GetClipboard();

    static WString GetText();
    static QKRESULT SetText(const WString& text);
    static bool CanPerformEdit(std::int32_t kind);
};

} // namespace QK
