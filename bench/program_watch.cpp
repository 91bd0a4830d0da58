// Measures the whole program from outside, on the X server named by DISPLAY:
//
//   lumeye-watch LUMEYE WORKDIR [wayland]
//
// 1. starts LUMEYE in WORKDIR and waits for the main menu to be painted;
// 2. double-clicks "Perform Sight Test" and waits for the chart to be on
//    screen;
// 3. reads the program's peak resident memory, then ends it.
// The peak resident memory is read once more with the menu painted.
//
// "Painted" is judged by the X server itself: the watcher asks it (DAMAGE
// extension) to report every drawing on the screen as it happens, and
// stamps each report when it arrives. Once the window in question is mapped
// and nothing has been drawn for a second, the screen has settled, and the
// figure is the stamp of the last drawing. So a window that paints in steps
// counts only when its last step is on screen. The watcher wakes every
// kLookMs and, until the window is shown, asks the server for the window
// list; it reads the screen back only once the screen has settled.
//
// With "wayland" the program is a client of a Wayland compositor that shows
// its output in a window on this X server and takes its input from there
// (Weston's X11 back-end): the program's windows are no X windows, so a
// window counts as shown once the settled screen holds its colour (the
// menu's background, the chart's red marker line), and the menu is found
// where that colour lies. The compositor draws the pointer into its frames,
// where the X server shows it apart from the screen's image: a drawing no
// larger than a pointer that holds the pointer's position is the pointer
// drawn again (another window under it, another shape), not counted.
//
// Also the CPU time the program took from the click to the settled chart
// (all its threads, as the scheduler counts it), and that of the display
// server when LUMEYE_WATCH_SERVER_PID names it: the work, which moves far
// less from run to run than the time, which is the two sharing the cores.
//
// Prints startup_ms, menu_rss_kb, chart_ms, chart_cpu_ms, [server_cpu_ms,]
// peak_rss_kb lines; exits non-zero when a window does not come or the
// settled chart has no red marker line.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kMenuTitle = "Lumeye - Home Edition 2.2";
constexpr const char* kChartTitle = "Reduce []";
constexpr unsigned long kMenuColour = 0x004040;
constexpr unsigned long kMarkerColour = 0xFF0000;
// "Perform Sight Test" in the menu's client area: the option sits at 54, 228
// in the frame at 72, 129, below a 19-pixel menu bar (above the area of the
// menu's colour).
constexpr int kTestOptionX = 72 + 54 + 40;
constexpr int kTestOptionY = 129 + 228 + 10;
constexpr int kMenuBar = 19;
constexpr auto kSettle = std::chrono::milliseconds(1000);
constexpr auto kTimeout = std::chrono::seconds(60);
// How often the window list is looked at while no drawing is reported.
constexpr int kLookMs = 2;

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

[[noreturn]] void die(const std::string& message) {
    std::fprintf(stderr, "lumeye-watch: %s\n", message.c_str());
    std::exit(1);
}

// Windows come and go while they are looked at (the wait form, the menu
// hiding): a request about a window that has just gone is no error here.
int ignoreGoneWindows(Display*, XErrorEvent* error) {
    if (error->error_code == BadWindow || error->error_code == BadDrawable || error->error_code == BadMatch) return 0;
    char text[256];
    XGetErrorText(error->display, error->error_code, text, sizeof text);
    die(std::string("X error: ") + text);
}

class XScreen {
public:
    XScreen() {
        XSetErrorHandler(ignoreGoneWindows);
        display_ = XOpenDisplay(nullptr);
        if (!display_) die("cannot open the display");
        root_ = DefaultRootWindow(display_);
        int eventBase = 0, errorBase = 0;
        if (!XDamageQueryExtension(display_, &eventBase, &errorBase)) die("the X server has no DAMAGE extension");
        damageNotify_ = eventBase + XDamageNotify;
        damage_ = XDamageCreate(display_, root_, XDamageReportRawRectangles);
        XSync(display_, False);
    }
    ~XScreen() {
        XDamageDestroy(display_, damage_);
        XCloseDisplay(display_);
    }

    // A viewable top-level window with exactly this title, or one that a
    // window manager put in its frame (a top-level window of no title).
    std::optional<Window> findWindow(const char* title) { return findUnder(root_, title, 2); }

