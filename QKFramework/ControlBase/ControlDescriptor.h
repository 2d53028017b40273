// LControlDescriptor: one control of a skin, a node of the description tree that the skin
// loader builds and the control factory creates controls from. Each node carries its
// layout (always), its skin (font and looks, when the XML gave one) and its create
// parameters (when given).
//
// A parent holds references to its children; a child points back without one, which is
// safe because the factory's list of skins keeps every root, and with it the tree, alive.
// Used on the UI thread only.
#pragma once

#include "QKFramework/ControlBase/LayoutDescriptor.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

namespace QK
{

class LControl;
class LControlDescriptor;

// A control class's create function: a new control under parent, made from description.
using LControlCreateFunction = RCPtr<LControl> (*)(LControl* parent, const LControlDescriptor* description);

class LControlDescriptor : public virtual LRefCountedObject
{
public:
    LControlDescriptor(const WString& className, const WString& name, LControlDescriptor* parent = nullptr,
                       const RCPtr<LSkinDescriptor>& skin = nullptr, const RCPtr<LLayoutDescriptor>& layout = nullptr,
                       const RCPtr<LStringTable>& createParams = nullptr);

    void SetSkin(const RCPtr<LSkinDescriptor>& skin) { Skin = skin; }
    // A null layout is replaced by a default one: every description has a layout.
    void SetLayout(const RCPtr<LLayoutDescriptor>& layout);
    void SetCreateParams(const RCPtr<LStringTable>& createParams) { CreateParams = createParams; }

    // A new description with the same class, parent, children (a new list of the same
    // descriptions), skin, layout, create parameters and cached create function, named
    // newName (this one's name when newName is empty).
    RCPtr<LControlDescriptor> Clone(const WString& newName) const;

    using LRefCountedObject::CreateCopy;
    // The description of a template item (a graph's point, a list's item): a Clone of
    // templateDescription given name and layout.
    static RCPtr<LControlDescriptor> CreateCopy(const LControlDescriptor& templateDescription,
                                                const RCPtr<LLayoutDescriptor>& layout, const WString& name);

    // "Application" for a skin's root.
    WString Class;
    WString Name;
    LControlDescriptor* Parent;
    // In "LayoutOrder" order once loaded.
    RCPtrArray<LControlDescriptor> Children;
    RCPtr<LSkinDescriptor> Skin;
    RCPtr<LLayoutDescriptor> Layout;
    RCPtr<LStringTable> CreateParams;
    // Looked up by the factory on first use and kept.
    mutable LControlCreateFunction CreateFunction = nullptr;
};

} // namespace QK
