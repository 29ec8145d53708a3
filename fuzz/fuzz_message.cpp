// A received text file, read as the receiver reads it: through Read_Message.

#include "net/cp1252.h"
#include "net/messagefile.h"
#include "support/memoryfilesystem.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace calmora;

[[noreturn]] void fail(const char *what, const QString &text)
{
    std::fprintf(stderr, "%s: \"%s\"\n", what, text.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString path = QStringLiteral("/share/bob.txt");
    MemoryFileSystem files;
    files.files.insert(path, bytes);
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
