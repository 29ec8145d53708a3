#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace calmora {

class FileSystem;
class SettingsStore;

// What the program's command line asks for: nothing (the window), or to send
// a message through the shared folder of the stored settings, from a script,
// over ssh, or beside a running copy, without a window.
struct CommandLine
{
    enum class Action { Window, Send, Help, Version, Bad };
    Action action = Action::Window;
    QString name;    // --send: the recipient
    QString file;    // --send: the sound
    QString text;    // --text
    QString problem; // Bad: what was wrong
};

// arguments: without the program's own name.
CommandLine parseCommandLine(const QStringList &arguments);
// Whether arguments are for the command line rather than the window (and Qt).
bool isCommandLine(const QStringList &arguments);

// Carries out what parseCommandLine found, other than opening the window, and
// returns the exit status: 0 done, 1 the message could not be sent, 2 a wrong
// command line. Only failures say something, in one line on err.
int runCommandLine(const CommandLine &command, const SettingsStore &store, FileSystem &files,
                   QTextStream &out, QTextStream &err);

QString usageLine();

} // namespace calmora
