// The platform chosen before Qt starts, and the Wayland compositor asked for
// it: asking never holds the start, takes Qt's connection or prints errors.
#include "startup/PlatformChoice.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace lumeye;

// Somebody frames every window: the desktop where it can (an X client through
// XWayland where the compositor frames no Wayland windows, the compositor
// itself where no X server answers), else Qt.
TEST(PlatformChoice, EveryWindowFramedByTheDesktopOrQt) {
    struct Row {
        const char* desktop;
        startup::Desktop found;
        QByteArray platform;
        bool qtFrames;
    };
    const Row rows[] = {
        {"GNOME or Weston with XWayland", {"", false, true}, "xcb;wayland", true},
        {"KDE Plasma, also with a stale DISPLAY", {"", true, true}, "wayland;xcb", false},
        {"Wayland asked for on GNOME", {"wayland", false, true}, "wayland", true},
    };
    for (const Row& row : rows) {
        const startup::PlatformChoice choice = startup::choosePlatform(row.found);
        EXPECT_EQ(choice.platform, row.platform) << row.desktop;
        EXPECT_EQ(choice.qtFrames, row.qtFrames) << row.desktop;
    }
}

// A platform given on the command line counts as asked for, as Qt takes it.
TEST(PlatformChoice, CommandLinePlatformObeyed) {
    char program[] = "lumeye", option[] = "-platform", platform[] = "offscreen";
    char* argv[] = {program, option, platform};
    EXPECT_EQ(startup::choosePlatform(startup::findDesktop(3, argv)).platform, "offscreen");
}

// The compositor's environment set for one test, as it was afterwards.
class WaylandProbe : public ::testing::Test {
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
    // A socket in the runtime folder that takes connections and never answers.
    int silentCompositor(const char* name) {
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "%s/%s", qPrintable(runtime_.path()), name);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(fd, 4), 0);
        setenv("WAYLAND_DISPLAY", name, 1);
        return fd;
    }

    static constexpr const char* kNames[] = {"WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_RUNTIME_DIR"};
    QTemporaryDir runtime_;
    std::vector<std::pair<std::string, std::string>> saved_;
};

// Asked, it does not wait for an answer that never comes; what it sent is
// there, and its end closed.
TEST_F(WaylandProbe, SilentCompositorLeavesTheChoiceToQt) {
    const int listening = silentCompositor("wayland-silent");
    EXPECT_EQ(startup::waylandServerFrames(), std::nullopt);
    fcntl(listening, F_SETFL, O_NONBLOCK);
    const int connection = accept(listening, nullptr, nullptr);
    ASSERT_GE(connection, 0) << "the compositor was not asked";
    char request[256];
    EXPECT_GT(read(connection, request, sizeof request), 0);
    EXPECT_EQ(read(connection, request, sizeof request), 0);
    close(connection);
    close(listening);
}

// A socket handed over by the compositor stays Qt's: not used, not closed,
// WAYLAND_SOCKET still naming it.
TEST_F(WaylandProbe, HandedSocketLeftToQt) {
    int pair[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    const std::string handed = std::to_string(pair[0]);
    setenv("WAYLAND_SOCKET", handed.c_str(), 1);
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    EXPECT_EQ(startup::waylandServerFrames(), std::nullopt);
    EXPECT_STREQ(std::getenv("WAYLAND_SOCKET"), handed.c_str());
    EXPECT_NE(fcntl(pair[0], F_GETFD), -1);
    char request;
    EXPECT_EQ(recv(pair[1], &request, 1, MSG_DONTWAIT), -1) << "the handed socket was written to";
    close(pair[0]);
    close(pair[1]);
}

// Without a runtime folder a compositor's name leads nowhere: not asked, and
// nothing printed about it.
TEST_F(WaylandProbe, NoRuntimeFolderNotAsked) {
    setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    unsetenv("XDG_RUNTIME_DIR");
    testing::internal::CaptureStderr();
    EXPECT_EQ(startup::waylandServerFrames(), std::nullopt);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
