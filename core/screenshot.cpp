// screenshot.cpp — numbered PNG screenshots of the finished frame, counted in
// the settings file.
#include <cstdint>
#include <limits>
#include <string>

#include "assets/assets.h"
#include "core/core.h"
#include "menu/menu.h"

namespace {

// How many taken numbers a screenshot skips before it gives up. Each step is
// one name lookup (the frame is converted and encoded once, for the free
// number), so a folder full of old screenshots costs little.
constexpr int MaxNumbersSkipped = 10000;

std::string ScreenshotName(int64_t n) { return ScreenshotPrefix + std::to_string(n) + ".png"; }

}  // namespace

// Late in the frame, so a page that checks the same key earlier takes the
// release first.
void CheckScreenshotKey() {
    if (Assets.ScreenshotKey == KeyNone) return;
    if (KeyReleased(Assets.ScreenshotKey)) TakeScreenshot();
}

// A screenshot never replaces an existing file: when the counter could not be
// stored (a read-only settings file) or the file was reset, the next free
// number is used and written back.
void TakeScreenshot() {
    OpenSettingsFile(SettingsFileName);
    int32_t last = ReadStoredNumber(SettingScreenshots);
    Cfg.settings.screenshots = last;
    int64_t n = int64_t(last) + 1;
    // A hand-edited counter below zero, or one at the 32-bit limit, starts
    // the numbering again at 1; the exclusive save below still never
    // replaces a picture that is already there.
    if (n < 1 || n > std::numeric_limits<int32_t>::max()) n = 1;

    CaptureFrame(SpriteScratch, 0, 0, Cfg.ScreenW, Cfg.ScreenH);
    for (int skipped = 0;; ++skipped) {
        // A taken name is passed over by its name alone; the exclusive save
        // still decides when another writer takes the number meanwhile.
        const SaveResult saved =
            PathTaken(ScreenshotName(n)) ? SaveExists : SaveSpriteAsPng(SpriteScratch, ScreenshotName(n), true);
        if (saved == SaveOk) AnnounceScreenshot(int32_t(n));
        if (saved != SaveExists) break;
        // Give up on the last number tried; the counter is 32 bits.
        if (skipped == MaxNumbersSkipped || n == std::numeric_limits<int32_t>::max()) break;
        ++n;
    }
    DeleteSprite(SpriteScratch);

    // A save that failed still uses up its number.
    WriteSetting(SettingScreenshots, int32_t(n));
    Cfg.settings.screenshots = int32_t(n);
    CloseSettingsFile();
}
