// Times a program's start-up as its user sees it, on the X server in DISPLAY:
// from exec to the first map of one of its top-level windows. Then reads its
// peak resident memory a fixed time after exec and ends it by its pid.
//
//   startup_probe [--memory-after-ms N] PROGRAM [ARGS...]
//
// Prints "<microseconds from exec to map> <CPU microseconds the program had
// used by then> <peak RSS in kB>" and exits 0, or says why on standard error
// and exits 1 (no map within 60 s, program died). The CPU time, unlike the
// wall time, hardly changes when other work shares the machine.

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kMapTimeout = 60s;

struct Free
{
    void operator()(void *p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, Free>;

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// _NET_WM_PID of a window; nullopt when it has none.
std::optional<uint32_t> windowPid(xcb_connection_t *c, xcb_window_t window, xcb_atom_t netWmPid)
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, netWmPid, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!reply || xcb_get_property_value_length(reply.get()) != 4)
        return std::nullopt;
    return *static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
}

// CPU time of every thread of the process, ended ones included.
std::chrono::microseconds cpuTime(pid_t pid)
{
    clockid_t clock{};
    timespec t{};
    if (clock_getcpuclockid(pid, &clock) != 0 || clock_gettime(clock, &t) != 0)
        return std::chrono::microseconds(-1);
    return std::chrono::seconds(t.tv_sec)
           + std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::nanoseconds(t.tv_nsec));
}

long peakRssKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

bool exited(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == pid;
}

// SIGTERM, then SIGKILL if it is still there after two seconds.
void end(pid_t pid)
{
    kill(pid, SIGTERM);
    const auto deadline = Clock::now() + 2s;
    while (Clock::now() < deadline) {
        if (exited(pid))
            return;
        std::this_thread::sleep_for(10ms);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

int fail(const char *why, pid_t pid = 0)
{
    std::fprintf(stderr, "startup_probe: %s\n", why);
    if (pid > 0)
        end(pid);
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    auto memoryAfter = 3000ms;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--memory-after-ms") == 0) {
        memoryAfter = std::chrono::milliseconds(std::atol(argv[2]));
        first = 3;
    }
    if (first >= argc)
        return fail("usage: startup_probe [--memory-after-ms N] PROGRAM [ARGS...]");

    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        return fail("cannot connect to the X server in DISPLAY");
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    const xcb_atom_t netWmPid = atom(c, "_NET_WM_PID");
    // Top-level windows are the root's children: their maps are reported to
    // whoever selects SubstructureNotify on the root. The round trip makes sure
    // the selection is in force before the program starts.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    const Reply<xcb_generic_error_t> selectError(
        xcb_request_check(c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask)));
    if (selectError)
        return fail("cannot watch the root window");

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        return fail("fork failed");
    if (pid == 0) {
        execvp(argv[first], argv + first);
        std::perror(argv[first]);
        _exit(127);
    }

    std::optional<Clock::duration> mapped;
    std::chrono::microseconds cpu{};
    const int fd = xcb_get_file_descriptor(c);
    while (!mapped) {
        std::unique_ptr<xcb_generic_event_t, Free> event(xcb_poll_for_event(c));
        if (!event) {
            if (xcb_connection_has_error(c))
                return fail("lost the X server", pid);
            if (Clock::now() - start > kMapTimeout)
                return fail("no window was mapped within 60 s", pid);
            if (exited(pid))
                return fail("the program ended before it mapped a window");
            pollfd p{fd, POLLIN, 0};
            poll(&p, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
            continue;
        const Clock::time_point at = Clock::now();
        const std::chrono::microseconds cpuAt = cpuTime(pid);
        const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event.get());
        // Menus and tooltips are override-redirect; they are not the window.
        if (map->override_redirect)
            continue;
        // Only the program draws on this server; a window without the
        // property is still one of its own.
        const std::optional<uint32_t> owner = windowPid(c, map->window, netWmPid);
        if (!owner || *owner == uint32_t(pid)) {
            mapped = at - start;
            cpu = cpuAt;
        }
    }

    std::this_thread::sleep_until(start + memoryAfter);
    if (exited(pid))
        return fail("the program ended before its memory was read");
    const long rss = peakRssKb(pid);
    end(pid);
    xcb_disconnect(c);
    if (rss < 0)
        return fail("cannot read VmHWM");
    std::printf(
        "%lld %lld %ld\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(*mapped).count()),
        static_cast<long long>(cpu.count()), rss);
    return 0;
}
