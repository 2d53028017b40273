#include "tests/support/Editor/ScreenOfSize.h"

#include "tests/support/PrivateXServer.h"

#include <SDL.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace QK::TestSupport
{

namespace
{

struct OwnScreen
{
    // Ended when the process ends, after everything that drew on it.
    std::unique_ptr<PrivateXServer> server;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

OwnScreen& TheOwnScreen()
{
    static OwnScreen screen;
    return screen;
}

} // namespace

::testing::AssertionResult UseScreenOfSize(std::int32_t width, std::int32_t height)
{
    OwnScreen& own = TheOwnScreen();
    if (own.server && own.width >= width && own.height >= height)
        return ::testing::AssertionSuccess();
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
    {
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(0, &bounds) == 0 && bounds.w >= width && bounds.h >= height)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "this process's windows already opened on a " << bounds.w << "x" << bounds.h
               << " screen, smaller than the " << width << "x" << height
               << " this test needs; run it in a process of its own (ctest does)";
    }
    const std::string size = std::to_string(width) + "x" + std::to_string(height) + "x24";
    auto server = std::make_unique<PrivateXServer>(size);
    if (server->Display().empty())
        return ::testing::AssertionFailure() << "Xvfb did not start with a " << size << " screen";
    ::setenv("DISPLAY", server->Display().c_str(), 1);
    own = OwnScreen{std::move(server), width, height};
    return ::testing::AssertionSuccess();
}

} // namespace QK::TestSupport
