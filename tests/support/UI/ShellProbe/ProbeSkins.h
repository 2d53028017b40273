// The skin folder documents of the shell probe (vedidu_shell_probe): a main control of 200 x
// 120 pixels and an empty framework string table; the tests add their own application string
// table. Header only.
#pragma once

namespace QK::TestSupport
{

inline constexpr const char* kProbeSkins = R"(<?xml version="1.0" encoding="UTF-8"?>
<Zelvo_Skin_Definitions><Application Name="ShellProbe"/><Skins><Skin Name="only">
  <SubControl Class="Test.Probe" Name="mainControl" XPositionAbs="0" YPositionAbs="0" XSizeAbs="200" YSizeAbs="120"/>
</Skin></Skins></Zelvo_Skin_Definitions>
)";

inline constexpr const char* kProbeFrameworkStrings = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                                      "<Zelvo_StringTable_Definitions><Application Name=\"Framework\"/>"
                                                      "</Zelvo_StringTable_Definitions>\n";

} // namespace QK::TestSupport
