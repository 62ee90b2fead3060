// Whether the program can reach a desktop before Qt is started: without an
// X server or a Wayland compositor Qt's platform set-up aborts with a text
// that blames the installation, so start-up asks first and says what is
// missing. A platform the user chose is left to Qt.
#pragma once

#include <functional>
#include <memory>
#include <string>

// What start-up reads to find the desktop; an empty value is an unset one.
struct TDisplayEnvironment {
    std::string QtPlatform{};       // QT_QPA_PLATFORM
    bool PlatformArgument = false;  // -platform on the command line
    std::string Display{};          // DISPLAY
    std::string WaylandDisplay{};   // WAYLAND_DISPLAY
    std::string WaylandSocket{};    // WAYLAND_SOCKET: a connection handed over
    std::string RuntimeDir{};       // XDG_RUNTIME_DIR
    static TDisplayEnvironment Current(int argc, const char* const* argv);
};

// How a desktop answers: an X server by its display name, a Wayland
// compositor by the path of its socket.
struct TDisplayProbes {
    std::function<bool(const std::string& display)> ReachX;
    std::function<bool(const std::string& socketPath)> ReachWayland;
};

// The one line told when no desktop answers.
inline constexpr const char* NoDesktopSessionText =
    "Ocrastell Pro needs a desktop session: no X server (DISPLAY) or Wayland compositor (WAYLAND_DISPLAY) could be "
    "reached.";

// The user named a platform: in QT_QPA_PLATFORM or with -platform.
bool PlatformChosen(const TDisplayEnvironment& environment);
// The socket the Wayland client library would connect to, as it finds it:
// WAYLAND_DISPLAY (by default "wayland-0") in XDG_RUNTIME_DIR, or the path
// WAYLAND_DISPLAY gives. Empty when no socket can be named.
std::string WaylandSocketPath(const TDisplayEnvironment& environment);
// Whether start-up may go on: a platform was chosen, or an X server or a
// Wayland compositor answers.
bool DesktopReachable(const TDisplayEnvironment& environment, const TDisplayProbes& probes);

// The probes of this computer. The X connection made by ReachX stays open
// until the object goes: an X server that resets when its last client
// leaves would otherwise reset between the question and Qt's connection.
class TSystemDisplayProbes {
public:
    TSystemDisplayProbes();
    ~TSystemDisplayProbes();
    TSystemDisplayProbes(const TSystemDisplayProbes&) = delete;
    TSystemDisplayProbes& operator=(const TSystemDisplayProbes&) = delete;

    const TDisplayProbes& Probes() const { return probes_; }

private:
    struct THeldConnection;
    std::unique_ptr<THeldConnection> held_;
    TDisplayProbes probes_;
};
