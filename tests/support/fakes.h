#pragma once

#include "platform/autostart.h"
#include "platform/dialogs.h"
#include "platform/filesystem.h"
#include "platform/launcher.h"
#include "platform/mediaplayer.h"
#include "platform/random.h"
#include "platform/screenlock.h"
#include "platform/services.h"
#include "platform/settingsstore.h"
#include "platform/systeminfolookup.h"
#include "platform/trayicon.h"

#include <QStringList>
#include <QTemporaryDir>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace calmora::test {

// QStringList{"a", "b"} without casts from ASCII.
QStringList strings(std::initializer_list<const char *> texts);
// A file's bytes, or "<missing>".
QByteArray contents(const QString &file);
void put(const QString &file, const QByteArray &bytes);
// The files in folder, hidden ones too, by name.
QStringList filesIn(const QString &folder);
// A WAV file whose header promises exactly data; promise more to make one that
// is still being written.
QByteArray wavFile(const QByteArray &data, qint64 promised = -1);

// The one fake player. It records every operation ("device WaveAudio",
// "file /a.wav", "wait on", "command sound"), the bytes each sound had when it
// played, and plays a waiting sound "to its end" by running duringWait.
class FakePlayer final : public MediaPlayer
{
    Q_OBJECT

public:
    using MediaPlayer::MediaPlayer;

    void setDeviceType(const QString &deviceType) override;
    void setFileName(const QString &fileName) override;
    void setWait(bool wait) override;
    void command(const QString &command) override;
    void setVolume(int percent) override { volume = percent; }

    // The file names handed to "sound" commands, in order.
    QStringList soundsPlayed() const;
    // Pretends a sound is being played to its end (or has just ended).
    void simulateWaiting(bool waiting) { setWaiting(waiting); }

    QStringList log;
    QList<QByteArray> bytesPlayed;
    bool wait = false;
    int volume = 100;
    std::function<void()> duringWait;

private:
    QString m_fileName;
};

// Answers questions from a script (Yes when the script runs out) and keeps
// every text it was shown.
class FakeDialogs final : public Dialogs
{
public:
    void message(QWidget *parent, const QString &text) override;
    bool askYesNo(QWidget *parent, const QString &text) override;
    QString inputText(QWidget *parent, const QString &prompt) override;

    std::deque<bool> answers;
    std::deque<QString> inputs;
    QStringList messages;
    QStringList questions;
};

class FakeLauncher final : public Launcher
{
public:
    qint64 start(const QString &program, const QStringList &arguments) override;
    bool activate(qint64 pid) override;
    bool isRunning(qint64 pid) override { return running.contains(pid); }
    bool showFolder(const QString &folder) override
    {
        if (folderService)
            foldersShown.append(folder);
        return folderService;
    }

    struct Start
    {
        QString program;
        QStringList arguments;
    };
    QList<Start> starts;
    QList<qint64> activations;
    QList<qint64> running;
    qint64 nextPid = 100;
    bool failStarts = false;
    // False: a desktop that cannot bring another program's window forward.
    bool canRaise = true;
    // False: no file manager service on the session bus.
    bool folderService = true;
    QStringList foldersShown;
};

class FakeTray final : public TrayIcon
{
    Q_OBJECT

public:
    using TrayIcon::TrayIcon;

    bool isAvailable() const override { return available; }
    void add(const QIcon &, const QString &newTip) override
    {
        present = true;
        tip = newTip;
    }
    void remove() override { present = false; }
    bool isPresent() const override { return present; }

    bool available = true;
    bool present = false;
    QString tip;
};

class FakeScreenLock final : public ScreenLock
{
    Q_OBJECT

public:
    using ScreenLock::ScreenLock;
    bool isLocked() const override { return locked; }
    void lock(bool on)
    {
        locked = on;
        Q_EMIT lockedChanged(on);
    }
    bool locked = false;
};

