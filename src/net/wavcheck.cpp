#include "net/wavcheck.h"

#include <QtEndian>

namespace calmora {

namespace {

quint32 le32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

} // namespace

WavArrival judgeWav(QByteArrayView head, qint64 fileSize)
{
    WavArrival result;
    if (head.size() < 12 || !head.startsWith("RIFF") || head.sliced(8, 4) != "WAVE")
        return result;
    result.isWav = true;
    // The whole RIFF chunk must be there...
    if (qint64(le32(head, 4)) + 8 > fileSize)
        return result;
    // ...and the data chunk, where the header shows it.
    for (qint64 at = 12; at + 8 <= head.size();) {
        const qint64 size = le32(head, qsizetype(at + 4));
        if (head.sliced(qsizetype(at), 4) == "data") {
            result.complete = at + 8 + size <= fileSize;
            return result;
        }
        at += 8 + size + (size & 1); // chunks are padded to an even length
    }
    // No data chunk within what was read: the RIFF size is all there is to go by.
    result.complete = true;
    return result;
}

} // namespace calmora
