#include "platform/instanceguard.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

// A plain Unix socket: Qt's local sockets would bring Qt Network and its
// Kerberos and proxy libraries into every start for one line of talk.

namespace calmora {

namespace {

constexpr int kAnswerMs = 2000;
constexpr char kActivate[] = "activate\n";
constexpr qsizetype kMaxRequest = 64;

QByteArray socketPath(const QString &name)
{
    return QFile::encodeName(QDir::isAbsolutePath(name) ? name : QDir::tempPath() + u'/' + name);
}

// False when the path does not fit a socket address; nothing can listen there.
bool toAddress(const QByteArray &path, sockaddr_un &address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    return true;
}

bool waitFor(int fd, short events)
{
    pollfd p{fd, events, 0};
    int n;
    do
        n = ::poll(&p, 1, kAnswerMs);
    while (n < 0 && errno == EINTR);
    return n > 0 && (p.revents & events);
}

// The listening socket, and the socket file it removes when the copy ends.
class Listener final : public QObject
{
public:
    Listener(int fd, QByteArray path, InstanceGuard *guard)
        : QObject(guard), m_fd(fd), m_path(std::move(path)), m_guard(guard)
    {
        auto *notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &Listener::acceptAll);
    }

    ~Listener() override
    {
        ::close(m_fd);
        ::unlink(m_path.constData());
    }

private:
    void acceptAll()
    {
        int client;
        while ((client = ::accept4(m_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC)) >= 0)
            readRequest(client);
    }

    void readRequest(int client)
    {
        auto *notifier = new QSocketNotifier(client, QSocketNotifier::Read, this);
        auto request = std::make_shared<QByteArray>();
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier, client, request] {
            char buffer[kMaxRequest];
            const ssize_t n = ::read(client, buffer, sizeof buffer);
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                return;
            if (n > 0)
                request->append(buffer, n);
            const bool asked = request->contains(kActivate);
            // Done at the request, at its end, or when it is not ours.
            if (asked || n <= 0 || request->size() > kMaxRequest) {
                notifier->setEnabled(false);
                notifier->deleteLater();
                ::close(client);
                if (asked)
                    Q_EMIT m_guard->activationRequested();
            }
        });
    }

    int m_fd;
    QByteArray m_path;
    InstanceGuard *m_guard;
};

} // namespace

bool InstanceGuard::askRunningCopy() const
{
    sockaddr_un address;
    if (!toAddress(socketPath(m_name), address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool asked = false;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0
        || ((errno == EINPROGRESS || errno == EAGAIN) && waitFor(fd, POLLOUT))) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0
            && waitFor(fd, POLLOUT))
            asked =
                ::send(fd, kActivate, sizeof kActivate - 1, MSG_NOSIGNAL) == ssize_t(sizeof kActivate - 1);
    }
    ::close(fd);
    return asked;
}

bool InstanceGuard::listen()
{
    const QByteArray path = socketPath(m_name);
    sockaddr_un address;
    if (!toAddress(path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const auto bindTo = [&] {
        return ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    };
    // Nobody answered, so a file under the name is stale: one left by a copy
    // that crashed, say. Remove it only then, not to take the name from a copy
    // that started a moment ago.
    bool bound = bindTo();
    if (!bound && errno == EADDRINUSE && !askRunningCopy()) {
        ::unlink(path.constData());
        bound = bindTo();
    }
    // Its owner only, wherever the name is; in the runtime folder that is so anyway.
    if (!bound || ::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, 8) != 0) {
        if (bound)
            ::unlink(path.constData());
        ::close(fd);
        return false;
    }
    m_listener = new Listener(fd, path, this);
    return true;
}

} // namespace calmora
