// The second copy of a soak run (bench/soak.sh): sends one message after
// another to NAME through the program's own sending code, each a sound of its
// own and a text of its own, and sends the next only once both files of the
// previous one have left the folder and the receiving user has dismissed its
// text (a text that arrives while the previous one is still on screen waits in
// the folder for the next sound by design, and the next message would replace
// it). Writes one line per event to LOG:
//   sent N TEXT        collected N SECONDS        stuck N SECONDS
// TEXT is the message as the receiver logs it (quoted, line ends as \n).
// Stops before the next message once STOPFILE exists.
// Usage: soak_sender FOLDER NAME WORKDIR LOG DISMISSEDFILE STOPFILE
#include "net/sender.h"
#include "platform/posixfilesystem.h"

#include <QByteArray>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <numbers>

using namespace calmora;

namespace {

constexpr int kRate = 22050;
// How long a message may take to be collected before the log says so.
constexpr qint64 kStuckMs = 60 * 1000;

// A short tone whose pitch and length depend on n, so every message's sound is
// a different file.
QByteArray toneWav(int n)
{
    const int samples = kRate / 8 + n % 997;
    const double hertz = 300.0 + (n * 37) % 900;
    QByteArray data;
    QDataStream pcm(&data, QIODevice::WriteOnly);
    pcm.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < samples; ++i)
        pcm << qint16(std::lround(12000 * std::sin(2 * std::numbers::pi * hertz * i / kRate)));
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + data.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(kRate) << quint32(kRate * 2) << quint16(2)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(data.size());
    out.writeRawData(data.constData(), int(data.size()));
    return wav;
}

QString messageText(int n)
{
    return QStringLiteral("Soak message %1\nsecond line, with a comma").arg(n);
}

// The text as the receiver's log shows it: QDebug's quoting of a string.
QString loggedText(const QString &text)
{
    QString quoted = text;
    quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    quoted.replace(QLatin1Char('"'), QLatin1String("\\\""));
    quoted.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

bool exists(const QString &path)
{
    return QFileInfo::exists(path);
}

int dismissed(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readAll().trimmed().toInt();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: soak_sender FOLDER NAME WORKDIR LOG DISMISSEDFILE STOPFILE\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QString work = QString::fromLocal8Bit(argv[3]);
    const QString dismissedFile = QString::fromLocal8Bit(argv[5]);
    const QString stopFile = QString::fromLocal8Bit(argv[6]);
    QFile log(QString::fromLocal8Bit(argv[4]));
    if (!QDir().mkpath(work) || !log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        std::fprintf(stderr, "soak_sender: cannot write %s or %s\n", argv[3], argv[4]);
        return 1;
    }
    auto note = [&log](const QString &line) { log.write((line + QLatin1Char('\n')).toUtf8()); };
    const std::shared_ptr<FileSystem> files = std::make_shared<PosixFileSystem>();
    const QString sound = folder + QLatin1Char('/') + name + QLatin1String(".wav");
    const QString text = folder + QLatin1Char('/') + name + QLatin1String(".txt");

    for (int n = 1;; ++n) {
        // The user reads the previous text before the next one comes.
        while (!exists(stopFile) && dismissed(dismissedFile) < n - 1)
            QThread::msleep(100);
        if (exists(stopFile))
            return 0;
        const QString source = work + QStringLiteral("/message-%1.wav").arg(n);
        QFile wav(source);
        if (!wav.open(QIODevice::WriteOnly) || wav.write(toneWav(n)) < 0) {
            std::fprintf(stderr, "soak_sender: cannot write %s\n", qPrintable(source));
            return 1;
        }
        wav.close();
        const QStringList failures = sendMessage(*files, {source, messageText(n), folder, {name}});
        if (!failures.isEmpty()) {
            note(QStringLiteral("failed %1 %2").arg(n).arg(failures.join(QLatin1String("; "))));
            return 1;
        }
        note(QStringLiteral("sent %1 %2").arg(n).arg(loggedText(messageText(n))));
        QElapsedTimer waited;
        waited.start();
        bool reported = false;
        while (exists(sound) || exists(text)) {
            if (!reported && waited.elapsed() > kStuckMs) {
                note(QStringLiteral("stuck %1 %2").arg(n).arg(waited.elapsed() / 1000.0, 0, 'f', 1));
                reported = true;
            }
            QThread::msleep(50);
        }
        note(QStringLiteral("collected %1 %2").arg(n).arg(waited.elapsed() / 1000.0, 0, 'f', 2));
        QFile::remove(source);
    }
}
