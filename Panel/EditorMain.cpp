// The editor's process entry: the framework's start-up body over the editor's application
// object, in the user's language, with the splash image's name.
#include "Panel/Main/Application.h"
#include "QKFramework/Application/FrameworkShell.h"

int main(int argc, char** argv)
{
    QK::MFCFrameworkApp<QK::LApplication> shell;
    return shell.FrameworkWinMain(argc, argv, -1, QK::WString(u"Splash.png"));
}
