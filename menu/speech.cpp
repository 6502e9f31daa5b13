// speech.cpp — what the menu says, and when, for a player who cannot see it:
// the page's name when a page opens, the item the pointer (or an arrow key,
// or a controller) has reached with its state, the capture pages' prompt,
// the credits, a saved screenshot's number. The words are the menu's own
// (assets/menu_words.h), in the menu's language, with that language's voice.
//
// Speech is on while settings.speech is 1, or, unless it is 0, while the
// desktop's screen reader is on. Each frame ends by comparing what the
// player could see with what was last said, so one change is said once, a
// quick run across five items ends with the last one (each utterance cuts
// off the one before), and a frame without a change says nothing.
#include <string>

#include "assets/assets.h"
#include "assets/menu_words.h"
#include "core/core.h"
#include "menu/menu.h"
#include "platform/platform.h"

SpeechState Speech;

// [SECTION] Whether to speak

namespace {

enum SpeechSetting { SpeechAlways, SpeechNever, SpeechFollowsDesktop };

SpeechSetting ReadSpeechSetting() {
    if (Cfg.settings.speech == "1") return SpeechAlways;
    if (Cfg.settings.speech == "0") return SpeechNever;
    return SpeechFollowsDesktop;
}

// [SECTION] What an item says

bool IsCapturePage(int32_t state) { return state >= MenuForward && state <= MenuScreenshot; }

void Add(std::string& words, const std::string& part, const char* joint = ". ") {
    if (part.empty()) return;
    if (!words.empty()) words += joint;
    words += part;
}

// "1024x768" said as a size: "1024 by 768".
std::string SizeWords(int32_t state) {
    const int index = state - MenuRes800x600;
    return std::to_string(OfferedSizes[index].Width) + " " + Words().SizeBy + " " +
           std::to_string(OfferedSizes[index].Height);
}

// The item's word, then its state where it has one: a binding's key, whether
// a language, size or music choice is the one in force, a size the display
// does not offer.
std::string ItemWords(int32_t target) {
    const MenuWords& words = Words();
    std::string said = (target >= MenuRes800x600 && target <= MenuRes1280x720)
                           ? SizeWords(target)
                           : words.Labels[ItemLabel(target)].Text;
    bool inForce = false;
    switch (target) {
    case MenuForward: case MenuBackward: case MenuLeft: case MenuRight:
    case MenuDuck: case MenuJump: case MenuJournal: case MenuScreenshot:
        Add(said, SpokenKeyName(*SettingKeys[BindingSetting(target)].Text(Cfg)), ", ");
        break;
    case MenuGerman: inForce = IsGerman(); break;
    case MenuEnglish: inForce = !IsGerman(); break;
    case MenuRes800x600: case MenuRes1024x768: case MenuRes1280x720: {
        const OfferedSize& size = OfferedSizes[target - MenuRes800x600];
        inForce = Cfg.ScreenW == size.Width && Cfg.ScreenH == size.Height;
        if (!DisplayOffersSize(size.Width, size.Height)) Add(said, words.NotOffered, ", ");
        break;
    }
    case MenuMusicOn: inForce = Cfg.settings.music == 1; break;
    case MenuMusicOff: inForce = Cfg.settings.music == 0; break;
    default: break;
    }
    if (inForce) Add(said, words.Selected, ", ");
    return said;
}

// What the pointer stands on, as the arrows reach it; "" for nothing.
std::string UnderPointer(int32_t page) {
    if (IsCapturePage(page)) return "";   // no pointer there: the prompt speaks
    ClickableItem items[MaxClickableItems];
    const int count = ReachableItems(page, items);
    const int item = ItemUnderPointer(items, count);
    return item < 0 ? "" : ItemWords(items[item].Target);
}

std::string PageWords(int32_t page, int32_t before) {
    std::string said;
    // Back from a capture page the player is where they were: the binding
    // under the pointer says the key just taken.
    if (!(IsCapturePage(before) && page == MenuControl))
        Add(said, page == MenuMain ? Words().MainPage : Words().Labels[ItemLabel(page)].Text);
    if (IsCapturePage(page)) Add(said, Words().ChooseKey);
    if (page == MenuCredits)
        for (const char* line : Words().Credits) Add(said, line);
    return said;
}

}  // namespace

// [SECTION] Per frame

void StartSpeechFollowing() {
    if (ReadSpeechSetting() == SpeechFollowsDesktop) WatchScreenReader();
}

void SpeakMenu() {
    bool on = false;
    bool fromTheStart = false;   // on as the program found it: no word that speech turned on
    switch (ReadSpeechSetting()) {
    case SpeechAlways: on = true, fromTheStart = true; break;
    case SpeechNever: break;
    case SpeechFollowsDesktop: {
        const ScreenReaderSwitch now = ScreenReaderState();
        on = now == ScreenReaderOn;
        fromTheStart = !Speech.DesktopHeard;
        if (now != ScreenReaderNotKnown) Speech.DesktopHeard = true;
        break;
    }
    }
    if (!on) {
        if (Speech.On) StopSpeech();
        Speech.On = false;
        return;
    }
    std::string said;
    if (!Speech.On) {
        Speech.On = true;
        if (!Speech.Started) StartSpeech();
        Speech.Started = true;
        if (!fromTheStart) Add(said, Words().SpeechOn);
        Speech.Page = -1;
    }
    const int32_t page = Menu.MenuSelect;
    // A new size restarts the program: the new instance speaks.
    if (page < 0 || page >= MenuStateCount || App.RestartRequested == 1) return;
    const bool newPage = page != Speech.Page;
    if (newPage) Add(said, PageWords(page, Speech.Page));
    const std::string item = UnderPointer(page);
    if (newPage || item != Speech.Item) Add(said, item);
    Speech.Page = page;
    Speech.Item = item;
    if (Speech.SavedScreenshot > 0)
        Add(said, std::string(Words().ScreenshotSaved) + " " + std::to_string(Speech.SavedScreenshot) + " " +
                      Words().ScreenshotSavedAfter);
    Speech.SavedScreenshot = 0;
    if (!said.empty()) Say(said, Words().SpeechLanguage);
}

void AnnounceScreenshot(int32_t number) {
    if (Speech.On) Speech.SavedScreenshot = number;
}

// Nothing is said while the game waits in the background; back, the player
// hears where they are again.
void SpeechToBackground() {
    if (!Speech.On) return;
    StopSpeech();
    Speech.Page = -1;
}
