// e2e_support.h — driving the real program under X: start it in a fresh
// working directory, wait for its window, send keys and clicks with xdotool,
// and wait for it to end.
//
// The program puts SDL's mouse in relative mode, so absolute xdotool moves do
// not reach it; PointerTo() first pushes the pointer into the top-left corner
// (it is clamped there) and then moves it by the wanted amount.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace e2e {

bool HaveDisplay();                          // DISPLAY set and xdotool present
std::string MakeWorkDir(const std::string& name);   // a fresh empty folder
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);       // "" when absent
bool Exists(const std::string& path);
// Waits until the file exists and its size has stopped changing; false on timeout.
bool WaitForFile(const std::string& path, double timeoutSeconds = 10);
// A settings file as the program writes it (mark, empty line, CR LF lines).
std::string SettingsText(const std::vector<std::string>& lines);
// Pins the menu fonts: copies a DejaVu face into dir/Media/Fonts and returns
// the settings lines that select it.
std::vector<std::string> PinnedFontSettings(const std::string& dir);

struct Program {
    pid_t Pid = -1;
    std::string Dir;
};
Program Start(const std::string& dir, const std::string& binary = "");
// The program's window id once it is mapped and has had a second to load
// and draw ("" after the timeout). With a pid, only that process's window.
std::string WaitForWindow(double timeoutSeconds = 20, pid_t pid = -1);
// Waits for the process to end; returns its exit code, or -1 on timeout
// (the process is then killed), -2 when it died from a signal.
int WaitExit(Program& p, double timeoutSeconds = 20);
bool IsRunning(const Program& p);
void Kill(Program& p);

void Sleep(double seconds);
void Key(const std::string& keysym);         // down, 80 ms, up; then a short settle
void PointerTo(int x, int y);                // screen pixels of the game screen
void ClickLeft();                            // down, 120 ms, up
std::string Run(const std::string& command); // a shell command's standard output
// The pids of running processes whose executable is `binary`.
std::vector<pid_t> ProcessesOf(const std::string& binary);

}  // namespace e2e
