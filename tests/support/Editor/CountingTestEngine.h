// CountingTestEngine: the editor's own engine for unit tests, which counts the values set
// into it and can withhold the last values of FillParamValues (an engine that does not
// deliver the whole preset). InstalledEngine makes one the process's root module engine for
// a scope and shuts it down after.
//
// UI thread only. Header only.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/PresetEditorAppEngine.h"

#include <cstdint>

namespace QK::TestSupport
{

class CountingTestEngine final : public LPresetEditorAppEngine
{
public:
    static RCPtr<CountingTestEngine> Create() { return RCPtr<CountingTestEngine>(new CountingTestEngine()); }

    QKRESULT SetParamValue(const ParamDescriptor& descriptor, const Variant& value) override
    {
        ++setParamValueCalls;
        return LPresetEditorAppEngine::SetParamValue(descriptor, value);
    }

    QKRESULT FillParamValues(std::int32_t first, std::uint32_t count, Array<ParamValue>& values,
                             std::int32_t position) override
    {
        const QKRESULT result = LPresetEditorAppEngine::FillParamValues(first, count, values, position);
        const std::uint32_t total = values.GetCount();
        values.SetCount(total > withheldValues ? total - withheldValues : 0);
        return result;
    }

    // The value the model holds for id (empty when none does).
    Variant ValueOf(std::int32_t id)
    {
        Variant value;
        GetParamValue(ParamDescriptor(id), value);
        return value;
    }

    std::uint32_t setParamValueCalls = 0;
    // How many values FillParamValues leaves off the end.
    std::uint32_t withheldValues = 0;

private:
    CountingTestEngine() = default;
};

// An initialised engine of the given first parameter id, answered by GetRootModuleEngine
// until the scope ends.
class InstalledEngine
{
public:
    explicit InstalledEngine(std::int32_t firstParamId = 0) : m_engine(CountingTestEngine::Create())
    {
        m_engine->Initialize(firstParamId);
        SetRootModuleEngine(m_engine);
    }
    ~InstalledEngine()
    {
        SetRootModuleEngine(nullptr);
        m_engine->OnShutdown();
    }
    InstalledEngine(const InstalledEngine&) = delete;
    InstalledEngine& operator=(const InstalledEngine&) = delete;

    CountingTestEngine& operator*() const { return *m_engine; }
    CountingTestEngine* operator->() const { return m_engine.Get(); }
    const RCPtr<CountingTestEngine>& Get() const { return m_engine; }

private:
    RCPtr<CountingTestEngine> m_engine;
};

} // namespace QK::TestSupport
