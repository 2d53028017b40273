// Sections: images and parts; looks; writing the document.
#include "tools/SkinArt/SkinModel.h"

#include <cstdio>
#include <stdexcept>

namespace SkinArt
{

namespace
{

std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        switch (c)
        {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Scaled(const std::string& name, int scale) { return name + "@" + std::to_string(scale); }

std::string Real(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string Hex(unsigned argb)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08X", argb);
    return text;
}

} // namespace

// ---- Images and parts -----------------------------------------------------------------------

const ImageSpec& SkinModel::Image(const std::string& kind, int width, int height, bool sizedName)
{
    const std::string stem =
        sizedName ? kind + "_" + std::to_string(width) + "x" + std::to_string(height) : kind;
    const auto found = m_imageIndex.find(stem);
    if (found != m_imageIndex.end())
    {
        const ImageSpec& known = m_images[found->second];
        if (known.kind != kind || known.width != width || known.height != height)
            throw std::logic_error("image " + stem + " asked for with two sizes");
        return known;
    }
    ImageSpec image{kind, stem, width, height, StatesOfKind(kind)};
    if (image.states.empty())
        throw std::logic_error("no drawing for the image kind " + kind);
    m_imageIndex.emplace(stem, m_images.size());
    m_images.push_back(std::move(image));
    return m_images.back();
}

std::string SkinModel::StatePart(const ImageSpec& image, const std::string& state, const char* resize)
{
    std::string name = image.stem + "." + state;
    if (m_partIndex.count(name) == 0)
    {
        int index = -1;
        for (std::size_t i = 0; i < image.states.size(); ++i)
            if (image.states[i] == state)
                index = static_cast<int>(i);
        if (index < 0)
            throw std::logic_error("image " + image.stem + " has no state " + state);
        m_partIndex.emplace(name, m_parts.size());
        m_parts.push_back({name, &image, 0, index * image.height, image.width, image.height, resize, ""});
    }
    return name;
}

std::string SkinModel::RectPart(const ImageSpec& image, const std::string& state, int x, int y, int w, int h,
                                const std::string& suffix)
{
    std::string name = image.stem + "." + state + "." + suffix;
    if (m_partIndex.count(name) == 0)
    {
        int index = 0;
        for (std::size_t i = 0; i < image.states.size(); ++i)
            if (image.states[i] == state)
                index = static_cast<int>(i);
        m_partIndex.emplace(name, m_parts.size());
        m_parts.push_back({name, &image, x, index * image.height + y, w, h, "Stretch", ""});
    }
    return name;
}

std::string SkinModel::ColorPart(const std::string& name, unsigned argb)
{
    if (m_partIndex.count(name) == 0)
    {
        m_colorizers.emplace_back(name, argb);
        m_partIndex.emplace(name, m_parts.size());
        m_parts.push_back({name, nullptr, 0, 0, 1, 1, "Stretch", name});
    }
    return name;
}

// ---- Looks ----------------------------------------------------------------------------------

void SkinModel::AddLook(const Look& look)
{
    if (m_lookIndex.count(look.name) != 0)
        return;
    m_lookIndex.emplace(look.name, m_looks.size());
    m_looks.push_back(look);
}

void SkinModel::AddLookList(const std::string& name, int count,
                            const std::vector<std::pair<int, std::string>>& slots)
{
    if (m_lookListIndex.count(name) != 0)
        return;
    for (const auto& [index, look] : slots)
        if (m_lookIndex.count(look) == 0 || index < 0 || index >= count)
            throw std::logic_error("look list " + name + " names an unknown look or slot");
    m_lookListIndex.emplace(name, m_lookLists.size());
    m_lookLists.push_back({name, count, slots});
}

// ---- Writing the document -------------------------------------------------------------------

void SkinModel::WriteControl(std::ostream& out, const Control& control, int scale, int depth) const
{
    if (!control.lookList.empty() && m_lookListIndex.count(control.lookList) == 0)
        throw std::logic_error("control " + control.name + " names the unknown look list " + control.lookList);
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    out << indent << "<SubControl Class=\"" << Escape(control.cls) << "\" Name=\"" << Escape(control.name) << "\"";
    out << " XPositionAbs=\"" << control.x * scale << "\" YPositionAbs=\"" << control.y * scale << "\"";
    out << " XSizeAbs=\"" << control.w * scale << "\" YSizeAbs=\"" << control.h * scale << "\"";
    for (const auto& [key, value] : control.attributes)
        out << " " << key << "=\"" << Escape(value) << "\"";
    for (const auto& [key, value] : control.scaledAttributes)
        out << " " << key << "=\"" << Real(value * scale) << "\"";
    out << ">\n";
    if (!control.lookList.empty())
        out << indent << "  <Skin Name=\"" << Escape(control.name) << "\" LookList=\""
            << Escape(Scaled(control.lookList, scale)) << "\"/>\n";
    if (!control.params.empty())
    {
        out << indent << "  <CreateParamList>\n";
        for (const auto& [key, value] : control.params)
            out << indent << "    <CreateParam ID=\"" << Escape(key) << "\" Type=\"Boolean\">" << Escape(value)
                << "</CreateParam>\n";
        out << indent << "  </CreateParamList>\n";
    }
    for (const Control& child : control.children)
        WriteControl(out, child, scale, depth + 1);
    out << indent << "</SubControl>\n";
}

void SkinModel::Write(std::ostream& out) const
{
    static const int kScales[2] = {2, 1};
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out << "<!-- Written by vedidu_skin_art from one description at two scales; do not edit. -->\n";
    out << "<Zelvo_Skin_Definitions>\n";
    out << "  <Application Name=\"PresetEditor\"/>\n";

    out << "  <Colorizers>\n";
    for (const auto& [name, argb] : m_colorizers)
        out << "    <Colorizer Name=\"" << name << "\" ColorType=\"SolidFill\" Color=\"" << Hex(argb) << "\"/>\n";
    out << "  </Colorizers>\n";

    out << "  <Parts>\n";
    for (const Part& part : m_parts)
        if (!part.image)
            out << "    <Part Name=\"" << part.name << "\" Width=\"1\" Height=\"1\" ResizeType=\"Stretch\" ColorizerName=\""
                << part.colorizer << "\"/>\n";
    for (int scale : kScales)
        for (const Part& part : m_parts)
            if (part.image)
                out << "    <Part Name=\"" << Scaled(part.name, scale) << "\" Width=\"" << part.w * scale
                    << "\" Height=\"" << part.h * scale << "\" ResizeType=\"" << part.resize << "\" ImageFile=\""
                    << ImageFileName(part.image->stem, scale) << "\" ImageLocX=\"" << part.x * scale
                    << "\" ImageLocY=\"" << part.y * scale << "\"/>\n";
    out << "  </Parts>\n";

    const auto partName = [this](const std::string& name, int scale) {
        const auto found = m_partIndex.find(name);
        if (found == m_partIndex.end())
            throw std::logic_error("unknown part " + name);
        return m_parts[found->second].image ? Scaled(name, scale) : name;
    };

    out << "  <Looks>\n";
    for (int scale : kScales)
        for (const Look& look : m_looks)
        {
            out << "    <Look Name=\"" << Scaled(look.name, scale) << "\">\n";
            if (!look.clientPart.empty())
            {
                const int inset = look.clientInset * scale;
                out << "      <ClientPart Name=\"" << partName(look.clientPart, scale) << "\" OffsetLeft=\"" << inset
                    << "\" OffsetTop=\"" << inset << "\" OffsetRight=\"" << -inset << "\" OffsetBottom=\"" << -inset
                    << "\"/>\n";
            }
            if (!look.nonClient.empty())
            {
                out << "      <NonClientParts>\n";
                for (const DockedPart& docked : look.nonClient)
                {
                    out << "        <NonClientPart Name=\"" << partName(docked.part, scale) << "\"";
                    if (docked.left)
                        out << " OffsetLeft=\"" << docked.offsetLeft * scale << "\"";
                    if (docked.top)
                        out << " OffsetTop=\"" << docked.offsetTop * scale << "\"";
                    if (docked.right)
                        out << " OffsetRight=\"" << docked.offsetRight * scale << "\"";
                    if (docked.bottom)
                        out << " OffsetBottom=\"" << docked.offsetBottom * scale << "\"";
                    if (docked.width > 0)
                        out << " Width=\"" << docked.width * scale << "\"";
                    if (docked.height > 0)
                        out << " Height=\"" << docked.height * scale << "\"";
                    out << "/>\n";
                }
                out << "      </NonClientParts>\n";
            }
            if (look.hasText)
            {
                const TextBox& t = look.text;
                out << "      <TextProperties TextLeftRel=\"" << Real(t.leftRel) << "\" TextLeftAbs=\""
                    << t.leftAbs * scale << "\" TextRightRel=\"" << Real(t.rightRel) << "\" TextRightAbs=\""
                    << t.rightAbs * scale << "\" TextHAlign=\"" << Real(t.hAlign) << "\" TextTopRel=\""
                    << Real(t.topRel) << "\" TextTopAbs=\"" << t.topAbs * scale << "\" TextBottomRel=\""
                    << Real(t.bottomRel) << "\" TextBottomAbs=\"" << t.bottomAbs * scale << "\" TextVAlign=\""
                    << Real(t.vAlign) << "\" TextForegroundPart=\"" << partName(t.foreground, scale) << "\"/>\n";
            }
            out << "    </Look>\n";
        }
    out << "  </Looks>\n";

    out << "  <LookLists>\n";
    for (int scale : kScales)
        for (const LookList& list : m_lookLists)
        {
            out << "    <LookList Name=\"" << Scaled(list.name, scale) << "\" NumLooks=\"" << list.count << "\">\n";
            for (const auto& [index, look] : list.slots)
                out << "      <Look Name=\"" << Scaled(look, scale) << "\" Index=\"" << index << "\"/>\n";
            out << "    </LookList>\n";
        }
    out << "  </LookLists>\n";

    out << "  <Skins>\n";
    for (int scale : kScales)
    {
        out << "    <Skin Name=\"" << (scale == 2 ? "DE40_HighDPI" : "DE40_StandardDPI")
            << "\" FontName=\"Arial\" FontSize=\"" << 9 * scale << "\" FontStyle=\"0\">\n";
        for (const Control& control : m_topLevel)
            WriteControl(out, control, scale, 3);
        out << "    </Skin>\n";
    }
    out << "  </Skins>\n";
    out << "</Zelvo_Skin_Definitions>\n";
}

} // namespace SkinArt
