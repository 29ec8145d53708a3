#include "app/frmmain.h"
#include "app/updatekey.h"
#include "platform/platform.h"

#include <QApplication>
#include <QTimer>

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

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Calmora"));
    QApplication::setApplicationName(QStringLiteral("Calmora"));
    QApplication::setDesktopFileName(QStringLiteral("org.calmora.Calmora"));
    // The main window decides when the program ends: hiding it in the tray or
    // closing it while another window is open must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);

    calmora::Platform platform;
    calmora::Services services = platform.services();
    services.program.updateKey = calmora::builtInUpdateKey();
    calmora::frmMain window(services);
    QObject::connect(&window, &calmora::frmMain::lastWindowGone, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    if (qEnvironmentVariableIsSet("CALMORA_BENCH_EXIT_AFTER_SHOW"))
        window.installEventFilter(new ExitAfterFirstPaint(&window));
    window.Form_Load();
    return QApplication::exec();
}
