// LCheckedListBoxItem: a row of a checked list ("Framework.CheckedListBoxItem"), a list row
// with a child button "checkBox". The row owns no check state: the list keeps it per item and
// sets the box whenever it binds the row. The box never takes the focus, shows the row's tool
// tip, and lights the row up as hovered while the pointer rests on it. A row whose
// "checkBox" is missing or is no button simply has no check box. UI thread only.
#pragma once

#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/ListBoxItem.h"
#include "QKFramework/Notification/NotificationHandler.h"

#include <cstdint>

namespace QK
{

class LCheckedListBoxItem : public LListBoxItem
{
public:
    LCheckedListBoxItem(LControl* parent, const WString& name) : LListBoxItem(parent, name) {}

    // The create function of "Framework.CheckedListBoxItem".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to the row's, in slot order ----------------------------------------

    // Shows look alone at full opacity; true when that succeeded.
    virtual bool SetItemLook(std::int32_t look, std::int32_t flag);

    // --- Own operations --------------------------------------------------------------------

    // The check box's SelectLook once the row is created; 1 before that.
    QKRESULT SelectCheckBoxLook(std::int32_t look, std::int32_t flag);
    RCPtr<LButton> GetCheckBox() const;

    // --- LControl --------------------------------------------------------------------------

    QKRESULT Initialize() override;
    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    QKRESULT OnCheckBoxHover(const ConstRCPtr<LNotificationDistributor>& source,
                             const ConstRCPtr<LNotification>& notification);

    RCPtr<LNotificationHandler<LCheckedListBoxItem>> m_itemHandlers;
};

} // namespace QK
