// command_line.cpp — --help, --version and the refusal of anything else.
//
// The program takes no arguments in normal use (the restart for a new screen
// size starts it again without any). These two only print; they run before
// the platform starts, so they work without a display and leave the working
// folder as it was.
#include "core/command_line.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "assets/menu_words.h"
#include "core/core.h"
#include "core/version.h"
#include "menu/menu.h"

namespace {

// What the program is, where its files live and the keys, every one the
// README's key table lists, and the settings a player may edit, from the key
// table. The manual page (packaging/veldrune.6.in) says the same and what each
// setting does; a unit test holds its list of settings to the key table.
const char* const HelpText =
    "Veldrune %s - the menu of a small 2D fantasy game\n"
    "\n"
    "Usage: veldrune [--help | --version]\n"
    "\n"
    "Without arguments Veldrune opens its menu, full screen by default. It keeps\n"
    "its settings file Veldrune.cfg and its screenshots Screenshot_<n>.png in\n"
    "the folder it is started in (the working folder); a new screen size is\n"
    "applied by starting the program again in that folder. Started from the\n"
    "desktop's menu (veldrune-launcher), that folder is $XDG_DATA_HOME/veldrune,\n"
    "or ~/.local/share/veldrune when XDG_DATA_HOME is not set, made on first use.\n"
    "A folder that cannot be written still gives a running menu with defaults.\n"
    "\n"
    "Music: the menu plays its own music, fading in at the start. Options, Sound,\n"
    "Music turns it On or Off at once, and the choice is kept in Veldrune.cfg.\n"
    "It is quiet while the game waits in the background. Without a sound device\n"
    "or server the menu runs silently.\n"
    "\n"
    "Speech: the menu speaks, in its language, while the desktop's screen reader\n"
    "is on, or always with settings.speech = 1 (0: never). It says each page as\n"
    "it opens and the item the arrow keys or the controller reach, through\n"
    "speech-dispatcher.\n"
    "\n"
    "Keys:\n"
    "  the red letter of an item   opens it (%s on the main row;\n"
    "                              %s in Options)\n"
    "  Escape                      back one page; on the main page it ends the program\n"
    "  left mouse button           selects the item under the pointer\n"
    "  arrow keys                  move the pointer to the nearest item that way\n"
    "                              (the first press on a page, with the pointer on\n"
    "                              no item, goes to the page's first item); held,\n"
    "                              they repeat\n"
    "  Return, keypad Enter        select the item under the pointer, as a left\n"
    "                              click (on a key's capture page Return is a key\n"
    "                              to bind)\n"
    "  F12 (the Scrshot binding)   saves Screenshot_<n>.png in the working folder\n"
    "  ` (the key left of 1)       shows or hides the debug overlay\n"
    "\n"
    "A game controller:\n"
    "  D-pad or left stick         as the arrow keys\n"
    "  A (the bottom face button)  selects, as the left button; held, it is the\n"
    "                              held button\n"
    "  B (the right face button)   as Escape\n"
    "\n"
    "Arguments:\n"
    "  --help     print this text and exit\n"
    "  --version  print the version and exit\n"
    "\n"
    "The settings file is plain text; these are the keys a player may edit, with\n"
    "their defaults (man 6 veldrune says what each does):\n";

// The red letters of one row, German's first where the two differ ("S/L").
std::string RowHotkeys(bool mainRow) {
    std::string letters;
    for (int label = 0; label < MenuLabelCount; ++label) {
        const int32_t target = MenuNewGame + label;
        if (GermanWords.Labels[label].Hotkey == 0 ||
            (IsMainRowPage(target) || target == MenuOptions) != mainRow)
            continue;
        if (!letters.empty()) letters += ", ";
        const char german = char(std::toupper(GermanWords.Labels[label].Hotkey));
        const char english = char(std::toupper(EnglishWords.Labels[label].Hotkey));
        letters += german;
        if (english != german) letters += std::string("/") + english;
    }
    return letters;
}

// The keys a player may edit, group by group from the key table, each group's
// "key = default" pairs wrapped at 79 columns.
void PrintEditableKeys(std::FILE* out) {
    std::string line;
    const char* group = nullptr;
    for (const SettingKeyRow& row : SettingKeys) {
        if (!row.PlayerEdits) continue;
        std::string entry = std::string(row.Key) + " = " + SettingDefaultText(row.Id);
        if (group != row.Group) {
            if (!line.empty()) std::fprintf(out, "%s\n", line.c_str());
            std::fprintf(out, "  [%s]\n", row.Group);
            group = row.Group;
            line = "    " + entry;
        } else if (line.size() + 2 + entry.size() > 79) {
            std::fprintf(out, "%s,\n", line.c_str());
            line = "    " + entry;
        } else {
            line += ", " + entry;
        }
    }
    if (!line.empty()) std::fprintf(out, "%s\n", line.c_str());
}

// A write that did not reach its reader (a full disk, a closed pipe) must not
// end with success.
int Finish(std::FILE* stream) {
    if (std::fflush(stream) != 0 || std::ferror(stream)) {
        std::fprintf(stderr, "veldrune: cannot write to standard output\n");
        return 1;
    }
    return 0;
}

}  // namespace

std::string HotkeyRows() { return RowHotkeys(true) + " on the main row; " + RowHotkeys(false) + " in Options"; }

int HandleCommandLine(int argc, const char* const* argv) {
    if (argc <= 1) return -1;
    if (argc > 2) {
        std::fprintf(stderr, "veldrune: takes at most one argument (--help or --version), got %d\n", argc - 1);
        return CommandLineMisuse;
    }
    const char* argument = argv[1];
    if (std::strcmp(argument, "--help") == 0) {
        std::fprintf(stdout, HelpText, GameVersion, RowHotkeys(true).c_str(), RowHotkeys(false).c_str());
        PrintEditableKeys(stdout);
        return Finish(stdout);
    }
    if (std::strcmp(argument, "--version") == 0) {
        std::fprintf(stdout, "%s %s\n", GameTitle, GameVersion);
        return Finish(stdout);
    }
    std::fprintf(stderr, "veldrune: unknown argument '%s' (veldrune --help lists the arguments)\n", argument);
    return CommandLineMisuse;
}
