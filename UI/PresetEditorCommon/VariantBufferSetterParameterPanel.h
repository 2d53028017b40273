// LVariantBufferSetterParameterPanel: the editor of one preset parameter. It shows the
// parameter's stored bytes in its editing child, a "comboBox" (the selected item is the
// shown value) or a "parameterControl" (a number field, an on/off button or a note
// selector, whose value is the shown value), and turns every change of that child back into
// stored bytes, which it hands to the root of its control tree (the main control).
//
// Stored and shown values:
//   one byte:  shown = the byte read as signed - offset; stored = shown + offset, truncated
//              (a combo box selects item byte - offset);
//   two bytes: hi, lo of 7 bits each; shown = hi x 128 + lo; the offset does not apply.
// One class serves every parameter; the offset, the two-byte flag and the ranges other than
// the defaults are set by the module panel after this editor's Initialize.
//
// The handlers do not tell a user's edit from a value being shown: a value pushed in by
// SetParamValue comes back as a change within the same call, and the main control drops
// that echo. A combo box with no selected item writes nothing. Both children are optional.
// UI thread only.
#pragma once

#include "UI/PresetEditorCommon/EditPanelSupport.h"

#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"

#include <cstdint>

namespace QK
{

class LVariantBufferSetterParameterPanel
    : public LWithHandlerTable<LVariantBufferSetterParameterPanel, LPanel>
{
public:
    static constexpr ThrowSite kComboSubscriptionSite{
        "LVariantBufferSetterParameterPanel::Initialize",
        "UI\\PresetEditorCommon\\VariantBufferSetterParameterPanel", 37};
    static constexpr ThrowSite kControlSubscriptionSite{
        "LVariantBufferSetterParameterPanel::Initialize",
        "UI\\PresetEditorCommon\\VariantBufferSetterParameterPanel", 43};
    // The parameter control's default range and the width of its number.
    static constexpr double kControlMaximum = 127.0;
    static constexpr std::int32_t kControlTextLength = 3;

    LVariantBufferSetterParameterPanel(LControl* parent, const WString& name);
    ~LVariantBufferSetterParameterPanel() override;

    // --- Operations added to LPanel's, in slot order ----------------------------------------

    virtual void SetParam(const ParamDescriptor& descriptor);
    // 0 when shown; 0x80004005, with nothing changed, for a value whose size is not the
    // mode's (1 byte, or 2 in two-byte mode).
    virtual QKRESULT SetParamValue(const Variant& value);
    // Whether SetParamValue would show value as it is stored: of the mode's size, and inside
    // the range of "parameterControl" and among the items of "comboBox" (those present).
    bool CanShowValue(const Variant& value);
    virtual void SetValueOffset(double offset);
    virtual void SetTwoByteValue(bool twoByte);
    virtual void SplitTwoByteValue(const std::int16_t& value, std::uint8_t& hi, std::uint8_t& lo);
    virtual std::int32_t JoinTwoByteValue(const std::int8_t& hi, const std::int8_t& lo);

    // --- LControl ------------------------------------------------------------------------------

    QKRESULT Initialize() override;

    const ParamDescriptor& GetParam() const { return m_descriptor; }
    double GetValueOffset() const { return m_offset; }
    bool IsTwoByteValue() const { return m_twoByte; }

private:
    QKRESULT OnComboBoxSelectionChange(const ConstRCPtr<LNotificationDistributor>& source,
                                       const ConstRCPtr<LNotification>& notification);
    QKRESULT OnParameterControlValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                                           const ConstRCPtr<LNotification>& notification);

    double m_offset = 0.0;
    ParamDescriptor m_descriptor;
    bool m_twoByte = false;
};

} // namespace QK
