// LLayoutDescriptor: where and how large a control is, as its skin describes it. Every
// control description has one; the control base reads the two axis records as a whole
// (GetAxisSpecs) and writes them back when a control is moved by code (SetAxisSpecs).
#pragma once

#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstdint>

namespace QK
{

// A position or a size measured against a reference: Rel times the reference's extent plus
// Abs pixels.
struct LayoutReference
{
    // Position: 0 parent, 1 client, 2 named control. Size: 0 parent, 1 client, 2 self, 3 named control.
    std::int32_t Kind;
    WString Name;
    float Rel = 0.0f;
    double Abs = 0.0;
};

// A minimum or maximum size: the control's own ("Self") Abs pixels, or with HasReference Rel
// times the extent of the control Name ("Children": all children) plus Abs.
struct LayoutLimit
{
    bool HasReference = false;
    WString Name;
    float Rel = 0.0f;
    double Abs = 0.0;
};

// The position record of one axis as GetAxisSpecs hands it out: where the control is placed
// and whether it keeps its place in view while the parent scrolls.
struct LayoutPosition
{
    float PlacementAnchor = 0.0f;
    std::int32_t Kind = 1;
    WString Name;
    float Rel = 0.0f;
    double Abs = 0.0;
    bool Docked = false;
};

// Everything the layout says about one axis.
struct AxisSpec
{
    float PlacementAnchor = 0.0f;
    LayoutReference Position{1, WString(), 0.0f, 0.0};
    LayoutReference Size{2, WString(), 0.0f, 0.0};
    LayoutLimit MinSize;
    LayoutLimit MaxSize;
};

class LLayoutDescriptor : public virtual LRefCountedObject
{
public:
    LLayoutDescriptor()
    {
        X.Size.Abs = 16.0;
        Y.Size.Abs = 40.0;
    }

    void GetAxisSpecs(AxisSpec& x, AxisSpec& y) const
    {
        x = X;
        y = Y;
    }
    void SetAxisSpecs(const AxisSpec& x, const AxisSpec& y)
    {
        X = x;
        Y = y;
    }

    // The position and size records of one axis (0 X, 1 Y); the size limits are not part of
    // them. 0, or 0x80070057 for any other axis, which writes nothing.
    QKRESULT GetAxisSpecs(std::int32_t axis, LayoutPosition& position, LayoutReference& size) const
    {
        if (axis != 0 && axis != 1)
            return QK_E_INVALIDARG;
        const AxisSpec& spec = axis == 0 ? X : Y;
        position.PlacementAnchor = spec.PlacementAnchor;
        position.Kind = spec.Position.Kind;
        position.Name = spec.Position.Name;
        position.Rel = spec.Position.Rel;
        position.Abs = spec.Position.Abs;
        position.Docked = axis == 0 ? XIsDocked : YIsDocked;
        size = spec.Size;
        return QK_OK;
    }

    // Points the four control-name references (position and size of each axis) that name
    // oldName at newName. 0 when any changed, else 1; nothing is laid out again here.
    std::int32_t RenameLayoutReference(const WString& oldName, const WString& newName)
    {
        std::int32_t result = 1;
        for (WString* name : {&X.Position.Name, &X.Size.Name, &Y.Position.Name, &Y.Size.Name})
            if (!name->IsEmpty() && name->IsEqual(oldName))
            {
                *name = newName;
                result = 0;
            }
        return result;
    }

    // A control's own copy, so that what changes at run time never reaches the skin.
    RCPtr<LLayoutDescriptor> Clone() const
    {
        RCPtr<LLayoutDescriptor> copy(new LLayoutDescriptor());
        copy->ClipToParent = ClipToParent;
        copy->ZOrder = ZOrder;
        copy->TabStop = TabStop;
        copy->IsVisible = IsVisible;
        copy->IsEnabled = IsEnabled;
        copy->IsTabTarget = IsTabTarget;
        copy->XIsDocked = XIsDocked;
        copy->YIsDocked = YIsDocked;
        copy->X = X;
        copy->Y = Y;
        copy->TextDecoration = TextDecoration;
        copy->TextOverflowX = TextOverflowX;
        copy->TextOverflowY = TextOverflowY;
        copy->LayoutOrder = LayoutOrder;
        return copy;
    }

    bool ClipToParent = true;
    std::int32_t ZOrder = 0;
    std::int32_t TabStop = 0;
    bool IsVisible = true;
    // No skin attribute sets it; a living control keeps its own across a re-skin.
    bool IsEnabled = true;
    // No skin attribute sets it; a control must have it to be a Tab target.
    bool IsTabTarget = true;
    bool XIsDocked = false;
    bool YIsDocked = false;
    AxisSpec X;
    AxisSpec Y;
    WString TextDecoration;
    // TextOverflow values: 0 clip, 1 expand, 2 wrap.
    std::int32_t TextOverflowX = 0;
    std::int32_t TextOverflowY = 0;
    std::int32_t LayoutOrder = 0;
};

} // namespace QK
