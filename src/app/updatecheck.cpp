#include "app/updatecheck.h"

#include "app/appstate.h"
#include "net/folderlisting.h"
#include "net/sharejobs.h"
#include "platform/dialogs.h"
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

UpdateOutcome Check_Update(const UpdateContext &c)
{
    const ProgramInfo &program = c.services.program;
    // Without a shared folder there is nothing to compare; the listing may
    // still show a folder it was bound to before.
    if (c.state.NetPath.isEmpty() || program.fileName.isEmpty())
        return UpdateOutcome::NoNetworkCopy;

    c.File1.setPattern(listingPattern(program.fileName));
    c.File1.refresh();
    bool found = false;
    for (int i = 0; i < c.File1.count() && !found; ++i)
        found = c.File1.item(i) == program.fileName;
    if (!found)
        return UpdateOutcome::NoNetworkCopy;

    const QString networkCopy = c.state.NetPath + QLatin1Char('/') + program.fileName;
    const QString localCopy = program.folder + QLatin1Char('/') + program.fileName;
    // The shared folder may hang; it gets as long to answer as the listing did.
    ShareJobs jobs;
    const std::optional<qint64> networkTime =
        jobs.call<std::optional<qint64>>([networkCopy] { return modifiedSeconds(networkCopy); },
                                         c.File1.waitLimit())
            .value_or(std::nullopt);
    if (!networkTime)
        return UpdateOutcome::Failed;
    const std::optional<qint64> localTime = modifiedSeconds(localCopy);
    if (!localTime)
        return UpdateOutcome::Failed;
    if (*networkTime <= *localTime)
        return UpdateOutcome::NotNewer;

    if (!c.services.dialogs->askYesNo(c.parent,
                                      QStringLiteral("A newer version of Calmora exists on the network.  "
                                                     "Do you want to update your version?")))
        return UpdateOutcome::Declined;

    // Two arguments, never one command line: paths may hold spaces.
    const QString updater = program.folder + QLatin1Char('/') + program.updaterName;
    if (c.services.launcher->start(updater, {networkCopy, localCopy}) == 0)
        return UpdateOutcome::Failed;
    return UpdateOutcome::UpdaterStarted;
}

} // namespace calmora
