#include "tests/support/UI/ControlTestTools.h"

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/Platform/Render/Cairo/PngWriter.h"
#include "QKFramework/Renderer/Gdi/GDIRenderContextInfo.h"

#include "tests/support/Recorder.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>

namespace QK::TestSupport
{

void NotificationCounter::Listen(LNotificationDistributor& control, const char16_t* nid)
{
    Subscribe(ConstRCPtr<LNotificationDistributor>(&control), nid);
}

QKRESULT NotificationCounter::ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                                  const ConstRCPtr<LNotification>&)
{
    const auto* control = dynamic_cast<const LControl*>(source.Get());
    names.push_back(control ? Narrow(control->GetName()) : std::string("?"));
    return QK_OK;
}

bool SavePicture(const IDrawingSurface& surface, const std::string& fileName)
{
    const char* named = std::getenv("VEDIDU_PICTURES_DIR");
    const std::filesystem::path folder = named ? std::filesystem::path(named) : std::filesystem::path("pictures");
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    std::vector<std::uint32_t> pixels;
    for (std::int32_t y = 0; y < surface.GetHeight(); ++y)
        for (std::int32_t x = 0; x < surface.GetWidth(); ++x)
            pixels.push_back(surface.GetPixel(x, y));
    return WritePngFile((folder / fileName).string(), pixels, surface.GetWidth(), surface.GetHeight());
}

} // namespace QK::TestSupport
