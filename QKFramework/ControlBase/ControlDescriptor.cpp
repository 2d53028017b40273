#include "QKFramework/ControlBase/ControlDescriptor.h"



namespace QK
{

LControlDescriptor::LControlDescriptor(const WString& className, const WString& name, LControlDescriptor* parent,
                                       const RCPtr<LSkinDescriptor>& skin, const RCPtr<LLayoutDescriptor>& layout,
                                       const RCPtr<LStringTable>& createParams)
    : Class(className), Name(name), Parent(parent), Skin(skin), CreateParams(createParams)
{
    SetLayout(layout);
}

void LControlDescriptor::SetLayout(const RCPtr<LLayoutDescriptor>& layout)
{
    Layout = layout ? layout : RCPtr<LLayoutDescriptor>(new LLayoutDescriptor());
}

RCPtr<LControlDescriptor> LControlDescriptor::Clone(const WString& newName) const
{
    RCPtr<LControlDescriptor> copy(
        new LControlDescriptor(Class, newName.IsEmpty() ? Name : newName, Parent, Skin, Layout, CreateParams));
    for (std::uint32_t i = 0; i < Children.GetCount(); ++i)
        copy->Children.Add(*Children.GetAt(i));
    copy->CreateFunction = CreateFunction;
    return copy;
}

RCPtr<LControlDescriptor> LControlDescriptor::CreateCopy(const LControlDescriptor& templateDescription,
                                                         const RCPtr<LLayoutDescriptor>& layout, const WString& name)
{
    RCPtr<LControlDescriptor> copy = templateDescription.Clone(WString());
    copy->Name = name;
    copy->SetLayout(layout);
    return copy;
}

} // namespace QK
