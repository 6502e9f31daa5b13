// render_page.cpp — drawing the page of the current menu state: the sliding
// sub column, one recipe of drawing steps per state, the capture pages'
// blink, and the credits text.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>
#include <string>

#include "assets/assets.h"
#include "assets/menu_words.h"
#include "core/core.h"
#include "menu/menu.h"
#include "platform/platform.h"

// [SECTION] Small helpers

namespace {

constexpr int Bright = 255;
constexpr int SlideSpeed = 5;   // pixels per frame

int Alpha(bool bright) { return bright ? Bright : IdleAlpha; }

int LabelBlendable(int label) {
    return (IsGerman() ? BlendLabelDeFirst : BlendLabelEnFirst) + label;
}

void DrawLabel(int label, const ItemBox& box, bool bright) {
    DrawBlended(LabelBlendable(label), box.x, box.y, Alpha(bright));
}

bool StateIn(int32_t state, int32_t first, int32_t last) { return first <= state && state <= last; }

// The pages 4, 13, 17 and 22 show their own items only once the sub column
// has arrived in the shifted column.
bool SlideIsOver() { return Layout.ControlBox.x == ShiftedColumnX(); }

bool SubColumnGoesHome(int32_t state) { return IsMainRowPage(state) || state == MenuOptions; }

// [SECTION] Backdrops and dividers

BackdropPage PageBackdrop(int32_t state) {
    const bool german = IsGerman();
    switch (state) {
    case MenuMain: return PageMain;
    case MenuNewGame: return german ? PageNewGameDe : PageNewGameEn;
    case MenuLoadGame: return german ? PageLoadGameDe : PageLoadGameEn;
    case MenuCredits: return german ? PageCreditsDe : PageCreditsEn;
    case MenuQuit: return german ? PageQuitDe : PageQuitEn;
    default: return german ? PageOptionsDe : PageOptionsEn;   // the options tree
    }
}

// A size without a layout has no backdrop and no divider of its own.
void DrawBackdropAndDividers(BackdropPage page) {
    const int size = ScreenSizeIndex();
    if (size < 0) return;
    DrawBlended(BlendBackdropFirst + BackdropPageCount * size + page, 0, 0, Bright);
    const int divider = BlendDivider800 + size;
    DrawBlended(divider, Layout.UpperDividerX, Layout.UpperDividerY, IdleAlpha);
    DrawBlended(divider, Layout.LowerDividerX, Layout.LowerDividerY, IdleAlpha);
}

void DrawOptionsBackdrop() { DrawBackdropAndDividers(IsGerman() ? PageOptionsDe : PageOptionsEn); }

// [SECTION] Main row and sub column

// An item is bright while hovered or while the state lies in its range.
struct RowItem {
    MenuLabel Label;
    ItemBox LayoutTable::*Box;
    int32_t LitFrom, LitTo;
};

constexpr RowItem MainRowItems[] = {
    {LabelNewGame, &LayoutTable::NewGameBox, MenuNewGame, MenuNewGame},
    {LabelLoadGame, &LayoutTable::LoadGameBox, MenuLoadGame, MenuLoadGame},
    {LabelOptions, &LayoutTable::OptionsBox, MenuOptions, MenuMusicOff},
    {LabelCredits, &LayoutTable::CreditsBox, MenuCredits, MenuCredits},
    {LabelQuit, &LayoutTable::QuitBox, MenuQuit, MenuQuit},
};

constexpr RowItem SubColumnItems[] = {
    {LabelControl, &LayoutTable::ControlBox, MenuControl, MenuScreenshot},
    {LabelGameplay, &LayoutTable::GameplayBox, MenuGameplay, MenuEnglish},
    {LabelGraphic, &LayoutTable::GraphicBox, MenuGraphic, MenuRes1280x720},
    {LabelSound, &LayoutTable::SoundBox, MenuSound, MenuMusicOff},
};

void DrawRow(const RowItem* items, int count) {
    const int32_t state = Menu.MenuSelect;
    for (int i = 0; i < count; ++i) {
        const ItemBox& box = Layout.*items[i].Box;
        DrawLabel(items[i].Label, box, IsHovered(box) || StateIn(state, items[i].LitFrom, items[i].LitTo));
    }
}

void DrawMainRow() { DrawRow(MainRowItems, static_cast<int>(std::size(MainRowItems))); }
void DrawSubColumn() { DrawRow(SubColumnItems, static_cast<int>(std::size(SubColumnItems))); }

void DrawPointer() { DrawBlended(BlendPointer, PointerX() - 12, PointerY() - 6, Bright); }

// [SECTION] Key-binding pages

struct Binding {
    MenuLabel Label;
    ItemBox LayoutTable::*Box;
    ItemBox LayoutTable::*GlyphBox;
    SettingKey Key;                    // the [Controls] key: its name in memory and in the file
};

// Rows 1 to 8; the capture state of row b is 4 + b.
constexpr Binding Bindings[] = {
    {LabelForward, &LayoutTable::ForwardBox, &LayoutTable::ForwardGlyphBox, SettingForward},
    {LabelBackward, &LayoutTable::BackwardBox, &LayoutTable::BackwardGlyphBox, SettingBackward},
    {LabelLeft, &LayoutTable::LeftBox, &LayoutTable::LeftGlyphBox, SettingLeft},
    {LabelRight, &LayoutTable::RightBox, &LayoutTable::RightGlyphBox, SettingRight},
    {LabelDuck, &LayoutTable::DuckBox, &LayoutTable::DuckGlyphBox, SettingDuck},
    {LabelJump, &LayoutTable::JumpBox, &LayoutTable::JumpGlyphBox, SettingJump},
    {LabelJournal, &LayoutTable::JournalBox, &LayoutTable::JournalGlyphBox, SettingJournal},
    {LabelScreenshot, &LayoutTable::ScreenshotBox, &LayoutTable::ScreenshotGlyphBox, SettingScrshot},
};
static_assert(std::size(Bindings) == MenuScreenshot - MenuControl, "one binding per capture state");

// The binding row a capture state edits (0..7).
int CaptureRow(int32_t state) {
    assert(StateIn(state, MenuForward, MenuScreenshot) && "not a capture state");
    return state - MenuForward;
}

void DrawBindingGlyphs(int pulsingRow) {
    for (int row = 0; row < 8; ++row) {
        const ItemBox& box = Layout.*Bindings[row].GlyphBox;
        DrawKeyGlyph(*SettingKeys[Bindings[row].Key].Text(Cfg), box.x, box.y, row == pulsingRow ? Menu.BlinkAlpha : Bright);
    }
}

// The Control page: hoverable binding items and their keys, once slid in.
void DrawBindingItems() {
    if (!SlideIsOver()) return;
    for (const Binding& binding : Bindings) {
        const ItemBox& box = Layout.*binding.Box;
        DrawLabel(binding.Label, box, IsHovered(box));
    }
    DrawBindingGlyphs(-1);
}

// A capture page: the row being captured lit and its key pulsing, the
// others idle; no hover here, the pointer is not even drawn.
void DrawCaptureItems() {
    const int captured = CaptureRow(Menu.MenuSelect);
    for (int row = 0; row < 8; ++row)
        DrawLabel(Bindings[row].Label, Layout.*Bindings[row].Box, row == captured);
    DrawBlended(IsGerman() ? BlendPromptChooseKeyDe : BlendPromptChooseKeyEn, Layout.PromptBox.x,
                Layout.PromptBox.y, Bright);
    DrawBindingGlyphs(captured);
}

// [SECTION] Option pages

// Language items: the one of the language in use is lit on the Language
// page itself; in the action frame both wait for the pointer.
void DrawLanguageChoices() {
    const bool onPage = Menu.MenuSelect == MenuLanguage;
    const bool german = IsGerman();
    DrawLabel(LabelGerman, Layout.GermanBox, IsHovered(Layout.GermanBox) || (onPage && german));
    DrawLabel(LabelEnglish, Layout.EnglishBox, IsHovered(Layout.EnglishBox) || (onPage && !german));
}

// In the order of OfferedSizes; the size labels are the same in both languages.
constexpr ItemBox LayoutTable::*SizeBoxes[] = {&LayoutTable::Res800Box, &LayoutTable::Res1024Box,
                                               &LayoutTable::Res1280Box};
constexpr int SizeBlendable(int index) { return BlendLabelDeFirst + LabelRes800 + index; }
static_assert(LabelRes1280 == LabelRes800 + 2, "the size labels follow each other");

// The mode the last AdvanceScreenMode reached is the size at the offered
// depth and rate.
bool ModeIsOffer(const OfferedSize& size) {
    return ModeWidth() == size.Width && ModeHeight() == size.Height && ModeDepth() == OfferedDepth &&
           ModeRefreshRate() == OfferedRefresh;
}

// The mode list is rebuilt every frame; a size appears once for every
// 32-bit 85 Hz entry the display reports for it.
void DrawSizeItems() {
    if (!ListScreenModes()) return;
    while (AdvanceScreenMode()) {
        for (int i = 0; i < 3; ++i) {
            const OfferedSize& size = OfferedSizes[i];
            if (!ModeIsOffer(size)) continue;
            const ItemBox& box = Layout.*SizeBoxes[i];
            const bool current = Cfg.ScreenW == size.Width && Cfg.ScreenH == size.Height;
            DrawBlended(SizeBlendable(i), box.x, box.y, Alpha(IsHovered(box) || current));
        }
    }
}

void ChooseSizeOfState() {
    const int index = Menu.MenuSelect - MenuRes800x600;
    assert(index >= 0 && index < 3 && "not a screen-size state");
    ChooseScreenSize(OfferedSizes[index].Width, OfferedSizes[index].Height);
}

void DrawOnOffItems() {
    const int music = Cfg.settings.music;
    DrawLabel(LabelOn, Layout.OnBox, IsHovered(Layout.OnBox) || music == 1);
    DrawLabel(LabelOff, Layout.OffBox, IsHovered(Layout.OffBox) || music == 0);
}

// [SECTION] Credits text

// The lines of the menu's words (Credits), in their order: roles end at the
// middle, names start there.
struct CreditsLine {
    bool IsRole;
    int Y800, YOther;   // y at 800x600, and at 1024x768 and 1280x720
    Color Colour;
};

constexpr Color RoleColour{255, 255, 255};
constexpr Color NameColour{140, 140, 140};
constexpr CreditsLine CreditsLines[] = {
    {true, 180, 220, RoleColour},
    {false, 210, 250, NameColour},
    {true, 240, 280, RoleColour},
    {false, 270, 310, NameColour},
    {false, 300, 340, NameColour},
};
static_assert(std::size(CreditsLines) == CreditsLineCount, "a place for every line of the credits");

void DrawCreditsText() {
    const int size = ScreenSizeIndex();
    if (size < 0) return;
    const int half = Cfg.ScreenW / 2;
    BeginTextOn(TextOnScreen);
    SetTextTransparent();
    UseFont(FontCredits);
    for (int i = 0; i < CreditsLineCount; ++i) {
        const CreditsLine& line = CreditsLines[i];
        const std::string text = Words().Credits[i];
        const int x = line.IsRole ? half - MeasureTextWidth(text) : half;
        DrawTextAt(x, size == 0 ? line.Y800 : line.YOther, text, line.Colour);
    }
    EndText();
}

// [SECTION] Page recipes

// One step of a page; each state's recipe lists them in drawing order.
enum PageStep : uint8_t {
    Done = 0,           // end of a recipe
    FadeIn,             // FadeInStep
    Blink,              // BlinkAlpha from the clock
    ReadKeyNames,       // the bindings from the file, every frame
    BeginRun,           // BeginBlending
    Backdrop,           // this page's backdrop and dividers
    OptionsBackdrop,
    MainRow,
    SubColumn,
    BindingItems,       // once slid: the eight bindings and their keys
    CaptureItems,       // the eight bindings, the prompt and the keys, one pulsing
    LanguageItem,       // once slid, lit when hovered
    LanguageItemLit,
    LanguageAction,     // ApplyLanguage of this state
    LanguageChoices,
    ResolutionItem,     // once slid, lit when hovered
    ResolutionItemLit,
    SizeItems,
    SizeAction,         // ChooseScreenSize of this state
    MusicItem,          // once slid, lit when hovered
    MusicItemLit,
    OnOffItems,
    MusicAction,        // ChooseMusic of this state
    Pointer,
    EndRun,             // EndBlending
    CaptureAKey,        // CaptureKey for this state's binding
    CreditsText,
    BackToLanguage,     // the language action's frame is over
    BackToMusic,        // the music action's frame is over
};

constexpr int MaxSteps = 12;
struct PageRecipe {
    PageStep Steps[MaxSteps];
};

constexpr PageRecipe MainPage{{BeginRun, Backdrop, MainRow, Pointer, EndRun}};
constexpr PageRecipe OptionsPage{{FadeIn, BeginRun, OptionsBackdrop, SubColumn, MainRow, Pointer, EndRun}};
constexpr PageRecipe ControlPage{
    {ReadKeyNames, BeginRun, OptionsBackdrop, MainRow, SubColumn, BindingItems, Pointer, EndRun}};
constexpr PageRecipe CapturePage{
    {Blink, ReadKeyNames, BeginRun, OptionsBackdrop, SubColumn, CaptureItems, EndRun, CaptureAKey}};
constexpr PageRecipe GameplayPage{{BeginRun, OptionsBackdrop, MainRow, SubColumn, LanguageItem, Pointer, EndRun}};
constexpr PageRecipe LanguagePage{
    {BeginRun, OptionsBackdrop, MainRow, SubColumn, LanguageItemLit, LanguageChoices, Pointer, EndRun}};
constexpr PageRecipe LanguageChoice{{BeginRun, OptionsBackdrop, MainRow, SubColumn, LanguageAction,
                                     LanguageItemLit, LanguageChoices, Pointer, EndRun, BackToLanguage}};
constexpr PageRecipe GraphicPage{{BeginRun, OptionsBackdrop, MainRow, SubColumn, ResolutionItem, Pointer, EndRun}};
constexpr PageRecipe ResolutionPage{
    {BeginRun, OptionsBackdrop, MainRow, SubColumn, ResolutionItemLit, SizeItems, Pointer, EndRun}};
constexpr PageRecipe SizeChoice{
    {BeginRun, OptionsBackdrop, MainRow, SubColumn, ResolutionItemLit, SizeItems, SizeAction, Pointer, EndRun}};
constexpr PageRecipe SoundPage{{BeginRun, OptionsBackdrop, MainRow, SubColumn, MusicItem, Pointer, EndRun}};
constexpr PageRecipe MusicPage{
    {BeginRun, OptionsBackdrop, MainRow, SubColumn, MusicItemLit, OnOffItems, Pointer, EndRun}};
constexpr PageRecipe MusicChoice{{BeginRun, OptionsBackdrop, MainRow, SubColumn, MusicAction, MusicItemLit,
                                  OnOffItems, Pointer, EndRun, BackToMusic}};
constexpr PageRecipe CreditsPage{{BeginRun, Backdrop, MainRow, Pointer, EndRun, CreditsText}};

// Indexed by MenuSelect.
constexpr const PageRecipe* PageRecipes[MenuStateCount] = {
    &MainPage,        // 0  MenuMain
    &MainPage,        // 1  MenuNewGame
    &MainPage,        // 2  MenuLoadGame
    &OptionsPage,     // 3  MenuOptions
    &ControlPage,     // 4  MenuControl
    &CapturePage,     // 5  MenuForward
    &CapturePage,     // 6  MenuBackward
    &CapturePage,     // 7  MenuLeft
    &CapturePage,     // 8  MenuRight
    &CapturePage,     // 9  MenuDuck
    &CapturePage,     // 10 MenuJump
    &CapturePage,     // 11 MenuJournal
    &CapturePage,     // 12 MenuScreenshot
    &GameplayPage,    // 13 MenuGameplay
    &LanguagePage,    // 14 MenuLanguage
    &LanguageChoice,  // 15 MenuGerman
    &LanguageChoice,  // 16 MenuEnglish
    &GraphicPage,     // 17 MenuGraphic
    &ResolutionPage,  // 18 MenuResolution
    &SizeChoice,      // 19 MenuRes800x600
    &SizeChoice,      // 20 MenuRes1024x768
    &SizeChoice,      // 21 MenuRes1280x720
    &SoundPage,       // 22 MenuSound
    &MusicPage,       // 23 MenuMusic
    &MusicChoice,     // 24 MenuMusicOn
    &MusicChoice,     // 25 MenuMusicOff
    &CreditsPage,     // 26 MenuCredits
    &MainPage,        // 27 MenuQuit
};

// The state is read afresh for every step: an action may change it, and the
// steps after it see the change (the language action's is deferred on
// purpose, see BackToLanguage).
void RunStep(PageStep step, int32_t pageState) {
    switch (step) {
    case Done: break;
    case FadeIn: FadeInStep(); break;
    case Blink: Menu.BlinkAlpha = ComputeBlinkAlpha(MillisecondsSinceStart()); break;
    case ReadKeyNames: ReadControls(); break;
    case BeginRun: BeginBlending(); break;
    case Backdrop: DrawBackdropAndDividers(PageBackdrop(pageState)); break;
    case OptionsBackdrop: DrawOptionsBackdrop(); break;
    case MainRow: DrawMainRow(); break;
    case SubColumn: DrawSubColumn(); break;
    case BindingItems: DrawBindingItems(); break;
    case CaptureItems: DrawCaptureItems(); break;
    case LanguageItem:
        if (SlideIsOver()) DrawLabel(LabelLanguage, Layout.LanguageBox, IsHovered(Layout.LanguageBox));
        break;
    case LanguageItemLit: DrawLabel(LabelLanguage, Layout.LanguageBox, true); break;
    case LanguageAction: ApplyLanguage(pageState == MenuGerman ? "German" : "English"); break;
    case LanguageChoices: DrawLanguageChoices(); break;
    case ResolutionItem:
        if (SlideIsOver()) DrawLabel(LabelResolution, Layout.ResolutionBox, IsHovered(Layout.ResolutionBox));
        break;
    case ResolutionItemLit: DrawLabel(LabelResolution, Layout.ResolutionBox, true); break;
    case SizeItems: DrawSizeItems(); break;
    case SizeAction: ChooseSizeOfState(); break;
    case MusicItem:
        if (SlideIsOver()) DrawLabel(LabelMusic, Layout.MusicBox, IsHovered(Layout.MusicBox));
        break;
    case MusicItemLit: DrawLabel(LabelMusic, Layout.MusicBox, true); break;
    case OnOffItems: DrawOnOffItems(); break;
    case MusicAction: ChooseMusic(pageState == MenuMusicOn ? 1 : 0); break;
    case Pointer: DrawPointer(); break;
    case EndRun: EndBlending(); break;
    case CaptureAKey: CaptureKey(SettingName(Bindings[CaptureRow(pageState)].Key)); break;
    case CreditsText: DrawCreditsText(); break;
    case BackToLanguage: Menu.MenuSelect = MenuLanguage; break;
    case BackToMusic: Menu.MenuSelect = MenuMusic; break;
    }
}

}  // namespace

