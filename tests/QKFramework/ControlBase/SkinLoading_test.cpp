// The fixture skin loaded from the embedded resources and from a folder, the load's results
// for sources that fail, and the current skin's large images sent ahead to be decoded.
#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"

#include "tests/QKFramework/ControlBase/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

namespace QK
{
namespace
{

using TestSupport::SkinFolder;

RCPtr<LControlFactory> NewFactory()
{
    return RCPtr<LControlFactory>(new LControlFactory(WString(u"Unnamed")));
}

std::string Narrow(const WString& text)
{
    return NString(text.GetString()).GetString();
}

// Image and mask names without the source folder, which is all that differs between a
// resource load and a folder load.
std::string PartFile(const WString& file, const WString& folder)
{
    const std::string name = Narrow(file);
    const std::string prefix = Narrow(folder);
    return name.rfind(prefix, 0) == 0 ? "<src>" + name.substr(prefix.size()) : name;
}

void DescribeControl(std::ostringstream& out, const LControlDescriptor& control, int depth)
{
    const LLayoutDescriptor& layout = *control.Layout;
    out << std::string(depth * 2, ' ') << Narrow(control.Class) << ' ' << Narrow(control.Name)
        << " order=" << layout.LayoutOrder << " tab=" << layout.TabStop << " visible=" << layout.IsVisible
        << " size=" << layout.X.Size.Abs << 'x' << layout.Y.Size.Abs << " xref=" << layout.X.Position.Kind << ':'
        << Narrow(layout.X.Position.Name);
    if (const LSkinDescriptor* skin = control.Skin.Get())
    {
        out << " skin=" << Narrow(skin->Name) << " font=" << Narrow(skin->FontName) << '/' << skin->FontSize << '/'
            << skin->FontStyle << '/' << skin->FontInheritsFromParent << skin->FontSizeIsRelative
            << " looks=" << (skin->LookList ? static_cast<int>(skin->LookList->GetCount()) : -1);
    }
    if (const LStringTable* params = control.CreateParams.Get())
        for (const auto& [id, text] : *params)
            out << ' ' << Narrow(id) << "=[" << Narrow(text) << ']';
    out << '\n';
    const RCPtrArray<LControlDescriptor>& children = control.Children;
    for (std::uint32_t i = 0; i < children.GetCount(); ++i)
        DescribeControl(out, **children.GetAt(i), depth + 1);
}

// Everything the fixture registers, as text.
std::string Describe(const LControlFactory& factory)
{
    std::ostringstream out;
    out << "application " << Narrow(factory.GetApplicationName()) << '\n';
    for (const char16_t* name : {u"solidRed", u"fade"})
    {
        const RCPtr<LColorizer> c = factory.FindColorizer(WString(name));
        out << "colorizer " << Narrow(c->Name) << ' ' << c->ColorType << ' ' << std::hex << c->Color.ToARGB() << ' '
            << c->GradientEndColor.ToARGB() << std::dec << ' ' << c->GradientStartX << ' ' << c->GradientStartY << ' '
            << c->GradientEndX << ' ' << c->GradientEndY << '\n';
    }
    for (const char16_t* name : {u"knobImage", u"maskedImage", u"fadeFill"})
    {
        const RCPtr<LVisualPartDescriptor> p = factory.FindVisualPart(WString(name));
        out << "part " << Narrow(p->Name) << ' ' << PartFile(p->ImageFile, factory.GetSourceFolder()) << ' '
            << p->ImageRect.x << ',' << p->ImageRect.y << ',' << p->ImageRect.width << ',' << p->ImageRect.height << ' '
            << p->Size.first << 'x' << p->Size.second << " resize=" << p->ResizeType << " colorizer="
            << (p->Colorizer ? Narrow(p->Colorizer->Name) : "-") << " alpha=" << p->AlphaMod << " mask="
            << PartFile(p->MaskFile, factory.GetSourceFolder()) << ' ' << p->MaskRect.x << ',' << p->MaskRect.y << '\n';
    }
    const RCPtr<LLookDescriptor> framed = factory.FindLook(WString(u"framed"));
    const auto docked = [&](const LDockedPart& d) {
        out << ' ' << Narrow(d.Part->Name) << " mask=" << d.DockMask << " offsets=" << d.OffsetLeft << ',' << d.OffsetTop
            << ',' << d.OffsetRight << ',' << d.OffsetBottom << " fixed=" << d.FixedWidth << d.Width << ','
            << d.FixedHeight << d.Height;
    };
    out << "look framed client";
    docked(*framed->ClientPart);
    for (std::uint32_t i = 0; i < framed->NonClientParts.GetCount(); ++i)
    {
        out << "\n  nonclient";
        docked(**framed->NonClientParts.GetAt(i));
    }
    const LookTextProperties& t = framed->Text;
    out << "\n  text " << framed->HasTextProperties << ' ' << t.TextLeftRel << ',' << t.TextLeftAbs << ','
        << t.TextRightRel << ',' << t.TextRightAbs << ',' << t.TextHAlign << ',' << t.TextTopRel << ',' << t.TextTopAbs
        << ',' << t.TextBottomRel << ',' << t.TextBottomAbs << ',' << t.TextVAlign << ' '
        << Narrow(framed->TextForegroundPart->Name) << '\n';
    const RCPtr<LLookList> looks = factory.FindLookList(WString(u"buttonLooks"));
    out << "looklist";
    for (std::uint32_t i = 0; i < looks->GetCount(); ++i)
        {
        const RCPtr<LLookDescriptor>& look = *looks->GetAt(i);
        out << ' ' << (look ? Narrow(look->Name) : "-");
    }
    out << '\n';
    for (std::uint32_t i = 0; i < factory.GetSkinCount(); ++i)
        DescribeControl(out, *factory.GetSkin(i), 0);
    return out.str();
}

const char* const kExpected = R"(application PresetEditor
colorizer solidRed 0 ffff0000 0 0 0 0 0
colorizer fade 1 80102030 ffff 0 0.25 1 0.75
part knobImage <src>knob.png 2,3,16,16 16x16 resize=1 colorizer=- alpha=1 mask= 0,0
part maskedImage <src>knob.png 0,0,4,4 4x4 resize=2 colorizer=solidRed alpha=0.5 mask=<src>Mask.PNG 1,2
part fadeFill  0,0,8,9 8x9 resize=0 colorizer=fade alpha=1 mask= 0,0
look framed client fadeFill mask=15 offsets=1,2,-3,-4 fixed=00,00
  nonclient knobImage mask=3 offsets=0,0,0,0 fixed=00,13
  nonclient maskedImage mask=12 offsets=0,0,-1,-1 fixed=12,00
  text 1 0,4,1,-4,0.5,0.1,2,1,-2,1 fadeFill
looklist framed - - plain - - - - - - - - - -
Application PresetEditor order=0 tab=0 visible=1 size=16x40 xref=1: skin=DE40_HighDPI font=Arial/18/0/00 looks=-1
  PresetEditor.MainControl mainControl order=0 tab=0 visible=1 size=640x480 xref=1: skin=mainSkin font=Liberation Sans/15.75/1/00 looks=14
    Framework.Label title order=1 tab=0 visible=1 size=16x40 xref=1:
    PresetEditor.Pad pad order=2 tab=3 visible=0 size=16x40 xref=1: skin=padSkin font=/0/-1/10 looks=-1 INITIAL_VALUE=[0.75] PIECES=[ b]
      Framework.Label label order=0 tab=0 visible=1 size=16x40 xref=2:title
Application PresetEditor order=0 tab=0 visible=1 size=16x40 xref=1: skin=Bare font=/0/-1/00 looks=-1
  PresetEditor.MainControl mainControl order=0 tab=0 visible=1 size=320x40 xref=1:
)";

TEST(SkinLoading, ResourcesAndFolderGiveTheSameRegistries)
{
    const RCPtr<LControlFactory> fromResources = NewFactory();
    ASSERT_EQ(fromResources->LoadSkinSources(WString(u"::"), 1033), QK_OK);
    EXPECT_EQ(Describe(*fromResources), kExpected);
    EXPECT_TRUE(fromResources->FindVisualPart(WString(u"knobImage"))->ImageFile.IsEqual(u"::knob.png"));
    EXPECT_TRUE(fromResources->FindVisualPart(WString(u"maskedImage"))->MaskFile.IsEqual(u"::Mask.PNG"));
    EXPECT_EQ(TestSupport::Entry(fromResources->GetApplicationStringTable(), u"STARTUP_ERROR"),
              u"Start-up failed.\nSecond line");

    SkinFolder folder;
    const RCPtr<LControlFactory> fromFiles = NewFactory();
    ASSERT_EQ(fromFiles->LoadSkinSources(folder.Prefix(), 1033), QK_OK);
    EXPECT_EQ(Describe(*fromFiles), kExpected);
    EXPECT_TRUE(fromFiles->FindVisualPart(WString(u"knobImage"))->ImageFile.IsEqual(folder.File("knob.png")));
    EXPECT_EQ(TestSupport::AllEntries(fromFiles->GetFrameworkStringTable()),
              TestSupport::AllEntries(fromResources->GetFrameworkStringTable()));
}

TEST(SkinLoading, ASecondLoadAppendsSkinsAndKeepsTheFirstOfEachName)
{
    const RCPtr<LControlFactory> factory = NewFactory();
    factory->SetSourceFolder(WString(u"::"));
    ASSERT_EQ(factory->LoadSkinResource(WString(u"::APP_SKINS")), QK_OK);
    const RCPtr<LVisualPartDescriptor> part = factory->FindVisualPart(WString(u"knobImage"));
    factory->SetCurrentSkin(1);
    // "::Skin Set.xml" is the resource SKIN_SET_XML, the same document again.
    ASSERT_EQ(factory->LoadSkinResource(WString(u"::Skin Set.xml")), QK_OK);
    EXPECT_EQ(factory->GetSkinCount(), 4u);
    EXPECT_EQ(factory->GetCurrentSkin(), 0u);
    EXPECT_EQ(factory->FindVisualPart(WString(u"knobImage")).Get(), part.Get());
}

TEST(SkinLoading, FailingSources)
{
    TestSupport::TempFolder folder;
    folder.WriteFile("empty.xml", "");
    folder.WriteFile("malformed.xml", "<r>\n<Skin Name=\"s\">\n</r>");
    folder.WriteFile("root.xml", "<r/>");
    struct Case
    {
        WString source;
        QKRESULT result;
    };
    const Case cases[] = {
        {WString(u"::MISSING"), QK_E_FAIL},
        {WString(u"::EMPTY_SKIN"), QK_E_FAIL},
        {WString((folder / "empty.xml").c_str()), QK_E_FAIL},
        {WString((folder / "missing.xml").c_str()), QK_E_FAIL},
        // One colon is no resource: a file name that is not there.
        {WString(u":Skins.xml"), QK_E_FAIL},
        {WString((folder / "malformed.xml").c_str()), QK_E_FAIL},
        {WString((folder / "root.xml").c_str()), QK_OK},
        // The "Bad Subcontrol Element" of a file is a failed load.
        {WString(u"::BAD_SKIN"), QK_E_FAIL},
    };
    SkinFolder bad;
    bad.Folder().WriteFile("bad.xml", TestSupport::FixtureBytes("QKXML", "BAD_SKIN"));
    for (const Case& c : cases)
    {
        const RCPtr<LControlFactory> factory = NewFactory();
        if (c.source.IsEqual(u"::BAD_SKIN"))
            EXPECT_EQ(factory->LoadSkinResource(bad.File("bad.xml")), c.result);
        else
            EXPECT_EQ(factory->LoadSkinResource(c.source), c.result) << Narrow(c.source);
    }
}

TEST(SkinLoading, BadSubControlOfAResourceReachesTheCaller)
{
    const RCPtr<LControlFactory> factory = NewFactory();
    try
    {
        factory->LoadSkinResource(WString(u"::BAD_SKIN"));
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_STREQ(error.what(), "Runtime Error : Bad Subcontrol Element : QK::LControlFactory::XMLStartElement : "
                                   "ControlBase\\ControlFactory : Line 1089");
    }
    // The skin element before it was read; a following load starts clean.
    EXPECT_EQ(factory->GetSkinCount(), 1u);
    ASSERT_EQ(factory->LoadSkinResource(WString(u"::APP_SKINS")), QK_OK);
    EXPECT_EQ(factory->GetSkinCount(), 3u);
    EXPECT_EQ(factory->GetSkin(1)->Children.GetCount(), 1u);
}

TEST(SkinLoading, StartUpStopsAtAFailedStringLoad)
{
    // A string-table file that is missing raises; the skins are not read.
    TestSupport::TempFolder folder;
    const RCPtr<LControlFactory> factory = NewFactory();
    EXPECT_THROW(factory->LoadSkinSources(WString((folder.Path() + "/").c_str()), 9), std::runtime_error);
    EXPECT_EQ(factory->GetSkinCount(), 0u);
}

TEST(SkinLoading, OnlyTheCurrentSkinsLargeImagesAreLoadedAheadOfItsControls)
{
    // Each skin shows one large picture (by the size its part declares) beside small parts;
    // skin 1 reaches its picture through a nested control and a frame part.
    TestSupport::TempFolder folder;
    const std::string image = TestSupport::FixtureBytes("GDIPLUS", "KNOB_PNG");
    for (const char* name : {"large0.png", "large1.png", "small.png"})
        folder.WriteFile(name, image);
    const std::string document = R"(<Zelvo_Skin_Definitions>
  <Parts>
    <Part Name="large0" Width="1024" Height="512" ResizeType="Stretch"
          ImageFile="large0.png" ImageLocX="0" ImageLocY="0"/>
    <Part Name="large1" Width="2048" Height="1024" ResizeType="Stretch"
          ImageFile="large1.png" ImageLocX="0" ImageLocY="0"/>
    <Part Name="small" Width="1024" Height="511" ResizeType="Stretch"
          ImageFile="small.png" ImageLocX="0" ImageLocY="0"/>
  </Parts>
  <Looks>
    <Look Name="picture0">
      <ClientPart Name="large0" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="picture1">
      <ClientPart Name="small" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
      <NonClientParts><NonClientPart Name="large1"/></NonClientParts></Look>
  </Looks>
  <LookLists>
    <LookList Name="list0" NumLooks="2"><Look Name="picture0" Index="1"/></LookList>
    <LookList Name="list1" NumLooks="1"><Look Name="picture1" Index="0"/></LookList>
  </LookLists>
  <Skins>
    <Skin Name="zero"><SubControl Class="C" Name="main"><Skin Name="s" LookList="list0"/></SubControl></Skin>
    <Skin Name="one"><SubControl Class="C" Name="main"><SubControl Class="C" Name="inner">
      <Skin Name="s" LookList="list1"/></SubControl></SubControl></Skin>
  </Skins>
</Zelvo_Skin_Definitions>)";
    folder.WriteFile("Skins.xml", document);
    const WString prefix((folder.Path() + "/").c_str());
    const RCPtr<LControlFactory> factory = NewFactory();
    factory->SetSourceFolder(prefix);
    ASSERT_EQ(factory->LoadSkinResource(prefix + WString(u"Skins.xml")), QK_OK);
    ASSERT_EQ(factory->GetSkinCount(), 2u);

    const std::size_t before = LBitmap::GetCacheCount();
    factory->SetCurrentSkin(1);
    factory->StartDecodingLargeImages();
    EXPECT_EQ(LBitmap::GetCacheCount(), before + 1) << "skin 1's large picture alone";
    {
        // Loaded already (the count stays), while the small image is not.
        const ConstRCPtr<LBitmap> large1 = LBitmap::LoadBitmap(prefix + WString(u"large1.png"));
        EXPECT_EQ(LBitmap::GetCacheCount(), before + 1);
        const ConstRCPtr<LBitmap> small = LBitmap::LoadBitmap(prefix + WString(u"small.png"));
        EXPECT_EQ(LBitmap::GetCacheCount(), before + 2);
    }

    // Another skin's turn lets the images of the last one go.
    factory->SetCurrentSkin(0);
    factory->StartDecodingLargeImages();
    EXPECT_EQ(LBitmap::GetCacheCount(), before + 1);
    const ConstRCPtr<LBitmap> large0 = LBitmap::LoadBitmap(prefix + WString(u"large0.png"));
    EXPECT_EQ(LBitmap::GetCacheCount(), before + 1);
}

} // namespace
} // namespace QK
