// Contents: creation; setting the text; caret and selection; edits and the clipboard; the
// key handler; the mouse; scrolling; looks, focus, blinking and the caret's drawing;
// validation.
#include "QKFramework/Controls/TextBox.h"

#include "QKFramework/ControlBase/Clipboard.h"
#include "QKFramework/ControlBase/ControlApp.h"
#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/ControlDetail.h"
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/ControlBase/ControlNotifications.h"
#include "QKFramework/ControlBase/Input/InputEvents.h"
#include "QKFramework/ControlBase/MenuDescriptor.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Controls/PopupMenu.h"
#include "QKFramework/Notification/Notification.h"
#include "QKFramework/Notification/NotificationCenter.h"
#include "QKFramework/Notification/NotificationCenterManager.h"
#include "QKFramework/Renderer/Font.h"
#include "QKFramework/Renderer/MeasurementRenderer.h"
#include "QKFramework/Renderer/RenderApp.h"
#include "QKFramework/Renderer/Renderer.h"
#include "QKFramework/Utilities/Graphics/ColorRGBA.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"

#include <algorithm>
#include <cmath>

namespace QK
{

using namespace ControlDetail;

namespace
{

enum Look : std::int32_t
{
    kLookNormal = 0,
    kLookHover = 1,
    kLookCueBack = 2,
    kLookFocused = 3,
    kLookFocusedHover = 4,
    kLookDisabled = 6,
    kLookCue = 9,
    kLookSelection = 10,
    kLookSelectionHover = 11,
};

// Virtual keys.
constexpr std::uint32_t kVkBack = 0x08;
constexpr std::uint32_t kVkEnter = 0x0D;
constexpr std::uint32_t kVkSpace = 0x20;
constexpr std::uint32_t kVkEnd = 0x23;
constexpr std::uint32_t kVkHome = 0x24;
constexpr std::uint32_t kVkLeft = 0x25;
constexpr std::uint32_t kVkUp = 0x26;
constexpr std::uint32_t kVkRight = 0x27;
constexpr std::uint32_t kVkDown = 0x28;
constexpr std::uint32_t kVkDelete = 0x2E;

constexpr std::uint32_t Key(std::uint32_t virtualKey, std::uint32_t modifiers = 0)
{
    return KeyCode::kKeyEvent | (virtualKey << 16) | modifiers;
}
constexpr std::uint32_t kCtrl = KeyCode::kCtrl;
constexpr std::uint32_t kShift = KeyCode::kShift;

constexpr double kCaretShown = 0.5;
constexpr double kCaretHidden = 0.3;
// A blink that is due to within half a millisecond of the clock counts as due.
constexpr double kDueTolerance = 0.0005;
constexpr double kScrollMargin = 3.0;
constexpr double kDragScrollZone = 20.0;
constexpr double kDragScrollFactor = 5.0;

// Clipboard modifier bits of the mouse parameters.
constexpr std::uint32_t kMouseCtrl = 0x1;
constexpr std::uint32_t kMouseShift = 0x8;

std::int32_t ToPixel(double value)
{
    return static_cast<std::int32_t>(value + 0.5);
}

} // namespace

// --- Creation ----------------------------------------------------------------------------------

LTextBox::LTextBox(LControl* parent, const WString& name) : LScrollView(parent, name) {}

LTextBox::~LTextBox() = default;

RCPtr<LControl> LTextBox::Create(LControl* parent, const LControlDescriptor* descriptor)
{
    return CreateControlOf<LTextBox>(parent, descriptor);
}

QKRESULT LTextBox::CreateFromDescriptor(const LControlDescriptor* descriptor)
{
    // The base shows "LABEL" as the control text; in a text box it is the cue text instead.
    const WString kept = GetText();
    const QKRESULT result = LScrollView::CreateFromDescriptor(descriptor);
    const ConstRCPtr<LStringTable> table = GetStringTable();
    WString label;
    if (table && FindStringMapValue(*table, u"LABEL", label))
    {
        SetText(kept, true);
        m_cueText = label;
        if (!m_cueText.IsEmpty())
            if (const RCPtr<LLook> cue = GetLook(kLookCue))
                cue->SetText(m_cueText);
        UpdateLooks();
    }
    return result;
}

QKRESULT LTextBox::Initialize()
{
    const QKRESULT result = LScrollView::Initialize();
    if (result < 0)
        return result;
    SetTextFollowsScroll(true);
    ComputeCaretRect();
    return result;
}

// --- Setting the text ---------------------------------------------------------------------------

std::u16string LTextBox::Text() const
{
    const WString& text = GetText();
    return std::u16string(text.GetString(), text.GetLength());
}

QKRESULT LTextBox::SetText(const WString& text, bool resetCaret)
{
    const RCPtr<LControl> self(this);
    if (LControl::SetText(text) != QK_OK)
        return QK_FALSE;
    // The scroll view's content: the text's size in look 0's font.
    SetClientExtent(TextWidth(Text()), LineHeight());
    if (ClearSelection())
        UpdateLooks();
    // An owner's shorter text must not leave the caret past the end.
    if (m_caret > Length())
    {
        m_caret = m_anchor = Length();
        ComputeCaretRect();
    }
    if (resetCaret)
        MoveCaret(0, true);
    ScrollCaretIntoView();
    if (!m_cueText.IsEmpty())
    {
        if (const RCPtr<LLook> cue = GetLook(kLookCue))
            cue->SetText(m_cueText);
        UpdateLooks();
    }
    Send(kNidTextboxTextChange, ConstRCPtr<LRefCountedObject>(this));
    return QK_OK;
}

void LTextBox::SetMaxLength(std::int32_t n)
{
    m_maxLength = std::max(n, 0);
    if (m_maxLength > 0 && Length() > m_maxLength)
        if (SetText(GetText().Left(m_maxLength), false) == QK_OK)
            MoveCaret(Length(), true);
}

void LTextBox::SetAutoScroll(std::int32_t axis, bool on)
{
    (axis == 0 ? m_autoScrollX : m_autoScrollY) = on;
}

// --- Caret and selection ------------------------------------------------------------------------

QKRESULT LTextBox::MoveCaret(std::int32_t position, bool force)
{
    if (position < 0 || position > Length())
        return QK_E_INVALIDARG;
    if (position == m_caret && !force)
    {
        if (m_selectionLength == 0)
            m_anchor = m_caret;
        return QK_FALSE;
    }
    m_caret = position;
    if (m_selectionLength == 0)
        m_anchor = m_caret;
    ComputeCaretRect();
    ScrollCaretIntoView();
    m_caretVisible = true;
    m_nextBlink = LControlApp::GetTime() + kCaretShown;
    InvalidateWhole();
    return QK_OK;
}

bool LTextBox::ClearSelection()
{
    const bool had = m_selectionLength != 0;
    m_selectionStart = m_selectionLength = m_anchor = 0;
    return had;
}

void LTextBox::SetSelectionRange(std::int32_t start, std::int32_t length, std::int32_t anchor)
{
    const std::int32_t oldStart = m_selectionStart;
    const std::int32_t oldLength = m_selectionLength;
    m_selectionStart = start;
    m_selectionLength = std::max(length, 0);
    m_anchor = anchor;
    if (oldStart != m_selectionStart || oldLength != m_selectionLength)
        UpdateLooks();
}

QKRESULT LTextBox::SetSelection(std::int32_t a, std::int32_t b)
{
    const std::int32_t length = Length();
    if (a == -1)
    {
        SetSelectionRange(0, 0, 0);
        return QK_OK;
    }
    if (a == 0 && b == -1)
    {
        SetSelectionRange(0, length, 0);
        return QK_OK;
    }
    if (a < 0 || b < 0 || a >= length || b >= length)
        return QK_E_INVALIDARG;
    const std::int32_t start = std::min(a, b);
    SetSelectionRange(start, std::abs(a - b) + 1, start);
    return QK_OK;
}

void LTextBox::ExtendSelection(std::int32_t position)
{
    position = std::clamp(position, 0, Length());
    const std::int32_t anchor = m_anchor;
    SetSelectionRange(std::min(anchor, position), std::abs(position - anchor), anchor);
    MoveCaret(position, false);
}

std::int32_t LTextBox::NextWord(std::int32_t from) const
{
    const std::u16string text = Text();
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = std::clamp(from, 0, length);
    while (i < length && IsWhiteSpaceChar(text[i]))
        ++i;
    while (i < length && !IsWhiteSpaceChar(text[i]))
        ++i;
    while (i < length && IsWhiteSpaceChar(text[i]))
        ++i;
    return i;
}

std::int32_t LTextBox::PreviousWord(std::int32_t from) const
{
    const std::u16string text = Text();
    const auto length = static_cast<std::int32_t>(text.size());
    if (length == 0)
        return 0;
    std::int32_t i = std::clamp(from > 0 ? from - 1 : 0, 0, length - 1);
    while (i > 0 && IsWhiteSpaceChar(text[i]))
        --i;
    while (i > 0 && !IsWhiteSpaceChar(text[i]))
        --i;
    return IsWhiteSpaceChar(text[i]) ? i + 1 : i;
}

void LTextBox::SelectWordAtCaret()
{
    ClearSelection();
    MoveCaret(PreviousWord(m_caret), false);
    m_anchor = m_caret;
    const std::u16string text = Text();
    std::int32_t end = NextWord(m_caret);
    while (end > m_caret && IsWhiteSpaceChar(text[end - 1]))
        --end;
    ExtendSelection(end);
}

// --- Edits and the clipboard ------------------------------------------------------------------

bool LTextBox::Accepts(char16_t c) const
{
    if (!IsPrintableChar(c) || c == u'\t')
        return false;
    if (m_filter.IsEmpty())
        return true;
    const std::u16string filter(m_filter.GetString(), m_filter.GetLength());
    const bool listed = filter.find(c) != std::u16string::npos;
    return listed == m_filterAllows;
}

void LTextBox::ApplyEdit(const std::u16string& text, std::int32_t caret)
{
    if (SetText(WString(text.c_str()), false) == QK_OK)
        MoveCaret(std::clamp(caret, 0, Length()), true);
    // Typing over a selection clears it before the text is set: the highlight must go with it.
    UpdateLooks();
}

void LTextBox::TypeCharacter(char16_t c)
{
    if (m_readOnly)
        return;
    std::u16string text = Text();
    std::int32_t caret = std::min(m_caret, static_cast<std::int32_t>(text.size()));
    if (m_selectionLength > 0)
    {
        text.erase(static_cast<std::size_t>(m_selectionStart), static_cast<std::size_t>(m_selectionLength));
        caret = m_selectionStart;
        ClearSelection();
        m_caret = caret;
    }
    bool inserted = false;
    if (m_maxLength <= 0 || static_cast<std::int32_t>(text.size()) < m_maxLength)
    {
        text.insert(static_cast<std::size_t>(caret), 1, c);
        inserted = true;
    }
    ApplyEdit(text, caret + (inserted ? 1 : 0));
}

void LTextBox::DeleteRange(std::int32_t start, std::int32_t count)
{
    if (m_readOnly || count <= 0)
        return;
    std::u16string text = Text();
    text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(count));
    ApplyEdit(text, start);
}

