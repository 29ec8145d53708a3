#include "net/folderlisting.h"

#include "net/sharejobs.h"
#include "platform/filesystem.h"

#include <QRegularExpression>

namespace calmora {

FolderListing::FolderListing(std::shared_ptr<FileSystem> files, QObject *parent)
    : QObject(parent), m_files(std::move(files)), m_jobs(new ShareJobs(this))
{
}

FolderListing::~FolderListing() = default;

std::error_code FolderListing::setPath(const QString &path)
{
    if (path.isEmpty()) {
        m_path.clear();
        m_names.clear();
        return {};
    }
    struct Probe
    {
        FileSystem::Info info;
        std::error_code error;
    };
    const auto probe = m_jobs->call<Probe>(
        [files = m_files, path] {
            Probe p;
            p.info = files->info(path, p.error);
            return p;
        },
        m_waitMs);
    if (!probe)
        return std::make_error_code(std::errc::timed_out);
    if (probe->error)
        return probe->error;
    if (probe->info.kind == FileSystem::Kind::Missing)
        return std::make_error_code(std::errc::no_such_file_or_directory);
    if (probe->info.kind != FileSystem::Kind::Folder)
        return std::make_error_code(std::errc::not_a_directory);
    m_path = path;
    m_names.clear();
    return {};
}

void FolderListing::setPattern(const QString &pattern)
{
    m_pattern = pattern;
}

void FolderListing::refresh()
{
    m_names.clear();
    if (m_path.isEmpty())
        return;
    const auto names = m_jobs->call<QStringList>(
        [files = m_files, folder = m_path, pattern = m_pattern] {
            QList<QRegularExpression> patterns;
            for (const QString &part : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                patterns.append(
                    QRegularExpression(QRegularExpression::wildcardToRegularExpression(part.trimmed()),
                                       QRegularExpression::CaseInsensitiveOption));
            }
            QStringList matching;
            std::error_code error;
            files->forEachName(
                folder,
                [&](std::string_view raw) {
                    const QString name = files->decodeName(raw);
                    for (const QRegularExpression &re : std::as_const(patterns)) {
                        if (re.match(name).hasMatch()) {
                            std::error_code ignored;
                            if (files->info(folder + QLatin1Char('/') + name, ignored).kind
                                == FileSystem::Kind::File)
                                matching.append(name);
                            break;
                        }
                    }
                    return true;
                },
                error);
            matching.sort();
            return matching;
        },
        m_waitMs);
    if (names)
        m_names = *names;
}

bool FolderListing::isDeviceUnavailable(const std::error_code &error)
{
    static const std::errc unavailable[] = {
        std::errc::no_such_device, std::errc::no_such_device_or_address, std::errc::host_unreachable,
        std::errc::network_down,   std::errc::network_unreachable,       std::errc::not_connected,
        std::errc::timed_out,      std::errc::connection_refused,
        std::errc::io_error, // what a network mount reports once its server is gone
    };
    for (std::errc e : unavailable) {
        if (error == e)
            return true;
    }
    return false;
}

} // namespace calmora
