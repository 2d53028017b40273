// The control factory.
//
// Sections:
//   1. Attribute values: the value syntaxes of the skin and string-table documents.
//   2. Construction, control classes and creation.
//   3. Skins, registries and string tables handed out.
//   4. The parse: ParseXML and the Expat handlers.
//   5. String-table mode.
//   6. Skin mode.
#include "QKFramework/ControlBase/ControlFactory.h"

#include "QKFramework/ControlBase/Control.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Utilities/Storage/CharUtil.h"
#include "QKFramework/Utilities/Storage/ExpatParser.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

namespace QK
{

namespace
{

constexpr const char* kSource = "ControlBase\\ControlFactory";

// 1. Attribute values -------------------------------------------------------------------
//
// Values are read from the UTF-8 text Expat hands over. Numbers, colours, booleans and the
// keywords compared here are ASCII, so reading them there gives what reading the UTF-16 form
// would; only a value that is kept as text becomes a WString.

bool IsText(const char* value, const char* text)
{
    return std::strcmp(value, text) == 0;
}

// The exact "True" is true; any other text is false.
bool ToBoolean(const char* text)
{
    return IsText(text, "True");
}

// "0x" and at most four hexadecimal digits; otherwise the decimal integer at the start.
std::int32_t ToNumber(const char* chars)
{
    if (chars[0] == '0' && chars[1] == 'x')
    {
        std::int32_t value = 0;
        for (int i = 0; i < 4; ++i)
        {
            const int digit = HexDigitValue(chars[2 + i]);
            if (digit < 0)
                break;
            value = value * 16 + digit;
        }
        return value;
    }
    return ParseInt(chars);
}

std::int32_t ToInteger(const char* text)
{
    return ParseInt(text);
}

ColorRGBA ToColour(const char* text)
{
    ColorRGBA colour;
    colour.FromHexString(text);
    return colour;
}

float ToFloat(const char* text)
{
    return static_cast<float>(ParseDouble(text));
}

WString ToText(const char* text)
{
    return WString(text);
}

// Readers that leave the target alone when the attribute is missing.
void ReadNumber(const ExpatAttributes& attributes, const char* name, std::int32_t& target)
{
    if (const char* value = attributes.Find(name))
        target = ToNumber(value);
}

void ReadReal(const ExpatAttributes& attributes, const char* name, float& target)
{
    if (const char* value = attributes.Find(name))
        target = ToFloat(value);
}

void ReadText(const ExpatAttributes& attributes, const char* name, WString& target)
{
    if (const char* value = attributes.Find(name))
        target = ToText(value);
}

bool IsParentReference(const char* text)
{
    return IsText(text, "Parent") || IsText(text, "Screen");
}

bool IsClientReference(const char* text)
{
    return IsText(text, "Client") || IsText(text, "Active Window");
}

void ReadPositionReference(LayoutReference& position, const char* value)
{
    position.Kind = IsParentReference(value) ? 0 : IsClientReference(value) ? 1 : 2;
    if (position.Kind == 2)
        position.Name = ToText(value);
}

void ReadSizeReference(LayoutReference& size, const char* value)
{
    size.Kind = IsParentReference(value) ? 0 : IsClientReference(value) ? 1 : IsText(value, "Self") ? 2 : 3;
    if (size.Kind == 3)
        size.Name = ToText(value);
}

void ReadLimitReference(LayoutLimit& limit, const char* value)
{
    limit.HasReference = !IsText(value, "Self");
    if (limit.HasReference)
        limit.Name = ToText(value);
}

// What the attributes of one "SubControl" fill: its layout, and the pending font that the
// "Skin" nested in it takes over.
struct SubControlFields
{
    LLayoutDescriptor& layout;
    // Not for a control directly under a skin's root.
    bool readsTabStopAndVisibility;
    bool& fontInheritsFromParent;
    bool& fontSizeIsRelative;
    WString& fontName;
    float& fontSize;
    std::int32_t& fontStyle;
};

using SubControlReader = void (*)(SubControlFields& fields, const char* value);

struct SubControlAttribute
{
    std::string_view name;
    SubControlReader read;
};

// The readers of one axis's attributes; Axis is LLayoutDescriptor::X or Y.
template <AxisSpec LLayoutDescriptor::*Axis> struct AxisReaders
{
    static AxisSpec& Of(SubControlFields& fields) { return fields.layout.*Axis; }

    static void PlacementAnchor(SubControlFields& f, const char* v) { Of(f).PlacementAnchor = ToFloat(v); }
    static void PositionToControl(SubControlFields& f, const char* v) { ReadPositionReference(Of(f).Position, v); }
    static void PositionRel(SubControlFields& f, const char* v) { Of(f).Position.Rel = ToFloat(v); }
    static void PositionAbs(SubControlFields& f, const char* v) { Of(f).Position.Abs = ToInteger(v); }
    static void SizeToControl(SubControlFields& f, const char* v) { ReadSizeReference(Of(f).Size, v); }
    static void SizeRel(SubControlFields& f, const char* v) { Of(f).Size.Rel = ToFloat(v); }
    static void SizeAbs(SubControlFields& f, const char* v) { Of(f).Size.Abs = ToInteger(v); }
    static void MinSizeToControl(SubControlFields& f, const char* v) { ReadLimitReference(Of(f).MinSize, v); }
    static void MinSizeRel(SubControlFields& f, const char* v) { Of(f).MinSize.Rel = ToFloat(v); }
    static void MinSizeAbs(SubControlFields& f, const char* v) { Of(f).MinSize.Abs = ToInteger(v); }
    static void MaxSizeToControl(SubControlFields& f, const char* v) { ReadLimitReference(Of(f).MaxSize, v); }
    static void MaxSizeRel(SubControlFields& f, const char* v) { Of(f).MaxSize.Rel = ToFloat(v); }
    static void MaxSizeAbs(SubControlFields& f, const char* v) { Of(f).MaxSize.Abs = ToInteger(v); }
};

using X = AxisReaders<&LLayoutDescriptor::X>;
using Y = AxisReaders<&LLayoutDescriptor::Y>;

// Every attribute a "SubControl" reads besides "Class" and "Name", in byte order of the
// names. A control has a handful of the fifty, so each of its attributes is looked up here
// once, rather than each of the fifty among its attributes.
constexpr SubControlAttribute kSubControlAttributes[] = {
    {"ClipToParent", [](SubControlFields& f, const char* v) { f.layout.ClipToParent = ToBoolean(v); }},
    {"FontInheritsFromParent", [](SubControlFields& f, const char* v) { f.fontInheritsFromParent = ToBoolean(v); }},
    {"FontName", [](SubControlFields& f, const char* v) { f.fontName = ToText(v); }},
    {"FontSize", [](SubControlFields& f, const char* v) { f.fontSize = ToFloat(v); }},
    {"FontSizeIsRelative", [](SubControlFields& f, const char* v) { f.fontSizeIsRelative = ToBoolean(v); }},
    {"FontStyle", [](SubControlFields& f, const char* v) { f.fontStyle = ToNumber(v); }},
    {"IsVisible",
     [](SubControlFields& f, const char* v) {
         if (f.readsTabStopAndVisibility)
             f.layout.IsVisible = ToBoolean(v);
     }},
    {"LayoutOrder", [](SubControlFields& f, const char* v) { f.layout.LayoutOrder = ToNumber(v); }},
    {"TabStop",
     [](SubControlFields& f, const char* v) {
         if (f.readsTabStopAndVisibility)
             f.layout.TabStop = ToInteger(v);
     }},
    {"TextDecoration", [](SubControlFields& f, const char* v) { f.layout.TextDecoration = ToText(v); }},
    {"TextOverflowXType",
     [](SubControlFields& f, const char* v) {
         if (IsText(v, "Clip"))
             f.layout.TextOverflowX = 0;
         else if (IsText(v, "Expand"))
             f.layout.TextOverflowX = 1;
         else if (IsText(v, "Wrap"))
             f.layout.TextOverflowX = 2;
     }},
    {"TextOverflowYType",
     [](SubControlFields& f, const char* v) {
         if (IsText(v, "Clip"))
             f.layout.TextOverflowY = 0;
         else if (IsText(v, "Expand"))
             f.layout.TextOverflowY = 1;
     }},
    {"XIsDocked", [](SubControlFields& f, const char* v) { f.layout.XIsDocked = ToBoolean(v); }},
    {"XMaxSizeAbs", X::MaxSizeAbs},
    {"XMaxSizeRel", X::MaxSizeRel},
    {"XMaxSizeToControl", X::MaxSizeToControl},
    {"XMinSizeAbs", X::MinSizeAbs},
    {"XMinSizeRel", X::MinSizeRel},
    {"XMinSizeToControl", X::MinSizeToControl},
    {"XPlacementAnchor", X::PlacementAnchor},
    {"XPositionAbs", X::PositionAbs},
    {"XPositionRel", X::PositionRel},
    {"XPositionToControl", X::PositionToControl},
    {"XSizeAbs", X::SizeAbs},
    {"XSizeRel", X::SizeRel},
    {"XSizeToControl", X::SizeToControl},
    {"YIsDocked", [](SubControlFields& f, const char* v) { f.layout.YIsDocked = ToBoolean(v); }},
    {"YMaxSizeAbs", Y::MaxSizeAbs},
    {"YMaxSizeRel", Y::MaxSizeRel},
    {"YMaxSizeToControl", Y::MaxSizeToControl},
    {"YMinSizeAbs", Y::MinSizeAbs},
    {"YMinSizeRel", Y::MinSizeRel},
    {"YMinSizeToControl", Y::MinSizeToControl},
    {"YPlacementAnchor", Y::PlacementAnchor},
    {"YPositionAbs", Y::PositionAbs},
    {"YPositionRel", Y::PositionRel},
    {"YPositionToControl", Y::PositionToControl},
    {"YSizeAbs", Y::SizeAbs},
    {"YSizeRel", Y::SizeRel},
    {"YSizeToControl", Y::SizeToControl},
    {"Z_Order", [](SubControlFields& f, const char* v) { f.layout.ZOrder = ToInteger(v); }},
};

static_assert(std::ranges::is_sorted(kSubControlAttributes, {}, &SubControlAttribute::name));

void ReadSubControlAttributes(const ExpatAttributes& attributes, SubControlFields& fields)
{
    attributes.ForEach([&](const char* name, const char* value) {
        const auto found =
            std::ranges::lower_bound(kSubControlAttributes, std::string_view(name), {}, &SubControlAttribute::name);
        if (found != std::end(kSubControlAttributes) && found->name == name)
            found->read(fields, value);
    });
}

} // namespace

// 2. Construction, control classes and creation ----------------------------------------------

LControlFactory::LControlFactory(const WString& applicationName) : m_applicationName(applicationName) {}

LControlFactory::~LControlFactory() = default;

QKRESULT LControlFactory::RegisterControlClass(const WString& className, LControlCreateFunction function)
{
    m_controlClasses.emplace(className, function);
    return QK_OK;
}

QKRESULT LControlFactory::GetControlCreateFunction(const WString& className, LControlCreateFunction& function) const
{
    const auto found = m_controlClasses.find(className);
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (found == m_controlClasses.end())
        Throw<std::runtime_error>(ThrowSite{"QK::LControlFactory::GetControlCreateFunction", kSource, 51});
    function = found->second;
    return QK_OK;
}

RCPtr<LControl> LControlFactory::CreateControl(const LControlDescriptor* descriptor, LControl* parent) const
{
    if (!descriptor)
        return nullptr;
    if (!descriptor->CreateFunction)
    {
        LControlCreateFunction function = nullptr;
        GetControlCreateFunction(descriptor->Class, function);
        descriptor->CreateFunction = function;
    }
    const LControlCreateFunction function = descriptor->CreateFunction;
    if (!function)
        return nullptr;
    return function(parent, descriptor);
}

RCPtr<LControl> LControlFactory::CreateRootControl(const WString& controlName, IRootWindow* rootWindow) const
{
    const RCPtr<LControlDescriptor> descriptor = FindSubControlDescriptor(controlName);
    if (!descriptor)
        return nullptr;
    descriptor->Layout->IsVisible = true;
    RCPtr<LControl> control = CreateControl(descriptor.Get(), nullptr);
    if (control)
        control->SetRootWindow(rootWindow);
    return control;
}

RCPtr<LControlDescriptor> LControlFactory::FindSubControlDescriptor(const WString& controlName) const
{
    const RCPtr<LControlDescriptor> root = GetSkin(m_currentSkin);
    if (!root)
        return nullptr;
    const RCPtrArray<LControlDescriptor>& children = root->Children;
    for (std::uint32_t i = children.GetCount(); i-- > 0;)
    {
        const RCPtr<LControlDescriptor>& child = *children.GetAt(i);
        if (child && child->Name.IsEqual(controlName))
            return child;
    }
    return nullptr;
}

QKRESULT LControlFactory::ApplySkinDescriptor(LControl* control) const
{
    if (!control)
        return QK_E_FAIL;
    const RCPtr<LControlDescriptor> descriptor = FindSubControlDescriptor(control->GetName());
    if (!descriptor)
        return QK_E_FAIL;
    return control->CreateFromDescriptor(descriptor.Get());
}

// 3. Skins, registries and string tables handed out ------------------------------------------

RCPtr<LControlDescriptor> LControlFactory::GetSkin(std::uint32_t index) const
{
    if (index >= m_skins.GetCount())
        return nullptr;
    return *m_skins.GetAt(index);
}

QKRESULT LControlFactory::GetSkinFont(WString& fontName, float& fontSize, std::int32_t& fontStyle) const
{
    const RCPtr<LControlDescriptor> root = GetSkin(m_currentSkin);
    const LSkinDescriptor* skin = root ? root->Skin.Get() : nullptr;
    if (!skin)
        return QK_FALSE;
    QKRESULT result = QK_FALSE;
    if (!skin->FontName.IsEmpty())
    {
        fontName = skin->FontName;
        result = QK_OK;
    }
    if (skin->FontSize >= 1.0f)
    {
        fontSize = skin->FontSize;
        result = QK_OK;
    }
    if (skin->FontStyle != -1)
    {
        fontStyle = skin->FontStyle;
        result = QK_OK;
    }
    return result;
}

namespace
{
template <class Map> auto FindIn(const Map& map, const WString& name) -> typename Map::mapped_type
{
    const auto found = map.find(name);
    return found == map.end() ? typename Map::mapped_type() : found->second;
}
} // namespace

RCPtr<LColorizer> LControlFactory::FindColorizer(const WString& name) const
{
    return FindIn(m_colorizers, name);
}

RCPtr<LVisualPartDescriptor> LControlFactory::FindVisualPart(const WString& name) const
{
    return FindIn(m_parts, name);
}

RCPtr<LLookDescriptor> LControlFactory::FindLook(const WString& name) const
{
    return FindIn(m_looks, name);
}

RCPtr<LLookList> LControlFactory::FindLookList(const WString& name) const
{
    return FindIn(m_lookLists, name);
}

bool LControlFactory::FindFontTranslation(const WString& name, WString& translation) const
{
    const auto found = m_fontTranslations.find(name);
    if (found == m_fontTranslations.end())
        return false;
    translation = found->second;
    return true;
}

RCPtr<LStringTable> LControlFactory::GetStringTable(const WString& tableID) const
{
    const auto found = m_stringTables.find(tableID);
    if (found == m_stringTables.end())
        return nullptr;
    RCPtr<LStringTable> table(new LStringTable());
    static_cast<StringMap&>(*table) = found->second;
    return table;
}

RCPtr<LStringTable> LControlFactory::GetFrameworkStringTable() const
{
    return GetStringTable(WString(u"Framework"));
}

RCPtr<LStringTable> LControlFactory::GetApplicationStringTable() const
{
    return GetStringTable(WString(u"|") + m_applicationName);
}

RCPtr<LStringTable> LControlFactory::GetMergedStringTable() const
{
    RCPtr<LStringTable> merged = GetFrameworkStringTable();
    const RCPtr<LStringTable> application = GetApplicationStringTable();
    if (!merged)
        return application;
    if (application)
        for (const auto& [id, text] : static_cast<const StringMap&>(*application))
            static_cast<StringMap&>(*merged).insert_or_assign(id, text);
    return merged;
}

RCPtr<LStringTable> LControlFactory::GetControlStringTable(const LControl* parent, const WString& controlName) const
{
    WString key = m_applicationName;
    if (parent)
    {
        const LControlDescriptor* descriptor = parent->GetControlDescriptor().Get();
        key = descriptor ? descriptor->Class : WString();
    }
    return GetStringTable(key + WString(u"|") + controlName);
}

// 4. The parse -------------------------------------------------------------------------------

namespace
{

struct ParseContext
{
    LControlFactory* factory;
    ExpatHandlerFrame frame;
};

void XMLCALL OnStartElement(void* user, const XML_Char* name, const XML_Char** attributes)
{
    auto* context = static_cast<ParseContext*>(user);
    context->frame.Run([&] { context->factory->XMLStartElement(name, ExpatAttributes(attributes)); });
}

void XMLCALL OnEndElement(void* user, const XML_Char* name)
{
    auto* context = static_cast<ParseContext*>(user);
    context->frame.Run([&] { context->factory->XMLEndElement(name); });
}

void XMLCALL OnCharacterData(void* user, const XML_Char* text, int length)
{
    auto* context = static_cast<ParseContext*>(user);
    context->frame.Run([&] { context->factory->XMLCharacterData(text, length); });
}

} // namespace

QKRESULT LControlFactory::ParseXML(const char* buffer, std::size_t length)
{
    m_skipRoot = true;
    if (!buffer)
        buffer = "";
    if (length == 0)
        length = std::strlen(buffer);

    ParseContext context{this, ExpatHandlerFrame()};
    QKRESULT result = QK_OK;
    {
        ExpatParser parser(XML_ParserCreate(nullptr));
        if (!parser)
            ThrowBadAlloc();
        context.frame.SetParser(parser.Get());
        XML_SetUserData(parser.Get(), &context);
        XML_SetElementHandler(parser.Get(), OnStartElement, OnEndElement);
        XML_SetCharacterDataHandler(parser.Get(), OnCharacterData);
        if (!FeedExpatParser(parser.Get(), buffer, length) && !context.frame.HasPending())
        {
            const XML_LChar* message = XML_ErrorString(XML_GetErrorCode(parser.Get()));
            m_errorText = WString(message ? message : "unknown error");
            m_errorLine = static_cast<std::uint32_t>(XML_GetCurrentLineNumber(parser.Get()));
            result = QK_E_FAIL;
        }
    }
    context.frame.RethrowPending();
    return result;
}

void LControlFactory::XMLStartElement(const char* name, const ExpatAttributes& attributes)
{
    if (m_skipRoot)
    {
        m_skipRoot = false;
        return;
    }
    if (m_stringTableMode)
        StringTableStartElement(name, attributes);
    else
        SkinStartElement(name, attributes);
}

void LControlFactory::XMLEndElement(const char* name)
{
    if (m_stringTableMode)
    {
        m_collecting = false;
        m_currentEntry = nullptr;
        return;
    }
    if (IsText(name, "CreateParam"))
    {
        m_collectingParam = false;
    }
    else if (IsText(name, "Looks"))
    {
        m_inLooks = false;
    }
    else if (IsText(name, "CreateParamList"))
    {
        if (m_openControl && m_currentParamList)
            m_openControl->SetCreateParams(m_currentParamList);
        m_currentParamList = nullptr;
        m_collectingParam = false;
    }
    else if (IsText(name, "SubControl"))
    {
        if (!m_openControl)
            return;
        RCPtrArray<LControlDescriptor>& children = m_openControl->Children;
        if (children.GetCount() > 1)
        {
            // Stable: children of equal LayoutOrder keep the document's order, which their
            // creation, their tab order and the names their layouts refer to rely on.
            RCPtr<LControlDescriptor>* first = children.GetBuffer();
            std::stable_sort(first, first + children.GetCount(),
                      [](const RCPtr<LControlDescriptor>& a, const RCPtr<LControlDescriptor>& b) {
                          return a->Layout->LayoutOrder < b->Layout->LayoutOrder;
                      });
        }
        m_openControl = m_openControl->Parent;
    }
    else if (IsText(name, "Skin"))
    {
        if (m_openControl && m_openControl == m_currentSkinRoot)
            m_openControl = nullptr;
    }
}

void LControlFactory::XMLCharacterData(const char* text, int length)
{
    // Text is kept only inside a matching "Locale" or a "CreateParam" (a parameter without
    // an ID takes nothing); the rest, mostly the document's indentation, is never converted.
    const bool kept = m_stringTableMode ? m_collecting && m_currentEntry
                                        : m_collectingParam && m_currentParamList && !m_currentParamID.IsEmpty();
    if (!kept || length <= 0)
        return;
    WString piece;
    piece.Convert(text, length);
    if (m_stringTableMode)
        m_currentEntry->Append(piece);
    else
        // Each piece replaces the text before it.
        (*m_currentParamList)[m_currentParamID] = piece;
}

// 5. String-table mode -----------------------------------------------------------------------

void LControlFactory::StringTableStartElement(const char* name, const ExpatAttributes& attributes)
{
    if (IsText(name, "Application"))
    {
        if (const char* applicationName = attributes.Find("Name"))
            m_applicationName = ToText(applicationName);
    }
    else if (IsText(name, "StringTable"))
    {
        // A table without an ID takes nothing: its strings have nowhere to go.
        const char* id = attributes.Find("ID");
        m_currentTable = id ? &m_stringTables[ToText(id)] : nullptr;
    }
    else if (IsText(name, "String"))
    {
        const char* id = attributes.Find("ID");
        m_currentID = id ? ToText(id) : WString();
    }
    else if (IsText(name, "Locale"))
    {
        // A "Locale" without its language names none.
        const char* lcid = attributes.Find("LCID");
        if (!lcid || static_cast<std::uint32_t>(ToNumber(lcid)) != m_language)
            return;
        ++m_matchCount;
        if (!m_currentTable || m_currentID.IsEmpty())
            return;
        m_currentEntry = &(*m_currentTable)[m_currentID];
        m_collecting = true;
    }
}

// 6. Skin mode -------------------------------------------------------------------------------

void LControlFactory::SkinStartElement(const char* name, const ExpatAttributes& attributes)
{
    if (IsText(name, "Application"))
    {
        ReadText(attributes, "Name", m_applicationName);
    }
    else if (IsText(name, "Colorizer"))
    {
        StartColorizer(attributes);
    }
    else if (IsText(name, "Part"))
    {
        StartPart(attributes);
    }
    else if (IsText(name, "Looks"))
    {
        m_inLooks = true;
    }
    else if (IsText(name, "Look"))
    {
        if (m_inLooks)
            StartLook(attributes);
        else
            StartLookListEntry(attributes);
    }
    else if (IsText(name, "ClientPart"))
    {
        StartClientPart(attributes);
    }
    else if (IsText(name, "NonClientPart"))
    {
        StartNonClientPart(attributes);
    }
    else if (IsText(name, "TextProperties"))
    {
        StartTextProperties(attributes);
    }
    else if (IsText(name, "LookLists"))
    {
        m_openControl = nullptr;
    }
    else if (IsText(name, "LookList"))
    {
        StartLookList(attributes);
    }
    else if (IsText(name, "Skin"))
    {
        StartSkin(attributes);
    }
    else if (IsText(name, "FontLocale"))
    {
        if (const char* lcid = attributes.Find("LCID"))
            m_fontLocale = static_cast<std::uint32_t>(ToNumber(lcid));
    }
    else if (IsText(name, "FontXLat"))
    {
        StartFontTranslation(attributes);
    }
    else if (IsText(name, "SubControl"))
    {
        StartSubControl(attributes);
    }
    else if (IsText(name, "CreateParamList"))
    {
        m_currentParamList = RCPtr<LStringTable>(new LStringTable());
    }
    else if (IsText(name, "CreateParam"))
    {
        ReadText(attributes, "ID", m_currentParamID = WString());
        m_collectingParam = true;
    }
}

void LControlFactory::StartColorizer(const ExpatAttributes& attributes)
{
    const char* name = attributes.Find("Name");
    const char* type = attributes.Find("ColorType");
    const char* colour = attributes.Find("Color");
    if (!name || !type || !colour)
        return;
    std::int32_t colorType = 0;
    if (IsText(type, "LinearGradient"))
        colorType = 1;
    else if (IsText(type, "RadialGradient"))
        colorType = 2;
    const bool gradientComplete = attributes.Has("GradientEndColor") &&
                                  attributes.Has("GradientStartX") &&
                                  attributes.Has("GradientStartY") &&
                                  attributes.Has("GradientEndX") && attributes.Has("GradientEndY");
    if (!gradientComplete)
        colorType = 0;

    ColorRGBA endColour;
    if (colorType != 0)
        endColour = ToColour(attributes.Find("GradientEndColor"));
    float startX = 0.0f, startY = 0.0f, endX = 0.0f, endY = 0.0f;
    ReadReal(attributes, "GradientStartX", startX);
    ReadReal(attributes, "GradientStartY", startY);
    ReadReal(attributes, "GradientEndX", endX);
    ReadReal(attributes, "GradientEndY", endY);
    WString colorizerName = ToText(name);
    if (m_colorizers.count(colorizerName))
        return;
    RCPtr<LColorizer> colorizer(
        new LColorizer(colorizerName, colorType, ToColour(colour), endColour, startX, startY, endX, endY));
    m_colorizers.emplace(std::move(colorizerName), std::move(colorizer));
}

void LControlFactory::StartPart(const ExpatAttributes& attributes)
{
    const char* name = attributes.Find("Name");
    const char* width = attributes.Find("Width");
    const char* height = attributes.Find("Height");
    const char* resize = attributes.Find("ResizeType");
    if (!name || !width || !height || !resize)
        return;
    WString partName = ToText(name);
    if (m_parts.count(partName))
        return;
    const std::int32_t partWidth = ToNumber(width);
    const std::int32_t partHeight = ToNumber(height);
    std::int32_t resizeType = 0;
    if (IsText(resize, "Tile"))
        resizeType = 1;
    else if (IsText(resize, "Center"))
        resizeType = 2;

    WString imageFile;
    std::int32_t imageX = 0, imageY = 0;
    const char* image = attributes.Find("ImageFile");
    if (image && image[0] != 0 && attributes.Has("ImageLocX") && attributes.Has("ImageLocY"))
    {
        imageFile = m_sourceFolder + ToText(image).ToLower();
        ReadNumber(attributes, "ImageLocX", imageX);
        ReadNumber(attributes, "ImageLocY", imageY);
    }
    RCPtr<LColorizer> colorizer;
    if (const char* colorizerName = attributes.Find("ColorizerName"))
        colorizer = FindColorizer(ToText(colorizerName));
    if (imageFile.IsEmpty() && !colorizer)
        return;

    float alphaMod = 1.0f;
    ReadReal(attributes, "ColorizerAlphaMod", alphaMod);
    WString maskFile;
    std::int32_t maskX = 0, maskY = 0;
    const char* mask = attributes.Find("ColorizerMaskFile");
    if (mask && attributes.Has("MaskLocX") && attributes.Has("MaskLocY"))
    {
        maskFile = m_sourceFolder + ToText(mask);
        ReadNumber(attributes, "MaskLocX", maskX);
        ReadNumber(attributes, "MaskLocY", maskY);
    }
    RCPtr<LVisualPartDescriptor> part(new LVisualPartDescriptor(
        partName, imageFile, RectL{imageX, imageY, partWidth, partHeight}, LongPair(partWidth, partHeight), resizeType,
        colorizer, alphaMod, maskFile, RectL{maskX, maskY, partWidth, partHeight}));
    m_parts.emplace(std::move(partName), std::move(part));
}

void LControlFactory::StartLook(const ExpatAttributes& attributes)
{
    const char* name = attributes.Find("Name");
    if (!name)
        return;
    WString lookName = ToText(name);
    m_currentLook = RCPtr<LLookDescriptor>(new LLookDescriptor(lookName));
    m_looks.emplace(std::move(lookName), m_currentLook);
}

void LControlFactory::StartClientPart(const ExpatAttributes& attributes)
{
    const char* name = attributes.Find("Name");
    if (!m_currentLook || !name || !attributes.Has("OffsetLeft") || !attributes.Has("OffsetTop") ||
        !attributes.Has("OffsetRight") || !attributes.Has("OffsetBottom"))
        return;
    const RCPtr<LVisualPartDescriptor> part = FindVisualPart(ToText(name));
    if (!part)
        return;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    ReadNumber(attributes, "OffsetLeft", left);
    ReadNumber(attributes, "OffsetTop", top);
    ReadNumber(attributes, "OffsetRight", right);
    ReadNumber(attributes, "OffsetBottom", bottom);
    m_currentLook->SetClientPart(
        RCPtr<LDockedPart>(new LDockedPart(part, 15, left, top, right, bottom, false, 0, false, 0)));
}

void LControlFactory::StartNonClientPart(const ExpatAttributes& attributes)
{
    const char* name = attributes.Find("Name");
    if (!m_currentLook || !name)
        return;
    const RCPtr<LVisualPartDescriptor> part = FindVisualPart(ToText(name));
    if (!part)
        return;
    static constexpr const char* kOffsets[4] = {"OffsetLeft", "OffsetTop", "OffsetRight", "OffsetBottom"};
    std::int32_t offsets[4] = {0, 0, 0, 0};
    std::uint32_t mask = 0;
    for (int edge = 0; edge < 4; ++edge)
    {
        if (const char* offset = attributes.Find(kOffsets[edge]))
        {
            mask |= 1u << edge;
            offsets[edge] = ToNumber(offset);
        }
    }
    std::int32_t width = 0, height = 0;
    ReadNumber(attributes, "Width", width);
    ReadNumber(attributes, "Height", height);
    m_currentLook->AddNonClientPart(RCPtr<LDockedPart>(new LDockedPart(
        part, mask, offsets[0], offsets[1], offsets[2], offsets[3], width > 0, width, height > 0, height)));
}

void LControlFactory::StartTextProperties(const ExpatAttributes& attributes)
{
    static constexpr const char* kRequired[] = {
        "TextLeftRel", "TextLeftAbs",   "TextRightRel",  "TextRightAbs", "TextHAlign",        "TextTopRel",
        "TextTopAbs",  "TextBottomRel", "TextBottomAbs", "TextVAlign",   "TextForegroundPart"};
    if (!m_currentLook)
        return;
    for (const char* required : kRequired)
        if (!attributes.Has(required))
            return;
    const RCPtr<LVisualPartDescriptor> foreground = FindVisualPart(ToText(attributes.Find("TextForegroundPart")));
    if (!foreground)
        return;
    LookTextProperties text;
    ReadReal(attributes, "TextLeftRel", text.TextLeftRel);
    ReadNumber(attributes, "TextLeftAbs", text.TextLeftAbs);
    ReadReal(attributes, "TextRightRel", text.TextRightRel);
    ReadNumber(attributes, "TextRightAbs", text.TextRightAbs);
    ReadReal(attributes, "TextHAlign", text.TextHAlign);
    ReadReal(attributes, "TextTopRel", text.TextTopRel);
    ReadNumber(attributes, "TextTopAbs", text.TextTopAbs);
    ReadReal(attributes, "TextBottomRel", text.TextBottomRel);
    ReadNumber(attributes, "TextBottomAbs", text.TextBottomAbs);
    ReadReal(attributes, "TextVAlign", text.TextVAlign);
    m_currentLook->SetTextProperties(text, foreground);
}

void LControlFactory::StartLookList(const ExpatAttributes& attributes)
{
    // The skins use a few dozen slots at most; a count past this is a broken document, not
    // a reason for a huge or negative allocation.
    constexpr std::int32_t kMaxLooks = 65535;
    const char* name = attributes.Find("Name");
    const char* count = attributes.Find("NumLooks");
    if (!name || !count)
        return;
    WString listName = ToText(name);
    RCPtr<LLookList> list = FindLookList(listName);
    if (list)
    {
        m_currentLookList = nullptr;
    }
    else
    {
        const std::int32_t slots = ToNumber(count);
        if (slots < 0 || slots > kMaxLooks)
            return;
        list = RCPtr<LLookList>(new LLookList(static_cast<std::uint32_t>(slots)));
        m_lookLists.emplace(std::move(listName), list);
        m_currentLookList = list;
    }
    if (m_openControl && m_openControl->Skin)
        m_openControl->Skin->SetLookList(list);
}

void LControlFactory::StartLookListEntry(const ExpatAttributes& attributes)
{
    const char* name = attributes.Find("Name");
    const char* index = attributes.Find("Index");
    if (!m_currentLookList || !name || !index)
        return;
    const RCPtr<LLookDescriptor> look = FindLook(ToText(name));
    const std::int32_t slot = ToInteger(index);
    if (!look || slot < 0 || static_cast<std::uint32_t>(slot) >= m_currentLookList->GetCount())
        return;
    *m_currentLookList->GetAt(static_cast<std::uint32_t>(slot)) = look;
}

void LControlFactory::StartSkin(const ExpatAttributes& attributes)
{
    // A skin without a name is ignored, with everything that would have hung on it.
    const char* name = attributes.Find("Name");
    if (!name)
        return;
    if (!m_openControl)
    {
        RCPtr<LControlDescriptor> root(new LControlDescriptor(WString(u"Application"), m_applicationName, nullptr));
        m_skins.Add(root);
        m_openControl = root;
        m_currentSkinRoot = root;
        RCPtr<LSkinDescriptor> skin(new LSkinDescriptor(ToText(name)));
        WString fontName;
        float fontSize = 0.0f;
        std::int32_t fontStyle = -1;
        ReadText(attributes, "FontName", fontName);
        ReadReal(attributes, "FontSize", fontSize);
        ReadNumber(attributes, "FontStyle", fontStyle);
        skin->FontName = fontName;
        skin->FontSize = fontSize;
        skin->FontStyle = fontStyle;
        root->SetSkin(skin);
        return;
    }
    RCPtr<LSkinDescriptor> skin(new LSkinDescriptor(ToText(name)));
    WString fontName = m_pendingFont.name;
    FindFontTranslation(m_pendingFont.name, fontName);
    skin->FontName = fontName;
    skin->FontSize = m_pendingFont.size;
    skin->FontStyle = m_pendingFont.style;
    skin->FontInheritsFromParent = m_pendingFont.inheritsFromParent;
    skin->FontSizeIsRelative = m_pendingFont.sizeIsRelative;
    if (const char* lookList = attributes.Find("LookList"))
    {
        if (RCPtr<LLookList> list = FindLookList(ToText(lookList)))
            skin->SetLookList(list);
    }
    m_openControl->SetSkin(skin);
}

void LControlFactory::StartFontTranslation(const ExpatAttributes& attributes)
{
    const char* name = attributes.Find("Name");
    const char* translation = attributes.Find("XLat");
    if (!name || !translation || m_fontLocale != static_cast<std::int64_t>(m_language))
        return;
    const WString fontName = ToText(name);
    const WString fontTranslation = ToText(translation);
    m_fontTranslations.emplace(fontName, fontTranslation);
    if (m_openControl && m_openControl->Skin && m_openControl->Skin->FontName.IsEqual(fontName))
        m_openControl->Skin->FontName = fontTranslation;
}

void LControlFactory::StartSubControl(const ExpatAttributes& attributes)
{
    const char* className = attributes.Find("Class");
    const char* name = attributes.Find("Name");
    // A fixed line number of the error text, not __LINE__: see docs/CONTRACT.md.
    if (!className || !name)
        Throw<std::runtime_error>(ThrowSite{"QK::LControlFactory::XMLStartElement", kSource, 1089},
                                  "Bad Subcontrol Element");

    RCPtr<LControlDescriptor> parent = m_openControl;
    RCPtr<LControlDescriptor> control(new LControlDescriptor(ToText(className), ToText(name), parent.Get()));
    if (parent)
        parent->Children.Add(control);
    else
        m_detachedControls.Add(control);
    m_openControl = control;

    m_pendingFont = PendingFont();
    SubControlFields fields{*control->Layout,
                            !parent || !parent->Class.IsEqual(u"Application"),
                            m_pendingFont.inheritsFromParent,
                            m_pendingFont.sizeIsRelative,
                            m_pendingFont.name,
                            m_pendingFont.size,
                            m_pendingFont.style};
    ReadSubControlAttributes(attributes, fields);
    if (!attributes.Has("FontSize"))
        m_pendingFont.sizeIsRelative = false;
}

} // namespace QK
