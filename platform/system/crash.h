// Last-resort handler for processor faults: names the fault the way Windows does, shows it,
// closes the screen and exits with 128 + the signal number.
#pragma once

// Installs the handlers on an alternate stack, so a stack overflow is caught too.
void InstallCrashHandler();

// The Windows exception name for a signal, its si_code and the fault address.
const char* ExceptionName(int sig, int code, const void* address);
