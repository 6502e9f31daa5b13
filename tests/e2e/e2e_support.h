// e2e_support.h — driving the real program: start it in a fresh working
// directory, wait for its window, send keys and clicks, wait for what the
// window, the screen or a file shows, and wait for it to end. What the player
// sees and the player's hands are a back end: X's by default (the window read
// back from the X server, keys and pointer through xdotool), sway's for the
// Wayland tests (tests/wayland/sway_watch.h).
//
// Nothing here waits for a fixed time: every wait polls for what it waits for
// and has a deadline, which only bounds a failure (a busy machine is slow, and
// must still pass).
//
// The program puts SDL's mouse in relative mode, so absolute pointer moves do
// not reach it; PointerTo() first pushes the pointer into the top-left corner
// (it is clamped there) and then moves it by the wanted amount.
#pragma once

#include <sys/types.h>

#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "need_display.h"
#include "settings_lines.h"
#include "platform/shared/png_file.h"
#include "screen_watch.h"

namespace e2e {

std::string MakeWorkDir(const std::string& name);   // a fresh empty folder
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);       // "" when absent
bool Exists(const std::string& path);

// [SECTION] The back end: what the player sees and the player's hands

struct Backend {
    // What the player sees of the window `id`: X reads that window back,
    // sway the whole output (the id means nothing there).
    std::function<bool(const std::string& id, RgbaImage& out)> Read;
    std::function<void(const std::string& keysym)> Key;   // a tap: down, a moment, up
    std::function<void(int dx, int dy)> Move;             // a relative pointer motion
    // The left button down and up at once: the platform reports a press let
    // go before its next poll as down for that one poll, so the click lasts
    // exactly one frame. A held button fires again in every frame it is held
    // (the menu's pointing is level-triggered), on whatever the new page puts
    // under the pointer, and how many frames a hold lasts depends on how busy
    // the machine is.
    std::function<void()> Click;
};
Backend XBackend();   // the default
// The waits and the input below go through `backend` from now on; where the
// program's pointer is is forgotten.
void UseBackend(const Backend& backend);
// What the player sees of `id` now, through the back end.
bool Picture(const std::string& id, RgbaImage& out);

// [SECTION] Waiting for what a file or the window shows

// Polls `done` about every 50 ms until it holds; false when the deadline passed.
bool WaitUntil(const std::function<bool()>& done, double timeoutSeconds = 20);
// Waits until the file exists and its size has stopped changing; false on timeout.
bool WaitForFile(const std::string& path, double timeoutSeconds = 20);
// Whether the settings-style file holds `line` as a whole CR LF line.
bool FileHasLine(const std::string& path, const std::string& line);
bool WaitForFileLine(const std::string& path, const std::string& line, double timeoutSeconds = 20);
// The reference picture tests/e2e/reference/<language>_WxH_page.png (empty when absent).
RgbaImage ReferencePicture(int w, int h, const std::string& page, const std::string& language = "English");
// Presses the screenshot key (F12) and decodes the Screenshot_<n>.png it writes in `dir`.
bool TakeScreenshot(const std::string& dir, int n, RgbaImage& out);

// The window's pixels as the X server holds them; false while the window is
// not mapped or not wholly on the screen (X reads back nothing else).
bool WindowPicture(const std::string& id, RgbaImage& out);
// Waits until the window reads back (through the back end) as the same
// picture five times in a row (a slide or fade moves it every frame), and
// leaves that picture in `out`. Every page but a capture page (it blinks)
// comes to rest.
bool WaitUntilSettled(const std::string& id, RgbaImage* out = nullptr, double timeoutSeconds = 20);
// Waits until the settled picture satisfies `want`, and leaves it in `out`.
bool WaitForSettled(const std::string& id, const std::function<bool(const RgbaImage&)>& want,
                    RgbaImage* out = nullptr, double timeoutSeconds = 20);
// Does `act`, then waits until the window shows another picture than before:
// for a page that never comes to rest (a capture page blinks).
bool ActAndChange(const std::string& id, const std::function<void()>& act, double timeoutSeconds = 20);
// As ActAndChange, then waits until the new picture has settled: for an input
// whose answer is on the screen.
bool ActAndSettle(const std::string& id, const std::function<void()>& act, double timeoutSeconds = 20);
// Waits until the window's picture is `want` (as ShowsPicture).
bool WaitForPicture(const std::string& id, const RgbaImage& want, double timeoutSeconds = 20);

// [SECTION] Waiting for the window manager's view of a window

enum class WindowState { Viewable, Focused, Minimised, Gone };
bool WindowIs(const std::string& id, WindowState state);
bool WaitForWindowState(const std::string& id, WindowState state, double timeoutSeconds = 20);
// The id of the newest visible window titled Veldrune (of `pid` when given), "" when none.
std::string FindWindow(pid_t pid = -1, bool onlyVisible = true);
int VisibleGameWindows();   // how many windows titled Veldrune are visible

