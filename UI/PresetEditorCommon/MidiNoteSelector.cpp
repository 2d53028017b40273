#include "UI/PresetEditorCommon/MidiNoteSelector.h"

#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/ControlParams.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Utilities/Storage/Array.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "UI/PresetEditorCommon/EditPanelSupport.h"

#include <cmath>

namespace QK
{

LMidiNoteSelector::LMidiNoteSelector(LControl* parent, const WString& name) : LWithHandlerTable(parent, name)
{
}

LMidiNoteSelector::~LMidiNoteSelector() = default;

QKRESULT LMidiNoteSelector::Initialize()
{
    const QKRESULT result = LPanel::Initialize();
    if (Failed(result))
        return result;
    m_handler = LNotificationHandler<LMidiNoteSelector>::Create(this);
    if (!m_handler)
        return result;
    m_noteNameLabel = FindChildAs<LLabel>(*this, u"noteNameLabel");
    m_octaveNameLabel = FindChildAs<LLabel>(*this, u"octaveNameLabel");
    m_upDown = FindChildAs<LNumericUpDown>(*this, u"numericUpDown");

    if (m_upDown)
        m_upDown->SetValueRange(0.0, kHighestNote, 0);
    SetValueRange(0.0, kHighestNote, 0);
    UpdateNoteLabels();
    if (m_upDown)
        CheckResult(m_handler->AddHandler(&LMidiNoteSelector::OnNumericUpDownValueChange,
                                          ConstRCPtr<LNotificationDistributor>(m_upDown.Get()),
                                          kNidValueChange),
                    kInitializeSite);
    return result;
}

double LMidiNoteSelector::SetValue(double fraction)
{
    if (!m_upDown)
    {
        const double kept = LPanel::SetValue(fraction);
        UpdateNoteLabels();
        return kept;
    }
    const double kept = m_upDown->SetValue(fraction);
    return LPanel::SetValue(kept);
}

QKRESULT LMidiNoteSelector::OnNumericUpDownValueChange(const ConstRCPtr<LNotificationDistributor>&,
                                                       const ConstRCPtr<LNotification>& notification)
{
    const ConstRCPtr<LRefCountedObject> argument = notification ? notification->GetArgument() : nullptr;
    if (m_upDown && dynamic_cast<const LValueParam*>(argument.Get()))
    {
        const double note = m_upDown->FractionToValue(m_upDown->GetValue());
        LPanel::SetValue(ValueToFraction(note));
        UpdateNoteLabels();
    }
    return QK_FALSE;
}

void LMidiNoteSelector::UpdateNoteLabels()
{
    const auto note = static_cast<std::uint32_t>(std::lround(FractionToValue(GetValue())));
    if (m_noteNameLabel)
        SetLabelTextFromStringTable(m_noteNameLabel->GetStringTable().Get(), note % 12,
                                    m_noteNameLabel.Get());
    if (m_octaveNameLabel)
        SetLabelTextFromStringTable(m_octaveNameLabel->GetStringTable().Get(), note / 12,
                                    m_octaveNameLabel.Get());
}

QKRESULT LMidiNoteSelector::SetLabelTextFromStringTable(const LStringTable* table, std::uint32_t index,
                                                        LLabel* label)
{
    if (!table || !label)
        return QK_FALSE;
    Array<StringPair> entries;
    CopyStringMapToArray(*table, entries);
    if (index >= entries.GetCount())
        return QK_FALSE;
    return label->SetText(entries.GetAt(index)->value);
}

} // namespace QK
