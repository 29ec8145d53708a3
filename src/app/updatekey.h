#pragma once

#include <QByteArray>

namespace calmora {

// The minisign public key (the key line of its .pub file) that new versions
// in the shared folder must be signed with, or "" when this build takes them
// unsigned. It is fixed when the program is built (CMake: CALMORA_UPDATE_KEY)
// and defined by each program in a source of its own.
QByteArray builtInUpdateKey();

} // namespace calmora