// [SECTION] Asking the window manager, as a player's desktop does
using need_display::ActivateWindow;
using need_display::MinimiseWindow;
using need_display::MoveWindow;
using need_display::NudgePointer;
std::pair<int, int> WindowPlace(const std::string& id);           // its top-left on the screen
std::pair<int, int> DesktopSize();   // the X screen's size now, as a switched mode has it
using ::SettingsText;   // settings_lines.h
// Pins the menu fonts: copies a DejaVu face into dir/Media/Fonts and returns
// the settings lines that select it.
std::vector<std::string> PinnedFontSettings(const std::string& dir);
// A fresh folder MakeWorkDir(name) whose settings file holds `lines`; with
// MenuFolder the pinned font's too (tools/menu_folder.sh's twin).
std::string SettingsFolder(const std::string& name, const std::vector<std::string>& lines);
std::string MenuFolder(const std::string& name, std::vector<std::string> lines);

// A started program; one still running when its test ends (a failed
// assertion) is killed, so that it cannot take the focus from the next test's.
struct Program {
    pid_t Pid = -1;
    std::string Dir;
    Program() = default;
    Program(Program&& other) noexcept;
    Program& operator=(Program&& other) noexcept;
    Program(const Program&) = delete;
    ~Program();
};
// Variables added to (or, with an empty value, taken from) the program's environment.
using Environment = std::vector<std::pair<std::string, std::string>>;
Program Start(const std::string& dir, const std::string& binary = "", const Environment& env = {});
// The program's window id once it is mapped, holds the focus and shows its
// first drawn frame at rest ("" after the timeout). With a pid, only that
// process's window.
std::string WaitForWindow(double timeoutSeconds = 20, pid_t pid = -1);
// Waits for the process to end; returns its exit code, or -1 on timeout
// (the process is then killed), -2 when it died from a signal.
int WaitExit(Program& p, double timeoutSeconds = 20);
// Escape on each of the `pagesAbove` pages above the main page, each waited
// for (two presses in one frame count as one), then on the main page, which
// ends the program: its exit code as WaitExit, or -3 when a page did not answer.
int EscapeToTheEnd(Program& p, int pagesAbove = 0);
bool IsRunning(const Program& p);
void Kill(Program& p);

// [SECTION] Input
// Through the back end. A press is held for a moment (the program reads its
// input once a frame); the hold is input, not a wait for the program. An
// input whose answer shows on the screen is followed by ActAndSettle, one
// whose answer is in a file by WaitForFileLine.
void Sleep(double seconds);                  // only as a poll's interval or a key's hold
void Key(const std::string& keysym);         // down, 80 ms, up
void PointerTo(int x, int y);                // screen pixels of the game screen
void ClickLeft();                            // down and up, seen in one frame
// Where the program's pointer is when something else put it there (sway
// brings the desktop's pointer onto the window); PointerTo moves on from it.
void PointerIsAt(int x, int y);
void ForgetPointer();                        // the next PointerTo pushes it into the corner first
bool PointerPlace(int& x, int& y);           // where it is, in the game screen's pixels; false when unknown
// The window WaitForWindow found last, which the input goes to ("" on sway).
const std::string& InputWindow();
// A key or a click whose answer is a new picture: false when none settled.
bool Press(const std::string& keysym);
// For a key the page ignores for a while without showing it (the Options
// page's sub column letters, until a delay of frames has passed): pressed
// again until the picture changes, then waits for it to settle.
bool PressUntilAnswered(const std::string& keysym);
bool ClickAt(int x, int y);                  // PointerTo, then a left click
std::string Run(const std::string& command); // a shell command's standard output
// The pids of running processes whose executable is `binary`.
std::vector<pid_t> ProcessesOf(const std::string& binary);

// [SECTION] Sound
// What SDL's disk audio driver writes and what RecordSink records: float
// stereo at SoundRate frames a second.
constexpr int SoundRate = 48000;
struct Sound {
    std::vector<float> Samples;   // interleaved left, right
    long Frames() const { return long(Samples.size() / 2); }
    double Rms(long from, long to) const;   // over frames [from, to) that are in it; 0 when none
    double RmsOfLast(double seconds) const { return Rms(Frames() - long(seconds * SoundRate), Frames()); }
};
Sound ReadSound(const std::string& path);   // as written so far
// What a player of tools/sound_server.sh at `server` hears: parec records its
// null sink "vr" into `file` until EndRecording.
pid_t RecordSink(const std::string& server, const std::string& file);
void EndRecording(pid_t recorder);

}  // namespace e2e
