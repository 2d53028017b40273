// LTextBox: the single-line text entry ("Framework.TextBox").
//
// The text is the control text; the box adds a caret, a selection with its anchor (the fixed
// end while a selection is extended by keys or the mouse), an optional character filter
// (allowed or forbidden characters) and maximum length, a read-only flag, a cue text shown
// while the box is empty and unfocused (the skin's "LABEL"), and a validation pass:
// "NID_TEXTBOX_VALIDATING" lets the owner correct or refuse the text, "NID_TEXTBOX_VALIDATED"
// follows when it was accepted. Validation runs on Enter and before the focus leaves, so a
// refused text keeps the focus in the box. Every text change sends "NID_TEXTBOX_TEXT_CHANGE".
//
// The text is the scroll view's content: its measured size is the client extent, and the
// box scrolls horizontally to keep the caret in view.
//
// Clipboard edits (kinds 0 delete, 1 cut, 2 copy, 3 paste) go through the application's
// clipboard (LControlClipboard). A paste drops the characters typing would drop (controls,
// Tab, line breaks and whatever the filter refuses); a read-only box refuses delete, cut and
// paste as it refuses typing. Once the framework's string table is loaded, the box's context
// menu offers cut, copy, paste and delete ("EDIT_CUT", "EDIT_COPY", "EDIT_PASTE",
// "EDIT_DELETE"), each enabled while the clipboard edit can be done.
//
// Looks: 0 normal, 1 hover, 2 empty with cue text (look 9 drawn over it), 3 focused,
// 4 focused with hover, 6 disabled, 10 and 11 the selection highlight (without and with
// hover), limited to the selected characters and drawn over look 3 or 4.
//
// The caret blinks (0.5 s shown, 0.3 s hidden) on the root window's idle passes while the box
// has the focus; the text scrolls horizontally to keep the caret in view when auto-scroll is
// on, also while a selection is dragged past either edge. UI thread only.
#pragma once

