// key_names.cpp — key names and glyphs. (stub)
#include "assets/assets.h"

const KeyNameRow KeyNameTable[KeyNameRowCount] = {};
int KeyFromName(const std::string&) { return 0; }
const char* NameFromKey(int) { return nullptr; }
void DrawKeyGlyph(const std::string&, int, int, int) {}
