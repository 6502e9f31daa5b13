// startup.cpp — start-up, focus loss, restart, shutdown. (stub)
#include "core/core.h"
#include "menu/menu.h"
#include "assets/assets.h"

AppState App;
std::string RuntimeText() { return {}; }
void RuntimeWorker(int) {}
int RunProgram() { return 0; }
void StartUp() {}
void OpenScreenForMode() {}
void ReturnToResolutionPage() {}
void FocusLossPath() {}
void RunRestart() {}
void ShutDown() {}
void ResetGameState() {
    Cfg = GameSettings{};
    App.QuitRequested = 0;
    App.RestartRequested = 0;
    App.NewScreenWidth = 0;
    App.NewScreenHeight = 0;
    App.RuntimeMs = 0;
    App.RuntimePasses = 0;
    FrameRate = FrameCounter{};
    Menu = MenuPageState{};
    Layout = LayoutTable{};
    Assets = AssetState{};
}
