#include "QKFramework/ControlBase/Clipboard.h"

#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

namespace
{
IClipboard* g_clipboard = nullptr;
}

void LControlClipboard::SetClipboard(IClipboard* clipboard)
{
    g_clipboard = clipboard;
}

IClipboard* LControlClipboard::GetClipboard()
{
    return g_clipboard;
}

WString LControlClipboard::GetText()
{
    return g_clipboard ? g_clipboard->GetText() : WString();
}

QKRESULT LControlClipboard::SetText(const WString& text)
{
    return g_clipboard ? g_clipboard->SetText(text) : QK_E_FAIL;
}

bool LControlClipboard::CanPerformEdit(std::int32_t kind)
{
    return g_clipboard && g_clipboard->CanPerformEdit(kind);
}

} // namespace QK
