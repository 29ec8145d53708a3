#include "app/minisign.h"

#include <QList>

#include <sodium.h>

#include <array>

namespace calmora {

namespace {

constexpr qsizetype kKeyIdBytes = 8;
constexpr QByteArrayView kEd25519 = "Ed";   // signs the file's bytes (legacy)
constexpr QByteArrayView kPrehashed = "ED"; // signs the BLAKE2b-512 hash of the file
constexpr QByteArrayView kUntrustedPrefix = "untrusted comment: ";
constexpr QByteArrayView kTrustedPrefix = "trusted comment: ";

bool sodiumReady()
{
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// Strict standard base64 of exactly `size` bytes. The text must be the one
// encoding of what it decodes to: libsodium's decoder alone takes any byte
// above 0x7f for '/'.
std::optional<QByteArray> decodeBase64(QByteArrayView text, qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    size_t length = 0;
    const char *end = nullptr;
    if (sodium_base642bin(reinterpret_cast<unsigned char *>(bytes.data()), size_t(size), text.data(),
                          size_t(text.size()), nullptr, &length, &end, sodium_base64_VARIANT_ORIGINAL)
            != 0
        || end != text.data() + text.size() || length != size_t(size))
        return std::nullopt;
    QByteArray canonical(qsizetype(sodium_base64_ENCODED_LEN(size_t(size), sodium_base64_VARIANT_ORIGINAL)),
                         Qt::Uninitialized);
    sodium_bin2base64(canonical.data(), size_t(canonical.size()),
                      reinterpret_cast<const unsigned char *>(bytes.constData()), size_t(size),
                      sodium_base64_VARIANT_ORIGINAL);
    if (QByteArrayView(canonical.constData()) != text)
        return std::nullopt;
    return bytes;
}

// Lines without their line ends; CRLF is accepted, as minisign itself does.
QList<QByteArrayView> splitLines(QByteArrayView text)
{
    QList<QByteArrayView> lines;
    while (!text.isEmpty()) {
        const qsizetype end = text.indexOf('\n');
        QByteArrayView line = end < 0 ? text : text.first(end);
        text = end < 0 ? QByteArrayView() : text.sliced(end + 1);
        if (line.endsWith('\r'))
            line.chop(1);
        lines.append(line);
    }
    return lines;
}

bool verifyDetached(QByteArrayView signature, QByteArrayView message, const QByteArray &publicKey)
{
    return crypto_sign_verify_detached(reinterpret_cast<const unsigned char *>(signature.data()),
                                       reinterpret_cast<const unsigned char *>(message.data()),
                                       quint64(message.size()),
                                       reinterpret_cast<const unsigned char *>(publicKey.data()))
           == 0;
}

} // namespace

std::optional<MinisignKey> parseMinisignKey(QByteArrayView text, QString *why)
{
    const auto fail = [why](const QString &reason) -> std::optional<MinisignKey> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (text.size() > kMaxMinisignFileSize)
        return fail(QStringLiteral("the public key is too long"));
    QByteArrayView keyLine;
    for (QByteArrayView line : splitLines(text)) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(kUntrustedPrefix))
            continue;
        if (!keyLine.isEmpty())
            return fail(QStringLiteral("the public key has more than one key line"));
        keyLine = line;
    }
    if (keyLine.isEmpty())
        return fail(QStringLiteral("the public key is empty"));
    if (!sodiumReady())
        return fail(QStringLiteral("the cryptography library could not start"));
    const std::optional<QByteArray> bytes =
        decodeBase64(keyLine, kEd25519.size() + kKeyIdBytes + crypto_sign_PUBLICKEYBYTES);
    if (!bytes)
        return fail(QStringLiteral("the public key is not a minisign key line"));
    if (!bytes->startsWith(kEd25519))
        return fail(QStringLiteral("the public key is for an unknown signature algorithm"));
    return MinisignKey{bytes->mid(kEd25519.size(), kKeyIdBytes),
                       bytes->sliced(kEd25519.size() + kKeyIdBytes)};
}

SignatureCheck verifyMinisign(const MinisignKey &key, QByteArrayView signatureFile, QByteArrayView message)
{
    if (signatureFile.isEmpty())
        return {false, QStringLiteral("the signature file is empty")};
    if (signatureFile.size() > kMaxMinisignFileSize)
        return {false, QStringLiteral("the signature file is too large to be a signature")};
    if (key.keyId.size() != kKeyIdBytes || key.publicKey.size() != qsizetype(crypto_sign_PUBLICKEYBYTES))
        return {false, QStringLiteral("the public key is damaged")};
    if (!sodiumReady())
        return {false, QStringLiteral("the cryptography library could not start")};

    const QList<QByteArrayView> lines = splitLines(signatureFile);
    if (lines.size() != 4)
        return {false, QStringLiteral("the signature file has %1 lines instead of 4").arg(lines.size())};
    if (!lines[0].startsWith(kUntrustedPrefix))
        return {false, QStringLiteral("the signature file does not start with \"untrusted comment:\"")};
    if (!lines[2].startsWith(kTrustedPrefix))
        return {false, QStringLiteral("the signature file's third line is not a \"trusted comment:\"")};

    // Algorithm (2 bytes), key ID (8), Ed25519 signature (64).
    const std::optional<QByteArray> signatureLine =
        decodeBase64(lines[1], kPrehashed.size() + kKeyIdBytes + crypto_sign_BYTES);
    if (!signatureLine)
        return {false, QStringLiteral("the signature is damaged")};
    const QByteArrayView algorithm = QByteArrayView(*signatureLine).first(kPrehashed.size());
    const bool prehashed = algorithm == kPrehashed;
    if (!prehashed && algorithm != kEd25519)
        return {false, QStringLiteral("the signature uses an unknown algorithm")};
    if (QByteArrayView(*signatureLine).sliced(algorithm.size(), kKeyIdBytes) != key.keyId)
        return {false, QStringLiteral("the file was signed by another key")};
    const QByteArrayView signature = QByteArrayView(*signatureLine).sliced(algorithm.size() + kKeyIdBytes);

    const std::optional<QByteArray> globalSignature = decodeBase64(lines[3], crypto_sign_BYTES);
    if (!globalSignature)
        return {false, QStringLiteral("the trusted comment's signature is damaged")};

    bool matches = false;
    if (prehashed) {
        std::array<unsigned char, crypto_generichash_BYTES_MAX> hash{};
        crypto_generichash(hash.data(), hash.size(), reinterpret_cast<const unsigned char *>(message.data()),
                           quint64(message.size()), nullptr, 0);
        matches =
            verifyDetached(signature, QByteArrayView(hash.data(), qsizetype(hash.size())), key.publicKey);
    } else {
        matches = verifyDetached(signature, message, key.publicKey);
    }
    if (!matches)
        return {false, QStringLiteral("the signature does not match the file's bytes")};

    // The global signature binds the trusted comment to this very signature.
    QByteArray signedComment = signature.toByteArray();
    signedComment.append(lines[2].sliced(kTrustedPrefix.size()));
    if (!verifyDetached(*globalSignature, signedComment, key.publicKey))
        return {false, QStringLiteral("the trusted comment's signature does not match")};
    return {true, {}};
}

} // namespace calmora
