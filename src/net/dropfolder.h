#pragma once

#include <QString>

#include <functional>
#include <system_error>

namespace calmora {

class FileSystem;

// The shared folder is a mailbox with one slot per computer name R: the sound
// R.wav and, beside it, the text R.txt. Names are compared ignoring case.

// Why name cannot address files in the shared folder (it would leave the
// folder, or the file system would refuse it), or "" when it can.
QString nameProblem(const QString &name);
// The file of name with extension ("wav", "txt") in folder.
QString dropPath(const QString &folder, const QString &name, const char *extension);

// The largest sound that is sent or received: minutes of CD-quality audio are
// a few tens of megabytes, so anything near this is not a message.
constexpr qint64 kMaxSoundBytes = qint64{256} * 1024 * 1024;

// Puts a file at path whole or not at all: fill creates it under a temporary
// name beside path that no receiver looks for, and it is then renamed to path.
using FileFiller = std::function<void(const QString &temporary, std::error_code &error)>;
std::error_code placeFile(FileSystem &files, const QString &path, const FileFiller &fill);

// The file in folder named fileName ignoring case, or "" when there is none (or
// the folder cannot be read). A symbolic link of that name is found too, for
// the caller to refuse: it may point anywhere. The exact name is tried first, so the common case
// costs one look-up instead of reading the folder.
QString findIgnoringCase(FileSystem &files, const QString &folder, const QString &fileName);

} // namespace calmora