    std::optional<Window> findUnder(Window parent, const char* title, int depth) {
        Window rootReturn, parentReturn, *children = nullptr;
        unsigned count = 0;
        std::optional<Window> found;
        if (!XQueryTree(display_, parent, &rootReturn, &parentReturn, &children, &count)) return found;
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(display_, children[i], &a) || a.map_state != IsViewable) continue;
            char* name = nullptr;
            if (XFetchName(display_, children[i], &name) && name) {
                if (std::strcmp(name, title) == 0) found = children[i];
                XFree(name);
            } else if (depth > 1) {
                found = findUnder(children[i], title, depth - 1);
            }
        }
        if (children) XFree(children);
        return found;
    }

    void origin(Window w, int& x, int& y) {
        Window child;
        XTranslateCoordinates(display_, w, root_, 0, 0, &x, &y, &child);
    }

    // Waits up to a number of milliseconds for reports of drawing and takes
    // all that have come; the time of the last one is kept.
    void takeDrawings(int waitMs) {
        XFlush(display_);
        if (!XPending(display_)) {
            pollfd fd{ConnectionNumber(display_), POLLIN, 0};
            poll(&fd, 1, waitMs);
        }
        while (XPending(display_)) {
            XEvent event;
            XNextEvent(display_, &event);
            if (event.type == damageNotify_ && !pointerOnly(reinterpret_cast<const XDamageNotifyEvent&>(event).area))
                lastDrawing_ = Clock::now();
        }
    }
    // Forgets the drawings reported so far.
    void forgetDrawings() {
        XSync(display_, False);
        takeDrawings(0);
        lastDrawing_.reset();
    }
    std::optional<Clock::time_point> lastDrawing() const { return lastDrawing_; }

    // The pixels of exactly this colour on the screen now (24-bit visuals):
    // how many, and the top-left one of the box around them.
    struct Colour {
        long count = 0;
        int left = 0, top = 0;
    };
    Colour find(unsigned long rgb) {
        XWindowAttributes a;
        XGetWindowAttributes(display_, root_, &a);
        XImage* image = XGetImage(display_, root_, 0, 0, unsigned(a.width), unsigned(a.height), AllPlanes, ZPixmap);
        if (!image) die("cannot read the screen");
        Colour found{0, a.width, a.height};
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                if ((XGetPixel(image, x, y) & 0xFFFFFF) == rgb) {
                    ++found.count;
                    found.left = std::min(found.left, x);
                    found.top = std::min(found.top, y);
                }
        XDestroyImage(image);
        return found;
    }
    // The bottom-right pixel of the screen.
    void corner(int& x, int& y) {
        XWindowAttributes a;
        XGetWindowAttributes(display_, root_, &a);
        x = a.width - 1;
        y = a.height - 1;
    }

    // Reports of the pointer alone are left out (Wayland).
    void leaveOutPointer() { leaveOutPointer_ = true; }

    void moveTo(int x, int y) {
        pointerX_ = x;
        pointerY_ = y;
        XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
        XSync(display_, False);
    }
    // Two clicks 60 ms apart; returns when the X server has the second.
    void doubleClick() {
        for (int i = 0; i < 2; ++i) {
            XTestFakeButtonEvent(display_, 1, True, CurrentTime);
            XTestFakeButtonEvent(display_, 1, False, CurrentTime);
            XSync(display_, False);
            if (i == 0) std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
    }

private:
    bool pointerOnly(const XRectangle& r) const {
        constexpr int kPointerSize = 64;
        return leaveOutPointer_ && r.width <= kPointerSize && r.height <= kPointerSize && pointerX_ >= r.x &&
               pointerX_ < r.x + r.width && pointerY_ >= r.y && pointerY_ < r.y + r.height;
    }

    Display* display_ = nullptr;
    Window root_ = 0;
    Damage damage_ = 0;
    int damageNotify_ = 0;
    std::optional<Clock::time_point> lastDrawing_;
    bool leaveOutPointer_ = false;
    int pointerX_ = -1, pointerY_ = -1;
};

// A window of the program, known by its title on X11 and by a colour it shows on Wayland.
struct Target {
    const char* title;
    unsigned long colour;
};

