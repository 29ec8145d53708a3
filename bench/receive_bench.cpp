// The receive step of a tick against a shared folder holding 100 000 files
// that are not for this computer (so every step reads the whole folder),
// compared with `ls -f` listing the same folder. Also measures the longest
// time the window's thread went without running its event loop while the
// steps ran. Prints medians and the ratio step/ls.
// Usage: receive_bench [folder] (default: a new temporary folder)
#include "core/appstate.h"
#include "net/receiver.h"
#include "platform/mediaplayer.h"
#include "platform/posixfilesystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace calmora;

namespace {

constexpr int kFiles = 100000;

class SilentPlayer final : public MediaPlayer
{
public:
    void setDeviceType(const QString &) override {}
    void setFileName(const QString &) override {}
    void setWait(bool) override {}
    void command(const QString &word) override { played += word == QLatin1String("sound"); }
    int played = 0;
    void setVolume(int) override {}
};

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool fillFolder(const QString &folder)
{
    QDir().mkpath(folder);
    if (QDir(folder).entryList(QDir::Files).size() >= kFiles)
        return true;
    for (int i = 0; i < kFiles; ++i) {
        QFile file(folder + QStringLiteral("/unrelated-%1.dat").arg(i, 6, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

double listOnce(const QString &folder)
{
    QProcess ls;
    ls.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    ls.start(QStringLiteral("ls"), {QStringLiteral("-f"), folder});
    ls.waitForFinished(-1);
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir scratch;
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.filePath(QStringLiteral("share"));
    const int runs = std::max(
        3, qEnvironmentVariableIntValue("BENCH_RUNS") ? qEnvironmentVariableIntValue("BENCH_RUNS") : 10);
    if (!fillFolder(folder)) {
        std::fprintf(stderr, "cannot fill %s\n", qPrintable(folder));
        return 1;
    }

    AppState state;
    state.NetName = QStringLiteral("bob");
    state.NetPath = folder;
    state.NetActive = true;
    SilentPlayer player;
    Receiver receiver(state, player, std::make_shared<PosixFileSystem>());

    // A heartbeat on the window's thread while a step runs: the longest gap
    // between beats is the longest time the thread could not answer the user.
    QElapsedTimer clock;
    clock.start();
    bool measuring = false;
    qint64 lastBeat = 0;
    double longestGapMs = 0;
    double longestCallMs = 0; // inside receiveStep() itself
    auto beat = [&] {
        const qint64 now = clock.nsecsElapsed();
        if (measuring)
            longestGapMs = std::max(longestGapMs, double(now - lastBeat) / 1e6);
        lastBeat = now;
    };
    QTimer heartbeat;
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, beat);
    heartbeat.start();

    auto stepOnce = [&] {
        QEventLoop loop;
        bool done = false;
        measuring = true;
        lastBeat = clock.nsecsElapsed();
        const qint64 start = lastBeat;
        receiver.receiveStep([&] {
            done = true;
            loop.quit();
        });
        longestCallMs = std::max(longestCallMs, double(clock.nsecsElapsed() - start) / 1e6);
        beat();
        if (!done)
            loop.exec();
        // The step is over once its work on the folder is over too.
        while (receiver.busy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        beat();
        measuring = false;
        return double(clock.nsecsElapsed() - start) / 1e6;
    };

    // The first of each fills the caches and is not counted.
    listOnce(folder);
    stepOnce();
    longestGapMs = 0;
    longestCallMs = 0;
    std::vector<double> ls, steps, arriving;
    for (int i = 0; i < runs; ++i) {
        ls.push_back(listOnce(folder));
        steps.push_back(stepOnce());
    }
    // A message a peer writes in place, still growing at every look: the step
    // reads its header, finds it incomplete and leaves it for a later tick.
    QFile message(folder + QStringLiteral("/bob.wav"));
    if (!message.open(QIODevice::WriteOnly))
        return 1;
    QByteArray header =
        QByteArray::fromHex("524946460000000057415645666d74201000000001000100401f0000401f000001000800"
                            "64617461");
    QByteArray promised(4, '\0');
    qToLittleEndian<quint32>(1 << 20, promised.data());
    header += promised;
    message.write(header);
    for (int i = 0; i < runs; ++i) {
        message.write(QByteArray(1024, '\x80'));
        message.flush();
        arriving.push_back(stepOnce());
    }
    const bool stillThere = QFile::exists(message.fileName()) && player.played == 0;

    const double lsMedian = median(ls);
    const double stepMedian = median(steps);
    std::printf("folder: %d unrelated files, %d runs\n", kFiles, runs);
    std::printf("ls -f:                  median %.2f ms\n", lsMedian);
    std::printf("receive step:           median %.2f ms\n", stepMedian);
    std::printf("ratio step / ls -f:     %.2f (target <= 2)\n", stepMedian / lsMedian);
    std::printf("receive step, a message still being written: median %.2f ms (%s)\n", median(arriving),
                stillThere ? "left in the folder, as it must be" : "TAKEN HALF WRITTEN");
    std::printf(
        "longest block of the window's thread: %.2f ms (target <= 50), of which in the step's call %.2f ms\n",
        longestGapMs, longestCallMs);
    return 0;
}