// [SECTION] Procedures

const OfferedSize OfferedSizes[3] = {{800, 600}, {1024, 768}, {1280, 720}};

bool DisplayOffersSize(int width, int height) {
    if (!ListScreenModes()) return false;
    while (AdvanceScreenMode())
        if (ModeIsOffer({width, height})) return true;
    return false;
}

SettingKey BindingSetting(int32_t state) { return Bindings[CaptureRow(state)].Key; }

// The four sub-column boxes move together, 5 pixels a frame, towards the
// home column on the main-level pages and the shifted column below Options.
void SlideStep() {
    if (ScreenSizeIndex() < 0) return;
    const int target = SubColumnGoesHome(Menu.MenuSelect) ? HomeColumnX() : ShiftedColumnX();
    for (ItemBox LayoutTable::*member : SubColumnBoxes) {
        ItemBox& box = Layout.*member;
        if (box.x < target)
            box.x = std::min(box.x + SlideSpeed, target);
        else if (box.x > target)
            box.x = std::max(box.x - SlideSpeed, target);
    }
}

int ComputeBlinkAlpha(uint32_t milliseconds) {
    return static_cast<int>(std::lround(128.0 + 127.0 * std::sin(0.005 * static_cast<double>(milliseconds))));
}

void RenderPage() {
    SlideStep();
    const int32_t state = Menu.MenuSelect;
    if (state < 0 || state >= MenuStateCount) return;   // not a page: nothing to draw
    // The recipe is chosen from the state at the start of drawing: the
    // language action draws its whole page as the action state.
    for (PageStep step : PageRecipes[state]->Steps) {
        if (step == Done) break;
        RunStep(step, state);
    }
}
