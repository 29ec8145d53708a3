// update: replaces an installed Calmora with a newer copy.
//
//     update NEW_COPY LOCAL_COPY
//
// Calmora starts it from its own folder when the user accepts a newer version
// found in the shared folder. The old program stays intact on any failure.
// A small window then says what was done or why it failed.
//
// Exit status: 0 updated, 1 not updated, 2 wrong arguments.
// CALMORA_UPDATE_QUIET=1 in the environment shows no window (tests, scripts);
// the same text always goes to standard error.

#include "app/updatecheck.h"
#include "app/updatekey.h"
#include "programreplacer.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <memory>

using namespace calmora::update;

namespace {

const QString kTitle = QStringLiteral("Calmora Update");

// A program that locks its running file (Windows) is waited for: the user is
// asked to close it, and can give up.
constexpr std::chrono::milliseconds kRetryDelay{1000};
constexpr int kQuietAttempts = 120;
constexpr int kWindowAttempts = 600;

void report(bool quiet, bool ok, const QString &text)
{
    std::fprintf(stderr, "update: %s\n",
                 qPrintable(QString(text).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    if (quiet)
        return;
    QMessageBox box(ok ? QMessageBox::Information : QMessageBox::Warning, kTitle, text, QMessageBox::Ok);
    box.exec();
}

// Shows a window asking to close Calmora while the old program is still held.
class WaitingWindow final
{
public:
    bool waitOnce(int failedAttempts)
    {
        if (failedAttempts >= kWindowAttempts)
            return false;
        if (!m_box) {
            m_box = std::make_unique<QMessageBox>(
                QMessageBox::Information, kTitle,
                QStringLiteral("Calmora is still running, so it cannot be "
                               "replaced yet.\n\nClose Calmora to finish the update."),
                QMessageBox::Cancel);
            QObject::connect(m_box.get(), &QMessageBox::finished, m_box.get(),
                             [this] { m_cancelled = true; });
            m_box->show();
        }
        QEventLoop loop;
        QTimer::singleShot(kRetryDelay, &loop, &QEventLoop::quit);
        QObject::connect(m_box.get(), &QMessageBox::finished, &loop, &QEventLoop::quit);
        if (!m_cancelled)
            loop.exec();
        return !m_cancelled;
    }

    void close()
    {
        if (m_box) {
            const QSignalBlocker blocker(m_box.get());
            m_box->hide();
        }
    }

private:
    std::unique_ptr<QMessageBox> m_box;
    bool m_cancelled = false;
};

} // namespace

int main(int argc, char *argv[])
{
    const bool quiet = qEnvironmentVariable("CALMORA_UPDATE_QUIET") == QLatin1String("1");
    // Quiet runs need no display at all.
    const std::unique_ptr<QCoreApplication> app =
        quiet ? std::make_unique<QCoreApplication>(argc, argv) : std::make_unique<QApplication>(argc, argv);

    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() != 2) {
        report(quiet, false,
               QStringLiteral("Usage: update NEW_COPY LOCAL_COPY\n\n"
                              "Replaces the program LOCAL_COPY with a copy of NEW_COPY."));
        return 2;
    }

    ReplaceOptions options;
    WaitingWindow waiting;
    if (quiet)
        options.retry = waitingRetry(kQuietAttempts, kRetryDelay);
    else
        options.retry = [&waiting](int failedAttempts) { return waiting.waitOnce(failedAttempts); };
    // A build that trusts a key checks again what it copied: a file swapped
    // after the program checked it is never installed.
    if (const QByteArray key = calmora::builtInUpdateKey(); !key.isEmpty()) {
        options.verify = [key, newCopy = arguments.at(0)](const QByteArray &copied) {
            const calmora::SignatureCheck check = calmora::verifyUpdate(key, newCopy, copied);
            return check.valid ? QString() : check.why;
        };
    }
    const ReplaceResult result = replaceProgram(arguments.at(0), arguments.at(1), options);
    waiting.close();
    report(quiet, result.ok, result.message);
    return result.ok ? 0 : 1;
}
