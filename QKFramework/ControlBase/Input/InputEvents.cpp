#include "QKFramework/ControlBase/Input/InputEvents.h"

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

WString LPointParam::ToString() const
{
    return WString::Format(u"point(%d, %d)", X, Y);
}

WString LPointWithModifiersParam::ToString() const
{
    return LPointParam::ToString() + WString::Format(u"  modifiers: 0x%08x", Modifiers);
}

WString LMouseWheelParam::ToString() const
{
    return LPointWithModifiersParam::ToString() + WString::Format(u"  direction: %s", Direction == 0 ? "down" : "up");
}

LKeyParam::LKeyParam(const KeyCode& key, bool stayInside) : Key(key), StayInside(stayInside) {}

LKeyParam::~LKeyParam() = default;

RCPtr<LKeyParam> LKeyParam::Create(const KeyCode& key, bool stayInside)
{
    return RCPtr<LKeyParam>(new LKeyParam(key, stayInside));
}

WString LKeyParam::ToString() const
{
    return KeyCode::FormatKeyName(Key.Code);
}

} // namespace QK
