// layout.cpp — every position of the menu at the three screen sizes, and the
// lookup of the current size.
#include <cassert>

#include "assets/assets.h"
#include "core/core.h"

LayoutTable Layout;

// [SECTION] Screen sizes

namespace {

struct ScreenSize {
    int32_t W, H;
};
constexpr ScreenSize KnownSizes[3] = {{800, 600}, {1024, 768}, {1280, 720}};

constexpr int32_t BoxW = 150, BoxH = 20;

// [SECTION] The table, one row per entry, one (x, y) per size

struct Point {
    int32_t x, y;
};

struct BoxRow {
    ItemBox LayoutTable::*Box;
    Point At[3];   // 800x600, 1024x768, 1280x720
};

const BoxRow BoxRows[] = {
    //  Entry                                 800x600      1024x768     1280x720
    {&LayoutTable::NewGameBox,            {{  5, 500}, {117, 668}, {245, 620}}},
    {&LayoutTable::LoadGameBox,           {{165, 500}, {277, 668}, {405, 620}}},
    {&LayoutTable::OptionsBox,            {{325, 500}, {437, 668}, {565, 620}}},
    {&LayoutTable::ControlBox,            {{325, 180}, {437, 220}, {565, 220}}},
    {&LayoutTable::ForwardBox,            {{325, 180}, {437, 220}, {565, 220}}},
    {&LayoutTable::BackwardBox,           {{325, 210}, {437, 250}, {565, 250}}},
    {&LayoutTable::LeftBox,               {{325, 240}, {437, 280}, {565, 280}}},
    {&LayoutTable::RightBox,              {{325, 270}, {437, 310}, {565, 310}}},
    {&LayoutTable::DuckBox,               {{325, 300}, {437, 340}, {565, 340}}},
    {&LayoutTable::JumpBox,               {{325, 330}, {437, 370}, {565, 370}}},
    {&LayoutTable::JournalBox,            {{325, 360}, {437, 400}, {565, 400}}},
    {&LayoutTable::ScreenshotBox,         {{325, 390}, {437, 430}, {565, 430}}},
    {&LayoutTable::ForwardGlyphBox,       {{485, 180}, {597, 220}, {725, 220}}},
    {&LayoutTable::BackwardGlyphBox,      {{485, 210}, {597, 250}, {725, 250}}},
    {&LayoutTable::LeftGlyphBox,          {{485, 240}, {597, 280}, {725, 280}}},
    {&LayoutTable::RightGlyphBox,         {{485, 270}, {597, 310}, {725, 310}}},
    {&LayoutTable::DuckGlyphBox,          {{485, 300}, {597, 340}, {725, 340}}},
    {&LayoutTable::JumpGlyphBox,          {{485, 330}, {597, 370}, {725, 370}}},
    {&LayoutTable::JournalGlyphBox,       {{485, 360}, {597, 400}, {725, 400}}},
    {&LayoutTable::ScreenshotGlyphBox,    {{485, 390}, {597, 430}, {725, 430}}},
    {&LayoutTable::PromptBox,             {{325, 500}, {437, 668}, {565, 620}}},
    {&LayoutTable::GameplayBox,           {{325, 210}, {437, 250}, {565, 250}}},
    {&LayoutTable::LanguageBox,           {{325, 210}, {437, 250}, {565, 250}}},
    {&LayoutTable::GermanBox,             {{485, 210}, {597, 250}, {725, 250}}},
    {&LayoutTable::EnglishBox,            {{485, 240}, {597, 280}, {725, 280}}},
    {&LayoutTable::GraphicBox,            {{325, 240}, {437, 280}, {565, 280}}},
    {&LayoutTable::ResolutionBox,         {{325, 240}, {437, 280}, {565, 280}}},
    {&LayoutTable::Res800Box,             {{485, 240}, {597, 280}, {725, 280}}},
    {&LayoutTable::Res1024Box,            {{485, 270}, {597, 310}, {725, 310}}},
    {&LayoutTable::Res1280Box,            {{485, 300}, {597, 340}, {725, 340}}},
    {&LayoutTable::SoundBox,              {{325, 270}, {437, 310}, {565, 310}}},
    {&LayoutTable::MusicBox,              {{325, 270}, {437, 310}, {565, 310}}},
    {&LayoutTable::OnBox,                 {{485, 270}, {597, 310}, {725, 310}}},
    {&LayoutTable::OffBox,                {{485, 300}, {597, 340}, {725, 340}}},
    {&LayoutTable::CreditsBox,            {{485, 500}, {597, 668}, {725, 620}}},
    {&LayoutTable::QuitBox,               {{645, 500}, {757, 668}, {885, 620}}},
};
static_assert(sizeof(BoxRows) / sizeof(BoxRows[0]) == 36, "the layout has 36 item boxes");

//                                      800x600  1024x768  1280x720
constexpr int32_t OverlayYAt[3]       = {580,     748,      700};
constexpr Point UpperDividerAt[3]     = {{0, 170}, {0, 210}, {0, 210}};
constexpr Point LowerDividerAt[3]     = {{0, 490}, {0, 658}, {0, 610}};

// The home column is centred on the screen (x + 75 = half the width); the
// shifted column stands one column, 160 pixels, to its left.
constexpr int32_t HomeColumnAt[3]     = {325, 437, 565};
constexpr int32_t ColumnDistance      = 160;

}  // namespace

// [SECTION] Lookups

int ScreenSizeIndex() {
    for (int i = 0; i < 3; ++i)
        if (Cfg.ScreenW == KnownSizes[i].W && Cfg.ScreenH == KnownSizes[i].H) return i;
    return -1;
}

int HomeColumnX() {
    int size = ScreenSizeIndex();
    return size < 0 ? 0 : HomeColumnAt[size];
}

int ShiftedColumnX() {
    int size = ScreenSizeIndex();
    return size < 0 ? 0 : HomeColumnAt[size] - ColumnDistance;
}

void PlaceSubColumn(int x) {
    for (ItemBox LayoutTable::*box : SubColumnBoxes) (Layout.*box).x = x;
}

// [SECTION] Filling

// Writes the column of the current size; a size without a layout leaves the
// table as it was (all zero before the first known size was loaded). This
// also puts the four sliding sub-column boxes back into the home column.
void FillLayoutTable() {
    int size = ScreenSizeIndex();
    if (size < 0) return;
    Layout.OverlayY = OverlayYAt[size];
    Layout.UpperDividerX = UpperDividerAt[size].x;
    Layout.UpperDividerY = UpperDividerAt[size].y;
    Layout.LowerDividerX = LowerDividerAt[size].x;
    Layout.LowerDividerY = LowerDividerAt[size].y;
    for (const BoxRow& row : BoxRows) {
        ItemBox& box = Layout.*row.Box;
        box.x = row.At[size].x;
        box.y = row.At[size].y;
        box.w = BoxW;
        box.h = BoxH;
    }
    assert(Layout.ControlBox.x == HomeColumnAt[size] && "sub column must start in the home column");
}
