#include "app/commandline.h"

#include "core/appinfo.h"
#include "core/appstate.h"
#include "core/settings.h"
#include "net/sender.h"

#include <QFileInfo>
#include <QTextStream>

namespace calmora {

bool isCommandLine(const QStringList &arguments)
{
    // Qt's own options, for the window, start with one dash.
    return !arguments.isEmpty() && arguments.constFirst().startsWith(QLatin1String("--"));
}

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine command;
    const auto bad = [&command](const QString &problem) {
        command.action = CommandLine::Action::Bad;
        command.problem = problem;
        return command;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const qsizetype left = arguments.size() - i - 1;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            command.action = CommandLine::Action::Help;
            return command;
        }
        if (argument == QLatin1String("--version")) {
            command.action = CommandLine::Action::Version;
            return command;
        }
        if (argument == QLatin1String("--send")) {
            if (left < 2 || command.action != CommandLine::Action::Window)
                return bad(QStringLiteral("--send takes a name and a file, once"));
            command.action = CommandLine::Action::Send;
            command.name = arguments.at(++i);
            command.file = arguments.at(++i);
        } else if (argument == QLatin1String("--text")) {
            if (left < 1)
                return bad(QStringLiteral("--text takes a text"));
            command.text = arguments.at(++i);
        } else {
            return bad(argument.startsWith(u'-') ? QStringLiteral("unknown option '%1'").arg(argument)
                                                 : QStringLiteral("unexpected '%1'").arg(argument));
        }
    }
    if (!command.text.isEmpty() && command.action != CommandLine::Action::Send)
        return bad(QStringLiteral("--text goes with --send"));
    return command;
}

QString usageLine()
{
    return QStringLiteral("Usage: calmora [--send NAME FILE [--text TEXT]] [--help] [--version]");
}

int runCommandLine(const CommandLine &command, const SettingsStore &store, FileSystem &files,
                   QTextStream &out, QTextStream &err)
{
    switch (command.action) {
    case CommandLine::Action::Help:
        out << usageLine() << "\n\n"
            << "With no options, Calmora starts (or brings its running window forward).\n"
            << "  --send NAME FILE  send the sound FILE to the user NAME through the shared folder\n"
            << "  --text TEXT       and the text message TEXT with it\n"
            << "  --help            show this help\n"
            << "  --version         show the version\n";
        return 0;
    case CommandLine::Action::Version: out << appTitle() << ' ' << appVersion() << '\n'; return 0;
    case CommandLine::Action::Bad:
        err << "calmora: " << command.problem << '\n' << usageLine() << '\n';
        return 2;
    case CommandLine::Action::Window: return 2;
    case CommandLine::Action::Send: break;
    }
    AppState state;
    readNetworkSettings(store, state);
    const SendRequest request{
        QFileInfo(command.file).absoluteFilePath(), command.text, state.NetPath, {command.name}};
    const QStringList failures = sendMessage(files, request);
    if (failures.isEmpty())
        return 0;
    err << "calmora: " << failures.constFirst() << '\n';
    return 1;
}

} // namespace calmora
