#include <QApplication>
#include <cstdio>

#include "app/ProgramStart.h"
#include "app/qt/AppStartup.h"
#include "app/qt/ProgramLook.h"
#include "app/qt/ShellActions.h"
#include "frontend/SystemServices.h"

int main(int argc, char** argv) {
    using namespace kelvora;

    QApplication app(argc, argv);
    QApplication::setStyle(programStyle());
    app.setWindowIcon(programIcon());
    // Ties the windows to the menu entry, so desktops show its name and icon for them.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.talvek.Kelvora2008"));
    // The splash closes before the main window shows, and the hidden update window must not keep the program
    // alive: the program ends when the main window has closed, not when some last window did.
    app.setQuitOnLastWindowClosed(false);

    SystemServices system(programVendorUrl([](const std::string& refusal) { std::fprintf(stderr, "%s\n", refusal.c_str()); }));

    ShellActions actions;
    AppStartup startup(system.services, system.strings, *system.instance, actions);
    if (!startup.start())
        return 0;
    QObject::connect(&startup, &AppStartup::finished, &app, &QCoreApplication::quit);
    return app.exec();
}
