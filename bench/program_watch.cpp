// Measures the whole program from outside, on the X server named by DISPLAY:
//
//   lumeye-watch LUMEYE WORKDIR
//
// 1. starts LUMEYE in WORKDIR and waits for the main menu to be painted;
// 2. double-clicks "Perform Sight Test" and waits for the chart to be on
//    screen;
// 3. reads the program's peak resident memory, then ends it.
//
// "Painted" is judged by the screen itself: from the moment the window is
// mapped the screen is read again and again (MIT-SHM, the whole root
// window), each reading hashed and stamped with the time it was complete.
// Once nothing has changed for a second the screen has settled, and the
// figure is the time of the first reading that already showed the settled
// picture. So a window that paints in steps counts only when its last step
// is on screen; the resolution is one reading (a few milliseconds).
//
// Prints startup_ms, chart_ms and peak_rss_kb lines; exits non-zero when a
// window does not come or the chart has no red marker line.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr const char* kMenuTitle = "Lumeye - Home Edition 2.2";
constexpr const char* kChartTitle = "Reduce []";
// "Perform Sight Test" in the menu's client area: the option sits at 54, 228
// in the frame at 72, 129, below a 19-pixel menu bar.
constexpr int kTestOptionX = 72 + 54 + 40;
constexpr int kTestOptionY = 19 + 129 + 228 + 10;
constexpr auto kSettle = std::chrono::milliseconds(1000);
constexpr auto kTimeout = std::chrono::seconds(60);
// A pause between readings, so that the watcher leaves the program and the
// X server most of the two cores.
constexpr auto kPollPause = std::chrono::microseconds(1500);

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
        if (!XShmQueryExtension(display_)) die("the X server has no MIT-SHM");
        XWindowAttributes a;
        XGetWindowAttributes(display_, root_, &a);
        width_ = a.width;
        height_ = a.height;
        image_ = XShmCreateImage(display_, a.visual, unsigned(a.depth), ZPixmap, nullptr, &shm_, unsigned(width_),
                                 unsigned(height_));
        shm_.shmid = shmget(IPC_PRIVATE, size_t(image_->bytes_per_line) * size_t(height_), IPC_CREAT | 0600);
        if (shm_.shmid < 0) die("shmget failed");
        shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
        shm_.readOnly = False;
        XShmAttach(display_, &shm_);
        XSync(display_, False);
        shmctl(shm_.shmid, IPC_RMID, nullptr);  // freed once both sides detach
    }
    ~XScreen() {
        XShmDetach(display_, &shm_);
        XDestroyImage(image_);
        shmdt(shm_.shmaddr);
        XCloseDisplay(display_);
    }

    Display* display() const { return display_; }

    // A viewable top-level window with exactly this title.
    std::optional<Window> findWindow(const char* title) {
        Window rootReturn, parent, *children = nullptr;
        unsigned count = 0;
        std::optional<Window> found;
        if (!XQueryTree(display_, root_, &rootReturn, &parent, &children, &count)) return found;
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(display_, children[i], &a) || a.map_state != IsViewable) continue;
            char* name = nullptr;
            if (XFetchName(display_, children[i], &name) && name) {
                if (std::strcmp(name, title) == 0) found = children[i];
                XFree(name);
            }
        }
        if (children) XFree(children);
        return found;
    }

    void origin(Window w, int& x, int& y) {
        Window child;
        XTranslateCoordinates(display_, w, root_, 0, 0, &x, &y, &child);
    }

    // Reads the whole screen and hashes it; the time is when the reading was complete.
    std::pair<uint64_t, Clock::time_point> read() {
        XShmGetImage(display_, root_, image_, 0, 0, AllPlanes);
        const Clock::time_point at = Clock::now();
        return {hash(), at};
    }

    // Pixels of exactly this colour in the last reading (24-bit visuals).
    long count(unsigned long rgb) const {
        long n = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) n += (XGetPixel(image_, x, y) & 0xFFFFFF) == rgb;
        return n;
    }

    void doubleClick(int x, int y) {
        XTestFakeMotionEvent(display_, -1, x, y, CurrentTime);
        XSync(display_, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        for (int i = 0; i < 2; ++i) {
            XTestFakeButtonEvent(display_, 1, True, CurrentTime);
            XTestFakeButtonEvent(display_, 1, False, CurrentTime);
            XSync(display_, False);
            if (i == 0) std::this_thread::sleep_for(std::chrono::milliseconds(60));
        }
    }

private:
    uint64_t hash() const {
        // FNV-1a over 64-bit words: fast enough to read every few milliseconds.
        uint64_t h = 1469598103934665603ull;
        const size_t bytes = size_t(image_->bytes_per_line) * size_t(height_);
        const auto* words = reinterpret_cast<const uint64_t*>(image_->data);
        for (size_t i = 0; i < bytes / 8; ++i) h = (h ^ words[i]) * 1099511628211ull;
        return h;
    }

    Display* display_ = nullptr;
    Window root_ = 0;
    int width_ = 0, height_ = 0;
    XImage* image_ = nullptr;
    XShmSegmentInfo shm_{};
};

