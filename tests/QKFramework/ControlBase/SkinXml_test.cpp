// Skin documents read into descriptors: value syntaxes, the layout's reference kinds and
// enumerations, the drop rules of parts and look lists, fonts, and the parse's errors.
#include "QKFramework/ControlBase/ControlFactory.h"

#include "tests/QKFramework/ControlBase/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace QK
{
namespace
{

RCPtr<LControlFactory> NewFactory()
{
    return RCPtr<LControlFactory>(new LControlFactory(WString(u"PresetEditor")));
}

// Parses body inside a root element, as a skin document.
RCPtr<LControlFactory> ParseSkin(const std::string& body, QKRESULT expected = QK_OK)
{
    RCPtr<LControlFactory> factory = NewFactory();
    const std::string document = "<Zelvo_Skin_Definitions>" + body + "</Zelvo_Skin_Definitions>";
    EXPECT_EQ(factory->ParseXML(document.data(), document.size()), expected) << body;
    return factory;
}

// The layout of the one control inside a second-level "SubControl", with attributes.
RCPtr<LLayoutDescriptor> NestedLayout(const std::string& attributes)
{
    const RCPtr<LControlFactory> factory =
        ParseSkin("<Skin Name=\"s\"><SubControl Class=\"c\" Name=\"top\"><SubControl Class=\"c\" Name=\"n\" " +
                  attributes + "/></SubControl></Skin>");
    const RCPtr<LControlDescriptor> top = factory->FindSubControlDescriptor(WString(u"top"));
    if (!top || top->Children.GetCount() != 1)
        return nullptr;
    return (*top->Children.GetAt(0))->Layout;
}

struct NumberCase
{
    const char* text;
    std::int32_t layoutOrder;
};

class NumberSyntax : public testing::TestWithParam<NumberCase>
{
};

TEST_P(NumberSyntax, LayoutOrder)
{
    const RCPtr<LLayoutDescriptor> layout = NestedLayout(std::string("LayoutOrder=\"") + GetParam().text + "\"");
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->LayoutOrder, GetParam().layoutOrder);
}

INSTANTIATE_TEST_SUITE_P(Texts, NumberSyntax,
                         testing::Values(NumberCase{"0x1F", 31}, NumberCase{"0x12345", 0x1234}, NumberCase{"0X10", 0},
                                         NumberCase{"0x", 0}, NumberCase{"0xfG1", 15}, NumberCase{"  -12abc", -12},
                                         NumberCase{"+7", 7}, NumberCase{"abc", 0}, NumberCase{"99999999999", INT32_MAX}));

TEST(SkinXml, BooleanIntegerAndRealSyntaxes)
{
    struct Case
    {
        const char* attributes;
        bool clip;
        std::int32_t zOrder;
        float anchor;
        double positionAbs;
    };
    const Case cases[] = {
        {"ClipToParent=\"True\" Z_Order=\"3\" XPlacementAnchor=\"0.5\" XPositionAbs=\"12.9\"", true, 3, 0.5f, 12.0},
        {"ClipToParent=\"False\" Z_Order=\" -4x\" XPlacementAnchor=\"1e-1\" XPositionAbs=\"-3\"", false, -4, 0.1f, -3.0},
        {"ClipToParent=\"true\" Z_Order=\"0x10\" XPlacementAnchor=\"junk\" XPositionAbs=\"\"", false, 0, 0.0f, 0.0},
        {"", true, 0, 0.0f, 0.0},
    };
    for (const Case& c : cases)
    {
        const RCPtr<LLayoutDescriptor> layout = NestedLayout(c.attributes);
        ASSERT_TRUE(layout) << c.attributes;
        EXPECT_EQ(layout->ClipToParent, c.clip) << c.attributes;
        EXPECT_EQ(layout->ZOrder, c.zOrder) << c.attributes;
        EXPECT_FLOAT_EQ(layout->X.PlacementAnchor, c.anchor) << c.attributes;
        EXPECT_EQ(layout->X.Position.Abs, c.positionAbs) << c.attributes;
    }
}

TEST(SkinXml, ReferenceKinds)
{
    struct Case
    {
        const char* attribute;
        const char* value;
        std::int32_t kind;
        const char16_t* name;
    };
    const Case positions[] = {{"XPositionToControl", "Parent", 0, u""},       {"XPositionToControl", "Screen", 0, u""},
                              {"XPositionToControl", "Client", 1, u""},       {"XPositionToControl", "Active Window", 1, u""},
                              {"XPositionToControl", "sibling", 2, u"sibling"}, {"XPositionToControl", "Self", 2, u"Self"}};
    for (const Case& c : positions)
    {
        const RCPtr<LLayoutDescriptor> layout = NestedLayout(std::string(c.attribute) + "=\"" + c.value + "\"");
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->X.Position.Kind, c.kind) << c.value;
        EXPECT_TRUE(layout->X.Position.Name.IsEqual(c.name)) << c.value;
    }
    const Case sizes[] = {{"YSizeToControl", "Screen", 0, u""},     {"YSizeToControl", "Active Window", 1, u""},
                          {"YSizeToControl", "Self", 2, u""},       {"YSizeToControl", "Children", 3, u"Children"}};
    for (const Case& c : sizes)
    {
        const RCPtr<LLayoutDescriptor> layout = NestedLayout(std::string(c.attribute) + "=\"" + c.value + "\"");
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->Y.Size.Kind, c.kind) << c.value;
        EXPECT_TRUE(layout->Y.Size.Name.IsEqual(c.name)) << c.value;
    }

    const RCPtr<LLayoutDescriptor> limits = NestedLayout(
        "XMinSizeToControl=\"Self\" XMinSizeRel=\"0.5\" XMinSizeAbs=\"7\" YMaxSizeToControl=\"other\" YMaxSizeAbs=\"30\"");
    ASSERT_TRUE(limits);
    EXPECT_FALSE(limits->X.MinSize.HasReference);
    EXPECT_FLOAT_EQ(limits->X.MinSize.Rel, 0.5f);
    EXPECT_EQ(limits->X.MinSize.Abs, 7.0);
    EXPECT_TRUE(limits->Y.MaxSize.HasReference);
    EXPECT_TRUE(limits->Y.MaxSize.Name.IsEqual(u"other"));
    EXPECT_EQ(limits->Y.MaxSize.Abs, 30.0);

    // Defaults: client position, own size of 16 by 40.
    const RCPtr<LLayoutDescriptor> defaults = NestedLayout("");
    ASSERT_TRUE(defaults);
    EXPECT_EQ(defaults->X.Position.Kind, 1);
    EXPECT_EQ(defaults->Y.Size.Kind, 2);
    EXPECT_EQ(defaults->X.Size.Abs, 16.0);
    EXPECT_EQ(defaults->Y.Size.Abs, 40.0);
}

