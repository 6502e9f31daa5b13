// posix_services.cpp — the platform's services that need no SDL: the
// millisecond clock, the sleep, the background thread, the program's own
// path, launching a new instance of it and that instance's wait for this one
// to give the display back. Their state is Sdl.Process (sdl_internal.h).
#include "platform/platform.h"
#include "platform/posix/instance_handover.h"
#include "platform/sdl/sdl_internal.h"
#include "platform/posix/session_bus.h"

#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

// [SECTION] Time

uint64_t MonotonicMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return uint64_t(t.tv_sec) * 1000u + uint64_t(t.tv_nsec) / 1000000u;
}

// Counts from Sdl.Process.ClockStartMs, taken before main.
uint32_t MillisecondsSinceStart() { return uint32_t(MonotonicMilliseconds() - Sdl.Process.ClockStartMs); }

void Pause(int milliseconds) {
    if (milliseconds <= 0) return;
    timespec left{milliseconds / 1000, long(milliseconds % 1000) * 1000000L};
    // A signal handled meanwhile does not cut the pause short.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

// [SECTION] Threads

namespace {

struct ThreadStart {
    ThreadProc Proc;
    int Param;
};

void* RunThread(void* data) {
    const ThreadStart start = *static_cast<ThreadStart*>(data);
    delete static_cast<ThreadStart*>(data);
    start.Proc(start.Param);
    return nullptr;
}

}  // namespace

int StartThread(ThreadProc proc, int param) {
    if (!proc) return 0;
    // 4096 bytes are asked for; the system's minimum and what a thread needs
    // to format a number and sleep (with sanitizers, too) round that up.
    const long systemMin = sysconf(_SC_THREAD_STACK_MIN);
    size_t stack = std::max<size_t>({4096, systemMin > 0 ? size_t(systemMin) : 0, 64 * 1024});
    const long page = sysconf(_SC_PAGESIZE) > 0 ? sysconf(_SC_PAGESIZE) : 4096;
    stack = (stack + size_t(page) - 1) / size_t(page) * size_t(page);
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0) return 0;
    pthread_attr_setstacksize(&attr, stack);
    // Never joined: the thread ends with the process.
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    auto* start = new ThreadStart{proc, param};
    pthread_t thread;
    const int rc = pthread_create(&thread, &attr, RunThread, start);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete start;
        return 0;
    }
    return ++Sdl.Process.ThreadsStarted;
}

// [SECTION] Process

std::string ProgramPath() {
    char buffer[PATH_MAX];
    if (!realpath("/proc/self/exe", buffer)) return "";
    return buffer;
}

bool LaunchProgram(const std::string& path) {
    if (path.empty()) return false;
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // The new instance starts with ordinary signal handling whatever ours is.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : {SIGINT, SIGTERM, SIGPIPE, SIGCHLD, SIGHUP}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    std::vector<char*> env = EnvironmentForNewInstance();
    std::string startedBy = std::string(StartedByVariable) + "=" + std::to_string(getpid());
    env.insert(env.end() - 1, startedBy.data());
    const int rc = posix_spawn(&pid, path.c_str(), nullptr, &attr, argv, env.data());
    posix_spawnattr_destroy(&attr);
    if (rc != 0) return false;
    // Not waited for, but reaped when it ends, so no zombie stays behind
    // while we live on.
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

// The instance before is our parent until it ends; then we are handed on to
// another, whether or not anyone has reaped it yet.
void AwaitTheInstanceBefore() {
    const char* value = std::getenv(StartedByVariable);
    if (!value) return;
    const pid_t before = pid_t(std::atol(value));
    unsetenv(StartedByVariable);
    for (int waited = 0; before > 1 && getppid() == before && waited < 3000; waited += 10) Pause(10);
}

