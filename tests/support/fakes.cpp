#include "fakes.h"

#include "platform/posixfilesystem.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>
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

QByteArray wavFile(const QByteArray &data, qint64 promised, int channels, int bits)
{
    const auto le = [](qint64 value, int size) {
        QByteArray bytes(4, '\0');
        qToLittleEndian(quint32(value), bytes.data());
        return bytes.left(size);
    };
    const qint64 size = promised < 0 ? data.size() : promised;
    const int frame = channels * bits / 8;
    return "RIFF" + le(size + 36, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(channels, 2) + le(8000, 4)
           + le(8000 * frame, 4) + le(frame, 2) + le(bits, 2) + "data" + le(size, 4) + data;
}

QStringList texts(const QAbstractItemModel *model)
{
    QStringList texts;
    for (int row = 0; row < model->rowCount(); ++row)
        texts.append(model->index(row, 0).data().toString());
    return texts;
}

void onNextModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        action(modal);
    });
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

qint64 FakeLauncher::start(const QString &program, const QStringList &arguments)
{
    starts.append({program, arguments});
    if (failStarts)
        return 0;
    running.append(99 + starts.size());
    return running.constLast();
}

ShareFileSystem::ShareFileSystem(const QString &folder, Fault fault, int at)
    : m_real(std::make_shared<PosixFileSystem>()), m_folder(folder), m_fault(fault), m_at(at)
{
}

void ShareFileSystem::hold()
{
    std::lock_guard lock(m_mutex);
    m_held = true;
}

void ShareFileSystem::release()
{
    std::lock_guard lock(m_mutex);
    m_held = false;
    m_released.notify_all();
}

bool ShareFileSystem::intercept(const QString &path, std::error_code &error, const QString &target,
                                const QByteArray &bytes)
{
    ++calls;
    if (!target.isEmpty() && target != path)
        ++copies;
    if (before)
        before(path, target);
    std::unique_lock lock(m_mutex);
    m_released.wait(lock, [this] { return !m_held; });
    const QString prefix = m_folder + u'/';
    if (m_fault == Fault::None || (!path.startsWith(prefix) && !target.startsWith(prefix))
        || ++m_count != m_at)
        return false;
    struck = true;
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

TestRig::TestRig() : files(std::make_shared<PosixFileSystem>()) {}

} // namespace calmora::test
