// What the program asks of the user's session: whether the screen is locked,
// whether a copy already runs, and whether it starts at login.

#include "platform/dbusscreenlock.h"
#include "platform/instanceguard.h"
#include "platform/xdgautostart.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

using namespace calmora;
using namespace Qt::StringLiterals;

namespace {

// A screen saver service as the desktop's: it says whether it is active.
class FakeScreenSaver final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    bool active = false;

public Q_SLOTS:
    bool GetActive() { return active; }

Q_SIGNALS:
    void ActiveChanged(bool active);
};

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

    QProcess m_bus;
    QString m_address;

private Q_SLOTS:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        m_bus.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address"_s});
        QVERIFY2(m_bus.waitForReadyRead(5000), "dbus-daemon did not start");
        m_address = QString::fromUtf8(m_bus.readLine()).trimmed();
    }
    void cleanupTestCase()
    {
        m_bus.terminate();
        m_bus.waitForFinished();
    }

    // Asked once at start, then told by the signal; without the service, unlocked.
    void theScreenSaverSaysWhenTheScreenIsLocked()
    {
        QDBusConnection service = QDBusConnection::connectToBus(m_address, u"service"_s);
        QDBusConnection client = QDBusConnection::connectToBus(m_address, u"client"_s);
        QVERIFY(!DBusScreenLock(client).isLocked());

        FakeScreenSaver saver;
        saver.active = true;
        QVERIFY(service.registerObject(u"/org/freedesktop/ScreenSaver"_s, &saver,
                                       QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        QVERIFY(service.registerService(u"org.freedesktop.ScreenSaver"_s));
        DBusScreenLock lock(client);
        QSignalSpy changed(&lock, &ScreenLock::lockedChanged);
        QTRY_VERIFY(lock.isLocked());
        Q_EMIT saver.ActiveChanged(false);
        QTRY_VERIFY(!lock.isLocked());
        QCOMPARE(changed.count(), 2);
    }

    // A second copy asks the first to come forward; a socket left by one that
    // crashed does not stop the next start.
    void oneCopyPerUserAndSettings()
    {
        const QString key = u"/home/ann/.config/Calmora/calmora.conf"_s;
        InstanceGuard first(key);
        const QString socket = QDir::isAbsolutePath(first.socketName())
                                   ? first.socketName()
                                   : QDir::tempPath() + u'/' + first.socketName();
        QFile stale(socket);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        QVERIFY(first.claim());
        QSignalSpy asked(&first, &InstanceGuard::activationRequested);
        InstanceGuard second(key);
        QVERIFY(!second.claim());
        QTRY_COMPARE(asked.count(), 1);
        InstanceGuard other(u"/home/ann/.config/Calmora/calmora-test.conf"_s);
        QVERIFY(other.claim());
    }

    void startingAtLoginIsAnEntryOfTheDesktop()
    {
        XdgAutostart autostart(u"/opt/my \"sounds\"/calmora"_s, u"calmora"_s);
        QVERIFY(autostart.entryPath().endsWith(u"/autostart/org.calmora.Calmora.desktop"_s));
        autostart.setEnabled(false);
        QVERIFY(!autostart.isEnabled());
        QCOMPARE(autostart.setEnabled(true), QString());
        QVERIFY(autostart.isEnabled());
        QFile entry(autostart.entryPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QVERIFY(entry.readAll().contains(R"(Exec="/opt/my \\"sounds\\"/calmora")"));
        QCOMPARE(QProcess::execute(u"desktop-file-validate"_s, {autostart.entryPath()}), 0);
        QCOMPARE(autostart.setEnabled(false), QString());
        QVERIFY(!QFile::exists(autostart.entryPath()));
        // A copy under another name has an entry of its own.
        QVERIFY(XdgAutostart(u"/x"_s, u"calmora test"_s).entryPath().endsWith(u"Calmora-calmora_test.desktop"_s));
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
