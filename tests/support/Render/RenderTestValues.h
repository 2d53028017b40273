// Small helpers the drawing tests share: colours written as packed ARGB, and the text of
// whatever an action throws.
#pragma once

#include "QKFramework/Utilities/Graphics/ColorRGBA.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <string>

namespace QK::TestSupport
{

inline ColorRGBA Argb(std::uint32_t argb)
{
    ColorRGBA color;
    color.FromARGB(argb);
    return color;
}

inline std::string ThrownText(const std::function<void()>& action)
{
    try
    {
        action();
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    return "nothing thrown";
}

} // namespace QK::TestSupport
