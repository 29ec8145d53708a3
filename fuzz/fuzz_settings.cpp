// Stored settings as Read_Settings meets them: the input is key=value lines,
// each saved through the settings store, so every value reaches the program's
// own parsing (the INI file format itself is Qt's).

#include "core/appstate.h"
#include "core/settings.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"
#include "platform/settingsstore.h"
#include "support/memoryfilesystem.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using namespace calmora;

// Everything Read_Settings fills. Any shared folder named is missing.
struct Program
{
    AppState state;
    SoundList list{state, nullptr};
    FolderListing File1{std::make_shared<MemoryFileSystem>()};

    void read(const SettingsStore &store) { readSettings(store, state, list, File1); }
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

// The entries in list order; copies of one sound keep their order too.
std::vector<std::pair<QString, bool>> entries(const SoundList &list)
{
    std::vector<std::pair<QString, bool>> result;
    for (int n = 0; n < list.count(); ++n) {
        if (n > 0 && SoundList::sortsBefore(list.text(n), list.text(n - 1)))
            fail("sound list out of order", list.text(n));
        result.emplace_back(list.text(n), list.isTicked(n));
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
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    scratch = &dir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString input = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // Stores that are never synced stay in memory; saving writes its own.
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
    first.read(stored);
    if (first.state.StressIndex < 0 || first.state.StressIndex > 3)
        fail("StressIndex out of range", QString::number(first.state.StressIndex));
    if (first.state.UserCount < 0 || first.state.UserCount > AppState::kMaxUsers)
        fail("Users out of range", QString::number(first.state.UserCount));
    if (first.list.count() > SoundList::kMaxEntries)
        fail("too many sounds", QString::number(first.list.count()));

    SettingsStore saved(scratch->filePath(QStringLiteral("saved.conf")));
    saveSettings(saved, first.state, first.list);
    second.read(saved);
    compare(first, second);
    return 0;
}