QKRESULT LTextBox::ReplaceSelection(const std::u16string& replacement)
{
    const auto added = static_cast<std::int32_t>(replacement.size());
    if (m_selectionLength == 0 || (m_maxLength > 0 && Length() - m_selectionLength + added > m_maxLength))
        return QK_E_FAIL;
    std::u16string text = Text();
    const std::int32_t start = m_selectionStart;
    text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(m_selectionLength), replacement);
    ClearSelection();
    ApplyEdit(text, start + added);
    return QK_OK;
}

namespace
{

// The characters of the clipboard text that the box accepts.
template <class Accepts> std::u16string Filtered(const WString& text, Accepts accepts)
{
    std::u16string kept;
    for (std::uint32_t i = 0; i < text.GetLength(); ++i)
        if (accepts(text.GetString()[i]))
            kept.push_back(text.GetString()[i]);
    return kept;
}

} // namespace

QKRESULT LTextBox::Paste()
{
    if (m_readOnly)
        return QK_E_FAIL;
    const std::u16string text = Filtered(LControlClipboard::GetText(), [this](char16_t c) { return Accepts(c); });
    if (text.empty())
        return QK_E_FAIL;
    if (m_selectionLength > 0)
        return ReplaceSelection(text);
    const auto added = static_cast<std::int32_t>(text.size());
    if (m_maxLength > 0 && added + Length() > m_maxLength)
        return QK_E_FAIL;
    std::u16string whole = Text();
    const std::int32_t caret = std::min(m_caret, Length());
    whole.insert(static_cast<std::size_t>(caret), text);
    ApplyEdit(whole, caret + added);
    return QK_OK;
}

