#include "platform/posixfilesystem.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calmora {

namespace {

constexpr qint64 kChunk = qint64{64} * 1024;

std::error_code lastError()
{
    // A failing call that left errno alone still has to read as a failure.
    return {errno ? errno : EIO, std::generic_category()};
}

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

// Closes a descriptor once; close() on a network file may report a failed write.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() { close(); }
    Q_DISABLE_COPY_MOVE(Descriptor)

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    bool close()
    {
        if (m_fd < 0)
            return true;
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Reads up to size bytes; fewer only at the end of the file. -1 on failure.
qint64 readSome(int fd, char *data, qint64 size)
{
    qint64 total = 0;
    while (total < size) {
        const ssize_t n = ::read(fd, data + total, size_t(size - total));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        total += n;
    }
    return total;
}

int createNew(const QByteArray &path)
{
    int fd;
    do
        fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

// Opens a regular file for reading. Opening never waits for a writer (a pipe
// would), and anything but a regular file is refused: a pipe, a socket or a
// device such as /dev/zero could block or never end. The checks are made on
// the descriptor, so what is read is what was checked.
int openForReading(const QByteArray &path, FileSystem::Links links)
{
    const int follow = links == FileSystem::Links::Follow ? 0 : O_NOFOLLOW;
    int fd;
    do
        fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | follow);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return fd;
    struct stat st;
    int refusal = 0;
    if (::fstat(fd, &st) != 0
        || (S_ISREG(st.st_mode) && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0))
        refusal = errno;
    else if (!S_ISREG(st.st_mode))
        refusal = S_ISDIR(st.st_mode) ? EISDIR : EOPNOTSUPP;
    if (refusal) {
        ::close(fd);
        errno = refusal;
        return -1;
    }
    return fd;
}

FileSystem::Info describe(const struct stat &st)
{
    FileSystem::Info result;
    result.size = qint64(st.st_size);
    result.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
    result.kind = S_ISREG(st.st_mode)   ? FileSystem::Kind::File
                  : S_ISDIR(st.st_mode) ? FileSystem::Kind::Folder
                  : S_ISLNK(st.st_mode) ? FileSystem::Kind::Link
                                        : FileSystem::Kind::Other;
    return result;
}

} // namespace

// stat() follows a final link, lstat() describes the link itself.
static FileSystem::Info statPath(const QByteArray &path, bool followLink, std::error_code &error)
{
    error.clear();
    struct stat st;
    if ((followLink ? ::stat(path.constData(), &st) : ::lstat(path.constData(), &st)) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        error = lastError();
        return {};
    }
    return describe(st);
}

FileSystem::Info PosixFileSystem::info(const QString &path, std::error_code &error)
{
    return statPath(native(path), true, error);
}

FileSystem::Info PosixFileSystem::entryInfo(const QString &path, std::error_code &error)
{
    return statPath(native(path), false, error);
}

void PosixFileSystem::forEachName(const QString &folder, const std::function<bool(std::string_view)> &visit,
                                  std::error_code &error)
{
    error.clear();
    DIR *dir = ::opendir(native(folder).constData());
    if (!dir) {
        error = lastError();
        return;
    }
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                error = lastError();
            break;
        }
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        if (!visit(name))
            break;
    }
    ::closedir(dir);
}

QString PosixFileSystem::decodeName(std::string_view name) const
{
    return QFile::decodeName(QByteArray(name.data(), qsizetype(name.size())));
}

QByteArray PosixFileSystem::read(const QString &path, qint64 maxBytes, std::error_code &error)
{
    error.clear();
    Descriptor fd(openForReading(native(path), Links::Refuse));
    if (!fd.isOpen()) {
        error = lastError();
        return {};
    }
    QByteArray bytes(qsizetype(std::max<qint64>(0, maxBytes)), Qt::Uninitialized);
    const qint64 n = readSome(fd.get(), bytes.data(), bytes.size());
    if (n < 0) {
        error = lastError();
        return {};
    }
    bytes.truncate(qsizetype(n));
    return bytes;
}

// Creates target, which must not exist yet, with what fill writes to it. A
// file that could not be written whole is removed again.
static void createWith(const QByteArray &target, const std::function<std::error_code(int)> &fill,
                       std::error_code &error)
{
    Descriptor fd(createNew(target));
    if (!fd.isOpen()) {
        error = lastError();
        return;
    }
    error = fill(fd.get());
    if (!fd.close() && !error)
        error = lastError();
    if (error)
        ::unlink(target.constData());
}

void PosixFileSystem::copy(const QString &from, const QString &to, qint64 maxBytes, Links links,
                           std::error_code &error)
{
    error.clear();
    Descriptor source(openForReading(native(from), links));
    if (!source.isOpen()) {
        error = lastError();
        return;
    }
    createWith(
        native(to),
        [&](int dest) -> std::error_code {
            QByteArray buffer(kChunk, Qt::Uninitialized);
            qint64 total = 0;
            for (;;) {
                const qint64 n = readSome(source.get(), buffer.data(), kChunk);
                if (n < 0)
                    return lastError();
                if (n == 0)
                    return {};
                total += n;
                if (total > maxBytes)
                    return std::make_error_code(std::errc::file_too_large);
                if (!writeAll(dest, buffer.constData(), n))
                    return lastError();
                if (n < kChunk)
                    return {};
            }
        },
        error);
}

void PosixFileSystem::write(const QString &path, const QByteArray &bytes, std::error_code &error)
{
    error.clear();
    createWith(
        native(path),
        [&](int fd) {
            return writeAll(fd, bytes.constData(), bytes.size()) ? std::error_code() : lastError();
        },
        error);
}

void PosixFileSystem::rename(const QString &from, const QString &to, std::error_code &error)
{
    error.clear();
    const QByteArray source = native(from);
    const QByteArray target = native(to);
    if (::rename(source.constData(), target.constData()) == 0)
        return;
    // Some network file systems refuse to rename over an existing file.
    if (errno == EEXIST || errno == EACCES || errno == EPERM) {
        const int first = errno;
        if (::unlink(target.constData()) == 0 && ::rename(source.constData(), target.constData()) == 0)
            return;
        errno = first;
    }
    error = lastError();
}

void PosixFileSystem::remove(const QString &path, std::error_code &error)
{
    error.clear();
    if (::unlink(native(path).constData()) != 0)
        error = lastError();
}

} // namespace calmora
