#pragma once

#include "platform/filesystem.h"
#include "platform/mediaplayer.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <condition_variable>
#include <functional>
#include <mutex>

namespace calmora::test {

// QStringList{"a", "b"} without casts from ASCII.
inline QStringList strings(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list.append(QLatin1String(text));
    return list;
}

inline QByteArray contents(const QString &file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline void put(const QString &file, const QByteArray &bytes)
{
    QFile f(file);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

inline QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The real file system, with a say before every operation: interrupt() may
// hold it up or fail it (returning true) the way a lost network share can.
class InterceptedFileSystem : public FileSystem
{
public:
    Info info(const QString &path, std::error_code &error) override
    {
        return interrupt(path, error, {}, {}) ? Info{} : m_real->info(path, error);
    }
    Info entryInfo(const QString &path, std::error_code &error) override
    {
        return interrupt(path, error, {}, {}) ? Info{} : m_real->entryInfo(path, error);
    }
    void forEachName(const QString &folder, const std::function<bool(std::string_view)> &visit,
                     std::error_code &error) override
    {
        if (!interrupt(folder + QLatin1Char('/'), error, {}, {}))
            m_real->forEachName(folder, visit, error);
    }
    QString decodeName(std::string_view name) const override { return m_real->decodeName(name); }
    QByteArray read(const QString &path, qint64 maxBytes, std::error_code &error) override
    {
        return interrupt(path, error, {}, {}) ? QByteArray() : m_real->read(path, maxBytes, error);
    }
    void copy(const QString &from, const QString &to, qint64 maxBytes, std::error_code &error) override
    {
        if (!interrupt(from, error, to, {}))
            m_real->copy(from, to, maxBytes, error);
    }
    void write(const QString &path, const QByteArray &bytes, std::error_code &error) override
    {
        if (!interrupt(path, error, path, bytes))
            m_real->write(path, bytes, error);
    }
    void rename(const QString &from, const QString &to, std::error_code &error) override
    {
        if (!interrupt(from, error, {}, {}))
            m_real->rename(from, to, error);
    }
    void remove(const QString &path, std::error_code &error) override
    {
        if (!interrupt(path, error, {}, {}))
            m_real->remove(path, error);
    }

protected:
    // target and bytes are what a copy or write would put there.
    virtual bool interrupt(const QString &path, std::error_code &error, const QString &target,
                           QByteArray bytes) = 0;

private:
    std::shared_ptr<FileSystem> m_real = systemFileSystem();
};

// Every call can be held up the way a network share that stopped answering holds it.
class BlockingFileSystem final : public InterceptedFileSystem
{
public:
    void hold()
    {
        std::lock_guard lock(m_mutex);
        m_held = true;
    }
    void release()
    {
        std::lock_guard lock(m_mutex);
        m_held = false;
        m_released.notify_all();
    }
    int calls() const
    {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }

private:
    bool interrupt(const QString &, std::error_code &, const QString &, QByteArray) override
    {
        std::unique_lock lock(m_mutex);
        ++m_calls;
        m_released.wait(lock, [this] { return !m_held; });
        return false;
    }

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

    FaultyFileSystem() = default;
    FaultyFileSystem(const QString &folder, Fault fault, int at) { arm(folder, fault, at); }
    void arm(const QString &folder, Fault fault, int at)
    {
        std::lock_guard lock(m_mutex);
        m_folder = folder;
        m_fault = fault;
        m_at = at;
    }
    bool struck() const
    {
        std::lock_guard lock(m_mutex);
        return m_struck;
    }

private:
    bool interrupt(const QString &path, std::error_code &error, const QString &target,
                   QByteArray bytes) override
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
            if (bytes.isEmpty()) {
                QFile source(path);
                if (source.open(QIODevice::ReadOnly))
                    bytes = source.readAll();
            }
            QFile half(target);
            if (half.open(QIODevice::WriteOnly))
                half.write(bytes.left(bytes.size() / 2));
        }
        error = std::make_error_code(std::errc::io_error);
        return true;
    }

    QString m_folder = QStringLiteral("/nowhere");
    Fault m_fault = Fault::Fail;
    int m_at = 0;
    mutable std::mutex m_mutex;
    int m_count = 0;
    bool m_struck = false;
};

// Records what it is asked to play, with the bytes of each file as they were
// when it played, and plays a waiting sound "to its end" by running
// duringWait while it says it is waiting.
class RecordingPlayer final : public MediaPlayer
{
public:
    using MediaPlayer::MediaPlayer;

    void setDeviceType(const QString &) override {}
    void setFileName(const QString &name) override { m_fileName = name; }
    void setWait(bool wait) override { m_wait = wait; }
    void command(const QString &command) override
    {
        if (command.compare(QLatin1String("sound"), Qt::CaseInsensitive) != 0)
            return;
        QFile file(m_fileName);
        played.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        if (m_wait && duringWait) {
            setWaiting(true);
            duringWait();
            setWaiting(false);
        }
    }

    QList<QByteArray> played;
    std::function<void()> duringWait;

private:
    QString m_fileName;
    bool m_wait = false;
};

} // namespace calmora::test
