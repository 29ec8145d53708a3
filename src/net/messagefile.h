#pragma once

#include <QByteArray>
#include <QString>

#include <system_error>

namespace calmora {

class FileSystem;

// The text file that goes with a sent sound: one record holding the message in
// double quotes, then CR LF, in Windows-1252. Other copies of the program read
// and write exactly this, so nothing is escaped.
QByteArray messageRecord(const QString &message);
// The last item of a text file, read by the item rules of the record form:
// a quoted item runs to the next quote, an unquoted one to the next comma or
// line end. Line ends in the result are "\n".
QString lastMessageItem(const QByteArray &bytes);

// How much of a text file is read: far more than anyone types, far less than
// could hurt when a stray file takes the name.
constexpr qint64 kMaxMessageBytes = qint64{64} * 1024;

// Writes message as the text file destination. The file appears whole or not
// at all: it is written under a name no receiver looks for, then renamed.
std::error_code Write_Message(FileSystem &files, const QString &destination, const QString &message);

struct MessageRead
{
    QString text;
    std::error_code error;
};
// The message in a text file; "" with the error when it cannot be read.
MessageRead Read_Message(FileSystem &files, const QString &path);

} // namespace calmora
