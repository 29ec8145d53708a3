#pragma once

#include "platform/programinfo.h"

#include <optional>

namespace calmora {

struct AppState;
class FolderListing;
class Launcher;

enum class UpdateOutcome {
    NoNetworkCopy, // no shared folder, or no copy of the program in it
    NotNewer,
    Failed, // a copy could not be read
    Offered,
};

// A newer copy of the program in the shared folder, and the program it would replace.
struct UpdateOffer
{
    QString networkCopy;
    QString localCopy;
};

// The copy of the program in the shared folder, when it is newer than the
// running one; why not otherwise. Failures are silent: start-up goes on
// whatever happens.
std::optional<UpdateOffer> findUpdate(const AppState &state, FolderListing &File1, const ProgramInfo &program,
                                      UpdateOutcome *outcome = nullptr);
// Starts the updater beside the program with the network copy and the local
// copy as two arguments, never one command line: paths may hold spaces.
bool startUpdater(Launcher &launcher, const ProgramInfo &program, const UpdateOffer &offer);

// The question the user is asked before an update.
QString updateQuestion();

} // namespace calmora
