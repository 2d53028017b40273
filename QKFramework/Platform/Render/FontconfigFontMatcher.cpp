#include "QKFramework/Platform/Render/FontMatcher.h"

#include "QKFramework/Platform/Render/FontconfigHandles.h"

namespace QK
{

namespace
{

struct ConfigTraits
{
    using Handle = FcConfig*;
    static Handle Invalid() noexcept { return nullptr; }
    static void Close(Handle config) noexcept { FcConfigDestroy(config); }
};

} // namespace

FcConfig* GetFontconfigConfig()
{
    static const UniqueHandle<ConfigTraits> config(FcInitLoadConfigAndFonts());
    return config.Get();
}

namespace
{

using Pattern = UniqueHandle<FontconfigPatternTraits>;

// The configured and default substitutions applied to pattern, then the best match.
Pattern Match(FcPattern* pattern)
{
    FcConfig* config = GetFontconfigConfig();
    if (!config)
        return Pattern();
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    return Pattern(FcFontMatch(config, pattern, &result));
}

WString FamilyOf(FcPattern* match)
{
    FcChar8* family = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) != FcResultMatch || !family)
        return WString();
    return WString(reinterpret_cast<const char*>(family));
}

} // namespace

bool MatchFontFace(const WString& family, std::int32_t style, FontFaceMatch& match)
{
    const Pattern pattern(FcPatternCreate());
    if (!pattern)
        return false;
    const NString name(family.GetString());
    FcPatternAddString(pattern.Get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(name.GetString()));
    FcPatternAddInteger(pattern.Get(), FC_WEIGHT, (style & kFontStyleBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern.Get(), FC_SLANT, (style & kFontStyleItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern.Get(), FC_SCALABLE, FcTrue);

    const Pattern found = Match(pattern.Get());
    FcChar8* file = nullptr;
    if (!found || FcPatternGetString(found.Get(), FC_FILE, 0, &file) != FcResultMatch || !file)
        return false;
    int index = 0;
    FcPatternGetInteger(found.Get(), FC_INDEX, 0, &index);
    match.file = reinterpret_cast<const char*>(file);
    match.faceIndex = index;
    match.family = FamilyOf(found.Get());
    return true;
}

QKRESULT GetDesktopFont(WString& family, float& size, std::int32_t& style)
{
    constexpr double kPoints = 9.0;
    family.Clear();
    size = 0.0f;
    style = 0;

    const Pattern pattern(FcPatternCreate());
    if (!pattern)
        return QK_E_FAIL;
    FcPatternAddString(pattern.Get(), FC_FAMILY, reinterpret_cast<const FcChar8*>("sans-serif"));
    FcPatternAddDouble(pattern.Get(), FC_SIZE, kPoints);
    const Pattern found = Match(pattern.Get());
    if (!found)
        return QK_E_FAIL;
    WString name = FamilyOf(found.Get());
    if (name.IsEmpty())
        return QK_E_FAIL;

    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    FcPatternGetInteger(found.Get(), FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(found.Get(), FC_SLANT, 0, &slant);
    family = name;
    size = static_cast<float>(kPoints);
    style = (weight >= FC_WEIGHT_BOLD ? kFontStyleBold : 0) | (slant != FC_SLANT_ROMAN ? kFontStyleItalic : 0);
    return QK_OK;
}

} // namespace QK
