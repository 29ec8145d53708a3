#pragma once

#include "platform/services.h"

class QWidget;

namespace calmora {

struct AppState;
class FolderListing;

// What the update check looks at and may start.
struct UpdateContext
{
    const AppState &state;
    FolderListing &File1;
    const Services &services;
    QWidget *parent = nullptr;
};

enum class UpdateOutcome {
    NoNetworkCopy, // no shared folder, or no copy of the program in it
    NotNewer,
    Declined,
    UpdaterStarted,
    Failed, // a copy or the updater could not be read or started
};

// Offers the copy of the program in the shared folder when it is newer than
// the running one, and on Yes starts the updater beside the program with the
// network copy and the local copy as two arguments. Failures are silent:
// start-up goes on whatever happens.
UpdateOutcome Check_Update(const UpdateContext &context);

} // namespace calmora
