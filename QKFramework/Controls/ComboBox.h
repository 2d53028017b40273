// LComboBox: the drop-down list ("Framework.ComboBox"). Its child "listBox" (required) is a
// popup-mode LListBox shown under or above the control while open; an optional child
// "textBox" shows and edits the current text.
//
// The items come from the control's string table ("ITEM.n"), handed to the list. Picking
// an item (a click, or press, drag and release across the list, or Enter) selects it, and
// the control's text becomes the item's text. Typed text selects the item that equals it,
// ignoring case.
//
// Notifications sent (source: the combo box): "NID_SELECTION_CHANGE" when the selected
// index changes, "NID_DROPDOWN_OPENING" before the list opens, and the text box's
// "NID_TEXTBOX_TEXT_CHANGE", "NID_TEXTBOX_VALIDATING" and "NID_TEXTBOX_VALIDATED" re-sent
// with the text box's own argument. UI thread only.
#pragma once

#include "QKFramework/Controls/DropDownControl.h"
#include "QKFramework/Controls/ListBox.h"
#include "QKFramework/ObjectBase/Exception.h"

#include <cstdint>

namespace QK
{

class LTextBox;

class LComboBox : public LDropDownControl
{
public:
    // Room kept free between an open list and the window's edges.
    static constexpr double kWindowMargin = 5.0;

    LComboBox(LControl* parent, const WString& name);
    ~LComboBox() override;

    // The create function of "Framework.ComboBox".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to the drop-down's, in slot order --------------------------------

    // The list's result; 0x80004005 without a list. A selection at or past the new count is
    // cleared, and an open list opens again to fit.
    virtual std::int32_t SetItemCount(std::uint32_t count);
    // The selected index, -1 for none (also for any negative index, which clears the list's
    // selection without a notification).
    virtual std::int32_t SelectItem(std::int32_t index);
    virtual QKRESULT UpdateLook();

    // --- Own operations --------------------------------------------------------------------

    // The new item's index; 0x80070057 for an empty item, 0x80004005 without a list.
    std::int32_t InsertItem(std::int32_t index, const WString& item);
    std::int32_t AddItem(const WString& item);
    std::int32_t GetSelectedIndex() const { return m_selectedIndex; }
    std::uint32_t GetItemCount() const { return m_listBox ? m_listBox->GetItemCount() : 0; }
    LListBox* GetListBox() const { return m_listBox.Get(); }
    LTextBox* GetTextBox() const { return m_textBox.Get(); }
    // 0x80004005 without a list: a list wider or taller than nothing takes the combo's width
    // and one row, and a list with a height shows whole rows.
    QKRESULT FitListToCombo();

    // --- LDropDownControl ------------------------------------------------------------------

    bool IsDroppedDown() override;
    QKRESULT ShowDropDown(bool show) override;

    // --- LControl --------------------------------------------------------------------------

    // 1 when the text is the same; else selects the item that equals it ignoring case, or
    // nothing, and answers 0.
    QKRESULT SetText(const WString& text) override;
    void OnConditionsChanged(LConditionsParam* record) override;
    QKRESULT WantsKey(LKeyParam* key) override;
    // Only Escape does anything here: edit shortcuts have no meaning in a combo box.
    QKRESULT DispatchKey(LKeyParam* key) override;
    QKRESULT Initialize() override;
    QKRESULT ApplyCreateParam() override;
    QKRESULT InitializeParts() override;
    WString GetToolTipText() const override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    QKRESULT OnListVisibility(const ConstRCPtr<LNotificationDistributor>& source,
                              const ConstRCPtr<LNotification>& notification);
    QKRESULT OnListItemActivated(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification);
    QKRESULT OnTextBoxTextChange(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification);
    QKRESULT OnTextBoxValidating(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification);
    QKRESULT OnTextBoxValidated(const ConstRCPtr<LNotificationDistributor>& source,
                                const ConstRCPtr<LNotification>& notification);
    QKRESULT OnTextBoxFocus(const ConstRCPtr<LNotificationDistributor>& source,
                            const ConstRCPtr<LNotification>& notification);
    void PlaceList(bool below, double height);
    void HideList();

    RCPtr<LNotificationHandler<LComboBox>> m_comboHandlers;
    RCPtr<LTextBox> m_textBox;
    RCPtr<LListBox> m_listBox;
    std::int32_t m_selectedIndex = -1;
    std::int32_t m_initialSelectedIndex = 0;
    // The last left press, in the control's own coordinates until the list is placed.
    double m_pressX = 0.0;
    double m_pressY = 0.0;
};

} // namespace QK