// Waits for the window to be shown and for the screen to settle; returns
// the time of the last drawing.
Clock::time_point waitPainted(XScreen& screen, const Target& target, bool wayland, pid_t program) {
    const Clock::time_point deadline = Clock::now() + kTimeout;
    bool shown = false;
    // The last drawing before the settled screen was read for the colour.
    std::optional<Clock::time_point> looked;
    for (;;) {
        screen.takeDrawings(kLookMs);
        const Clock::time_point now = Clock::now();
        if (now > deadline) die(std::string("no settled screen with the window '") + target.title + "'");
        if (waitpid(program, nullptr, WNOHANG) == program) die("the program ended");
        if (!wayland && !shown) {
            shown = screen.findWindow(target.title).has_value();
            continue;
        }
        if (!screen.lastDrawing() || now - *screen.lastDrawing() <= kSettle) continue;
        if (!wayland) return *screen.lastDrawing();
        // Reading the screen is work: only once each time it settles.
        if (looked == screen.lastDrawing()) continue;
        looked = screen.lastDrawing();
        if (screen.find(target.colour).count > 0) return *screen.lastDrawing();
    }
}

long peakResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    die("no VmHWM for the program");
}

// The CPU time a process has run so far, all its threads, in milliseconds.
double cpuMs(pid_t pid) {
    double ns = 0;
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double run = 0;
        if (schedstat >> run) ns += run;
    }
    return ns / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    const bool wayland = argc == 4 && std::strcmp(argv[3], "wayland") == 0;
    if (argc != 3 && !wayland) {
        std::fprintf(stderr, "usage: lumeye-watch LUMEYE WORKDIR [wayland]\n");
        return 2;
    }
    XScreen screen;
    if (wayland) screen.leaveOutPointer();
    const std::string log = std::string(argv[2]) + "/app.log";

    screen.forgetDrawings();
    const Clock::time_point start = Clock::now();
    const pid_t program = fork();
    if (program == 0) {
        if (chdir(argv[2]) != 0) _exit(127);
        if (!freopen(log.c_str(), "a", stdout) || !freopen(log.c_str(), "a", stderr)) _exit(127);
        execl(argv[1], argv[1], static_cast<char*>(nullptr));
        _exit(127);
    }
    const Clock::time_point menuPainted = waitPainted(screen, {kMenuTitle, kMenuColour}, wayland, program);
    std::printf("startup_ms=%.1f\n", msBetween(start, menuPainted));
    std::printf("menu_rss_kb=%ld\n", peakResidentKb(program));

    int x = 0, y = 0;
    if (wayland) {
        const XScreen::Colour menu = screen.find(kMenuColour);
        x = menu.left;
        y = menu.top;
        // The compositor follows the pointer by its motion from where it
        // entered the compositor's window: enter it afresh.
        int cx = 0, cy = 0;
        screen.corner(cx, cy);
        screen.moveTo(cx, cy);
    } else {
        const std::optional<Window> menu = screen.findWindow(kMenuTitle);
        if (!menu) die("the menu went away");
        screen.origin(*menu, x, y);
        y += kMenuBar;
    }
    // The option lights up under the pointer: that is over before the clicks.
    screen.moveTo(x + kTestOptionX, y + kTestOptionY);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const char* serverPid = std::getenv("LUMEYE_WATCH_SERVER_PID");
    const pid_t server = serverPid ? static_cast<pid_t>(std::atol(serverPid)) : 0;
    screen.forgetDrawings();
    const double programCpu = cpuMs(program);
    const double serverCpu = server ? cpuMs(server) : 0;
    screen.doubleClick();
    const Clock::time_point asked = Clock::now();
    const Clock::time_point chartPainted = waitPainted(screen, {kChartTitle, kMarkerColour}, wayland, program);
    if (screen.find(kMarkerColour).count == 0) die("the settled screen shows no red marker line");
    std::printf("chart_ms=%.1f\n", msBetween(asked, chartPainted));
    std::printf("chart_cpu_ms=%.1f\n", cpuMs(program) - programCpu);
    if (server) std::printf("server_cpu_ms=%.1f\n", cpuMs(server) - serverCpu);
    std::printf("peak_rss_kb=%ld\n", peakResidentKb(program));
    std::fflush(stdout);

    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
    return 0;
}