bool LTextBox::HandleClipboardData(std::int32_t kind)
{
    switch (kind)
    {
    case IClipboard::kCopy:
        return m_selectionLength > 0;
    case IClipboard::kDelete:
    case IClipboard::kCut:
        return m_selectionLength > 0 && !m_readOnly;
    default:
    {
        if (m_readOnly)
            return false;
        const auto added = static_cast<std::int32_t>(
            Filtered(LControlClipboard::GetText(), [this](char16_t c) { return Accepts(c); }).size());
        if (added == 0)
            return false;
        return m_maxLength <= 0 || m_maxLength >= added + Length() - m_selectionLength;
    }
    }
}

QKRESULT LTextBox::PerformEdit(std::int32_t kind)
{
    const RCPtr<LControl> self(this);
    switch (kind)
    {
    case IClipboard::kDelete:
    case IClipboard::kCut:
        if (m_selectionLength == 0 || m_readOnly)
            return QK_E_FAIL;
        if (kind == IClipboard::kCut)
            LControlClipboard::SetText(GetText().Mid(m_selectionStart, m_selectionLength));
        DeleteRange(m_selectionStart, m_selectionLength);
        return QK_OK;
    case IClipboard::kCopy:
        if (m_selectionLength == 0)
            return QK_E_FAIL;
        LControlClipboard::SetText(GetText().Mid(m_selectionStart, m_selectionLength));
        return QK_OK;
    case IClipboard::kPaste:
        return Paste();
    default:
        return QK_E_FAIL;
    }
}

