// Skin pieces shared by the menu tests: a popup menu with its row template (check box and
// hot-key label), the looks they use, and the registration of the menu classes.
#pragma once

#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Controls/Button.h"
#include "QKFramework/Controls/ComboMenu.h"
#include "QKFramework/Controls/Label.h"
#include "QKFramework/Controls/MainMenu.h"
#include "QKFramework/Controls/PopupMenu.h"
#include "QKFramework/Controls/TextBox.h"

#include <string>
#include <vector>

namespace QK::TestSupport
{

// A hidden popup menu named name, rows 20 px high; extra goes into its SubControl element.
inline std::string PopupMenuXml(const std::string& name, const std::string& extra = std::string())
{
    return R"(<SubControl Class="Framework.PopupMenu" Name=")" + name +
           R"(" IsVisible="False" ClipToParent="False" XSizeAbs="100" YSizeAbs="20" )" + extra +
           R"(><Skin Name="m" LookList="menu"/>
      <SubControl Class="Framework.MenuItem" Name="templateItem" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs="20"><Skin Name="r" LookList="rows"/>
        <SubControl Class="Framework.Button" Name="checkBox" XPositionAbs="2" YPositionAbs="4" XSizeAbs="12" YSizeAbs="12"><Skin Name="b" LookList="box"/></SubControl>
        <SubControl Class="Framework.Label" Name="hotKeyLabel" XPositionToControl="Parent" XPositionRel="1" XPositionAbs="-50" XSizeAbs="48" YSizeAbs="20"><Skin Name="h" LookList="plain"/></SubControl>
      </SubControl>
    </SubControl>)";
}

inline std::string MenuLooks()
{
    const auto list = [](const char* name, int count, const char* look)
    {
        std::string looks;
        for (int i = 0; i < count; ++i)
            looks += std::string("<Look Name=\"") + look + "\" Index=\"" + std::to_string(i) + "\"/>";
        return std::string("<LookList Name=\"") + name + "\" NumLooks=\"" + std::to_string(count) + "\">" + looks +
               "</LookList>";
    };
    return R"(
  <Colorizers><Colorizer Name="grey" ColorType="SolidFill" Color="FFD0D0D0"/><Colorizer Name="dark" ColorType="SolidFill" Color="FF404040"/></Colorizers>
  <Parts><Part Name="grey" Width="1" Height="1" ResizeType="Stretch" ColorizerName="grey"/><Part Name="dark" Width="1" Height="1" ResizeType="Stretch" ColorizerName="dark"/></Parts>
  <Looks><Look Name="grey"><ClientPart Name="grey" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look>
    <Look Name="dark"><ClientPart Name="dark" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
  <LookLists>)" +
           list("plain", 3, "grey") + list("menu", 4, "grey") + list("rows", 14, "grey") + list("box", 14, "dark") +
           list("combo", 4, "grey") + "</LookLists>";
}

// A look whose client part fills it; inside (text properties, non-client parts) goes in too.
inline std::string FlatLookXml(const std::string& name, const std::string& part, const std::string& inside = std::string())
{
    return "<Look Name=\"" + name + "\"><ClientPart Name=\"" + part +
           R"(" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>)" + inside + "</Look>";
}

// A look list of the named looks, in order.
inline std::string LookListXml(const std::string& name, const std::vector<std::string>& looks)
{
    std::string out = "<LookList Name=\"" + name + "\" NumLooks=\"" + std::to_string(looks.size()) + "\">";
    for (std::size_t i = 0; i < looks.size(); ++i)
        out += "<Look Name=\"" + looks[i] + "\" Index=\"" + std::to_string(i) + "\"/>";
    return out + "</LookList>";
}

// The 14 looks of a menu row by number: 1 and 4 pointer over and 7 to 12 selected show hover,
// 6 is the disabled row, 13 the separator, the others row.
inline std::vector<std::string> MenuRowLooks(const std::string& row, const std::string& hover,
                                             const std::string& disabled, const std::string& separator)
{
    std::vector<std::string> rows(14, row);
    rows[1] = rows[4] = hover;
    for (std::size_t i = 7; i <= 12; ++i)
        rows[i] = hover;
    rows[6] = disabled;
    rows[13] = separator;
    return rows;
}

inline void RegisterMenuClasses(LControlFactory& factory)
{
    factory.RegisterControlClass(WString(u"Framework.PopupMenu"), &LPopupMenu::Create);
    factory.RegisterControlClass(WString(u"Framework.MenuItem"), &LMenuListBoxItem::Create);
    factory.RegisterControlClass(WString(u"Framework.Button"), &LButton::Create);
    factory.RegisterControlClass(WString(u"Framework.Label"), &LLabel::Create);
    factory.RegisterControlClass(WString(u"Framework.ComboMenu"), &LComboMenu::Create);
    factory.RegisterControlClass(WString(u"Framework.MainMenu"), &LMainMenu::Create);
    factory.RegisterControlClass(WString(u"Framework.TextBox"), &LTextBox::Create);
}

} // namespace QK::TestSupport
