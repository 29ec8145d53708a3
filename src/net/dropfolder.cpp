#include "net/dropfolder.h"

#include "platform/filesystem.h"

#include <QRandomGenerator>

namespace calmora {

namespace {

// Longer names are not computer names, and the temporary name built from them
// must still fit the file systems' 255-byte limit.
constexpr qsizetype kMaxNameLength = 200;

bool isAscii(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool equalsAsciiIgnoringCase(std::string_view name, const QByteArray &wanted)
{
    if (qsizetype(name.size()) != wanted.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (asciiLower(name[i]) != asciiLower(wanted.at(qsizetype(i))))
            return false;
    }
    return true;
}

} // namespace

QString nameProblem(const QString &name)
{
    if (name.size() > kMaxNameLength)
        return QStringLiteral("\"%1...\" is too long for a computer name.").arg(name.left(20));
    bool refused = name.contains(QLatin1String("..")) || name == QLatin1String(".");
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || QStringView(u"/\\:*?\"<>|").contains(c))
            refused = true;
    }
    if (!refused)
        return {};
    return QStringLiteral("\"%1\" cannot be used as a computer name. A name may not contain \"..\", "
                          "any of / \\ : * ? \" < > | or control characters.")
        .arg(name);
}

QString dropPath(const QString &folder, const QString &name, const char *extension)
{
    return folder + QLatin1Char('/') + name + QLatin1Char('.') + QLatin1String(extension);
}

std::error_code placeFile(FileSystem &files, const QString &path, const FileFiller &fill)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = path.left(slash + 1);
    const QString fileName = path.mid(slash + 1);
    std::error_code error;
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Leading dot and trailing ".part": listed by nobody, matched by no receiver.
        const QString temporary = folder + QLatin1Char('.') + fileName + QLatin1Char('.')
                                  + QString::number(QRandomGenerator::global()->generate(), 16)
                                  + QLatin1String(".part");
        fill(temporary, error);
        if (error == std::errc::file_exists)
            continue; // someone else's file: not ours to remove
        if (error) {
            // A fill cut short (the folder went away mid-copy) may leave a part behind.
            std::error_code ignored;
            files.remove(temporary, ignored);
            return error;
        }
        files.rename(temporary, path, error);
        if (error) {
            std::error_code ignored;
            files.remove(temporary, ignored);
        }
        return error;
    }
    return error;
}

QString findIgnoringCase(FileSystem &files, const QString &folder, const QString &fileName)
{
    std::error_code error;
    const auto wanted = [&files](const QString &path) {
        std::error_code ignored;
        const FileSystem::Kind kind = files.entryInfo(path, ignored).kind;
        return kind == FileSystem::Kind::File || kind == FileSystem::Kind::Link;
    };
    QString exact = folder + QLatin1Char('/') + fileName;
    if (wanted(exact))
        return exact;

    const bool ascii = isAscii(fileName);
    const QByteArray latin1 = fileName.toLatin1();
    QString found;
    files.forEachName(
        folder,
        [&](std::string_view name) {
            // Most folders hold names in plain ASCII: compare bytes without decoding.
            const bool same = ascii ? equalsAsciiIgnoringCase(name, latin1)
                                    : files.decodeName(name).compare(fileName, Qt::CaseInsensitive) == 0;
            if (!same)
                return true;
            const QString candidate = folder + QLatin1Char('/') + files.decodeName(name);
            if (!wanted(candidate))
                return true;
            found = candidate;
            return false;
        },
        error);
    return found;
}

} // namespace calmora
