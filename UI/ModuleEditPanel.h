// LModuleEditPanel<Interface>: what the module edit panels share. Each panel is one module
// of the controller on screen and, at the same time, a module of the view-side module tree
// (it implements the module's interface), so the device view binds it to the module's ids
// and the main control hands it the module's values by id.
//
// A panel keeps no values. Binding gives each child editor (found by its skin name) the id
// first id + its relative id; a value is routed by id - first id to the editor of that
// relative id, or dropped when no editor has it. A view module neither forwards a value to
// its parent nor throws for an id outside it. Edits travel from the editors straight to the
// main control. Editors missing from the skin are skipped.
//
// The editors are LVariantBufferSetterParameterPanel children, or, for a knob's name, an
// LNameEditPanel. UI thread only.
#pragma once

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "QKFramework/Controls/Panel.h"
#include "UI/NameEditPanel.h"
#include "UI/PresetEditorCommon/EditPanelSupport.h"
#include "UI/PresetEditorCommon/VariantBufferSetterParameterPanel.h"

#include <cstdint>
#include <span>

namespace QK
{

// One child editor of a module panel: its skin name, its id relative to the module's, and
// the skin class the skins give it. Each panel declares its editors once, as its kEditors;
// the skin lint checks the shipped skins against the same tables.
struct ModuleEditorSlot
{
    const char16_t* name;
    std::uint32_t relativeID;
    const char16_t* skinClass;
};

template <class Interface> class LModuleEditPanel : public LPanel, public Interface, public IParamValueView
{
public:
    // Stores the binding, gives every editor its id, then runs the panel's own step.
    void SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID,
                         std::uint32_t index) override
    {
        LParameterizedModule::SetFirstParamID(parent, firstParamID, index);
        for (const ModuleEditorSlot& slot : m_slots)
        {
            const ParamDescriptor descriptor(
                static_cast<std::int32_t>(static_cast<std::uint32_t>(firstParamID) + slot.relativeID));
            if (const RCPtr<LVariantBufferSetterParameterPanel> editor = FindEditor(slot.name))
                editor->SetParam(descriptor);
            else if (const RCPtr<LNameEditPanel> name = FindChildAs<LNameEditPanel>(*this, slot.name))
                name->SetParam(descriptor);
        }
        OnBound();
    }

    // Always 0.
    QKRESULT SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value, bool) override
    {
        ForEachSlotOf(descriptor,
                      [&](const ModuleEditorSlot& slot)
                      {
                          if (const RCPtr<LVariantBufferSetterParameterPanel> editor = FindEditor(slot.name))
                              editor->SetParamValue(value);
                          else if (const RCPtr<LNameEditPanel> name = FindChildAs<LNameEditPanel>(*this, slot.name))
                              name->SetParamValue(value);
                          OnValueShown(slot.relativeID, value);
                      });
        return QK_OK;
    }

    // Asks the editor of descriptor's id, as SetParamValueLocal would hand it the value.
    bool CanShowParamValue(const ParamDescriptor& descriptor, const Variant& value) override
    {
        bool shown = true;
        ForEachSlotOf(descriptor,
                      [&](const ModuleEditorSlot& slot)
                      {
                          if (const RCPtr<LVariantBufferSetterParameterPanel> editor = FindEditor(slot.name))
                              shown = shown && editor->CanShowValue(value);
                          else if (FindChildAs<LNameEditPanel>(*this, slot.name))
                              shown = shown && LNameEditPanel::CanShowValue(value);
                      });
        return shown;
    }

protected:
    LModuleEditPanel(LControl* parent, const WString& name, std::span<const ModuleEditorSlot> slots)
        : LPanel(parent, name), m_slots(slots)
    {
    }

    // The skin name of the editor of relativeID; null when the panel has no such editor.
    const char16_t* GetEditorName(std::uint32_t relativeID) const
    {
        for (const ModuleEditorSlot& slot : m_slots)
            if (slot.relativeID == relativeID)
                return slot.name;
        return nullptr;
    }
    // The child editor of relativeID; null when the skin has none.
    RCPtr<LVariantBufferSetterParameterPanel> GetEditor(std::uint32_t relativeID) const
    {
        return FindEditor(GetEditorName(relativeID));
    }
    // The editing child of the editor of relativeID, as a T; null when either is missing.
    template <class T> RCPtr<T> GetEditorControl(std::uint32_t relativeID, const char16_t* child) const
    {
        const RCPtr<LVariantBufferSetterParameterPanel> panel = GetEditor(relativeID);
        return panel ? FindChildAs<T>(*panel, child) : RCPtr<T>();
    }

    // The panel's own step after binding (labels that name the instance).
    virtual void OnBound() {}
    // After the editor of relativeID has shown value.
    virtual void OnValueShown(std::uint32_t relativeID, const Variant& value)
    {
        (void)relativeID;
        (void)value;
    }

private:
    RCPtr<LVariantBufferSetterParameterPanel> FindEditor(const char16_t* name) const
    {
        return name ? FindChildAs<LVariantBufferSetterParameterPanel>(*this, name)
                    : RCPtr<LVariantBufferSetterParameterPanel>();
    }

    // Calls visit with each slot of descriptor's id (none for an id outside the module).
    template <class Visit> void ForEachSlotOf(const ParamDescriptor& descriptor, Visit visit)
    {
        const std::int64_t relative =
            static_cast<std::int64_t>(descriptor.id) - static_cast<std::int64_t>(this->GetFirstParamID());
        for (const ModuleEditorSlot& slot : m_slots)
            if (relative == static_cast<std::int64_t>(slot.relativeID))
                visit(slot);
    }

    std::span<const ModuleEditorSlot> m_slots;
};

} // namespace QK
