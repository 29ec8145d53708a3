#pragma once

#include "app/minisign.h"
#include "platform/programinfo.h"

#include <optional>

namespace calmora {

struct AppState;
class FolderListing;
class Launcher;

enum class UpdateOutcome {
    NoNetworkCopy, // no shared folder, or no copy of the program in it
    NotNewer,
    Failed,      // a copy could not be read
    NotWritable, // the user could not replace the program
    NotSigned,   // this build trusts a key, and the copy is not signed with it
    Offered,
};

// A newer copy of the program in the shared folder, and the program it would replace.
struct UpdateOffer
{
    QString networkCopy;
    QString localCopy;
};

// The copy of the program in the shared folder, when it is newer than the
// running one, this user could install it, and (in a build that trusts a key)
// it is signed; why not otherwise. Failures are silent: start-up goes on
// whatever happens, and a refused copy leaves one line in the log.
std::optional<UpdateOffer> findUpdate(const AppState &state, FolderListing &File1, const ProgramInfo &program,
                                      UpdateOutcome *outcome = nullptr);
// Whether file is signed by the minisign key keyText: its signature is the
// file's name plus ".minisig", beside it. verifyUpdate checks bytes read
// from it earlier, so what is checked is what will be installed.
SignatureCheck checkUpdateSignature(const QByteArray &keyText, const QString &file);
SignatureCheck verifyUpdate(const QByteArray &keyText, const QString &file, const QByteArray &bytes);

// Starts the updater beside the program with the network copy and the local
// copy as two arguments, never one command line: paths may hold spaces.
bool startUpdater(Launcher &launcher, const ProgramInfo &program, const UpdateOffer &offer);

// The question the user is asked before an update.
QString updateQuestion();

} // namespace calmora
