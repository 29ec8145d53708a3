#pragma once

#include <QString>

#include <chrono>
#include <functional>

namespace calmora::update {

struct ReplaceOptions
{
    // Called when the local copy could not be replaced yet, as while the
    // running program holds it on systems that lock running programs. Returns
    // whether to copy and try again; unset means give up at once.
    std::function<bool(int failedAttempts)> retry;
    // Called after each block written with the bytes copied so far; returning
    // false stops the copy as if it had been interrupted.
    std::function<bool(qint64 copied)> progress;
    // Checks the bytes copied, just before they replace the program; a reason
    // refuses them. Unset takes any bytes.
    std::function<QString(const QByteArray &copied)> verify;
};

struct ReplaceResult
{
    bool ok = false;
    // What was done, or why nothing was.
    QString message;
};

// Replaces localCopy with a copy of newCopy: writes it beside localCopy under
// a temporary name, checks it is complete (and verified), makes it executable
// and renames it over localCopy in one step. On any failure localCopy stays as it was and no
// partial copy is left. The new copy keeps newCopy's modification time, so
// comparing the two afterwards finds nothing newer, whatever the clocks say.
ReplaceResult replaceProgram(const QString &newCopy, const QString &localCopy,
                             const ReplaceOptions &options = {});

// A retry that waits delay between attempts, up to attempts in all.
std::function<bool(int)> waitingRetry(int attempts, std::chrono::milliseconds delay);

} // namespace calmora::update
