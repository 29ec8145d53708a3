// The start-up baseline: a bare Qt main window of the program's size with a
// menu bar, and nothing else. With CALMORA_BENCH_EXIT_AFTER_SHOW set it ends
// right after its first paint, as the program does.

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

namespace {

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
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    for (const char *menu : {"&File", "&Options", "&Help"})
        window.menuBar()->addMenu(QLatin1String(menu))->addAction(QStringLiteral("&Item"));
    auto *client = new QWidget(&window);
    client->setFixedSize(461, 253); // the program's client area: 6915 x 3795 twips
    window.setCentralWidget(client);
    if (qEnvironmentVariableIsSet("CALMORA_BENCH_EXIT_AFTER_SHOW"))
        window.installEventFilter(new ExitAfterFirstPaint(&window));
    window.show();
    return QApplication::exec();
}