TEST(SkinXml, Enumerations)
{
    struct Case
    {
        const char* x;
        const char* y;
        std::int32_t overflowX;
        std::int32_t overflowY;
    };
    // The layout starts at 0 (clip); an unknown value leaves it there, "Wrap" is no vertical value.
    const Case cases[] = {{"Expand", "Expand", 1, 1}, {"Wrap", "Wrap", 2, 0}, {"Clip", "Clip", 0, 0},
                          {"wrap", "Shrink", 0, 0}};
    for (const Case& c : cases)
    {
        const RCPtr<LLayoutDescriptor> layout = NestedLayout(std::string("TextOverflowXType=\"") + c.x +
                                                             "\" TextOverflowYType=\"" + c.y + "\"");
        ASSERT_TRUE(layout);
        EXPECT_EQ(layout->TextOverflowX, c.overflowX) << c.x;
        EXPECT_EQ(layout->TextOverflowY, c.overflowY) << c.y;
    }

    const RCPtr<LControlFactory> factory = ParseSkin(
        "<Colorizer Name=\"c\" ColorType=\"SolidFill\" Color=\"FF000000\"/>"
        "<Part Name=\"stretch\" Width=\"1\" Height=\"1\" ResizeType=\"Stretch\" ColorizerName=\"c\"/>"
        "<Part Name=\"tile\" Width=\"1\" Height=\"1\" ResizeType=\"Tile\" ColorizerName=\"c\"/>"
        "<Part Name=\"centre\" Width=\"1\" Height=\"1\" ResizeType=\"Center\" ColorizerName=\"c\"/>"
        "<Part Name=\"other\" Width=\"1\" Height=\"1\" ResizeType=\"Centre\" ColorizerName=\"c\"/>");
    EXPECT_EQ(factory->FindVisualPart(WString(u"stretch"))->ResizeType, 0);
    EXPECT_EQ(factory->FindVisualPart(WString(u"tile"))->ResizeType, 1);
    EXPECT_EQ(factory->FindVisualPart(WString(u"centre"))->ResizeType, 2);
    EXPECT_EQ(factory->FindVisualPart(WString(u"other"))->ResizeType, 0);
}

