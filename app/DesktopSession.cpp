#include "app/DesktopSession.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Qt reads "-platform <name>", also spelt with two dashes.
bool IsPlatformArgument(const char* argument)
{
    if (argument[0] == '-' && argument[1] == '-') ++argument;
    return std::strcmp(argument, "-platform") == 0 || std::strncmp(argument, "-platform=", 10) == 0;
}

bool ConnectsToUnixSocket(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

} // namespace

TDisplayEnvironment TDisplayEnvironment::Current(int argc, const char* const* argv)
{
    TDisplayEnvironment environment;
    environment.QtPlatform = Variable("QT_QPA_PLATFORM");
    for (int i = 1; i < argc; ++i)
        if (IsPlatformArgument(argv[i])) environment.PlatformArgument = true;
    environment.Display = Variable("DISPLAY");
    environment.WaylandDisplay = Variable("WAYLAND_DISPLAY");
    environment.WaylandSocket = Variable("WAYLAND_SOCKET");
    environment.RuntimeDir = Variable("XDG_RUNTIME_DIR");
    return environment;
}

bool PlatformChosen(const TDisplayEnvironment& environment)
{
    return !environment.QtPlatform.empty() || environment.PlatformArgument;
}

std::string WaylandSocketPath(const TDisplayEnvironment& environment)
{
    const std::string name = environment.WaylandDisplay.empty() ? "wayland-0" : environment.WaylandDisplay;
    if (name.front() == '/') return name;
    if (environment.RuntimeDir.empty()) return {};
    return environment.RuntimeDir + "/" + name;
}

bool DesktopReachable(const TDisplayEnvironment& environment, const TDisplayProbes& probes)
{
    if (PlatformChosen(environment)) return true;
    if (!environment.Display.empty() && probes.ReachX(environment.Display)) return true;
    // A connection handed over by the compositor cannot be tried without
    // being used up: Qt takes it.
    if (!environment.WaylandSocket.empty()) return true;
    const std::string socket = WaylandSocketPath(environment);
    return !socket.empty() && probes.ReachWayland(socket);
}

struct TSystemDisplayProbes::THeldConnection {
    xcb_connection_t* Connection = nullptr;
    ~THeldConnection()
    {
        if (Connection) xcb_disconnect(Connection);
    }
};

TSystemDisplayProbes::TSystemDisplayProbes()
    : held_(std::make_unique<THeldConnection>()),
      probes_{[held = held_.get()](const std::string& display) {
                  xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
                  if (xcb_connection_has_error(connection)) {
                      xcb_disconnect(connection);
                      return false;
                  }
                  if (held->Connection) xcb_disconnect(held->Connection);
                  held->Connection = connection;
                  return true;
              },
              ConnectsToUnixSocket}
{
}

TSystemDisplayProbes::~TSystemDisplayProbes() = default;
