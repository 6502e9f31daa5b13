// platform.h — the one boundary between the game and the machine.
//
// The game logic (core/, menu/, assets/) calls nothing but what is declared
// here. Two implementations fill it in:
//   platform/sdl/ with platform/posix/
//                                  the program's: SDL2, SDL2_ttf, SDL2_mixer,
//                                  libpng and fontconfig, a file a concern
//                                  (sdl_platform.cpp: life cycle and events);
//                                  time, the thread and processes over POSIX;
//                                  speech and the screen-reader switch in
//                                  platform/desktop/;
//   tests/recording/recording_platform.cpp
//                                  a scripted one that replays keyboard and
//                                  mouse snapshots and records every call.
// platform/shared/ holds what neither wraps: the settings file on disk (over
// the text format in formats/settings_text.cpp), file safety, PNG files and
// the rule of when a key or button counts as let go, which both use; and the
// frame record and the pictures decoded ahead, which only the SDL side uses.
// platform/desktop/ holds the desktop's services the SDL side adds: speech
// and the screen-reader switch.
//
// No SDL type appears here, so the game can be linked against either side.
// Numbers of sprites, blendable objects and fonts are chosen by the caller;
// creating an object under a number in use replaces the old one, and an
// operation given a number that does not exist does nothing and returns
// false.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// [SECTION] Shared small types

struct Color {
    uint8_t r = 0, g = 0, b = 0;
};

// Physical keys, identified by position. The values are USB HID usage codes,
// all below 255, so a keyboard snapshot is 255 slots. The names follow the
// key caps of a US layout.
enum KeyCode : int {
    KeyNone = 0,
    KeyA = 4, KeyB, KeyC, KeyD, KeyE, KeyF, KeyG, KeyH, KeyI, KeyJ, KeyK, KeyL, KeyM,
    KeyN, KeyO, KeyP, KeyQ, KeyR, KeyS, KeyT, KeyU, KeyV, KeyW, KeyX, KeyY, KeyZ,  // 4..29
    Key1 = 30, Key2, Key3, Key4, Key5, Key6, Key7, Key8, Key9, Key0,                // 30..39
    KeyReturn = 40, KeyEscape = 41, KeyBackspace = 42, KeyTab = 43, KeySpace = 44,
    KeyGrave = 53,                                          // the key left of 1
    KeyF1 = 58, KeyF2, KeyF3, KeyF4, KeyF5, KeyF6, KeyF7, KeyF8, KeyF9, KeyF10, KeyF11, KeyF12,
    KeyRight = 79, KeyLeft = 80, KeyDown = 81, KeyUp = 82,
    KeyKeypadEnter = 88, KeyKeypad1 = 89,
    KeyLeftCtrl = 224, KeyLeftShift = 225, KeyLeftAlt = 226,
    KeyRightCtrl = 228, KeyRightShift = 229, KeyRightAlt = 230,
    KeyAny = -1,        // KeyReleased(KeyAny): any key at all
};
constexpr int KeySlotCount = 255;

// The buttons of a game controller the menu uses, by position, whatever the
// pad prints on them: south is A on Xbox-style pads and Cross on PlayStation
// pads, east is B and Circle.
enum PadButton : int {
    PadSouth = 0,
    PadEast,
    PadUp, PadDown, PadLeft, PadRight,    // the D-pad
    PadButtonCount,
};
constexpr int PadStickRange = 32767;      // the stick's axes run -32768 .. 32767

enum WindowStyle : int {
    WindowFramed = 0,           // title bar with system menu, centred on the desktop
    WindowBorderlessMaximised,  // no frame, shown maximised
    WindowMinimised,            // shown minimised, inner size 0 x 0 (the stand-by window)
};

enum WindowEventKind : int {
    WindowEventOther = 0,
    WindowEventActivated,       // the window gained the input focus or was restored
    WindowEventClosed,          // the player closed the window (close box, window manager)
};

enum SaveResult : int {
    SaveOk = 0,
    SaveExists,                 // an exclusive save found the file already there
    SaveFailed,
};

