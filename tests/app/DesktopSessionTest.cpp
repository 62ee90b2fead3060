// Start-up without a desktop: whether an X server or a Wayland compositor
// answers, unless the user chose a platform; where the Wayland socket is;
// what the command line and the environment say; the real probes on sockets
// made here.
#include "app/DesktopSession.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// An X display name that no server answers.
std::string DeadDisplay()
{
    for (int n = 99;; ++n)
        if (!QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) &&
            !QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            return QStringLiteral(":%1").arg(n).toStdString();
}

} // namespace

TEST(DesktopSession, StartsWhereADesktopAnswersOrThePlatformWasChosen)
{
    struct Case {
        const char* what;
        TDisplayEnvironment environment;
        std::string liveX, liveWayland;  // the display and the socket that answer
        bool reachable;
    };
    const std::string run = "/run/user/1000";
    for (const Case& c : std::vector<Case>{
             {"nothing set", {}, {}, {}, false},
             {"nothing set, though an X server would answer at :0", {}, ":0", {}, false},
             {"no X server at DISPLAY", {.Display = ":99"}, ":0", {}, false},
             {"an X server at DISPLAY", {.Display = ":0"}, ":0", {}, true},
             {"an X server at host:N", {.Display = "box:10.0"}, "box:10.0", {}, true},
             {"a compositor at WAYLAND_DISPLAY", {.WaylandDisplay = "wayland-1", .RuntimeDir = run}, {},
              run + "/wayland-1", true},
             {"no compositor at WAYLAND_DISPLAY", {.WaylandDisplay = "wayland-1", .RuntimeDir = run}, {},
              run + "/wayland-0", false},
             {"WAYLAND_DISPLAY without XDG_RUNTIME_DIR", {.WaylandDisplay = "wayland-1"}, {}, "/wayland-1", false},
             {"WAYLAND_DISPLAY a path", {.WaylandDisplay = "/tmp/w"}, {}, "/tmp/w", true},
             {"the Wayland library's default socket", {.RuntimeDir = run}, {}, run + "/wayland-0", true},
             {"no X server, but a compositor", {.Display = ":99", .WaylandDisplay = "w", .RuntimeDir = run}, ":0",
              run + "/w", true},
             {"a Wayland connection handed over", {.WaylandSocket = "5"}, {}, {}, true},
             {"QT_QPA_PLATFORM chosen", {.QtPlatform = "offscreen"}, {}, {}, true},
             {"QT_QPA_PLATFORM chosen, though no X server", {.QtPlatform = "xcb", .Display = ":99"}, {}, {}, true},
             {"-platform chosen", {.PlatformArgument = true}, {}, {}, true},
         }) {
        SCOPED_TRACE(c.what);
        const TDisplayProbes probes{[&](const std::string& display) { return display == c.liveX; },
                                    [&](const std::string& socket) { return socket == c.liveWayland; }};
        EXPECT_EQ(DesktopReachable(c.environment, probes), c.reachable);
    }
}

TEST(DesktopSession, TheWaylandSocketIsWhereTheWaylandLibraryLooks)
{
    EXPECT_EQ(WaylandSocketPath({.WaylandDisplay = "wayland-1", .RuntimeDir = "/run/user/7"}),
              "/run/user/7/wayland-1");
    EXPECT_EQ(WaylandSocketPath({.RuntimeDir = "/run/user/7"}), "/run/user/7/wayland-0");
    EXPECT_EQ(WaylandSocketPath({.WaylandDisplay = "/srv/w.sock"}), "/srv/w.sock");
    EXPECT_EQ(WaylandSocketPath({.WaylandDisplay = "/srv/w.sock", .RuntimeDir = "/run/user/7"}), "/srv/w.sock");
    EXPECT_EQ(WaylandSocketPath({.WaylandDisplay = "wayland-1"}), "");
    EXPECT_EQ(WaylandSocketPath({}), "");
}

