// What the drawing layer asks of the application: its measurement renderer, its clock, the
// desktop's font, the screen resolution and the texts of its string table.
//
// The application installs its own services with LRenderApp::SetServices; until then (and
// in tests that install none) the defaults answer: the system measurement renderer over the
// installed fonts, the steady clock, the font configuration's desktop font and no known
// resolution. Tests install services of their own to drive the clock or the measurements.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>
#include <string>

namespace QK
{

class LMeasurementRenderer;

class IRenderAppServices
{
public:
    virtual ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer() const = 0;
    // Milliseconds, wrapping after about 49.7 days.
    virtual std::uint32_t GetTimeMs() const = 0;
    // The desktop font: family, size in points, style bits (1 bold, 2 italic, 4 underline,
    // 8 strike-out). 0, or 0x80004005 with the family emptied, size 0 and style 0.
    virtual QKRESULT GetSystemFont(WString& family, float& size, std::int32_t& style) const = 0;
    // Horizontal dots per inch of the screen, or 0 when not known.
    virtual std::int32_t GetScreenResolution() const = 0;
    // The text of a string id in the application's string table, in the user's language;
    // false (text untouched) when the table has no such id.
    virtual bool GetApplicationString(const char16_t* key, WString& text) const = 0;

protected:
    ~IRenderAppServices() = default;
};

// The services that answer until the application installs its own.
class DefaultRenderAppServices : public IRenderAppServices
{
public:
    ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer() const override;
    std::uint32_t GetTimeMs() const override;
    QKRESULT GetSystemFont(WString& family, float& size, std::int32_t& style) const override;
    std::int32_t GetScreenResolution() const override { return 0; }
    // No string table is loaded until the application installs its services.
    bool GetApplicationString(const char16_t*, WString&) const override { return false; }

protected:
    ~DefaultRenderAppServices() = default;
};

class LRenderApp
{
public:
    // Installs services (null: the defaults). The caller keeps them alive while installed.
    static void SetServices(const IRenderAppServices* services);
    // The installed services; null while the defaults answer.
    static const IRenderAppServices* GetServices();

    static ConstRCPtr<LMeasurementRenderer> GetMeasurementRenderer();
    static std::uint32_t GetTimeMs();
    static QKRESULT GetSystemFont(WString& family, float& size, std::int32_t& style);
    // The environment variable that may set the screen's resolution in dots per inch, which
    // the application names (the window system may report none, or a wrong one); empty for
    // none, as before the application names one.
    static void SetScreenResolutionVariable(const std::string& name);
    // The variable's value when it holds a usable number, else the services' resolution when
    // known, else 96.
    static std::int32_t GetScreenResolution();
    // The text of key in the application's string table; empty when it has none.
    static WString GetApplicationString(const char16_t* key);
};

} // namespace QK
