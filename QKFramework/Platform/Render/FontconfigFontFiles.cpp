#include "QKFramework/Platform/Render/FontFiles.h"

#include "QKFramework/Platform/Render/FontconfigHandles.h"

#include <algorithm>
#include <string>

namespace QK
{

namespace
{

bool IsTrueTypeFile(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string extension = path.substr(path.size() - 4);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return extension == ".ttf" || extension == ".ttc";
}

} // namespace

QKRESULT ListInstalledFontFiles(std::vector<WString>& files)
{
    files.clear();
    FcConfig* config = GetFontconfigConfig();
    if (!config)
        return QK_E_FAIL;
    const UniqueHandle<FontconfigPatternTraits> pattern(FcPatternCreate());
    const UniqueHandle<FontconfigObjectSetTraits> objects(FcObjectSetBuild(FC_FILE, nullptr));
    if (!pattern || !objects)
        return QK_E_FAIL;
    const UniqueHandle<FontconfigFontSetTraits> set(FcFontList(config, pattern.Get(), objects.Get()));
    if (!set)
        return QK_E_FAIL;

    std::vector<std::string> paths;
    for (int i = 0; i < set.Get()->nfont; ++i)
    {
        FcChar8* file = nullptr;
        if (FcPatternGetString(set.Get()->fonts[i], FC_FILE, 0, &file) == FcResultMatch && file)
        {
            std::string path(reinterpret_cast<const char*>(file));
            if (IsTrueTypeFile(path))
                paths.push_back(std::move(path));
        }
    }
    // A collection is listed once per face.
    std::sort(paths.begin(), paths.end());
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    files.reserve(paths.size());
    for (const std::string& path : paths)
        files.emplace_back(path.c_str());
    return QK_OK;
}

} // namespace QK
