// e2e_support.cpp — process and xdotool plumbing for the end-to-end tests.
#include "e2e_support.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace e2e {

bool HaveDisplay() {
    const char* d = std::getenv("DISPLAY");
    return d && *d && std::system("command -v xdotool >/dev/null 2>&1") == 0;
}

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

bool WaitForFile(const std::string& path, double timeoutSeconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    std::uintmax_t last = static_cast<std::uintmax_t>(-1);
    while (std::chrono::steady_clock::now() < end) {
        std::error_code ec;
        std::uintmax_t size = fs::file_size(path, ec);
        if (!ec && size > 0 && size == last) return true;
        last = ec ? static_cast<std::uintmax_t>(-1) : size;
        Sleep(0.1);
    }
    return false;
}

std::string SettingsText(const std::vector<std::string>& lines) {
    std::string s = "\xEF\xBB\xBF\r\n";
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

std::vector<std::string> PinnedFontSettings(const std::string& dir) {
    const char* face = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    fs::create_directories(fs::path(dir) / "Media" / "Fonts");
    fs::copy_file(face, fs::path(dir) / "Media" / "Fonts" / "DejaVu Sans.ttf",
                  fs::copy_options::overwrite_existing);
    return {"settings.font = DejaVu Sans", "settings.fontsize = 11", "settings.fontstyle = Normal"};
}

Program Start(const std::string& dir, const std::string& binary) {
    Program p;
    p.Dir = dir;
    std::string exe = binary.empty() ? std::string(VELDRUNE_PROGRAM) : binary;
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(126);
        // Keep the program's own output out of the test log unless asked for.
        if (!std::getenv("VELDRUNE_E2E_VERBOSE")) {
            FILE* devnull = std::fopen("/dev/null", "w");
            if (devnull) { dup2(fileno(devnull), 1); dup2(fileno(devnull), 2); }
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

std::string WaitForWindow(double timeoutSeconds, pid_t pid) {
    std::string search = "xdotool search --onlyvisible ";
    if (pid > 0) search += "--pid " + std::to_string(pid) + " ";
    search += "--name '^Veldrune$' 2>/dev/null | tail -1";
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (std::chrono::steady_clock::now() < end) {
        std::string id = Run(search);
        if (!id.empty()) {
            // Give it the keyboard: keys go to the focused window. The window
            // opens before the assets load, so let the first frames pass too.
            Run("xdotool windowactivate --sync " + id + " >/dev/null 2>&1");
            Sleep(1.0);
            return id;
        }
        Sleep(0.1);
    }
    return {};
}

int WaitExit(Program& p, double timeoutSeconds) {
    if (p.Pid <= 0) return -1;
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        pid_t r = waitpid(p.Pid, &status, WNOHANG);
        if (r == p.Pid) {
            p.Pid = -1;
            if (WIFEXITED(status)) return WEXITSTATUS(status);
            return -2;
        }
        Sleep(0.05);
    }
    Kill(p);
    return -1;
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

void Key(const std::string& keysym) {
    Run("xdotool keydown " + keysym + " && sleep 0.08 && xdotool keyup " + keysym);
    Sleep(0.12);
}

void PointerTo(int x, int y) {
    Run("xdotool mousemove_relative -- -4000 -4000");
    Sleep(0.1);
    Run("xdotool mousemove_relative -- " + std::to_string(x) + " " + std::to_string(y));
    Sleep(0.1);
}

void ClickLeft() {
    Run("xdotool mousedown 1 && sleep 0.12 && xdotool mouseup 1");
    Sleep(0.12);
}

std::vector<pid_t> ProcessesOf(const std::string& binary) {
    std::vector<pid_t> pids;
    std::error_code ec;
    std::string want = fs::weakly_canonical(binary, ec).string();
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
        std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::error_code e2;
        std::string exe = fs::read_symlink(entry.path() / "exe", e2).string();
        if (e2) continue;
        std::string stat = ReadFile(entry.path().string() + "/stat");
        auto close = stat.rfind(')');
        if (close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z') continue;
        if (exe == want) pids.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return pids;
}

}  // namespace e2e