void LTextBox::OnContextMenuPopup(IPopupMenuControl* popup)
{
    auto* menu = dynamic_cast<LPopupMenu*>(popup);
    const RCPtr<LNotificationCenter> centre = GetDefaultNotificationCenter();
    if (menu && centre)
        if (const RCPtr<LNotificationReceiver> posting = centre->GetPostingReceiver())
            menu->SetCommandTarget(posting);
}

std::int32_t LTextBox::IsCommandEnabled(const LMenuDescriptor*, std::uint32_t, const WString& nid,
                                       LMenuItemState& state)
{
    static const struct
    {
        const char16_t* nid;
        std::int32_t kind;
    } kEdits[] = {{kNidEditCopyReq, IClipboard::kCopy},
                  {kNidEditCutReq, IClipboard::kCut},
                  {kNidEditDeleteReq, IClipboard::kDelete},
                  {kNidEditPasteReq, IClipboard::kPaste}};
    for (const auto& edit : kEdits)
        if (nid.IsEqual(edit.nid))
        {
            state.Enabled = LControlClipboard::CanPerformEdit(edit.kind);
            return 0;
        }
    return 1;
}

QKRESULT LTextBox::RegisterNotifications()
{
    const QKRESULT result = LScrollView::RegisterNotifications();
    const LControlFactory* factory = LControlApp::GetControlFactory();
    const ConstRCPtr<LStringTable> strings = factory ? factory->GetFrameworkStringTable() : nullptr;
    if (!strings)
        return result;
    static const struct
    {
        const char16_t* label;
        const char16_t* nid;
    } kItems[] = {{u"EDIT_CUT", kNidEditCutReq},
                  {u"EDIT_COPY", kNidEditCopyReq},
                  {u"EDIT_PASTE", kNidEditPasteReq},
                  {u"EDIT_DELETE", kNidEditDeleteReq}};
    const RCPtr<LMenuDescriptor> menu = LMenuDescriptor::Create();
    std::uint32_t index = 0;
    for (const auto& item : kItems)
    {
        WString label;
        FindStringMapValue(*strings, item.label, label);
        menu->InsertItem(index++, label, WString(item.nid), true, false);
    }
    SetContextMenu(ConstRCPtr<LMenuDescriptor>(menu));
    return result;
}

// --- The key handler --------------------------------------------------------------------------

QKRESULT LTextBox::WantsKey(LKeyParam* key)
{
    if (!key)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    return HandleKey(static_cast<std::uint32_t>(key->Key.Code));
}

