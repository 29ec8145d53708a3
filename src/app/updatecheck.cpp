#include "app/updatecheck.h"

#include "app/minisign.h"
#include "core/appstate.h"
#include "net/folderlisting.h"
#include "net/sharejobs.h"
#include "platform/launcher.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>

#include <optional>

namespace calmora {

namespace {

// Warnings (an update refused) show by default; QT_LOGGING_RULES="calmora.update.info=true" shows every
// check.
Q_LOGGING_CATEGORY(lcUpdate, "calmora.update", QtWarningMsg)

// Reading a new version and its signature over the share may take a moment;
// it happens only when a newer copy is there.
constexpr int kSignatureWaitMs = 10000;
constexpr qint64 kMaxProgramBytes = qint64{512} * 1024 * 1024;

QByteArray readAtMost(const QString &path, qint64 maxBytes, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return {};
    }
    if (file.size() > maxBytes) {
        *why = QStringLiteral("it is larger than %1 bytes").arg(maxBytes);
        return {};
    }
    return file.readAll();
}

// Lists what could be the program: "*.exe" where programs carry that
// extension, every file where they carry none.
QString listingPattern(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix();
    static const QString wildcards = QStringLiteral("*?[];");
    for (QChar c : suffix) {
        if (wildcards.contains(c))
            return QStringLiteral("*");
    }
    return suffix.isEmpty() ? QStringLiteral("*") : QLatin1String("*.") + suffix;
}

// Whole seconds: a share keeps times more coarsely than a local disk, so a
// copy whose time was carried over must not look newer by a fraction.
std::optional<qint64> modifiedSeconds(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return std::nullopt;
    return modified.toSecsSinceEpoch();
}

} // namespace

std::optional<UpdateOffer> findUpdate(const AppState &state, FolderListing &File1, const ProgramInfo &program,
                                      UpdateOutcome *outcome)
{
    const auto finish = [outcome](UpdateOutcome result, const char *why) {
        if (outcome)
            *outcome = result;
        qCInfo(lcUpdate) << "No update offered:" << why;
        return std::nullopt;
    };
    // Without a shared folder there is nothing to compare; the listing may
    // still show a folder it was bound to before.
    if (state.NetPath.isEmpty() || program.fileName.isEmpty())
        return finish(UpdateOutcome::NoNetworkCopy, "no copy of the program in the shared folder");

    File1.setPattern(listingPattern(program.fileName));
    File1.refresh();
    bool found = false;
    for (int i = 0; i < File1.count() && !found; ++i)
        found = File1.item(i) == program.fileName;
    if (!found)
        return finish(UpdateOutcome::NoNetworkCopy, "no copy of the program in the shared folder");

    UpdateOffer offer{state.NetPath + QLatin1Char('/') + program.fileName,
                      program.folder + QLatin1Char('/') + program.fileName};
    // The shared folder may hang; it gets as long to answer as the listing did.
    ShareJobs jobs;
    const std::optional<qint64> networkTime =
        jobs.call<std::optional<qint64>>([path = offer.networkCopy] { return modifiedSeconds(path); },
                                         File1.waitLimit())
            .value_or(std::nullopt);
    if (!networkTime)
        return finish(UpdateOutcome::Failed, "a copy cannot be read");
    const std::optional<qint64> localTime = modifiedSeconds(offer.localCopy);
    if (!localTime)
        return finish(UpdateOutcome::Failed, "a copy cannot be read");
    if (*networkTime <= *localTime)
        return finish(UpdateOutcome::NotNewer, "the copy in the shared folder is not newer");
    // Asking is pointless when the answer could not be carried out.
    if (!QFileInfo(offer.localCopy).isWritable() || !QFileInfo(program.folder).isWritable())
        return finish(UpdateOutcome::NotWritable, "this user cannot replace the program");
    if (!program.updateKey.isEmpty()) {
        const auto verdict = ShareJobs().call<SignatureCheck>(
            [key = program.updateKey, copy = offer.networkCopy] { return checkUpdateSignature(key, copy); },
            kSignatureWaitMs);
        if (!verdict || !verdict->valid) {
            qCWarning(lcUpdate).noquote()
                << "Not offering" << offer.networkCopy << "as an update:"
                << (verdict ? verdict->why : QStringLiteral("the shared folder does not answer"));
            return finish(UpdateOutcome::NotSigned, "not signed with the key this build trusts");
        }
    }
    qCInfo(lcUpdate) << "Offering" << offer.networkCopy;
    if (outcome)
        *outcome = UpdateOutcome::Offered;
    return offer;
}

SignatureCheck verifyUpdate(const QByteArray &keyText, const QString &file, const QByteArray &bytes)
{
    QString why;
    const std::optional<MinisignKey> key = parseMinisignKey(keyText, &why);
    if (!key)
        return {false, QStringLiteral("the key this build trusts is not a minisign key: ") + why};
    const QString signaturePath = file + QLatin1String(".minisig");
    const QByteArray signature = readAtMost(signaturePath, kMaxMinisignFileSize, &why);
    if (!why.isEmpty())
        return {false, QStringLiteral("no signature can be read from %1: %2").arg(signaturePath, why)};
    SignatureCheck check = verifyMinisign(*key, signature, bytes);
    if (!check.valid)
        check.why = QStringLiteral("its signature %1 is not valid: %2").arg(signaturePath, check.why);
    return check;
}

SignatureCheck checkUpdateSignature(const QByteArray &keyText, const QString &file)
{
    QString why;
    const QByteArray bytes = readAtMost(file, kMaxProgramBytes, &why);
    if (!why.isEmpty())
        return {false, QStringLiteral("%1 cannot be read: %2").arg(file, why)};
    return verifyUpdate(keyText, file, bytes);
}

bool startUpdater(Launcher &launcher, const ProgramInfo &program, const UpdateOffer &offer)
{
    const QString updater = program.folder + QLatin1Char('/') + program.updaterName;
    return launcher.start(updater, {offer.networkCopy, offer.localCopy}) != 0;
}

QString updateQuestion()
{
    return QStringLiteral(
        "A newer version of Calmora exists on the network.  Do you want to update your version?");
}

} // namespace calmora
