// sway_watch.cpp — grim read-backs, swaymsg's window list, and the back end
// over the virtual keyboard and pointer's FIFO.
#include "sway_watch.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace sway {

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

// The longest run of lit pixels in each row, and where it starts. A pixel is
// lit by its brightest channel: the dividers are grey, the menu's text red or
// white.
struct Run {
    int Start = 0, Length = 0;
};
std::vector<Run> LongestRuns(const RgbaImage& p) {
    const auto lit = [&](int x, int y) {
        const uint8_t* s = &p.pixels[(size_t(y) * p.width + x) * 4];
        return std::max({s[0], s[1], s[2]}) >= 60;
    };
    std::vector<Run> runs(size_t(p.height));
    for (int y = 0; y < p.height; ++y) {
        int start = 0;
        for (int x = 0; x <= p.width; ++x) {
            if (x < p.width && lit(x, y)) continue;
            if (x - start > runs[size_t(y)].Length) runs[size_t(y)] = {start, x - start};
            start = x + 1;
        }
    }
    return runs;
}

// The dividers: rows whose longest run is nearly the longest of all (the
// ornaments beside the title are shorter), grouped into lines of adjacent
// rows; each line is given by its middle row and its longest run.
struct Line {
    double Y = 0;
    Run Span;
};
std::vector<Line> Dividers(const RgbaImage& p) {
    const std::vector<Run> runs = LongestRuns(p);
    int longest = 0;
    for (const Run& r : runs) longest = std::max(longest, r.Length);
    std::vector<Line> lines;
    if (longest < p.width / 3) return lines;
    int first = -1;
    for (int y = 0; y <= p.height; ++y) {
        const bool divider = y < p.height && runs[size_t(y)].Length * 10 >= longest * 9;
        if (divider && first < 0) first = y;
        if (!divider && first >= 0) {
            Line line{(first + y - 1) / 2.0, runs[size_t(first)]};
            for (int k = first; k < y; ++k)
                if (runs[size_t(k)].Length > line.Span.Length) line.Span = runs[size_t(k)];
            lines.push_back(line);
            first = -1;
        }
    }
    return lines;
}

}  // namespace

bool HasDesktop(std::string& reason) {
    reason.clear();
    if (Env("SWAYSOCK").empty() || Env("WAYLAND_DISPLAY").empty())
        reason = "no sway desktop (run under tools/with_sway.sh)";
    else if (Env("VELDRUNE_INPUT_FIFO").empty() || Env("VELDRUNE_XWAYLAND_DISPLAY").empty())
        reason = "tools/with_sway.sh gave no virtual input or no XWayland display";
    else if (e2e::Run("swaymsg -t get_version >/dev/null 2>&1 && echo ok") != "ok")
        reason = "sway does not answer on " + Env("SWAYSOCK");
    return reason.empty();
}

// [SECTION] Windows and outputs

Window VisibleWindowOf(pid_t pid) {
    // Its numbers, then its app id and X class after a unit separator each.
    const std::string line = e2e::Run(
        "swaymsg -t get_tree | jq -r '[.. | objects | select(.pid? == " + std::to_string(pid) +
        " and .visible? == true and .window_rect.width > 0 and .window_rect.height > 0)] | max_by(.id) // empty | "
        "\"\\(.id) \\(.pid) \\(.rect.x + .window_rect.x) \\(.rect.y + .window_rect.y) \\(.window_rect.width) "
        "\\(.window_rect.height)\\u001f\\(.app_id // \"\")\\u001f\\(.window_properties.class // \"\")\"'");
    Window w;
    std::istringstream fields(line);
    std::string numbers;
    std::getline(fields, numbers, '\x1f');
    std::getline(fields, w.AppId, '\x1f');
    std::getline(fields, w.XClass);
    if (!(std::istringstream(numbers) >> w.Id >> w.Pid >> w.X >> w.Y >> w.W >> w.H)) return {};
    return w;
}

double OutputScale() {
    const std::string s = e2e::Run("swaymsg -t get_outputs | jq -r '.[0].scale'");
    const double scale = std::atof(s.c_str());
    return scale > 0 ? scale : 1.0;
}

bool Command(const std::string& command) {
    return e2e::Run("swaymsg -- '" + command + "' >/dev/null 2>&1 && echo ok") == "ok";
}

