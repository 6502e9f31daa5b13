// menu_points — where the shell drivers click: the middle of menu items at a
// screen size, taken from the program's own layout table, so that the kill
// test, the tour, the package test and the budget never hold a copy of it.
//   menu_points WIDTHxHEIGHT [--shifted] BOX...     e.g. menu_points 800x600 OptionsBox
// Prints "x y" (window pixels) for each box, one line each. --shifted puts
// the sub column where it stands once an options page has opened beside it.
#include <cstdio>
#include <cstring>

#include "assets/assets.h"
#include "core/core.h"

namespace {

struct NamedBox {
    const char* Name;
    ItemBox LayoutTable::*Box;
};
#define VELDRUNE_BOX(name) {#name, &LayoutTable::name}
const NamedBox Boxes[] = {
    VELDRUNE_BOX(NewGameBox),  VELDRUNE_BOX(LoadGameBox),   VELDRUNE_BOX(OptionsBox),    VELDRUNE_BOX(ControlBox),
    VELDRUNE_BOX(ForwardBox),  VELDRUNE_BOX(BackwardBox),   VELDRUNE_BOX(LeftBox),       VELDRUNE_BOX(RightBox),
    VELDRUNE_BOX(DuckBox),     VELDRUNE_BOX(JumpBox),       VELDRUNE_BOX(JournalBox),    VELDRUNE_BOX(ScreenshotBox),
    VELDRUNE_BOX(GameplayBox), VELDRUNE_BOX(LanguageBox),   VELDRUNE_BOX(GermanBox),     VELDRUNE_BOX(EnglishBox),
    VELDRUNE_BOX(GraphicBox),  VELDRUNE_BOX(ResolutionBox), VELDRUNE_BOX(Res800Box),     VELDRUNE_BOX(Res1024Box),
    VELDRUNE_BOX(Res1280Box),  VELDRUNE_BOX(SoundBox),      VELDRUNE_BOX(MusicBox),      VELDRUNE_BOX(OnBox),
    VELDRUNE_BOX(OffBox),      VELDRUNE_BOX(CreditsBox),    VELDRUNE_BOX(QuitBox),
};
#undef VELDRUNE_BOX

int Usage() {
    std::fputs("usage: menu_points WIDTHxHEIGHT [--shifted] BOX...\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || std::sscanf(argv[1], "%dx%d", &Cfg.ScreenW, &Cfg.ScreenH) != 2) return Usage();
    FillLayoutTable();
    if (ScreenSizeIndex() < 0) {
        std::fprintf(stderr, "menu_points: the menu has no layout at %s\n", argv[1]);
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--shifted") == 0) {
            PlaceSubColumn(ShiftedColumnX());
            continue;
        }
        const NamedBox* found = nullptr;
        for (const NamedBox& named : Boxes)
            if (std::strcmp(named.Name, argv[i]) == 0) found = &named;
        if (!found) {
            std::fprintf(stderr, "menu_points: no box named %s\n", argv[i]);
            return 2;
        }
        const ItemBox& box = Layout.*found->Box;
        std::printf("%d %d\n", box.x + box.w / 2, box.y + box.h / 2);
    }
    return 0;
}
