#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <initializer_list>

namespace calmora::test {

// Writes a small uncompressed AVI (24-bit frames of a moving bar), so video
// tests need no sample files.
inline bool writeTestAvi(const QString &path, int frames = 10)
{
    constexpr int kWidth = 64, kHeight = 48, kFps = 10;
    constexpr int kFrameBytes = kWidth * 3 * kHeight; // rows are already 4-byte aligned

    const auto words = [](std::initializer_list<quint32> values) {
        QByteArray b;
        for (quint32 v : values) {
            char raw[4];
            qToLittleEndian(v, raw);
            b.append(raw, 4);
        }
        return b;
    };
    const auto chunk = [&](const char *id, const QByteArray &body) -> QByteArray {
        return QByteArray(id, 4) + words({quint32(body.size())}) + body;
    };
    const auto list = [&](const char *kind, const QByteArray &body) -> QByteArray {
        return chunk("LIST", QByteArray(kind, 4) + body);
    };

    const QByteArray avih = words({1000000 / kFps, kFrameBytes * kFps, 0, 0x10, quint32(frames), 0, 1,
                                   kFrameBytes, kWidth, kHeight, 0, 0, 0, 0});
    const QByteArray strh = QByteArray("vidsDIB ")
                            + words({0, 0, 0, 1, kFps, 0, quint32(frames), kFrameBytes, 0xFFFFFFFF, 0, 0,
                                     kWidth | (kHeight << 16)});
    const QByteArray strf = words({40, kWidth, kHeight, 1 | (24 << 16), 0, kFrameBytes, 0, 0, 0, 0});
    const QByteArray hdrl = chunk("avih", avih) + list("strl", chunk("strh", strh) + chunk("strf", strf));

    QByteArray movi, index;
    for (int f = 0; f < frames; ++f) {
        QByteArray pixels(kFrameBytes, '\x50');
        for (int y = 0; y < kHeight; ++y)
            for (int x = (f % 8) * 8; x < (f % 8) * 8 + 8; ++x)
                pixels.replace(y * kWidth * 3 + x * 3, 3, "\xff\xff\xff", 3);
        index += QByteArray("00db") + words({0x10, quint32(4 + movi.size()), kFrameBytes});
        movi += chunk("00db", pixels);
    }
    const QByteArray riff =
        chunk("RIFF", QByteArray("AVI ") + list("hdrl", hdrl) + list("movi", movi) + chunk("idx1", index));
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(riff) == riff.size();
}

} // namespace calmora::test
