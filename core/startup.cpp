// startup.cpp — start-up, focus loss, restart, shutdown. (stub)
#include "core/core.h"

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
void ResetGameState() {}
