// startup.cpp — the program's spine outside the frame loop: start-up, the
// screen per screen mode, the return to the resolution page, the running-time
// worker, the focus-loss path, the restart and the shutdown.
#include <string>

#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"

AppState App;

// [SECTION] Running time

// Passes counted by RuntimeWorker; the text is formed here, by the reader, so
// the only thing shared between the threads is two atomic counters.
std::string RuntimeText() {
    if (App.RuntimePasses.load(std::memory_order_acquire) == 0) return "";
    return std::to_string(App.RuntimeMs.load(std::memory_order_relaxed) / 1000);
}

// Runs for the whole life of the process when param is 0 (it is never joined;
// process exit ends it). A positive param runs that many passes and returns,
// so a test can run the real worker and wait for it.
void RuntimeWorker(int param) {
    for (int pass = 1; param <= 0 || pass <= param; ++pass) {
        App.RuntimeMs.fetch_add(100, std::memory_order_relaxed);
        App.RuntimePasses.fetch_add(1, std::memory_order_release);
        Pause(100);
    }
}

// [SECTION] Start-up

namespace {

struct ServiceRow {
    bool (*Start)();
    const char* FailureText;
};
// In start order; a service that fails is reported and start-up goes on.
const ServiceRow Services[] = {
    {StartKeyboardInput, "Tastatur konnte nicht initialisiert werden"},
    {StartMouseInput, "Maus konnte nicht initialisiert werden"},
    {StartSpriteSystem, "Sprite konnte nicht initialisiert werden"},
    {StartBlendingSystem, "Sprite3D konnte nicht initialisiert werden"},
    {StartMovieSystem, "Movie konnte nicht initialisiert werden"},
};

void OpenFullScreen() {
    OpenGameScreen(Cfg.ScreenW, Cfg.ScreenH, Cfg.ScreenD, GameTitle, true, Cfg.ScreenF);
}

bool IsWindowedMode() { return Cfg.settings.screenmode == 1 || Cfg.settings.screenmode == 2; }

// Reads every setting; the Application group is written on the way, so the
// file is rewritten at every start.
void ReadSettingsAtStart() {
    Cfg = GameSettings{};
    OpenSettingsFile(SettingsFileName);
    std::string program = ProgramPath();
    size_t slash = program.find_last_of("/\\");
    std::string folder = slash == std::string::npos ? "" : program.substr(0, slash + 1);
    std::string file = slash == std::string::npos ? program : program.substr(slash + 1);
    WriteSetting(SettingPath, folder);
    WriteSetting(SettingFile, file);
    ReadAllSettings();
    CloseSettingsFile();
}

}  // namespace

void StartUp() {
    // The pictures decode on another core while the settings are read and
    // the screen opens; nothing the game sees changes.
    DecodeEmbeddedImagesAhead();
    // A run killed while writing leaves its temporary files; nothing else
    // would ever remove them.
    RemoveStaleTemporaryFiles(SettingsFileName, ScreenshotPrefix);
    ReadSettingsAtStart();
    for (const ServiceRow& service : Services)
        if (!service.Start()) ShowMessage(GameTitle, service.FailureText);
    OpenScreenForMode();
    LoadAssets();
    PlaceMouse(400, 300);
    ReturnToResolutionPage();
    StartSpeechFollowing();
    StartThread(RuntimeWorker, 0);
}

// Results are ignored: a screen that cannot be opened shows as inactive, and
// the first frame takes the focus-loss path.
void OpenScreenForMode() {
    switch (Cfg.settings.screenmode) {
    case 1:
    case 2: {
        WindowStyle style = Cfg.settings.screenmode == 1 ? WindowFramed : WindowBorderlessMaximised;
        OpenGameWindow(0, 0, 0, Cfg.ScreenW, Cfg.ScreenH, GameTitle, style);
        OpenScreenInWindow(0, 0, 0, Cfg.ScreenW, Cfg.ScreenH, Cfg.ScreenS != 0, 0, 0, true);
        break;
    }
    case 3:
        OpenFullScreen();
        break;
    default:
        break;   // nothing opened
    }
}

// After a restart for a new size the menu comes back on the page where the
// size was chosen, with the sub column already slid over.
void ReturnToResolutionPage() {
    if (Cfg.settings.page != "GraphicRes") return;
    OpenSettingsFile(SettingsFileName);
    WriteSetting(SettingPage, "Main");
    CloseSettingsFile();
    if (ScreenSizeIndex() >= 0) PlaceSubColumn(ShiftedColumnX());
    Menu.MenuSelect = MenuResolution;
}

// [SECTION] Focus loss

namespace {

// Waits for the window to be activated. A close of the window during the wait
// ends the program instead of leaving it blocked behind a window that is gone.
bool AwaitActivation() {
    for (;;) {
        WindowEventKind kind = AwaitWindowEvent();
        if (kind == WindowEventActivated) return true;
        if (kind == WindowEventClosed) {
            App.QuitRequested = 1;
            return false;
        }
    }
}

}  // namespace

void FocusLossPath() {
    if (IsWindowedMode()) {
        MinimiseGameWindow(0);
        AwaitActivation();
        return;
    }
    // Full screen: the screen is gone; a minimised stand-by window waits in the
    // task bar until the player comes back, then everything is rebuilt.
    Pause(10);
    CloseGameScreen();
    OpenGameWindow(0, 0, 0, 0, 0, GameTitle, WindowMinimised);
    bool activated = AwaitActivation();
    CloseGameWindow(0);
    if (!activated) return;
    OpenFullScreen();
    LoadAssets();
}

// [SECTION] Restart and shutdown

// The new size and the page marker are on disk before the new instance reads
// them. A new instance that cannot be started (the program's file was
// replaced or removed while it ran, or starting it failed) does not end this
// one: it goes on at its current size on the page where the size was chosen,
// and the new size applies at the next start.
void RunRestart() {
    WritePendingBindings(true);   // the new instance reads them
    OpenSettingsFile(SettingsFileName);
    WriteSetting(SettingScreenW, App.NewScreenWidth);
    WriteSetting(SettingScreenH, App.NewScreenHeight);
    WriteSetting(SettingPage, "GraphicRes");
    CloseSettingsFile();
    Pause(10);
    if (LaunchProgram(ProgramPath())) return;
    App.RestartRequested = 0;
    Menu.MenuSelect = MenuResolution;
    OpenSettingsFile(SettingsFileName);
    WriteSetting(SettingPage, "Main");   // the next start opens on the main page as usual
    CloseSettingsFile();
}

void ShutDown() {
    EndMusic();
    WritePendingBindings(true);
    if (!Assets.RegisteredFontPath.empty()) UnregisterFontFile(Assets.RegisteredFontPath);
}

int RunProgram() {
    // Without its platform the program could only wait for window events that
    // never come; it ends at once instead.
    if (!StartPlatform()) return 1;
    StartUp();
    do {
        RunFrame();
    } while (App.QuitRequested != 1 && App.RestartRequested != 1);
    ShutDown();
    StopPlatform();
    return 0;
}

// [SECTION] Test support

void ResetGameState() {
    Cfg = GameSettings{};
    App = AppState{};
    FrameRate = FrameCounter{};
    Menu = MenuPageState{};
    Directional = DirectionalState{};
    Layout = LayoutTable{};
    Assets = AssetState{};
    CapturedBindings = BindingWrites{};
    Music = MusicState{};
    Speech = SpeechState{};
}
