// sdl_internal.h — the SDL platform's own state, shared by its source files
// (sdl_platform.cpp: life cycle and events; sdl_screen.cpp: windows, modes,
// renderer, present and pacing; sdl_input.cpp: keyboard and mouse;
// sdl_controller.cpp: game controllers; sdl_graphics.cpp: sprites, blending,
// text and the frame record's replay; sdl_fonts.cpp: fonts; sdl_sound.cpp:
// the music, on a thread of its own), plus a few
// read-only views the platform tests use to look behind the boundary. The
// game logic never includes this file.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/shared/file_safety.h"
#include "platform/shared/frame_record.h"
#include "platform/platform.h"
#include "platform/shared/png_file.h"

// [SECTION] Limits

// The largest back buffer or sprite side we ever make, whatever the renderer
// claims: the settings file is hand-editable and a typo must not allocate
// gigabytes.
constexpr int MaxSurfaceSide = 8192;

// [SECTION] State

// No text target is selected (before BeginTextOn, after EndText, or when its
// sprite or screen went away).
constexpr int NoTextTarget = -2;

struct SdlSprite {
    int Width = 0, Height = 0;          // the sprite's size
    // The part of the sprite that is held and drawn: the box of its visible
    // pixels for a decoded picture (the rest is see-through), the whole
    // sprite otherwise. Empty (0 x 0) when nothing of it shows.
    SDL_Rect Held{0, 0, 0, 0};
    // ARGB8888 pixels of the held part. Kept for sprites that are drawn into
    // (blank sprites, captures); a decoded picture keeps them only until its
    // texture exists, and is decoded again from `Png` when a renderer needs it.
    SDL_Surface* Pixels = nullptr;
    SDL_Texture* Texture = nullptr;     // upload for the current renderer
    uint32_t TextureGeneration = 0;     // renderer generation the texture belongs to
    bool TextureStale = true;           // pixels changed since the upload
    int Flags = 0;
    uint64_t Identity = NewPixelsIdentity();  // new whenever the pixels are made or drawn into
    // The PNG a decoded picture came from; null for blank sprites and captures.
    const uint8_t* Png = nullptr;
    size_t PngSize = 0;
    // Holds the PNG's bytes when the caller's may go away (only bytes
    // announced as decoded ahead are known to live for the whole run).
    std::shared_ptr<std::vector<uint8_t>> PngCopy;
};

struct SdlFont {
    TTF_Font* Font = nullptr;
    std::string File;                   // the file it was opened from
    std::string Family;                 // the family name inside that file
    uint64_t Identity = NewPixelsIdentity();  // new whenever the font is (re)loaded
    // Extents of the lines drawn on the screen with it: a page draws the same
    // few texts every frame, and measuring each again would cost more than
    // the rest of a still frame. Goes with the font.
    std::unordered_map<std::string, std::pair<int, int>> Extents;
};

struct SdlGraphics {
    std::map<int, SdlSprite> Sprites;
    std::map<int, int> Blendables;      // blendable number -> sprite number
    std::map<int, SdlFont> Fonts;
    int SelectedFont = -1;
    int TextTarget = NoTextTarget;      // NoTextTarget, TextOnScreen, or a sprite number
    float ReportedDpiForTests = 0;      // what the display reports, for the tests; 0 = ask SDL
    // Font files registered for the run: path -> (family, registrations).
    struct Registration {
        std::string Family;
        int Count = 0;
    };
    std::map<std::string, Registration> FontFiles;
};

