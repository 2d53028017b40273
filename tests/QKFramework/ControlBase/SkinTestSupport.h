// Helpers of the skin-model tests: the fixture documents embedded in the test executable
// (tests/CMakeLists.txt), written out to a folder for the file loads, and short ways to
// read a table entry.
#pragma once

#include "QKFramework/ControlBase/ControlFactory.h"
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include "tests/support/TempFolder.h"

#include <string>

namespace QK::TestSupport
{

// The bytes of an embedded fixture; empty when there is none.
inline std::string FixtureBytes(const char* type, const char* name)
{
    const auto data = FindResourceData(GetApplicationInstance(), type, name);
    return std::string(reinterpret_cast<const char*>(data.data()), data.size());
}

// The folder form of the embedded skin sources, as the application reads them from files.
class SkinFolder
{
public:
    SkinFolder()
    {
        m_folder.WriteFile("FrameworkStrings.xml", FixtureBytes("QKXML", "FRAMEWORK_STRINGS"));
        m_folder.WriteFile("StringTables.xml", FixtureBytes("QKXML", "APP_STRINGS"));
        m_folder.WriteFile("Skins.xml", FixtureBytes("QKXML", "APP_SKINS"));
        m_folder.WriteFile("knob.png", FixtureBytes("GDIPLUS", "KNOB_PNG"));
        m_folder.WriteFile("Mask.PNG", FixtureBytes("GDIPLUS", "MASK_PNG"));
    }

    // The folder with its trailing "/", to which the loaders append file names directly.
    WString Prefix() const { return WString((m_folder.Path() + "/").c_str()); }
    WString File(const char* name) const { return WString((m_folder / name).c_str()); }
    const TempFolder& Folder() const { return m_folder; }

private:
    TempFolder m_folder;
};

// The text of entry id in a handed-out table; "<none>" for a missing table or entry.
inline std::u16string Entry(const RCPtr<LStringTable>& table, const char16_t* id)
{
    WString text;
    if (!table || !FindStringMapValue(*table, id, text))
        return u"<none>";
    return std::u16string(text.GetString());
}

// A whole table as "id=text" lines, for comparing two tables.
inline std::u16string AllEntries(const RCPtr<LStringTable>& table)
{
    std::u16string text;
    if (!table)
        return u"<none>";
    for (const auto& [id, value] : static_cast<const StringMap&>(*table))
        text += std::u16string(id.GetString()) + u"=" + value.GetString() + u"\n";
    return text;
}

} // namespace QK::TestSupport
