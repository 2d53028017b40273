// The parameter model's module tree: the module base and the interface of every module.
//
// The root module owns the device module, which owns one module per functional block of
// the controller. A module owns a run of parameter ids from its FirstParamID on and knows
// how to name, check and default them, but holds no values: every read and write climbs
// the parent pointers to the root module, which keeps the values in the parameter cache.
// The edit panels implement the same interfaces to mirror a module on screen.
//
// Modules take no locks; the root module serialises the entry points that several threads
// reach.
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"
#include "QKFramework/Utilities/Storage/Variant.h"
#include "DeviceControl/GeneratedCode/Engine/Inc/ParameterTable.h"

#include <cstdint>

namespace QK
{

class LParameterizedModule : public virtual LRefCountedObject
{
public:
    // Ids that a module hands straight to the device communication object.
    static constexpr std::int32_t kFirstReservedParamID = -256;
    static constexpr std::int32_t kLastReservedParamID = -129;
    static constexpr bool IsReservedParamID(std::int32_t id) noexcept
    {
        return id >= kFirstReservedParamID && id <= kLastReservedParamID;
    }

    ~LParameterizedModule() override = default;

    // Attaches the module below <parent> with its ids and instance index.
    virtual void SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index);
    virtual RCPtr<LParameterizedModule> GetModuleRef(std::int32_t id);
    // The module that owns <id>; a leaf module answers itself.
    virtual RCPtr<LParameterizedModule> GetModuleForParamID(std::int32_t id);
    // The checked entry points of a module: a write answers the parent chain's result.
    virtual QKRESULT SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool fromDevice);
    virtual Variant GetParamValueLocal(const ParamDescriptor& descriptor);
    // The unchecked forwarding towards the root module.
    virtual QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value, bool fromDevice);
    virtual Variant GetParamValue(const ParamDescriptor& descriptor);
    virtual Variant GetParamValueDefault(std::int32_t id);
    virtual void OnDeviceAvailable();
    // Spare operations the model never raises itself; modules keep these bodies.
    virtual void Hook9();
    virtual bool Hook10(std::intptr_t argument);
    virtual void Hook11(std::intptr_t a, std::intptr_t b, std::intptr_t c, std::intptr_t d);
    virtual void Hook12(std::intptr_t a, std::intptr_t b, std::intptr_t c, std::intptr_t d);
    // Storage in the root module, reached through the parents.
    virtual QKRESULT StoreParamValue(const ParamDescriptor& descriptor, const Variant& value);
    virtual Variant GetStoredParamValue(const ParamDescriptor& descriptor);

    RCPtr<LParameterizedModule> GetParent() const;
    // The module at the top of the tree (this one when it has no parent).
    RCPtr<LParameterizedModule> GetRootModule();

    std::uint32_t GetParamCount() const noexcept { return m_paramCount; }
    std::int32_t GetFirstParamID() const noexcept { return m_firstParamID; }
    std::uint32_t GetIndex() const noexcept { return m_index; }

protected:
    explicit LParameterizedModule(std::uint32_t paramCount) noexcept : m_paramCount(paramCount) {}

    // Not owned: a module lives as long as its parent holds it.
    LParameterizedModule* m_parent = nullptr;
    std::uint32_t m_paramCount;
    std::int32_t m_firstParamID = 0;
    std::uint32_t m_index = 0;
};

class IProgramName : public LParameterizedModule
{
protected:
    IProgramName() noexcept : LParameterizedModule(kProgramNameParamCount) {}
};

class IMidiChannelsAndAftertouch : public LParameterizedModule
{
protected:
    IMidiChannelsAndAftertouch() noexcept : LParameterizedModule(kMidiChannelsAndAftertouchParamCount) {}
};

class IKeybed : public LParameterizedModule
{
protected:
    IKeybed() noexcept : LParameterizedModule(kKeybedParamCount) {}
};

class IArpeggiator : public LParameterizedModule
{
protected:
    IArpeggiator() noexcept : LParameterizedModule(kArpeggiatorParamCount) {}
};

class IJoystick : public LParameterizedModule
{
protected:
    IJoystick() noexcept : LParameterizedModule(kJoystickParamCount) {}
};

class IPad : public LParameterizedModule
{
protected:
    IPad() noexcept : LParameterizedModule(kPadParamCount) {}
};

class IHardwareKnob : public LParameterizedModule
{
protected:
    IHardwareKnob() noexcept : LParameterizedModule(kHardwareKnobParamCount) {}
};

class ISoundSettings : public LParameterizedModule
{
protected:
    ISoundSettings() noexcept : LParameterizedModule(kSoundSettingsParamCount) {}
};

class LProgramName;
class LMidiChannelsAndAftertouch;
class LKeybed;
class LArpeggiator;
class LJoystick;
class LPad;
class LHardwareKnob;
class LSoundSettings;
class LDevice;

// The whole controller: gives every module its ids and routes an id to its module. Each
// interface accessor answers the object of the class accessor that follows it; binding and
// routing go through the interface accessors, so a view of the device (whose panels are
// modules of the interfaces, not of the model's classes) overrides those alone.
class IDevice : public LParameterizedModule
{
public:
    void SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index) override;
    RCPtr<LParameterizedModule> GetModuleForParamID(std::int32_t id) override;
    void OnDeviceAvailable() override;
    void Hook9() override;

    virtual RCPtr<IProgramName> GetProgramName();
    virtual RCPtr<LProgramName> GetProgramNameModule() = 0;
    virtual RCPtr<IMidiChannelsAndAftertouch> GetMidiChannelsAndAftertouch();
    virtual RCPtr<LMidiChannelsAndAftertouch> GetMidiChannelsAndAftertouchModule() = 0;
    virtual RCPtr<IKeybed> GetKeybed();
    virtual RCPtr<LKeybed> GetKeybedModule() = 0;
    virtual RCPtr<IArpeggiator> GetArpeggiator();
    virtual RCPtr<LArpeggiator> GetArpeggiatorModule() = 0;
    // The indexed accessors expect 0..1 (joysticks), 0..15 (pads), 0..7 (knobs).
    virtual RCPtr<IJoystick> GetJoystick(std::uint32_t index);
    virtual RCPtr<LJoystick> GetJoystickModule(std::uint32_t index) = 0;
    virtual RCPtr<IPad> GetPad(std::uint32_t index);
    virtual RCPtr<LPad> GetPadModule(std::uint32_t index) = 0;
    virtual RCPtr<IHardwareKnob> GetHardwareKnob(std::uint32_t index);
    virtual RCPtr<LHardwareKnob> GetHardwareKnobModule(std::uint32_t index) = 0;
    virtual RCPtr<ISoundSettings> GetSoundSettings();
    virtual RCPtr<LSoundSettings> GetSoundSettingsModule() = 0;

protected:
    IDevice() noexcept : LParameterizedModule(0) {}

private:
    // Every child in the model's order; single children that are missing are skipped.
    template <class F> void ForEachChild(F&& visit);
};

class IRootModule : public LParameterizedModule
{
public:
    virtual QKRESULT NotifyParamValueChanged(const ParamDescriptor& descriptor, const Variant& value,
                                             std::int32_t reason) = 0;
    virtual RCPtr<LDevice> GetDeviceModule() = 0;
    // The entry by which a module of the tree passes a user's edit up to its root.
    virtual QKRESULT RequestParamValueChange(const ParamDescriptor& descriptor, const Variant& value,
                                             std::int32_t flags) = 0;

protected:
    IRootModule() noexcept : LParameterizedModule(0) {}
};

} // namespace QK
