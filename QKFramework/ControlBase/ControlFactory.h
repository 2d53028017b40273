// LControlFactory: the one object of an application that knows every control class by its
// skin name and owns everything read from the skin and string-table XML.
//
// Contents:
//   - control classes: registration, lookup, creating controls from their descriptions;
//   - the skins (one root description per skin) and the current skin, its font;
//   - string tables: the framework's, the application's and one per control, handed out as
//     copies;
//   - loading: LoadStringTable and LoadSkinResource read XML from a "::" resource or a file,
//     ParseXML runs Expat over one buffer and hands its events to XMLStartElement,
//     XMLEndElement and the character-data handler.
//
// Everything here runs on the UI thread, without locks. A load adds to the registries and
// keeps the first of every name; nothing is ever removed before the factory goes.
#pragma once

#include "QKFramework/ControlBase/ControlDescriptor.h"
#include "QKFramework/ControlBase/LayoutDescriptor.h"
#include "QKFramework/ControlBase/SkinDescriptors.h"
#include "QKFramework/ObjectBase/RCPtr.h"
#include "QKFramework/ObjectBase/RefCountedObject.h"
#include "QKFramework/ObjectBase/Result.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Graphics/Colorizer.h"
#include "QKFramework/Utilities/Storage/RCPtrArray.h"
#include "QKFramework/Utilities/Storage/StringArray.h"
#include "QKFramework/Utilities/Storage/StringT.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

namespace QK
{

class ExpatAttributes;
class IRootWindow;
class LControl;

class LControlFactory : public virtual LRefCountedObject
{
public:
    // Languages of the string-table passes.
    static constexpr std::uint32_t kLanguageEnglish = 9;
    static constexpr std::uint32_t kLanguageChineseTraditional = 0x7C04;

    explicit LControlFactory(const WString& applicationName);
    ~LControlFactory() override;

    // Control classes -------------------------------------------------------------------

    // Always 0; a name registered already keeps its first function.
    QKRESULT RegisterControlClass(const WString& className, LControlCreateFunction function);
    // 0 and the function; an unregistered name raises a runtime error.
    QKRESULT GetControlCreateFunction(const WString& className, LControlCreateFunction& function) const;
    // The new control, or null when the description's class has a null function. The class's
    // function is looked up once and cached in the description.
    RCPtr<LControl> CreateControl(const LControlDescriptor* descriptor, LControl* parent) const;
    // The top-level control of that name in the current skin, created visible and attached to
    // rootWindow; null when the skin has no such control.
    RCPtr<LControl> CreateRootControl(const WString& controlName, IRootWindow* rootWindow) const;
    // The last child of that name of the current skin's root, or null.
    RCPtr<LControlDescriptor> FindSubControlDescriptor(const WString& controlName) const;
    // Rebuilds a top-level control from the current skin's description of the same name;
    // 0x80004005 when the skin has none.
    QKRESULT ApplySkinDescriptor(LControl* control) const;

    // Skins ------------------------------------------------------------------------------

    std::uint32_t GetSkinCount() const { return m_skins.GetCount(); }
    RCPtr<LControlDescriptor> GetSkin(std::uint32_t index) const;
    std::uint32_t GetCurrentSkin() const { return m_currentSkin; }
    // Lets the images StartDecodingLargeImages holds go.
    void SetCurrentSkin(std::uint32_t index)
    {
        m_currentSkin = index;
        m_imagesDecodingAhead.clear();
    }
    // Loads the images of the current skin's parts of at least LBitmap::kDecodeAheadPixels
    // (the device picture), which sends them to the decoding workers, and holds them until
    // the skin changes: the largest images take longest to decode and start while the
    // controls that show them are still to be made.
    void StartDecodingLargeImages() const;
    // The current skin's font: 0 when it gives any of name, size or style (each only when
    // given), 1 when it gives none.
    QKRESULT GetSkinFont(WString& fontName, float& fontSize, std::int32_t& fontStyle) const;

    // Registries of the skin document; null when the name is not registered.
    RCPtr<LColorizer> FindColorizer(const WString& name) const;
    RCPtr<LVisualPartDescriptor> FindVisualPart(const WString& name) const;
    RCPtr<LLookDescriptor> FindLook(const WString& name) const;
    RCPtr<LLookList> FindLookList(const WString& name) const;
    // The translation of a font name; false when there is none.
    bool FindFontTranslation(const WString& name, WString& translation) const;

    // String tables ----------------------------------------------------------------------

    // New tables holding copies of the registered ones; null when there is none.
    RCPtr<LStringTable> GetFrameworkStringTable() const;
    // The factory's top-level string table (the framework's) into table; null when there is
    // none. The application looks it up so when it is made.
    void FindStringTable(RCPtr<LStringTable>& table) const { table = GetFrameworkStringTable(); }
    RCPtr<LStringTable> GetApplicationStringTable() const;
    // The framework's table with the application's entries over it (the application's text
    // wins for an ID both hold): where the application looks its texts up, the framework's
    // own ones among them. Null when there is neither.
    RCPtr<LStringTable> GetMergedStringTable() const;
    // The table of one control: the parent's class name (the application name without a
    // parent), "|" and the control's name.
    RCPtr<LStringTable> GetControlStringTable(const LControl* parent, const WString& controlName) const;
    RCPtr<LStringTable> GetStringTable(const WString& tableID) const;

    // Loading ----------------------------------------------------------------------------

