#include "app/commandline.h"
#include "fakes.h"
#include "net/messagefile.h"

#include <QDir>
#include <QTest>
#include <QTextStream>

using namespace calmora;
using namespace calmora::test;
using namespace Qt::StringLiterals;

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Statuses: 0 done, 1 not sent, 2 a wrong command line. Only failures speak,
    // in one line on standard error; help and version go to standard output.
    void sendsThroughTheStoredFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::addColumn<QStringList>("written");
        const QString usage = usageLine() + u'\n';
        QTest::newRow("sound and text") << strings({"--send", "Bob", "SOUND", "--text", "build done"}) << 0 << QString()
                                        << QString() << strings({"Bob.txt", "Bob.wav"});
        QTest::newRow("sound alone") << strings({"--send", "bob", "SOUND"}) << 0 << QString() << QString()
                                     << strings({"bob.wav"});
        QTest::newRow("a name leaving the folder")
            << strings({"--send", "../bob", "SOUND"}) << 1 << QString()
            << u"calmora: Error Sending: \"../bob\" cannot be used as a computer name. A name may not contain \"..\", "
               "any of / \\ : * ? \" < > | or control characters.\n"_s
            << QStringList();
        QTest::newRow("no such sound") << strings({"--send", "bob", "MISSING"}) << 1 << QString()
                                       << u"calmora: Error Sending: bob: No such file or directory\n"_s << QStringList();
        QTest::newRow("unknown option") << strings({"--frobnicate"}) << 2 << QString()
                                        << u"calmora: unknown option '--frobnicate'\n"_s + usage << QStringList();
        QTest::newRow("--send short of its file") << strings({"--send", "bob"}) << 2 << QString()
                                                  << u"calmora: --send takes a name and a file, once\n"_s + usage
                                                  << QStringList();
        QTest::newRow("version") << strings({"--version"}) << 0 << u"Calmora 2.1.2\n"_s << QString() << QStringList();
        QTest::newRow("help") << strings({"--help"}) << 0 << u"*"_s << QString() << QStringList();
    }

    void sendsThroughTheStoredFolder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        TestRig rig;
        const QString share = rig.path(u"share"_s);
        QDir().mkpath(share);
        put(rig.path(u"beep.wav"_s), wavFile("beep"));
        rig.writeSettings("[Settings]\nNetPath=" + share.toUtf8() + "\n");
        arguments.replaceInStrings(u"SOUND"_s, rig.path(u"beep.wav"_s));
        arguments.replaceInStrings(u"MISSING"_s, rig.path(u"missing.wav"_s));
        QString printed, complained;
        QTextStream outStream(&printed), errStream(&complained);
        QTEST(runCommandLine(parseCommandLine(arguments), *rig.store, *rig.files, outStream, errStream), "status");
        outStream.flush();
        errStream.flush();
        if (out == u"*"_s)
            QVERIFY(printed.startsWith(usageLine()));
        else
            QCOMPARE(printed, out);
        QTEST(complained, "err");
        QTEST(filesIn(share), "written");
        // The same files as the send dialog writes.
        if (filesIn(share).contains(u"Bob.txt"_s))
            QCOMPARE(contents(share + u"/Bob.txt"_s), messageRecord(u"build done"_s));
        if (!filesIn(share).isEmpty())
            QCOMPARE(contents(share + u'/' + filesIn(share).constLast()), wavFile("beep"));
    }

    void onlyDoubleDashesAreTheCommandLine()
    {
        QVERIFY(isCommandLine(strings({"--send", "bob", "x"})));
        QVERIFY(!isCommandLine(QStringList()));
        QVERIFY(!isCommandLine(strings({"-platform", "xcb"}))); // Qt's own, for the window
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
