#include "fakes.h"

#include "platform/posixfilesystem.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace calmora::test {

QStringList strings(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

QByteArray contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void put(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray wavFile(const QByteArray &data, qint64 promised)
{
    const auto le32 = [](qint64 value) {
        QByteArray bytes(4, '\0');
        qToLittleEndian(quint32(value), bytes.data());
        return bytes;
    };
    const qint64 size = promised < 0 ? data.size() : promised;
    return "RIFF" + le32(size + 36) + "WAVEfmt " + le32(16) + QByteArray::fromHex("01000100401f0000401f000001000800")
           + "data" + le32(size) + data;
}

void FakePlayer::setDeviceType(const QString &deviceType)
{
    log.append(QLatin1String("device ") + deviceType);
}

void FakePlayer::setFileName(const QString &name)
{
    m_fileName = name;
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
    if (command.compare(QLatin1String("sound"), Qt::CaseInsensitive) != 0)
        return;
    QFile file(m_fileName);
    bytesPlayed.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    if (wait && duringWait) {
        setWaiting(true);
        duringWait();
        setWaiting(false);
    }
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

InterceptedFileSystem::InterceptedFileSystem() : m_real(std::make_shared<PosixFileSystem>()) {}

FileSystem::Info InterceptedFileSystem::info(const QString &path, std::error_code &error)
{
    return interrupt(path, error, {}, {}) ? Info{} : m_real->info(path, error);
}

FileSystem::Info InterceptedFileSystem::entryInfo(const QString &path, std::error_code &error)
{
    return interrupt(path, error, {}, {}) ? Info{} : m_real->entryInfo(path, error);
}

void InterceptedFileSystem::forEachName(const QString &folder, const std::function<bool(std::string_view)> &visit,
                                        std::error_code &error)
{
    if (!interrupt(folder + QLatin1Char('/'), error, {}, {}))
        m_real->forEachName(folder, visit, error);
}

QByteArray InterceptedFileSystem::read(const QString &path, qint64 maxBytes, std::error_code &error)
{
    return interrupt(path, error, {}, {}) ? QByteArray() : m_real->read(path, maxBytes, error);
}

void InterceptedFileSystem::copy(const QString &from, const QString &to, qint64 maxBytes, Links links,
                                 std::error_code &error)
{
    if (!interrupt(from, error, to, {}))
        m_real->copy(from, to, maxBytes, links, error);
}

void InterceptedFileSystem::write(const QString &path, const QByteArray &bytes, std::error_code &error)
{
    if (!interrupt(path, error, path, bytes))
        m_real->write(path, bytes, error);
}

void InterceptedFileSystem::rename(const QString &from, const QString &to, std::error_code &error)
{
    if (!interrupt(from, error, {}, {}))
        m_real->rename(from, to, error);
}

void InterceptedFileSystem::remove(const QString &path, std::error_code &error)
{
    if (!interrupt(path, error, {}, {}))
        m_real->remove(path, error);
}

void BlockingFileSystem::hold()
{
    std::lock_guard lock(m_mutex);
    m_held = true;
}

void BlockingFileSystem::release()
{
    std::lock_guard lock(m_mutex);
    m_held = false;
    m_released.notify_all();
}

int BlockingFileSystem::calls() const
{
    std::lock_guard lock(m_mutex);
    return m_calls;
}

bool BlockingFileSystem::interrupt(const QString &, std::error_code &, const QString &, const QByteArray &)
{
    std::unique_lock lock(m_mutex);
    ++m_calls;
    m_released.wait(lock, [this] { return !m_held; });
    return false;
}

bool FaultyFileSystem::struck() const
{
    std::lock_guard lock(m_mutex);
    return m_struck;
}

bool FaultyFileSystem::interrupt(const QString &path, std::error_code &error, const QString &target,
                                 const QByteArray &bytes)
{
    std::lock_guard lock(m_mutex);
    const QString prefix = m_folder + QLatin1Char('/');
    if ((!path.startsWith(prefix) && !target.startsWith(prefix)) || ++m_count != m_at)
        return false;
    m_struck = true;
    if (m_fault == Fault::Vanish) {
        QDir(m_folder).removeRecursively();
        return false;
    }
    if (m_fault == Fault::HalfWrite && !target.isEmpty()) {
        const QByteArray whole = bytes.isEmpty() ? contents(path) : bytes;
        put(target, whole.left(whole.size() / 2));
    }
    error = std::make_error_code(std::errc::io_error);
    return true;
}

TestRig::TestRig(quint32 seed)
    : random(seed), files(std::make_shared<PosixFileSystem>()),
      store(std::make_unique<SettingsStore>(settingsPath()))
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
    s.files = files;
    s.player = &player;
    s.dialogs = &dialogs;
    s.launcher = &launcher;
    s.store = store.get();
    s.tray = &tray;
    s.random = &random;
    s.systemInfo = &systemInfo;
    s.screenLock = &screenLock;
    s.autostart = &autostart;
    s.program = program;
    return s;
}

std::unique_ptr<SettingsStore> TestRig::reopenStore() const
{
    return std::make_unique<SettingsStore>(settingsPath());
}

QString TestRig::stored(const QString &section, const QString &key) const
{
    return reopenStore()->get(section, key, QStringLiteral("<none>"));
}

void TestRig::writeSettings(const QByteArray &ini)
{
    put(settingsPath(), ini);
    store->reload();
}

} // namespace calmora::test
