// settings.cpp — the settings in memory and the reads that fill them. (stub)
#include "core/core.h"

GameSettings Cfg;
bool IsGerman() { return Cfg.settings.language == "German"; }
void ReadAllSettings() {}
void ReadControls() {}
