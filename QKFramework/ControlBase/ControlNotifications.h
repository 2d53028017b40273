// The notifications that controls send and hear from one another, by the names receivers
// subscribe to. The texts are what skins, hot keys and peers name, and do not change; the
// typo of "NID_VISIBLITY_CONDITION_CHANGE" included.
#pragma once

namespace QK
{

inline constexpr const char16_t* kNidButtonAutorepeat = u"NID_BUTTON_AUTOREPEAT";
inline constexpr const char16_t* kNidClientExtentChange = u"NID_CLIENT_EXTENT_CHANGE";
inline constexpr const char16_t* kNidEditCopyReq = u"NID_EDIT_COPY_REQ";
inline constexpr const char16_t* kNidEditCutReq = u"NID_EDIT_CUT_REQ";
inline constexpr const char16_t* kNidEditDeleteReq = u"NID_EDIT_DELETE_REQ";
inline constexpr const char16_t* kNidEditPasteReq = u"NID_EDIT_PASTE_REQ";
inline constexpr const char16_t* kNidHasFocusConditionChange = u"NID_HAS_FOCUS_CONDITION_CHANGE";
inline constexpr const char16_t* kNidHoverConditionChange = u"NID_HOVER_CONDITION_CHANGE";
inline constexpr const char16_t* kNidItemActivated = u"NID_ITEM_ACTIVATED";
inline constexpr const char16_t* kNidItemCheckChange = u"NID_ITEM_CHECK_CHANGE";
inline constexpr const char16_t* kNidItemDoubleClicked = u"NID_ITEM_DOUBLE_CLICKED";
inline constexpr const char16_t* kNidItemHoverConditionChange = u"NID_ITEM_HOVER_CONDITION_CHANGE";
inline constexpr const char16_t* kNidItemRightClick = u"NID_ITEM_RIGHT_CLICK";
inline constexpr const char16_t* kNidLeftClick = u"NID_LEFT_CLICK";
inline constexpr const char16_t* kNidLeftDragConditionChange = u"NID_LEFT_DRAG_CONDITION_CHANGE";
inline constexpr const char16_t* kNidMenuStatusText = u"NID_MENU_STATUS_TEXT";
inline constexpr const char16_t* kNidMenuStatusTextRestore = u"NID_MENU_STATUS_TEXT_RESTORE";
inline constexpr const char16_t* kNidMouseDown = u"NID_MOUSE_DOWN";
inline constexpr const char16_t* kNidMouseMove = u"NID_MOUSE_MOVE";
inline constexpr const char16_t* kNidMouseUp = u"NID_MOUSE_UP";
inline constexpr const char16_t* kNidScrollOffsetChange = u"NID_SCROLL_OFFSET_CHANGE";
inline constexpr const char16_t* kNidSelectionChange = u"NID_SELECTION_CHANGE";
inline constexpr const char16_t* kNidSiblingKey = u"NID_SIBLING_KEY";
inline constexpr const char16_t* kNidSimulateClick = u"NID_SIMULATE_CLICK";
inline constexpr const char16_t* kNidTextboxTextChange = u"NID_TEXTBOX_TEXT_CHANGE";
inline constexpr const char16_t* kNidTextboxValidated = u"NID_TEXTBOX_VALIDATED";
inline constexpr const char16_t* kNidTextboxValidating = u"NID_TEXTBOX_VALIDATING";
inline constexpr const char16_t* kNidValueChange = u"NID_VALUE_CHANGE";
inline constexpr const char16_t* kNidValueChangeCapture = u"NID_VALUE_CHANGE_CAPTURE";
inline constexpr const char16_t* kNidValueChangeKeyDown = u"NID_VALUE_CHANGE_KEY_DOWN";
inline constexpr const char16_t* kNidValueChangeKeyUp = u"NID_VALUE_CHANGE_KEY_UP";
inline constexpr const char16_t* kNidVisibilityConditionChange = u"NID_VISIBLITY_CONDITION_CHANGE";

} // namespace QK
