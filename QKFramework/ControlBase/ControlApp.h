// What the control base asks of the application: its control factory, its default font and
// command target, the cursors by name and its running time.
//
// The application installs its services with LControlApp::SetServices; until then the
// defaults answer: no factory (controls get no string tables and create no children on
// demand), the desktop font of the drawing layer, no command target, cursor 0 for every
// name and the drawing layer's clock. UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/Utilities/Storage/StringFwd.h"

#include <cstdint>

namespace QK
{

class LControl;
class LControlFactory;
class LFont;

class IControlAppServices
{
public:
    // The application's one factory, or null.
    virtual LControlFactory* GetControlFactory() const = 0;
    // The font a top control takes as its base.
    virtual ConstRCPtr<LFont> GetDefaultFont() const = 0;
    // The command target of a control without a parent that is no command target itself.
    virtual RCPtr<LControl> GetDefaultCommandTarget() const = 0;
    // A cursor handle by name ("UI_CURSOR_ARROW", ...); 0 when the name is unknown.
    virtual std::intptr_t GetCursor(const WString& name) const = 0;
    // The running time in seconds.
    virtual double GetTime() const = 0;

protected:
    ~IControlAppServices() = default;
};

class DefaultControlAppServices : public IControlAppServices
{
public:
    LControlFactory* GetControlFactory() const override { return nullptr; }
    ConstRCPtr<LFont> GetDefaultFont() const override;
    RCPtr<LControl> GetDefaultCommandTarget() const override;
    std::intptr_t GetCursor(const WString&) const override { return 0; }
    double GetTime() const override;

protected:
    ~DefaultControlAppServices() = default;
};

class LControlApp
{
public:
    // Installs services (null: the defaults). The caller keeps them alive while installed.
    static void SetServices(const IControlAppServices* services);
    static const IControlAppServices* GetServices();

    static LControlFactory* GetControlFactory();
    static ConstRCPtr<LFont> GetDefaultFont();
    static RCPtr<LControl> GetDefaultCommandTarget();
    static std::intptr_t GetCursor(const WString& name);
    static double GetTime();
};

} // namespace QK