TEST(SkinXml, TabStopAndIsVisibleAreNotReadForTopLevelControls)
{
    const RCPtr<LControlFactory> factory = ParseSkin(
        "<Skin Name=\"s\"><SubControl Class=\"c\" Name=\"top\" TabStop=\"4\" IsVisible=\"False\">"
        "<SubControl Class=\"c\" Name=\"inner\" TabStop=\"4\" IsVisible=\"False\"/></SubControl></Skin>");
    const RCPtr<LControlDescriptor> top = factory->FindSubControlDescriptor(WString(u"top"));
    ASSERT_TRUE(top);
    EXPECT_EQ(top->Layout->TabStop, 0);
    EXPECT_TRUE(top->Layout->IsVisible);
    const RCPtr<LControlDescriptor> inner = *top->Children.GetAt(0);
    EXPECT_EQ(inner->Layout->TabStop, 4);
    EXPECT_FALSE(inner->Layout->IsVisible);
}

TEST(SkinXml, ColorizersAndTheirGradientRule)
{
    const RCPtr<LControlFactory> factory = ParseSkin(
        "<Colorizer Name=\"full\" ColorType=\"RadialGradient\" Color=\"FF102030\" GradientEndColor=\"40\" "
        "GradientStartX=\"0.1\" GradientStartY=\"0.2\" GradientEndX=\"0.3\" GradientEndY=\"0.4\"/>"
        "<Colorizer Name=\"partial\" ColorType=\"LinearGradient\" Color=\"102030\" GradientEndColor=\"FFFFFFFF\" "
        "GradientStartX=\"0.1\" GradientStartY=\"0.2\" GradientEndX=\"0.3\"/>"
        "<Colorizer Name=\"noColour\" ColorType=\"SolidFill\"/>"
        "<Colorizer Name=\"full\" ColorType=\"SolidFill\" Color=\"FFFFFFFF\"/>");
    const RCPtr<LColorizer> full = factory->FindColorizer(WString(u"full"));
    ASSERT_TRUE(full);
    EXPECT_EQ(full->ColorType, 2);
    EXPECT_EQ(full->Color.ToARGB(), 0xFF102030u);
    // Two digits set alpha alone, from transparent black.
    EXPECT_EQ(full->GradientEndColor.ToARGB(), 0x40000000u);
    EXPECT_FLOAT_EQ(full->GradientEndY, 0.4f);

    const RCPtr<LColorizer> partial = factory->FindColorizer(WString(u"partial"));
    ASSERT_TRUE(partial);
    EXPECT_EQ(partial->ColorType, 0);
    // Six digits leave alpha at 0; a solid colorizer's second colour is transparent black.
    EXPECT_EQ(partial->Color.ToARGB(), 0x00102030u);
    EXPECT_EQ(partial->GradientEndColor.ToARGB(), 0u);
    EXPECT_FALSE(factory->FindColorizer(WString(u"noColour")));
}