std::int32_t LTextBox::HandleKey(std::uint32_t code)
{
    const std::int32_t length = Length();
    const std::int32_t upDown = m_multiLine ? 0 : 1;
    switch (code)
    {
    case Key('A', kCtrl):
        SetSelectionRange(0, length, 0);
        return 1;
    case Key(kVkLeft):
        ClearSelection();
        MoveCaret(m_caret > 0 ? m_caret - 1 : m_caret, false);
        UpdateLooks();
        return 0;
    case Key(kVkRight):
        ClearSelection();
        MoveCaret(m_caret < length ? m_caret + 1 : m_caret, false);
        UpdateLooks();
        return 0;
    case Key(kVkUp):
    case Key(kVkDown):
    case Key(kVkUp, kShift):
    case Key(kVkDown, kShift):
    case Key(kVkUp, kCtrl):
    case Key(kVkDown, kCtrl):
    case Key(kVkUp, kCtrl | kShift):
    case Key(kVkDown, kCtrl | kShift):
        return upDown;
    case Key(kVkLeft, kShift):
        if (m_caret == 0)
            return 0;
        if (m_selectionLength > 0)
        {
            if (m_caret > m_anchor)
                SetSelectionRange(m_selectionStart, m_selectionLength - 1, m_anchor);
            else
                SetSelectionRange(m_selectionStart - 1, m_selectionLength + 1, m_anchor);
        }
        else
            SetSelectionRange(m_caret - 1, 1, m_caret);
        MoveCaret(m_caret - 1, false);
        return 0;
    case Key(kVkRight, kShift):
        if (m_caret >= length)
            return 0;
        if (m_selectionLength > 0)
        {
            if (m_caret < m_anchor)
                SetSelectionRange(m_selectionStart + 1, m_selectionLength - 1, m_anchor);
            else
                SetSelectionRange(m_selectionStart, m_selectionLength + 1, m_anchor);
        }
        else
            SetSelectionRange(m_caret, 1, m_caret);
        MoveCaret(m_caret + 1, false);
        return 0;
    case Key(kVkLeft, kCtrl):
        ClearSelection();
        MoveCaret(PreviousWord(m_caret), false);
        UpdateLooks();
        return 0;
    case Key(kVkRight, kCtrl):
        ClearSelection();
        MoveCaret(NextWord(m_caret), false);
        UpdateLooks();
        return 0;
    case Key(kVkLeft, kCtrl | kShift):
        ExtendSelection(PreviousWord(m_caret));
        return 0;
    case Key(kVkRight, kCtrl | kShift):
        ExtendSelection(NextWord(m_caret));
        return 0;
    case Key(kVkHome):
        ClearSelection();
        MoveCaret(0, false);
        UpdateLooks();
        return 0;
    case Key(kVkEnd):
        ClearSelection();
        MoveCaret(length, false);
        UpdateLooks();
        return 0;
    case Key(kVkHome, kShift):
        if (m_caret > 0)
        {
            SetSelectionRange(0, m_anchor, m_anchor);
            MoveCaret(0, false);
        }
        return 0;
    case Key(kVkEnd, kShift):
        if (m_caret < length)
        {
            SetSelectionRange(m_anchor, length - m_anchor, m_anchor);
            MoveCaret(length, false);
        }
        return 0;
    case Key(kVkBack):
    case Key(kVkDelete, kShift):
        if (m_selectionLength > 0)
            DeleteRange(m_selectionStart, m_selectionLength);
        else if (m_caret > 0)
            DeleteRange(m_caret - 1, 1);
        return 0;
    case Key(kVkDelete):
        if (m_selectionLength > 0)
            DeleteRange(m_selectionStart, m_selectionLength);
        else if (m_caret < length)
            DeleteRange(m_caret, 1);
        return 0;
    case Key(kVkDelete, kCtrl):
        if (m_selectionLength > 0)
            DeleteRange(m_selectionStart, m_selectionLength);
        else
            DeleteRange(m_caret, length - m_caret);
        return 0;
    case Key(kVkEnter):
        return Validate()->Valid ? 1 : 0;
    default:
        break;
    }

    const bool noKey = (code & KeyCode::kNoKey) != 0;
    const std::uint32_t virtualKey = (code & KeyCode::kVirtualKeyMask) >> 16;
    if (virtualKey == 0 && !noKey)
    {
        const auto c = static_cast<char16_t>(code & KeyCode::kCharacterMask);
        if (IsPrintableChar(c) && c != u'\t')
        {
            if (Accepts(c))
                TypeCharacter(c);
            return 0;
        }
        return c == kVkBack ? 0 : 1;
    }
    if (noKey || (code & KeyCode::kKeyEvent) == 0)
        return 0;
    const bool typing = virtualKey == kVkSpace || (virtualKey >= '0' && virtualKey <= '9') ||
                        (virtualKey >= 'A' && virtualKey <= 'Z');
    if (!typing)
        return 1;
    return (code & (KeyCode::kCtrl | KeyCode::kAlt | KeyCode::kCommand)) ? 1 : 0;
}

// --- The mouse ----------------------------------------------------------------------------------

