// settings_lines.h — a settings file as the program writes it, for every
// suite that starts the menu with settings of its own: the byte-order mark,
// an empty line, then the given lines ("[Screen]", "ScreenW = 1024", ...),
// each ended by CR LF. (tools/menu_folder.sh writes the same for scripts.)
#pragma once

#include <string>
#include <vector>

inline std::string SettingsText(const std::vector<std::string>& lines) {
    std::string text = "\xEF\xBB\xBF\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}
