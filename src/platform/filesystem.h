#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>
#include <string_view>
#include <system_error>

namespace calmora {

// The file operations the shared folder needs, each reporting the platform's
// own error. Any of them may block for as long as the folder's device does (a
// network mount that stopped answering), so callers run them off the window's
// thread. Implementations must be safe to call from several threads at once.
class FileSystem
{
public:
    virtual ~FileSystem() = default;

    // Link only from entryInfo(): info() follows symbolic links.
    enum class Kind { Missing, File, Folder, Link, Other };
    struct Info
    {
        Kind kind = Kind::Missing;
        qint64 size = 0;
        qint64 modifiedNs = 0; // last modification, nanoseconds since the epoch
    };
    // Whether read() and copy() may follow a final symbolic link: only to
    // files the user chose, never to what others put in the shared folder.
    enum class Links { Refuse, Follow };

    // A missing entry is not an error: it is reported as Kind::Missing.
    virtual Info info(const QString &path, std::error_code &error) = 0;
    // The entry itself: a symbolic link is reported as Link, wherever it points.
    virtual Info entryInfo(const QString &path, std::error_code &error) = 0;
    // Hands every entry name of folder, in the folder's own order and in the
    // platform's file-name encoding, to visit until visit returns false.
    virtual void forEachName(const QString &folder, const std::function<bool(std::string_view)> &visit,
                             std::error_code &error) = 0;
    // Decodes a name handed out by forEachName.
    virtual QString decodeName(std::string_view name) const = 0;
    // read() and copy() only read regular files: a folder, a pipe or a device
    // fails at once instead of blocking or never ending, and so does a link
    // that is refused. What was opened is checked, not the path before it, so
    // nothing swapped in between the two is read.
    // The first maxBytes bytes of a file at most; links refused.
    virtual QByteArray read(const QString &path, qint64 maxBytes, std::error_code &error) = 0;
    // Creates to, which must not exist yet, as a copy of from. A source longer
    // than maxBytes fails with file_too_large and leaves no copy behind.
    virtual void copy(const QString &from, const QString &to, qint64 maxBytes, Links links,
                      std::error_code &error) = 0;
    // Creates path, which must not exist yet, holding bytes.
    virtual void write(const QString &path, const QByteArray &bytes, std::error_code &error) = 0;
    // Renames from to to, replacing a file to.
    virtual void rename(const QString &from, const QString &to, std::error_code &error) = 0;
    virtual void remove(const QString &path, std::error_code &error) = 0;
};

} // namespace calmora
