// settings_lines.h — a settings file as the program writes it, for every
// suite that starts the menu with settings of its own: the byte-order mark,
// an empty line, then the given lines ("[Screen]", "ScreenW = 1024", ...),
// each ended by CR LF. (tools/menu_folder.sh writes the same for scripts.)
#pragma once

#include <string>
#include <vector>

// The program's struct of the same name comes first: the function below hides
// it from then on, and a header that holds one (shared_services.h) names it
// `struct SettingsText`, which still finds it.
#include "formats/settings_text.h"

inline std::string SettingsText(const std::vector<std::string>& lines) {
    std::string text = "\xEF\xBB\xBF\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}
