#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace calmora {

// A public key made by `minisign -G`.
struct MinisignKey
{
    QByteArray keyId;     // 8 bytes; every signature names the key that made it
    QByteArray publicKey; // 32 bytes, Ed25519
};

// Signature files are refused above this size without being parsed; the ones
// minisign writes with its default comments are about 300 bytes.
inline constexpr qsizetype kMaxMinisignFileSize = 4096;

// The key line of a .pub file (base64), or the whole file with its comment line.
std::optional<MinisignKey> parseMinisignKey(QByteArrayView text, QString *why = nullptr);

struct SignatureCheck
{
    bool valid = false;
    QString why; // why not, in plain words; empty when valid
};

// Checks a .minisig file made by `minisign -S` (prehashed or legacy) against
// the bytes it claims to sign, including its trusted comment.
SignatureCheck verifyMinisign(const MinisignKey &key, QByteArrayView signatureFile, QByteArrayView message);

} // namespace calmora
