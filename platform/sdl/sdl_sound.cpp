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

#include <SDL_mixer.h>
#include <dirent.h>
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

std::mutex SdlInitLock;

// [SECTION] State

namespace {

enum class MusicRequestKind { Play, Stop, Pause, Resume };

struct MusicRequest {
    MusicRequestKind Kind;
    int FadeMs;
    const uint8_t* Track;   // Play: the Ogg Vorbis file
    size_t Size;
};

// Shared by the game thread and the sound thread; every field under Lock,
// which either side holds only to copy a few values.
struct SoundHandOver {
    std::mutex Lock;
    std::condition_variable Wake;          // a request came, or the end; or the thread ended
    std::vector<MusicRequest> Requests;    // not yet carried out, oldest first
    bool Ending = false;                   // the program ends: finish the fade and close
    bool Ended = false;                    // the sound thread has closed everything
};

struct SdlSound {
    SoundHandOver HandOver;
    std::thread Thread;                    // game thread only: started once
    bool Started = false;                  // game thread only
    // Set by SDL's audio thread in its first mix, read by the sound thread.
    std::atomic<bool> FirstMixDone{false};
};
SdlSound Sound;

// The SDL2_mixer functions the thread uses, looked up in the loaded library.
struct Mixer {
    decltype(&Mix_Init) Init;
    decltype(&Mix_Quit) Quit;
    decltype(&Mix_OpenAudioDevice) OpenAudioDevice;
    decltype(&Mix_CloseAudio) CloseAudio;
    decltype(&Mix_LoadMUS_RW) LoadMUS_RW;
    decltype(&Mix_FreeMusic) FreeMusic;
    decltype(&Mix_FadeInMusicPos) FadeInMusicPos;
    decltype(&Mix_FadeOutMusic) FadeOutMusic;
    decltype(&Mix_HaltMusic) HaltMusic;
    decltype(&Mix_PlayingMusic) PlayingMusic;
    decltype(&Mix_FadingMusic) FadingMusic;
    decltype(&Mix_GetMusicPosition) GetMusicPosition;
    decltype(&Mix_MusicDuration) MusicDuration;
    decltype(&Mix_SetPostMix) SetPostMix;
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
    bool all = true;
    auto find = [&](auto& function, const char* name) {
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        all = all && function != nullptr;
    };
    find(mix.Init, "Mix_Init");
    find(mix.Quit, "Mix_Quit");
    find(mix.OpenAudioDevice, "Mix_OpenAudioDevice");
    find(mix.CloseAudio, "Mix_CloseAudio");
    find(mix.LoadMUS_RW, "Mix_LoadMUS_RW");
    find(mix.FreeMusic, "Mix_FreeMusic");
    find(mix.FadeInMusicPos, "Mix_FadeInMusicPos");
    find(mix.FadeOutMusic, "Mix_FadeOutMusic");
    find(mix.HaltMusic, "Mix_HaltMusic");
    find(mix.PlayingMusic, "Mix_PlayingMusic");
    find(mix.FadingMusic, "Mix_FadingMusic");
    find(mix.GetMusicPosition, "Mix_GetMusicPosition");
    find(mix.MusicDuration, "Mix_MusicDuration");
    find(mix.SetPostMix, "Mix_SetPostMix");
    return all;
}

void NoteFirstMix(void*, Uint8*, int) { Sound.FirstMixDone.store(true, std::memory_order_release); }

// SDL's audio is started under SdlInitLock (the caller holds it): SDL counts
// its subsystems and keeps its hints without a lock of its own, and the game
// thread starts the controllers and sets their hints. The lock is kept until
// SDL's audio thread has mixed once, past the hints it reads as it starts.
bool OpenOutput(Mixer& mix) {
    if (!LoadMixer(mix)) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    mix.Init(MIX_INIT_OGG);
    // 48 kHz float stereo, the track's own rate, in chunks of about 85 ms:
    // measured, half the CPU of 43 ms chunks, and a choice is still heard
    // within half a second (the chunk, then a 0.3 s fade).
    Sound.FirstMixDone.store(false, std::memory_order_relaxed);
    mix.SetPostMix(NoteFirstMix, nullptr);
    if (mix.OpenAudioDevice(48000, AUDIO_F32SYS, 2, 4096, nullptr, SDL_AUDIO_ALLOW_ANY_CHANGE) != 0) {
        mix.Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (!Sound.FirstMixDone.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    mix.SetPostMix(nullptr, nullptr);
    return true;
}

// [SECTION] Carrying out requests (sound thread)

struct Playback {
    Mix_Music* Music = nullptr;
    const uint8_t* Track = nullptr;   // the file Music was loaded from
    bool Paused = false;              // stopped by a pause: a resume goes on from PausedAt
    double PausedAt = 0;              // seconds into the track
};

void Carry(Mixer& mix, Playback& now, const MusicRequest& request) {
    switch (request.Kind) {
    case MusicRequestKind::Play:
        if (now.Music && now.Track != request.Track) {
            mix.HaltMusic();
            mix.FreeMusic(now.Music);
            now.Music = nullptr;
        }
        if (!now.Music && request.Track) {
            now.Music = mix.LoadMUS_RW(SDL_RWFromConstMem(request.Track, int(request.Size)), 1);
            now.Track = request.Track;
        }
        now.Paused = false;
        if (now.Music) mix.FadeInMusicPos(now.Music, -1, request.FadeMs, 0.0);
        break;
    case MusicRequestKind::Stop:
        now.Paused = false;
        if (request.FadeMs > 0) mix.FadeOutMusic(request.FadeMs);
        else mix.HaltMusic();
        break;
    case MusicRequestKind::Pause:
        if (!now.Music || !mix.PlayingMusic()) break;
        // Where the fade will have ended; the track loops, so past its end
        // is its start again.
        now.PausedAt = mix.GetMusicPosition(now.Music) + request.FadeMs / 1000.0;
        if (double length = mix.MusicDuration(now.Music); length > 0)
            while (now.PausedAt >= length) now.PausedAt -= length;
        now.Paused = true;
        if (request.FadeMs > 0) mix.FadeOutMusic(request.FadeMs);
        else mix.HaltMusic();
        break;
    case MusicRequestKind::Resume:
        if (!now.Paused || !now.Music) break;
        now.Paused = false;
        mix.FadeInMusicPos(now.Music, -1, request.FadeMs, now.PausedAt);
        break;
    }
}

// The fade-out a program's end asked for is heard to its end (it is short),
// then everything is closed (the caller holds SdlInitLock).
void Close(Mixer& mix, Playback& now) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    while (mix.PlayingMusic() && mix.FadingMusic() == MIX_FADING_OUT && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    mix.HaltMusic();
    if (now.Music) mix.FreeMusic(now.Music);
    now.Music = nullptr;
    mix.CloseAudio();
    mix.Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

// Every call into SDL and SDL2_mixer here is made holding SdlInitLock, which
// the game thread only ever tries (see OpenOutput).
void SoundThread() {
    Mixer mix{};
    bool open;
    {
        std::lock_guard<std::mutex> lock(SdlInitLock);
        open = OpenOutput(mix);
    }
    Playback now;
    for (;;) {
        std::vector<MusicRequest> requests;
        bool ending;
        {
            std::unique_lock<std::mutex> lock(Sound.HandOver.Lock);
            Sound.HandOver.Wake.wait(lock, [] { return !Sound.HandOver.Requests.empty() || Sound.HandOver.Ending; });
            requests.swap(Sound.HandOver.Requests);
            ending = Sound.HandOver.Ending;
        }
        // Without an output the requests are taken and dropped: silence.
        if (open) {
            std::lock_guard<std::mutex> lock(SdlInitLock);
            for (const MusicRequest& request : requests) Carry(mix, now, request);
        }
        if (ending) break;
    }
    if (open) {
        std::lock_guard<std::mutex> lock(SdlInitLock);
        Close(mix, now);
    }
    std::lock_guard<std::mutex> lock(Sound.HandOver.Lock);
    Sound.HandOver.Ended = true;
    Sound.HandOver.Wake.notify_all();
}

// [SECTION] Handing over (game thread)

void Ask(const MusicRequest& request) {
    if (!Sound.Started) return;
    std::lock_guard<std::mutex> lock(Sound.HandOver.Lock);
    Sound.HandOver.Requests.push_back(request);
    Sound.HandOver.Wake.notify_all();
}

}  // namespace

// [SECTION] The platform's sound operations

void StartSoundOutput() {
    if (Sound.Started || !Sdl.Started) return;
    // Hints are set here, on the game thread, before the sound thread reads them.
    const char* named = SDL_GetHint(SDL_HINT_AUDIODRIVER);
    if (named == nullptr || *named == '\0') {
        const std::string drivers = DriversToTry();
        if (drivers.empty()) return;   // nothing could play: no thread, silence
        SDL_SetHint(SDL_HINT_AUDIODRIVER, drivers.c_str());
    }
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Veldrune");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, "Music");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_ROLE, "game");
    Sound.HandOver.Requests.clear();
    Sound.HandOver.Ending = false;
    Sound.HandOver.Ended = false;
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

void LowerMusicForSpeech(bool) {}

// [SECTION] Life cycle

// Waits for the sound thread to close the output, up to a second (a fade-out
// under way takes at most 0.4 s of it). A thread still stuck opening the
// output (a sound server that never answers) is left behind, and false
// tells StopPlatform to leave SDL's audio alone.
bool StopSound() {
    if (!Sound.Started) return true;
    bool ended;
    {
        std::unique_lock<std::mutex> lock(Sound.HandOver.Lock);
        Sound.HandOver.Ending = true;
        Sound.HandOver.Wake.notify_all();
        ended = Sound.HandOver.Wake.wait_for(lock, std::chrono::seconds(1), [] { return Sound.HandOver.Ended; });
    }
    if (ended) Sound.Thread.join();
    else Sound.Thread.detach();
    Sound.Started = false;
    return ended;
}
