// A signature file found beside an update, checked against a fixed key and
// payload (tests/fixtures/minisign): any bytes must give an answer, and only
// the genuine signatures may pass.

#include "app/minisign.h"

#include <QByteArray>
#include <QList>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace calmora;

const MinisignKey *key;
const QByteArray payload = QByteArrayLiteral("Calmora test payload: any bytes would do.\n");
// Lines 2 to 4 of payload.minisig and payload-legacy.minisig.
const QByteArray genuine[] = {
    QByteArrayLiteral(
        "RURHETuhT57Y+47R1zheyClyZiytao4p6nvoR+pAlgsZH7INsoL44saRhMqPYb94F49tAeRZ5KJpS4SfeM91Wq2inUhUznTnaQo="
        "\n"
        "trusted comment: timestamp:1796616296\tfile:payload\thashed\n"
        "H6ZXH8QFMZ66D25qNU6fAx44HNwZqqTrgx+fC+6k5HsEco+CFfCAwofV7Z0GNsdJ6KiQhd5pBc5HNzGS+l0tCQ=="),
    QByteArrayLiteral(
        "RWRHETuhT57Y++0QrndoLYBgGwzdd1weR0p4Eaz7E+aNZw7X6azdRqaPJz9AAbW5c1hg58fK6KDpyXK2GtbYMtUdacfuR6G17Qs="
        "\n"
        "trusted comment: timestamp:1796616296\tfile:payload\n"
        "RCybtk/nJZvHyjGgdR6iyOkVpwKThannt8oAk52jjdGiflttLBaWv1wQmRjBov5mbXpMyZ9oW9qRDsoPh/4uAw=="),
};

[[noreturn]] void fail(const char *what, const QString &why)
{
    std::fprintf(stderr, "%s: \"%s\"\n", what, why.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static const std::optional<MinisignKey> parsed =
        parseMinisignKey("untrusted comment: minisign public key FBD89E4FA13B1147\n"
                         "RWRHETuhT57Y+/IUgMH2AGjSCS10ZyO7szAUyjn24fGGv5EKq3IqM5/o\n");
    if (!parsed)
        std::abort();
    key = &*parsed;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    const SignatureCheck check = verifyMinisign(*key, input, payload);
    if (check.valid != check.why.isEmpty())
        fail("an answer without a reason, or a reason for a good signature", check.why);
    if (check.valid) {
        // Only the untrusted comment and the line ends may differ from a genuine file.
        QByteArray signedPart = input.toByteArray().replace("\r\n", "\n");
        signedPart = signedPart.sliced(signedPart.indexOf('\n') + 1);
        if (signedPart.endsWith('\n') || signedPart.endsWith('\r'))
            signedPart.chop(1);
        if (signedPart != genuine[0] && signedPart != genuine[1])
            fail("accepted a signature that minisign did not make", QString::fromLatin1(signedPart));
    }

    // The same bytes as a public key: refused or a key of the right shape.
    const std::optional<MinisignKey> asKey = parseMinisignKey(input);
    if (asKey && (asKey->keyId.size() != 8 || asKey->publicKey.size() != 32))
        fail("a key of the wrong size", QString());
    return 0;
}
