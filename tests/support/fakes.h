#pragma once

#include "platform/dialogs.h"
#include "platform/launcher.h"
#include "platform/mediaplayer.h"
#include "platform/random.h"
#include "platform/services.h"
#include "platform/settingsstore.h"
#include "platform/systeminfolookup.h"
#include "platform/trayicon.h"

#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <memory>

namespace calmora::test {

// Records every operation as "device WaveAudio", "file /a.wav", "wait on",
// "command sound".
class FakePlayer final : public MediaPlayer
{
    Q_OBJECT

public:
    using MediaPlayer::MediaPlayer;

    void setDeviceType(const QString &deviceType) override;
    void setFileName(const QString &fileName) override;
    void setWait(bool wait) override;
    void command(const QString &command) override;

    // The file names handed to "sound" commands, in order.
    QStringList soundsPlayed() const;
    // Pretends a sound is being played to its end (or has just ended).
    void simulateWaiting(bool waiting) { setWaiting(waiting); }
    QStringList log;
    bool wait = false;
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
    bool isRunning(qint64 pid) override;
    bool showFolder(const QString &folder) override;

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
    void add(const QIcon &icon, const QString &tip) override;
    void remove() override { present = false; }
    bool isPresent() const override { return present; }

    bool available = true;
    bool present = false;
    QString tip;
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

// A full set of fake services over a settings file in a temporary folder.
class TestRig
{
public:
    explicit TestRig(quint32 seed = 12345);

    Services services();
    QString settingsPath() const { return dir.filePath(QStringLiteral("settings.ini")); }
    // A fresh store over the same file, to read back what was saved.
    std::unique_ptr<SettingsStore> reopenStore() const;
    // Writes an INI file for the store before the program reads it.
    void writeSettings(const QByteArray &ini);

    QTemporaryDir dir;
    FakePlayer player;
    FakeDialogs dialogs;
    FakeLauncher launcher;
    FakeTray tray;
    RandomGenerator random;
    FakeSystemInfo systemInfo;
    std::unique_ptr<SettingsStore> store;
    ProgramInfo program;
};

} // namespace calmora::test
