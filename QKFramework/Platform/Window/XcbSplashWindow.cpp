// The splash window on X, through a connection of the splash thread's own (xcb). Sections:
// the connection and the window; painting; events.
#include "QKFramework/Platform/Window/SplashWindow.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace QK
{

namespace
{

// The bar's trough and frame, as the desktop's own progress bars are drawn.
constexpr std::uint32_t kTrough = 0xE6E6E6;
constexpr std::uint32_t kFrame = 0xBCBCBC;
constexpr std::int32_t kBarHeight = 16;
constexpr std::int32_t kBarLift = 20;

template <class T> struct FreeReply
{
    void operator()(T* reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply<T>>;

class XcbSplashWindow final : public ISplashWindow
{
public:
    ~XcbSplashWindow() override { Close(); }

    SplashWindowOpening Open(const SplashPicture& picture, const std::string& title) override;
    bool ShowBar(const SplashBar& bar) override;
    bool ProcessEvents() override;
    RectL GetRect() const override { return m_rect; }
    void Close() override;

private:
    xcb_atom_t Atom(const char* name, bool onlyIfExists);
    RectL WorkArea();
    bool Paint();

    xcb_connection_t* m_connection = nullptr;
    xcb_screen_t* m_screen = nullptr;
    xcb_window_t m_window = 0;
    xcb_gcontext_t m_gc = 0;
    xcb_colormap_t m_colormap = 0;
    std::uint8_t m_depth = 0;
    bool m_withAlpha = false;
    RectL m_rect{};
    SplashPicture m_picture;
    SplashBar m_bar;
};

// --- The connection and the window ---------------------------------------------------------

xcb_atom_t XcbSplashWindow::Atom(const char* name, bool onlyIfExists)
{
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        m_connection,
        xcb_intern_atom(m_connection, onlyIfExists ? 1 : 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

RectL XcbSplashWindow::WorkArea()
{
    RectL area{0, 0, m_screen->width_in_pixels, m_screen->height_in_pixels};
    const xcb_atom_t workArea = Atom("_NET_WORKAREA", true);
    if (workArea == XCB_ATOM_NONE)
        return area;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, m_screen->root, workArea, XCB_ATOM_CARDINAL, 0, 4), nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 16)
        return area;
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    if (values[2] == 0 || values[3] == 0)
        return area;
    return {static_cast<std::int32_t>(values[0]), static_cast<std::int32_t>(values[1]),
            static_cast<std::int32_t>(values[2]), static_cast<std::int32_t>(values[3])};
}

SplashWindowOpening XcbSplashWindow::Open(const SplashPicture& picture, const std::string& title)
{
    int screenNumber = 0;
    m_connection = xcb_connect(nullptr, &screenNumber);
    if (!m_connection || xcb_connection_has_error(m_connection))
        return SplashWindowOpening::NoWindowSystem;
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0 || !screens.data)
        return SplashWindowOpening::NoWindowSystem;
    m_screen = screens.data;
    m_picture = picture;

    const RectL work = WorkArea();
    m_rect = {(work.x + (work.x + work.width) - picture.width) / 2, (work.y + (work.y + work.height) - picture.height) / 2,
              picture.width, picture.height};

    // A 32-bit visual keeps the picture's alpha where a compositor blends it; without one the
    // picture stands on black.
    xcb_visualid_t visual = m_screen->root_visual;
    m_depth = m_screen->root_depth;
    for (xcb_depth_iterator_t depths = xcb_screen_allowed_depths_iterator(m_screen); depths.rem > 0;
         xcb_depth_next(&depths))
    {
        if (depths.data->depth != 32)
            continue;
        for (xcb_visualtype_iterator_t visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem > 0;
             xcb_visualtype_next(&visuals))
            if (visuals.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR && !m_withAlpha)
            {
                visual = visuals.data->visual_id;
                m_depth = 32;
                m_withAlpha = true;
            }
    }
    if (m_withAlpha)
    {
        m_colormap = xcb_generate_id(m_connection);
        xcb_create_colormap(m_connection, XCB_COLORMAP_ALLOC_NONE, m_colormap, m_screen->root, visual);
    }

    m_window = xcb_generate_id(m_connection);
    const std::uint32_t values[] = {0, 0, 1, XCB_EVENT_MASK_EXPOSURE,
                                    m_withAlpha ? m_colormap : m_screen->default_colormap};
    const xcb_void_cookie_t created = xcb_create_window_checked(
        m_connection, m_depth, m_window, m_screen->root, static_cast<std::int16_t>(m_rect.x),
        static_cast<std::int16_t>(m_rect.y), static_cast<std::uint16_t>(m_rect.width),
        static_cast<std::uint16_t>(m_rect.height), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, visual,
        XCB_CW_BACK_PIXEL | XCB_CW_BORDER_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK | XCB_CW_COLORMAP,
        values);
    if (xcb_generic_error_t* error = xcb_request_check(m_connection, created))
    {
        std::free(error);
        m_window = 0;
        return SplashWindowOpening::NotCreated;
    }

    // The class names the window for whoever looks for it; a window manager that is asked
    // about it anyway learns that it is a splash.
    static constexpr char kClass[] = "SplashWnd\0SplashWnd";
    xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                        sizeof kClass, kClass);
    if (!title.empty())
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(title.size()), title.data());
    const xcb_atom_t type = Atom("_NET_WM_WINDOW_TYPE", false);
    const xcb_atom_t splash = Atom("_NET_WM_WINDOW_TYPE_SPLASH", false);
    if (type != XCB_ATOM_NONE && splash != XCB_ATOM_NONE)
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, m_window, type, XCB_ATOM_ATOM, 32, 1, &splash);

    m_gc = xcb_generate_id(m_connection);
    xcb_create_gc(m_connection, m_gc, m_window, 0, nullptr);
    xcb_map_window(m_connection, m_window);
    xcb_flush(m_connection);
    return SplashWindowOpening::Open;
}

