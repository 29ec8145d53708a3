#include "platform/processlauncher.h"
#include "platform/qtlauncher.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

#include <xcb/xcb.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <sys/types.h>

namespace calmora {

namespace {

constexpr int kLookupTimeoutMs = 3000;

// The desktop-entry string escapes, undone before the Exec value is split.
QString unescapeDesktopValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's': out += QLatin1Char(' '); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'r': out += QLatin1Char('\r'); break;
        default:
            out += QLatin1Char('\\');
            out += next;
            break; // left for the quoting rules
        }
    }
    return out;
}

QStringList splitExec(const QString &exec)
{
    QStringList tokens;
    QString current;
    bool inQuotes = false;
    bool haveToken = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (inQuotes) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                current += exec.at(++i);
            else if (c == QLatin1Char('"'))
                inQuotes = false;
            else
                current += c;
        } else if (c == QLatin1Char('"')) {
            inQuotes = true;
            haveToken = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (haveToken)
                tokens.append(current);
            current.clear();
            haveToken = false;
        } else {
            current += c;
            haveToken = true;
        }
    }
    if (haveToken)
        tokens.append(current);
    return tokens;
}

QString desktopFilePath(const QString &id)
{
    QString candidate = id;
    for (;;) {
        QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, candidate);
        if (!path.isEmpty())
            return path;
        // "vendor-app.desktop" may live in a vendor subfolder.
        const qsizetype dash = candidate.indexOf(QLatin1Char('-'));
        if (dash < 0)
            return {};
        candidate[dash] = QLatin1Char('/');
    }
}

QString desktopExecValue(const QString &desktopFile)
{
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QTextStream in(&file);
    bool inEntry = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inEntry = line == QLatin1String("[Desktop Entry]");
        else if (inEntry && line.startsWith(QLatin1String("Exec")))
            if (const qsizetype eq = line.indexOf(QLatin1Char('='));
                eq > 0 && line.left(eq).trimmed() == QLatin1String("Exec"))
                return unescapeDesktopValue(line.mid(eq + 1).trimmed());
    }
    return {};
}

QString defaultFolderApplication()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("inode/directory")});
    if (!query.waitForFinished(kLookupTimeoutMs)) {
        query.kill();
        query.waitForFinished(kLookupTimeoutMs);
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    return QString::fromLocal8Bit(query.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0).trimmed();
}

// --- X11: raising another program's window through the window manager ---

using ReplyPtr = std::unique_ptr<void, decltype(&std::free)>;

xcb_atom_t internAtom(xcb_connection_t *c, const char *name)
{
    const auto cookie = xcb_intern_atom(c, 0, uint16_t(qstrlen(name)), name);
    const ReplyPtr reply(xcb_intern_atom_reply(c, cookie, nullptr), &std::free);
    return reply ? static_cast<xcb_intern_atom_reply_t *>(reply.get())->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QList<xcb_window_t> windowProperty(xcb_connection_t *c, xcb_window_t window, xcb_atom_t property)
{
    QList<xcb_window_t> values;
    const auto cookie = xcb_get_property(c, 0, window, property, XCB_ATOM_WINDOW, 0, 65536);
    const ReplyPtr reply(xcb_get_property_reply(c, cookie, nullptr), &std::free);
    auto *r = static_cast<xcb_get_property_reply_t *>(reply.get());
    if (r && r->format == 32) {
        const auto *data = static_cast<const xcb_window_t *>(xcb_get_property_value(r));
        const int n = xcb_get_property_value_length(r) / 4;
        values.reserve(n);
        for (int i = 0; i < n; ++i)
            values.append(data[i]);
    }
    return values;
}

qint64 windowPid(xcb_connection_t *c, xcb_window_t window, xcb_atom_t pidAtom)
{
    const auto cookie = xcb_get_property(c, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1);
    const ReplyPtr reply(xcb_get_property_reply(c, cookie, nullptr), &std::free);
    auto *r = static_cast<xcb_get_property_reply_t *>(reply.get());
    if (!r || r->format != 32 || xcb_get_property_value_length(r) < 4)
        return 0;
    return *static_cast<const uint32_t *>(xcb_get_property_value(r));
}

QList<xcb_window_t> childWindows(xcb_connection_t *c, xcb_window_t root)
{
    QList<xcb_window_t> children;
    const ReplyPtr reply(xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr), &std::free);
    if (auto *r = static_cast<xcb_query_tree_reply_t *>(reply.get())) {
        const xcb_window_t *data = xcb_query_tree_children(r);
        for (int i = 0; i < xcb_query_tree_children_length(r); ++i)
            children.append(data[i]);
    }
    return children;
}