std::int32_t LTextBox::CharacterAt(const PointD& point)
{
    const RectD area = TextArea();
    const PointD offset = GetScrollOffset();
    const double x = std::clamp(point.x, area.x, area.x + area.width) + offset.x;
    const std::u16string text = Text();
    const auto length = static_cast<std::int32_t>(text.size());
    const double left0 = area.x + FirstLineOffset().x;
    if (length == 0 || x < left0)
        return 0;
    // Character i covers [left(i), left(i + 1)]; the widths grow with i, so bisect.
    std::int32_t low = 0;
    std::int32_t high = length - 1;
    while (low <= high)
    {
        const std::int32_t mid = (low + high) / 2;
        const double left = left0 + TextWidth(text.substr(0, static_cast<std::size_t>(mid)));
        const double right = left0 + TextWidth(text.substr(0, static_cast<std::size_t>(mid) + 1));
        if (x < left)
            high = mid - 1;
        else if (x > right)
            low = mid + 1;
        else
            return x >= left + (right - left) * 0.5 ? mid + 1 : mid;
    }
    return low >= length ? length : low;
}

void LTextBox::OnLeftButtonDown(const LMouseButtonParam* button)
{
    if (!button)
        return;
    const std::int32_t position = CharacterAt(PointD{double(button->X), double(button->Y)});
    if (button->Modifiers & kMouseShift)
    {
        ExtendSelection(position);
        return;
    }
    ClearSelection();
    MoveCaret(position, false);
    m_anchor = m_caret;
    UpdateLooks();
}

void LTextBox::OnLeftClick(const LMouseButtonParam* button)
{
    if (button && (button->DoubleClick || (button->Modifiers & kMouseCtrl)))
        SelectWordAtCaret();
}

void LTextBox::OnMouseMove(const LPointWithModifiersParam* point)
{
    const ConditionFlags& flags = const_cast<LTextBox*>(this)->GetConditionFlags();
    if (!point || !(flags.leftDrag || (flags.leftDown && flags.captured)))
        return;
    const RectD area = TextArea();
    const double x = point->X;
    ExtendSelection(CharacterAt(PointD{x, double(point->Y)}));
    if (!m_autoScrollX)
        return;
    const double right = area.x + area.width - kDragScrollZone;
    const double left = area.x + kDragScrollZone;
    if (x > right || x < left)
    {
        const double edge = x > right ? right : left;
        StartInertia(0, (x - edge + 1.0) * kDragScrollFactor, ScrollLimit(), 0.0, nullptr);
    }
    else
        StopInertia(0);
}

// --- Scrolling -----------------------------------------------------------------------------------

double LTextBox::ScrollLimit() const
{
    const double visible = TextArea().width;
    const double content = GetClientExtentSize().first;
    return content > visible ? content - visible + kScrollMargin : 0.0;
}

QKRESULT LTextBox::SetScrollOffset(const PointD& offset)
{
    if (m_inScrollUpdate)
        return QK_FALSE;
    const RCPtr<LControl> self(this);
    m_inScrollUpdate = true;
    const QKRESULT result = LScrollView::SetScrollOffset(offset);
    const double x = GetScrollOffset().x;
    if (IsInertiaActive(0) && (x <= 0.0 || x >= ScrollLimit()))
        StopInertia(0);
    const ConditionFlags& flags = GetConditionFlags();
    IRootWindow* root = GetRootWindowLink();
    if (flags.leftDrag && root)
    {
        PointD origin;
        GetPositionInRoot(origin);
        const PointL cursor = root->GetCursorPosition();
        ExtendSelection(CharacterAt(PointD{cursor.x - origin.x, cursor.y - origin.y}));
    }
    else
        UpdateLooks();
    m_inScrollUpdate = false;
    return result;
}

void LTextBox::ScrollCaretIntoView()
{
    if (!m_autoScrollX || IsInertiaActive(0) || m_inScrollUpdate)
        return;
    const RectD area = TextArea();
    const double s = GetScrollOffset().x;
    const PointD current = GetScrollOffset();
    // Without the focus the box shows its text from the first character, wherever the caret
    // was left: a new text or a cut one does not scroll it to the caret.
    if (!HasFocus())
    {
        if (s != 0.0)
            SetScrollOffset(PointD{0.0, current.y});
    }
    else if (m_caretRect.x - s < area.x)
        SetScrollOffset(PointD{std::max(0.0, m_caretRect.x - kScrollMargin), current.y});
    else if (m_caretRect.x + m_caretRect.width - s > area.x + area.width)
        SetScrollOffset(PointD{m_caretRect.x + m_caretRect.width + kScrollMargin - (area.x + area.width), current.y});
    ComputeCaretRect();
    UpdateLooks();
}

// --- Geometry ---------------------------------------------------------------------------------

RectD LTextBox::TextArea() const
{
    if (const RCPtr<LLook> look = GetLook(kLookNormal))
        if (const RCPtr<LFontText>& text = look->GetFontText())
        {
            const PointL origin = look->GetTextOrigin();
            return RectD{double(origin.x), double(origin.y), double(text->GetBoxWidth()),
                         double(text->GetBoxHeight())};
        }
    return GetLookClientRect(kLookNormal);
}