#include "QKFramework/ControlBase/ScrollView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace QK
{

// The argument of "NID_TEXTBOX_VALIDATING" and "NID_TEXTBOX_VALIDATED". A validating handler
// may replace Text or clear Valid to refuse it.
class LTextValidationParams : public virtual LRefCountedObject
{
public:
    LTextValidationParams(const WString& text, const WString& previous) : Text(text), PreviousText(previous) {}

    WString Text;
    WString PreviousText;
    bool Valid = true;
};

class LTextBox : public LScrollView
{
public:
    LTextBox(LControl* parent, const WString& name);
    ~LTextBox() override;

    // The create function of "Framework.TextBox".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);

    // --- Operations added to LScrollView's -------------------------------------------------

    // 0 when the text changed, 1 when it was the same. resetCaret puts the caret at 0.
    virtual QKRESULT SetText(const WString& text, bool resetCaret);

    // --- LControl --------------------------------------------------------------------------

    QKRESULT SetText(const WString& text) override { return SetText(text, true); }
    bool IsCommandTarget() const override { return true; }
    // Whether the edit kind can be done now: 0, 1 and 2 need a selection and 0, 1 and 3 a
    // box that is not read-only; 3 needs text to paste that fits within the maximum length.
    bool HandleClipboardData(std::int32_t kind) override;
    // 0 done; 0x80004005 when there is nothing to do, and for any other kind.
    QKRESULT PerformEdit(std::int32_t kind) override;
    QKRESULT SetFocus(bool forward) override;
    void OnConditionsChanged(LConditionsParam* conditions) override;
    QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor) override;
    void OnLeftButtonDown(const LMouseButtonParam* button) override;
    void OnMouseMove(const LPointWithModifiersParam* point) override;
    void OnLeftClick(const LMouseButtonParam* button) override;
    QKRESULT WantsKey(LKeyParam* key) override;
    void OnTimer() override;
    QKRESULT DrawOverlay(LRenderer& renderer) override;
    QKRESULT Initialize() override;
    WString GetToolTipText() const override;
    // Validates; the focus may leave only when the text is valid.
    bool IsUITarget() const override;
    // For the edit requests ("NID_EDIT_COPY_REQ", "NID_EDIT_CUT_REQ", "NID_EDIT_DELETE_REQ",
    // "NID_EDIT_PASTE_REQ") writes whether the clipboard edit can be done now into the
    // record's enabled flag and answers 0; 1 for any other notification.
    std::int32_t IsCommandEnabled(const LMenuDescriptor* menu, std::uint32_t index, const WString& nid,
                                  LMenuItemState& state) override;
    // Builds the edit menu once the framework's string table is there.
    QKRESULT RegisterNotifications() override;
    // The edit commands of the context menu go to the default centre, where the clipboard
    // takes them at the next idle pass.
    void OnContextMenuPopup(IPopupMenuControl* popup) override;

    // --- LScrollView -----------------------------------------------------------------------

    // Ignored while already inside; stops the drag scrolling at either end and extends a
    // dragged selection to the pointer.
    QKRESULT SetScrollOffset(const PointD& offset) override;

    // --- Own operations --------------------------------------------------------------------

    // n characters at most (0: no limit); a longer text is cut and the caret goes to its end.
    void SetMaxLength(std::int32_t n);
    // Axis 0 horizontal, any other value vertical (kept, not used by a single line).
    void SetAutoScroll(std::int32_t axis, bool on);
    // Runs the validation pass and answers its parameters.
    RCPtr<LTextValidationParams> Validate();

    // Caret and selection. Inclusive character indexes: a = -1 clears, (0, -1) selects all.
    QKRESULT SetSelection(std::int32_t a, std::int32_t b);
    // 0 moved; 1 the same position (without force); 0x80070057 outside 0..length.
    QKRESULT MoveCaret(std::int32_t position, bool force);
    // The character position (0..length) under point, in the control's coordinates.
    std::int32_t CharacterAt(const PointD& point);

    // The characters typing and pasting test against, empty for none; with the mode true a
    // character must be among them, with it false it must not.
    void AllowedCharacters(const WString& characters) { m_filter = characters; }
    const WString& AllowedCharacters() const { return m_filter; }
    void AllowedCharactersMode(bool allowed) { m_filterAllows = allowed; }
    bool AllowedCharactersMode() const { return m_filterAllows; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    void SetMultiLine(bool multiLine) { m_multiLine = multiLine; }
    std::int32_t GetCaret() const { return m_caret; }
    std::int32_t GetSelectionStart() const { return m_selectionStart; }
    std::int32_t GetSelectionLength() const { return m_selectionLength; }
    std::int32_t GetAnchor() const { return m_anchor; }
    std::int32_t GetMaxLength() const { return m_maxLength; }
    const WString& GetCueText() const { return m_cueText; }
    const RectD& GetCaretRect() const { return m_caretRect; }
    bool IsCaretVisible() const { return m_caretVisible; }
    bool IsAutoScrollX() const { return m_autoScrollX; }

private:
    std::u16string Text() const;
    std::int32_t Length() const { return static_cast<std::int32_t>(GetText().GetLength()); }
    // The look 0 text area (its text box, or its client part when it shows no text) and the
    // offset of the first laid-out line in it.
    RectD TextArea() const;
    PointD FirstLineOffset() const;
    double TextWidth(const std::u16string& text) const;
    double LineHeight() const;
    double ScrollLimit() const;
    bool IsHover() const;
    bool Accepts(char16_t c) const;

    // Ends every edit: the text set without moving the caret, then the caret forced to
    // caret when the text changed.
    void ApplyEdit(const std::u16string& text, std::int32_t caret);
    void TypeCharacter(char16_t c);
    void DeleteRange(std::int32_t start, std::int32_t count);
    QKRESULT ReplaceSelection(const std::u16string& text);
    QKRESULT Paste();
    // Clears without touching the anchor rule of the caret; true when something was selected.
    bool ClearSelection();
    void SetSelectionRange(std::int32_t start, std::int32_t length, std::int32_t anchor);
    void ExtendSelection(std::int32_t position);
    std::int32_t NextWord(std::int32_t from) const;
    std::int32_t PreviousWord(std::int32_t from) const;
    void SelectWordAtCaret();
    void ComputeCaretRect();
    void ScrollCaretIntoView();
    void UpdateLooks();
    void SetIdleProcessing(bool on);
    std::int32_t HandleKey(std::uint32_t code);

    WString m_filter;
    bool m_filterAllows = true;
    WString m_cueText;
    std::int32_t m_caret = 0;
    std::int32_t m_selectionStart = 0;
    std::int32_t m_selectionLength = 0;
    std::int32_t m_anchor = 0;
    std::int32_t m_maxLength = 0;
    bool m_readOnly = false;
    bool m_autoScrollX = false;
    bool m_autoScrollY = false;
    bool m_multiLine = false;
    RectD m_caretRect{0.0, 0.0, 0.0, 0.0};
    bool m_inScrollUpdate = false;
    bool m_caretVisible = true;
    double m_nextBlink = 0.0;
    bool m_idleProcessing = false;
};

} // namespace QK
