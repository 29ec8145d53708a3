#include "net/folderlisting.h"

#include <QDir>
#include <QRegularExpression>

#include <filesystem>

namespace calmora {

FolderListing::FolderListing(QObject *parent)
    : QObject(parent)
{
}

std::error_code FolderListing::setPath(const QString &path)
{
    if (path.isEmpty()) {
        m_path.clear();
        m_names.clear();
        return {};
    }
    std::error_code error;
    const auto status = std::filesystem::status(std::filesystem::path(path.toStdU16String()), error);
    if (!error) {
        if (status.type() == std::filesystem::file_type::not_found)
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        else if (status.type() != std::filesystem::file_type::directory)
            error = std::make_error_code(std::errc::not_a_directory);
    }
    if (error)
        return error;
    m_path = path;
    refresh();
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
    QList<QRegularExpression> patterns;
    const QStringList parts = m_pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        patterns.append(
            QRegularExpression(QRegularExpression::wildcardToRegularExpression(part.trimmed()),
                               QRegularExpression::CaseInsensitiveOption));
    }
    const QStringList entries =
        QDir(m_path).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : entries) {
        for (const QRegularExpression &re : std::as_const(patterns)) {
            if (re.match(name).hasMatch()) {
                m_names.append(name);
                break;
            }
        }
    }
}

bool FolderListing::isDeviceUnavailable(const std::error_code &error)
{
    static const std::errc unavailable[] = {
        std::errc::no_such_device,      std::errc::no_such_device_or_address,
        std::errc::host_unreachable,    std::errc::network_down,
        std::errc::network_unreachable, std::errc::not_connected,
        std::errc::timed_out,           std::errc::connection_refused,
    };
    for (std::errc e : unavailable) {
        if (error == e)
            return true;
    }
    return false;
}

} // namespace calmora
