// The control factory: class registration, controls created from the current skin, the
// skin's font and the keys of the string tables handed out.
#include "QKFramework/ControlBase/ControlFactory.h"

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ControlBase/RootWindowInterface.h"

#include "tests/QKFramework/ControlBase/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace QK
{
namespace
{

// A control class that counts what it was asked for.
class ProbeControl : public LControl
{
public:
    using LControl::LControl;

    QKRESULT CreateFromDescriptor(const LControlDescriptor* descriptor) override
    {
        ++builds;
        return LControl::CreateFromDescriptor(descriptor);
    }

    int builds = 0;
};

RCPtr<LControl> CreateProbe(LControl* parent, const LControlDescriptor* descriptor)
{
    RCPtr<LControl> control(new ProbeControl(parent, descriptor->Name));
    control->CreateFromDescriptor(descriptor);
    return control;
}

RCPtr<LControl> CreateOther(LControl*, const LControlDescriptor*)
{
    return nullptr;
}

class Window : public IRootWindow
{
};

RCPtr<LControlFactory> LoadedFactory(const std::string& skins)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"PresetEditor")));
    EXPECT_EQ(factory->ParseXML(skins.data(), skins.size()), QK_OK);
    return factory;
}

TEST(ControlFactory, FirstRegistrationWinsAndUnknownClassesRaise)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"PresetEditor")));
    EXPECT_EQ(factory->RegisterControlClass(WString(u"Framework.Button"), CreateProbe), QK_OK);
    EXPECT_EQ(factory->RegisterControlClass(WString(u"Framework.Button"), CreateOther), QK_OK);
    LControlCreateFunction function = nullptr;
    EXPECT_EQ(factory->GetControlCreateFunction(WString(u"Framework.Button"), function), QK_OK);
    EXPECT_EQ(function, &CreateProbe);
    try
    {
        factory->GetControlCreateFunction(WString(u"Framework.button"), function);
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(),
                     "Runtime Error : QK::LControlFactory::GetControlCreateFunction : ControlBase\\ControlFactory : Line 51");
    }
}

TEST(ControlFactory, ADescriptionLooksItsClassUpOnce)
{
    const RCPtr<LControlFactory> factory = LoadedFactory(
        "<r><Skin Name=\"s\"><SubControl Class=\"Probe\" Name=\"main\"/><SubControl Class=\"Unknown\" Name=\"u\"/>"
        "</Skin></r>");
    factory->RegisterControlClass(WString(u"Probe"), CreateProbe);
    const RCPtr<LControlDescriptor> descriptor = factory->FindSubControlDescriptor(WString(u"main"));
    ASSERT_TRUE(descriptor);
    const RCPtr<LControl> first = factory->CreateControl(descriptor.Get(), nullptr);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->GetControlDescriptor().Get(), descriptor.Get());

    // The function now travels with the description: a factory that never heard of the class
    // still makes the second control.
    RCPtr<LControlFactory> stranger(new LControlFactory(WString(u"Other")));
    const RCPtr<LControl> second = stranger->CreateControl(descriptor.Get(), first.Get());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->GetParent(), first.Get());

    EXPECT_THROW(factory->CreateControl(factory->FindSubControlDescriptor(WString(u"u")).Get(), nullptr),
                 std::runtime_error);
    factory->RegisterControlClass(WString(u"Unknown"), CreateOther);
    EXPECT_FALSE(factory->CreateControl(factory->FindSubControlDescriptor(WString(u"u")).Get(), nullptr));
}

TEST(ControlFactory, RootControlsComeFromTheCurrentSkin)
{
    const RCPtr<LControlFactory> factory = LoadedFactory(
        "<r><Skin Name=\"one\"><SubControl Class=\"Probe\" Name=\"mainControl\" XSizeAbs=\"1\"/>"
        "<SubControl Class=\"Probe\" Name=\"mainControl\" XSizeAbs=\"2\"/></Skin>"
        "<Skin Name=\"two\"><SubControl Class=\"Probe\" Name=\"mainControl\" XSizeAbs=\"3\"/></Skin></r>");
    factory->RegisterControlClass(WString(u"Probe"), CreateProbe);
    ASSERT_EQ(factory->GetSkinCount(), 2u);

    // The last of two top-level controls of one name; created visible and attached.
    (*factory->GetSkin(0)->Children.GetAt(1))->Layout->IsVisible = false;
    const RCPtr<IRootWindow> window(new Window());
    const RCPtr<LControl> root = factory->CreateRootControl(WString(u"mainControl"), window.Get());
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetLayoutDescriptor()->X.Size.Abs, 2.0);
    EXPECT_TRUE(root->GetLayoutDescriptor()->IsVisible);
    EXPECT_EQ(root->GetRootWindow().Get(), window.Get());
    EXPECT_FALSE(factory->CreateRootControl(WString(u"missing"), window.Get()));

    // Another skin: the living control rebuilds itself from its description there.
    factory->SetCurrentSkin(1);
    EXPECT_EQ(factory->ApplySkinDescriptor(root.Get()), QK_OK);
    EXPECT_EQ(root->GetLayoutDescriptor()->X.Size.Abs, 3.0);
    EXPECT_EQ(static_cast<ProbeControl*>(root.Get())->builds, 2);
    const RCPtr<LControl> stray(new ProbeControl(nullptr, WString(u"stray")));
    EXPECT_EQ(factory->ApplySkinDescriptor(stray.Get()), QK_E_FAIL);

    // A child cannot be given a window; a skin index past the end has no controls.
    const RCPtr<LControl> child(new ProbeControl(root.Get(), WString(u"child")));
    EXPECT_EQ(child->SetRootWindow(window.Get()), QK_E_FAIL);
    factory->SetCurrentSkin(2);
    EXPECT_FALSE(factory->FindSubControlDescriptor(WString(u"mainControl")));
}

