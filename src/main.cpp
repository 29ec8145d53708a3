#include "app/frmmain.h"
#include "platform/platform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Calmora"));
    QApplication::setApplicationName(QStringLiteral("Calmora"));
    QApplication::setDesktopFileName(QStringLiteral("calmora"));
    // The main window decides when the program ends: hiding it in the tray or
    // closing it while another window is open must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    calmora::Platform platform;
    calmora::frmMain window(platform.services());
    QObject::connect(&window, &calmora::frmMain::lastWindowGone, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.Form_Load();
    return QApplication::exec();
}
