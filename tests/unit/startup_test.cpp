// The platform chosen before Qt starts, and the Wayland compositor asked for
// it: asking never holds the start, takes Qt's connection or prints errors.
#include "FakeCompositor.h"

#include "startup/PlatformChoice.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace lumeye;
using lumeye::testing::FakeCompositor;
using Frames = FakeCompositor::Frames;
using std::chrono::steady_clock;

// The desktop's environment set for one test, as it was afterwards, with a
// runtime folder of its own.
class StartupEnvironment : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(runtime_.isValid());
        for (const char* name : kNames)
            if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
        for (const char* name : kNames) unsetenv(name);
        setenv("XDG_RUNTIME_DIR", qPrintable(runtime_.path()), 1);
    }
    void TearDown() override {
        for (const char* name : kNames) unsetenv(name);
        for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    }
    // A socket in the runtime folder that takes `backlog` connections into
    // its queue and never answers; named as the compositor.
    int silentCompositor(const char* name, int backlog = 4) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s/%s", qPrintable(runtime_.path()), name);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(fd, backlog), 0);
        setenv("WAYLAND_DISPLAY", name, 1);
        return fd;
    }

    static constexpr const char* kNames[] = {"WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_RUNTIME_DIR", "DISPLAY",
                                             "QT_QPA_PLATFORM"};
    QTemporaryDir runtime_;
    std::vector<std::pair<std::string, std::string>> saved_;
};

// Somebody frames every window: the desktop where it can (an X client through
// XWayland where the compositor frames no Wayland windows, the compositor
// itself where no X server is named), else Qt; a compositor that does not
// answer is never handed to Qt. Each desktop as the program finds it: the
// environment, and a compositor that answers as that desktop's does.
TEST_F(StartupEnvironment, EveryWindowFramedByTheDesktopOrQt) {
    enum Named { NoCompositor, Silent, Answers };
    struct Row {
        const char* desktop;
        const char* asked;          // QT_QPA_PLATFORM
        Named compositor;
        Frames frames;              // how an answering compositor frames a toplevel
        bool x;                     // DISPLAY set
        QByteArray platform;
        bool qtFrames;
        bool nothingToOpen;
    };
    const Row rows[] = {
        {"an X11 session", "", NoCompositor, {}, true, "", true, false},
        {"no compositor nor X server named", "", NoCompositor, {}, false, "", true, false},
        {"X11 asked for on KDE Plasma", "xcb", Answers, Frames::DrawsThem, true, "xcb", true, false},
        {"KDE Plasma, also with a stale DISPLAY", "", Answers, Frames::DrawsThem, true, "wayland;xcb", false, false},
        {"Wayland asked for on KDE Plasma", "wayland", Answers, Frames::DrawsThem, true, "wayland", false, false},
        {"GNOME or Weston with XWayland", "", Answers, Frames::NotOffered, true, "xcb;wayland", true, false},
        {"Wayland asked for on GNOME", "wayland", Answers, Frames::NotOffered, true, "wayland", true, false},
        {"Weston without X", "", Answers, Frames::NotOffered, false, "wayland", true, false},
        {"frames offered, this one left to the client", "", Answers, Frames::LeavesThem, true, "xcb;wayland", true,
         false},
        {"frames offered, left to the client, no X", "", Answers, Frames::LeavesThem, false, "wayland", true, false},
        {"a hung compositor, X there", "", Silent, {}, true, "xcb", true, false},
        {"a hung compositor and no X", "", Silent, {}, false, "", true, true},
        {"one that never configures a toplevel", "", Answers, Frames::NeverConfigures, true, "xcb", true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.desktop);
        setenv("QT_QPA_PLATFORM", row.asked, 1);
        if (row.x) setenv("DISPLAY", ":0", 1);
        else unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        int silent = -1;
        std::unique_ptr<FakeCompositor> compositor;
        if (row.compositor == Silent) silent = silentCompositor("wayland-silent");
        if (row.compositor == Answers) {
            const std::string name = "wayland-" + std::to_string(&row - rows);
            compositor = std::make_unique<FakeCompositor>(name.c_str(), row.frames);
            setenv("WAYLAND_DISPLAY", name.c_str(), 1);
        }
        char program[] = "lumeye";
        char* argv[] = {program};
        const auto started = steady_clock::now();
        const startup::PlatformChoice choice = startup::choosePlatform(startup::findDesktop(1, argv));
        EXPECT_LT(steady_clock::now() - started, std::chrono::milliseconds(750)) << "the compositor held the start";
        EXPECT_EQ(choice.platform, row.platform);
        EXPECT_EQ(choice.qtFrames, row.qtFrames);
        EXPECT_EQ(choice.nothingToOpen, row.nothingToOpen);
        if (silent >= 0) {
            close(silent);
            unlink(qPrintable(runtime_.filePath(QStringLiteral("wayland-silent"))));
        }
    }
}