class FakeAutostart final : public Autostart
{
public:
    bool isAvailable() const override { return true; }
    bool isEnabled() const override { return enabled; }
    QString setEnabled(bool on) override
    {
        enabled = on;
        return {};
    }
    bool enabled = false;
};

// Answers the two system-information lookups from its fields.
class FakeSystemInfo final : public SystemInfoLookup
{
public:
    std::optional<QString> toolProgram() override { return program; }
    std::optional<QString> toolFolder() override
    {
        ++folderLookups;
        return folder;
    }
    QString toolFileName() const override { return fileName; }

    std::optional<QString> program;
    std::optional<QString> folder;
    QString fileName = QStringLiteral("sysinfo");
    int folderLookups = 0;
};

// The machine's file system, with a say before every operation: interrupt()
// may hold it up or fail it (returning true) the way a lost network share can.
class InterceptedFileSystem : public FileSystem
{
public:
    InterceptedFileSystem();
    Info info(const QString &path, std::error_code &error) override;
    Info entryInfo(const QString &path, std::error_code &error) override;
    void forEachName(const QString &folder, const std::function<bool(std::string_view)> &visit,
                     std::error_code &error) override;
    QString decodeName(std::string_view name) const override { return m_real->decodeName(name); }
    QByteArray read(const QString &path, qint64 maxBytes, std::error_code &error) override;
    void copy(const QString &from, const QString &to, qint64 maxBytes, Links links,
              std::error_code &error) override;
    void write(const QString &path, const QByteArray &bytes, std::error_code &error) override;
    void rename(const QString &from, const QString &to, std::error_code &error) override;
    void remove(const QString &path, std::error_code &error) override;

protected:
    // target and bytes are what a copy or write would put there.
    virtual bool interrupt(const QString &path, std::error_code &error, const QString &target,
                           const QByteArray &bytes) = 0;

private:
    std::shared_ptr<FileSystem> m_real;
};

// Every call can be held up the way a network share that stopped answering holds it.
class BlockingFileSystem final : public InterceptedFileSystem
{
public:
    void hold();
    void release();
    int calls() const;

private:
    bool interrupt(const QString &, std::error_code &, const QString &, const QByteArray &) override;

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    int m_calls = 0;
};

// The shared folder goes away at its operation number `at` (counting only
// operations inside that folder): the operation fails outright, or the folder
// is deleted just before it runs, or a write stops halfway and leaves what it wrote.
class FaultyFileSystem final : public InterceptedFileSystem
{
public:
    enum class Fault { Fail, Vanish, HalfWrite };

    FaultyFileSystem(const QString &folder, Fault fault, int at) : m_folder(folder), m_fault(fault), m_at(at) {}
    bool struck() const;

private:
    bool interrupt(const QString &path, std::error_code &error, const QString &target,
                   const QByteArray &bytes) override;

    const QString m_folder;
    const Fault m_fault;
    const int m_at;
    mutable std::mutex m_mutex;
    int m_count = 0;
    bool m_struck = false;
};

// A full set of fake services over a settings file in a temporary folder,
// with the machine's own file system.
class TestRig
{
public:
    explicit TestRig(quint32 seed = 12345);

    Services services();
    QString path(const QString &name) const { return dir.filePath(name); }
    QString settingsPath() const { return path(QStringLiteral("settings.ini")); }
    // A fresh store over the same file, to read back what was saved.
    std::unique_ptr<SettingsStore> reopenStore() const;
    QString stored(const QString &section, const QString &key) const;
    // Writes an INI file for the store before the program reads it.
    void writeSettings(const QByteArray &ini);

    QTemporaryDir dir;
    FakePlayer player;
    FakeDialogs dialogs;
    FakeLauncher launcher;
    FakeTray tray;
    RandomGenerator random;
    FakeSystemInfo systemInfo;
    FakeScreenLock screenLock;
    FakeAutostart autostart;
    std::shared_ptr<FileSystem> files;
    std::unique_ptr<SettingsStore> store;
    ProgramInfo program;
};

} // namespace calmora::test
