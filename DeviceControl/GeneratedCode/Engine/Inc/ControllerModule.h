// LControllerModule: what the eight controller module classes share.
//
// Each class (program name, MIDI channels and aftertouch, keybed, arpeggiator, joystick,
// pad, knob, sound settings) checks where it was placed in the id space, checks the ids it
// is asked about, passes reserved ids to the device communication object and gives the
// default of each of its parameters. Only the defaults, the allowed places and the message
// texts differ; a class supplies them and this template does the rest.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"

#include <cstdint>

namespace QK
{

// The places and message texts of one module class.
struct ControllerModuleTraits
{
    const char* className; // "QK::LArpeggiator"
    const char* source;    // "Arpeggiator"
    // Instance k may sit at firstOffset + k x ParamCount from the root's first id.
    std::uint32_t firstOffset;
    std::uint32_t instanceCount;
    int setFirstParamIDLine;
    int getParamValueLocalLine;
    int getParamValueDefaultLine;
};

// A byte-block value of <count> bytes.
Variant MakeByteBlock(const void* bytes, std::uint32_t count);

template <class Interface>
class LControllerModule : public Interface
{
public:
    // Stores the fields, then throws "Invalid FirstParamID" when the module's distance from
    // the root's first id is not one its class allows (the fields stay set).
    void SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID, std::uint32_t index) override;
    // An id outside the module answers -1; a reserved id goes to the device communication
    // object unless it came from the device (answers 1 either way); another negative id -1.
    QKRESULT SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool fromDevice) override;
    // An id outside the module throws; otherwise the value stored at the root.
    Variant GetParamValueLocal(const ParamDescriptor& descriptor) override;
    // An id outside the module throws; otherwise a new byte block with the default bytes.
    Variant GetParamValueDefault(std::int32_t id) override;

    // Modules below the device have no children.
    virtual void CreateChildModules() {}

protected:
    explicit LControllerModule(const ControllerModuleTraits& traits) noexcept : m_traits(traits) {}

    // The default of the parameter at <relative>, which lies inside the module.
    virtual Variant MakeParamValueDefault(std::uint32_t relative) const = 0;

private:
    bool OwnsParamID(std::int32_t id) const noexcept;
    [[noreturn]] void ThrowOutside(const char* method, int line) const;

    const ControllerModuleTraits& m_traits;
};

} // namespace QK
