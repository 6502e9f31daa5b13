// main.cpp — the program's entry: start-up, frame loop, shutdown.
#include "core/core.h"

int main() { return RunProgram(); }
