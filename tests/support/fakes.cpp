#include "fakes.h"

#include <QFile>

namespace calmora::test {

void FakePlayer::setDeviceType(const QString &deviceType)
{
    log.append(QLatin1String("device ") + deviceType);
}

void FakePlayer::setFileName(const QString &name)
{
    log.append(QLatin1String("file ") + name);
}

void FakePlayer::setWait(bool on)
{
    wait = on;
    log.append(on ? QStringLiteral("wait on") : QStringLiteral("wait off"));
}

void FakePlayer::command(const QString &command)
{
    log.append(QLatin1String("command ") + command);
}

QStringList FakePlayer::soundsPlayed() const
{
    QStringList sounds;
    QString current;
    for (const QString &entry : log) {
        if (entry.startsWith(QLatin1String("file ")))
            current = entry.mid(5);
        else if (entry == QLatin1String("command sound"))
            sounds.append(current);
    }
    return sounds;
}

void FakeDialogs::message(QWidget *, const QString &text)
{
    messages.append(text);
}

bool FakeDialogs::askYesNo(QWidget *, const QString &text)
{
    questions.append(text);
    if (answers.empty())
        return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

QString FakeDialogs::inputText(QWidget *, const QString &prompt)
{
    questions.append(prompt);
    if (inputs.empty())
        return QString();
    const QString text = inputs.front();
    inputs.pop_front();
    return text;
}

qint64 FakeLauncher::start(const QString &program, const QStringList &arguments)
{
    starts.append({program, arguments});
    if (failStarts)
        return 0;
    running.append(nextPid);
    return nextPid++;
}

bool FakeLauncher::activate(qint64 pid)
{
    activations.append(pid);
    return canRaise && running.contains(pid);
}

bool FakeLauncher::isRunning(qint64 pid)
{
    return running.contains(pid);
}

bool FakeLauncher::showFolder(const QString &folder)
{
    if (folderService)
        foldersShown.append(folder);
    return folderService;
}

void FakeTray::add(const QIcon &, const QString &newTip)
{
    present = true;
    tip = newTip;
}

TestRig::TestRig(quint32 seed) : random(seed), store(std::make_unique<SettingsStore>(settingsPath()))
{
    program.baseName = QStringLiteral("calmora");
    program.fileName = QStringLiteral("calmora");
    program.folder = dir.path();
    program.updaterName = QStringLiteral("update");
    program.computerName = QStringLiteral("OFFICE-PC");
}

Services TestRig::services()
{
    Services s;
    s.player = &player;
    s.dialogs = &dialogs;
    s.launcher = &launcher;
    s.store = store.get();
    s.tray = &tray;
    s.random = &random;
    s.systemInfo = &systemInfo;
    s.program = program;
    return s;
}

std::unique_ptr<SettingsStore> TestRig::reopenStore() const
{
    return std::make_unique<SettingsStore>(settingsPath());
}

void TestRig::writeSettings(const QByteArray &ini)
{
    QFile file(settingsPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(ini);
    file.close();
    store->reload();
}

} // namespace calmora::test
