#include "app/commandline.h"
#include "app/frmmain.h"
#include "app/updatekey.h"
#include "platform/instanceguard.h"
#include "platform/platform.h"
#include "platform/settingsstore.h"

#include <QApplication>
#include <QTextStream>
#include <QTimer>

#include <cstdio>

namespace {

// Start-up benchmarks set CALMORA_BENCH_EXIT_AFTER_SHOW: the program then ends
// as soon as its main window has first been painted.
class ExitAfterFirstPaint final : public QObject
{
public:
    using QObject::QObject;
    Q_DISABLE_COPY_MOVE(ExitAfterFirstPaint)

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        }
        return false;
    }
};

void nameTheProgram()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Calmora"));
    QCoreApplication::setApplicationName(QStringLiteral("Calmora"));
}

// Sending from a script, over ssh or beside a running copy: no display, no window.
int runWithoutWindow(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    nameTheProgram();
    QTextStream out(stdout);
    QTextStream err(stderr);
    const std::unique_ptr<calmora::SettingsStore> store = calmora::Platform::settingsStore();
    return calmora::runCommandLine(calmora::parseCommandLine(QCoreApplication::arguments().mid(1)), *store,
                                   *calmora::Platform::fileSystem(), out, err);
}

// The window's run: everything it made has ended when this returns.
int runWindow()
{
    // One copy per user and settings file: a second start brings the first forward.
    calmora::InstanceGuard guard(calmora::Platform::settingsFile());
    if (!guard.claim())
        return 0;
    // The main window decides when the program ends: hiding it in the tray or
    // closing it while another window is open must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    calmora::Platform platform;
    calmora::Services services = platform.services();
    services.program.updateKey = calmora::builtInUpdateKey();
    calmora::frmMain window(services);
    QObject::connect(&window, &calmora::frmMain::lastWindowGone, qApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&guard, &calmora::InstanceGuard::activationRequested, &window,
                     &calmora::frmMain::bringForward);
    if (qEnvironmentVariableIsSet("CALMORA_BENCH_EXIT_AFTER_SHOW"))
        window.installEventFilter(new ExitAfterFirstPaint(&window));
    window.Form_Load();
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    if (calmora::isCommandLine(arguments))
        return runWithoutWindow(argc, argv);

    QApplication app(argc, argv);
    nameTheProgram();
    QApplication::setDesktopFileName(QStringLiteral("org.calmora.Calmora"));
    // Left over once Qt has taken its own options: nothing the window understands.
    if (QApplication::arguments().size() > 1) {
        std::fprintf(stderr, "calmora: unexpected '%s'\n%s\n", qPrintable(QApplication::arguments().at(1)),
                     qPrintable(calmora::usageLine()));
        return 2;
    }
    const int status = runWindow();
    calmora::Platform::endWhereTeardownHangs(status);
    return status;
}
