#include "app/updatecheck.h"

#include "core/appstate.h"
#include "net/folderlisting.h"
#include "net/sharejobs.h"
#include "platform/launcher.h"

#include <QDateTime>
#include <QFileInfo>

#include <optional>

namespace calmora {

namespace {

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
    const auto finish = [outcome](UpdateOutcome result) {
        if (outcome)
            *outcome = result;
        return std::nullopt;
    };
    // Without a shared folder there is nothing to compare; the listing may
    // still show a folder it was bound to before.
    if (state.NetPath.isEmpty() || program.fileName.isEmpty())
        return finish(UpdateOutcome::NoNetworkCopy);

    File1.setPattern(listingPattern(program.fileName));
    File1.refresh();
    bool found = false;
    for (int i = 0; i < File1.count() && !found; ++i)
        found = File1.item(i) == program.fileName;
    if (!found)
        return finish(UpdateOutcome::NoNetworkCopy);

    UpdateOffer offer{state.NetPath + QLatin1Char('/') + program.fileName,
                      program.folder + QLatin1Char('/') + program.fileName};
    // The shared folder may hang; it gets as long to answer as the listing did.
    ShareJobs jobs;
    const std::optional<qint64> networkTime =
        jobs.call<std::optional<qint64>>([path = offer.networkCopy] { return modifiedSeconds(path); },
                                         File1.waitLimit())
            .value_or(std::nullopt);
    if (!networkTime)
        return finish(UpdateOutcome::Failed);
    const std::optional<qint64> localTime = modifiedSeconds(offer.localCopy);
    if (!localTime)
        return finish(UpdateOutcome::Failed);
    if (*networkTime <= *localTime)
        return finish(UpdateOutcome::NotNewer);
    if (outcome)
        *outcome = UpdateOutcome::Offered;
    return offer;
}

bool startUpdater(Launcher &launcher, const ProgramInfo &program, const UpdateOffer &offer)
{
    const QString updater = program.folder + QLatin1Char('/') + program.updaterName;
    return launcher.start(updater, {offer.networkCopy, offer.localCopy}) != 0;
}

QString updateQuestion()
{
    return QStringLiteral("A newer version of Calmora exists on the network.  Do you want to update your version?");
}

} // namespace calmora
