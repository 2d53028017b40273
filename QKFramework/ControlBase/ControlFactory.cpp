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
#include <string>

namespace QK
{

namespace
{

constexpr const char* kSource = "ControlBase\\ControlFactory";

// 1. Attribute values -------------------------------------------------------------------

const WString* FindAttribute(const StringMap& attributes, const char16_t* name)
{
    // An element has a handful of attributes, and each lookup is asked for by a literal: a
    // walk that makes no string is faster than a search for a string made for it.
    for (const auto& [key, value] : attributes)
        if (key.IsEqual(name))
            return &value;
    return nullptr;
}

bool HasAttribute(const StringMap& attributes, const char16_t* name)
{
    return FindAttribute(attributes, name) != nullptr;
}

// The exact "True" is true; any other text is false.
bool ToBoolean(const WString& text)
{
    return text.IsEqual(u"True");
}

// "0x" and at most four hexadecimal digits; otherwise the decimal integer at the start.
std::int32_t ToNumber(const WString& text)
{
    const NString narrow(text.GetString());
    const char* chars = narrow.GetString();
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

std::int32_t ToInteger(const WString& text)
{
    return ParseInt(text.GetString());
}

double ToReal(const WString& text)
{
    return ParseDouble(text.GetString());
}

ColorRGBA ToColour(const WString& text)
{
    ColorRGBA colour;
    colour.FromHexString(NString(text.GetString()).GetString());
    return colour;
}

// Readers that leave the target alone when the attribute is missing.
void Read(const StringMap& attributes, const char16_t* name, bool& target)
{
    if (const WString* value = FindAttribute(attributes, name))
        target = ToBoolean(*value);
}

void ReadNumber(const StringMap& attributes, const char16_t* name, std::int32_t& target)
{
    if (const WString* value = FindAttribute(attributes, name))
        target = ToNumber(*value);
}

void ReadInteger(const StringMap& attributes, const char16_t* name, std::int32_t& target)
{
    if (const WString* value = FindAttribute(attributes, name))
        target = ToInteger(*value);
}

void ReadIntegerAsDouble(const StringMap& attributes, const char16_t* name, double& target)
{
    if (const WString* value = FindAttribute(attributes, name))
        target = ToInteger(*value);
}

void ReadReal(const StringMap& attributes, const char16_t* name, float& target)
{
    if (const WString* value = FindAttribute(attributes, name))
        target = static_cast<float>(ToReal(*value));
}

void ReadText(const StringMap& attributes, const char16_t* name, WString& target)
{
    if (const WString* value = FindAttribute(attributes, name))
        target = *value;
}

std::u16string AxisName(const char16_t* axis, const char16_t* name)
{
    return std::u16string(axis) + name;
}

bool IsParentReference(const WString& text)
{
    return text.IsEqual(u"Parent") || text.IsEqual(u"Screen");
}

bool IsClientReference(const WString& text)
{
    return text.IsEqual(u"Client") || text.IsEqual(u"Active Window");
}

void ReadLimit(const StringMap& attributes, const char16_t* axis, const char16_t* which, LayoutLimit& limit)
{
    const auto key = [&](const char16_t* suffix) { return std::u16string(axis) + which + suffix; };
    if (const WString* reference = FindAttribute(attributes, key(u"ToControl").c_str()))
    {
        limit.HasReference = !reference->IsEqual(u"Self");
        if (limit.HasReference)
            limit.Name = *reference;
    }
    ReadReal(attributes, key(u"Rel").c_str(), limit.Rel);
    ReadIntegerAsDouble(attributes, key(u"Abs").c_str(), limit.Abs);
}

// One axis of a "SubControl": axis is "X" or "Y".
void ReadAxis(const StringMap& attributes, const char16_t* axis, AxisSpec& spec, bool& docked)
{
    ReadReal(attributes, AxisName(axis, u"PlacementAnchor").c_str(), spec.PlacementAnchor);
    Read(attributes, AxisName(axis, u"IsDocked").c_str(), docked);

    if (const WString* reference = FindAttribute(attributes, AxisName(axis, u"PositionToControl").c_str()))
    {
        spec.Position.Kind = IsParentReference(*reference) ? 0 : IsClientReference(*reference) ? 1 : 2;
        if (spec.Position.Kind == 2)
            spec.Position.Name = *reference;
    }
    ReadReal(attributes, AxisName(axis, u"PositionRel").c_str(), spec.Position.Rel);
    ReadIntegerAsDouble(attributes, AxisName(axis, u"PositionAbs").c_str(), spec.Position.Abs);

    if (const WString* reference = FindAttribute(attributes, AxisName(axis, u"SizeToControl").c_str()))
    {
        spec.Size.Kind = IsParentReference(*reference)   ? 0
                         : IsClientReference(*reference) ? 1
                         : reference->IsEqual(u"Self")   ? 2
                                                         : 3;
        if (spec.Size.Kind == 3)
            spec.Size.Name = *reference;
    }
    ReadReal(attributes, AxisName(axis, u"SizeRel").c_str(), spec.Size.Rel);
    ReadIntegerAsDouble(attributes, AxisName(axis, u"SizeAbs").c_str(), spec.Size.Abs);

    ReadLimit(attributes, axis, u"MinSize", spec.MinSize);
    ReadLimit(attributes, axis, u"MaxSize", spec.MaxSize);
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
    context->frame.Run([&] {
        StringMap map;
        for (const XML_Char** pair = attributes; pair && pair[0] && pair[1]; pair += 2)
            map[WString(pair[0])] = WString(pair[1]);
        context->factory->XMLStartElement(WString(name), map);
    });
}

void XMLCALL OnEndElement(void* user, const XML_Char* name)
{
    auto* context = static_cast<ParseContext*>(user);
    context->frame.Run([&] { context->factory->XMLEndElement(WString(name)); });
}

void XMLCALL OnCharacterData(void* user, const XML_Char* text, int length)
{
    auto* context = static_cast<ParseContext*>(user);
    if (length <= 0)
        return;
    context->frame.Run([&] {
        WString piece;
        piece.Convert(text, length);
        context->factory->XMLCharacterData(piece);
    });
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

void LControlFactory::XMLStartElement(const WString& name, const StringMap& attributes)
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

void LControlFactory::XMLEndElement(const WString& name)
{
    if (m_stringTableMode)
    {
        m_collecting = false;
        m_currentEntry = nullptr;
        return;
    }
    if (name.IsEqual(u"CreateParam"))
    {
        m_collectingParam = false;
    }
    else if (name.IsEqual(u"Looks"))
    {
        m_inLooks = false;
    }
    else if (name.IsEqual(u"CreateParamList"))
    {
        if (m_openControl && m_currentParamList)
            m_openControl->SetCreateParams(m_currentParamList);
        m_currentParamList = nullptr;
        m_collectingParam = false;
    }
    else if (name.IsEqual(u"SubControl"))
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
    else if (name.IsEqual(u"Skin"))
    {
        if (m_openControl && m_openControl == m_currentSkinRoot)
            m_openControl = nullptr;
    }
}

void LControlFactory::XMLCharacterData(const WString& text)
{
    if (m_stringTableMode)
    {
        if (m_collecting && m_currentEntry)
            m_currentEntry->Append(text);
        return;
    }
    // Each piece replaces the text before it; a parameter without an ID takes nothing.
    if (m_collectingParam && m_currentParamList && !m_currentParamID.IsEmpty())
        (*m_currentParamList)[m_currentParamID] = text;
}

// 5. String-table mode -----------------------------------------------------------------------

void LControlFactory::StringTableStartElement(const WString& name, const StringMap& attributes)
{
    if (name.IsEqual(u"Application"))
    {
        const WString* applicationName = FindAttribute(attributes, u"Name");
        if (applicationName && !applicationName->IsEqual(m_applicationName))
            m_applicationName = *applicationName;
    }
    else if (name.IsEqual(u"StringTable"))
    {
        // A table without an ID takes nothing: its strings have nowhere to go.
        const WString* id = FindAttribute(attributes, u"ID");
        m_currentTable = id ? &m_stringTables[*id] : nullptr;
    }
    else if (name.IsEqual(u"String"))
    {
        const WString* id = FindAttribute(attributes, u"ID");
        m_currentID = id ? *id : WString();
    }
    else if (name.IsEqual(u"Locale"))
    {
        // A "Locale" without its language names none.
        const WString* lcid = FindAttribute(attributes, u"LCID");
        if (!lcid || static_cast<std::uint32_t>(ToNumber(*lcid)) != m_language)
            return;
        ++m_matchCount;
        if (!m_currentTable || m_currentID.IsEmpty())
            return;
        m_currentEntry = &(*m_currentTable)[m_currentID];
        m_collecting = true;
    }
}

// 6. Skin mode -------------------------------------------------------------------------------

void LControlFactory::SkinStartElement(const WString& name, const StringMap& attributes)
{
    if (name.IsEqual(u"Application"))
    {
        ReadText(attributes, u"Name", m_applicationName);
    }
    else if (name.IsEqual(u"Colorizer"))
    {
        StartColorizer(attributes);
    }
    else if (name.IsEqual(u"Part"))
    {
        StartPart(attributes);
    }
    else if (name.IsEqual(u"Looks"))
    {
        m_inLooks = true;
    }
    else if (name.IsEqual(u"Look"))
    {
        if (m_inLooks)
            StartLook(attributes);
        else
            StartLookListEntry(attributes);
    }
    else if (name.IsEqual(u"ClientPart"))
    {
        StartClientPart(attributes);
    }
    else if (name.IsEqual(u"NonClientPart"))
    {
        StartNonClientPart(attributes);
    }
    else if (name.IsEqual(u"TextProperties"))
    {
        StartTextProperties(attributes);
    }
    else if (name.IsEqual(u"LookLists"))
    {
        m_openControl = nullptr;
    }
    else if (name.IsEqual(u"LookList"))
    {
        StartLookList(attributes);
    }
    else if (name.IsEqual(u"Skin"))
    {
        StartSkin(attributes);
    }
    else if (name.IsEqual(u"FontLocale"))
    {
        if (const WString* lcid = FindAttribute(attributes, u"LCID"))
            m_fontLocale = static_cast<std::uint32_t>(ToNumber(*lcid));
    }
    else if (name.IsEqual(u"FontXLat"))
    {
        StartFontTranslation(attributes);
    }
    else if (name.IsEqual(u"SubControl"))
    {
        StartSubControl(attributes);
    }
    else if (name.IsEqual(u"CreateParamList"))
    {
        m_currentParamList = RCPtr<LStringTable>(new LStringTable());
    }
    else if (name.IsEqual(u"CreateParam"))
    {
        ReadText(attributes, u"ID", m_currentParamID = WString());
        m_collectingParam = true;
    }
}

void LControlFactory::StartColorizer(const StringMap& attributes)
{
    const WString* name = FindAttribute(attributes, u"Name");
    const WString* type = FindAttribute(attributes, u"ColorType");
    const WString* colour = FindAttribute(attributes, u"Color");
    if (!name || !type || !colour)
        return;
    std::int32_t colorType = 0;
    if (type->IsEqual(u"LinearGradient"))
        colorType = 1;
    else if (type->IsEqual(u"RadialGradient"))
        colorType = 2;
    const bool gradientComplete = HasAttribute(attributes, u"GradientEndColor") &&
                                  HasAttribute(attributes, u"GradientStartX") &&
                                  HasAttribute(attributes, u"GradientStartY") &&
                                  HasAttribute(attributes, u"GradientEndX") && HasAttribute(attributes, u"GradientEndY");
    if (!gradientComplete)
        colorType = 0;

    ColorRGBA endColour;
    if (colorType != 0)
        endColour = ToColour(*FindAttribute(attributes, u"GradientEndColor"));
    float startX = 0.0f, startY = 0.0f, endX = 0.0f, endY = 0.0f;
    ReadReal(attributes, u"GradientStartX", startX);
    ReadReal(attributes, u"GradientStartY", startY);
    ReadReal(attributes, u"GradientEndX", endX);
    ReadReal(attributes, u"GradientEndY", endY);
    if (m_colorizers.count(*name))
        return;
    m_colorizers.emplace(*name, RCPtr<LColorizer>(new LColorizer(*name, colorType, ToColour(*colour), endColour,
                                                                  startX, startY, endX, endY)));
}

void LControlFactory::StartPart(const StringMap& attributes)
{
    const WString* name = FindAttribute(attributes, u"Name");
    const WString* width = FindAttribute(attributes, u"Width");
    const WString* height = FindAttribute(attributes, u"Height");
    const WString* resize = FindAttribute(attributes, u"ResizeType");
    if (!name || !width || !height || !resize || m_parts.count(*name))
        return;
    const std::int32_t partWidth = ToNumber(*width);
    const std::int32_t partHeight = ToNumber(*height);
    std::int32_t resizeType = 0;
    if (resize->IsEqual(u"Tile"))
        resizeType = 1;
    else if (resize->IsEqual(u"Center"))
        resizeType = 2;

    WString imageFile;
    std::int32_t imageX = 0, imageY = 0;
    const WString* image = FindAttribute(attributes, u"ImageFile");
    if (image && !image->IsEmpty() && HasAttribute(attributes, u"ImageLocX") &&
        HasAttribute(attributes, u"ImageLocY"))
    {
        imageFile = m_sourceFolder + image->ToLower();
        ReadNumber(attributes, u"ImageLocX", imageX);
        ReadNumber(attributes, u"ImageLocY", imageY);
    }
    RCPtr<LColorizer> colorizer;
    if (const WString* colorizerName = FindAttribute(attributes, u"ColorizerName"))
        colorizer = FindColorizer(*colorizerName);
    if (imageFile.IsEmpty() && !colorizer)
        return;

    float alphaMod = 1.0f;
    ReadReal(attributes, u"ColorizerAlphaMod", alphaMod);
    WString maskFile;
    std::int32_t maskX = 0, maskY = 0;
    const WString* mask = FindAttribute(attributes, u"ColorizerMaskFile");
    if (mask && HasAttribute(attributes, u"MaskLocX") && HasAttribute(attributes, u"MaskLocY"))
    {
        maskFile = m_sourceFolder + *mask;
        ReadNumber(attributes, u"MaskLocX", maskX);
        ReadNumber(attributes, u"MaskLocY", maskY);
    }
    RCPtr<LVisualPartDescriptor> part(new LVisualPartDescriptor(
        *name, imageFile, RectL{imageX, imageY, partWidth, partHeight}, LongPair(partWidth, partHeight), resizeType,
        colorizer, alphaMod, maskFile, RectL{maskX, maskY, partWidth, partHeight}));
    m_parts.emplace(*name, part);
}

void LControlFactory::StartLook(const StringMap& attributes)
{
    const WString* name = FindAttribute(attributes, u"Name");
    if (!name)
        return;
    m_currentLook = RCPtr<LLookDescriptor>(new LLookDescriptor(*name));
    m_looks.emplace(*name, m_currentLook);
}

void LControlFactory::StartClientPart(const StringMap& attributes)
{
    const WString* name = FindAttribute(attributes, u"Name");
    if (!m_currentLook || !name || !HasAttribute(attributes, u"OffsetLeft") || !HasAttribute(attributes, u"OffsetTop") ||
        !HasAttribute(attributes, u"OffsetRight") || !HasAttribute(attributes, u"OffsetBottom"))
        return;
    const RCPtr<LVisualPartDescriptor> part = FindVisualPart(*name);
    if (!part)
        return;
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    ReadNumber(attributes, u"OffsetLeft", left);
    ReadNumber(attributes, u"OffsetTop", top);
    ReadNumber(attributes, u"OffsetRight", right);
    ReadNumber(attributes, u"OffsetBottom", bottom);
    m_currentLook->SetClientPart(
        RCPtr<LDockedPart>(new LDockedPart(part, 15, left, top, right, bottom, false, 0, false, 0)));
}

void LControlFactory::StartNonClientPart(const StringMap& attributes)
{
    const WString* name = FindAttribute(attributes, u"Name");
    if (!m_currentLook || !name)
        return;
    const RCPtr<LVisualPartDescriptor> part = FindVisualPart(*name);
    if (!part)
        return;
    static constexpr const char16_t* kOffsets[4] = {u"OffsetLeft", u"OffsetTop", u"OffsetRight", u"OffsetBottom"};
    std::int32_t offsets[4] = {0, 0, 0, 0};
    std::uint32_t mask = 0;
    for (int edge = 0; edge < 4; ++edge)
    {
        if (HasAttribute(attributes, kOffsets[edge]))
        {
            mask |= 1u << edge;
            ReadNumber(attributes, kOffsets[edge], offsets[edge]);
        }
    }
    std::int32_t width = 0, height = 0;
    ReadNumber(attributes, u"Width", width);
    ReadNumber(attributes, u"Height", height);
    m_currentLook->AddNonClientPart(RCPtr<LDockedPart>(new LDockedPart(
        part, mask, offsets[0], offsets[1], offsets[2], offsets[3], width > 0, width, height > 0, height)));
}

void LControlFactory::StartTextProperties(const StringMap& attributes)
{
    static constexpr const char16_t* kRequired[] = {
        u"TextLeftRel",   u"TextLeftAbs",    u"TextRightRel",      u"TextRightAbs", u"TextHAlign", u"TextTopRel",
        u"TextTopAbs",    u"TextBottomRel",  u"TextBottomAbs",     u"TextVAlign",   u"TextForegroundPart"};
    if (!m_currentLook)
        return;
    for (const char16_t* required : kRequired)
        if (!HasAttribute(attributes, required))
            return;
    const RCPtr<LVisualPartDescriptor> foreground = FindVisualPart(*FindAttribute(attributes, u"TextForegroundPart"));
    if (!foreground)
        return;
    LookTextProperties text;
    ReadReal(attributes, u"TextLeftRel", text.TextLeftRel);
    ReadNumber(attributes, u"TextLeftAbs", text.TextLeftAbs);
    ReadReal(attributes, u"TextRightRel", text.TextRightRel);
    ReadNumber(attributes, u"TextRightAbs", text.TextRightAbs);
    ReadReal(attributes, u"TextHAlign", text.TextHAlign);
    ReadReal(attributes, u"TextTopRel", text.TextTopRel);
    ReadNumber(attributes, u"TextTopAbs", text.TextTopAbs);
    ReadReal(attributes, u"TextBottomRel", text.TextBottomRel);
    ReadNumber(attributes, u"TextBottomAbs", text.TextBottomAbs);
    ReadReal(attributes, u"TextVAlign", text.TextVAlign);
    m_currentLook->SetTextProperties(text, foreground);
}

void LControlFactory::StartLookList(const StringMap& attributes)
{
    // The skins use a few dozen slots at most; a count past this is a broken document, not
    // a reason for a huge or negative allocation.
    constexpr std::int32_t kMaxLooks = 65535;
    const WString* name = FindAttribute(attributes, u"Name");
    const WString* count = FindAttribute(attributes, u"NumLooks");
    if (!name || !count)
        return;
    RCPtr<LLookList> list = FindLookList(*name);
    if (list)
    {
        m_currentLookList = nullptr;
    }
    else
    {
        const std::int32_t slots = ToNumber(*count);
        if (slots < 0 || slots > kMaxLooks)
            return;
        list = RCPtr<LLookList>(new LLookList(static_cast<std::uint32_t>(slots)));
        m_lookLists.emplace(*name, list);
        m_currentLookList = list;
    }
    if (m_openControl && m_openControl->Skin)
        m_openControl->Skin->SetLookList(list);
}

void LControlFactory::StartLookListEntry(const StringMap& attributes)
{
    const WString* name = FindAttribute(attributes, u"Name");
    const WString* index = FindAttribute(attributes, u"Index");
    if (!m_currentLookList || !name || !index)
        return;
    const RCPtr<LLookDescriptor> look = FindLook(*name);
    const std::int32_t slot = ToInteger(*index);
    if (!look || slot < 0 || static_cast<std::uint32_t>(slot) >= m_currentLookList->GetCount())
        return;
    *m_currentLookList->GetAt(static_cast<std::uint32_t>(slot)) = look;
}

void LControlFactory::StartSkin(const StringMap& attributes)
{
    // A skin without a name is ignored, with everything that would have hung on it.
    const WString* name = FindAttribute(attributes, u"Name");
    if (!name)
        return;
    if (!m_openControl)
    {
        RCPtr<LControlDescriptor> root(new LControlDescriptor(WString(u"Application"), m_applicationName, nullptr));
        m_skins.Add(root);
        m_openControl = root;
        m_currentSkinRoot = root;
        RCPtr<LSkinDescriptor> skin(new LSkinDescriptor(*name));
        WString fontName;
        float fontSize = 0.0f;
        std::int32_t fontStyle = -1;
        ReadText(attributes, u"FontName", fontName);
        ReadReal(attributes, u"FontSize", fontSize);
        ReadNumber(attributes, u"FontStyle", fontStyle);
        skin->FontName = fontName;
        skin->FontSize = fontSize;
        skin->FontStyle = fontStyle;
        root->SetSkin(skin);
        return;
    }
    RCPtr<LSkinDescriptor> skin(new LSkinDescriptor(*name));
    WString fontName = m_pendingFont.name;
    FindFontTranslation(m_pendingFont.name, fontName);
    skin->FontName = fontName;
    skin->FontSize = m_pendingFont.size;
    skin->FontStyle = m_pendingFont.style;
    skin->FontInheritsFromParent = m_pendingFont.inheritsFromParent;
    skin->FontSizeIsRelative = m_pendingFont.sizeIsRelative;
    if (const WString* lookList = FindAttribute(attributes, u"LookList"))
    {
        if (RCPtr<LLookList> list = FindLookList(*lookList))
            skin->SetLookList(list);
    }
    m_openControl->SetSkin(skin);
}

void LControlFactory::StartFontTranslation(const StringMap& attributes)
{
    const WString* name = FindAttribute(attributes, u"Name");
    const WString* translation = FindAttribute(attributes, u"XLat");
    if (!name || !translation || m_fontLocale != static_cast<std::int64_t>(m_language))
        return;
    m_fontTranslations.emplace(*name, *translation);
    if (m_openControl && m_openControl->Skin && m_openControl->Skin->FontName.IsEqual(*name))
        m_openControl->Skin->FontName = *translation;
}

void LControlFactory::StartSubControl(const StringMap& attributes)
{
    const WString* className = FindAttribute(attributes, u"Class");
    const WString* name = FindAttribute(attributes, u"Name");
    if (!className || !name)
        Throw<std::runtime_error>(ThrowSite{"QK::LControlFactory::XMLStartElement", kSource, 1089},
                                  "Bad Subcontrol Element");

    RCPtr<LControlDescriptor> parent = m_openControl;
    RCPtr<LControlDescriptor> control(new LControlDescriptor(*className, *name, parent.Get()));
    if (parent)
        parent->Children.Add(control);
    else
        m_detachedControls.Add(control);
    m_openControl = control;

    LLayoutDescriptor& layout = *control->Layout;
    Read(attributes, u"ClipToParent", layout.ClipToParent);
    ReadInteger(attributes, u"Z_Order", layout.ZOrder);
    ReadNumber(attributes, u"LayoutOrder", layout.LayoutOrder);
    if (!parent || !parent->Class.IsEqual(u"Application"))
    {
        ReadInteger(attributes, u"TabStop", layout.TabStop);
        Read(attributes, u"IsVisible", layout.IsVisible);
    }
    ReadAxis(attributes, u"X", layout.X, layout.XIsDocked);
    ReadAxis(attributes, u"Y", layout.Y, layout.YIsDocked);
    ReadText(attributes, u"TextDecoration", layout.TextDecoration);
    if (const WString* overflow = FindAttribute(attributes, u"TextOverflowXType"))
    {
        if (overflow->IsEqual(u"Clip"))
            layout.TextOverflowX = 0;
        else if (overflow->IsEqual(u"Expand"))
            layout.TextOverflowX = 1;
        else if (overflow->IsEqual(u"Wrap"))
            layout.TextOverflowX = 2;
    }
    if (const WString* overflow = FindAttribute(attributes, u"TextOverflowYType"))
    {
        if (overflow->IsEqual(u"Clip"))
            layout.TextOverflowY = 0;
        else if (overflow->IsEqual(u"Expand"))
            layout.TextOverflowY = 1;
    }

    m_pendingFont = PendingFont();
    Read(attributes, u"FontInheritsFromParent", m_pendingFont.inheritsFromParent);
    Read(attributes, u"FontSizeIsRelative", m_pendingFont.sizeIsRelative);
    ReadText(attributes, u"FontName", m_pendingFont.name);
    ReadReal(attributes, u"FontSize", m_pendingFont.size);
    ReadNumber(attributes, u"FontStyle", m_pendingFont.style);
    if (!HasAttribute(attributes, u"FontSize"))
        m_pendingFont.sizeIsRelative = false;
}

} // namespace QK