PointD LTextBox::FirstLineOffset() const
{
    if (const RCPtr<LLook> look = GetLook(kLookNormal))
        if (const RCPtr<LFontText>& text = look->GetFontText())
            if (text->GetLineCount() > 0)
            {
                const RectF line = text->GetLineRect(0);
                return PointD{line.x, line.y};
            }
    return PointD{0.0, 0.0};
}

double LTextBox::TextWidth(const std::u16string& text) const
{
    if (text.empty())
        return 0.0;
    const ConstRCPtr<LMeasurementRenderer> measuring = LRenderApp::GetMeasurementRenderer();
    if (!measuring)
        return 0.0;
    // A measured text comes back padded, as desktop string measuring pads it. Measured up to
    // a following reference character, whose own measure is then taken off, the padding
    // cancels: the caret and the highlight stand between the glyphs as they are drawn.
    const WString extended((text + u'|').c_str());
    return std::max(0.0, double(measuring->MeasureText(extended, GetFont()).width) -
                             double(measuring->MeasureText(WString(u"|"), GetFont()).width));
}

double LTextBox::LineHeight() const
{
    return GetFont() ? GetFont()->GetHeight() : 0.0;
}

void LTextBox::ComputeCaretRect()
{
    const RectD area = TextArea();
    const PointD line = FirstLineOffset();
    const std::u16string text = Text();
    const auto before = static_cast<std::size_t>(std::clamp(m_caret, 0, static_cast<std::int32_t>(text.size())));
    m_caretRect = RectD{area.x + line.x + TextWidth(text.substr(0, before)) - 1.0, area.y + line.y, 1.0, LineHeight()};
}

// --- Looks, focus, blinking and the caret's drawing ---------------------------------------------------

bool LTextBox::IsHover() const
{
    const ConditionFlags& flags = const_cast<LTextBox*>(this)->GetConditionFlags();
    return flags.pointerOver || flags.leftDrag;
}

void LTextBox::UpdateLooks()
{
    const bool hover = IsHover();
    ClearLookRegions();
    if (!IsEnabled(true))
    {
        SelectLook(kLookDisabled);
        return;
    }
    const RectD area = TextArea();
    if (HasFocus() && m_selectionLength > 0)
    {
        const std::u16string text = Text();
        const double origin = area.x + FirstLineOffset().x - GetScrollOffset().x;
        const double left = std::max(area.x, origin + TextWidth(text.substr(0, std::size_t(m_selectionStart))));
        const double right = std::min(
            area.x + area.width, origin + TextWidth(text.substr(0, std::size_t(m_selectionStart + m_selectionLength))));
        const double top = std::max(area.y, m_caretRect.y);
        const double bottom = std::min(area.y + area.height, m_caretRect.y + m_caretRect.height);
        const std::int32_t selection = hover ? kLookSelectionHover : kLookSelection;
        RectRegion region;
        if (right > left && bottom > top)
            region.AddRect(ToPixel(left), ToPixel(top), ToPixel(right), ToPixel(bottom));
        SelectLook(hover ? kLookFocusedHover : kLookFocused);
        // An empty region would let the highlight cover the whole box.
        if (!region.IsEmpty())
        {
            SetLookRegion(selection, region);
            SetLookOpacity(selection, 1.0f, false);
        }
        return;
    }
    if (!HasFocus() && GetText().IsEmpty() && !m_cueText.IsEmpty())
    {
        double width = 0.0;
        if (const RCPtr<LLook> cue = GetLook(kLookCue))
            if (const RCPtr<LFontText>& text = cue->GetFontText())
                if (text->GetLineCount() > 0)
                    width = text->GetLineRect(0).width;
        RectRegion region;
        if (width > 0.0 && area.height > 0.0)
            region.AddRect(ToPixel(area.x), ToPixel(area.y), ToPixel(area.x + width), ToPixel(area.y + area.height));
        SelectLook(kLookCueBack);
        if (!region.IsEmpty())
        {
            SetLookRegion(kLookCue, region);
            SetLookOpacity(kLookCue, 1.0f, false);
        }
        return;
    }
    if (HasFocus())
        SelectLook(hover ? kLookFocusedHover : kLookFocused);
    else
        SelectLook(hover ? kLookHover : kLookNormal);
}

void LTextBox::SetIdleProcessing(bool on)
{
    if (on == m_idleProcessing)
        return;
    m_idleProcessing = on;
    if (on)
        BeginIdleAnimation();
    else
        EndIdleAnimation();
}