// A platform given on the command line counts as asked for, as Qt takes it.
TEST(PlatformChoice, CommandLinePlatformObeyed) {
    char program[] = "lumeye", option[] = "-platform", platform[] = "offscreen";
    char* argv[] = {program, option, platform};
    EXPECT_EQ(startup::choosePlatform(startup::findDesktop(3, argv)).platform, "offscreen");
}

// Asked, it does not wait for an answer that never comes; what it sent is
// there, and its end closed.
TEST_F(StartupEnvironment, SilentCompositorAskedAndLeft) {
    const int listening = silentCompositor("wayland-silent");
    EXPECT_EQ(startup::probeCompositor(), startup::Compositor::NoAnswer);
    fcntl(listening, F_SETFL, O_NONBLOCK);
    const int connection = accept(listening, nullptr, nullptr);
    ASSERT_GE(connection, 0) << "the compositor was not asked";
    char request[256];
    EXPECT_GT(read(connection, request, sizeof request), 0);
    EXPECT_EQ(read(connection, request, sizeof request), 0);
    close(connection);
    close(listening);
}

// A compositor whose queue of connections is full holds connect() of a
// blocking socket for as long as it is full: not the probe's.
TEST_F(StartupEnvironment, FullConnectionQueueHoldsNothing) {
    const int listening = silentCompositor("wayland-full", 0);
    std::vector<int> waiting;
    for (;;) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s/wayland-full", qPrintable(runtime_.path()));
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ASSERT_EQ(errno, EAGAIN);
            close(fd);
            break;
        }
        waiting.push_back(fd);
    }
    const auto started = steady_clock::now();
    EXPECT_EQ(startup::probeCompositor(), startup::Compositor::NoAnswer);
    EXPECT_LT(steady_clock::now() - started, std::chrono::milliseconds(750));
    for (int fd : waiting) close(fd);
    close(listening);
}

// A socket handed over by the compositor stays Qt's: not used, not closed,
// WAYLAND_SOCKET still naming it.
TEST_F(StartupEnvironment, HandedSocketLeftToQt) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    const std::string handed = std::to_string(pair[0]);
    setenv("WAYLAND_SOCKET", handed.c_str(), 1);
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    EXPECT_EQ(startup::probeCompositor(), startup::Compositor::None);
    EXPECT_STREQ(std::getenv("WAYLAND_SOCKET"), handed.c_str());
    EXPECT_NE(fcntl(pair[0], F_GETFD), -1);
    char request;
    EXPECT_EQ(recv(pair[1], &request, 1, MSG_DONTWAIT), -1) << "the handed socket was written to";
    close(pair[0]);
    close(pair[1]);
}

// Without a runtime folder a compositor's name leads nowhere, for Qt too:
// nothing printed about it.
TEST_F(StartupEnvironment, NoRuntimeFolderLeadsNowhere) {
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    unsetenv("XDG_RUNTIME_DIR");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(startup::probeCompositor(), startup::Compositor::NoAnswer);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}
