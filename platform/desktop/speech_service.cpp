// speech_service.cpp — words spoken through speech-dispatcher, the desktop's
// speech service, on a thread of its own. Opening the connection starts the
// speech server where none runs (over half a second), and a server that has
// stopped answering blocks every call of its client library, so the game
// thread only leaves the latest words in a hand-over slot and goes on.
//
// The client library (libspeechd) is loaded by that thread when speech is
// first wanted: a player without speech never loads it, and a machine
// without it only stays silent.
#include "platform/desktop/desktop.h"
#include "platform/platform.h"
#include "platform/shared/library_functions.h"

#include <dlfcn.h>
#include <libspeechd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

// [SECTION] State

namespace {

// Shared by the game thread and the speech thread; every field under Lock,
// which either side holds only to copy a few values, never across a call
// into the library.
struct SpeechHandOver {
    std::mutex Lock;
    std::condition_variable Wake;   // words, a cut, or the end; or the thread ended
    bool HasWords = false;          // Words waits to be said; newer words replace it
    std::string Words;
    std::string Language;
    bool Cut = false;               // cut off what is being said
    bool Ending = false;            // the program ends: cut off and close
    bool Ended = false;             // the speech thread has closed everything
};

// The library's functions the thread uses.
struct SpeechLibrary {
    decltype(&spd_open2) Open;
    decltype(&spd_close) Close;
    decltype(&spd_say) SayText;
    decltype(&spd_cancel) Cancel;
    decltype(&spd_set_language) SetLanguage;
    decltype(&spd_set_notification_on) NotificationOn;
};

struct SpeechService {
    SpeechHandOver HandOver;
    std::thread Thread;             // game thread only
    bool Started = false;           // game thread only: the thread runs
    bool Abandoned = false;         // game thread only: a thread stuck in a silent server was
                                    // left behind; no second one is started beside it
    // The newest message the server queued for us; its end or cancel brings
    // the music back. Written by the speech thread, read in the library's
    // event thread.
    std::atomic<long> NewestMessage{-1};
};
// Never destroyed: a thread left blocked in a server that does not answer
// may still wake after the program's statics are gone.
SpeechService& Service = *new SpeechService;

// Tries again to reach the speech service no sooner than this after a
// failure, doubling up to the limit; the latest words wait meanwhile.
constexpr auto FirstRetry = std::chrono::seconds(1);
constexpr auto LastRetry = std::chrono::seconds(30);

// How long the end waits for the thread to close the connection.
constexpr auto EndWait = std::chrono::milliseconds(150);

// [SECTION] The library (speech thread)

bool LoadLibrary(SpeechLibrary& spd) {
    void* library = dlopen("libspeechd.so.2", RTLD_LAZY | RTLD_LOCAL);
    if (!library) return false;
    LibraryFunctions find{library};
    find(spd.Open, "spd_open2");
    find(spd.Close, "spd_close");
    find(spd.SayText, "spd_say");
    find(spd.Cancel, "spd_cancel");
    find(spd.SetLanguage, "spd_set_language");
    find(spd.NotificationOn, "spd_set_notification_on");
    return find.All;
}

// In the library's event thread: a message began, ended or was cut off.
void OnBegin(size_t, size_t, SPDNotificationType) { LowerMusicForSpeech(true); }
void OnEnd(size_t message, size_t, SPDNotificationType) {
    if (long(message) >= Service.NewestMessage.load(std::memory_order_acquire)) LowerMusicForSpeech(false);
}

SPDConnection* Connect(SpeechLibrary& spd) {
    char* error = nullptr;
    // The address is the desktop's (SPEECHD_ADDRESS, or the socket in the
    // runtime folder); a server is started where none runs.
    SPDConnection* connection = spd.Open("veldrune", "menu", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
    std::free(error);
    if (!connection) return nullptr;
    connection->callback_begin = OnBegin;
    connection->callback_end = OnEnd;
    connection->callback_cancel = OnEnd;
    spd.NotificationOn(connection, SPD_BEGIN);
    spd.NotificationOn(connection, SPD_END);
    spd.NotificationOn(connection, SPD_CANCEL);
    return connection;
}

// [SECTION] The thread

void SpeechThread() {
    SpeechLibrary spd{};
    const bool loaded = LoadLibrary(spd);
    SPDConnection* connection = nullptr;
    std::string language;   // the connection's language, "" not set yet
    auto retry = std::chrono::steady_clock::time_point{};
    auto backOff = std::chrono::steady_clock::duration(FirstRetry);
    for (;;) {
        std::string words, wordsLanguage;
        bool hasWords;
        bool reach = false;   // words wait and no server is reached yet: try now
        {
            using Clock = std::chrono::steady_clock;
            std::unique_lock<std::mutex> lock(Service.HandOver.Lock);
            SpeechHandOver& h = Service.HandOver;
            // Words wait in the slot while no server is reached, and are said
            // once one is, unless newer words replace them meanwhile.
            auto waitingForServer = [&] { return loaded && !connection && h.HasWords; };
            while (!h.Ending && !h.Cut && !(h.HasWords && !waitingForServer()) &&
                   !(waitingForServer() && Clock::now() >= retry)) {
                if (waitingForServer()) h.Wake.wait_until(lock, retry);
                else h.Wake.wait(lock);
            }
            if (h.Ending) break;
            reach = waitingForServer() && !h.Cut;
            if (!reach) {
                hasWords = h.HasWords;
                words.swap(h.Words);
                wordsLanguage.swap(h.Language);
                h.HasWords = h.Cut = false;
            }
        }
        if (reach) {
            connection = Connect(spd);
            language.clear();
            if (!connection) {
                retry = std::chrono::steady_clock::now() + backOff;
                backOff = std::min<std::chrono::steady_clock::duration>(backOff * 2, LastRetry);
            } else {
                backOff = FirstRetry;
            }
            continue;
        }
        if (!connection) continue;   // no library, or a cut with nothing reached: silence
        // Our own messages only: what is said now and what waits.
        spd.Cancel(connection);
        LowerMusicForSpeech(false);
        if (!hasWords) continue;   // a cut alone
        if (wordsLanguage != language && spd.SetLanguage(connection, wordsLanguage.c_str()) == 0)
            language = wordsLanguage;
        const int message = spd.SayText(connection, SPD_TEXT, words.c_str());
        if (message < 0) {
            // The server went away (a restart, a crash): the next words reach
            // for a new one.
            spd.Close(connection);
            connection = nullptr;
            continue;
        }
        Service.NewestMessage.store(message, std::memory_order_release);
    }
    if (connection) {
        spd.Cancel(connection);
        spd.Close(connection);
    }
    LowerMusicForSpeech(false);
    std::lock_guard<std::mutex> lock(Service.HandOver.Lock);
    Service.HandOver.Ended = true;
    Service.HandOver.Wake.notify_all();
}

}  // namespace

// [SECTION] The platform's speech operations (game thread)

void StartSpeech() {
    if (Service.Started || Service.Abandoned) return;
    Service.HandOver.HasWords = Service.HandOver.Cut = false;
    Service.HandOver.Ending = Service.HandOver.Ended = false;
    try {
        Service.Thread = std::thread(SpeechThread);
    } catch (const std::system_error&) {
        return;   // no thread, no speech
    }
    Service.Started = true;
}

void Say(const std::string& utf8, const char* language) {
    if (!Service.Started || utf8.empty()) return;
    std::lock_guard<std::mutex> lock(Service.HandOver.Lock);
    Service.HandOver.HasWords = true;
    Service.HandOver.Words = utf8;
    Service.HandOver.Language = language ? language : "";
    Service.HandOver.Wake.notify_all();
}

void StopSpeech() {
    if (!Service.Started) return;
    std::lock_guard<std::mutex> lock(Service.HandOver.Lock);
    Service.HandOver.HasWords = false;
    Service.HandOver.Words.clear();
    Service.HandOver.Cut = true;
    Service.HandOver.Wake.notify_all();
}

void StopSpeechService() {
    if (!Service.Started) return;
    bool ended;
    {
        std::unique_lock<std::mutex> lock(Service.HandOver.Lock);
        Service.HandOver.Ending = true;
        Service.HandOver.Wake.notify_all();
        ended = Service.HandOver.Wake.wait_for(lock, EndWait, [] { return Service.HandOver.Ended; });
    }
    if (ended) {
        Service.Thread.join();
    } else {
        Service.Thread.detach();
        Service.Abandoned = true;
    }
    Service.Started = false;
}
