// LDropper and LFileDropper: small controls the user picks up and drags across the window,
// which take themselves away when they are let go ("Framework.Dropper",
// "Framework.FileDropper").
//
// A left press starts the drag at once (drag mode 1 on both axes, threshold 0), so the
// control follows the pointer from the press; when the drag ends the control removes itself
// from its parent and puts the arrow cursor back. A press that never becomes a drag leaves
// it in place. What a drop means is the business of whoever placed the dropper; the one
// member each class carries is theirs. UI thread only.
#pragma once

#include "QKFramework/ControlBase/Control.h"

#include <cstdint>

namespace QK
{

// The behaviour both droppers share; Payload is what each one carries.
template <class Payload> class LDropperT : public LControl
{
public:
    LDropperT(LControl* parent, const WString& name) : LControl(parent, name) {}

    Payload& GetPayload() { return m_payload; }

    void EndDrag() override;
    void OnConditionsChanged(LConditionsParam* conditions) override;
    QKRESULT InitializeParts() override;

private:
    Payload m_payload{};
};

class LDropper : public LDropperT<std::int32_t>
{
public:
    using LDropperT::LDropperT;
    // The create function of "Framework.Dropper".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);
};

class LFileDropper : public LDropperT<WString>
{
public:
    using LDropperT::LDropperT;
    // The create function of "Framework.FileDropper".
    static RCPtr<LControl> Create(LControl* parent, const LControlDescriptor* descriptor);
};

extern template class LDropperT<std::int32_t>;
extern template class LDropperT<WString>;

} // namespace QK
