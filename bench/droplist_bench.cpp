// Dropping 2500, 5000 and 10000 sound files on the sound list at once, all
// added ticked, against inserting the same names into a plain sorted
// QStringList in the same run. The time per file stays flat when dropping is
// linear in the count; the drop of 10000 files should take well under 1 s.

#include "core/appstate.h"
#include "list/soundlist.h"
#include "list/soundlistview.h"

#include <QApplication>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

using namespace calmora;

namespace {

// Names as a file manager hands them over: mixed case, in no particular order.
QList<QUrl> droppedFiles(int count)
{
    QList<QUrl> urls;
    urls.reserve(count);
    for (int i = 0; i < count; ++i) {
        urls.append(QUrl::fromLocalFile(QStringLiteral("/home/ann/Sounds/Set %1/Sound %2.%3")
                                            .arg(i % 37)
                                            .arg(i, 5, 10, QLatin1Char('0'))
                                            .arg(i % 3 ? QStringLiteral("wav") : QStringLiteral("WAV"))));
    }
    std::shuffle(urls.begin(), urls.end(), std::mt19937(20240607));
    return urls;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds to drop urls on an empty, visible sound list, repaint included.
double timeDrop(const QList<QUrl> &urls, int &entries, int &ticked)
{
    QWidget window;
    auto *list1 = new SoundListView(&window);
    list1->setGeometry(192, 24, 261, 169);
    AppState state;
    SoundList list(state, &window);
    list1->setModel(&list);
    QObject::connect(list1, &SoundListView::filesDropped, &list,
                     [&list](const QStringList &paths) { list.addSoundFiles(paths, Qt::CaseSensitive); });
    window.show();
    QCoreApplication::processEvents();

    QMimeData data;
    data.setUrls(urls);
    QElapsedTimer clock;
    clock.start();
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list1->viewport(), &drop);
    QCoreApplication::processEvents();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    entries = list.count();
    ticked = int(list.List2().size());
    return ms;
}

// The same names inserted one by one at their sorted place in a QStringList.
double timeBaseline(const QList<QUrl> &urls)
{
    const auto before = [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.compare(b, Qt::CaseSensitive) < 0;
    };
    QElapsedTimer clock;
    clock.start();
    QStringList sorted;
    for (const QUrl &url : urls) {
        const QString name = url.toLocalFile();
        sorted.insert(std::upper_bound(sorted.begin(), sorted.end(), name, before), name);
    }
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    return sorted.size() == urls.size() ? ms : -1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int runs = std::max(
        1, qEnvironmentVariableIntValue("BENCH_RUNS") > 0 ? qEnvironmentVariableIntValue("BENCH_RUNS") : 5);
    std::printf("Dropping files on the sound list, median of %d runs\n", runs);
    std::printf("%8s %12s %14s %8s %14s\n", "files", "drop ms", "baseline ms", "ratio", "drop us/file");
    bool ok = true;
    double perFileSmallest = 0;
    double perFileLargest = 0;
    double largest = 0;
    for (const int count : {2500, 5000, 10000}) {
        const QList<QUrl> urls = droppedFiles(count);
        std::vector<double> drops;
        std::vector<double> baselines;
        for (int run = 0; run < runs; ++run) {
            int entries = 0;
            int ticked = 0;
            drops.push_back(timeDrop(urls, entries, ticked));
            baselines.push_back(timeBaseline(urls));
            if (entries != count || ticked != count) {
                std::printf("wrong result: %d entries, %d ticked for %d files\n", entries, ticked, count);
                ok = false;
            }
        }
        const double drop = median(drops);
        const double baseline = median(baselines);
        const double perFile = drop * 1000 / count;
        std::printf("%8d %12.1f %14.2f %8.1f %14.2f\n", count, drop, baseline, drop / baseline, perFile);
        if (count == 2500)
            perFileSmallest = perFile;
        perFileLargest = perFile;
        largest = drop;
    }
    std::printf("time per file, 10000 against 2500: %.2f (1.00 is linear)\n",
                perFileLargest / perFileSmallest);
    std::printf("10000 files in %.0f ms: %s\n", largest, largest < 1000 ? "under 1 s" : "OVER 1 s");
    return ok && largest < 1000 ? 0 : 1;
}
