// LListBoxItem: one row of a list box ("Framework.ListBoxItem"), and the item record and
// condition argument that go with rows.
//
// A list box never makes a control per item: it owns a few rows and binds each to the item
// it shows at the moment (LListBox). A row therefore keeps only what it displays: its text,
// its value (selected at 0.5 and above) and three flags. It never takes the keyboard focus.
// In a popup list a row hands its capture requests to the list, so that the list tracks a
// press dragged across its rows. UI thread only.
//
// Contents: LListItemRecord; LItemConditionsParam; LListBoxItem.
#pragma once

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/ControlParams.h"

#include <cstdint>

namespace QK
{

// What a list keeps per item. A copy shares the text object, never clones it.
struct LListItemRecord
{
    ConstRCPtr<LRefCountedObject> Text;
    double Value = 0.0;
    bool Alternate = false;
    bool Separator = false;
    bool Hidden = false;

    // The text form of the text object; empty for none.
    WString GetText() const;
    bool IsSelected() const { return Value >= 0.5; }
};

// The argument of "NID_ITEM_HOVER_CONDITION_CHANGE" and "NID_ITEM_LEFT_DRAG_CONDITION_CHANGE":
// a row's condition change with the item it shows (-1: none), the look it shows (-1: none)
// and whether the pointer is over it.
class LItemConditionsParam : public LConditionsParam
{
public:
    LItemConditionsParam(std::uint32_t oldConditions, std::uint32_t newConditions, double x, double y,
                         std::int32_t itemIndex, std::int32_t lookIndex, bool pointerOver)
        : LConditionsParam(oldConditions, newConditions, x, y), ItemIndex(itemIndex), LookIndex(lookIndex),
          PointerOver(pointerOver)
    {
    }

    static RCPtr<LItemConditionsParam> Create(const LConditionsParam& conditions, std::int32_t itemIndex,
                                              std::int32_t lookIndex, bool pointerOver)
    {
        return RCPtr<LItemConditionsParam>(new LItemConditionsParam(conditions.OldConditions, conditions.NewConditions,
                                                                    conditions.X, conditions.Y, itemIndex, lookIndex,
                                                                    pointerOver));
    }

    std::int32_t ItemIndex;
    std::int32_t LookIndex;
    bool PointerOver;
};

class LListBoxItem : public LControl
{
public:
    // Looks, in the skin's order.
    static constexpr std::int32_t kLookPlain = 0;
    static constexpr std::int32_t kLookDisabled = 6;
    static constexpr std::int32_t kLookSelected = 7;
    static constexpr std::int32_t kLookSeparator = 13;

    LListBoxItem(LControl* parent, const WString& name) : LControl(parent, name) {}

    // The create function of "Framework.ListBoxItem".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // The look for the current state: separator 13; disabled 13 when selected, else 6;
    // pressed (capture and left drag) 9/12 or 2/5 over the row, else the hover looks;
    // hover without the capture 8/11 or 1/4; else 7/10 or 0/3 (selected or not, normal or
    // alternate).
    virtual std::int32_t GetLookIndex();

    // Empties the text when the flag turns on; a flag turning off brings no text back.
    void SetSeparator(bool separator);
    bool IsSeparator() const { return m_separator; }
    // The list writes the alternate flag directly and then calls RefreshLook.
    void SetAlternate(bool alternate) { m_alternate = alternate; }
    bool IsAlternate() const { return m_alternate; }
    void SetPopup(bool popup) { m_popup = popup; }
    bool IsPopup() const { return m_popup; }
    void RefreshLook();

    // --- LControl --------------------------------------------------------------------------

    void OnValueChanged() override { RefreshLook(); }
    void OnConditionsChanged(LConditionsParam*) override { RefreshLook(); }
    QKRESULT InitializeParts() override;
    WString GetToolTipText() const override;
    using LControl::CaptureMouse;
    // In a popup list the parent captures instead, at the point moved into its coordinates.
    QKRESULT CaptureMouse(std::uint32_t button, const PointL& point) override;

private:
    bool m_alternate = false;
    bool m_popup = false;
    bool m_separator = false;
};

} // namespace QK