TEST(SkinXml, PartDropRules)
{
    const RCPtr<LControlFactory> factory = ParseSkin(
        "<Colorizer Name=\"c\" ColorType=\"SolidFill\" Color=\"FF000000\"/>"
        "<Part Name=\"noHeight\" Width=\"1\" ResizeType=\"Tile\" ColorizerName=\"c\"/>"
        "<Part Name=\"halfImage\" Width=\"5\" Height=\"6\" ResizeType=\"Tile\" ImageFile=\"A.png\" ImageLocX=\"1\"/>"
        "<Part Name=\"halfImageColour\" Width=\"5\" Height=\"6\" ResizeType=\"Tile\" ImageFile=\"A.png\" "
        "ImageLocX=\"1\" ColorizerName=\"c\"/>"
        "<Part Name=\"unknownColorizer\" Width=\"5\" Height=\"6\" ResizeType=\"Tile\" ColorizerName=\"none\"/>"
        "<Part Name=\"image\" Width=\"0x5\" Height=\"6\" ResizeType=\"Tile\" ImageFile=\"Dir/Btn_Off.PNG\" "
        "ImageLocX=\"7\" ImageLocY=\"8\" ColorizerName=\"none\" ColorizerMaskFile=\"Mask.PNG\" MaskLocX=\"1\"/>"
        "<Part Name=\"image\" Width=\"1\" Height=\"1\" ResizeType=\"Tile\" ColorizerName=\"c\"/>");
    EXPECT_FALSE(factory->FindVisualPart(WString(u"noHeight")));
    EXPECT_FALSE(factory->FindVisualPart(WString(u"halfImage")));
    EXPECT_FALSE(factory->FindVisualPart(WString(u"unknownColorizer")));

    const RCPtr<LVisualPartDescriptor> colour = factory->FindVisualPart(WString(u"halfImageColour"));
    ASSERT_TRUE(colour);
    EXPECT_TRUE(colour->ImageFile.IsEmpty());
    EXPECT_EQ(colour->Size, LongPair(5, 6));
    EXPECT_TRUE(colour->Colorizer);

    // The first "image" stays; its name is lowered, it has no colorizer and, without both
    // mask locations, no mask.
    const RCPtr<LVisualPartDescriptor> image = factory->FindVisualPart(WString(u"image"));
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->ImageFile.IsEqual(u"dir/btn_off.png"));
    EXPECT_EQ(image->ImageRect.x, 7);
    EXPECT_EQ(image->ImageRect.y, 8);
    EXPECT_EQ(image->ImageRect.width, 5);
    EXPECT_EQ(image->ImageRect.height, 6);
    EXPECT_FALSE(image->Colorizer);
    EXPECT_TRUE(image->MaskFile.IsEmpty());
    EXPECT_FLOAT_EQ(image->AlphaMod, 1.0f);
}

TEST(SkinXml, LookListRules)
{
    const RCPtr<LControlFactory> factory = ParseSkin(
        "<Colorizer Name=\"c\" ColorType=\"SolidFill\" Color=\"FF000000\"/>"
        "<Part Name=\"p\" Width=\"1\" Height=\"1\" ResizeType=\"Tile\" ColorizerName=\"c\"/>"
        // Parts of a look before any look: ignored.
        "<ClientPart Name=\"p\" OffsetLeft=\"0\" OffsetTop=\"0\" OffsetRight=\"0\" OffsetBottom=\"0\"/>"
        "<Looks><Look Name=\"a\"/><Look Name=\"b\"/><Look/></Looks>"
        "<LookLists>"
        "<LookList Name=\"three\" NumLooks=\"3\"><Look Name=\"a\" Index=\"2\"/><Look Name=\"b\" Index=\"3\"/>"
        "<Look Name=\"b\" Index=\"-1\"/><Look Name=\"missing\" Index=\"0\"/></LookList>"
        "<LookList Name=\"three\" NumLooks=\"5\"><Look Name=\"b\" Index=\"0\"/></LookList>"
        "<LookList Name=\"negative\" NumLooks=\"-1\"><Look Name=\"a\" Index=\"0\"/></LookList>"
        "<LookList Name=\"huge\" NumLooks=\"65536\"/>"
        "<LookList Name=\"hex\" NumLooks=\"0x10000\"/>"
        "<LookList Name=\"empty\" NumLooks=\"0\"><Look Name=\"a\" Index=\"0\"/></LookList>"
        "<LookList NumLooks=\"2\"/>"
        "</LookLists>");
    const RCPtr<LLookList> three = factory->FindLookList(WString(u"three"));
    ASSERT_TRUE(three);
    ASSERT_EQ(three->GetCount(), 3u);
    EXPECT_FALSE((*three->GetAt(0)));
    EXPECT_FALSE((*three->GetAt(1)));
    EXPECT_EQ((*three->GetAt(2)).Get(), factory->FindLook(WString(u"a")).Get());
    EXPECT_FALSE(factory->FindLook(WString(u"a"))->ClientPart);

    EXPECT_FALSE(factory->FindLookList(WString(u"negative")));
    EXPECT_FALSE(factory->FindLookList(WString(u"huge")));
    // Four hexadecimal digits at most: 0x1000 slots.
    EXPECT_EQ(factory->FindLookList(WString(u"hex"))->GetCount(), 0x1000u);
    EXPECT_EQ(factory->FindLookList(WString(u"empty"))->GetCount(), 0u);
}

