// Saving the settings onto a file system that is full or read-only, and
// updating a program installed where it cannot be replaced, for real. Run
// inside `unshare -rm`, where the test may mount a small tmpfs of its own.

#include "app/updatecheck.h"
#include "core/appstate.h"
#include "core/settings.h"
#include "fakes.h"
#include "list/soundlist.h"
#include "net/folderlisting.h"
#include "platform/settingsstore.h"

#include <QCoreApplication>
#include <QDateTime>

#include <cstdio>

#include <sys/mount.h>
#include <sys/statvfs.h>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

namespace {

bool mountTmpfs(const QString &folder, unsigned long flags = 0)
{
    return ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", flags, "size=64k") == 0;
}

// Fills folder's file system until only freePages pages are left.
void fill(const QString &folder, qint64 freePages)
{
    struct statvfs vfs;
    QVERIFY(::statvfs(QFile::encodeName(folder).constData(), &vfs) == 0);
    const qint64 bytes = qint64(vfs.f_bavail) * qint64(vfs.f_frsize) - freePages * 4096;
    QFile filler(folder + u"/filler"_s);
    QVERIFY(filler.open(QIODevice::WriteOnly));
    QCOMPARE(filler.write(QByteArray(bytes, 'f')), bytes);
    QVERIFY(filler.flush());
}

struct Settings
{
    explicit Settings(const QString &file) : store(file) {}
    bool save() { return saveSettings(store, state, list); }
    void read() { readSettings(store, state, list, file1); }
    void addEntries(const char *folder, int count)
    {
        for (int n = 0; n < count; ++n)
            list.addEntry(u"/%1/a rather long folder name/sound %2.wav"_s.arg(QLatin1String(folder)).arg(n),
                          n % 2);
    }

    SettingsStore store;
    AppState state;
    SoundList list{state, nullptr};
    FolderListing file1{nullptr};
};

} // namespace

class TestFileSystemFaults : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_mount = m_dir.filePath(u"config"_s);

private Q_SLOTS:
    void init()
    {
        QVERIFY(QDir().mkpath(m_mount));
        QVERIFY(mountTmpfs(m_mount));
    }
    void cleanup() { ::umount2(QFile::encodeName(m_mount).constData(), MNT_DETACH); }

    void failedSaveKeepsTheOldFileWhole_data()
    {
        QTest::addColumn<int>("freePages"); // none: read-only
        QTest::addColumn<QString>("reason");
        QTest::newRow("disk full") << 0 << u"No space left on device"_s;
        // Room for the lock file and part of the new file: QSettings itself
        // would report success and leave the settings cut short.
        QTest::newRow("disk almost full") << 2 << u"No space left on device"_s;
        QTest::newRow("read-only") << -1 << u"Read-only file system"_s;
    }

    void failedSaveKeepsTheOldFileWhole()
    {
        QFETCH(int, freePages);
        QFETCH(QString, reason);
        const bool readOnly = freePages < 0;
        const QString file = m_mount + u"/Calmora/calmora.conf"_s;
        {
            Settings old(file);
            old.addEntries("old", 3);
            QVERIFY(old.save());
        }
        const QByteArray oldBytes = contents(file);
        if (readOnly)
            QVERIFY(mountTmpfs(m_mount, MS_REMOUNT | MS_RDONLY));
        else
            fill(m_mount, freePages);

        Settings f(file);
        f.read();
        // Less than QSettings buffers before it writes, more than the room left.
        f.addEntries("new", 150);
        QVERIFY(!f.save());
        QCOMPARE(contents(file), oldBytes);
        QVERIFY(f.state.SettingsChanged);
        const QString message = saveFailedMessage(f.store);
        QVERIFY2(message.endsWith(u": "_s + reason), qPrintable(message));
        QCOMPARE(filesIn(m_mount + u"/Calmora"_s), QStringList{u"calmora.conf"_s});

        // Once there is room again the same save goes through.
        if (readOnly)
            QVERIFY(mountTmpfs(m_mount, MS_REMOUNT));
        else
            QVERIFY(QFile::remove(m_mount + u"/filler"_s));
        QVERIFY(f.save());
        Settings back(file);
        back.read();
        QCOMPARE(back.list.count(), 153);
    }

    // A program installed system-wide, or on a read-only medium, cannot be
    // updated by its user: no question is asked, with or without a key.
    void noQuestionWhereTheProgramCannotBeReplaced()
    {
        TestRig rig; // its folder stands for the share
        rig.program.folder = m_mount;
        put(m_mount + u"/calmora"_s, "old");
        QFile newer(rig.path(u"calmora"_s));
        QVERIFY(
            newer.open(QIODevice::WriteOnly) && newer.write("new") == 3 && newer.flush()
            && newer.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime));
        QVERIFY(mountTmpfs(m_mount, MS_REMOUNT | MS_RDONLY));
        AppState state;
        state.NetPath = rig.dir.path();
        FolderListing File1(rig.files);
        File1.setPath(state.NetPath);
        UpdateOutcome outcome{};
        QVERIFY(!findUpdate(state, File1, rig.program, &outcome));
        QCOMPARE(outcome, UpdateOutcome::NotWritable);
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir probe;
    if (!mountTmpfs(probe.path())) {
        std::puts("SKIP: cannot mount a tmpfs here (run it under `unshare -rm`)");
        return 77;
    }
    ::umount2(QFile::encodeName(probe.path()).constData(), MNT_DETACH);
    TestFileSystemFaults test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_filesystemfaults.moc"
