// sdl_sound.cpp — the music, over SDL2_mixer, on a thread of its own. The
// thread opens the audio output (reaching a sound server can take a while,
// and on a machine without sound it only fails) and then carries out the
// game's requests in order; the game thread only hands them over, so nothing
// in the frame loop ever waits for audio.
//
// SDL2_mixer is loaded by that thread when music is first wanted: the
// decoders it brings along (and their libraries) cost start-up time and
// memory that a player with music off never pays.
#include "platform/sdl/sdl_internal.h"
#include "platform/desktop/desktop.h"
#include "platform/shared/library_functions.h"

#include <SDL_mixer.h>
#include <dirent.h>
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

std::mutex SdlInitLock;

// [SECTION] State

namespace {

SdlSound& Sound = Sdl.Sound;
MusicGain& Gain = Sdl.Gain;

constexpr int OutputRate = 48000;
constexpr float LoweredLevel = 0.25f;      // -12 dB
constexpr float LowerStep = (1 - LoweredLevel) / (0.1f * OutputRate);   // down in 100 ms
constexpr float RaiseStep = (1 - LoweredLevel) / (0.3f * OutputRate);   // up again in 300 ms

// The SDL2_mixer functions the thread uses, looked up in the loaded library.
struct Mixer {
    decltype(&Mix_Init) Init;
    decltype(&Mix_Quit) Quit;
    decltype(&Mix_OpenAudioDevice) OpenAudioDevice;
    decltype(&Mix_CloseAudio) CloseAudio;
    decltype(&Mix_LoadMUS_RW) LoadMUS_RW;
    decltype(&Mix_FreeMusic) FreeMusic;
    decltype(&Mix_FadeInMusicPos) FadeInMusicPos;
    decltype(&Mix_HaltMusic) HaltMusic;
    decltype(&Mix_PlayingMusic) PlayingMusic;
    decltype(&Mix_GetMusicPosition) GetMusicPosition;
    decltype(&Mix_MusicDuration) MusicDuration;
    decltype(&Mix_SetPostMix) SetPostMix;
    decltype(&Mix_QuerySpec) QuerySpec;
};

// [SECTION] Opening the output (sound thread)

// Where the player names no audio driver (SDL_AUDIODRIVER), a driver is
// tried only where it can work: a sound server whose socket is there (or
// which is named), ALSA on a machine with a sound card. Elsewhere each can
// only fail, and not quietly: libasound prints its failures on stderr, and
// the sound server's library leaves folders in HOME looking for a server.
bool HasSoundCard() {
    DIR* dir = opendir("/dev/snd");
    if (!dir) return false;
    bool found = false;
    while (dirent* entry = readdir(dir))
        if (std::strncmp(entry->d_name, "pcmC", 4) == 0) found = true;
    closedir(dir);
    return found;
}

bool Named(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

bool InRuntimeDir(const char* name) {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    return dir != nullptr && *dir == '/' && access((std::string(dir) + "/" + name).c_str(), F_OK) == 0;
}

std::string DriversToTry() {
    std::string drivers;
    auto add = [&](const char* driver) { drivers += (drivers.empty() ? "" : ",") + std::string(driver); };
    if (Named("PULSE_SERVER") || InRuntimeDir("pulse/native") || access("/var/run/pulse/native", F_OK) == 0)
        add("pulseaudio");
    if (Named("PIPEWIRE_REMOTE") || InRuntimeDir("pipewire-0")) add("pipewire");
    if (HasSoundCard()) add("alsa");
    return drivers;
}

bool LoadMixer(Mixer& mix) {
    // Lazily bound: of the decoders' libraries only what is called is resolved.
    void* library = dlopen("libSDL2_mixer-2.0.so.0", RTLD_LAZY | RTLD_LOCAL);
    if (!library) return false;
    // Kept loaded to the end of the process: its decoders may have threads
    // and handlers of their own.
    LibraryFunctions find{library};
    find(mix.Init, "Mix_Init");
    find(mix.Quit, "Mix_Quit");
    find(mix.OpenAudioDevice, "Mix_OpenAudioDevice");
    find(mix.CloseAudio, "Mix_CloseAudio");
    find(mix.LoadMUS_RW, "Mix_LoadMUS_RW");
    find(mix.FreeMusic, "Mix_FreeMusic");
    find(mix.FadeInMusicPos, "Mix_FadeInMusicPos");
    find(mix.HaltMusic, "Mix_HaltMusic");
    find(mix.PlayingMusic, "Mix_PlayingMusic");
    find(mix.GetMusicPosition, "Mix_GetMusicPosition");
    find(mix.MusicDuration, "Mix_MusicDuration");
    find(mix.SetPostMix, "Mix_SetPostMix");
    find(mix.QuerySpec, "Mix_QuerySpec");
    return find.All;
}

// SDL's audio thread, after each mix: the fade and the speech ducking move
// towards their targets, one sample frame at a time, and scale the output.
// The output is always float (only rate and channels may differ).
void ApplyGain(void*, Uint8* stream, int bytes) {
    float* samples = reinterpret_cast<float*>(stream);
    const int channels = Gain.Channels > 0 ? Gain.Channels : 2;
    const int frames = bytes / int(sizeof(float)) / channels;
    const float target = Gain.FadeTarget.load(std::memory_order_relaxed);
    const float step = Gain.FadeStep.load(std::memory_order_relaxed);
    const float speechTarget = Gain.Lowered.load(std::memory_order_relaxed) ? LoweredLevel : 1.0f;
    float fade = Gain.FadeNow.load(std::memory_order_relaxed);
    float speech = Gain.SpeechNow;
    for (int f = 0; f < frames; ++f) {
        if (fade < target) fade = std::min(target, fade + step);
        else if (fade > target) fade = std::max(target, fade - step);
        if (speech > speechTarget) speech = std::max(speechTarget, speech - LowerStep);
        else if (speech < speechTarget) speech = std::min(speechTarget, speech + RaiseStep);
        const float gain = fade * speech;
        for (int c = 0; c < channels; ++c) samples[f * channels + c] *= gain;
    }
    Gain.SpeechNow = speech;
    Gain.FadeNow.store(fade, std::memory_order_relaxed);
    Sound.FirstMixDone.store(true, std::memory_order_release);
}

// Sets where the fade goes and how fast: a whole fade (0 to 1) takes fadeMs,
// a fade from part way takes its part of that.
void FadeTowards(float target, int fadeMs) {
    Gain.FadeStep.store(fadeMs > 0 ? 1000.0f / (float(fadeMs) * OutputRate) : 2.0f, std::memory_order_relaxed);
    Gain.FadeTarget.store(target, std::memory_order_relaxed);
}

// The sockets of this process connected to the sound server: where the
// server was frozen (it accepts connections but never answers), SDL's open
// and close wait for it without a time limit; cutting the connection from
// this side makes them fail at once.
bool IsSoundServerPath(const std::string& path) {
    const char* named = std::getenv("PULSE_SERVER");
    if (named != nullptr) {
        std::string server = named;
        if (server.rfind("unix:", 0) == 0) server.erase(0, 5);
        if (path == server) return true;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && (path == std::string(runtime) + "/pulse/native" || path == std::string(runtime) + "/pipewire-0"))
        return true;
    return path == "/var/run/pulse/native" || path == "/run/pulse/native";
}

void CutSoundServerConnections() {
    if (!Sound.ThroughServer.load()) return;
    // Another thread may close a descriptor meanwhile, or open another under
    // its number: only a socket whose far end is the server's is cut.
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return;
    while (dirent* entry = readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == dirfd(dir)) continue;
        struct stat info {};
        if (fstat(int(fd), &info) != 0 || !S_ISSOCK(info.st_mode)) continue;
        sockaddr_un peer {};
        socklen_t length = sizeof peer;
        if (getpeername(int(fd), reinterpret_cast<sockaddr*>(&peer), &length) != 0 || peer.sun_family != AF_UNIX) continue;
        if (length <= offsetof(sockaddr_un, sun_path) || peer.sun_path[0] == '\0') continue;
        const std::string path(peer.sun_path, strnlen(peer.sun_path, length - offsetof(sockaddr_un, sun_path)));
        if (IsSoundServerPath(path)) shutdown(int(fd), SHUT_RDWR);
    }
    closedir(dir);
}

// The open waits for the server at most this long, then the connection is
// cut (by a watch of its own, so that SdlInitLock is never held longer).
constexpr auto OpenTimeLimit = std::chrono::milliseconds(1500);

struct OpenWatch {
    std::mutex Lock;
    std::condition_variable Done;
    bool Finished = false;   // the open returned
};

// SDL's audio is started under SdlInitLock (the caller holds it): SDL counts
// its subsystems and keeps its hints without a lock of its own, and the game
// thread starts the controllers and sets their hints. The lock is kept until
// SDL's audio thread has mixed once, past the hints it reads as it starts.
// A server that does not answer within OpenTimeLimit counts as none.
bool OpenOutput(Mixer& mix, SDL_AudioDeviceID& device) {
    if (!mix.Init && !LoadMixer(mix)) return false;
    const char* named = std::getenv("SDL_AUDIODRIVER");
    Sound.ThroughServer.store(named == nullptr || *named == '\0' || std::strstr(named, "pulse") != nullptr ||
                              std::strstr(named, "pipewire") != nullptr);
    if (named == nullptr || *named == '\0') {
        const std::string drivers = DriversToTry();
        if (drivers.empty()) return false;   // nothing could play yet
        SDL_SetHint(SDL_HINT_AUDIODRIVER, drivers.c_str());
    }
    OpenWatch watch;
    Sound.Opening.store(true);
    std::thread watcher([&watch] {
        std::unique_lock<std::mutex> lock(watch.Lock);
        if (!watch.Done.wait_for(lock, OpenTimeLimit, [&watch] { return watch.Finished; })) CutSoundServerConnections();
    });
    bool open = false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
        mix.Init(MIX_INIT_OGG);
        // 48 kHz float stereo, the track's own rate, in chunks of about 43 ms.
        // SDL lets a closing output play on for two chunks, on top of the
        // quit's fade: with 85 ms chunks a quit took 0.45 s, with these
        // 0.3 s, for about 0.2 % of a core more while the music plays.
        Sound.FirstMixDone.store(false, std::memory_order_relaxed);
        Gain.FadeNow.store(0);
        Gain.FadeTarget.store(0);
        Gain.SpeechNow = Gain.Lowered.load() ? LoweredLevel : 1.0f;
        const int changes = SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE;
        if (mix.OpenAudioDevice(OutputRate, AUDIO_F32SYS, 2, 2048, nullptr, changes) == 0) {
            int frequency = 0, channels = 0;
            Uint16 format = 0;
            mix.QuerySpec(&frequency, &format, &channels);
            Gain.Channels = channels;
            mix.SetPostMix(ApplyGain, nullptr);
            open = true;
        } else {
            mix.Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
    }
    {
        std::lock_guard<std::mutex> lock(watch.Lock);
        watch.Finished = true;
    }
    watch.Done.notify_all();
    watcher.join();
    Sound.Opening.store(false);
    if (!open) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (!Sound.FirstMixDone.load(std::memory_order_acquire) && !Sound.EndAsked.load() &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The mixer's output is the only device this process opens: the first
    // one running is it (its number is kept inside the mixer).
    device = 0;
    for (SDL_AudioDeviceID id = 2; id < 64 && device == 0; ++id)
        if (SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED) device = id;
    return true;
}

// [SECTION] Carrying out requests (sound thread)

enum class Wanted { Stopped, Playing, Paused };

struct Playback {
    Mix_Music* Music = nullptr;
    const uint8_t* Track = nullptr;   // the file asked for last
    size_t Size = 0;
    Wanted State = Wanted::Stopped;   // what the game asked for, kept over a lost output
    double PausedAt = 0;              // seconds into the track: where a resume goes on
    bool HaltAtSilence = false;       // a fade-out under way ends the track when it is silent
};

// Starts the track (loaded if need be) at a position, fading in from silence.
void StartTrack(Mixer& mix, Playback& now, double at, int fadeMs) {
    if (!now.Music && now.Track) now.Music = mix.LoadMUS_RW(SDL_RWFromConstMem(now.Track, int(now.Size)), 1);
    if (!now.Music) return;
    FadeTowards(0, 0);
    Gain.FadeNow.store(fadeMs > 0 ? 0.0f : 1.0f);
    mix.FadeInMusicPos(now.Music, -1, 0, at);
    FadeTowards(1, fadeMs);
}

// Where the track will be once a fade-out from the present level has ended;
// the track loops, so past its end is its start again.
double PositionAfterFade(Mixer& mix, Playback& now, int fadeMs) {
    double at = mix.GetMusicPosition(now.Music) + Gain.FadeNow.load() * fadeMs / 1000.0;
    if (double length = mix.MusicDuration(now.Music); length > 0)
        while (at >= length) at -= length;
    return at < 0 ? 0 : at;
}

// Without an output (open is false) only what is wanted is noted: it is
// carried out when the output opens again.
void Carry(Mixer& mix, Playback& now, const MusicRequest& request, bool open) {
    const bool sounding = open && now.Music && mix.PlayingMusic();
    switch (request.Kind) {
    case MusicRequestKind::Play:
        if (now.Track != request.Track) {
            if (now.Music) {
                mix.HaltMusic();
                mix.FreeMusic(now.Music);
                now.Music = nullptr;
            }
            now.Track = request.Track;
            now.Size = request.Size;
        } else if (sounding) {
            // Still fading out: it fades in again from where it is.
            now.State = Wanted::Playing;
            now.HaltAtSilence = false;
            FadeTowards(1, request.FadeMs);
            break;
        }
        now.State = Wanted::Playing;
        now.HaltAtSilence = false;
        if (open) StartTrack(mix, now, 0.0, request.FadeMs);
        break;
    case MusicRequestKind::Stop:
        now.State = Wanted::Stopped;
        now.PausedAt = 0;
        if (!sounding) break;
        FadeTowards(0, request.FadeMs);
        now.HaltAtSilence = true;
        break;
    case MusicRequestKind::Pause:
        if (now.State != Wanted::Playing) break;
        now.State = Wanted::Paused;
        if (!sounding) break;
        now.PausedAt = PositionAfterFade(mix, now, request.FadeMs);
        FadeTowards(0, request.FadeMs);
        now.HaltAtSilence = true;
        break;
    case MusicRequestKind::Resume:
        if (now.State != Wanted::Paused) break;
        now.State = Wanted::Playing;
        if (sounding) {
            now.HaltAtSilence = false;
            FadeTowards(1, request.FadeMs);
        } else if (open) {
            StartTrack(mix, now, now.PausedAt, request.FadeMs);
        }
        break;
    }
}

// A fade-out that has reached silence ends the track.
void HaltIfSilent(Mixer& mix, Playback& now) {
    if (!now.HaltAtSilence || Gain.FadeNow.load() > 0) return;
    mix.HaltMusic();
    now.HaltAtSilence = false;
}

// Closes the output (a lost one too); what was wanted is kept, and a track
// that was playing goes on from where it was when the output comes back.
void CloseOutput(Mixer& mix, Playback& now) {
    if (now.Music && mix.PlayingMusic() && now.State == Wanted::Playing) now.PausedAt = mix.GetMusicPosition(now.Music);
    else if (now.State == Wanted::Playing) now.PausedAt = 0;
    mix.HaltMusic();
    if (now.Music) mix.FreeMusic(now.Music);
    now.Music = nullptr;
    now.HaltAtSilence = false;
    mix.SetPostMix(nullptr, nullptr);
    mix.CloseAudio();
    mix.Quit();
    std::lock_guard<std::mutex> lock(SdlInitLock);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// SDL's audio thread mixes a chunk at a time, and an output that plays in
// real time (no server buffering ahead) mixes the fade's last chunk up to a
// chunk after the fade was due to end: it is waited for this much longer.
constexpr auto FadeOutLag = std::chrono::milliseconds(100);

// The fade-out a program's end asked for is heard to its end, which the
// request set (StopSound cuts a server that holds the close up soon after).
void FinishFade(Mixer& mix, Playback& now, std::chrono::steady_clock::time_point fadeOutEnds) {
    const auto deadline = fadeOutEnds + FadeOutLag;
    while (now.HaltAtSilence && mix.PlayingMusic() && Gain.FadeNow.load() > 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// Waits between tries to open the output: from a quarter second up to two
// seconds, so a server that comes back is heard within three seconds and a
// machine without one costs nearly nothing.
constexpr auto FirstRetry = std::chrono::milliseconds(250);
constexpr auto LongestRetry = std::chrono::milliseconds(2000);
// How often an open output is checked for having gone (its server ended).
// A track coming back with its output fades in over this long.
constexpr int ComebackFadeMs = 300;
constexpr auto OutputCheck = std::chrono::milliseconds(250);

void SoundThread() {
    Mixer mix{};
    SDL_AudioDeviceID device = 0;
    bool open;
    {
        std::lock_guard<std::mutex> lock(SdlInitLock);
        open = OpenOutput(mix, device);
    }
    Playback now;
    auto retry = FirstRetry;
    auto nextTry = std::chrono::steady_clock::now() + retry;
    for (;;) {
        std::vector<MusicRequest> requests;
        bool ending;
        std::chrono::steady_clock::time_point fadeOutEnds;
        {
            std::unique_lock<std::mutex> lock(Sound.HandOver.Lock);
            auto until = std::chrono::steady_clock::now() + OutputCheck;
            if (open && now.HaltAtSilence) until = std::chrono::steady_clock::now() + std::chrono::milliseconds(10);
            if (!open) until = nextTry;
            // Without an output and nothing to play, nothing is tried.
            auto idle = [&] { return !open && now.State != Wanted::Playing; };
            auto woken = [] { return !Sound.HandOver.Requests.empty() || Sound.HandOver.Ending; };
            if (idle()) Sound.HandOver.Wake.wait(lock, woken);
            else Sound.HandOver.Wake.wait_until(lock, until, woken);
            requests.swap(Sound.HandOver.Requests);
            ending = Sound.HandOver.Ending;
            fadeOutEnds = Sound.HandOver.FadeOutEnds;
        }
        for (const MusicRequest& request : requests) Carry(mix, now, request, open);
        if (ending) {
            if (open) FinishFade(mix, now, fadeOutEnds);
            break;
        }
        if (open) {
            HaltIfSilent(mix, now);
            if (device != 0 && SDL_GetAudioDeviceStatus(device) == SDL_AUDIO_STOPPED) {
                CloseOutput(mix, now);
                open = false;
                retry = FirstRetry;
                nextTry = std::chrono::steady_clock::now() + retry;
            }
        } else if (now.State == Wanted::Playing && std::chrono::steady_clock::now() >= nextTry) {
            {
                std::lock_guard<std::mutex> lock(SdlInitLock);
                open = OpenOutput(mix, device);
            }
            if (open) {
                StartTrack(mix, now, now.PausedAt, ComebackFadeMs);
                retry = FirstRetry;
            } else {
                retry = std::min(LongestRetry, retry * 2);
                nextTry = std::chrono::steady_clock::now() + retry;
            }
        }
    }
    if (open) CloseOutput(mix, now);
    std::lock_guard<std::mutex> lock(Sound.HandOver.Lock);
    Sound.HandOver.Ended = true;
    Sound.HandOver.Wake.notify_all();
}

// [SECTION] Handing over (game thread)

void Ask(const MusicRequest& request) {
    if (!Sound.Started) return;
    std::lock_guard<std::mutex> lock(Sound.HandOver.Lock);
    if (request.Kind == MusicRequestKind::Stop || request.Kind == MusicRequestKind::Pause)
        Sound.HandOver.FadeOutEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(request.FadeMs);
    Sound.HandOver.Requests.push_back(request);
    Sound.HandOver.Wake.notify_all();
}

}  // namespace

// [SECTION] The platform's sound operations

void StartSoundOutput() {
    if (Sound.Started || !Sdl.Started) return;
    // Hints are set here, on the game thread, before the sound thread reads
    // them; the driver to try is the sound thread's to choose, each time
    // (a sound server may come later).
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Veldrune");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Music");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game");
    Sound.HandOver.Requests.clear();
    Sound.HandOver.Ending = false;
    Sound.HandOver.Ended = false;
    Sound.EndAsked.store(false);
    try {
        Sound.Thread = std::thread(SoundThread);
    } catch (const std::system_error&) {
        return;   // no thread, no music
    }
    Sound.Started = true;
}

void PlayMusic(const uint8_t* ogg, size_t size, int fadeInMs) {
    if (ogg == nullptr || size == 0) return;
    Ask({MusicRequestKind::Play, fadeInMs, ogg, size});
}

void StopMusic(int fadeOutMs) { Ask({MusicRequestKind::Stop, fadeOutMs, nullptr, 0}); }
void PauseMusic(int fadeOutMs) { Ask({MusicRequestKind::Pause, fadeOutMs, nullptr, 0}); }
void ResumeMusic(int fadeInMs) { Ask({MusicRequestKind::Resume, fadeInMs, nullptr, 0}); }

// [SECTION] Lowered for speech

// A quarter of its loudness while speech is heard (down in 0.1 s, up again
// in 0.3 s); the gain ramps on the mixed output.
void LowerMusicForSpeech(bool lowered) { Gain.Lowered.store(lowered, std::memory_order_relaxed); }

// [SECTION] Life cycle

// Waits for the sound thread to hear its last fade-out and close the output.
// The close waits inside SDL until the server asks for more sound: a frozen
// server never does, and a live one just after the output opened may not for
// half a second. So 0.15 s after the last fade-out was due to end (by then
// its end has been mixed and heard; what is left is silence) the connection
// to the server is cut, which ends that wait, and the thread is always joined.
void StopSound() {
    if (!Sound.Started) return;
    {
        std::unique_lock<std::mutex> lock(Sound.HandOver.Lock);
        Sound.HandOver.Ending = true;
        Sound.EndAsked.store(true);
        Sound.HandOver.Wake.notify_all();
        if (Sound.Opening.load()) CutSoundServerConnections();
        const auto cut = std::max(std::chrono::steady_clock::now(), Sound.HandOver.FadeOutEnds) + FadeOutLag +
                         std::chrono::milliseconds(50);
        if (!Sound.HandOver.Wake.wait_until(lock, cut, [] { return Sound.HandOver.Ended; })) {
            CutSoundServerConnections();
            Sound.HandOver.Wake.wait(lock, [] { return Sound.HandOver.Ended; });
        }
    }
    Sound.Thread.join();
    Sound.Started = false;
}
