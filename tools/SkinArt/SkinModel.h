// The skin as one description in standard pixels, written out once per scale.
//
// The description holds the images, the visual parts cut from them (or filled by a colour),
// the looks and look lists built from the parts, and the tree of controls of both skins. The
// writer turns it into the skin document: every part, look and look list once per scale (their
// names carry "@1" or "@2"), then the skins "DE40_HighDPI" (scale 2) and "DE40_StandardDPI"
// (scale 1), every position, size and offset multiplied by the scale.
#pragma once

#include "tools/SkinArt/Art.h"

#include <deque>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace SkinArt
{

// Text box of a look: edges as a fraction of the control plus standard pixels.
struct TextBox
{
    double leftRel = 0, rightRel = 1, topRel = 0, bottomRel = 1;
    int leftAbs = 3, rightAbs = -3, topAbs = 0, bottomAbs = 0;
    double hAlign = 0.5, vAlign = 0.5;
    std::string foreground; // a colour part
};

struct DockedPart
{
    std::string part;
    bool left = false, top = false, right = false, bottom = false;
    int offsetLeft = 0, offsetTop = 0, offsetRight = 0, offsetBottom = 0;
    int width = 0, height = 0; // fixed size when above 0
};

struct Look
{
    std::string name;
    std::string clientPart; // empty: none
    int clientInset = 0;    // client part offsets on every edge
    std::vector<DockedPart> nonClient;
    bool hasText = false;
    TextBox text;
};

struct Control
{
    std::string cls;
    std::string name;
    int x = 0, y = 0, w = 16, h = 16;
    std::string lookList; // empty: no nested skin
    std::vector<std::pair<std::string, std::string>> attributes; // written as they stand
    std::vector<std::pair<std::string, double>> scaledAttributes; // multiplied by the scale
    std::vector<std::pair<std::string, std::string>> params;
    std::vector<Control> children;

    Control& Add(Control child)
    {
        children.push_back(std::move(child));
        return children.back();
    }
    Control& Attr(const std::string& key, const std::string& value)
    {
        attributes.emplace_back(key, value);
        return *this;
    }
    Control& Scaled(const std::string& key, double value)
    {
        scaledAttributes.emplace_back(key, value);
        return *this;
    }
    Control& Param(const std::string& key, const std::string& value)
    {
        params.emplace_back(key, value);
        return *this;
    }
};

class SkinModel
{
public:
    // Images -------------------------------------------------------------------------------
    // The image of a kind at a size (registered on first use); its stem is the kind with the
    // size for widgets drawn per size, the kind alone for sized pictures.
    const ImageSpec& Image(const std::string& kind, int width, int height, bool sizedName = true);
    const std::deque<ImageSpec>& Images() const { return m_images; }

    // Parts --------------------------------------------------------------------------------
    // A part showing one state of an image (or a rectangle of it); returns the part's name.
    std::string StatePart(const ImageSpec& image, const std::string& state, const char* resize = "Stretch");
    std::string RectPart(const ImageSpec& image, const std::string& state, int x, int y, int w, int h,
                         const std::string& suffix);
    // A part filled by a solid colour (scale-free).
    std::string ColorPart(const std::string& name, unsigned argb);

    // Looks --------------------------------------------------------------------------------
    void AddLook(const Look& look);
    void AddLookList(const std::string& name, int count, const std::vector<std::pair<int, std::string>>& slots);
    bool HasLookList(const std::string& name) const { return m_lookListIndex.count(name) != 0; }

    // The document ---------------------------------------------------------------------------
    std::vector<Control>& TopLevel() { return m_topLevel; }
    void Write(std::ostream& out) const;

private:
    struct Part
    {
        std::string name;
        const ImageSpec* image = nullptr; // null: colour part
        int x = 0, y = 0, w = 0, h = 0;
        std::string resize;
        std::string colorizer;
    };
    struct LookList
    {
        std::string name;
        int count = 0;
        std::vector<std::pair<int, std::string>> slots;
    };

    void WriteControl(std::ostream& out, const Control& control, int scale, int depth) const;

    std::deque<ImageSpec> m_images; // parts point into it: a deque keeps them valid
    std::map<std::string, std::size_t> m_imageIndex;
    std::vector<Part> m_parts;
    std::map<std::string, std::size_t> m_partIndex;
    std::vector<std::pair<std::string, unsigned>> m_colorizers;
    std::vector<Look> m_looks;
    std::map<std::string, std::size_t> m_lookIndex;
    std::vector<LookList> m_lookLists;
    std::map<std::string, std::size_t> m_lookListIndex;
    std::vector<Control> m_topLevel;
};

// Fills the model with the editor's skin: looks of every control kind and the control trees
// of "mainControl", the two dialogs, "toolTip" and "contextMenu".
void BuildEditorSkin(SkinModel& model);

} // namespace SkinArt