void LTextBox::OnConditionsChanged(LConditionsParam* conditions)
{
    if (!conditions)
        return;
    const RCPtr<LControl> self(this);
    const std::uint32_t changed = conditions->GetChanged();
    const std::uint32_t now = conditions->NewConditions;
    IRootWindow* root = GetRootWindowLink();
    const PointL caretPoint{static_cast<std::int32_t>(m_caretRect.x - GetScrollOffset().x),
                            static_cast<std::int32_t>(m_caretRect.y)};
    if (changed & kHasFocus)
    {
        if (now & kHasFocus)
        {
            if (root)
                root->SetTextCaret(this, true, caretPoint);
            ScrollCaretIntoView();
            UpdateLooks();
            m_caretVisible = true;
            m_nextBlink = LControlApp::GetTime() + kCaretShown;
            InvalidateWhole();
            SetIdleProcessing(true);
        }
        else
        {
            if (root)
                root->SetTextCaret(this, false, caretPoint);
            SetIdleProcessing(false);
            m_caretVisible = false;
            SetScrollOffset(PointD{0.0, 0.0});
            UpdateLooks();
            InvalidateWhole();
        }
    }
    else if ((changed & kPointerOver) && (now & kPointerOver))
        SetCursor(LControlApp::GetCursor(WString(u"UI_CURSOR_IBEAM")));
    const bool dragEnded = (changed & kLeftDrag) && !(now & kLeftDrag);
    if (dragEnded)
    {
        StopInertia(0);
        StopInertia(1);
    }
    if (dragEnded || (changed & (kPointerOver | kHover | kHasFocus | kEnabled)))
        UpdateLooks();
}

void LTextBox::OnTimer()
{
    if (!m_idleProcessing)
        return;
    const double now = LControlApp::GetTime();
    if (now + kDueTolerance < m_nextBlink)
        return;
    m_caretVisible = !m_caretVisible;
    m_nextBlink = now + (m_caretVisible ? kCaretShown : kCaretHidden);
    // A blink changes nothing but the caret's line: repainting the whole box (its looks, its
    // text, what lies behind it) several times a second is what keeps an idle window busy.
    const PointD offset = GetScrollOffset();
    Invalidate(RectD{m_caretRect.x - offset.x - 1.0, m_caretRect.y - offset.y - 1.0, m_caretRect.width + 2.0,
                     m_caretRect.height + 2.0},
               true);
}

QKRESULT LTextBox::DrawOverlay(LRenderer& renderer)
{
    if (!HasFocus() || !m_caretVisible)
        return QK_OK;
    const PointD offset = GetScrollOffset();
    const double x = m_caretRect.x - offset.x;
    const double top = m_caretRect.y - offset.y;
    const double bottom = top + m_caretRect.height;
    const std::uint32_t under = GetLookColorAtPoint(PointD{x, top + m_caretRect.height * 0.5}, -1);
    const std::uint32_t sum = ((under >> 16) & 0xFF) + ((under >> 8) & 0xFF) + (under & 0xFF);
    ColorRGBA color;
    color.FromARGB(sum / 3.0 < 129.0 ? 0xFFFFFFFFu : 0xFF000000u);
    renderer.DrawLine(PointF{float(x), float(top)}, PointF{float(x), float(bottom)}, color, 1.0f);
    return QK_OK;
}

WString LTextBox::GetToolTipText() const
{
    if (!m_multiLine && const_cast<LTextBox*>(this)->IsTextOverflowing())
        return GetText();
    return LControl::GetToolTipText();
}

// --- Validation -----------------------------------------------------------------------------------

RCPtr<LTextValidationParams> LTextBox::Validate()
{
    const RCPtr<LControl> self(this);
    RCPtr<LTextValidationParams> params(new LTextValidationParams(GetText(), GetText()));
    Send(kNidTextboxValidating, ConstRCPtr<LRefCountedObject>(params.Get()));
    if (params->Valid && !params->Text.IsEqual(GetText()))
        SetText(params->Text, false);
    if (params->Valid)
        Send(kNidTextboxValidated, ConstRCPtr<LRefCountedObject>(params.Get()));
    return params;
}

QKRESULT LTextBox::SetFocus(bool forward)
{
    if (HasFocus())
        Validate();
    return LControl::SetFocus(forward);
}

bool LTextBox::IsUITarget() const
{
    return const_cast<LTextBox*>(this)->Validate()->Valid;
}

} // namespace QK