// An empty QT_QPA_PLATFORM chooses nothing: Qt takes its default then.
TEST(DesktopSession, ThePlatformIsChosenByQtQpaPlatformOrTheCommandLine)
{
    struct Case {
        std::vector<const char*> argv;
        const char* qtPlatform;  // nullptr: unset
        bool chosen;
    };
    for (const Case& c : std::vector<Case>{
             {{"ocrastell"}, nullptr, false},
             {{"ocrastell"}, "", false},
             {{"ocrastell"}, "offscreen", true},
             {{"ocrastell", "drawing.ovk"}, nullptr, false},
             {{"ocrastell", "-platform", "offscreen"}, nullptr, true},
             {{"ocrastell", "--platform", "vnc"}, nullptr, true},
             {{"ocrastell", "-platform=wayland"}, nullptr, true},
             {{"ocrastell", "drawing.ovk", "-platform", "wayland"}, "", true},
         }) {
        SCOPED_TRACE(testing::Message() << c.argv.size() << " arguments, QT_QPA_PLATFORM "
                                        << (c.qtPlatform ? c.qtPlatform : "unset"));
        const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
        if (c.qtPlatform)
            qputenv("QT_QPA_PLATFORM", c.qtPlatform);
        else
            qunsetenv("QT_QPA_PLATFORM");
        const TDisplayEnvironment environment =
            TDisplayEnvironment::Current(static_cast<int>(c.argv.size()), c.argv.data());
        qputenv("QT_QPA_PLATFORM", saved);
        EXPECT_EQ(PlatformChosen(environment), c.chosen);
    }
}

TEST(DesktopSession, ReadsTheDisplaysFromTheEnvironment)
{
    const std::vector<const char*> names{"DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_RUNTIME_DIR"};
    std::vector<QByteArray> saved;
    for (const char* name : names) saved.push_back(qgetenv(name));
    qputenv("DISPLAY", ":3");
    qputenv("WAYLAND_DISPLAY", "wayland-2");
    qunsetenv("WAYLAND_SOCKET");
    qputenv("XDG_RUNTIME_DIR", "/run/user/9");
    const char* argv[] = {"ocrastell"};
    const TDisplayEnvironment environment = TDisplayEnvironment::Current(1, argv);
    for (size_t i = 0; i < names.size(); ++i)
        if (saved[i].isNull())
            qunsetenv(names[i]);
        else
            qputenv(names[i], saved[i]);
    EXPECT_EQ(environment.Display, ":3");
    EXPECT_EQ(environment.WaylandDisplay, "wayland-2");
    EXPECT_EQ(environment.WaylandSocket, "");
    EXPECT_EQ(environment.RuntimeDir, "/run/user/9");
}

// The real probes, on sockets made here: a Wayland compositor is a listening
// Unix socket; a socket file nobody listens on, a plain file and a missing
// path are none. An X display without a server answers nothing.
TEST(DesktopSession, TheSystemProbesConnectToListeningSocketsOnly)
{
    QTemporaryDir dir;
    const QString listening = dir.path() + QStringLiteral("/wayland-live");
    QLocalServer server;
    ASSERT_TRUE(server.listen(listening));
    // A socket file left by a compositor that is gone: bound, never listened on.
    const QString stale = dir.path() + QStringLiteral("/wayland-stale");
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s", stale.toLocal8Bit().constData());
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }
    QFile plain(dir.path() + QStringLiteral("/wayland-file"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    const TSystemDisplayProbes system;
    EXPECT_TRUE(system.Probes().ReachWayland(listening.toStdString()));
    EXPECT_FALSE(system.Probes().ReachWayland(stale.toStdString()));
    EXPECT_FALSE(system.Probes().ReachWayland(plain.fileName().toStdString()));
    EXPECT_FALSE(system.Probes().ReachWayland((dir.path() + QStringLiteral("/missing")).toStdString()));
    EXPECT_FALSE(system.Probes().ReachX(DeadDisplay()));
}
