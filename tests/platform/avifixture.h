#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cmath>

namespace calmora::test {

// Writes a small uncompressed AVI (24-bit frames of a moving bar, optionally
// with a 16-bit mono 880 Hz track), so video tests need no sample files.
inline bool writeTestAvi(const QString &path, int frames = 10, bool withAudio = false)
{
    constexpr int kWidth = 64, kHeight = 48, kFps = 10, kRate = 8000;
    constexpr int kRowBytes = (kWidth * 3 + 3) & ~3;
    constexpr int kFrameBytes = kRowBytes * kHeight;
    constexpr int kAudioBytes = kRate / kFps * 2;

    auto u32 = [](QByteArray &b, quint32 v) {
        char raw[4];
        qToLittleEndian(v, raw);
        b.append(raw, 4);
    };
    auto u16 = [](QByteArray &b, quint16 v) {
        char raw[2];
        qToLittleEndian(v, raw);
        b.append(raw, 2);
    };
    auto chunk = [&](const char *id, const QByteArray &body) {
        QByteArray c(id, 4);
        u32(c, quint32(body.size()));
        c += body;
        if (body.size() % 2)
            c += '\0';
        return c;
    };
    auto list = [&](const char *kind, const QByteArray &body) {
        return chunk("LIST", QByteArray(kind, 4) + body);
    };

    const int streams = withAudio ? 2 : 1;
    QByteArray avih;
    for (quint32 v :
         {quint32(1000000 / kFps), quint32(kFrameBytes * kFps), 0u, 0x10u, quint32(frames), 0u,
          quint32(streams), quint32(kFrameBytes), quint32(kWidth), quint32(kHeight), 0u, 0u, 0u, 0u})
        u32(avih, v);

    QByteArray vstrh("vids", 4);
    vstrh += QByteArray("DIB ", 4);
    for (quint32 v :
         {0u, 0u, 0u, 1u, quint32(kFps), 0u, quint32(frames), quint32(kFrameBytes), 0xFFFFFFFFu, 0u})
        u32(vstrh, v);
    for (quint16 v : {quint16(0), quint16(0), quint16(kWidth), quint16(kHeight)})
        u16(vstrh, v);
    QByteArray vstrf;
    for (quint32 v : {40u, quint32(kWidth), quint32(kHeight)})
        u32(vstrf, v);
    u16(vstrf, 1);
    u16(vstrf, 24);
    for (quint32 v : {0u, quint32(kFrameBytes), 0u, 0u, 0u, 0u})
        u32(vstrf, v);
    QByteArray hdrl = chunk("avih", avih) + list("strl", chunk("strh", vstrh) + chunk("strf", vstrf));

    if (withAudio) {
        QByteArray astrh("auds", 4);
        u32(astrh, 0);
        for (quint32 v : {0u, 0u, 0u, 1u, quint32(kRate), 0u, quint32(kRate / kFps * frames),
                          quint32(kAudioBytes), 0xFFFFFFFFu, 2u})
            u32(astrh, v);
        for (int i = 0; i < 4; ++i)
            u16(astrh, 0);
        QByteArray astrf;
        u16(astrf, 1);
        u16(astrf, 1);
        u32(astrf, kRate);
        u32(astrf, kRate * 2);
        u16(astrf, 2);
        u16(astrf, 16);
        u16(astrf, 0);
        hdrl += list("strl", chunk("strh", astrh) + chunk("strf", astrf));
    }

    QByteArray movi, idx;
    int sample = 0;
    for (int f = 0; f < frames; ++f) {
        QByteArray pixels(kFrameBytes, '\0');
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const bool bar = (x / 8) == (f % (kWidth / 8));
                char *p = pixels.data() + y * kRowBytes + x * 3;
                p[0] = char(bar ? 255 : 40);
                p[1] = char(bar ? 255 : 90);
                p[2] = char(bar ? 255 : 160);
            }
        auto addIndexed = [&](const char *id, const QByteArray &body) {
            idx += QByteArray(id, 4);
            u32(idx, 0x10);
            u32(idx, quint32(4 + movi.size()));
            u32(idx, quint32(body.size()));
            movi += chunk(id, body);
        };
        addIndexed("00db", pixels);
        if (withAudio) {
            QByteArray pcm;
            for (int i = 0; i < kAudioBytes / 2; ++i, ++sample)
                u16(pcm, quint16(qint16(12000 * std::sin(2 * M_PI * 880 * sample / kRate))));
            addIndexed("01wb", pcm);
        }
    }

    const QByteArray riff =
        chunk("RIFF", QByteArray("AVI ", 4) + list("hdrl", hdrl) + list("movi", movi) + chunk("idx1", idx));
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(riff) == riff.size();
}

} // namespace calmora::test
