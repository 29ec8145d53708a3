#include "programreplacer.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

namespace calmora::update {

namespace {

constexpr qint64 kBlockSize = 64 * 1024;

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

struct Attempt
{
    bool ok = false;
    // Only the final rename is worth repeating: the rest fails the same way again.
    bool worthRetrying = false;
    QString why;
};

Attempt failed(const QString &why, bool worthRetrying = false)
{
    return {false, worthRetrying, why};
}

QFileDevice::Permissions programPermissions(const QFileInfo &source, const QFileInfo &target)
{
    QFileDevice::Permissions permissions = target.exists() ? target.permissions() : source.permissions();
    // Whatever the share reports, the result must run for its owner.
    return permissions | QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
           | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser;
}

Attempt copyOnce(const QString &from, const QString &to, const ReplaceOptions &options)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return failed(
            QStringLiteral("the new version %1 cannot be read: %2").arg(shown(from), in.errorString()));
    const QFileInfo source(from);
    const qint64 expected = in.size();
    const QDateTime sourceTime = source.lastModified();

    QSaveFile out(to);
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return failed(QStringLiteral("%1 cannot be written: %2").arg(shown(to), out.errorString()));
    out.setPermissions(programPermissions(source, QFileInfo(to)));

    QByteArray block(kBlockSize, Qt::Uninitialized);
    QByteArray written; // what verify() sees: exactly what is about to be installed
    qint64 copied = 0;
    for (;;) {
        const qint64 n = in.read(block.data(), block.size());
        if (n < 0)
            return failed(QStringLiteral("reading %1 failed: %2").arg(shown(from), in.errorString()));
        if (n == 0)
            break;
        if (out.write(block.constData(), n) != n)
            return failed(QStringLiteral("writing beside %1 failed: %2").arg(shown(to), out.errorString()));
        if (options.verify)
            written.append(block.constData(), n);
        copied += n;
        if (options.progress && !options.progress(copied))
            return failed(QStringLiteral("the copy was interrupted"));
    }
    // Complete means every byte the new version had when we started, and a
    // source that did not change under us (an upload still in progress).
    const QFileInfo after(from);
    if (copied != expected || after.size() != expected || after.lastModified() != sourceTime) {
        return failed(
            QStringLiteral("the copy of %1 is incomplete (%2 of %3 bytes); it may still be being written")
                .arg(shown(from), QString::number(copied), QString::number(after.size())));
    }
    if (options.verify) {
        if (const QString why = options.verify(written); !why.isEmpty())
            return failed(why);
    }
    // Written out first, so the time set next is not overwritten by the last block.
    if (!out.flush())
        return failed(QStringLiteral("writing beside %1 failed: %2").arg(shown(to), out.errorString()));
    out.setFileTime(sourceTime, QFileDevice::FileModificationTime);
    if (!out.commit())
        return failed(QStringLiteral("%1 cannot be replaced: %2").arg(shown(to), out.errorString()), true);
    return {true, false, QString()};
}

} // namespace

ReplaceResult replaceProgram(const QString &newCopy, const QString &localCopy, const ReplaceOptions &options)
{
    const auto failure = [&](const QString &why) {
        return ReplaceResult{false, QStringLiteral("Calmora could not be updated: %1.\n\n"
                                                   "The installed version %2 is unchanged.")
                                        .arg(why, shown(localCopy))};
    };
    if (newCopy.isEmpty() || localCopy.isEmpty())
        return failure(QStringLiteral("the new version and the program to replace must both be named"));
    const QFileInfo source(newCopy);
    if (!source.exists())
        return failure(QStringLiteral("the new version %1 was not found").arg(shown(newCopy)));
    if (!source.isFile())
        return failure(QStringLiteral("the new version %1 is not a file").arg(shown(newCopy)));
    const QFileInfo target(localCopy);
    if (target.exists() && !target.isFile())
        return failure(QStringLiteral("%1 is not a program file").arg(shown(localCopy)));

    for (int attempts = 1;; ++attempts) {
        const Attempt attempt = copyOnce(newCopy, localCopy, options);
        if (attempt.ok)
            break;
        if (!attempt.worthRetrying || !options.retry || !options.retry(attempts))
            return failure(attempt.why);
    }
    return {true, QStringLiteral("Calmora has been updated with the new version from %1.\n\n"
                                 "It runs the next time Calmora is started.")
                      .arg(shown(newCopy))};
}

std::function<bool(int)> waitingRetry(int attempts, std::chrono::milliseconds delay)
{
    return [attempts, delay](int failedAttempts) {
        if (failedAttempts >= attempts)
            return false;
        QThread::msleep(static_cast<unsigned long>(delay.count()));
        return true;
    };
}

} // namespace calmora::update