TEST(SkinXml, FontsOfSkinsAndTheirTranslation)
{
    RCPtr<LControlFactory> factory = NewFactory();
    factory->SetLanguage(9);
    const std::string document =
        "<r><FontXLat Name=\"Arial\" XLat=\"Ignored\"/><FontLocale LCID=\"7\"/>"
        "<FontXLat Name=\"Arial\" XLat=\"German\"/><FontLocale LCID=\"0x0009\"/>"
        "<FontXLat Name=\"Times\" XLat=\"Serif\"/>"
        "<Skin Name=\"s\" FontName=\"Times\" FontSize=\"9.5\" FontStyle=\"0x1\">"
        "<SubControl Class=\"c\" Name=\"a\" FontName=\"Times\" FontSizeIsRelative=\"True\" FontStyle=\"2\">"
        "<Skin Name=\"sa\"/></SubControl>"
        "<SubControl Class=\"c\" Name=\"b\" FontName=\"Arial\" FontSize=\"1.5\" FontSizeIsRelative=\"True\" "
        "FontInheritsFromParent=\"True\"><Skin Name=\"sb\"/><FontXLat Name=\"Arial\" XLat=\"Sans\"/>"
        "<FontXLat Name=\"Arial\" XLat=\"Second\"/></SubControl>"
        "<SubControl Class=\"c\" Name=\"plain\"/>"
        "</Skin></r>";
    ASSERT_EQ(factory->ParseXML(document.data(), document.size()), 0);

    // The root's font is read from the element, untranslated.
    const RCPtr<LSkinDescriptor> root = factory->GetSkin(0)->Skin;
    EXPECT_TRUE(root->FontName.IsEqual(u"Times"));
    EXPECT_FLOAT_EQ(root->FontSize, 9.5f);
    EXPECT_EQ(root->FontStyle, 1);

    const RCPtr<LSkinDescriptor> a = factory->FindSubControlDescriptor(WString(u"a"))->Skin;
    EXPECT_TRUE(a->FontName.IsEqual(u"Serif"));
    EXPECT_FALSE(a->FontSizeIsRelative); // no "FontSize"
    EXPECT_EQ(a->FontStyle, 2);
    EXPECT_FALSE(a->FontInheritsFromParent);

    const RCPtr<LSkinDescriptor> b = factory->FindSubControlDescriptor(WString(u"b"))->Skin;
    EXPECT_TRUE(b->FontName.IsEqual(u"Sans"));
    EXPECT_TRUE(b->FontSizeIsRelative);
    EXPECT_TRUE(b->FontInheritsFromParent);
    EXPECT_FLOAT_EQ(b->FontSize, 1.5f);
    EXPECT_EQ(b->FontStyle, -1);
    WString translation;
    ASSERT_TRUE(factory->FindFontTranslation(WString(u"Arial"), translation));
    EXPECT_TRUE(translation.IsEqual(u"Sans"));

    EXPECT_FALSE(factory->FindSubControlDescriptor(WString(u"plain"))->Skin);
}

TEST(SkinXml, CreateParametersAndChildOrder)
{
    const RCPtr<LControlFactory> factory = ParseSkin(
        "<Skin Name=\"s\"><SubControl Class=\"c\" Name=\"top\">"
        "<CreateParamList><CreateParam ID=\"A\">first</CreateParam></CreateParamList>"
        "<CreateParamList><CreateParam ID=\"B\" Type=\"Boolean\">True</CreateParam>"
        "<CreateParam ID=\"C\">x&amp;y</CreateParam><CreateParam>no id</CreateParam></CreateParamList>"
        "<SubControl Class=\"c\" Name=\"third\" LayoutOrder=\"3\"/>"
        "<SubControl Class=\"c\" Name=\"first\" LayoutOrder=\"-1\"/>"
        "<SubControl Class=\"c\" Name=\"second\"/>"
        "</SubControl></Skin>");
    const RCPtr<LControlDescriptor> top = factory->FindSubControlDescriptor(WString(u"top"));
    ASSERT_TRUE(top);
    const RCPtr<LStringTable> params = top->CreateParams;
    ASSERT_TRUE(params);
    // The second list replaced the first; each piece of text replaced the one before.
    EXPECT_EQ(TestSupport::Entry(params, u"A"), u"<none>");
    EXPECT_EQ(TestSupport::Entry(params, u"B"), u"True");
    EXPECT_EQ(TestSupport::Entry(params, u"C"), u"y");
    EXPECT_EQ(params->size(), 2u);

    const RCPtrArray<LControlDescriptor>& children = top->Children;
    ASSERT_EQ(children.GetCount(), 3u);
    EXPECT_TRUE((*children.GetAt(0))->Name.IsEqual(u"first"));
    EXPECT_TRUE((*children.GetAt(1))->Name.IsEqual(u"second"));
    EXPECT_TRUE((*children.GetAt(2))->Name.IsEqual(u"third"));
    EXPECT_EQ((*children.GetAt(0))->Parent, top.Get());
    EXPECT_FALSE((*children.GetAt(0))->CreateParams);
}

