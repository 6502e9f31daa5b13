// core.h — the program's spine: settings in memory, start-up and shutdown,
// the frame loop, the debug overlay and screenshots.
//
// All game state is process-wide and lives in a few plain structs, grouped by
// lifetime:
//   Cfg      the settings in memory; set at start-up. Never cleared.
//            Memory is the truth for every key but three kinds, for which
//            the file is: the [Controls] names, re-read every frame on the
//            controls pages, and settings.debugger and settings.screenshots,
//            re-read from the file by the overlay key and the screenshot key
//            before they write them (core/settings_keys.h lists every key).
//   App      the ways out of the frame loop and the running-time counter.
//            Never cleared.
//   FrameRate  the frame-rate counter. Never cleared.
//   CapturedBindings  key bindings captured while another instance held the
//            settings file, waiting to be written. Cleared when written.
//   Music    whether the menu's music has been asked to play. Never cleared.
// The menu's state is in menu/menu.h, the loaded assets' in assets/assets.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/settings_keys.h"
#include "platform/platform.h"

// [SECTION] Names the whole program shares

inline const char* const GameTitle = "Veldrune";   // the version: core/version.h, made by CMake
inline const char* const SettingsFileName = "Veldrune.cfg";
inline const char* const ScreenshotPrefix = "Screenshot_";   // + number + ".png"

// [SECTION] Settings in memory

// One member per key of the settings file, named by its key, so that
// `Cfg.settings.language` reads like the line "settings.language = German";
// the initial values are the keys' defaults. The key table
// (core/settings_keys.h) gives each key's group, type and writers.
struct GameSettings {
    // [Screen]
    int32_t ScreenW = 800;    // screen width in pixels
    int32_t ScreenH = 600;    // screen height in pixels
    int32_t ScreenD = 32;     // colour depth in bits (full screen)
    int32_t ScreenF = 85;     // refresh rate in Hz (full screen)
    int32_t ScreenS = 1;      // windowed modes: 1 = stretch the picture to the window

    // [Settings]
    struct {
        int32_t fps = 0;                 // frame-rate text: 0 off, 1..4 a corner
        int32_t info = 0;                // 1 = information line
        std::string page = "Main";       // "GraphicRes" = open once on the Resolution page
        int32_t screenshots = 0;         // number of the last screenshot
        std::string font = "Papyrus";    // face of the menu fonts, also naming their file
        int32_t fontsize = 11;           // MenuFont points, used up to 15
        std::string fontstyle = "Normal";// "Normal" = regular MenuFont, anything else bold
        std::string language = "German"; // "German" or anything else (English)
        int32_t screenmode = 3;          // 1 framed window, 2 borderless, 3 full screen
        int32_t music = 1;               // 1 = music plays, 0 = not; any other value plays nothing
        std::string speech = "desktop";  // "1" = the menu speaks, "0" = never; anything else
                                         // follows the desktop's screen reader
        int32_t effects = 1;             // read, not used by the menu
        int32_t debugger = 0;            // 1 = debug overlay shown
        struct {                         // (the file spells these keys "debbuger")
            int32_t titlered = 200, titlegreen = 30, titleblue = 30;
            int32_t textred = 160, textgreen = 160, textblue = 160;
        } debbuger;
    } settings;

    // [Controls] — stored key names
    std::string Forward = "W";
    std::string Backward = "S";
    std::string Left = "A";
    std::string Right = "D";
    std::string Duck = "Strg";
    std::string Jump = "Alt";
    std::string Journal = "J";
    std::string Scrshot = "F12";
};
extern GameSettings Cfg;

// True when every language-dependent choice takes the German form.
bool IsGerman();
// The menu's words in its language (assets/menu_words.h).
struct MenuWords;
const MenuWords& Words();

// Reads every key of [Screen], [Settings] and [Controls] from the open file
// (a group that is absent gives the defaults).
void ReadAllSettings();
// Reads the eight [Controls] names from the settings file into Cfg.
void ReadControls();

// The eight [Controls] bindings, in the order of the key table.
constexpr int BindingCount = 8;