bool activateX11Window(xcb_connection_t *c, qint64 pid)
{
    const xcb_setup_t *setup = xcb_get_setup(c);
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    if (!screens.rem)
        return false;
    const xcb_window_t root = screens.data->root;

    const xcb_atom_t clientList = internAtom(c, "_NET_CLIENT_LIST");
    const xcb_atom_t pidAtom = internAtom(c, "_NET_WM_PID");
    const xcb_atom_t activeAtom = internAtom(c, "_NET_ACTIVE_WINDOW");
    if (pidAtom == XCB_ATOM_NONE)
        return false;

    // A window manager that follows the desktop conventions lists its managed
    // windows; without one the top-level windows are the root's children.
    QList<xcb_window_t> windows = windowProperty(c, root, clientList);
    const bool managed = !windows.isEmpty();
    if (!managed)
        windows = childWindows(c, root);

    xcb_window_t target = XCB_WINDOW_NONE;
    for (const xcb_window_t w : std::as_const(windows)) {
        if (windowPid(c, w, pidAtom) == pid)
            target = w; // the last one mapped is the likeliest main window
    }
    if (target == XCB_WINDOW_NONE)
        return false;

    if (managed && activeAtom != XCB_ATOM_NONE) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = target;
        event.type = activeAtom;
        event.data.data32[0] = 2; // from a pager: window managers honour it over focus-stealing rules
        event.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(c, 0, root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&event));
    } else {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_map_window(c, target);
        xcb_configure_window(c, target, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(c, XCB_INPUT_FOCUS_POINTER_ROOT, target, XCB_CURRENT_TIME);
    }
    xcb_flush(c);
    return true;
}

} // namespace

QStringList desktopExecCommand(const QString &exec, const QString &folder)
{
    const QString url = QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded);
    QStringList command;
    for (const QString &token : splitExec(exec)) {
        if (token.size() == 2 && token.at(0) == QLatin1Char('%') && token != QLatin1String("%%")) {
            const QChar code = token.at(1);
            if (code == QLatin1Char('f') || code == QLatin1Char('F'))
                command.append(folder);
            else if (code == QLatin1Char('u') || code == QLatin1Char('U'))
                command.append(url);
            continue; // %i, %c, %k and the deprecated codes carry nothing we need
        }
        QString expanded;
        for (qsizetype i = 0; i < token.size(); ++i) {
            const QChar c = token.at(i);
            if (c != QLatin1Char('%') || i + 1 == token.size()) {
                expanded += c;
                continue;
            }
            const QChar code = token.at(++i);
            if (code == QLatin1Char('%'))
                expanded += QLatin1Char('%');
            else if (code == QLatin1Char('f') || code == QLatin1Char('F'))
                expanded += folder;
            else if (code == QLatin1Char('u') || code == QLatin1Char('U'))
                expanded += url;
        }
        command.append(expanded);
    }
    if (!command.isEmpty() && command.constFirst().isEmpty())
        command.clear();
    return command;
}

qint64 ProcessLauncher::start(const QString &program, const QStringList &arguments)
{
    return startDetached(program, arguments, m_lastError);
}

bool ProcessLauncher::activate(qint64 pid)
{
    if (pid <= 0)
        return false;
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return false; // no X11 (offscreen, Wayland): the desktop cannot raise it for us
    return activateX11Window(x11->connection(), pid);
}

bool ProcessLauncher::isRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

bool ProcessLauncher::showFolder(const QString &folder)
{
    const QString service = QStringLiteral("org.freedesktop.FileManager1");
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Only a running file manager: starting one through the bus can take
    // longer than we may keep the window waiting, and we start one ourselves.
    if (!bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(service).value())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/FileManager1"), service, QStringLiteral("ShowFolders"));
    call << QStringList{QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded)} << QString();
    return bus.call(call, QDBus::Block, kLookupTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

QStringList ProcessLauncher::fileManagerCommand(const QString &folder)
{
    const QString id = defaultFolderApplication();
    if (!id.isEmpty()) {
        const QString file = desktopFilePath(id);
        if (!file.isEmpty()) {
            QStringList command = desktopExecCommand(desktopExecValue(file), folder);
            if (!command.isEmpty())
                return command;
        }
    }
    return Launcher::fileManagerCommand(folder);
}

} // namespace calmora
