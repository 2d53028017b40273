// LFrameworkShell. Sections: command line; the sequence; start-up; run; splash.
#include "QKFramework/Application/FrameworkShell.h"

#include "QKFramework/Application/SplashScreen.h"
#include "QKFramework/Application/Version.h"
#include "QKFramework/ObjectBase/Exception.h"
#include "QKFramework/Platform/Core/LanguageIds.h"
#include "QKFramework/Platform/Core/Resources.h"
#include "QKFramework/Platform/Window/DisplayConnection.h"
#include "QKFramework/Platform/Window/SessionEnd.h"
#include "QKFramework/Platform/Window/SingleInstance.h"
#include "QKFramework/Utilities/Debug/DebugLog.h"
#include "QKFramework/Utilities/Debug/StartupPhases.h"
#include "QKFramework/Utilities/Graphics/Bitmap.h"
#include "QKFramework/Utilities/Storage/Paths.h"
#include "QKFramework/Utilities/Storage/StringArray.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace QK
{

namespace
{

constexpr const char* kSource = "Application\\FrameworkShell";

} // namespace

// --- Command line --------------------------------------------------------------------------

WString LFrameworkShell::BuildCommandLine(int argc, const char* const* argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i)
    {
        const std::string argument = argv[i] ? argv[i] : "";
        if (i > 0)
            line += ' ';
        if (argument.find_first_of(" \t\"") == std::string::npos && !argument.empty())
        {
            line += argument;
            continue;
        }
        line += '"';
        for (char c : argument)
        {
            if (c == '"')
                line += '\\';
            line += c;
        }
        line += '"';
    }
    return WString(line.c_str());
}

// --- The sequence --------------------------------------------------------------------------

LFrameworkShell::LFrameworkShell() = default;

LFrameworkShell::~LFrameworkShell()
{
    CloseSplashScreen();
}

WString LFrameworkShell::GetProductName() const
{
    return Version(GetApplicationInstance()).GetValue(u"ProductName");
}

int LFrameworkShell::FrameworkWinMain(int argc, const char* const* argv, std::int32_t languageId,
                                      const WString& splashImageName)
{
    NoteStartupPhase("libraries");
    // SIGTERM, SIGINT and SIGHUP end the run as the window's close button does.
    const SessionEndSignals sessionEnd;
    // The display's loss ends it as well, with what it holds written, and the status 1.
    const DisplayLossExit displayLoss([this] { OnDisplayLost(); });
    GetWindowSystem().Open();
    m_commandLine = BuildCommandLine(argc, argv);
    m_languageId = languageId == -1 ? GetUserLanguageId() : static_cast<std::uint32_t>(languageId) & 0xFFFF;
    m_splashImageName = splashImageName;

    int status = 0;
    if (!InitApplication())
        status = m_firstInstance ? 1 : 0;
    else if (!InitInstance())
    {
        ExitInstance();
        status = 1;
    }
    else
        status = Run();

    // A later instance, or a start that ended early, does not leave its splash behind.
    CloseSplashScreen();
    m_factory = nullptr;
    m_stringTable = nullptr;
    return status;
}

std::string LFrameworkShell::GetProgramName() const
{
    return NString((m_application ? m_application->GetProductName() : GetProductName()).GetString()).GetString();
}

void LFrameworkShell::OnDisplayLost()
{
    if (m_application)
        m_application->WriteSettingsWithoutDisplay();
    std::fprintf(stderr, "%s: the display connection was lost\n", GetProgramName().c_str());
    std::fflush(stderr);
    if (m_application)
        m_application->CloseConnectionsWithoutDisplay();
}

void LFrameworkShell::ShowStartupError()
{
    CloseSplashScreen();
    // Without a display the box's text goes to stderr; this line says first which display
    // it was and why it could not be had.
    const std::string displayFailure = GetWindowSystem().GetDisplayFailure();
    if (!displayFailure.empty())
        std::fprintf(stderr, "%s: %s\n", GetProgramName().c_str(), displayFailure.c_str());
    WString text(kDefaultStartupError);
    WString caption(kDefaultStartupCaption);
    if (m_stringTable)
    {
        FindStringMapValue(*m_stringTable, u"STARTUP_ERROR", text);
        FindStringMapValue(*m_stringTable, u"STARTUP_ERROR_CAPTION", caption);
    }
    GetWindowSystem().ShowMessageBox(nullptr, text, caption, 0x10);
}

// --- Start-up ------------------------------------------------------------------------------

bool LFrameworkShell::InitApplication()
{
    try
    {
        SetApplicationInstance(nullptr);
        ShowSplashScreen();
        m_factory = RCPtr<LControlFactory>(new LControlFactory(GetProductName()));
        const QKRESULT loaded = m_factory->LoadSkinSources(GetSkinFolder(), m_languageId);
        CheckResult(loaded, QK_SITE("QK::MFCFrameworkApp<class LApplication>::InitApplication", kSource));
        NoteStartupPhase("skins");

        m_stringTable = m_factory->GetMergedStringTable();
        SetHostMainWindowClassName(GetMainWindowClassName());
        m_firstInstance = CheckSingleInstance();
        return m_firstInstance;
    }
    catch (...)
    {
        m_firstInstance = true;
        ShowStartupError();
        return false;
    }
}