struct SdlScreen {
    SDL_Window* Window = nullptr;       // the window the screen draws into
    int WindowNumber = -1;              // its number, -1 when the screen owns it (full screen)
    SDL_Renderer* Renderer = nullptr;
    SDL_Texture* BackBuffer = nullptr;   // the frame, when it is not drawn straight into the window
    bool DrawDirect = false;            // this frame is drawn straight into the window (same size, no offset)
    uint32_t Generation = 0;            // bumped whenever sprite textures must be remade
    int Width = 0, Height = 0;
    bool FullScreen = false;
    bool Stretch = false;
    int AreaX = 0, AreaY = 0, RightOffset = 0, BottomOffset = 0;
    bool HasFocus = false;              // windowed: the screen's window holds the input focus
    bool FocusLostPending = false;      // full screen: focus went away, not yet judged
    bool Lost = false;                  // full screen: inactive until opened again
    bool TakenAway = false;             // full screen the desktop took away: a window of the desktop's, followed
    bool SoftwareSurface = false;       // SDL's software renderer: the window's frame is a surface we keep
    // Pacing (sdl_screen.cpp): passes end one refresh period apart.
    double FramePeriodMs = 1000.0 / 60.0;  // the display's refresh period, read again when it may change
    uint64_t NextDueTicks = 0;          // SDL performance counter when the next pass may end (0: a period after it starts)
};

struct SdlInput {
    bool KeyPhysical[KeySlotCount] = {};
    bool KeyPressedSincePoll[KeySlotCount] = {};
    bool KeySnapshot[KeySlotCount] = {};
    bool KeySeenDown[KeySlotCount] = {};
    bool KeyboardPolled = false;        // a poll has succeeded at least once
    bool LastPollOk = false;
    bool KeyboardStarted = false;
    bool MouseStarted = false;
    bool ButtonPhysical[4] = {};
    bool ButtonPressedSincePoll[4] = {};
    bool ButtonSnapshot[4] = {};
    int PointerX = 0, PointerY = 0;
    int PendingDx = 0, PendingDy = 0;
    bool CloseRequested = false;
};

struct SdlModes {
    struct Entry {
        int Width, Height, Depth, Refresh;
    };
    std::vector<Entry> List;
    int Cursor = -1;                    // before the first entry
};

// Game controllers (sdl_controller.cpp).
constexpr int MaxControllers = 8;
struct PadSlot {
    SDL_GameController* Pad = nullptr;          // the open controller; nullptr: a free slot
    SDL_JoystickID Id = -1;                     // its instance id, which SDL's events name
    bool Physical[PadButtonCount] = {};         // held now, as the button events tell
    bool PressedSincePoll[PadButtonCount] = {}; // went down since the last poll
};
struct SdlControllers {
    bool Started = false;           // the game-controller subsystem is up
    bool StartFailed = false;       // it would not start: not tried again this run
    int PollsBeforeStart = 1;       // polls that pass before the subsystem is started
    uint32_t NextDetectMs = 0;      // no controller open: when SDL is next asked for new ones
    PadSlot Slots[MaxControllers];
    bool Snapshot[PadButtonCount] = {};   // merged over every controller at the last poll
    bool SeenDown[PadButtonCount] = {};   // ControllerButtonReleased's marks
    int StickX = 0, StickY = 0;     // the stick pushed furthest at the last poll
    bool Plugged = false;           // a controller was open at the last poll
};

// The music (sdl_sound.cpp): the requests handed to the sound thread, its
// state, and the gain SDL's audio thread applies.
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
    // When the latest fade-out asked for (Stop, Pause) is over: the end
    // waits for the thread that long, and a little more, before it cuts the
    // connection to a server that holds the close up.
    std::chrono::steady_clock::time_point FadeOutEnds{};
};