TEST(ControlFactory, SkinFont)
{
    const RCPtr<LControlFactory> factory = LoadedFactory(
        "<r><Skin Name=\"font\" FontName=\"Arial\" FontSize=\"9\" FontStyle=\"0\"/><Skin Name=\"bare\"/>"
        "<Skin Name=\"small\" FontSize=\"0.5\"/></r>");
    WString name(u"unchanged");
    float size = -1.0f;
    std::int32_t style = 42;
    EXPECT_EQ(factory->GetSkinFont(name, size, style), QK_OK);
    EXPECT_TRUE(name.IsEqual(u"Arial"));
    EXPECT_FLOAT_EQ(size, 9.0f);
    EXPECT_EQ(style, 0);

    for (std::uint32_t skin : {1u, 2u})
    {
        factory->SetCurrentSkin(skin);
        WString untouched(u"unchanged");
        float noSize = -1.0f;
        std::int32_t noStyle = 42;
        EXPECT_EQ(factory->GetSkinFont(untouched, noSize, noStyle), QK_FALSE);
        EXPECT_TRUE(untouched.IsEqual(u"unchanged"));
        EXPECT_FLOAT_EQ(noSize, -1.0f);
        EXPECT_EQ(noStyle, 42);
    }
}

TEST(ControlFactory, StringTableKeys)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(u"PresetEditor")));
    TestSupport::TempFolder folder;
    folder.WriteFile("strings.xml",
                     "<r><StringTable ID=\"Framework\"><String ID=\"K\"><Locale LCID=\"9\">framework</Locale></String>"
                     "</StringTable><StringTable ID=\"|PresetEditor\"><String ID=\"K\"><Locale LCID=\"9\">app</Locale>"
                     "</String></StringTable><StringTable ID=\"PresetEditor.Pad|label\"><String ID=\"K\">"
                     "<Locale LCID=\"9\">pad label</Locale></String></StringTable><StringTable "
                     "ID=\"PresetEditor|dialogAbout\"><String ID=\"K\"><Locale LCID=\"9\">top</Locale></String>"
                     "</StringTable></r>");
    ASSERT_EQ(factory->LoadStringTable(WString((folder / "strings.xml").c_str()), WString(u"::NONE"), 9), QK_OK);
    const std::string skins = "<r><Skin Name=\"s\"><SubControl Class=\"PresetEditor.Pad\" Name=\"pad\"/></Skin></r>";
    ASSERT_EQ(factory->ParseXML(skins.data(), skins.size()), QK_OK);
    factory->RegisterControlClass(WString(u"PresetEditor.Pad"), CreateProbe);
    const RCPtr<LControl> pad = factory->CreateRootControl(WString(u"pad"), nullptr);
    ASSERT_TRUE(pad);

    using TestSupport::Entry;
    EXPECT_EQ(Entry(factory->GetFrameworkStringTable(), u"K"), u"framework");
    RCPtr<LStringTable> found;
    factory->FindStringTable(found);
    EXPECT_EQ(Entry(found, u"K"), u"framework");
    RCPtr<LControlFactory> empty(new LControlFactory(WString(u"PresetEditor")));
    empty->FindStringTable(found);
    EXPECT_FALSE(found) << "a factory without tables finds none";
    EXPECT_EQ(Entry(factory->GetApplicationStringTable(), u"K"), u"app");
    EXPECT_EQ(Entry(factory->GetControlStringTable(pad.Get(), WString(u"label")), u"K"), u"pad label");
    EXPECT_EQ(Entry(factory->GetControlStringTable(nullptr, WString(u"dialogAbout")), u"K"), u"top");
    EXPECT_FALSE(factory->GetControlStringTable(pad.Get(), WString(u"other")));
}

} // namespace
} // namespace QK
