#pragma once

#include "platform/filesystem.h"

#include <QMap>

namespace calmora {

// Files held in memory, so a fuzz target feeds its input to the program's
// readers without a disk or a platform layer.
class MemoryFileSystem final : public FileSystem
{
public:
    QMap<QString, QByteArray> files;

    Info info(const QString &path, std::error_code &error) override { return entryInfo(path, error); }
    Info entryInfo(const QString &path, std::error_code &error) override
    {
        error.clear();
        if (const auto it = files.constFind(path); it != files.cend())
            return {Kind::File, it->size()};
        return {};
    }
    void forEachName(const QString &, const std::function<bool(std::string_view)> &,
                     std::error_code &error) override
    {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    }
    QString decodeName(std::string_view name) const override
    {
        return QString::fromUtf8(name.data(), qsizetype(name.size()));
    }
    QByteArray read(const QString &path, qint64 maxBytes, std::error_code &error) override
    {
        error.clear();
        if (!files.contains(path)) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
            return {};
        }
        return files.value(path).left(qsizetype(maxBytes));
    }
    void copy(const QString &, const QString &, qint64, Links, std::error_code &error) override
    {
        refuse(error);
    }
    void write(const QString &, const QByteArray &, std::error_code &error) override { refuse(error); }
    void rename(const QString &, const QString &, std::error_code &error) override { refuse(error); }
    void remove(const QString &, std::error_code &error) override { refuse(error); }

private:
    static void refuse(std::error_code &error)
    {
        error = std::make_error_code(std::errc::read_only_file_system);
    }
};

} // namespace calmora
