// IRootWindow: the window at the top of one tree of controls, as the controls see it.
//
// The window host implements it; a tree's top control holds a counted reference to its root
// window (LControl::SetRootWindow) instead of a parent. Used on the UI thread only.
#pragma once

#include "QKFramework/ObjectBase/RefCountedObject.h"

namespace QK
{

class IRootWindow : public virtual LRefCountedObject
{
public:
    ~IRootWindow() override = default;
};

} // namespace QK