constexpr int SpriteBlendable = 4;       // the sprite flag that allows MakeBlendable
constexpr int FontStyleBold = 0x100;     // LoadFontFace style flag: weight 700
constexpr int TextOnScreen = -1;         // BeginTextOn target: the back buffer

// [SECTION] Platform life cycle

bool StartPlatform();             // brings up the video, text and timer services
void StopPlatform();              // closes screen and windows, frees every object

// [SECTION] Start-up of services (each returns success)

bool StartKeyboardInput();
bool StartMouseInput();
bool StartSpriteSystem();
bool StartBlendingSystem();
bool StartMovieSystem();

// [SECTION] Screen and windows

bool OpenGameWindow(int window, int x, int y, int innerW, int innerH,
                    const std::string& title, WindowStyle style);
bool OpenScreenInWindow(int window, int x, int y, int width, int height, bool stretch,
                        int rightOffset, int bottomOffset, bool vsync);
bool OpenGameScreen(int width, int height, int depthBits, const std::string& title,
                    bool vsync, int refreshHz);
void CloseGameScreen();
void CloseGameWindow(int window);
void MinimiseGameWindow(int window);
WindowEventKind AwaitWindowEvent();   // blocks until the next event of our windows
bool ScreenIsActive();
bool WindowCloseRequested();          // the player asked the window to close
void ClearFrame(Color c);
void PresentFrame();                  // waits for the vertical blank, or paces itself
std::string ScreenDriverName();       // e.g. "opengl"; for the information line

// [SECTION] Sprites and blending

bool LoadSpriteFromMemory(int sprite, const uint8_t* png, size_t pngSize, int flags);
// A hint, unseen by the game: these PNGs (the program's own, valid for the
// whole run) are about to be loaded by LoadSpriteFromMemory, so the platform
// may decode them ahead, on another core, while the screen comes up.
void DecodeImagesAhead(const uint8_t* const* pngs, const size_t* sizes, int count);
bool CreateBlankSprite(int sprite, int width, int height, int flags);
bool MakeBlendable(int blendable, int sprite);
bool BeginBlending();
void EndBlending();
void DrawBlended(int blendable, int x, int y, int alpha);
bool CaptureFrame(int sprite, int x, int y, int width, int height);
// exclusive: create the file only if it does not exist yet (SaveExists otherwise);
// not exclusive: replace an existing file.
SaveResult SaveSpriteAsPng(int sprite, const std::string& path, bool exclusive);
// Whether anything (a file, a folder, a link) already has this name; costs
// one lookup, so a search for a free file name is cheap.
bool PathTaken(const std::string& path);
void DeleteSprite(int sprite);

// [SECTION] Text and fonts

bool BeginTextOn(int target);         // TextOnScreen or a sprite number
void SetTextTransparent();
void UseFont(int font);
int MeasureTextWidth(const std::string& utf8);
int MeasureTextHeight(const std::string& utf8);
void DrawTextAt(int x, int y, const std::string& utf8, Color c);
void EndText();                        // a sprite target is re-keyed on black
bool LoadFontFace(int font, const std::string& face, int points, int style);
int RegisterFontFile(const std::string& path);   // faces added
void BroadcastFontChange();
bool UnregisterFontFile(const std::string& path);

// [SECTION] Input

bool PollKeyboard();
bool KeyReleased(int key);             // edge-triggered and consuming; KeyAny allowed
bool KeyHeld(int key);                 // held at the last snapshot (a level); marks nothing
bool PollMouse();
int PointerX();
int PointerY();
bool MouseButtonDown(int button);      // 1 left, 2 right, 3 middle
void PlaceMouse(int x, int y);        // the pointer of this frame's snapshot moves too
// Every plugged-in game controller, merged into one snapshot per frame as the
// keyboard is: a button counts as held when it is held on any controller, the
// stick is the one pushed furthest. A controller plugged in or pulled out
// between polls shows from the next poll on. Returns whether any is plugged in.
bool PollController();
bool ControllerButtonDown(int button);     // PadButton held at the last snapshot (a level)
bool ControllerButtonReleased(int button); // edge-triggered and consuming, as KeyReleased
int ControllerStickX();                    // left stick, -32768 (left) .. 32767 (right); 0 when none
int ControllerStickY();                    // left stick, -32768 (up) .. 32767 (down); 0 when none

