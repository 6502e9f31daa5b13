// recording_platform.cpp — the scripted test platform: replays the keyboard and
// mouse state the test sets in `Rec`, answers as scripted, and records every
// call of the game in order. The settings file is the real one.
#include "recording/recording_platform.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>

#include "core/core.h"   // SettingsFileName, for the snapshot at LaunchProgram
#include "formats/png_codec.h"
#include "platform/shared/file_safety.h"
#include "platform/shared/input_edges.h"

RecordingPlatform Rec;

// [SECTION] Hidden input state

namespace {

// What the game sees apart from what the test sets: the snapshots the last
// polls took and the seen-down marks of the released-tests. They are not in
// `Rec` because a test sets the physical state (Rec.KeyDown); what the game
// sees is only what the last poll took. Reset with the recording.
struct HiddenState {
    struct {
        bool Snapshot[KeySlotCount] = {};
        bool SeenDown[KeySlotCount] = {};
        bool LastPollOk = false;   // false before the first poll and after a failed one
    } Keyboard;
    struct {
        int X = 0, Y = 0;
        bool Buttons[4] = {};
    } Mouse;
    struct {   // kept as the keyboard's are
        bool Snapshot[PadButtonCount] = {};
        bool SeenDown[PadButtonCount] = {};
        int StickX = 0, StickY = 0;
    } Controller;
    size_t ModeCursor = 0;     // 1-based position in Rec.Modes; 0 = before the first
    bool ModesListed = false;
    // Only the game thread records; the runtime worker calls Pause from its
    // own thread, and that call must neither touch the record nor move the clock.
    std::thread::id GameThread = std::this_thread::get_id();
};
HiddenState Hidden;

RecordedCall& Record(const char* op, std::initializer_list<int64_t> args = {},
                     const std::string& text = {}) {
    RecordedCall& call = Rec.Calls.emplace_back();
    call.Frame = Rec.Booting ? -1 : Rec.Frame;
    call.Op = op;
    call.Args = args;
    call.Text = text;
    return call;
}

// A call recorded, then answered.
template <class T>
T Recorded(const char* op, T answer) {
    Record(op);
    return answer;
}

bool KeyIndexValid(int key) { return key >= 0 && key < KeySlotCount; }

// Something (a file, a folder, a dangling link) has this name in the real folder of the test.
bool Taken(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

}  // namespace

void ResetRecording() {
    Rec = RecordingPlatform{};
    Hidden = HiddenState{};
}

// [SECTION] Reading the record

std::string Describe(const RecordedCall& call) {
    std::string line = call.Op;
    for (int64_t arg : call.Args) line += " " + std::to_string(arg);
    bool isText = call.Op == "DrawTextAt";
    if (isText || !call.Text.empty()) line += " " + call.Text;
    if (isText || call.Op == "ClearFrame") {
        line += " (" + std::to_string(call.Colour.r) + "," + std::to_string(call.Colour.g) + "," +
                std::to_string(call.Colour.b) + ")";
    }
    return line;
}

std::vector<std::string> Described(int frame, const std::vector<std::string>& ops) {
    std::vector<std::string> lines;
    for (const RecordedCall& call : Rec.Calls) {
        if (frame >= 0 && call.Frame != frame) continue;
        if (ops.empty() || std::find(ops.begin(), ops.end(), call.Op) != ops.end()) lines.push_back(Describe(call));
    }
    return lines;
}

std::vector<RecordedCall> CallsOf(const std::string& op) {
    std::vector<RecordedCall> found;
    for (const RecordedCall& call : Rec.Calls)
        if (call.Op == op) found.push_back(call);
    return found;
}

// [SECTION] Platform life cycle

bool StartPlatform() { return Recorded("StartPlatform", true); }

void StopPlatform() {
    Record("StopPlatform");
    Rec.ScreenOpen = false;
    Rec.Sprites.clear();
    Rec.Blendables.clear();
    Rec.Fonts.clear();
}

// [SECTION] Start-up of services

static bool StartService(const char* op, int index) {
    Record(op);
    return !Rec.ServiceFails[index];
}
bool StartKeyboardInput() { return StartService("StartKeyboardInput", 0); }
bool StartMouseInput() { return StartService("StartMouseInput", 1); }
bool StartSpriteSystem() { return StartService("StartSpriteSystem", 2); }
bool StartBlendingSystem() { return StartService("StartBlendingSystem", 3); }
bool StartMovieSystem() { return StartService("StartMovieSystem", 4); }

// [SECTION] Screen and windows

bool OpenGameWindow(int window, int x, int y, int innerW, int innerH, const std::string& title,
                    WindowStyle style) {
    Record("OpenGameWindow", {window, x, y, innerW, innerH, int(style)}, title);
    return true;
}

// A screen of a size that can exist opens.
static bool ScreenOpened(int width, int height) {
    if (width > 0 && height > 0) Rec.ScreenOpen = true;
    return width > 0 && height > 0;
}

bool OpenScreenInWindow(int window, int x, int y, int width, int height, bool stretch,
                        int rightOffset, int bottomOffset, bool vsync) {
    Record("OpenScreenInWindow", {window, x, y, width, height, stretch, rightOffset, bottomOffset, vsync});
    return ScreenOpened(width, height);
}

bool OpenGameScreen(int width, int height, int depthBits, const std::string& title, bool vsync,
                    int refreshHz) {
    Record("OpenGameScreen", {width, height, depthBits, vsync, refreshHz}, title);
    return ScreenOpened(width, height);
}

void CloseGameScreen() {
    Record("CloseGameScreen");
    Rec.ScreenOpen = false;
}

void CloseGameWindow(int window) { Record("CloseGameWindow", {window}); }
void MinimiseGameWindow(int window) { Record("MinimiseGameWindow", {window}); }

// The front scripted answer, taken; `otherwise` once the script has run out.
template <class T>
static T NextAnswer(std::deque<T>& script, T otherwise) {
    if (script.empty()) return otherwise;
    T answer = script.front();
    script.pop_front();
    return answer;
}

WindowEventKind AwaitWindowEvent() {
    Record("AwaitWindowEvent");
    return NextAnswer(Rec.WindowEvents, WindowEventActivated);
}

bool ScreenIsActive() {
    Record("ScreenIsActive");
    return NextAnswer(Rec.ScreenActive, Rec.ScreenOpen);
}

bool WindowCloseRequested() { return Recorded("WindowCloseRequested", Rec.CloseRequested); }

void ClearFrame(Color c) { Record("ClearFrame").Colour = c; }

void PresentFrame() {
    Record("PresentFrame");
    ++Rec.Frame;
    Rec.ClockMs += Rec.MsPerFrame;
}

std::string ScreenDriverName() { return Recorded("ScreenDriverName", "recording"); }

// [SECTION] Sprites and blending

// Only a hint about speed, nothing the game can see: not recorded.
void DecodeImagesAhead(const uint8_t* const*, const size_t*, int) {}

// The sprite under this number is replaced; by nothing when the size cannot exist.
static bool NewSprite(int sprite, int width, int height, int flags) {
    Rec.Sprites.erase(sprite);
    if (width <= 0 || height <= 0) return false;
    Rec.Sprites[sprite] = SpriteRecord{width, height, flags};
    return true;
}

bool LoadSpriteFromMemory(int sprite, const uint8_t* png, size_t pngSize, int flags) {
    Record("LoadSpriteFromMemory", {sprite, int64_t(pngSize), flags});
    PngHeader header{};
    if (!ReadPngHeader(png, pngSize, header)) header.width = 0;
    return NewSprite(sprite, header.width, header.height, flags);
}

bool CreateBlankSprite(int sprite, int width, int height, int flags) {
    Record("CreateBlankSprite", {sprite, width, height, flags});
    return NewSprite(sprite, width, height, flags);
}

bool MakeBlendable(int blendable, int sprite) {
    Record("MakeBlendable", {blendable, sprite});
    Rec.Blendables.erase(blendable);
    auto found = Rec.Sprites.find(sprite);
    if (found == Rec.Sprites.end() || (found->second.Flags & SpriteBlendable) == 0) return false;
    Rec.Blendables[blendable] = sprite;
    return true;
}

bool BeginBlending() { return Recorded("BeginBlending", true); }
void EndBlending() { Record("EndBlending"); }

// A blendable that does not exist draws nothing on the real platform, but the
// call is recorded all the same: page tests check what the game asked to draw,
// whether or not the assets behind the number were loaded.
void DrawBlended(int blendable, int x, int y, int alpha) {
    Record("DrawBlended", {blendable, x, y, alpha});
}

bool CaptureFrame(int sprite, int x, int y, int width, int height) {
    Record("CaptureFrame", {sprite, x, y, width, height});
    return NewSprite(sprite, width, height, 0);
}

// Answers Rec.NextSaveResult when it is not SaveOk; otherwise behaves like
// the real one: an exclusive save finds an existing file, and a successful
// save leaves a small file so that later saves see it.
SaveResult SaveSpriteAsPng(int sprite, const std::string& path, bool exclusive) {
    Record("SaveSpriteAsPng", {sprite, exclusive}, path);
    if (Rec.Sprites.find(sprite) == Rec.Sprites.end()) return SaveFailed;
    if (Rec.NextSaveResult != SaveOk) return Rec.NextSaveResult;
    if (exclusive && Taken(path)) return SaveExists;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return SaveFailed;
    const SpriteRecord& record = Rec.Sprites[sprite];
    out << "recorded " << record.Width << "x" << record.Height << "\n";
    return out ? SaveOk : SaveFailed;
}

// The real folder of the test, as the real platform looks.
bool PathTaken(const std::string& path) {
    Record("PathTaken", {}, path);
    return Taken(path);
}

void DeleteSprite(int sprite) {
    Record("DeleteSprite", {sprite});
    Rec.Sprites.erase(sprite);
}

// [SECTION] Text and fonts

bool BeginTextOn(int target) {
    Record("BeginTextOn", {target});
    return target == TextOnScreen || Rec.Sprites.count(target);
}

void SetTextTransparent() { Record("SetTextTransparent"); }
void EndText() { Record("EndText"); }

void UseFont(int font) {
    Record("UseFont", {font});
    Rec.SelectedFont = font;
}

static int CodePoints(const std::string& utf8) {
    int count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

int MeasureTextWidth(const std::string& utf8) {
    Record("MeasureTextWidth", {}, utf8).Font = Rec.SelectedFont;
    return Rec.CharWidth * CodePoints(utf8);
}

int MeasureTextHeight(const std::string& utf8) {
    Record("MeasureTextHeight", {}, utf8).Font = Rec.SelectedFont;
    return Rec.TextHeight;
}

void DrawTextAt(int x, int y, const std::string& utf8, Color c) {
    RecordedCall& call = Record("DrawTextAt", {x, y}, utf8);
    call.Colour = c;
    call.Font = Rec.SelectedFont;
}

bool LoadFontFace(int font, const std::string& face, int points, int style) {
    Record("LoadFontFace", {font, points, style}, face);
    Rec.Fonts.erase(font);
    if (face.empty() || points <= 0) return false;
    Rec.Fonts[font] = FontRecord{face, points, style};
    return true;
}

int RegisterFontFile(const std::string& path) {
    Record("RegisterFontFile", {}, path);
    Rec.RegisteredFonts.push_back(path);
    return 1;
}

void BroadcastFontChange() { Record("BroadcastFontChange"); }

bool UnregisterFontFile(const std::string& path) {
    Record("UnregisterFontFile", {}, path);
    auto found = std::find(Rec.RegisteredFonts.begin(), Rec.RegisteredFonts.end(), path);
    if (found == Rec.RegisteredFonts.end()) return false;
    Rec.RegisteredFonts.erase(found);
    return true;
}

// [SECTION] Input

bool PollKeyboard() {
    Record("PollKeyboard");
    Hidden.Keyboard.LastPollOk = !Rec.PollKeyboardFails;
    if (Hidden.Keyboard.LastPollOk)
        std::copy(std::begin(Rec.KeyDown), std::end(Rec.KeyDown), Hidden.Keyboard.Snapshot);
    return Hidden.Keyboard.LastPollOk;
}

// The real platform's rule (platform/shared/input_edges.h), over the last poll's snapshot.
bool KeyReleased(int key) {
    Record("KeyReleased", {key});
    if (!Hidden.Keyboard.LastPollOk) return false;
    if (key == KeyAny) return TakeAnyRelease(Hidden.Keyboard.Snapshot, Hidden.Keyboard.SeenDown, KeySlotCount);
    if (!KeyIndexValid(key)) return false;
    return TakeRelease(Hidden.Keyboard.Snapshot[key], Hidden.Keyboard.SeenDown[key]);
}

bool KeyHeld(int key) {
    Record("KeyHeld", {key});
    return Hidden.Keyboard.LastPollOk && KeyIndexValid(key) && Hidden.Keyboard.Snapshot[key];
}

bool PollMouse() {
    Record("PollMouse");
    Hidden.Mouse.X = Rec.MouseX;
    Hidden.Mouse.Y = Rec.MouseY;
    std::copy(std::begin(Rec.ButtonDown), std::end(Rec.ButtonDown), Hidden.Mouse.Buttons);
    return true;
}

int PointerX() { return Recorded("PointerX", Hidden.Mouse.X); }
int PointerY() { return Recorded("PointerY", Hidden.Mouse.Y); }

bool MouseButtonDown(int button) {
    Record("MouseButtonDown", {button});
    return button >= 1 && button <= 3 && Hidden.Mouse.Buttons[button];
}

// As on the real platform, the pointer of the current snapshot moves at once.
void PlaceMouse(int x, int y) {
    Record("PlaceMouse", {x, y});
    Rec.MouseX = Hidden.Mouse.X = x;
    Rec.MouseY = Hidden.Mouse.Y = y;
}

// A pulled-out controller leaves no release behind, as on the real platform.
bool PollController() {
    Record("PollController");
    for (int b = 0; b < PadButtonCount; ++b) {
        Hidden.Controller.Snapshot[b] = Rec.PadPlugged && Rec.PadDown[b];
        if (!Rec.PadPlugged) Hidden.Controller.SeenDown[b] = false;
    }
    Hidden.Controller.StickX = Rec.PadPlugged ? Rec.StickX : 0;
    Hidden.Controller.StickY = Rec.PadPlugged ? Rec.StickY : 0;
    return Rec.PadPlugged;
}

bool ControllerButtonDown(int button) {
    Record("ControllerButtonDown", {button});
    return button >= 0 && button < PadButtonCount && Hidden.Controller.Snapshot[button];
}

bool ControllerButtonReleased(int button) {
    Record("ControllerButtonReleased", {button});
    if (button < 0 || button >= PadButtonCount) return false;
    return TakeRelease(Hidden.Controller.Snapshot[button], Hidden.Controller.SeenDown[button]);
}

int ControllerStickX() { return Hidden.Controller.StickX; }
int ControllerStickY() { return Hidden.Controller.StickY; }

// [SECTION] Time and threads

uint32_t MillisecondsSinceStart() { return Recorded("MillisecondsSinceStart", Rec.ClockMs); }

// On the game thread a pause is recorded and moves the clock without
// sleeping; on any other thread (the runtime worker) it really sleeps.
void Pause(int milliseconds) {
    if (std::this_thread::get_id() != Hidden.GameThread) {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return;
    }
    Record("Pause", {milliseconds});
    if (milliseconds > 0) Rec.ClockMs += uint32_t(milliseconds);
}

// The procedure is remembered, not run: a worker started by every test would
// outlive it. Tests that want the thread run the procedure themselves.
int StartThread(ThreadProc proc, int param) {
    Record("StartThread", {param});
    if (proc == nullptr) return 0;
    Rec.ThreadProcs.push_back(proc);
    return int(Rec.ThreadProcs.size());
}

// [SECTION] Screen modes

bool ListScreenModes() {
    Record("ListScreenModes");
    Hidden.ModeCursor = 0;
    Hidden.ModesListed = !Rec.ListModesFails;
    return Hidden.ModesListed;
}

bool AdvanceScreenMode() {
    Record("AdvanceScreenMode");
    if (!Hidden.ModesListed || Hidden.ModeCursor >= Rec.Modes.size()) return false;
    ++Hidden.ModeCursor;
    return true;
}

// A field of the mode under the cursor, 0 where there is none.
static int ModeField(const char* op, int ScreenModeEntry::*field) {
    Record(op);
    if (!Hidden.ModesListed || Hidden.ModeCursor == 0 || Hidden.ModeCursor > Rec.Modes.size()) return 0;
    return Rec.Modes[Hidden.ModeCursor - 1].*field;
}
int ModeWidth() { return ModeField("ModeWidth", &ScreenModeEntry::Width); }
int ModeHeight() { return ModeField("ModeHeight", &ScreenModeEntry::Height); }
int ModeDepth() { return ModeField("ModeDepth", &ScreenModeEntry::Depth); }
int ModeRefreshRate() { return ModeField("ModeRefreshRate", &ScreenModeEntry::Refresh); }

// [SECTION] Sound

void StartSoundOutput() {
    Record("StartSoundOutput");
    Rec.SoundOutputStarted = true;
}

void PlayMusic(const uint8_t* ogg, size_t size, int fadeInMs) {
    Record("PlayMusic", {int64_t(size), fadeInMs});
    Rec.MusicTrack = ogg;
    if (Rec.SoundOutputStarted && ogg != nullptr && size > 0) Rec.Music = MusicPlaying;
}

void StopMusic(int fadeOutMs) {
    Record("StopMusic", {fadeOutMs});
    Rec.Music = MusicSilent;
}

void PauseMusic(int fadeOutMs) {
    Record("PauseMusic", {fadeOutMs});
    if (Rec.Music == MusicPlaying) Rec.Music = MusicPaused;
}

void ResumeMusic(int fadeInMs) {
    Record("ResumeMusic", {fadeInMs});
    if (Rec.Music == MusicPaused) Rec.Music = MusicPlaying;
}

// [SECTION] Speech

void WatchScreenReader() { Record("WatchScreenReader"); }
void StartSpeech() { Record("StartSpeech"); }
void StopSpeech() { Record("StopSpeech"); }

// Not recorded: the game asks every frame.
ScreenReaderSwitch ScreenReaderState() { return Rec.ScreenReader; }

void Say(const std::string& utf8, const char* language) {
    Record("Say", {}, utf8);
    Rec.Spoken.push_back({Rec.Booting ? -1 : Rec.Frame, language, utf8});
}

// [SECTION] Process

void ShowMessage(const std::string& title, const std::string& text) {
    Record("ShowMessage", {}, text);
    Rec.MessageTitles.push_back(title);
    Rec.Messages.push_back(text);
}

std::string ProgramPath() { return Recorded("ProgramPath", Rec.ProgramFile); }

bool LaunchProgram(const std::string& path) {
    Record("LaunchProgram", {}, path);
    Rec.Launched.push_back(path);
    std::string settings;   // "" when there is none
    ReadWholeFile(SettingsFileName, settings);
    Rec.SettingsAtLaunch.push_back(settings);
    return !Rec.LaunchFails;
}
