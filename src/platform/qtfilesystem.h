#pragma once

#include "platform/filesystem.h"

namespace calmora {

// FileSystem over Qt's portable file classes, where there is no native
// implementation. Errors carry the closest generic error code.
class QtFileSystem final : public FileSystem
{
public:
    Info info(const QString &path, std::error_code &error) override;
    Info entryInfo(const QString &path, std::error_code &error) override;
    void forEachName(const QString &folder, const std::function<bool(std::string_view)> &visit,
                     std::error_code &error) override;
    QString decodeName(std::string_view name) const override;
    QByteArray read(const QString &path, qint64 maxBytes, std::error_code &error) override;
    void copy(const QString &from, const QString &to, qint64 maxBytes, Links links,
              std::error_code &error) override;
    void write(const QString &path, const QByteArray &bytes, std::error_code &error) override;
    void rename(const QString &from, const QString &to, std::error_code &error) override;
    void remove(const QString &path, std::error_code &error) override;
};

} // namespace calmora