// Key bindings captured while another instance held the settings file: shown
// at once, written as soon as the file is free. Cleared when written.
struct BindingWrites {
    // The names waiting to be written, in the order of the [Controls] group
    // (Forward ... Scrshot); an empty name waits for nothing.
    std::string Pending[BindingCount];
};
extern BindingWrites CapturedBindings;

// Stores a captured key name for a [Controls] key: in Cfg at once, in the
// file now or, while another instance holds it, at a later frame.
void StoreBinding(const char* settingKey, const std::string& keyName);
// Writes the waiting bindings; without `wait` a busy file leaves them waiting.
void WritePendingBindings(bool wait);
int PendingBindingCount();

// [SECTION] Application flags and running time

// A value one thread writes and another reads. Copying one (a state struct
// reset by one assignment) copies its value.
template <typename T>
struct SharedValue : std::atomic<T> {
    using std::atomic<T>::atomic;
    using std::atomic<T>::operator=;
    SharedValue() = default;
    SharedValue(const SharedValue& other) : std::atomic<T>(other.load()) {}
    SharedValue& operator=(const SharedValue& other) {
        this->store(other.load());
        return *this;
    }
};

struct AppState {
    int QuitRequested = 0;      // Escape on the main page: end after this frame
    int RestartRequested = 0;   // a new size was chosen: restart after this frame
    int NewScreenWidth = 0;     // the size the restart writes
    int NewScreenHeight = 0;
    // Written only by RuntimeWorker; read by the overlay. The text is formed by
    // the reader, so the hand-over is one atomic 32-bit value.
    SharedValue<int32_t> RuntimeMs{0};
    SharedValue<int32_t> RuntimePasses{0};  // 0 until the worker's first pass
};
extern AppState App;

// The seconds the worker has counted, or "" before its first pass.
std::string RuntimeText();
void RuntimeWorker(int param);

// [SECTION] Frame-rate counter

struct FrameCounter {
    uint32_t FrameWindowStart = 0;  // ms at the start of the window, 0 = not started
    int FramesInWindow = 0;         // frames drawn in the current window
    int LastRate = 0;               // frames of the last closed window
    std::string FpsText;            // its decimal text, "" until the first window closes
};
// (Not "Frames": the test harness names its frame-running helper so.)
extern FrameCounter FrameRate;

// [SECTION] Music

// The music plays while settings.music is 1 and nowhere else: from start-up,
// quiet while the game waits in the background, until the end.
struct MusicState {
    bool Begun = false;     // the first frame was presented: the music follows the setting
    bool Playing = false;   // the track was asked to play and not to stop since
};
extern MusicState Music;

// Plays or stops the music to match settings.music, fading over fadeMs.
void FollowMusicSetting(int fadeMs);
void BeginMusic();            // after the first frame is presented
void MusicToBackground();     // before the focus-loss wait
void MusicFromBackground();   // after it, unless the program is ending
void EndMusic();              // at shutdown

// How long each change fades, in milliseconds.
constexpr int MusicStartFadeMs = 2000;       // the first notes at start-up
constexpr int MusicChoiceFadeMs = 300;       // On or Off on the Music page: heard within 0.5 s
constexpr int MusicBackgroundFadeMs = 300;   // into the focus-loss wait
constexpr int MusicReturnFadeMs = 1000;      // back from it
constexpr int MusicQuitFadeMs = 150;         // the program ends (its end is heard within 0.5 s of the key)

// [SECTION] Procedures

int RunProgram();             // start-up, frame loop, shutdown; returns the exit code
void StartUp();               // everything before the first frame
void OpenScreenForMode();     // opens window/screen according to settings.screenmode
void ReturnToResolutionPage();
void RunFrame();              // one pass of the loop
void FocusLossPath();
void RunRestart();
void ShutDown();
void CountFrame();            // frame-rate bookkeeping
void DrawFrameTexts();        // frame-rate text and information line

void DrawOverlay();           // inside the frame's text pass
void CheckOverlayToggle();    // the Grave key
void CheckScreenshotKey();    // the screenshot key, late in the frame
void TakeScreenshot();

// Resets every piece of process-wide state to its start value (tests run
// many programs in one process).
void ResetGameState();
