#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/LayoutDescriptor.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"

#include <gtest/gtest.h>

#include <string>

namespace QK
{
namespace
{

void CreateNothing() {}

std::string Narrow(const WString& text)
{
    return NString(text.GetString()).GetString();
}

TEST(DescriptorsTest, LayoutDefaults)
{
    const RCPtr<LLayoutDescriptor> layout(new LLayoutDescriptor());
    EXPECT_TRUE(layout->ClipToParent);
    EXPECT_EQ(layout->ZOrder, 0);
    EXPECT_EQ(layout->TabStop, 0);
    EXPECT_TRUE(layout->IsVisible);
    EXPECT_TRUE(layout->IsTabTarget);
    EXPECT_FALSE(layout->XIsDocked);
    EXPECT_FALSE(layout->YIsDocked);
    EXPECT_TRUE(layout->TextDecoration.IsEmpty());
    EXPECT_EQ(layout->TextOverflowX, 0);
    EXPECT_EQ(layout->TextOverflowY, 0);
    EXPECT_EQ(layout->LayoutOrder, 0);

    AxisSpec x, y;
    layout->GetAxisSpecs(x, y);
    for (const AxisSpec* axis : {&x, &y})
    {
        EXPECT_EQ(axis->PlacementAnchor, 0.0f);
        EXPECT_EQ(axis->Position.Kind, 1);
        EXPECT_TRUE(axis->Position.Name.IsEmpty());
        EXPECT_EQ(axis->Position.Rel, 0.0f);
        EXPECT_EQ(axis->Position.Abs, 0.0);
        EXPECT_EQ(axis->Size.Kind, 2);
        EXPECT_EQ(axis->Size.Rel, 0.0f);
        for (const LayoutLimit* limit : {&axis->MinSize, &axis->MaxSize})
        {
            EXPECT_FALSE(limit->HasReference);
            EXPECT_EQ(limit->Rel, 0.0f);
            EXPECT_EQ(limit->Abs, 0.0);
        }
    }
    EXPECT_EQ(x.Size.Abs, 16.0);
    EXPECT_EQ(y.Size.Abs, 40.0);

    x.Position.Abs = 12.5;
    layout->SetAxisSpecs(x, y);
    EXPECT_EQ(layout->X.Position.Abs, 12.5);
}

TEST(DescriptorsTest, SkinAndPartDefaultsAndTheirTexts)
{
    const RCPtr<LSkinDescriptor> skin(new LSkinDescriptor(u"Main"));
    EXPECT_TRUE(skin->LookList.IsNull());
    EXPECT_FALSE(skin->FontInheritsFromParent);
    EXPECT_FALSE(skin->FontSizeIsRelative);
    EXPECT_TRUE(skin->FontName.IsEmpty());
    EXPECT_EQ(skin->FontSize, 0.0f);
    EXPECT_EQ(skin->FontStyle, -1);
    EXPECT_EQ(Narrow(skin->ToString()).rfind("LRefCountedObject::ToString() not overridden. Returning TypeName: ", 0), 0u);
    EXPECT_NE(Narrow(skin->ToString()).find("LSkinDescriptor"), std::string::npos);

    const RCPtr<LColorizer> colorizer(new LColorizer(u"Accent", LColorizer::kSolid, {1.0f, 0.5f, 0.0f, 1.0f}));
    EXPECT_EQ(colorizer->GradientEndColor, ColorRGBA{});
    EXPECT_FALSE(colorizer->IsGradient());
    EXPECT_EQ(Narrow(colorizer->ToString()), "Accent");

    const RCPtr<LVisualPartDescriptor> part(
        new LVisualPartDescriptor(u"Knob", u"::knob.png", {0, 0, 32, 48}, {32, 48}));
    EXPECT_EQ(part->ResizeType, LVisualPartDescriptor::kStretch);
    EXPECT_TRUE(part->Colorizer.IsNull());
    EXPECT_EQ(part->AlphaMod, 1.0f);
    EXPECT_TRUE(part->MaskFile.IsEmpty());
    EXPECT_TRUE(part->Bitmap.IsNull());
    EXPECT_EQ(Narrow(part->ToString()), "Knob");
    part->SetColorizer(colorizer);
    EXPECT_EQ(part->Colorizer.Get(), colorizer.Get());

    const RCPtr<LLookDescriptor> look(new LLookDescriptor(u"Pressed"));
    EXPECT_EQ(Narrow(look->ToString()), "Pressed");
    EXPECT_FALSE(look->HasTextProperties);
    look->SetTextProperties({0.0f, 4, 1.0f, -4, 0.5f, 0.0f, 2, 1.0f, -2, 0.5f}, part);
    EXPECT_TRUE(look->HasTextProperties);
    EXPECT_EQ(look->Text.TextRightAbs, -4);
    EXPECT_EQ(look->TextForegroundPart.Get(), part.Get());
    look->AddNonClientPart(RCPtr<LDockedPart>(new LDockedPart(part, LDockedPart::kDockLeft | LDockedPart::kDockTop)));
    look->SetClientPart(RCPtr<LDockedPart>(new LDockedPart(part, 15)));
    EXPECT_EQ(look->NonClientParts.GetCount(), 1u);
    EXPECT_EQ(look->ClientPart->DockMask, 15u);
}

TEST(DescriptorsTest, ALookListHasItsSlotsNullUntilFilled)
{
    const RCPtr<LLookList> looks(new LLookList(14));
    *looks->GetAt(0) = RCPtr<LLookDescriptor>(new LLookDescriptor(u"Normal"));
    *looks->GetAt(3) = RCPtr<LLookDescriptor>(new LLookDescriptor(u"Disabled"));
    ASSERT_EQ(looks->GetCount(), 14u);
    for (std::uint32_t i = 0; i < 14; ++i)
        EXPECT_EQ(looks->GetAt(i)->IsNull(), i != 0 && i != 3) << i;
    EXPECT_EQ(Narrow((*looks->GetAt(3))->Name), "Disabled");

    const RCPtr<LSkinDescriptor> skin(new LSkinDescriptor(u"Button"));
    skin->SetLookList(looks);
    EXPECT_EQ(skin->LookList.Get(), looks.Get());
}

TEST(DescriptorsTest, ClonesShareTheirPartsAndKeepTheParentPlain)
{
    const RCPtr<LControlDescriptor> rootHolder(new LControlDescriptor(u"Application", u"Root"));
    LControlDescriptor& root = *rootHolder;
    const RCPtr<LControlDescriptor> graph(new LControlDescriptor(
        u"Framework.Graph", u"Curve", &root, RCPtr<LSkinDescriptor>(new LSkinDescriptor(u"Graph")), nullptr,
        RCPtr<LStringTable>(new LStringTable(StringMap{{u"TOOLTIP", u"Velocity"}}))));
    root.Children.Add(graph);
    ASSERT_TRUE(graph->Layout);
    const RCPtr<LControlDescriptor> point(new LControlDescriptor(u"Framework.Button", u"Point", graph.Get()));
    graph->Children.Add(point);
    // Compared, never called.
    graph->CreateFunction = reinterpret_cast<LControlCreateFunction>(&CreateNothing);
    const std::int32_t parentCount = root.GetRefCount();

    const RCPtr<LControlDescriptor> clone = graph->Clone(u"Curve2");
    EXPECT_EQ(Narrow(clone->Name), "Curve2");
    EXPECT_EQ(Narrow(clone->Class), "Framework.Graph");
    EXPECT_EQ(clone->Parent, &root);
    EXPECT_EQ(root.GetRefCount(), parentCount);
    EXPECT_EQ(clone->Skin.Get(), graph->Skin.Get());
    EXPECT_EQ(clone->Layout.Get(), graph->Layout.Get());
    EXPECT_EQ(clone->CreateParams.Get(), graph->CreateParams.Get());
    EXPECT_EQ(clone->CreateFunction, graph->CreateFunction);
    ASSERT_EQ(clone->Children.GetCount(), 1u);
    EXPECT_EQ(clone->Children.GetAt(0)->Get(), point.Get());
    // A list of its own: adding to the clone leaves the original's alone.
    clone->Children.Add(point);
    EXPECT_EQ(graph->Children.GetCount(), 1u);
    EXPECT_EQ(Narrow(graph->Clone(WString())->Name), "Curve");

    const RCPtr<LLayoutDescriptor> layout(new LLayoutDescriptor());
    const RCPtr<LControlDescriptor> item = LControlDescriptor::CreateCopy(*point, layout, u"Point 3");
    EXPECT_EQ(Narrow(item->Name), "Point 3");
    EXPECT_EQ(item->Layout.Get(), layout.Get());
    EXPECT_EQ(item->Parent, graph.Get());
    EXPECT_EQ(Narrow(point->Name), "Point");
    EXPECT_NE(point->Layout.Get(), layout.Get());

    // A description without a nested skin or create parameters has neither.
    EXPECT_TRUE(point->Skin.IsNull());
    EXPECT_TRUE(point->CreateParams.IsNull());
}

} // namespace
} // namespace QK