// Waits for a window with the title, then for the screen to settle; returns
// the time of the first reading that showed the settled screen.
Clock::time_point waitPainted(XScreen& screen, const char* title, pid_t program) {
    const Clock::time_point deadline = Clock::now() + kTimeout;
    while (!screen.findWindow(title)) {
        if (Clock::now() > deadline) die(std::string("no window titled '") + title + "'");
        if (waitpid(program, nullptr, WNOHANG) == program) die("the program ended");
        std::this_thread::sleep_for(kPollPause);
    }
    std::vector<std::pair<uint64_t, Clock::time_point>> readings;
    Clock::time_point changed = Clock::now();
    for (;;) {
        const auto reading = screen.read();
        if (readings.empty() || readings.back().first != reading.first) changed = reading.second;
        readings.push_back(reading);
        if (reading.second - changed > kSettle) break;
        if (Clock::now() > deadline) die(std::string("the screen did not settle after '") + title + "'");
        std::this_thread::sleep_for(kPollPause);
    }
    const uint64_t settled = readings.back().first;
    size_t first = readings.size() - 1;
    while (first > 0 && readings[first - 1].first == settled) --first;
    return readings[first].second;
}

long peakResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    die("no VmHWM for the program");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lumeye-watch LUMEYE WORKDIR\n");
        return 2;
    }
    XScreen screen;
    const std::string log = std::string(argv[2]) + "/app.log";

    const Clock::time_point start = Clock::now();
    const pid_t program = fork();
    if (program == 0) {
        if (chdir(argv[2]) != 0) _exit(127);
        if (!freopen(log.c_str(), "a", stdout) || !freopen(log.c_str(), "a", stderr)) _exit(127);
        execl(argv[1], argv[1], static_cast<char*>(nullptr));
        _exit(127);
    }
    const Clock::time_point menuPainted = waitPainted(screen, kMenuTitle, program);
    std::printf("startup_ms=%.1f\n", msBetween(start, menuPainted));

    const Window menu = *screen.findWindow(kMenuTitle);
    int x = 0, y = 0;
    screen.origin(menu, x, y);
    screen.doubleClick(x + kTestOptionX, y + kTestOptionY);
    const Clock::time_point asked = Clock::now();
    const Clock::time_point chartPainted = waitPainted(screen, kChartTitle, program);
    if (screen.count(0xFF0000) == 0) die("the settled screen shows no red marker line");
    std::printf("chart_ms=%.1f\n", msBetween(asked, chartPainted));
    std::printf("peak_rss_kb=%ld\n", peakResidentKb(program));
    std::fflush(stdout);

    kill(program, SIGTERM);
    waitpid(program, nullptr, 0);
    return 0;
}