void XcbSplashWindow::Close()
{
    if (!m_connection)
        return;
    if (m_gc)
        xcb_free_gc(m_connection, m_gc);
    if (m_window)
        xcb_destroy_window(m_connection, m_window);
    if (m_colormap)
        xcb_free_colormap(m_connection, m_colormap);
    xcb_flush(m_connection);
    xcb_disconnect(m_connection);
    m_connection = nullptr;
    m_window = m_gc = m_colormap = 0;
}

// --- Painting ------------------------------------------------------------------------------

bool XcbSplashWindow::ShowBar(const SplashBar& bar)
{
    m_bar = bar;
    return Paint();
}

bool XcbSplashWindow::Paint()
{
    if (!m_connection || !m_window)
        return false;
    const std::int32_t width = m_picture.width;
    const std::int32_t height = m_picture.height;
    std::vector<std::uint32_t> frame(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < frame.size() && i < m_picture.pixels.size(); ++i)
    {
        // Premultiplied for a window with alpha; over black for one without (the same
        // colours, alpha dropped).
        const std::uint32_t pixel = m_picture.pixels[i];
        const std::uint32_t alpha = pixel >> 24;
        const auto scale = [alpha](std::uint32_t channel) { return (channel * alpha + 127) / 255; };
        const std::uint32_t rgb = scale((pixel >> 16) & 0xFF) << 16 | scale((pixel >> 8) & 0xFF) << 8 | scale(pixel & 0xFF);
        frame[i] = m_withAlpha ? (alpha << 24 | rgb) : rgb;
    }
    if (m_bar.shown)
    {
        const std::int32_t inset = width / 25;
        const RectL bar{inset, height - kBarLift, width - 2 * inset, kBarHeight};
        const std::int32_t inner = std::max(0, bar.width - 2);
        const std::int32_t filled = inner * std::clamp(m_bar.position, 0, 100) / 100;
        for (std::int32_t y = std::max(0, bar.y); y < std::min(height, bar.y + bar.height); ++y)
            for (std::int32_t x = std::max(0, bar.x); x < std::min(width, bar.x + bar.width); ++x)
            {
                const bool edge = y == bar.y || y == bar.y + bar.height - 1 || x == bar.x || x == bar.x + bar.width - 1;
                const std::uint32_t colour = edge ? kFrame : x - bar.x - 1 < filled ? (m_bar.color & 0xFFFFFF) : kTrough;
                frame[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] =
                    0xFF000000u | colour;
            }
    }

    // The server reads the pixels in its own byte order.
    if (xcb_get_setup(m_connection)->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        for (std::uint32_t& pixel : frame)
            pixel = __builtin_bswap32(pixel);
    // In bands that each fit one request.
    const std::uint32_t maximum = xcb_get_maximum_request_length(m_connection) * 4;
    const std::uint32_t rowBytes = static_cast<std::uint32_t>(width) * 4;
    const std::int32_t rows = std::max<std::int32_t>(1, static_cast<std::int32_t>((maximum - 64) / std::max(1u, rowBytes)));
    for (std::int32_t top = 0; top < height; top += rows)
    {
        const std::int32_t band = std::min(rows, height - top);
        const xcb_void_cookie_t put = xcb_put_image_checked(
            m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, m_gc, static_cast<std::uint16_t>(width),
            static_cast<std::uint16_t>(band), 0, static_cast<std::int16_t>(top), 0, m_depth,
            rowBytes * static_cast<std::uint32_t>(band),
            reinterpret_cast<const std::uint8_t*>(frame.data() + static_cast<std::size_t>(top) * width));
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, put))
        {
            std::free(error);
            return false;
        }
    }
    xcb_flush(m_connection);
    return true;
}

// --- Events --------------------------------------------------------------------------------

bool XcbSplashWindow::ProcessEvents()
{
    if (!m_connection || xcb_connection_has_error(m_connection))
        return false;
    bool exposed = false;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection))
    {
        if ((event->response_type & 0x7F) == XCB_EXPOSE)
            exposed = true;
        std::free(event);
    }
    return !exposed || Paint();
}

} // namespace

std::unique_ptr<ISplashWindow> CreatePlatformSplashWindow()
{
    return std::make_unique<XcbSplashWindow>();
}

} // namespace QK
