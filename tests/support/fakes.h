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

#include <QAbstractItemModel>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
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
// A WAV file (8 kHz, 8 bits, mono unless told) whose header promises exactly
// data; promise more to make one that is still being written.
QByteArray wavFile(const QByteArray &data, qint64 promised = -1, int channels = 1, int bits = 8);
QStringList texts(const QAbstractItemModel *model);
// Runs action on the next modal dialog to open.
void onNextModal(std::function<void(QWidget *)> action);

template <typename T>
T *child(const QObject *parent, const char *name)
{
    return parent->findChild<T *>(QLatin1String(name));
}

// The one fake player. It records every operation ("device WaveAudio",
// "file /a.wav", "wait on", "command sound"), the bytes each sound had when it
// played, and plays a waiting sound "to its end" by running duringWait.
class FakePlayer final : public MediaPlayer
{
    Q_OBJECT

public:
    void setDeviceType(const QString &type) override { log.append(QLatin1String("device ") + type); }
    void setFileName(const QString &fileName) override;
    void setWait(bool on) override;
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
    void message(QWidget *, const QString &text) override { messages.append(text); }
    bool askYesNo(QWidget *, const QString &text) override { return next(answers, text, true); }
    QString inputText(QWidget *, const QString &prompt) override { return next(inputs, prompt, QString()); }

    std::deque<bool> answers;
    std::deque<QString> inputs;
    QStringList messages;
    QStringList questions;

private:
    template <typename T>
    T next(std::deque<T> &script, const QString &question, T otherwise)
    {
        questions.append(question);
        if (script.empty())
            return otherwise;
        T answer = std::move(script.front());
        script.pop_front();
        return answer;
    }
};

class FakeLauncher final : public Launcher
{
public:
    qint64 start(const QString &program, const QStringList &arguments) override;
    bool activate(qint64 pid) override
    {
        activations.append(pid);
        return canRaise && running.contains(pid);
    }
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

// Finds no system-information tool.
class FakeSystemInfo final : public SystemInfoLookup
{
public:
    std::optional<QString> toolProgram() override { return {}; }
    std::optional<QString> toolFolder() override { return {}; }
    QString toolFileName() const override { return QStringLiteral("sysinfo"); }
};

// The machine's file system seen through a network share that fails on demand.
// Every call can be held up the way a share that stopped answering holds it.
// The share's folder can go away at its operation number `at` (counting only
// operations inside it): the operation fails outright, or the folder is
// deleted just before it runs, or a write stops halfway and leaves what it wrote.
class ShareFileSystem final : public FileSystem
{
public:
    enum class Fault { None, Fail, Vanish, HalfWrite };
    explicit ShareFileSystem(const QString &folder = {}, Fault fault = Fault::None, int at = 0);

    Info info(const QString &path, std::error_code &error) override
    {
        return intercept(path, error) ? Info{} : m_real->info(path, error);
    }
    Info entryInfo(const QString &path, std::error_code &error) override
    {
        return intercept(path, error) ? Info{} : m_real->entryInfo(path, error);
    }
    void forEachName(const QString &folder, const std::function<bool(std::string_view)> &visit,
                     std::error_code &error) override
    {
        if (!intercept(folder + u'/', error))
            m_real->forEachName(folder, visit, error);
    }
    QString decodeName(std::string_view name) const override { return m_real->decodeName(name); }
    QByteArray read(const QString &path, qint64 maxBytes, std::error_code &error) override
    {
        return intercept(path, error) ? QByteArray() : m_real->read(path, maxBytes, error);
    }
    void copy(const QString &from, const QString &to, qint64 maxBytes, Links links,
              std::error_code &error) override
    {
        if (!intercept(from, error, to))
            m_real->copy(from, to, maxBytes, links, error);
    }
    void write(const QString &path, const QByteArray &bytes, std::error_code &error) override
    {
        if (!intercept(path, error, path, bytes))
            m_real->write(path, bytes, error);
    }
    void rename(const QString &from, const QString &to, std::error_code &error) override
    {
        if (!intercept(from, error))
            m_real->rename(from, to, error);
    }
    void remove(const QString &path, std::error_code &error) override
    {
        if (!intercept(path, error))
            m_real->remove(path, error);
    }

    void hold();
    void release();

    std::atomic<int> calls = 0;
    std::atomic<int> copies = 0;
    std::atomic<bool> struck = false;
    // Runs first in every call, with the path and what a copy or write would create.
    std::function<void(const QString &path, const QString &target)> before;

private:
    bool intercept(const QString &path, std::error_code &error, const QString &target = {},
                   const QByteArray &bytes = {});

    std::shared_ptr<FileSystem> m_real;
    const QString m_folder;
    const Fault m_fault;
    const int m_at;
    std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_held = false;
    int m_count = 0;
};

// A full set of fake services over a settings file in a temporary folder,
// with the machine's own file system.
class TestRig
{
public:
    TestRig();

    Services services()
    {
        return {files,   &player,     &dialogs,    &launcher,  store.get(), &tray,
                &random, &systemInfo, &screenLock, &autostart, program};
    }
    QString path(const QString &name) const { return dir.filePath(name); }
    QString settingsPath() const { return path(QStringLiteral("settings.ini")); }
    // A fresh store over the same file, to read back what was saved.
    auto reopenStore() const { return std::make_unique<SettingsStore>(settingsPath()); }
    QString stored(const QString &section, const QString &key) const
    {
        return reopenStore()->get(section, key, QStringLiteral("<none>"));
    }
    // Writes an INI file for the store before the program reads it.
    void writeSettings(const QByteArray &ini)
    {
        put(settingsPath(), ini);
        store->reload();
    }

    QTemporaryDir dir;
    FakePlayer player;
    FakeDialogs dialogs;
    FakeLauncher launcher;
    FakeTray tray;
    RandomGenerator random{12345};
    FakeSystemInfo systemInfo;
    FakeScreenLock screenLock;
    FakeAutostart autostart;
    std::shared_ptr<FileSystem> files;
    std::unique_ptr<SettingsStore> store = std::make_unique<SettingsStore>(settingsPath());
    ProgramInfo program{
        QStringLiteral("calmora"),   QStringLiteral("calmora"), dir.path(),  QStringLiteral("update"),
        QStringLiteral("OFFICE-PC"), Qt::CaseSensitive,         QByteArray()};
};

} // namespace calmora::test
