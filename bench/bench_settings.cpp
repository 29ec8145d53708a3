// Read_Settings on stored lists of 8192, 16384 and 32767 entries (the most the
// list holds): the time each read takes, opening the store included, and the
// time per entry, which stays flat when reading is linear. The smallest list
// is the baseline: the 32767/8192 time ratio should be close to 4.

#include "core/appstate.h"
#include "core/settings.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"
#include "platform/settingsstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <random>
#include <vector>

using namespace calmora;

namespace {

// A store as the program writes it, entries named in no particular order so
// the sorted list really has to place each one.
bool writeStore(const QString &path, int entries)
{
    std::vector<int> numbers(std::size_t(entries), 0);
    std::iota(numbers.begin(), numbers.end(), 0);
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(20240611));

    QByteArray ini = "[Settings]\nStressIndex=1\nNetActive=False\nUsers=2\nUser1=ann\nUser2=bob\n"
                     "[Function%20Keys]\nF1=Random\n"
                     "[WAV%20Files]\nNumWavs="
                     + QByteArray::number(entries) + '\n';
    for (int n = 0; n < entries; ++n) {
        ini += "wav" + QByteArray::number(n) + "=\"/home/user/Sounds/set "
               + QByteArray::number(numbers[std::size_t(n)] % 97) + "/sound "
               + QByteArray::number(numbers[std::size_t(n)]) + ".wav," + (n % 3 ? "True" : "False") + "\"\n";
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size();
}

// Milliseconds for one read, from opening the store to a filled list.
double timeRead(const QString &path, int expected)
{
    QElapsedTimer timer;
    timer.start();
    SettingsStore store(path);
    AppState state;
    SoundList list(state, nullptr);
    FolderListing file1(nullptr);
    const std::error_code error = readSettings(store, state, list, file1);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    if (list.count() != expected || error) {
        std::fprintf(stderr, "read %d entries of %d: %s\n", list.count(), expected, error.message().c_str());
        std::exit(1);
    }
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int runs = qEnvironmentVariableIntValue("BENCH_RUNS");
    if (runs < 1)
        runs = 5;

    QTemporaryDir dir;
    const std::vector<int> sizes = {8192, 16384, SoundList::kMaxEntries};
    std::vector<double> medians;
    std::printf("Read_Settings with a stored list of N entries (median of %d runs)\n", runs);
    std::printf("%8s %12s %16s\n", "entries", "time (ms)", "per entry (us)");
    for (int size : sizes) {
        const QString path = dir.filePath(QStringLiteral("store-%1.ini").arg(size));
        if (!writeStore(path, size)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::vector<double> times;
        times.reserve(std::size_t(runs));
        for (int r = 0; r < runs; ++r)
            times.push_back(timeRead(path, size));
        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        medians.push_back(median);
        std::printf("%8d %12.1f %16.2f\n", size, median, median * 1000.0 / size);
    }

    const double ratio = medians.back() / medians.front();
    const double sizeRatio = double(sizes.back()) / sizes.front();
    const double slowest = *std::max_element(medians.begin(), medians.end()) / 1000.0;
    std::printf("ratio %d/%d: time %.2f for %.2f times the entries (linear: about %.1f)\n", sizes.back(),
                sizes.front(), ratio, sizeRatio, sizeRatio);
    std::printf("largest list: %.3f s (target under 1 s): %s\n", slowest, slowest < 1.0 ? "met" : "MISSED");
    return 0;
}