// Names, references and parameter texts outside ASCII arrive as written, numbers end at
// the first character that is not part of them, and the text between elements (here with a
// non-ASCII character of its own) reaches no parameter.
TEST(SkinXml, TextOutsideAsciiIsKeptAsWritten)
{
    const RCPtr<LControlFactory> factory = ParseSkin(
        "<Skin Name=\"s\"><SubControl Class=\"Klasse.\u00c4\" Name=\"top\">\n  \u00e9  \n"
        "<SubControl Class=\"c\" Name=\"Gr\u00f6\u00dfe \U0001F3B9\" LayoutOrder=\"12\u00b2\" Z_Order=\"7\u00e9\"\n"
        "  XPlacementAnchor=\"0.25\u00e9\" XPositionToControl=\"Nachbar\u00e9\" XSizeToControl=\"Self\"/>"
        "\u00e9<CreateParamList>\u00e9<CreateParam ID=\"T\u00eftel\">Ol\u00e9 \U0001F3B9</CreateParam>\u00e9</CreateParamList>"
        "</SubControl></Skin>");
    const RCPtr<LControlDescriptor> top = factory->FindSubControlDescriptor(WString(u"top"));
    ASSERT_TRUE(top);
    EXPECT_TRUE(top->Class.IsEqual(u"Klasse.\u00c4"));
    ASSERT_EQ(top->Children.GetCount(), 1u);
    const LControlDescriptor& child = **top->Children.GetAt(0);
    EXPECT_TRUE(child.Name.IsEqual(u"Gr\u00f6\u00dfe \U0001F3B9"));
    EXPECT_EQ(child.Layout->LayoutOrder, 12);
    EXPECT_EQ(child.Layout->ZOrder, 7);
    EXPECT_FLOAT_EQ(child.Layout->X.PlacementAnchor, 0.25f);
    EXPECT_EQ(child.Layout->X.Position.Kind, 2);
    EXPECT_TRUE(child.Layout->X.Position.Name.IsEqual(u"Nachbar\u00e9"));
    EXPECT_EQ(child.Layout->X.Size.Kind, 2);
    ASSERT_TRUE(top->CreateParams);
    EXPECT_EQ(top->CreateParams->size(), 1u);
    EXPECT_EQ(TestSupport::Entry(top->CreateParams, u"T\u00eftel"), u"Ol\u00e9 \U0001F3B9");
}

TEST(SkinXml, ChildrenOfEqualLayoutOrderKeepTheDocumentsOrder)
{
    // Enough children for a sort to move equal ones about; two carry an order of their own.
    std::string document = "<Skin Name=\"s\"><SubControl Class=\"c\" Name=\"top\">";
    std::vector<std::string> expected = {"early"};
    for (int i = 0; i < 40; ++i)
    {
        document += "<SubControl Class=\"c\" Name=\"child" + std::to_string(i) + "\"/>";
        expected.push_back("child" + std::to_string(i));
        if (i == 20)
            document += "<SubControl Class=\"c\" Name=\"early\" LayoutOrder=\"-2\"/>"
                        "<SubControl Class=\"c\" Name=\"late\" LayoutOrder=\"5\"/>";
    }
    expected.push_back("late");
    document += "</SubControl></Skin>";
    const RCPtr<LControlFactory> factory = ParseSkin(document);
    const RCPtr<LControlDescriptor> top = factory->FindSubControlDescriptor(WString(u"top"));
    ASSERT_TRUE(top);
    std::vector<std::string> names;
    for (std::uint32_t i = 0; i < top->Children.GetCount(); ++i)
        names.push_back(NString((*top->Children.GetAt(i))->Name.GetString()).GetString());
    EXPECT_EQ(names, expected);
}

