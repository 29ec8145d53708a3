#include "app/minisign.h"

#include <QFile>
#include <QTest>

using namespace calmora;
using namespace Qt::StringLiterals;

namespace {

// Made by the real minisign tool; see the README beside them.
QByteArray fixture(const char *name)
{
    QFile file(QLatin1String(CALMORA_MINISIGN_FIXTURES "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray withLine(const QByteArray &file, int index, const QByteArray &line)
{
    QList<QByteArray> lines = file.split('\n');
    lines[index] = line;
    return lines.join('\n');
}

} // namespace

class TestMinisign : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void acceptsOnlyAnUntouchedSignatureByTheKey_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("signature");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QString>("why"); // empty when the signature is good

        const QByteArray pub = fixture("test-key.pub");
        const QByteArray good = fixture("payload.minisig");
        const QByteArray legacy = fixture("payload-legacy.minisig");
        const QByteArray payload = fixture("payload");
        QVERIFY2(!payload.isEmpty() && !good.isEmpty() && !pub.isEmpty(), CALMORA_MINISIGN_FIXTURES);
        QByteArray changed = payload;
        changed[7] = char(changed[7] ^ 0x01);
        QByteArray otherAlgorithm = QByteArray::fromBase64(good.split('\n').at(1));
        otherAlgorithm[1] = 'X';

        QTest::newRow("prehashed, whole .pub file") << pub << good << payload << QString();
        QTest::newRow("legacy, key line alone") << pub.split('\n').at(1) << legacy << payload << QString();
        QTest::newRow("CRLF line ends")
            << pub << QByteArray(good).replace("\n", "\r\n") << payload << QString();
        QTest::newRow("another key") << pub << fixture("payload-other-key.minisig") << payload
                                     << u"another key"_s;
        QTest::newRow("changed bytes") << pub << good << changed << u"does not match the file's bytes"_s;
        QTest::newRow("changed bytes, legacy")
            << pub << legacy << changed << u"does not match the file's bytes"_s;
        QTest::newRow("edited trusted comment") << pub << fixture("payload-edited-comment.minisig") << payload
                                                << u"trusted comment's signature does not match"_s;
        QTest::newRow("damaged") << pub << fixture("payload-damaged.minisig") << payload << u"damaged"_s;
        QTest::newRow("unknown algorithm")
            << pub << withLine(good, 1, otherAlgorithm.toBase64()) << payload << u"unknown algorithm"_s;
        QTest::newRow("three lines") << pub << good.first(good.lastIndexOf('\n', -2)) << payload
                                     << u"3 lines"_s;
        QTest::newRow("empty file") << pub << QByteArray() << payload << u"empty"_s;
        QTest::newRow("huge comment")
            << pub << withLine(good, 0, "untrusted comment: " + QByteArray(8000, 'x')) << payload
            << u"too large"_s;
        QTest::newRow("key line malformed")
            << pub.left(pub.size() - 5) << good << payload << u"not a minisign key line"_s;
    }

    void acceptsOnlyAnUntouchedSignatureByTheKey()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, signature);
        QFETCH(QByteArray, payload);
        QFETCH(QString, why);
        QString keyProblem;
        const std::optional<MinisignKey> parsed = parseMinisignKey(key, &keyProblem);
        const SignatureCheck check =
            parsed ? verifyMinisign(*parsed, signature, payload) : SignatureCheck{false, keyProblem};
        if (why.isEmpty())
            QCOMPARE(check.why, QString());
        else
            QVERIFY2(check.why.contains(why), qPrintable(check.why));
        QCOMPARE(check.valid, why.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestMinisign)
#include "tst_minisign.moc"
