// LClipboard: the application's one link to the clipboard, and the receiver of the edit
// commands.
//
// Initialize subscribes it to "NID_EDIT_CUT_REQ", "NID_EDIT_COPY_REQ", "NID_EDIT_PASTE_REQ"
// and "NID_EDIT_DELETE_REQ" on the default notification centre (the hot keys Ctrl+X, Ctrl+C,
// Ctrl+V and Delete post them), so each edit runs in an idle pass on the focus control of the
// active root window. Controls that copy and paste (the text box) read and write through
// GetText and SetText (it is their IClipboard, installed by the framework application).
//
// What was last placed on or read from the clipboard is cached with the clipboard's sequence
// number: a paste of the program's own copy gets the very object back without reading the
// system clipboard, and objects that are not text live only in that cache.
//
// UI thread only. The busy flag guards SetText against re-entry from the clipboard's own
// change notices, not against threads.
#pragma once

#include "QKFramework/ControlBase/Clipboard.h"
#include "QKFramework/Notification/NotificationClient.h"
#include "QKFramework/Notification/NotificationHandler.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringT.h"
#include "QKFramework/Utilities/Storage/VariantEx.h"

#include <cstdint>

namespace QK
{

class ISystemClipboard;

class LClipboard : public LNotificationClient, public IClipboard
{
public:
    // Edit kinds of PerformEdit.
    static constexpr std::int32_t kEditDelete = IClipboard::kDelete;
    static constexpr std::int32_t kEditCut = IClipboard::kCut;
    static constexpr std::int32_t kEditCopy = IClipboard::kCopy;
    static constexpr std::int32_t kEditPaste = IClipboard::kPaste;

    using TextObject = LWrapperStringable<>;

    // system: the clipboard to use (null: the platform's); the caller keeps it alive.
    explicit LClipboard(ISystemClipboard* system = nullptr);
    ~LClipboard() override;

    // Subscribes the edit commands. 0; 0x80004005 when a runtime error stopped it. A failed
    // subscription throws the failed-result exception naming the command's line.
    QKRESULT Initialize();
    bool IsInitialized() const noexcept { return m_initialized; }

    // Runs the edit on the focus control's command target in the active root window: its
    // PerformEdit answer when the target takes that edit now, else 1.
    QKRESULT PerformEdit(std::int32_t kind);
    // Whether the focus control's command target takes that edit now.
    bool CanPerformEdit(std::int32_t kind) override;

    // The object on the clipboard: a text object (TextObject) for text, the cached object for
    // one of this program's own, null when the clipboard holds nothing readable. 0.
    QKRESULT GetText(ConstRCPtr<LRefCountedObject>& object);
    // Places object (a TextObject goes out as text; null only drops the cache). 0, 1 when
    // called again while a call is running, 0x80004005 when the clipboard refused it; the
    // program's own pastes still get the object from the cache then.
    QKRESULT SetText(const ConstRCPtr<LRefCountedObject>& object);
    // The text of the clipboard, empty when it holds none.
    WString GetText() override;
    QKRESULT SetText(const WString& text) override;

    QKRESULT ReceiveNotification(const ConstRCPtr<LNotificationDistributor>& source,
                                 const ConstRCPtr<LNotification>& notification) override;
    QKRESULT DetachFromDistributor(const ConstRCPtr<LNotificationDistributor>& source, NID id) override;

private:
    using SourcePtr = ConstRCPtr<LNotificationDistributor>;
    using NotificationPtr = ConstRCPtr<LNotification>;

    QKRESULT OnCut(const SourcePtr&, const NotificationPtr&);
    QKRESULT OnCopy(const SourcePtr&, const NotificationPtr&);
    QKRESULT OnPaste(const SourcePtr&, const NotificationPtr&);
    QKRESULT OnDelete(const SourcePtr&, const NotificationPtr&);

    ISystemClipboard& m_system;
    RCPtr<LNotificationHandler<LClipboard>> m_handler;
    // Whether m_sequenceNumber was ever taken: a clipboard whose counter starts at 0 must
    // still be read on the first paste.
    bool m_haveSequenceNumber = false;
    std::uint32_t m_sequenceNumber = 0;
    ConstRCPtr<LRefCountedObject> m_cached;
    bool m_initialized = false;
    bool m_busy = false;
};

} // namespace QK