bool LFrameworkShell::CheckSingleInstance()
{
    const std::string windowClass = NString(GetMainWindowClassName().GetString()).GetString();
    auto instance = std::make_unique<SingleInstance>(windowClass + "Prevent", GetRuntimeFolderName());
    const SingleInstance::Role role = instance->Claim(NString(m_commandLine.GetString()).GetString());
    if (role == SingleInstance::Role::Second)
        return false;
    // Else a further start would open a window of its own without a word.
    if (!instance->GetProblem().empty())
    {
        std::fprintf(stderr, "%s: single instance is off: %s\n", GetProgramName().c_str(),
                     instance->GetProblem().c_str());
        std::fflush(stderr);
    }
    if (role == SingleInstance::Role::First)
        m_singleInstance = std::move(instance);
    return true;
}

bool LFrameworkShell::InitInstance()
{
    DebugLog::Get().ApplyCommandLine(m_commandLine);
    ReleaseStartupPhases();
    return true;
}

// --- Run -----------------------------------------------------------------------------------

int LFrameworkShell::Run()
{
    int status = 0;
    try
    {
        static constexpr const char* kPlace = "QK::MFCFrameworkApp<class LApplication>::Run";
        m_application = CreateApplication(m_factory, m_stringTable, m_commandLine, m_languageId);
        m_application->SetSingleInstance(m_singleInstance.get());
        m_application->PreInitialize(m_commandLine);
        const QKRESULT started = m_application->RunApplicationStartup();
        if (Failed(started) && LFrameworkApp::IsQuietStartupCode(started))
            CloseSplashScreen();
        else
        {
            CheckResult(started, QK_SITE(kPlace, kSource));
            // The skin is chosen: its largest images decode while the window and its controls
            // are made.
            m_factory->StartDecodingLargeImages();
            m_application->PostInitialize(m_commandLine);
            CheckResult(m_application->CreateMainWindow(m_application->GetMainWindowRendererKind()),
                        QK_SITE(kPlace, kSource));
            IHostWindow* mainWindow = m_application->GetMainWindow();
            const RCPtr<LRootWindow> rootWindow = m_application->GetRootWindowOf(mainWindow);
            if (!rootWindow)
                ThrowNullPointer(QK_SITE(kPlace, kSource), "Main Window");
            CheckResult(rootWindow->SetRootControl(m_application->GetMainControlName()), QK_SITE(kPlace, kSource));
            NoteStartupPhase("control-tree");
            mainWindow->Show(5);
            NoteStartupPhase("window-mapped");
            CloseSplashScreen();
            m_application->Run();
        }
    }
    catch (...)
    {
        // Whatever leaves the start-up or the loop ends the process with the error box
        // rather than without a word.
        ShowStartupError();
        status = 1;
    }

    if (m_application)
    {
        try
        {
            m_application->Shutdown();
        }
        catch (const std::exception& error)
        {
            DebugLog::Get().GetNarrowOutput() << "shutdown: " << error.what() << std::endl;
        }
        m_application->SetSingleInstance(nullptr);
        m_application = nullptr;
    }
    return status;
}

std::int32_t LFrameworkShell::OnIdle(std::int32_t idleCount)
{
    return m_application && m_application->OnIdle(idleCount) ? 1 : 0;
}

// --- Splash --------------------------------------------------------------------------------

WString LFrameworkShell::GetSplashImagePath() const
{
    const WString folder = GetSkinFolder();
    if (IsResourceSourceName(folder))
    {
        const WString path = folder + m_splashImageName;
        const std::string name = NString(GetResourceName(path).GetString()).GetString();
        return FindResourceData(GetApplicationInstance(), "GDIPLUS", name).empty() ? WString() : path;
    }
    const WString path = folder + WString(u"/") + m_splashImageName;
    return FileExists(path) ? path : WString();
}

void LFrameworkShell::ShowSplashScreen()
{
    const WString path = GetSplashImagePath();
    if (path.IsEmpty())
        return;
    const ConstRCPtr<LBitmap> image = LBitmap::LoadBitmap(path);
    if (m_splash)
        return;
    m_splash = std::make_unique<LSplashScreen>();
    m_splash->Init();
    m_splash->SetImage(image);
    m_splash->Start();
    m_splash->SetProgressRange(0, 100, 8);
}

void LFrameworkShell::CloseSplashScreen()
{
    if (!m_splash)
        return;
    m_splash->SetProgress(100);
    m_splash->Stop();
    m_splash = nullptr;
}

} // namespace QK
