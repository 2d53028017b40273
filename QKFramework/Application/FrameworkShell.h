// The process's entry into the framework: loads the string tables and the skins, settles
// the single instance, reads the command-line options, makes the application object, builds
// and shows the main window, runs the message loop and ends the process.
//
// LFrameworkShell holds the sequence; MFCFrameworkApp<TApp> only says which application class
// it makes, and the names the single instance needs before the application exists: that
// class's main window class (TApp::kMainWindowClassName) and the stem of its fallback runtime
// folders (TApp::kRuntimeFolderName). The product's name is the program's version block. When
// later starts cannot reach this one, a line on stderr says so and why. Every start-up failure
// that the user must hear of shows the "STARTUP_ERROR" box and ends with status 1; a normal
// end, one of the quiet start-up codes and a second instance end with 0.
//
// UI thread only (the thread that calls FrameworkWinMain).
#pragma once

#include "QKFramework/Application/ApplicationBase.h"

#include <cstdint>
#include <memory>
#include <string>

namespace QK
{

class LSplashScreen;
class SingleInstance;

class LFrameworkShell
{
public:
    static constexpr const char16_t* kDefaultStartupError =
        u"The application encountered problems during startup and will now close.";
    static constexpr const char16_t* kDefaultStartupCaption = u"Error";

    LFrameworkShell();
    virtual ~LFrameworkShell();
    LFrameworkShell(const LFrameworkShell&) = delete;
    LFrameworkShell& operator=(const LFrameworkShell&) = delete;

    // The whole run; the process's exit status. languageId -1: the user's language.
    int FrameworkWinMain(int argc, const char* const* argv, std::int32_t languageId, const WString& splashImageName);

    // The command line rebuilt from argv: arguments joined by blanks, those holding a blank
    // or a quote quoted.
    static WString BuildCommandLine(int argc, const char* const* argv);

    bool InitApplication();
    bool InitInstance();
    // The application's run; the exit status.
    int Run();
    std::int32_t OnIdle(std::int32_t idleCount);
    std::int32_t ExitInstance() { return 1; }

    // The splash image: for the program's resources ("::") the resource whose name is the
    // image's upper-cased with "." and blanks made "_" (SPLASH_PNG), of type "GDIPLUS"; for
    // a folder the file there. Empty when there is none (the editor's resources hold none).
    WString GetSplashImagePath() const;
    // With a splash image: the splash screen shows it and its bar advances by itself.
    void ShowSplashScreen();
    // The bar to its end, and the splash screen goes.
    void CloseSplashScreen();
    bool IsSplashScreenShown() const noexcept { return m_splash != nullptr; }

    const RCPtr<LControlFactory>& GetControlFactory() const noexcept { return m_factory; }
    const RCPtr<LStringTable>& GetStringTable() const noexcept { return m_stringTable; }
    const RCPtr<LApplicationBase>& GetApplication() const noexcept { return m_application; }
    bool IsFirstInstance() const noexcept { return m_firstInstance; }

protected:
    virtual RCPtr<LApplicationBase> CreateApplication(const RCPtr<LControlFactory>& factory,
                                                      const RCPtr<LStringTable>& strings, const WString& commandLine,
                                                      std::uint32_t languageId) = 0;
    // Where the skins and string tables come from: "::" for the program's own resources.
    virtual WString GetSkinFolder() const { return WString(u"::"); }
    // "ProductName" of the program's version block (Version, which throws when there is none).
    virtual WString GetProductName() const;
    // The application class's main window class, named before the application exists: the
    // single-instance files are named after it.
    virtual WString GetMainWindowClassName() const = 0;
    // The stem of the folders the single-instance files go to when the session has no
    // runtime folder of its own ("<name>-runtime" in the cache folder, "<name>-<uid>" in the
    // temporary folder): a plain file name.
    virtual std::string GetRuntimeFolderName() const = 0;
    // Decides whether this process is the first instance; a second one hands its command
    // line over. True to go on as a full instance: the first, or one that could not reach
    // the first (which may still be starting). Whenever later starts will not find this one,
    // a line on stderr says why.
    virtual bool CheckSingleInstance();
    // The window system the start-up error box goes through.
    virtual IWindowSystem& GetWindowSystem() { return GetPlatformWindowSystem(); }
    // The "STARTUP_ERROR" box: the string table's texts where it has them. When the display
    // could not be opened, a line on stderr says which and why.
    void ShowStartupError();
    // The name the program's lines on stderr begin with: the application's product name.
    std::string GetProgramName() const;
    // The display connection is gone (on the thread that found it; the process ends with
    // status 1 right after): the application writes its settings, a line says why, and the
    // application closes what it holds open to others.
    void OnDisplayLost();

private:
    RCPtr<LControlFactory> m_factory;
    RCPtr<LStringTable> m_stringTable;
    RCPtr<LApplicationBase> m_application;
    WString m_commandLine;
    WString m_splashImageName;
    std::uint32_t m_languageId = 0x0409;
    bool m_firstInstance = true;
    // The first instance's lock, held until the process ends.
    std::unique_ptr<SingleInstance> m_singleInstance;
    std::unique_ptr<LSplashScreen> m_splash;
};

template <class TApp>
class MFCFrameworkApp : public LFrameworkShell
{
protected:
    RCPtr<LApplicationBase> CreateApplication(const RCPtr<LControlFactory>& factory, const RCPtr<LStringTable>& strings,
                                              const WString& commandLine, std::uint32_t languageId) override
    {
        return RCPtr<LApplicationBase>(new TApp(factory, strings, commandLine, languageId));
    }
    WString GetMainWindowClassName() const override { return WString(TApp::kMainWindowClassName); }
    std::string GetRuntimeFolderName() const override { return TApp::kRuntimeFolderName; }
};

} // namespace QK
