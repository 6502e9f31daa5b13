// recording_platform.cpp — scripted test platform. (stub)
#include "platform/platform.h"

bool StartPlatform() { return false; }
void StopPlatform() {  }
bool StartKeyboardInput() { return false; }
bool StartMouseInput() { return false; }
bool StartSpriteSystem() { return false; }
bool StartBlendingSystem() { return false; }
bool StartMovieSystem() { return false; }
bool OpenGameWindow(int, int, int, int, int, const std::string&, WindowStyle) { return false; }
bool OpenScreenInWindow(int, int, int, int, int, bool, int, int, bool) { return false; }
bool OpenGameScreen(int, int, int, const std::string&, bool, int) { return false; }
void CloseGameScreen() {  }
void CloseGameWindow(int) {  }
void MinimiseGameWindow(int) {  }
WindowEventKind AwaitWindowEvent() { return WindowEventActivated; }
bool ScreenIsActive() { return false; }
bool WindowCloseRequested() { return false; }
void ClearFrame(Color) {  }
void PresentFrame() {  }
std::string ScreenDriverName() { return {}; }
bool LoadSpriteFromMemory(int, const uint8_t*, size_t, int) { return false; }
bool CreateBlankSprite(int, int, int, int) { return false; }
bool MakeBlendable(int, int) { return false; }
bool BeginBlending() { return false; }
void EndBlending() {  }
void DrawBlended(int, int, int, int) {  }
bool CaptureFrame(int, int, int, int, int) { return false; }
SaveResult SaveSpriteAsPng(int, const std::string&, bool) { return SaveFailed; }
void DeleteSprite(int) {  }
bool BeginTextOn(int) { return false; }
void SetTextTransparent() {  }
void UseFont(int) {  }
int MeasureTextWidth(const std::string&) { return 0; }
int MeasureTextHeight(const std::string&) { return 0; }
void DrawTextAt(int, int, const std::string&, Color) {  }
void EndText() {  }
bool LoadFontFace(int, const std::string&, int, int) { return false; }
int RegisterFontFile(const std::string&) { return 0; }
void BroadcastFontChange() {  }
bool UnregisterFontFile(const std::string&) { return false; }
bool PollKeyboard() { return false; }
bool KeyReleased(int) { return false; }
bool PollMouse() { return false; }
int PointerX() { return 0; }
int PointerY() { return 0; }
bool MouseButtonDown(int) { return false; }
void PlaceMouse(int, int) {  }
uint32_t MillisecondsSinceStart() { return 0; }
void Pause(int) {  }
int StartThread(ThreadProc, int) { return 0; }
bool ListScreenModes() { return false; }
bool AdvanceScreenMode() { return false; }
int ModeWidth() { return 0; }
int ModeHeight() { return 0; }
int ModeDepth() { return 0; }
int ModeRefreshRate() { return 0; }
void ShowMessage(const std::string&, const std::string&) {  }
std::string ProgramPath() { return {}; }
bool LaunchProgram(const std::string&) { return false; }
