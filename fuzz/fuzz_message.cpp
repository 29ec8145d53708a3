// A received text file, read from disk as the receiver reads it: through Read_Message.

#include "net/cp1252.h"
#include "net/messagefile.h"
#include "platform/posixfilesystem.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace calmora;

QTemporaryDir *scratch;

[[noreturn]] void fail(const char *what, const QString &text)
{
    std::fprintf(stderr, "%s: \"%s\"\n", what, text.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir dir;
    scratch = &dir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = scratch->filePath(QStringLiteral("bob.txt"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            std::abort();
    }
    PosixFileSystem files;
    const MessageRead read = Read_Message(files, path);
    if (read.error)
        fail("reading failed", QString::fromStdString(read.error.message()));

    // Peers pass texts on byte for byte.
    if (encodeCp1252(decodeCp1252(bytes)) != bytes)
        fail("code page round trip changed", decodeCp1252(bytes));
    if (read.text.contains(QLatin1Char('\r')))
        fail("line end left as CR", read.text);
    // Whatever was read, sent on unchanged, reads back the same; only a quote
    // cannot travel inside the record.
    if (!read.text.contains(QLatin1Char('"')) && lastMessageItem(messageRecord(read.text)) != read.text)
        fail("message changed when sent on", read.text);
    return 0;
}
