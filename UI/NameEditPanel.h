// The 16-byte names of a preset: the program name and the eight knob names.
//
// LNameEditPanel ("PresetEditor.NameEditPanel") edits one name in its text box "textBox":
// it shows the stored bytes as text and writes every change of the text back as a 16-byte
// block, one byte per character (its low 8 bits) padded with zero bytes. Only the printable
// ASCII characters can be typed or pasted, 16 at most. Bytes 128 to 255 show as the
// characters of those codes and survive an edit of the other characters; a control byte
// (1 to 31, 127) shows "Invalid Name". Showing a value takes the panel's own handler out
// for the moment, so it never writes back.
//
// The model tells of each written name later, from its notice queue. Several edits can be
// written before the first of those notices comes back (a burst of typing, an input
// method's commit); the notices of the panel's own writes, in the order written, are
// therefore taken as confirmations and not shown, since showing an earlier state of the
// name would replace what was typed since and put the caret back at the start. Any other
// value is shown, and ends the wait for the rest.
//
// LProgramNamePanel ("PresetEditor.PresetName") is the program-name module on screen: it
// holds an LNameEditPanel "editPanel" and hands it the module's one value.
//
// UI thread only.
#pragma once

#include "UI/PresetEditorCommon/EditPanelSupport.h"

#include "DeviceControl/GeneratedCode/Engine/Inc/RootModuleInterface.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Utilities/Storage/ParamValues.h"

#include <array>
#include <cstdint>
#include <deque>

namespace QK
{

class LTextBox;

class LNameEditPanel : public LWithHandlerTable<LNameEditPanel, LPanel>
{
public:
    static constexpr ThrowSite kTextBoxSite{"LNameEditPanel::Initialize", "UI\\NameEditPanel", 29};
    static constexpr ThrowSite kSubscriptionSite{"LNameEditPanel::Initialize", "UI\\NameEditPanel", 30};
    static constexpr std::uint32_t kNameLength = 16;
    static constexpr const char16_t* kInvalidName = u"Invalid Name";

    LNameEditPanel(LControl* parent, const WString& name);
    ~LNameEditPanel() override;

    // The text a stored name shows: zero bytes add nothing, bytes 32 to 126 and 128 to 255
    // are the characters of those codes, and any other byte makes the whole text
    // kInvalidName.
    static WString NameFromBytes(const std::uint8_t* bytes, std::uint32_t size);
    // Whether a value shows as a name: 16 bytes without a control byte (1 to 31, 127).
    static bool CanShowValue(const Variant& value);
    // The stored form of a text: the low 8 bits of each of the first 16 characters, then
    // zero bytes.
    static void NameToBytes(const WString& text, std::uint8_t (&block)[kNameLength]);

    // --- Operations added to LPanel's, in slot order ----------------------------------------

    virtual void SetParam(const ParamDescriptor& descriptor);
    // Shows a name value; always 0.
    virtual QKRESULT SetParamValue(const Variant& value);
    // Writes the text box's text to the model; always 1.
    virtual QKRESULT OnTextChange(const ConstRCPtr<LNotificationDistributor>& source,
                                  const ConstRCPtr<LNotification>& notification);

    // --- LControl ------------------------------------------------------------------------------

    // A skin without "textBox" throws the null-pointer error of kTextBoxSite.
    QKRESULT Initialize() override;

    const ParamDescriptor& GetParam() const { return m_descriptor; }
    LTextBox* GetTextBox() const { return m_textBox.Get(); }

private:
    RCPtr<LTextBox> m_textBox;
    WString m_allowedCharacters;
    ParamDescriptor m_descriptor;
    // The blocks written whose notice has not come back yet, oldest first.
    std::deque<std::array<std::uint8_t, kNameLength>> m_unconfirmedWrites;
};

class LProgramNamePanel : public LPanel, public IProgramName, public IParamValueView
{
public:
    LProgramNamePanel(LControl* parent, const WString& name);
    ~LProgramNamePanel() override;

    // The child "editPanel"; null when there is none or it is of another class.
    virtual RCPtr<LNameEditPanel> GetEditPanel() const;

    // Stores the binding, then binds the name editor to the module's one id.
    void SetFirstParamID(LParameterizedModule* parent, std::int32_t firstParamID,
                         std::uint32_t index) override;
    // Shows the value of the module's id; any other id is ignored. Always 0: a view module
    // neither forwards nor throws.
    QKRESULT SetParamValueLocal(const ParamDescriptor& descriptor, const Variant& value,
                                bool fromDevice) override;
    // The name editor's answer for the module's id; true for any other id.
    bool CanShowParamValue(const ParamDescriptor& descriptor, const Variant& value) override;
};

} // namespace QK
