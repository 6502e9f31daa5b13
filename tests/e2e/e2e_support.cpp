// e2e_support.cpp — process plumbing, the settle loop and the pointer's
// place over a back end, and the X back end (xdotool, X read-back) for the
// end-to-end tests.
#include "e2e_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

// Xlib names a type KeyCode, as the platform's key enum is named.
#define KeyCode XlibKeyCode
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef KeyCode

namespace fs = std::filesystem;

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point Deadline(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

// One connection for the whole test program; reads of a window that has just
// gone are X errors, which must fail the read, not end the test program.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }
Display* X() {
    static Display* display = [] {
        Display* d = XOpenDisplay(nullptr);
        if (d) XSetErrorHandler(IgnoreXError);
        return d;
    }();
    return display;
}

bool SamePicture(const RgbaImage& a, const RgbaImage& b) {
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

Window WindowOf(const std::string& id) {
    if (id.empty() || id.find_first_not_of("0123456789") != std::string::npos) return 0;
    return Window(std::stoul(id));
}

// The harness's state for the test running now.
struct HarnessState {
    Backend Hands = XBackend();   // what the player sees and the player's hands
    std::string Window;           // the window the input goes to: the last one WaitForWindow found
    // Where the program's pointer is, in screen pixels, once it has been
    // pushed into the corner; relative moves from there need no second push.
    bool PointerKnown = false;
    int PointerAtX = 0, PointerAtY = 0;
} Harness;

}  // namespace

std::string MakeWorkDir(const std::string& name) {
    fs::path base = fs::temp_directory_path() / "veldrune-e2e";
    fs::create_directories(base);
    fs::path dir = base / (name + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool Exists(const std::string& path) { return fs::exists(path); }

// [SECTION] The back end

// The hold: the program reads its keys once a frame (a press released
// before the next read still counts), so this is input, not a wait.
Backend XBackend() {
    return {WindowPicture,
            [](const std::string& keysym) {
                Run("xdotool keydown " + keysym + " && sleep 0.08 && xdotool keyup " + keysym);
            },
            NudgePointer, [] { Run("xdotool mousedown 1 mouseup 1"); }};
}

void UseBackend(const Backend& backend) {
    Harness.Hands = backend;
    ForgetPointer();
}

bool Picture(const std::string& id, RgbaImage& out) { return Harness.Hands.Read(id, out); }

// [SECTION] Waiting for what a file or the window shows

bool WaitUntil(const std::function<bool()>& done, double timeoutSeconds) {
    const auto end = Deadline(timeoutSeconds);
    for (;;) {
        if (done()) return true;
        if (Clock::now() >= end) return false;
        Sleep(0.05);
    }
}

bool WaitForFile(const std::string& path, double timeoutSeconds) {
    std::uintmax_t last = static_cast<std::uintmax_t>(-1);
    return WaitUntil([&] {
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(path, ec);
        const bool steady = !ec && size > 0 && size == last;
        last = ec ? static_cast<std::uintmax_t>(-1) : size;
        return steady;
    }, timeoutSeconds);
}

bool FileHasLine(const std::string& path, const std::string& line) {
    return ReadFile(path).find("\r\n" + line + "\r\n") != std::string::npos;
}

bool WaitForFileLine(const std::string& path, const std::string& line, double timeoutSeconds) {
    return WaitUntil([&] { return FileHasLine(path, line); }, timeoutSeconds);
}


RgbaImage ReferencePicture(int w, int h, const std::string& page, const std::string& language) {
    RgbaImage image;
    DecodePngFile(std::string(VELDRUNE_SOURCE_DIR) + "/tests/e2e/reference/" + language + "_" + std::to_string(w) +
                      "x" + std::to_string(h) + "_" + page + ".png",
                  image);
    return image;
}

bool TakeScreenshot(const std::string& dir, int n, RgbaImage& out) {
    Key("F12");
    const std::string path = dir + "/Screenshot_" + std::to_string(n) + ".png";
    return WaitForFile(path) && DecodePngFile(path, out);
}

// Read from the root window where the window is, cut to the screen: a window
// partly off the screen reads back its visible part.
bool WindowPicture(const std::string& id, RgbaImage& out) {
    Display* display = X();
    const Window window = WindowOf(id);
    if (!display || !window) return false;
    XWindowAttributes a{};
    if (!XGetWindowAttributes(display, window, &a) || a.map_state != IsViewable) return false;
    Window child;
    int x = 0, y = 0;
    if (!XTranslateCoordinates(display, window, a.root, 0, 0, &x, &y, &child)) return false;
    // The screen's size as the server has it now: Xlib's DesktopWidth keeps
    // the size the connection opened with, across mode switches.
    XWindowAttributes rootAttributes{};
    if (!XGetWindowAttributes(display, a.root, &rootAttributes)) return false;
    const int screenW = rootAttributes.width, screenH = rootAttributes.height;
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int w = std::min(x + a.width, screenW) - left, h = std::min(y + a.height, screenH) - top;
    if (w <= 0 || h <= 0) return false;
    XImage* image = XGetImage(display, a.root, left, top, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    XSync(display, False);
    if (!image) return false;
    out.width = w;
    out.height = h;
    out.pixels.assign(size_t(w) * h * 4, 255);
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) {
            const unsigned long p = XGetPixel(image, col, row);
            uint8_t* o = &out.pixels[(size_t(row) * w + col) * 4];
            o[0] = uint8_t((p & image->red_mask) >> __builtin_ctzl(image->red_mask));
            o[1] = uint8_t((p & image->green_mask) >> __builtin_ctzl(image->green_mask));
            o[2] = uint8_t((p & image->blue_mask) >> __builtin_ctzl(image->blue_mask));
        }
    XDestroyImage(image);
    return true;
}

// The reads are at least 0.1 s apart (grim takes a few tens of milliseconds
// more): a slide or a fade moves the picture every frame, so five equal reads
// in a row (about 0.4 s) mean it is over, unless the program was stopped that
// long in the middle of one.
bool WaitUntilSettled(const std::string& id, RgbaImage* out, double timeoutSeconds) {
    RgbaImage last, now;
    int same = 0;
    const bool settled = WaitUntil([&] {
        Sleep(0.05);
        if (!Picture(id, now)) {
            same = 0;
            return false;
        }
        same = SamePicture(now, last) ? same + 1 : 1;
        std::swap(last, now);
        return same >= 5;
    }, timeoutSeconds);
    if (out) *out = last;
    return settled;
}

bool WaitForSettled(const std::string& id, const std::function<bool(const RgbaImage&)>& want, RgbaImage* out,
                    double timeoutSeconds) {
    RgbaImage now;
    const bool shown = WaitUntil([&] { return WaitUntilSettled(id, &now, 5) && want(now); }, timeoutSeconds);
    if (out) *out = now;
    return shown;
}

bool ActAndChange(const std::string& id, const std::function<void()>& act, double timeoutSeconds) {
    RgbaImage before, now;
    const bool readable = Picture(id, before);
    act();
    return readable && WaitUntil([&] { return Picture(id, now) && !SamePicture(now, before); }, timeoutSeconds);
}

bool ActAndSettle(const std::string& id, const std::function<void()>& act, double timeoutSeconds) {
    const auto end = Deadline(timeoutSeconds);
    const bool changed = ActAndChange(id, act, timeoutSeconds);
    const double left = std::chrono::duration<double>(end - Clock::now()).count();
    return changed && WaitUntilSettled(id, nullptr, std::max(left, 1.0));
}

bool WaitForPicture(const std::string& id, const RgbaImage& want, double timeoutSeconds) {
    RgbaImage now;
    return WaitUntil([&] { return Picture(id, now) && ShowsPicture(now, want); }, timeoutSeconds);
}

// [SECTION] Waiting for the window manager's view of a window

bool WindowIs(const std::string& id, WindowState state) {
    Display* display = X();
    const Window window = WindowOf(id);
    if (!display || !window) return state == WindowState::Gone;
    XWindowAttributes a{};
    const bool exists = XGetWindowAttributes(display, window, &a) != 0;
    switch (state) {
        case WindowState::Gone: return !exists;
        case WindowState::Viewable: return exists && a.map_state == IsViewable;
        case WindowState::Focused: {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(display, &focus, &revert);
            return exists && a.map_state == IsViewable && focus == window;
        }
        case WindowState::Minimised: {
            // ICCCM: WM_STATE's first word is 3 (IconicState) for a minimised window.
            const Atom wmState = XInternAtom(display, "WM_STATE", False);
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, after = 0;
            unsigned char* data = nullptr;
            bool iconic = false;
            if (exists && XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &type, &format,
                                             &items, &after, &data) == Success &&
                data && items >= 1 && format == 32)
                iconic = reinterpret_cast<long*>(data)[0] == IconicState;
            if (data) XFree(data);
            return iconic;
        }
    }
    return false;
}

bool WaitForWindowState(const std::string& id, WindowState state, double timeoutSeconds) {
    return WaitUntil([&] { return WindowIs(id, state); }, timeoutSeconds);
}

std::string FindWindow(pid_t pid, bool onlyVisible) {
    std::string search = "xdotool search ";
    if (onlyVisible) search += "--onlyvisible ";
    if (pid > 0) search += "--pid " + std::to_string(pid) + " ";
    return Run(search + "--name '^Veldrune$' 2>/dev/null | tail -1");
}

std::vector<std::string> PinnedFontSettings(const std::string& dir) {
    const char* face = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    fs::create_directories(fs::path(dir) / "Media" / "Fonts");
    fs::copy_file(face, fs::path(dir) / "Media" / "Fonts" / "DejaVu Sans.ttf",
                  fs::copy_options::overwrite_existing);
    return {"settings.font = DejaVu Sans", "settings.fontsize = 11", "settings.fontstyle = Normal"};
}

std::string SettingsFolder(const std::string& name, const std::vector<std::string>& lines) {
    const std::string dir = MakeWorkDir(name);
    WriteFile(dir + "/Veldrune.cfg", SettingsText(lines));
    return dir;
}

std::string MenuFolder(const std::string& name, std::vector<std::string> lines) {
    const std::string dir = MakeWorkDir(name);
    for (const auto& l : PinnedFontSettings(dir)) lines.push_back(l);
    WriteFile(dir + "/Veldrune.cfg", SettingsText(lines));
    return dir;
}

Program::Program(Program&& other) noexcept : Pid(other.Pid), Dir(std::move(other.Dir)) { other.Pid = -1; }

Program& Program::operator=(Program&& other) noexcept {
    if (this != &other) {
        Kill(*this);
        Pid = other.Pid;
        Dir = std::move(other.Dir);
        other.Pid = -1;
    }
    return *this;
}

Program::~Program() { Kill(*this); }

Program Start(const std::string& dir, const std::string& binary, const Environment& env) {
    Program p;
    p.Dir = dir;
    std::string exe = binary.empty() ? std::string(VELDRUNE_PROGRAM) : binary;
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : env) {
            if (value.empty()) unsetenv(name.c_str());
            else setenv(name.c_str(), value.c_str(), 1);
        }
        // The program's own output stays out of the test log unless asked
        // for; what it says on its error output is kept in dir/stderr.txt.
        if (!std::getenv("VELDRUNE_E2E_VERBOSE")) {
            const int devnull = open("/dev/null", O_WRONLY);
            const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (devnull >= 0) dup2(devnull, 1);
            if (err >= 0) dup2(err, 2);
        }
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    p.Pid = pid;
    return p;
}

std::string Run(const std::string& command) {
    std::string out;
    FILE* f = popen(command.c_str(), "r");
    if (!f) return out;
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    pclose(f);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// What a failed wait says: which step it last stopped at, whether the
// program still runs (or how it ended), and every window of that name.
static void ReportNoWindow(pid_t pid, const char* step) {
    std::string state = "not asked";
    if (pid > 0) {
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
            state = "not a child of the test";
        else if (info.si_pid == 0)
            state = "running: " + Run("grep -h '^State' /proc/" + std::to_string(pid) + "/status");
        else if (info.si_code == CLD_EXITED)
            state = "exited with " + std::to_string(info.si_status);
        else
            state = "killed by signal " + std::to_string(info.si_status);
    }
    std::fprintf(stderr, "WaitForWindow: gave up at \"%s\"; program %d %s; windows named Veldrune: [%s]\n", step,
                 int(pid), state.c_str(),
                 Run("for w in $(xdotool search --name Veldrune 2>/dev/null); do printf '%s pid=%s %s; ' $w "
                     "\"$(xdotool getwindowpid $w 2>/dev/null)\" "
                     "\"$(xwininfo -id $w 2>/dev/null | sed -n 's/.*Map State: //p')\"; done")
                     .c_str());
}

// Keys go to the focused window, so it is given the focus. The window opens
// before the assets load: the first drawn frame is the first that is not
// wholly black. A window that goes while this waits (the stand-by window after
// its activation) is given up for the newest one.
std::string WaitForWindow(double timeoutSeconds, pid_t pid) {
    std::string id;
    const char* step = "no visible window of the program";
    const bool found = WaitUntil([&] {
        step = "no visible window of the program";
        id = FindWindow(pid);
        if (id.empty()) return false;
        if (!WindowIs(id, WindowState::Focused)) {
            step = "the window never had the focus";
            ActivateWindow(id, true);
            if (!WindowIs(id, WindowState::Focused)) return false;
        }
        step = "the window never settled";
        RgbaImage picture;
        if (!WaitUntilSettled(id, &picture, 5)) return false;
        // A screen too small for any of the menu's pictures (a hand-edited
        // size) shows its clear colour alone.
        if (picture.width < 64 || picture.height < 64) return true;
        step = "the window stayed black";
        for (size_t i = 0; i < picture.pixels.size(); i += 4)
            if (picture.pixels[i] | picture.pixels[i + 1] | picture.pixels[i + 2]) return true;
        return false;
    }, timeoutSeconds);
    if (!found) {
        ReportNoWindow(pid, step);
        return {};
    }
    Harness.Window = id;
    ForgetPointer();
    return id;
}

int WaitExit(Program& p, double timeoutSeconds) {
    int status = 0;
    if (p.Pid <= 0 || !WaitUntil([&] { return waitpid(p.Pid, &status, WNOHANG) == p.Pid; }, timeoutSeconds)) {
        Kill(p);
        return -1;
    }
    p.Pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

int EscapeToTheEnd(Program& p, int pagesAbove) {
    for (int i = 0; i < pagesAbove; ++i)
        if (!Press("Escape")) return -3;
    Key("Escape");
    return WaitExit(p);
}

bool IsRunning(const Program& p) {
    if (p.Pid <= 0) return false;
    // WNOWAIT leaves an ended child to be reaped, so WaitExit still gets
    // its exit code.
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(p.Pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0) return false;
    return info.si_pid == 0;
}

void Kill(Program& p) {
    if (p.Pid <= 0) return;
    kill(p.Pid, SIGKILL);
    int status = 0;
    waitpid(p.Pid, &status, 0);
    p.Pid = -1;
}

void Sleep(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// [SECTION] Asking the window manager

int VisibleGameWindows() {
    return std::atoi(Run("xdotool search --onlyvisible --name '^Veldrune$' 2>/dev/null | wc -l").c_str());
}

std::pair<int, int> WindowPlace(const std::string& id) {
    int x = 0, y = 0;
    std::istringstream(Run("xdotool getwindowgeometry --shell " + id + " | sed -n 's/^[XY]=//p' | tr '\\n' ' '")) >>
        x >> y;
    return {x, y};
}

std::pair<int, int> DesktopSize() {
    int w = 0, h = 0;
    std::istringstream(Run("xdotool getdisplaygeometry")) >> w >> h;
    return {w, h};
}

// [SECTION] Input

void Key(const std::string& keysym) { Harness.Hands.Key(keysym); }

void PointerIsAt(int x, int y) {
    Harness.PointerKnown = true;
    Harness.PointerAtX = x;
    Harness.PointerAtY = y;
}

void ForgetPointer() { Harness.PointerKnown = false; }

bool PointerPlace(int& x, int& y) {
    x = Harness.PointerAtX;
    y = Harness.PointerAtY;
    return Harness.PointerKnown;
}

// The push into the corner and the move from there must reach the program in
// different frames (in one, they add up and the sum is clamped), so the push
// waits for the pointer to be drawn in the corner. Later moves are relative to
// the known place and add up as they should in any frame.
void PointerTo(int x, int y) {
    HarnessState& h = Harness;
    if (!h.PointerKnown) {
        ActAndSettle(h.Window, [&] { h.Hands.Move(-4000, -4000); });
        PointerIsAt(0, 0);
    }
    const int dx = x - h.PointerAtX, dy = y - h.PointerAtY;
    if (dx == 0 && dy == 0) return;
    ActAndSettle(h.Window, [&] { h.Hands.Move(dx, dy); });
    PointerIsAt(x, y);
}

void ClickLeft() { Harness.Hands.Click(); }

bool Press(const std::string& keysym) { return ActAndSettle(InputWindow(), [&] { Key(keysym); }); }

bool ClickAt(int x, int y) {
    PointerTo(x, y);
    return ActAndSettle(InputWindow(), ClickLeft);
}

// Each press waits half a second for its answer: a press the page still
// ignored leaves nothing behind; one answered late lands on the new page,
// where the key must mean nothing (T, say, is no key on the Control page).
bool PressUntilAnswered(const std::string& keysym) {
    RgbaImage before, now;
    if (!Picture(InputWindow(), before)) return false;
    const bool changed = WaitUntil([&] {
        Key(keysym);
        return WaitUntil([&] { return Picture(InputWindow(), now) && !SamePicture(now, before); }, 0.5);
    });
    return changed && WaitUntilSettled(InputWindow());
}

const std::string& InputWindow() { return Harness.Window; }

double Sound::Rms(long from, long to) const {
    from = std::max(0L, from);
    to = std::min(Frames(), to);
    if (to <= from) return 0;
    double sum = 0;
    for (long i = 2 * from; i < 2 * to; ++i) sum += double(Samples[i]) * Samples[i];
    return std::sqrt(sum / double(2 * (to - from)));
}

Sound ReadSound(const std::string& path) {
    const std::string bytes = ReadFile(path);
    Sound sound;
    sound.Samples.resize(bytes.size() / 8 * 2);
    std::memcpy(sound.Samples.data(), bytes.data(), sound.Samples.size() * sizeof(float));
    return sound;
}

// A short latency, so that a sound is in the file within about 10 ms of its
// playing (the speech test times words from a key).
pid_t RecordSink(const std::string& server, const std::string& file) {
    const pid_t recorder = fork();
    if (recorder == 0) {
        setenv("PULSE_SERVER", server.c_str(), 1);
        const int out = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) dup2(out, 1);
        execlp("parec", "parec", "-d", "vr.monitor", "--format=float32le", "--rate=48000", "--channels=2",
               "--latency-msec=10", static_cast<char*>(nullptr));
        _exit(127);
    }
    return recorder;
}

void EndRecording(pid_t recorder) {
    kill(recorder, SIGTERM);
    waitpid(recorder, nullptr, 0);
}

// An ended child not yet waited for (state Z in its stat) is not counted.
std::vector<pid_t> ProcessesOf(const std::string& binary) {
    std::vector<pid_t> pids;
    std::error_code ec;
    const fs::path want = fs::weakly_canonical(binary, ec);
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        const std::string name = entry.path().filename().string();
        std::error_code unreadable;
        if (name.find_first_not_of("0123456789") != std::string::npos ||
            fs::read_symlink(entry.path() / "exe", unreadable) != want || unreadable)
            continue;
        const std::string stat = ReadFile(entry.path().string() + "/stat");
        const auto close = stat.rfind(')');
        if (close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] != 'Z')
            pids.push_back(pid_t(std::stol(name)));
    }
    return pids;
}

}  // namespace e2e
