// Stored settings as Read_Settings meets them: the input is key=value lines,
// each saved through the settings store, so every value reaches the program's
// own parsing (the INI file format itself is Qt's).

#include "app/appstate.h"
#include "app/settings.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"
#include "platform/dialogs.h"
#include "platform/settingsstore.h"

#include <QApplication>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using namespace calmora;

class SilentDialogs final : public Dialogs
{
public:
    void message(QWidget *, const QString &) override {}
    bool askYesNo(QWidget *, const QString &) override { return false; }
    QString inputText(QWidget *, const QString &) override { return {}; }
};

// Everything Read_Settings fills.
struct Program
{
    AppState state;
    QListWidget list1;
    SoundList list{&list1, state, nullptr};
    FolderListing File1;
    SilentDialogs dialogs;

    Program() { File1.setWaitLimit(200); }
    SettingsContext context(SettingsStore &store) { return {store, state, list, File1, dialogs, nullptr}; }
};

QString sectionOf(const QString &key)
{
    static const QRegularExpression functionKey(QStringLiteral("^F\\d+$"));
    static const QRegularExpression wav(QStringLiteral("^(wav\\d+|NumWavs)$"));
    if (functionKey.match(key).hasMatch())
        return QStringLiteral("Function Keys");
    if (wav.match(key).hasMatch())
        return QStringLiteral("WAV Files");
    return QStringLiteral("Settings");
}

[[noreturn]] void fail(const char *what, const QString &detail)
{
    std::fprintf(stderr, "%s: %s\n", what, detail.toUtf8().constData());
    std::abort();
}

// The entries in list order, except that among entries of the same text the
// order is not kept: the list puts a new entry before its equals, so two
// copies of one sound, ticked differently, swap places on every restart.
std::vector<std::pair<QString, bool>> entries(const SoundList &list)
{
    std::vector<std::pair<QString, bool>> result;
    for (int n = 0; n < list.count(); ++n) {
        if (n > 0 && SoundList::sortsBefore(list.text(n), list.text(n - 1)))
            fail("sound list out of order", list.text(n));
        result.emplace_back(list.text(n), list.isTicked(n));
    }
    for (auto run = result.begin(); run != result.end();) {
        const auto end =
            std::find_if(run, result.end(), [&](const auto &e) { return e.first != run->first; });
        std::sort(run, end);
        run = end;
    }
    return result;
}

// What was read, saved and read again must be what was read.
void compare(const Program &a, const Program &b)
{
    if (a.state.StressIndex != b.state.StressIndex)
        fail("StressIndex changed", QString::number(a.state.StressIndex));
    if (a.state.NetName != b.state.NetName || a.state.NetPath != b.state.NetPath
        || a.state.NetActive != b.state.NetActive)
        fail("network settings changed", a.state.NetName + QLatin1Char('|') + a.state.NetPath);
    if (a.state.UserCount != b.state.UserCount || a.state.Users != b.state.Users)
        fail("users changed", QString::number(a.state.UserCount));
    if (a.state.FunctionKeyTable != b.state.FunctionKeyTable)
        fail("function keys changed", {});
    if (entries(a.list) != entries(b.list))
        fail("sound entries changed", {});
    if (a.list.List2() != b.list.List2())
        fail("ticked sounds changed", {});
}

QTemporaryDir *scratch;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    static QTemporaryDir dir;
    scratch = &dir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // Stores that are never synced stay in memory; Save_Settings writes its own.
    QFile::remove(scratch->filePath(QStringLiteral("read.conf")));
    QFile::remove(scratch->filePath(QStringLiteral("saved.conf")));
    SettingsStore stored(scratch->filePath(QStringLiteral("read.conf")));
    for (const QString &line : input.split(QLatin1Char('\n'))) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        const QString key = line.left(equals);
        stored.save(sectionOf(key), key, line.mid(equals + 1));
    }

    // One window for the whole run, as the program reads into the one it has.
    static Program first;
    static Program second;
    Read_Settings(first.context(stored));
    if (first.state.StressIndex < 0 || first.state.StressIndex > 3)
        fail("StressIndex out of range", QString::number(first.state.StressIndex));
    if (first.state.UserCount < 0 || first.state.UserCount > AppState::kMaxUsers)
        fail("Users out of range", QString::number(first.state.UserCount));
    if (first.list.count() > SoundList::kMaxEntries)
        fail("too many sounds", QString::number(first.list.count()));

    SettingsStore saved(scratch->filePath(QStringLiteral("saved.conf")));
    Save_Settings(first.context(saved));
    Read_Settings(second.context(saved));
    compare(first, second);
    return 0;
}
