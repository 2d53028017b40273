// The main window's placement as a run of the editor leaves it in the user settings, written
// before a driven run so that the window opens at that size (smaller than the skin, as on a
// small screen). Header only.
#pragma once

#include "QKFramework/Utilities/Storage/IniFileManager.h"

#include "tests/support/Editor/EditorDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace QK::TestSupport
{

// Stores a main-window placement into the user settings of the driver's home, as a run under
// skin left it (skin -1: without noting one, as older settings are).
inline void StorePlacement(const EditorDriver& driver, const RectL& rect, std::int32_t skin)
{
    const std::string folder = driver.Home().Path() + "/.config/Dozavod Professional/Vedidu Editor";
    std::filesystem::create_directories(folder);
    const RCPtr<LIniFileManager> manager = LIniFileManager::Create();
    IniFileHandle file = 0;
    ASSERT_EQ(manager->OpenFile(WString((folder + "/UserSettings.ini").c_str()), WString(u"1_0_0"),
                                WString(u"Vedidu Editor"), file),
              QK_OK);
    manager->SetInteger(file, WString(u"WP.Left"), rect.x);
    manager->SetInteger(file, WString(u"WP.Top"), rect.y);
    manager->SetInteger(file, WString(u"WP.Width"), rect.width);
    manager->SetInteger(file, WString(u"WP.Height"), rect.height);
    manager->SetInteger(file, WString(u"WP.Maximized"), 0);
    if (skin >= 0)
        manager->SetInteger(file, WString(u"WP.Skin"), skin);
    manager->CloseFile(file, true);
}

} // namespace QK::TestSupport