struct SdlSound {
    SoundHandOver HandOver;
    std::thread Thread;                    // game thread only: started once
    bool Started = false;                  // game thread only
    // Set by SDL's audio thread in its first mix, read by the sound thread.
    std::atomic<bool> FirstMixDone{false};
    // The output is being opened (sound thread) and so may be stuck on a
    // sound server that never answers: the quit then cuts the connection.
    std::atomic<bool> Opening{false};
    // The output may be a sound server's (no other driver was named): only
    // then is there a connection to cut.
    std::atomic<bool> ThroughServer{false};
    // The program ends: waits of the sound thread's own stop short.
    std::atomic<bool> EndAsked{false};
};
// Every fade is one gain applied to the mixed output, sample by sample, so
// a fade that turns back starts from where the music is. The targets are
// set by any thread; the levels move only in SDL's audio thread.
struct MusicGain {
    std::atomic<float> FadeTarget{0};      // 0 or 1
    std::atomic<float> FadeStep{1};        // change per sample frame
    std::atomic<float> FadeNow{0};         // the fade's level; set elsewhere only while no music plays
    std::atomic<bool> Lowered{false};      // speech is heard: the music at a quarter of its loudness
    float SpeechNow = 1;                   // audio thread only: the speech ducking's level
    int Channels = 2;                      // of the opened output, set before the first mix
};

// The plain POSIX services the platform runs on (platform/posix/).
// Milliseconds on the monotonic clock (posix_services.cpp); reads no global.
uint64_t MonotonicMilliseconds();
struct SdlProcess {
    // When the program started, on the monotonic clock: taken as Sdl is made,
    // while the program is loaded and before main runs, so that
    // MillisecondsSinceStart counts from the program's start.
    uint64_t ClockStartMs = MonotonicMilliseconds();
    std::atomic<int> ThreadsStarted{0};   // threads StartThread started (any thread): the last one's number
    // KeepSessionBusFromStarting named the address no bus can have (session_bus.cpp):
    // a new instance must not inherit it. Set before any other thread runs.
    bool BusAddressIsOurs = false;
};

// The desktop's screen-reader switch, followed by a thread of its own
// (platform/desktop/screen_reader.cpp).
struct ScreenReaderWatch {
    std::atomic<int> Switch{ScreenReaderNotKnown};   // a ScreenReaderSwitch; written by the watch thread
    std::thread Thread;                              // game thread only
    bool Started = false;                            // game thread only: WatchScreenReader was called
    int WakePipe[2] = {-1, -1};                      // written by the game thread to end the watch
};

struct SdlPlatform {
    bool Started = false;
    std::map<int, SDL_Window*> Windows;
    // The renderers of windows that draw themselves (the stand-by window:
    // a Wayland compositor shows only a window that has drawn).
    std::map<int, SDL_Renderer*> WindowRenderers;
    // The full-screen window of a screen lost to another window, kept with
    // its renderer from CloseGameScreen until the stand-by window takes it
    // over: a desktop that never minimises keeps it where the player left
    // it (its workspace), and coming back there activates it. A new window
    // would open wherever the player is now.
    // When the player comes back, the stand-by window is parked again and
    // becomes the new full screen where it can (FULLSCREEN_DESKTOP both
    // times): a Wayland compositor may give a window made in that moment
    // its floating size instead of the output's.
    SDL_Window* ParkedWindow = nullptr;
    SDL_Renderer* ParkedRenderer = nullptr;
    int ParkedStandBy = -1;             // the window number of a stand-by window that is a parked one, -1: none
    SdlScreen Screen;
    SdlGraphics Graphics;
    SdlInput Input;
    SdlModes Modes;
    SdlControllers Controllers;
    SdlSound Sound;
    MusicGain Gain;
    SdlProcess Process;                 // the clock's start, threads started, the session bus address
    ScreenReaderWatch ScreenReader;     // the desktop's screen-reader switch
    // The speech service's state is not here: a speech thread stuck in a
    // server that does not answer may wake after the statics are gone, so it
    // lives on the heap, never destroyed (speech_service.cpp).
};
extern SdlPlatform Sdl;

// [SECTION] Helpers shared by the source files

// Frees every sprite, blendable and font (StopPlatform).
void FreeAllGraphics();
// Drops every sprite's texture; they are uploaded again on their next use.
void DropSpriteTextures();
// Fontconfig with our face alias; started and ended with the platform.
bool StartFontLookup();
void StopFontLookup();

// [SECTION] Events (sdl_platform.cpp)

