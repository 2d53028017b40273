#include "QKFramework/Platform/Window/SdlSystemClipboard.h"

#include <SDL.h>

namespace QK
{

std::string SdlSystemClipboard::ReadText()
{
    char* text = SDL_GetClipboardText();
    if (!text)
        return {};
    std::string copy(text);
    SDL_free(text);
    return copy;
}

void SdlSystemClipboard::Observe(const std::string& text)
{
    if (text == m_lastText)
        return;
    m_lastText = text;
    m_privateObject = false;
    ++m_sequenceNumber;
}

std::uint32_t SdlSystemClipboard::GetSequenceNumber()
{
    Observe(ReadText());
    return m_sequenceNumber;
}

bool SdlSystemClipboard::HasText()
{
    return SDL_HasClipboardText() == SDL_TRUE;
}

bool SdlSystemClipboard::HasPrivateObject()
{
    Observe(ReadText());
    return m_privateObject;
}

bool SdlSystemClipboard::GetText(WString& text)
{
    const std::string utf8 = ReadText();
    Observe(utf8);
    text = WString(utf8.c_str());
    return true;
}

QKRESULT SdlSystemClipboard::SetText(const WString& text)
{
    const NString utf8(text.GetString());
    if (SDL_SetClipboardText(utf8.GetString()) != 0)
        return QK_E_FAIL;
    m_lastText = utf8.GetString();
    m_privateObject = false;
    ++m_sequenceNumber;
    return QK_OK;
}

QKRESULT SdlSystemClipboard::SetPrivateObject()
{
    if (SDL_SetClipboardText("") != 0)
        return QK_E_FAIL;
    m_lastText.clear();
    m_privateObject = true;
    ++m_sequenceNumber;
    return QK_OK;
}

ISystemClipboard& GetPlatformSystemClipboard()
{
    static SdlSystemClipboard clipboard;
    return clipboard;
}

} // namespace QK
