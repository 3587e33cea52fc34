// What a desktop sends to end a program (SIGTERM at logout, SIGINT from a terminal, SIGHUP when
// the terminal goes): the first such signal becomes a close request at the next event pump, so
// play ends as the close button ends it and the demo and report are written; a second one while
// that runs ends the process at once, as that signal does by default.
#pragma once

void InstallStopSignals();
// The first stop signal that arrived, 0 while none did.
int StopSignal();
