#include "net/messagefile.h"

#include "net/cp1252.h"
#include "net/dropfolder.h"
#include "platform/filesystem.h"

namespace calmora {

namespace {

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

// Moves pos past the separator at pos: a comma, or a line end (CR LF counts once).
qsizetype pastSeparator(const QByteArray &bytes, qsizetype pos)
{
    if (pos >= bytes.size())
        return pos;
    if (bytes.at(pos) == '\r' && pos + 1 < bytes.size() && bytes.at(pos + 1) == '\n')
        return pos + 2;
    return pos + 1;
}

qsizetype nextSeparator(const QByteArray &bytes, qsizetype pos)
{
    while (pos < bytes.size() && bytes.at(pos) != ',' && !isLineEnd(bytes.at(pos)))
        ++pos;
    return pos;
}

} // namespace

QByteArray messageRecord(const QString &message)
{
    QString text = message;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return '"' + encodeCp1252(text) + "\"\r\n";
}

QString lastMessageItem(const QByteArray &bytes)
{
    QByteArray last;
    qsizetype pos = 0;
    bool itemFollows = false; // a comma promises an item, even an empty one
    while (pos < bytes.size()) {
        while (pos < bytes.size() && bytes.at(pos) == ' ')
            ++pos;
        if (pos >= bytes.size())
            break;
        if (!itemFollows && isLineEnd(bytes.at(pos))) {
            // Blank lines hold no item.
            pos = pastSeparator(bytes, pos);
            continue;
        }
        if (bytes.at(pos) == '"') {
            const qsizetype close = bytes.indexOf('"', pos + 1);
            const qsizetype end = close < 0 ? bytes.size() : close;
            last = bytes.mid(pos + 1, end - pos - 1);
            // Whatever stands between the closing quote and the separator is skipped.
            pos = nextSeparator(bytes, std::min(end + 1, bytes.size()));
        } else {
            const qsizetype end = nextSeparator(bytes, pos);
            last = bytes.mid(pos, end - pos);
            pos = end;
        }
        itemFollows = pos < bytes.size() && bytes.at(pos) == ',';
        pos = pastSeparator(bytes, pos);
    }
    if (itemFollows)
        last.clear();
    QString text = decodeCp1252(last);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

std::error_code Write_Message(FileSystem &files, const QString &destination, const QString &message)
{
    return placeFile(files, destination, [&](const QString &temporary, std::error_code &error) {
        files.write(temporary, messageRecord(message), error);
    });
}

MessageRead Read_Message(FileSystem &files, const QString &path)
{
    MessageRead result;
    const QByteArray bytes = files.read(path, kMaxMessageBytes, result.error);
    if (!result.error)
        result.text = lastMessageItem(bytes);
    return result;
}

} // namespace calmora
