// Visual parts and looks: drawing through the recording renderer, the colour at a point,
// docking, the part cache and the error texts.
#include "QKFramework/ControlBase/Look.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/ControlBase/VisualPart.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"

#include "tests/support/Render/RecordingRenderer.h"
#include "tests/support/UI/ControlHarness.h"
#include "tests/support/TempFolder.h"
#include "tests/QKFramework/Utilities/Graphics/PngTestImages.h"
#include "QKFramework/Renderer/RenderContextInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace QK
{
namespace
{

using namespace TestSupport;

ConstRCPtr<LColorizer> Solid(float alpha, std::int32_t type = LColorizer::kSolid)
{
    return ConstRCPtr<LColorizer>(new LColorizer(WString(u"c"), type, ColorRGBA{1.0f, 0.0f, 0.0f, alpha}));
}

std::string ErrorText(const std::function<void()>& call)
{
    try
    {
        call();
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    return "<no error>";
}

bool Contains(const std::vector<std::string>& calls, const std::string& prefix)
{
    return std::any_of(calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; });
}

TEST(VisualPart, AlphaTimesModifierPaintsAndNothingAtZero)
{
    const RCPtr<RecordingRenderer> renderer(new RecordingRenderer());
    const auto half = LVisualPart::CreateColorPart(WString(u"p"), Solid(0.5f), {4, 4}, 0, 0.5f, nullptr);
    ASSERT_TRUE(half);
    EXPECT_EQ(half->Draw(*renderer, {10.0, 6.0}), QK_OK);
    // 0.25 of 255 is 64 (0x40).
    EXPECT_EQ(renderer->Calls(), (std::vector<std::string>{"FillRect(0,0,10,6,40FF0000,blend)"}));

    renderer->ClearCalls();
    const auto none = LVisualPart::CreateColorPart(WString(u"p"), Solid(0.5f), {4, 4}, 0, 0.0f, nullptr);
    none->Draw(*renderer, {10.0, 6.0});
    EXPECT_TRUE(renderer->Calls().empty());

    // Center keeps the part's size, placed by integer halves.
    const auto centred = LVisualPart::CreateColorPart(WString(u"p"), Solid(1.0f), {4, 3}, 2, 1.0f, nullptr);
    renderer->ClearCalls();
    centred->Draw(*renderer, {9.0, 8.0});
    EXPECT_EQ(renderer->Calls(), (std::vector<std::string>{"FillRect(2,2,4,3,FFFF0000,blend)"}));

    EXPECT_FALSE(LVisualPart::CreateColorPart(WString(u"p"), nullptr, {4, 4}, 0, 1.0f, nullptr));
    EXPECT_FALSE(LVisualPart::Create(WString(u"p"), nullptr, 0, nullptr, 1.0f, nullptr));
    const LVisualPart bare(WString(u"bare"), nullptr, 0, nullptr, {2, 2}, 1.0f, nullptr);
    EXPECT_EQ(ErrorText([&] { bare.Draw(*renderer, {2.0, 2.0}); }),
              "Runtime Error : QK::LVisualPart::Draw : ControlBase\\VisualPart : Line 218");
}

struct LookupCase
{
    std::int32_t resizeType;
    double x;
    double y;
    double width;
    double height;
    std::uint32_t expected;
};

TEST(VisualPart, ColourAtAPointOfADestination)
{
    // A 10 x 10 tile, transparent blue but pixel (2, 3).
    const ConstRCPtr<LBitmap> bitmap = LBitmap::CreateFilledBitmap(10, 10, ColorRGBA{0.0f, 0.0f, 1.0f, 0.0f});
    {
        const RCPtr<LBitmapData> data(new LBitmapData(bitmap, BitmapImage::kLockRead | BitmapImage::kLockWrite));
        ASSERT_TRUE(data->IsLocked());
        *data->GetPixelAddress(2, 3) = 0xFF112233u;
    }
    const std::uint32_t blue = 0x000000FFu;
    const std::uint32_t marked = bitmap->GetPixel(2, 3).ToARGB();
    ASSERT_NE(marked, blue);
    const LookupCase cases[] = {
        {1, 12.0, 3.0, 25.0, 25.0, marked},            // Tile: (12, 3) is the tile's own (2, 3)
        {1, 13.0, 3.0, 25.0, 25.0, blue},
        {1, 25.0, 3.0, 25.0, 25.0, LVisualPart::kOutside}, // the right edge is outside
        {1, 3.0, -0.5, 25.0, 25.0, LVisualPart::kOutside},
        {0, 2.0, 3.0, 10.0, 10.0, marked},             // the part's own size
        {0, 10.0, 0.0, 10.0, 10.0, LVisualPart::kOutside},
        {0, 4.0, 6.0, 20.0, 20.0, marked},             // Stretch up: (4, 6) x 0.5
        {0, 1.0, 1.0, 5.0, 5.0, marked},               // Stretch down: first opaque pixel of (2..3, 2..3)
        {0, 0.0, 0.0, 5.0, 5.0, blue},                 // no opaque pixel: the last one read
        {2, 7.0, 8.0, 20.0, 20.0, marked},             // Center: 5 in from the left and top
        {2, 1.0, 1.0, 20.0, 20.0, LVisualPart::kOutside},
    };
    const auto part = LVisualPart::Create(WString(u"p"), bitmap, 0, nullptr, 1.0f, nullptr);
    for (const LookupCase& c : cases)
    {
        const LVisualPart probe(WString(u"p"), bitmap, c.resizeType, nullptr, {0, 0}, 1.0f, nullptr);
        EXPECT_EQ(probe.GetColorAtPoint(PointD{c.x, c.y}, {c.width, c.height}), c.expected)
            << c.resizeType << " (" << c.x << ", " << c.y << ") in " << c.width << " x " << c.height;
    }

    // A tile of no size covers nothing, wherever the point is.
    const LVisualPart empty(WString(u"e"), nullptr, 1, Solid(1.0f), {0, 0}, 1.0f, nullptr);
    EXPECT_EQ(empty.GetColorAtPoint(PointD{3.0, 3.0}, {25.0, 25.0}), LVisualPart::kOutside);

    const LVisualPart solid(WString(u"s"), nullptr, 0, Solid(0.5f), {4, 4}, 0.5f, nullptr);
    EXPECT_EQ(solid.GetColorAtPoint(PointL{1, 1}), 0x40FF0000u);
    const LVisualPart weird(WString(u"w"), nullptr, 7, Solid(1.0f), {4, 4}, 1.0f, nullptr);
    const LVisualPart bare(WString(u"b"), nullptr, 0, nullptr, {4, 4}, 1.0f, nullptr);
    const std::string at = "Runtime Error : QK::LVisualPart::GetColorAtPoint : ControlBase\\VisualPart : Line ";
    EXPECT_EQ(ErrorText([&] { weird.GetColorAtPoint(PointD{1.0, 1.0}, {9.0, 9.0}); }), at + "165");
    EXPECT_EQ(ErrorText([&] { bare.GetColorAtPoint(PointL{1, 1}); }), at + "91");
}

// A tinted image is made when the part is first drawn or read, not when the look is built, so
// a look that is never shown never decodes its image; the tint is the one made at once.
TEST(VisualPart, ColorizedImagesAreTintedWhenFirstNeeded)
{
    TempFolder folder;
    std::vector<std::uint8_t> bgra;
    for (std::uint32_t i = 0; i < 6 * 4; ++i)
        for (const std::uint32_t channel : {i * 9, 255 - i * 5, i * 3, 100 + i * 6})
            bgra.push_back(static_cast<std::uint8_t>(channel));
    folder.WriteFile("sheet.png", EncodePng(6, 4, bgra));
    const ConstRCPtr<LColorizer> tint(new LColorizer(WString(u"t"), LColorizer::kSolid, ColorRGBA{0.2f, 0.9f, 0.4f, 0.7f}));
    for (const bool asMask : {false, true})
    {
        SCOPED_TRACE(asMask ? "mask" : "image");
        const ConstRCPtr<LBitmap> sheet = LBitmap::LoadBitmap(WString((folder / "sheet.png").c_str()));
        ASSERT_TRUE(sheet);
        const ConstRCPtr<LBitmap> source = sheet->CreateSubBitmap(1, 1, 4, 3);
        const ConstRCPtr<LVisualPart> part(new LVisualPart(WString(u"p"), asMask ? nullptr : source, 0, tint, {4, 3},
                                                           0.8f, asMask ? source : nullptr));
        EXPECT_EQ(part->GetWidth(), 4);
        EXPECT_FALSE(sheet->IsDecoded());

        const ConstRCPtr<LBitmap> expected = LBitmap::LoadColorizedBitmap(tint, 0.8f, 4, 3, asMask ? nullptr : source,
                                                                          asMask ? source : nullptr);
        const RCPtr<RecordingRenderer> renderer(new RecordingRenderer());
        part->Draw(*renderer, {4.0, 3.0});
        ASSERT_TRUE(part->GetBitmap());
        EXPECT_NE(part->GetBitmap().Get(), source.Get());
        for (std::int32_t y = 0; y < 3; ++y)
            for (std::int32_t x = 0; x < 4; ++x)
                EXPECT_EQ(part->GetColorAtPoint(PointL{x, y}), expected->GetPixel(x, y).ToARGB()) << x << "," << y;
        EXPECT_EQ(part->GetBitmap().Get(), part->GetBitmap().Get()) << "tinted once";
    }

    // What would be refused still is, when the part is made.
    const ConstRCPtr<LBitmap> sheet = LBitmap::LoadBitmap(WString((folder / "sheet.png").c_str()));
    EXPECT_EQ(ErrorText([&] { LVisualPart(WString(u"g"), sheet, 0, Solid(1.0f, LColorizer::kLinearGradient), {6, 4},
                                          1.0f, nullptr); }),
              "Domain Error : QK::LBitmap::CreateGradientFilledBitmap : Utilities\\Graphics\\Bitmap : Line 362");
    EXPECT_EQ(ErrorText([&] { LVisualPart(WString(u"o"), sheet->CreateSubBitmap(4, 0, 4, 4), 0, Solid(1.0f), {4, 4},
                                          1.0f, nullptr); }),
              "Runtime Error : QK::LBitmap::ApplyColorizer : Utilities\\Graphics\\Bitmap : Line 398");
}

TEST(Look, DockedPartsAndTheClientArea)
{
    const RCPtr<LVisualPartDescriptor> frame(new LVisualPartDescriptor(
        WString(u"frame"), WString(), RectL{}, {5, 2}, 0, RCPtr<LColorizer>(new LColorizer(WString(u"c"), 0, {1, 1, 1, 1}))));
    const RCPtr<LLookDescriptor> descriptor(new LLookDescriptor(WString(u"look")));
    descriptor->SetClientPart(RCPtr<LDockedPart>(new LDockedPart(frame, 15, 1, 2, -3, -4)));
    descriptor->AddNonClientPart(RCPtr<LDockedPart>(new LDockedPart(frame, 0)));
    descriptor->AddNonClientPart(RCPtr<LDockedPart>(new LDockedPart(frame, LDockedPart::kDockRight | LDockedPart::kDockBottom,
                                                                    0, 0, -1, -1, true, 3)));
    const RCPtr<LLook> look(new LLook());
    look->InitFromDescriptor(ConstRCPtr<LLookDescriptor>(descriptor.Get()), false);
    EXPECT_TRUE(look->SetSize(10, 8));
    EXPECT_EQ(look->GetDockedRect(0), (RectL{2, 3, 5, 2}));
    EXPECT_EQ(look->GetDockedRect(1), (RectL{6, 5, 3, 2}));
    EXPECT_EQ(look->GetClientRect(), (RectL{1, 2, 6, 2}));
    EXPECT_TRUE(look->SetSize(10, 8));

    const RCPtr<RecordingRenderer> renderer(new RecordingRenderer());
    RCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo({0, 0, 100, 100}, 0, true, context);
    renderer->RenderStart(context);
    RectRegion update;
    update.AddRect(0, 0, 10, 8);
    look->DrawNonClientParts(*renderer, update);
    look->DrawClientPart(*renderer, update);
    EXPECT_TRUE(Contains(renderer->Calls(), "FillRect(0,0,5,2,"));
    EXPECT_TRUE(Contains(renderer->Calls(), "FillRect(0,0,3,2,"));
    EXPECT_TRUE(Contains(renderer->Calls(), "FillRect(0,0,6,2,"));
}

TEST(Look, APartThatCannotLoadIsNoPart)
{
    ControlHarness harness("");
    EXPECT_FALSE(LVisualPartDescriptor::LoadPartBitmap(WString(u"/nowhere/missing.png"), RectL{0, 0, 4, 4}));
    const RCPtr<LVisualPartDescriptor> missing(new LVisualPartDescriptor(
        WString(u"m"), WString(u"/nowhere/missing.png"), RectL{0, 0, 4, 4}, {4, 4}));
    EXPECT_FALSE(missing->GetVisualPart());
    // A mask that does not load leaves the part without one.
    const RCPtr<LVisualPartDescriptor> masked(new LVisualPartDescriptor(
        WString(u"k"), WString(), RectL{}, {4, 4}, 0, RCPtr<LColorizer>(new LColorizer(WString(u"c"), 0, {1, 0, 0, 1})),
        1.0f, WString(u"/nowhere/mask.png"), RectL{0, 0, 4, 4}));
    const ConstRCPtr<LVisualPart> part = masked->GetVisualPart();
    ASSERT_TRUE(part);
    EXPECT_FALSE(part->GetMask());
    EXPECT_FALSE(part->GetBitmap());
    // Cached while used, and the same part for every user.
    EXPECT_EQ(masked->GetVisualPart().Get(), part.Get());
}

TEST(Look, ControlsPaintTheirShownLooksAtTheirOpacity)
{
    ControlHarness harness(R"(<Skin Name="s"><SubControl Class="Test.Probe" Name="window">
                                <Skin Name="k" LookList="two"/></SubControl></Skin>)",
                           R"(<StringTable ID="PresetEditor|window">
                                <String ID="LABEL"><Locale LCID="0x0009">Hi</Locale></String></StringTable>)",
                           R"(<Colorizers><Colorizer Name="red" ColorType="SolidFill" Color="FFFF0000"/>
                                <Colorizer Name="ink" ColorType="SolidFill" Color="FF000000"/></Colorizers>
                              <Parts><Part Name="fill" Width="4" Height="4" ResizeType="Stretch" ColorizerName="red"/>
                                <Part Name="ink" Width="1" Height="1" ResizeType="Stretch" ColorizerName="ink"/></Parts>
                              <Looks><Look Name="a"><ClientPart Name="fill" OffsetLeft="0" OffsetTop="0"
                                OffsetRight="0" OffsetBottom="0"/>
                                <TextProperties TextLeftRel="0" TextLeftAbs="1" TextRightRel="1" TextRightAbs="-1"
                                  TextHAlign="0" TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0"
                                  TextVAlign="0" TextForegroundPart="ink"/></Look>
                                <Look Name="b"/></Looks>
                              <LookLists><LookList Name="two" NumLooks="2"><Look Name="a" Index="0"/>
                                <Look Name="b" Index="1"/></LookList></LookLists>)");
    const RCPtr<LControl> window = harness.CreateRoot(u"window");
    SetBounds(*window, 0, 0, 30, 20);
    const RCPtr<RecordingRenderer> renderer(new RecordingRenderer());
    RCPtr<LRenderContextInfo> context;
    renderer->InitRenderContextInfo({0, 0, 100, 100}, 0, true, context);
    renderer->RenderStart(context);
    RectRegion dirty;
    dirty.AddRect(0, 0, 30, 20);
    ASSERT_EQ(window->SetLookOpacity(0, 0.5f, false), QK_OK);
    PaintTree(*renderer, *window, dirty);
    EXPECT_TRUE(Contains(renderer->Calls(), "FillRect(0,0,30,20,FFFF0000"));
    EXPECT_TRUE(Contains(renderer->Calls(), "DrawText(\"Hi\""));
    EXPECT_EQ(renderer->GetOpacity(), 1.0f);
}

} // namespace
} // namespace QK