// The one desktop entry in packaging/.
std::string DesktopId() {
    return e2e::Run("basename -s .desktop '" VELDRUNE_SOURCE_DIR "'/packaging/*.desktop");
}

std::string DesktopWmClass() {
    return e2e::Run("sed -n 's/^StartupWMClass=//p' '" VELDRUNE_SOURCE_DIR "'/packaging/*.desktop");
}

// [SECTION] The screen, and the menu's shape on it

// grim's PPM: "P6", width, height, 255, then RGB rows.
bool Screen(RgbaImage& out) {
    FILE* f = popen("grim -t ppm - 2>/dev/null", "r");
    if (!f) return false;
    int w = 0, h = 0, max = 0;
    bool ok = std::fscanf(f, "P6 %d %d %d", &w, &h, &max) == 3 && max == 255 && w > 0 && h > 0 && std::fgetc(f) != EOF;
    std::vector<uint8_t> rgb(ok ? size_t(w) * h * 3 : 0);
    ok = ok && std::fread(rgb.data(), 1, rgb.size(), f) == rgb.size();
    if (pclose(f) != 0 || !ok) return false;
    out.width = w;
    out.height = h;
    out.pixels.assign(size_t(w) * h * 4, 255);
    for (size_t i = 0; i < rgb.size() / 3; ++i) std::memcpy(&out.pixels[i * 4], &rgb[i * 3], 3);
    return true;
}

double DividerAspect(const RgbaImage& picture) {
    const std::vector<Line> lines = Dividers(picture);
    if (lines.size() < 2 || lines.back().Y - lines.front().Y < 1) return 0.0;
    return lines.front().Span.Length / (lines.back().Y - lines.front().Y);
}

bool DividerSpan(const RgbaImage& picture, int& left, int& right) {
    const std::vector<Line> lines = Dividers(picture);
    if (lines.empty()) return false;
    left = lines.front().Span.Start;
    right = left + lines.front().Span.Length;
    return true;
}

// [SECTION] Input

// One line at a time; a line shorter than a pipe's buffer arrives whole.
static void Send(const std::string& line) {
    const int fd = open(Env("VELDRUNE_INPUT_FIFO").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    const std::string text = line + "\n";
    (void)!write(fd, text.data(), text.size());
    close(fd);
}

e2e::Backend BackendFor(Driver driver) {
    e2e::Backend hands = e2e::XBackend();
    hands.Read = [](const std::string&, RgbaImage& out) { return Screen(out); };
    if (driver == Driver::Wayland) hands.Key = [](const std::string& keysym) { Send("key " + keysym); };
    hands.Move = [](int dx, int dy) { Send("move " + std::to_string(dx) + " " + std::to_string(dy)); };
    hands.Click = [] { Send("click"); };
    return hands;
}

// The output's size in logical pixels, as "W H".
static std::string OutputSize(int& w, int& h) {
    const std::string size = e2e::Run("swaymsg -t get_outputs | jq -r '.[0].rect | \"\\(.width) \\(.height)\"'");
    w = h = 0;
    std::sscanf(size.c_str(), "%d %d", &w, &h);
    return size;
}

void ParkPointer() {
    int outW = 0, outH = 0;
    const std::string size = OutputSize(outW, outH);
    Send("at " + std::to_string(outW - 1) + " " + std::to_string(outH - 1) + " " + size);
}

void PointerOnto(const Window& w, const e2e::Box& picture, int pictureW, int pictureH, int startX, int startY) {
    int outW = 0, outH = 0;
    const std::string size = OutputSize(outW, outH);
    const bool covers = w.X <= 0 && w.Y <= 0 && w.X + w.W >= outW && w.Y + w.H >= outH;
    e2e::ForgetPointer();
    // A window that covers the output holds the pointer whatever it does:
    // pushing it into the corner finds it.
    if (covers || outW <= 0) return;
    const double s = OutputScale();
    const int x = int((picture.X + (startX + 0.5) * picture.W / pictureW) / s);
    const int y = int((picture.Y + (startY + 0.5) * picture.H / pictureH) / s);
    Send("at " + std::to_string(x) + " " + std::to_string(y) + " " + size);
    e2e::PointerIsAt(startX, startY);
}

}  // namespace sway
