// The names of skin controls that the editor's code looks up by name. The skins, and the
// skin lint that checks them, name the same controls through these.
#pragma once

#include <cstdint>

namespace QK::SkinNames
{

// The device view's favorite bank: "fav1" to "fav8", each with a send and a get button,
// and one button that sends to the controller's working preset.
inline constexpr const char16_t* kFavoriteBankPanel = u"favoriteBankPanel";
inline constexpr const char16_t* kFavoritePanelStem = u"fav";
inline constexpr std::uint32_t kFavoriteCount = 8;
inline constexpr const char16_t* kSendButton = u"sendButton";
inline constexpr const char16_t* kReceiveButton = u"recButton";
inline constexpr const char16_t* kSendToRamButton = u"sendToRamButton";

// The program's two skins, in their order in its skin file: the high-DPI skin, every size of
// which is twice the standard skin's, then the standard skin.
inline constexpr std::uint32_t kSkinCount = 2;
inline constexpr std::uint32_t kHighDpiSkin = 0;
inline constexpr std::uint32_t kStandardSkin = 1;
inline constexpr double kHighDpiSkinScale = 2.0;

} // namespace QK::SkinNames