// Handles everything queued, without waiting. Called at every poll and
// present so that the windows stay responsive whatever the game does.
void PumpEvents();
// Lets the window manager hand a new window the focus before the game's first
// ScreenIsActive, which would otherwise take the focus-loss path at once.
void WaitForFocus(SDL_Window* window, int milliseconds);

// [SECTION] The screen (sdl_screen.cpp)

// After a renderer device reset: every texture is gone; a new back buffer is
// made and the next frame is drawn whole.
void RecreateBackBufferAfterReset();
// Reads the display's refresh rate again (a mode switch, another output).
void ReadRefreshRate();
// Whether the window manager holds an X window full screen (its
// _NET_WM_STATE); true where that cannot be read (sdl_x11_state.cpp).
bool X11WindowHeldFullScreen(SDL_Window* window);
// Follows the desktop when it takes full screen away from the screen's window
// or gives it back (sdl_screen.cpp).
void FollowDesktopFullScreen();
// Destroys the parked full-screen window, if any (see SdlPlatform).
void DropParkedWindow();

// [SECTION] Replaying the frame record (sdl_graphics.cpp)

// Makes the buffer the frame is drawn into the renderer's target: the back
// buffer, or the window itself when the frame is drawn there directly.
// False when there is no screen.
bool SelectFrameTarget();
// Renders the ops into the current target, in order.
void RenderFrameOps(const std::vector<FrameOp>& ops);
// The same, clipped to each rectangle in turn, skipping ops outside it.
void RenderFrameOpsInside(const std::vector<FrameOp>& ops, const std::vector<FrameBox>& rects);
// The primitive renderers the replay calls, drawing into the current target.
void RenderClearNow(Color c);
void RenderSpriteNow(int sprite, int x, int y, int alpha);
void RenderTextNow(int font, int x, int y, const std::string& words, Color c);
// Renders the open record into the buffer unless it already holds it; the
// frame's later draws then go straight through. For reading the buffer
// (CaptureFrame).
void BringBackBufferUpToDate();
// Called just before a sprite or font changes or goes away: a frame that has
// already drawn must show the old pixels, as an immediate draw would have.
void BeforePixelsChange();

// [SECTION] Game controllers (sdl_controller.cpp)

// Folds a controller event into the controller state; other events are left alone.
void HandleControllerEvent(const SDL_Event& e);
// Closes every controller and the controller subsystem (StopPlatform).
void StopControllers();

// [SECTION] Music (sdl_sound.cpp)

// Held by the sound thread while it starts or ends SDL's audio (SDL keeps
// its subsystem counts and its hints without a lock of its own), never longer
// than the open's time limit; the game thread only ever tries it, where it
// starts a subsystem and sets hints (the controllers), and tries again at a
// later frame rather than wait.
extern std::mutex SdlInitLock;
// Ends the music's thread after its last fade-out, always joined: a sound
// server that never answers has its connection cut.
void StopSound();

// [SECTION] Views for the platform tests

SDL_Window* ScreenWindowForTests();
SDL_Window* GameWindowForTests(int window);
// The whole sprite, read from what it holds (pixels, else its texture).
bool SpritePixelsForTests(int sprite, RgbaImage& out);
// What a sprite holds: CPU pixels, a texture for the current renderer, and
// the box of it that is held.
struct SpriteHoldingForTests {
    bool Exists = false, HoldsPixels = false, HoldsTexture = false;
    int HeldX = 0, HeldY = 0, HeldW = 0, HeldH = 0;
};
SpriteHoldingForTests SpriteHoldingOfForTests(int sprite);
std::string FontFileForTests(int font);
std::string FontFamilyForTests(int font);
// Frames actually presented since the program started (unchanged frames are not).
uint64_t PresentCountForTests();
// Makes the platform believe the display reports this density (0: ask SDL
// again), and tells what it believes; fonts loaded afterwards must not change.
void ReportDisplayDpiForTests(float dpi);
int DisplayDpiForTests();
