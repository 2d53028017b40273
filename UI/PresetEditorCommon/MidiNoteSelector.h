// LMidiNoteSelector: a pad's MIDI note ("PresetEditor.MidiNoteSelector"): a number field
// "numericUpDown" for the note 0..127 with two labels that spell it, "noteNameLabel" ("C"
// to "B") and "octaveNameLabel" ("-1" to "9"). The names are the entries of each label's
// string table in key order, so a table holds its "ITEM.nn" entries and nothing that sorts
// before them.
//
// To its owner it is one value control: it sends "NID_VALUE_CHANGE" when its note changes
// and takes a note through SetValue. A note set from outside goes through the up-down,
// whose own notice then updates the selector's value and both labels, so the selector sends
// one notice per change whichever way the note came.
//
// A child missing from the skin is skipped; the rest works. UI thread only.
#pragma once

#include "UI/PresetEditorCommon/EditPanelSupport.h"

#include "QKFramework/Controls/Label.h"
#include "QKFramework/Controls/NumericUpDown.h"
#include "QKFramework/Controls/Panel.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/ObjectBase/Exception.h"

namespace QK
{

class LStringTable;

class LMidiNoteSelector : public LWithHandlerTable<LMidiNoteSelector, LPanel>
{
public:
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    static constexpr ThrowSite kInitializeSite{"LMidiNoteSelector::Initialize",
                                               "UI\\PresetEditorCommon\\MidiNoteSelector", 32};
    static constexpr double kHighestNote = 127.0;

    LMidiNoteSelector(LControl* parent, const WString& name);
    ~LMidiNoteSelector() override;

    // Sets the label to the text of the table's entry at index (in key order) and answers
    // SetText's result; past the end (or without a table or label) the label stays and the
    // answer is 1.
    virtual QKRESULT SetLabelTextFromStringTable(const LStringTable* table, std::uint32_t index,
                                                 LLabel* label);

    // The fraction goes to the up-down first; the selector takes what the up-down kept.
    double SetValue(double fraction) override;
    QKRESULT Initialize() override;

    LNumericUpDown* GetNumericUpDown() const { return m_upDown.Get(); }
    LLabel* GetNoteNameLabel() const { return m_noteNameLabel.Get(); }
    LLabel* GetOctaveNameLabel() const { return m_octaveNameLabel.Get(); }

private:
    QKRESULT OnNumericUpDownValueChange(const ConstRCPtr<LNotificationDistributor>& source,
                                        const ConstRCPtr<LNotification>& notification);
    void UpdateNoteLabels();

    RCPtr<LLabel> m_noteNameLabel;
    RCPtr<LLabel> m_octaveNameLabel;
    RCPtr<LNumericUpDown> m_upDown;
};

} // namespace QK
