#include "inputhook/desktop_bus.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <iterator>
#include <optional>
#include <utility>

#include <unistd.h>

#include <systemd/sd-login.h>

namespace corvane::hook {
namespace {

// The services that announce their screen saver or locker with ActiveChanged(b): the
// common name, and the desktops' own names. Each is matched only when it comes from
// the program that owns the name, so no other program can fake a start. KDE's locker
// says it on two object paths: the second saying of one start finds the source
// already active and posts nothing.
constexpr const char* kScreenSavers[] = {
    "org.freedesktop.ScreenSaver", "org.gnome.ScreenSaver",    "org.xfce.ScreenSaver",
    "org.mate.ScreenSaver",        "org.cinnamon.ScreenSaver",
};
constexpr std::size_t kLogindSource = std::size(kScreenSavers);

constexpr const char* kLogindSession = "org.freedesktop.login1.Session";

std::string ActiveChangedRule(const char* service)
{
    return std::string("type='signal',sender='") + service + "',interface='" + service +
           "',member='ActiveChanged'";
}

std::string IdleHintRule(const std::string& sessionPath)
{
    return "type='signal',sender='org.freedesktop.login1',path='" + sessionPath +
           "',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',arg0='" +
           kLogindSession + "'";
}

// The IdleHint among the properties of PropertiesChanged(s, a{sv}, as), if it is there
// with its value. The interface name has been read already.
std::optional<bool> ReadIdleHint(sd_bus_message* message)
{
    if (sd_bus_message_enter_container(message, 'a', "{sv}") <= 0) return std::nullopt;
    std::optional<bool> idle;
    while (sd_bus_message_enter_container(message, 'e', "sv") > 0) {
        const char* name = nullptr;
        if (sd_bus_message_read(message, "s", &name) < 0) return std::nullopt;
        if (std::strcmp(name, "IdleHint") == 0) {
            int value = 0;
            if (sd_bus_message_read(message, "v", "b", &value) < 0) return std::nullopt;
            idle = value != 0;
        } else if (sd_bus_message_skip(message, "v") < 0) {
            return std::nullopt;
        }
        if (sd_bus_message_exit_container(message) < 0) return std::nullopt;
    }
    return idle;
}

std::uint64_t MonotonicMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

}  // namespace

CDesktopBus::CDesktopBus(Deliver deliver) : m_deliver(std::move(deliver))
{
}

CDesktopBus::~CDesktopBus()
{
    Close();
}

bool CDesktopBus::Open()
{
    Close();
    m_sources.assign(kLogindSource + 1, Source{});
    for (std::size_t i = 0; i < m_sources.size(); ++i)
        m_sources[i] = Source{this, i == kLogindSource ? &m_system : &m_session, false};
    OpenScreenSavers();
    OpenLogind();
    return m_session.bus || m_system.bus;
}

void CDesktopBus::Close()
{
    CloseConnection(m_session);
    CloseConnection(m_system);
}

void CDesktopBus::OpenScreenSavers()
{
    // DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus. A missing socket fails the
    // connect at once; the rest of the handshake runs in Process().
    if (sd_bus_open_user(&m_session.bus) < 0) {
        m_session.bus = nullptr;
        return;
    }
    for (std::size_t i = 0; i < kLogindSource; ++i)
        Subscribe(m_sources[i], ActiveChangedRule(kScreenSavers[i]), OnActiveChanged);
    if (m_session.unanswered == 0) CloseConnection(m_session);
}

void CDesktopBus::OpenLogind()
{
    const std::string path = LogindSessionPath();
    if (path.empty()) return;
    // DBUS_SYSTEM_BUS_ADDRESS, else the system bus's own socket.
    if (sd_bus_open_system(&m_system.bus) < 0) {
        m_system.bus = nullptr;
        return;
    }
    Subscribe(m_sources[kLogindSource], IdleHintRule(path), OnPropertiesChanged);
    if (m_system.unanswered == 0) CloseConnection(m_system);
}

std::string CDesktopBus::LogindSessionPath()
{
    // The session the login gave this program; else the one it runs in; else, for a
    // program that the user's service manager started outside any session, the user's
    // graphical session.
    std::string id;
    if (const char* fromLogin = std::getenv("XDG_SESSION_ID"); fromLogin && *fromLogin) {
        id = fromLogin;
    } else {
        char* found = nullptr;
        if (sd_pid_get_session(0, &found) >= 0 || sd_uid_get_display(getuid(), &found) >= 0)
            id = found ? found : "";
        std::free(found);
    }
    if (id.empty()) return {};
    char* path = nullptr;
    if (sd_bus_path_encode("/org/freedesktop/login1/session", id.c_str(), &path) < 0) return {};
    std::string result = path;
    std::free(path);
    return result;
}

void CDesktopBus::Subscribe(Source& source, const std::string& rule,
                            int (*handler)(sd_bus_message*, void*, sd_bus_error*))
{
    // A floating subscription: it lives as long as the connection.
    if (sd_bus_add_match_async(source.connection->bus, nullptr, rule.c_str(), handler, OnSubscribed, &source) >= 0)
        ++source.connection->unanswered;
}

void CDesktopBus::CloseConnection(Connection& connection)
{
    // Closed without a flush, which could wait on a bus that does not read.
    if (connection.bus) sd_bus_close_unref(connection.bus);
    connection.bus = nullptr;
    connection.unanswered = 0;
}

bool CDesktopBus::Process()
{
    const bool session = ProcessConnection(m_session);
    const bool system = ProcessConnection(m_system);
    return session || system;
}

bool CDesktopBus::ProcessConnection(Connection& connection)
{
    if (!connection.bus) return false;
    int handled;
    while ((handled = sd_bus_process(connection.bus, nullptr)) > 0) {
    }
    // A bus that went away, or one that never let us in.
    if (handled < 0 || sd_bus_is_open(connection.bus) <= 0) {
        CloseConnection(connection);
        return false;
    }
    return true;
}

void CDesktopBus::PollSet(std::vector<pollfd>& fds, int& timeoutMs)
{
    for (Connection* connection : {&m_session, &m_system}) {
        if (!connection->bus) continue;
        const int fd = sd_bus_get_fd(connection->bus);
        const int events = sd_bus_get_events(connection->bus);
        if (fd < 0 || events < 0) continue;
        fds.push_back({fd, static_cast<short>(events), 0});
        // Only while an answer or the handshake is awaited; then no time-out at all.
        std::uint64_t until = 0;
        if (sd_bus_get_timeout(connection->bus, &until) < 0 || until == UINT64_MAX) continue;
        const std::uint64_t now = MonotonicMicroseconds();
        const std::uint64_t waitMs = until <= now ? 0 : (until - now + 999) / 1000;
        const int wait = static_cast<int>(std::min<std::uint64_t>(waitMs, 60 * 1000));
        timeoutMs = timeoutMs < 0 ? wait : std::min(timeoutMs, wait);
    }
}

void CDesktopBus::Report(Source& source, bool active)
{
    // A start is the source's rise: a repeated "active" is the same start.
    const bool started = active && !source.active;
    source.active = active;
    if (started) m_deliver(InputEvent{InputKind::ScreenSaverStarted});
}

int CDesktopBus::OnActiveChanged(sd_bus_message* message, void* userdata, sd_bus_error*)
{
    auto& source = *static_cast<Source*>(userdata);
    int active = 0;
    if (sd_bus_message_read(message, "b", &active) >= 0) source.owner->Report(source, active != 0);
    return 0;
}

int CDesktopBus::OnPropertiesChanged(sd_bus_message* message, void* userdata, sd_bus_error*)
{
    auto& source = *static_cast<Source*>(userdata);
    const char* interface = nullptr;
    if (sd_bus_message_read(message, "s", &interface) < 0 || std::strcmp(interface, kLogindSession) != 0)
        return 0;
    if (const std::optional<bool> idle = ReadIdleHint(message)) source.owner->Report(source, *idle);
    return 0;
}

int CDesktopBus::OnSubscribed(sd_bus_message*, void* userdata, sd_bus_error*)
{
    // Answered, refused or timed out alike: nothing more to wait for.
    auto& source = *static_cast<Source*>(userdata);
    if (source.connection->unanswered > 0) --source.connection->unanswered;
    return 0;
}

}  // namespace corvane::hook
