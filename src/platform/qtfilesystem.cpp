#include "platform/qtfilesystem.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace calmora {

namespace {

constexpr qint64 kChunk = 64 * 1024;

std::error_code codeOf(const QFileDevice &file)
{
    switch (file.error()) {
    case QFileDevice::NoError: return {};
    case QFileDevice::PermissionsError: return std::make_error_code(std::errc::permission_denied);
    case QFileDevice::OpenError:
        return std::make_error_code(file.exists() ? std::errc::permission_denied
                                                  : std::errc::no_such_file_or_directory);
    case QFileDevice::ResourceError: return std::make_error_code(std::errc::no_space_on_device);
    default: return std::make_error_code(std::errc::io_error);
    }
}

FileSystem::Info describe(const QFileInfo &info, bool entry)
{
    FileSystem::Info result;
    if (entry && info.isSymLink())
        result.kind = FileSystem::Kind::Link;
    else if (!info.exists())
        return result;
    else if (info.isDir())
        result.kind = FileSystem::Kind::Folder;
    else if (info.isFile())
        result.kind = FileSystem::Kind::File;
    else
        result.kind = FileSystem::Kind::Other;
    result.size = info.size();
    result.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    return result;
}

// Only regular files are read: a device or a pipe could block or never end.
// Without a way to check what was opened, a link refused is refused by name.
bool openRegular(QFile &file, FileSystem::Links links, std::error_code &error)
{
    const QFileInfo info(file.fileName());
    if (links == FileSystem::Links::Refuse && info.isSymLink()) {
        error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
        return false;
    }
    if (info.exists() && !info.isFile()) {
        error = std::make_error_code(info.isDir() ? std::errc::is_a_directory : std::errc::not_supported);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = codeOf(file);
        return false;
    }
    return true;
}

// Creates path, which must not exist yet, with what fill writes; removes it
// again when that fails.
void createWith(const QString &path, const std::function<std::error_code(QFile &)> &fill,
                std::error_code &error)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        error = out.exists() ? std::make_error_code(std::errc::file_exists) : codeOf(out);
        return;
    }
    error = fill(out);
    if (!error && !out.flush())
        error = codeOf(out);
    out.close();
    if (error)
        QFile::remove(path);
}

} // namespace

FileSystem::Info QtFileSystem::info(const QString &path, std::error_code &error)
{
    error.clear();
    return describe(QFileInfo(path), false);
}

FileSystem::Info QtFileSystem::entryInfo(const QString &path, std::error_code &error)
{
    error.clear();
    return describe(QFileInfo(path), true);
}

void QtFileSystem::forEachName(const QString &folder, const std::function<bool(std::string_view)> &visit,
                               std::error_code &error)
{
    error.clear();
    if (!QFileInfo(folder).isDir()) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return;
    }
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QByteArray name = it.next().section(QLatin1Char('/'), -1).toUtf8();
        if (!visit(std::string_view(name.constData(), size_t(name.size()))))
            break;
    }
}

QString QtFileSystem::decodeName(std::string_view name) const
{
    return QString::fromUtf8(name.data(), qsizetype(name.size()));
}

QByteArray QtFileSystem::read(const QString &path, qint64 maxBytes, std::error_code &error)
{
    error.clear();
    QFile file(path);
    if (!openRegular(file, Links::Refuse, error))
        return {};
    const QByteArray bytes = file.read(std::max<qint64>(0, maxBytes));
    if (file.error() != QFileDevice::NoError)
        error = codeOf(file);
    return error ? QByteArray() : bytes;
}

void QtFileSystem::copy(const QString &from, const QString &to, qint64 maxBytes, Links links,
                        std::error_code &error)
{
    error.clear();
    QFile in(from);
    if (!openRegular(in, links, error))
        return;
    createWith(
        to,
        [&](QFile &out) -> std::error_code {
            qint64 total = 0;
            for (;;) {
                const QByteArray chunk = in.read(kChunk);
                if (in.error() != QFileDevice::NoError)
                    return codeOf(in);
                if (chunk.isEmpty())
                    return {};
                total += chunk.size();
                if (total > maxBytes)
                    return std::make_error_code(std::errc::file_too_large);
                if (out.write(chunk) != chunk.size())
                    return codeOf(out);
            }
        },
        error);
}

void QtFileSystem::write(const QString &path, const QByteArray &bytes, std::error_code &error)
{
    error.clear();
    createWith(
        path, [&](QFile &out) { return out.write(bytes) == bytes.size() ? std::error_code() : codeOf(out); },
        error);
}

void QtFileSystem::rename(const QString &from, const QString &to, std::error_code &error)
{
    error.clear();
    // QFile::rename never replaces; the target goes first.
    if (QFile::exists(to) && !QFile::remove(to)) {
        error = std::make_error_code(std::errc::permission_denied);
        return;
    }
    QFile file(from);
    if (!file.rename(to))
        error = codeOf(file) ? codeOf(file) : std::make_error_code(std::errc::io_error);
}

void QtFileSystem::remove(const QString &path, std::error_code &error)
{
    error.clear();
    QFile file(path);
    if (!file.remove())
        error = file.exists() ? codeOf(file) : std::make_error_code(std::errc::no_such_file_or_directory);
}

} // namespace calmora
