#include <QApplication>
#include <QIcon>
#include <iostream>

#include "app/ProgramStart.h"
#include "app/qt/AppStartup.h"
#include "app/qt/ShellActions.h"
#include "app/qt/ShellWidgets.h"
#include "frontend/SystemServices.h"

namespace {

QIcon programIcon() {
    kelvora::loadArtwork();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/images/kelvora-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

int main(int argc, char** argv) {
    using namespace kelvora;

    QApplication app(argc, argv);
    app.setWindowIcon(programIcon());
    // Ties the windows to the menu entry, so desktops show its name and icon for them.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.talvek.Kelvora2008"));
    // The splash closes before the main window shows, and the hidden update window must not keep the program
    // alive: the program ends when the main window has closed, not when some last window did.
    app.setQuitOnLastWindowClosed(false);

    SystemServices system(programVendorUrl([](const std::string& refusal) { std::cerr << refusal << '\n'; }));

    ShellActions actions;
    AppStartup startup(system.services, system.strings, *system.instance, actions);
    if (!startup.start())
        return 0;
    QObject::connect(&startup, &AppStartup::finished, &app, &QCoreApplication::quit);
    return app.exec();
}
