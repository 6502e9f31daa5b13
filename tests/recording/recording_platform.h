// recording_platform.h — a second implementation of platform/platform.h for
// tests: it replays scripted keyboard, mouse and controller state frame by frame and
// records every call the game makes, in order. The settings file stays the
// real one (platform/shared/settings_file.cpp), in a temporary directory.
//
// Everything scripted or recorded lives in one struct, `Rec`, reset by
// ResetRecording().
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

struct RecordedCall {
    int Frame = 0;                 // Rec.Frame when the call was made; -1 during Boot()
    std::string Op;                // "DrawBlended", "DrawTextAt", "OpenGameWindow", ...
    std::vector<int64_t> Args;     // integer arguments in the order of the signature
    std::string Text;              // the text / title / path argument, "" if none
    Color Colour;                  // DrawTextAt / ClearFrame only
    int Font = -1;                 // DrawTextAt / MeasureText*: the font selected by UseFont
};

struct ScreenModeEntry {
    int Width, Height, Depth, Refresh;
};

struct SpriteRecord {
    int Width = 0, Height = 0, Flags = 0;
};

struct FontRecord {
    std::string Face;
    int Points = 0, Style = 0;
};

// What a player would hear, following the sound calls as the real platform
// does: nothing before StartSoundOutput, a paused track only after a playing one.
enum HeardMusic : int {
    MusicSilent = 0,
    MusicPlaying,
    MusicPaused,
};

// One Say: in which frame, in which language, what.
struct SpokenWords {
    int Frame = 0;
    std::string Language;          // "de", "en"
    std::string Text;
};

struct RecordingPlatform {
    // [SECTION] What the next polls see (set by the test)
    bool KeyDown[KeySlotCount] = {};   // physical state of each key
    int MouseX = 0, MouseY = 0;        // pointer position (PlaceMouse moves it too)
    bool ButtonDown[4] = {};           // 1 left, 2 right, 3 middle
    bool PollKeyboardFails = false;
    bool PadPlugged = false;           // a game controller is plugged in
    bool PadDown[PadButtonCount] = {}; // its buttons (only while plugged in)
    int StickX = 0, StickY = 0;        // its left stick (only while plugged in)

    // [SECTION] Scripted answers
    bool ServiceFails[5] = {};         // keyboard, mouse, sprite, blending, movie
    // Answers of ScreenIsActive, front first; when empty the answer is whether a
    // screen is open (OpenGameScreen / OpenScreenInWindow, until CloseGameScreen),
    // as on the real platform, where a program that opened nothing is never active.
    std::deque<bool> ScreenActive;
    std::deque<WindowEventKind> WindowEvents;   // answers of AwaitWindowEvent; Activated when empty
    bool CloseRequested = false;       // WindowCloseRequested()
    std::vector<ScreenModeEntry> Modes;          // what ListScreenModes reports
    bool ListModesFails = false;
    uint32_t ClockMs = 1000;           // MillisecondsSinceStart()
    uint32_t MsPerFrame = 12;          // added to the clock by every PresentFrame
    int CharWidth = 8, TextHeight = 16;  // MeasureTextWidth = CharWidth * UTF-8 code points
    std::string ProgramFile = "/opt/veldrune/bin/veldrune";   // ProgramPath()
    bool LaunchFails = false;
    SaveResult NextSaveResult = SaveOk;   // SaveSpriteAsPng answers this (and writes a small file on SaveOk)
    ScreenReaderSwitch ScreenReader = ScreenReaderOff;   // the desktop's switch

    // [SECTION] Recorded
    int Frame = 0;                     // counts PresentFrame calls
    bool Booting = false;              // set by Boot(): its calls are recorded as frame -1
    std::vector<RecordedCall> Calls;
    std::map<int, SpriteRecord> Sprites;
    std::map<int, int> Blendables;     // blendable -> sprite
    std::map<int, FontRecord> Fonts;
    int SelectedFont = -1;             // the last UseFont
    std::vector<std::string> Launched; // paths given to LaunchProgram
    std::vector<std::string> Messages; // texts given to ShowMessage
    std::vector<std::string> RegisteredFonts;   // currently registered font files
    std::vector<std::string> MessageTitles;     // titles given to ShowMessage
    // The settings file's bytes at the moment of each LaunchProgram ("" when absent).
    std::vector<std::string> SettingsAtLaunch;
    std::vector<ThreadProc> ThreadProcs;        // procedures given to StartThread (not run)
    bool ScreenOpen = false;           // a screen is open (see ScreenActive)
    bool SoundOutputStarted = false;   // StartSoundOutput was called
    HeardMusic Music = MusicSilent;    // what the sound calls so far would play
    const uint8_t* MusicTrack = nullptr;   // the file PlayMusic was last given
    std::vector<SpokenWords> Spoken;   // every Say, in order
};
extern RecordingPlatform Rec;

// Forgets everything: script, answers and record. Keyboard marks too.
void ResetRecording();

// [SECTION] Reading the record

// "DrawBlended 4 0 0 255", "DrawTextAt 1 10 FPS:  (250,250,250)", ... — one
// line per call, for comparing whole sequences in a test.
std::string Describe(const RecordedCall& call);
// The calls of one frame (or of all frames and Boot() when frame < 0) whose Op is in
// `ops` (all ops when empty), described.
std::vector<std::string> Described(int frame, const std::vector<std::string>& ops = {});
// The recorded calls named `op`.
std::vector<RecordedCall> CallsOf(const std::string& op);
