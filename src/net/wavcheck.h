#pragma once

#include <QByteArrayView>

namespace calmora {

// Whether a sound file in the shared folder has arrived whole, as far as its
// WAV header tells: the RIFF size and the data chunk's size say how long the
// file will be, so a file still being written in place promises more than it
// holds. Files that are not WAV (or whose header is cut short) tell nothing.
struct WavArrival
{
    bool isWav = false;    // the header could be read
    bool complete = false; // everything it promises is there
};

// head: the first bytes of the file (64 KiB are plenty); fileSize: its size now.
WavArrival judgeWav(QByteArrayView head, qint64 fileSize);

// How much of a file judgeWav needs to see.
constexpr qint64 kWavHeadBytes = qint64{64} * 1024;

} // namespace calmora
