#include "fakes.h"
#include "net/messagefile.h"
#include "platform/posixfilesystem.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace calmora;
using namespace calmora::test;

class TestMessageFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    PosixFileSystem m_files;

    QString path(const char *name) const { return m_dir.filePath(QLatin1String(name)); }

private Q_SLOTS:
    void writesTheRecordByteForByteAndReadsItBack_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("abc") << QStringLiteral("abc") << QByteArray("\x22\x61\x62\x63\x22\x0D\x0A")
                             << QStringLiteral("abc");
        QTest::newRow("typed CR LF stays one line end")
            << QStringLiteral("one\r\ntwo") << QByteArray("\"one\r\ntwo\"\r\n") << QStringLiteral("one\ntwo");
        // Nothing is escaped, so a quote inside the text ends the item.
        QTest::newRow("comma and quote unchanged")
            << QStringLiteral("hi, \"you\"") << QByteArray("\"hi, \"you\"\"\r\n") << QStringLiteral("hi, ");
        QTest::newRow("euro and e-acute in the code page")
            << QStringLiteral("5 \u20AC caf\u00E9") << QByteArray("\"5 \x80 caf\xE9\"\r\n")
            << QStringLiteral("5 \u20AC caf\u00E9");
        QTest::newRow("outside the code page") << QStringLiteral("\u0101 \U0001F600 \u4E2D")
                                               << QByteArray("\"? ? ?\"\r\n") << QStringLiteral("? ? ?");
    }

    void writesTheRecordByteForByteAndReadsItBack()
    {
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("bob.txt"));
        put(file, QByteArray(1000, 'z')); // replaced whole, no temporary left
        QVERIFY(!Write_Message(m_files, file, message));
        QTEST(contents(file), "bytes");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("bob.txt")});
        const MessageRead read = Read_Message(m_files, file);
        QVERIFY(!read.error);
        QTEST(read.text, "readBack");
    }

    void readsFilesWrittenByHand_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty file") << QByteArray() << QString();
        QTest::newRow("last item wins")
            << QByteArray("\"first\"\r\n\"second\"\r\n") << QStringLiteral("second");
        QTest::newRow("text after closing quote skipped")
            << QByteArray("\"kept\" lost\r\n") << QStringLiteral("kept");
        QTest::newRow("bare LF and CR end lines") << QByteArray("a\nb\rc") << QStringLiteral("c");
        QTest::newRow("unterminated quote runs to the end")
            << QByteArray("\"open, ended\r\n") << QStringLiteral("open, ended\n");
    }

    void readsFilesWrittenByHand()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(lastMessageItem(bytes), text);
    }

    void readingIsBounded()
    {
        // A huge file is read only as far as the limit: its last item there wins.
        const QString huge = path("huge.txt");
        QByteArray big(8 * 1024 * 1024, 'x');
        big.replace(0, 6, "\"one\",");
        put(huge, big);
        const MessageRead read = Read_Message(m_files, huge);
        QVERIFY(!read.error);
        QCOMPARE(read.text.size(), kMaxMessageBytes - 6);
    }

    void failuresAreReportedNotThrown()
    {
        const MessageRead missing = Read_Message(m_files, path("nobody.txt"));
        QCOMPARE(missing.error, std::make_error_code(std::errc::no_such_file_or_directory));
        QVERIFY(missing.text.isEmpty());
        const auto error =
            Write_Message(m_files, path("no/such/folder/bob.txt"), QStringLiteral("x"));
        QCOMPARE(error, std::make_error_code(std::errc::no_such_file_or_directory));
    }
};

QTEST_GUILESS_MAIN(TestMessageFile)
#include "tst_messagefile.moc"
