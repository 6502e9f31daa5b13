// command_line.h — the program's few arguments, answered before anything
// else starts: no window, no SDL, no file is touched on the way.
#pragma once

#include <string>

// The items' red letters as --help, the README and the manual page list them,
// from the menu's words: "N, S/L, ... on the main row; T, ... in Options".
std::string HotkeyRows();

// Exit code for an argument the program does not know.
constexpr int CommandLineMisuse = 2;

// Answers --help and --version on standard output and an unknown argument
// on standard error. Returns the exit code the program ends with, or -1 when
// there are no arguments and the menu is to start.
int HandleCommandLine(int argc, const char* const* argv);
