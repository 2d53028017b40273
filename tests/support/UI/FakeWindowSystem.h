// A window system without windows, for tests of the application base's logic: no host
// window can be made, the loop never waits, and the desktop, pointer, keys and message
// boxes answer from fields (the boxes are written down).
#pragma once

#include "QKFramework/Platform/Window/WindowSystem.h"

#include <string>
#include <vector>

namespace QK::TestSupport
{

class FakeWindowSystem final : public IWindowSystem
{
public:
    IHostWindow* CreateHostWindow(const HostWindowRequest& request) override
    {
        requests.push_back(request);
        return nullptr;
    }
    void WaitAndDispatch(std::uint32_t) override { ++waits; }
    void PaintWithoutInput() override { ++pumps; }
    bool HasPendingEvents() override { return false; }
    void PostQuit() override { quit = true; }
    bool IsQuitPosted() const override { return quit; }
    RectL GetWorkArea() const override { return workArea; }
    RectL GetDesktopRect() const override { return desktop; }
    PointL GetCursorPos() const override { return cursor; }
    QKRESULT SetCursorPos(std::int32_t x, std::int32_t y) override
    {
        cursor = {x, y};
        return QK_OK;
    }
    bool IsKeyDown(std::uint32_t virtualKey) const override
    {
        for (std::uint32_t key : keysDown)
            if (key == virtualKey)
                return true;
        return false;
    }
    bool IsKeyToggled(std::uint32_t virtualKey) const override
    {
        for (std::uint32_t key : keysToggled)
            if (key == virtualKey)
                return true;
        return false;
    }
    void GetLocalTime(LocalTimeFields& fields) const override { fields = localTime; }
    std::int32_t ShowCursor(bool show) override { return cursorCount += show ? 1 : -1; }
    // The cursor is its Windows number.
    std::intptr_t GetSystemCursor(std::uint32_t id) override { return static_cast<std::intptr_t>(id); }
    // An image cursor is 0x10000 plus its id; the ids asked for are written down.
    std::intptr_t GetImageCursor(std::uint32_t id, std::span<const std::uint8_t> png, PointL hotSpot) override
    {
        imageCursors.push_back({id, png.size(), hotSpot});
        return png.empty() ? 0 : static_cast<std::intptr_t>(0x10000 + id);
    }
    std::int32_t GetScreenResolution() override { return screenResolution; }
    std::int32_t ShowMessageBox(IWindowOSServices*, const WString& text, const WString& caption,
                                std::uint32_t flags) override
    {
        messages.push_back({std::u16string(caption.GetString()), std::u16string(text.GetString()), flags});
        return 1;
    }

    struct ImageCursor
    {
        std::uint32_t id;
        std::size_t size;
        PointL hotSpot;
    };
    std::vector<ImageCursor> imageCursors;
    std::int32_t screenResolution = 0;

    struct Message
    {
        std::u16string caption;
        std::u16string text;
        std::uint32_t flags;
    };
    int pumps = 0;
    std::vector<HostWindowRequest> requests;
    std::vector<Message> messages;
    std::vector<std::uint32_t> keysDown;
    std::vector<std::uint32_t> keysToggled;
    LocalTimeFields localTime;
    RectL workArea{0, 0, 1600, 1000};
    RectL desktop{0, 0, 1600, 1050};
    PointL cursor{0, 0};
    std::int32_t cursorCount = 0;
    std::int32_t waits = 0;
    bool quit = false;
};

} // namespace QK::TestSupport