    const WString& GetApplicationName() const { return m_applicationName; }
    // "::" when skins and string tables come from resources, else the folder of the files;
    // image and mask names of parts are appended to it.
    const WString& GetSourceFolder() const { return m_sourceFolder; }
    void SetSourceFolder(const WString& folder) { m_sourceFolder = folder; }
    std::uint32_t GetLanguage() const { return m_language; }
    void SetLanguage(std::uint32_t lcid) { m_language = lcid; }

    // The start-up's load: with the folder "::" the string tables from "::FRAMEWORK_STRINGS"
    // and "::APP_STRINGS" and the skins from "::APP_SKINS", else the folder followed by
    // "FrameworkStrings.xml", "StringTables.xml" and "Skins.xml". Stops at a negative
    // string-table result; otherwise the skin load's result.
    QKRESULT LoadSkinSources(const WString& sourceFolder, std::uint32_t lcid);
    // Reads a skin document: 0, 0x80004005 (missing or empty source, a file that fails,
    // malformed XML) or 0x8007000E. An exception raised while a resource is parsed reaches
    // the caller; one raised by a file is answered 0x80004005. The current skin is 0 after.
    QKRESULT LoadSkinResource(const WString& sourceName);
    // Reads the framework's and the application's string tables in the language lcid, with
    // the fallbacks to the primary language and to English. 0, also for a missing resource
    // or malformed XML; 0x8007000E when a file buffer cannot be had. A file that cannot be
    // opened or read raises File's exception.
    QKRESULT LoadStringTable(const WString& frameworkSource, const WString& applicationSource,
                             std::uint32_t lcid);
    // Parses length bytes (0: up to the first zero byte) in the current mode. 0, or
    // 0x80004005 with Expat's text and line kept. A handler's exception is raised again here,
    // once the parser is gone.
    QKRESULT ParseXML(const char* buffer, std::size_t length);
    const WString& GetErrorText() const { return m_errorText; }
    std::uint32_t GetErrorLine() const { return m_errorLine; }

    // Events of the parse, called by the Expat handlers with the document's UTF-8 text.
    void XMLStartElement(const char* name, const ExpatAttributes& attributes);
    void XMLEndElement(const char* name);
    void XMLCharacterData(const char* text, int length);

private:
    struct PendingFont
    {
        bool inheritsFromParent = false;
        bool sizeIsRelative = false;
        WString name;
        float size = 0.0f;
        std::int32_t style = -1;
    };

    void ResetParseState();
    std::uint32_t ParseStringTablePass(const char* data, std::size_t size, std::uint32_t language);
    RCPtr<LStringTable> CopyStringTable(const WString& tableID) const;

    void StringTableStartElement(const char* name, const ExpatAttributes& attributes);
    void SkinStartElement(const char* name, const ExpatAttributes& attributes);
    void StartColorizer(const ExpatAttributes& attributes);
    void StartPart(const ExpatAttributes& attributes);
    void StartLook(const ExpatAttributes& attributes);
    void StartClientPart(const ExpatAttributes& attributes);
    void StartNonClientPart(const ExpatAttributes& attributes);
    void StartTextProperties(const ExpatAttributes& attributes);
    void StartLookList(const ExpatAttributes& attributes);
    void StartLookListEntry(const ExpatAttributes& attributes);
    void StartSkin(const ExpatAttributes& attributes);
    void StartFontTranslation(const ExpatAttributes& attributes);
    void StartSubControl(const ExpatAttributes& attributes);

    WString m_applicationName;
    WString m_sourceFolder;
    std::uint32_t m_language = 0;
    RCPtrArray<LControlDescriptor> m_skins;
    std::uint32_t m_currentSkin = 0;
    std::map<WString, LControlCreateFunction> m_controlClasses;

    // Registries.
    std::map<WString, StringMap> m_stringTables;
    std::map<WString, RCPtr<LColorizer>> m_colorizers;
    std::map<WString, RCPtr<LVisualPartDescriptor>> m_parts;
    std::map<WString, RCPtr<LLookDescriptor>> m_looks;
    std::map<WString, RCPtr<LLookList>> m_lookLists;
    std::map<WString, WString> m_fontTranslations;
    // The large images StartDecodingLargeImages loaded for the current skin.
    mutable std::vector<ConstRCPtr<LBitmap>> m_imagesDecodingAhead;

    // Parse state.
    bool m_skipRoot = false;
    bool m_stringTableMode = false;
    bool m_collecting = false;
    std::uint32_t m_matchCount = 0;
    StringMap* m_currentTable = nullptr;
    WString* m_currentEntry = nullptr;
    WString m_currentID;
    bool m_collectingParam = false;
    RCPtr<LStringTable> m_currentParamList;
    WString m_currentParamID;
    RCPtr<LControlDescriptor> m_openControl;
    RCPtr<LControlDescriptor> m_currentSkinRoot;
    // Descriptions of "SubControl" elements met outside any skin. Nothing registers them, but
    // their children point back at them until their end tags: they are held for the parse.
    RCPtrArray<LControlDescriptor> m_detachedControls;
    RCPtr<LLookDescriptor> m_currentLook;
    RCPtr<LLookList> m_currentLookList;
    bool m_inLooks = false;
    PendingFont m_pendingFont;
    // No "FontLocale" read yet: no translation applies.
    std::int64_t m_fontLocale = -1;
    WString m_errorText;
    std::uint32_t m_errorLine = 0;
};

} // namespace QK