// [SECTION] Time and threads

uint32_t MillisecondsSinceStart();
void Pause(int milliseconds);
using ThreadProc = void (*)(int);
int StartThread(ThreadProc proc, int param);   // thread number, 0 on failure

// [SECTION] Screen modes

bool ListScreenModes();
bool AdvanceScreenMode();
int ModeWidth();
int ModeHeight();
int ModeDepth();
int ModeRefreshRate();

// [SECTION] Settings file (platform/shared/settings_file.cpp)

bool OpenSettingsFile(const std::string& path);   // whether an existing file was opened
bool SelectGroup(const std::string& group);       // whether the group exists
std::string ReadSettingText(const std::string& key, const std::string& fallback);
int32_t ReadSettingNumber(const std::string& key, int32_t fallback);
void WriteSettingText(const std::string& key, const std::string& text);
void WriteSettingNumber(const std::string& key, int32_t number);
void CloseSettingsFile();
// For a reader that must never wait (the controls pages read every frame):
// opens without the lock, since the file is only ever replaced whole and a
// reader always sees a whole file. Writes made in this session are not
// saved. A file unchanged since it was last read is not parsed again.
bool OpenSettingsFileToRead(const std::string& path);
// As OpenSettingsFile, but without waiting when another instance holds the
// file: then SettingsFileBusy() is true until closing and writes made in the
// session are not saved, so the caller can try again later.
bool OpenSettingsFileWithoutWaiting(const std::string& path);
bool SettingsFileBusy();
// Removes the temporary files that killed runs of the program left beside the
// settings file and, for the pictures named picturePrefix + number + ".png",
// in the working folder, where no running instance owns them any more.
void RemoveStaleTemporaryFiles(const std::string& settingsPath, const std::string& picturePrefix);

// [SECTION] Sound

// One music track, played by the platform on a thread of its own: none of
// these waits for the audio output, and without one (no device, no sound
// server) they do nothing and the program goes on silent. Fades are in
// milliseconds; 0 is at once.
void StartSoundOutput();          // begins opening the audio output, in the background; once
// Plays an Ogg Vorbis file (valid for the whole run) from its start, looping
// until it is stopped, fading in; replaces the track that is playing.
void PlayMusic(const uint8_t* ogg, size_t size, int fadeInMs);
void StopMusic(int fadeOutMs);    // fades out, then stops
void PauseMusic(int fadeOutMs);   // fades out, then holds its place
void ResumeMusic(int fadeInMs);   // from where it was paused, fading in

// [SECTION] Speech

// Words spoken through the desktop's speech service, and the desktop's
// screen-reader switch. Both live on threads of their own: reaching the
// speech service can start its server (over half a second), and a server or
// session bus that never answers must not hold up the frame. None of these
// waits. Without a speech service, or without a session bus, they do
// nothing and the switch reads off.
//
// Begins following the desktop's screen-reader switch, once; nothing else
// reads it. Never starts a session bus or the desktop's accessibility
// service where none runs.
void WatchScreenReader();
enum ScreenReaderSwitch : int {
    ScreenReaderNotKnown = 0,   // the watch has not heard from the desktop yet
    ScreenReaderOff,            // off, or no session bus, or no such switch on it
    ScreenReaderOn,
};
// The desktop's screen-reader switch as last seen.
ScreenReaderSwitch ScreenReaderState();
// Begins reaching the speech service, in the background, once. Nothing of
// it is loaded before.
void StartSpeech();
// Speaks a text in a language ("de", "en"), cutting off whatever is being
// said or waiting to be said: of several quick calls only the last is heard
// in full. While words are spoken the music plays lower.
void Say(const std::string& utf8, const char* language);
// Cuts off what is being said.
void StopSpeech();

// [SECTION] Process

void ShowMessage(const std::string& title, const std::string& text);
std::string ProgramPath();
bool LaunchProgram(const std::string& path);