TEST(SkinXml, DocumentErrors)
{
    // Expat's message and line; what was read before stays.
    RCPtr<LControlFactory> factory = NewFactory();
    const std::string broken = "<r>\n<Colorizer Name=\"c\" ColorType=\"x\" Color=\"FF000000\"/>\n<Part <\n</r>";
    EXPECT_EQ(factory->ParseXML(broken.data(), broken.size()), QK_E_FAIL);
    EXPECT_TRUE(factory->GetErrorText().IsEqual(u"not well-formed (invalid token)"));
    EXPECT_EQ(factory->GetErrorLine(), 3u);
    EXPECT_TRUE(factory->FindColorizer(WString(u"c")));

    // A document of its root alone adds nothing, whatever the root says.
    factory = NewFactory();
    const std::string rootOnly = "<Skin Name=\"root\" FontName=\"x\"/>";
    EXPECT_EQ(factory->ParseXML(rootOnly.data(), rootOnly.size()), QK_OK);
    EXPECT_EQ(factory->GetSkinCount(), 0u);

    // A zero-terminated buffer may be given without its length.
    EXPECT_EQ(factory->ParseXML("<r><Skin Name=\"s\"/></r>", 0), QK_OK);
    EXPECT_EQ(factory->GetSkinCount(), 1u);
}

TEST(SkinXml, SubControlWithoutClassOrNameStopsTheParse)
{
    for (const char* element : {"<SubControl Name=\"n\"/>", "<SubControl Class=\"c\"/>"})
    {
        RCPtr<LControlFactory> factory = NewFactory();
        const std::string document = std::string("<r><Skin Name=\"s\">") + element +
                                     "<SubControl Class=\"c\" Name=\"after\"/></Skin></r>";
        try
        {
            factory->ParseXML(document.data(), document.size());
            FAIL() << "no exception for " << element;
        }
        catch (const std::runtime_error& error)
        {
            EXPECT_STREQ(error.what(), "Runtime Error : Bad Subcontrol Element : QK::LControlFactory::XMLStartElement : "
                                       "ControlBase\\ControlFactory : Line 1089");
        }
        EXPECT_FALSE(factory->FindSubControlDescriptor(WString(u"after")));
    }
}

TEST(SkinXml, HostileDocumentsEndWithAClearResult)
{
    struct Case
    {
        std::string document;
        QKRESULT result;
    };
    const std::string deep = std::string(2000, 'x');
    std::string nested, closed;
    for (int i = 0; i < 1000; ++i)
    {
        nested += "<SubControl Class=\"c\" Name=\"n\">";
        closed += "</SubControl>";
    }
    const Case cases[] = {
        {"<r><Skin Name=\"s\"><SubControl Class=\"c\" Name=\"n\"", QK_E_FAIL},
        {"\xff\xfe\x00garbage", QK_E_FAIL},
        {"<r>" + nested, QK_E_FAIL},
        {"<r><Skin Name=\"s\">" + nested + closed + "</Skin></r>", QK_OK},
        // Controls outside any skin, and a look-list section that closes the open control:
        // their children still find their parents at the end tags.
        {"<r><SubControl Class=\"c\" Name=\"a\"><SubControl Class=\"c\" Name=\"b\"/></SubControl></r>", QK_OK},
        {"<r><Skin Name=\"s\"><SubControl Class=\"c\" Name=\"a\"><LookLists/><SubControl Class=\"c\" "
         "Name=\"b\"><SubControl Class=\"c\" Name=\"d\"/></SubControl></SubControl></Skin></r>",
         QK_OK},
        {"<r><Part Name=\"" + std::string(1 << 20, 'p') + "\" Width=\"1\" Height=\"1\" ResizeType=\"T\"/></r>", QK_OK},
        {"<r><StringTable ID=\"" + deep + "\"/><Locale LCID=\"9\">" + deep + "</Locale></r>", QK_OK},
    };
    for (const Case& c : cases)
    {
        RCPtr<LControlFactory> factory = NewFactory();
        EXPECT_EQ(factory->ParseXML(c.document.data(), c.document.size()), c.result) << c.document.substr(0, 40);
    }
}

} // namespace
} // namespace QK
