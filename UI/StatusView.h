// LStatusView: the status view that the device view hands out. It has no state and no
// behaviour of its own; nothing draws or reads it.
#pragma once

#include "QKFramework/ObjectBase/RefCountedObject.h"

namespace QK
{

class LStatusView : public virtual LRefCountedObject
{
};

} // namespace QK
