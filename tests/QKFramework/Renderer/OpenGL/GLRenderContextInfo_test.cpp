// A target's swap reaches the context only for a window, and for that target's own window.
#include "QKFramework/Renderer/OpenGL/GLRenderContextInfo.h"

#include "QKFramework/ObjectBase/RCPtr.h"

#include <gtest/gtest.h>

#include <vector>

namespace QK
{
namespace
{

class SwapRecorder final : public IGLContext
{
public:
    bool MakeCurrent(std::uintptr_t) override { return true; }
    void ReleaseCurrent() override {}
    void Swap(std::uintptr_t window) override { swapped.push_back(window); }
    bool IsDoubleBuffered() const override { return true; }
    bool SwapCopies() const override { return true; }
    bool ReadFrontBuffer(std::uintptr_t, std::vector<std::uint32_t>&, std::int32_t&, std::int32_t&) override
    {
        return false;
    }

    std::vector<std::uintptr_t> swapped;
};

TEST(GLRenderContextInfo, SwapsItsOwnWindowAndNothingWhenOffscreen)
{
    SwapRecorder context;
    const RCPtr<LGLRenderContextInfo> window(new LGLRenderContextInfo(RectL{0, 0, 20, 10}, 0x51, false, 64, 64));
    const RCPtr<LGLRenderContextInfo> offscreen(new LGLRenderContextInfo(RectL{0, 0, 20, 10}, 0x52, true, 64, 64));
    window->SwapBuffers(context);
    offscreen->SwapBuffers(context);
    EXPECT_EQ(context.swapped, std::vector<std::uintptr_t>{0x51});
}

} // namespace
} // namespace QK
