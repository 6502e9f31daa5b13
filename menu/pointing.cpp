// pointing.cpp — mouse pointing: the ordered table of clickable boxes with
// their page conditions, and the hover test shared with page drawing.
#include <iterator>

#include "assets/assets.h"
#include "menu/menu.h"
#include "platform/platform.h"

// [SECTION] The table

namespace {

constexpr int32_t AnyPage = -1;

struct PointEntry {
    ItemBox LayoutTable::*Box;
    int32_t Target;
    int32_t OnlyOnPage;   // the state in which the entry is live, or AnyPage
};

// Tried in this order; the first entry under a held button wins. The
// sub-column items come before the rows that share their home boxes, so
// while the column slides away they keep the overlap.
constexpr PointEntry PointEntries[] = {
    {&LayoutTable::NewGameBox, MenuNewGame, AnyPage},
    {&LayoutTable::LoadGameBox, MenuLoadGame, AnyPage},
    {&LayoutTable::OptionsBox, MenuOptions, AnyPage},
    {&LayoutTable::ControlBox, MenuControl, AnyPage},
    {&LayoutTable::ForwardBox, MenuForward, MenuControl},
    {&LayoutTable::BackwardBox, MenuBackward, MenuControl},
    {&LayoutTable::LeftBox, MenuLeft, MenuControl},
    {&LayoutTable::RightBox, MenuRight, MenuControl},
    {&LayoutTable::DuckBox, MenuDuck, MenuControl},
    {&LayoutTable::JumpBox, MenuJump, MenuControl},
    {&LayoutTable::JournalBox, MenuJournal, MenuControl},
    {&LayoutTable::ScreenshotBox, MenuScreenshot, MenuControl},
    {&LayoutTable::GameplayBox, MenuGameplay, AnyPage},
    {&LayoutTable::LanguageBox, MenuLanguage, MenuGameplay},
    {&LayoutTable::GermanBox, MenuGerman, MenuLanguage},
    {&LayoutTable::EnglishBox, MenuEnglish, MenuLanguage},
    {&LayoutTable::GraphicBox, MenuGraphic, AnyPage},
    {&LayoutTable::ResolutionBox, MenuResolution, MenuGraphic},
    {&LayoutTable::Res800Box, MenuRes800x600, MenuResolution},
    {&LayoutTable::Res1024Box, MenuRes1024x768, MenuResolution},
    {&LayoutTable::Res1280Box, MenuRes1280x720, MenuResolution},
    {&LayoutTable::SoundBox, MenuSound, AnyPage},
    {&LayoutTable::MusicBox, MenuMusic, MenuSound},
    {&LayoutTable::OnBox, MenuMusicOn, MenuMusic},
    {&LayoutTable::OffBox, MenuMusicOff, MenuMusic},
    {&LayoutTable::CreditsBox, MenuCredits, AnyPage},
    {&LayoutTable::QuitBox, MenuQuit, AnyPage},
};
static_assert(std::size(PointEntries) == 27, "the pointing table has 27 entries");
static_assert(std::size(PointEntries) == MaxClickableItems, "room for every entry");

}  // namespace

// [SECTION] Procedures

bool IsHovered(const ItemBox& box) {
    const int x = PointerX();
    const int y = PointerY();
    return box.x < x && x < box.x + box.w && box.y < y && y < box.y + box.h;
}

int ClickableItems(int32_t state, ClickableItem out[MaxClickableItems]) {
    int count = 0;
    for (const PointEntry& entry : PointEntries) {
        if (entry.OnlyOnPage != AnyPage && entry.OnlyOnPage != state) continue;
        out[count++] = {&(Layout.*entry.Box), entry.Target, entry.OnlyOnPage != AnyPage};
    }
    return count;
}

// Level-triggered: a held button fires in every frame it is held over an
// entry, without waiting for a release. Directional navigation's select
// (Return, the controller's south button) is the same held button.
void PointWithMouse() {
    if (!MouseButtonDown(1) && !Directional.SelectHeld) {
        Menu.HeldMusicChoice = -1;
        return;
    }
    const int32_t state = Menu.MenuSelect;
    for (const PointEntry& entry : PointEntries) {
        if (entry.OnlyOnPage != AnyPage && entry.OnlyOnPage != state) continue;
        if (!IsHovered(Layout.*entry.Box)) continue;
        Menu.MenuSelect = entry.Target;
        return;
    }
}
