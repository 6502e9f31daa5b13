// main.cpp — the program's entry: the arguments first (they need no display
// and touch no file), then start-up, frame loop, shutdown.
#include "core/command_line.h"
#include "core/core.h"

int main(int argc, char** argv) {
    int code = HandleCommandLine(argc, argv);
    if (code >= 0) return code;
    return RunProgram();
}
