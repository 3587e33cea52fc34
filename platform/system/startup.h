// Process start-up: every relative path the game opens resolves in the program's own folder.
#pragma once
#include <string>

// The folder that holds the running program file, from /proc/self/exe ("/" for the root).
std::string ProgramFolder();
// Makes ProgramFolder() the current directory; false when that fails.
bool EnterProgramFolder();
