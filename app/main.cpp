#include "app/tapp.h"
#include "platform/crash.h"
#include "platform/fatal.h"
#include "platform/paths.h"

int main() {
  InstallCrashHandler();
  if (!EnterGameFolder()) Fatal("cannot change to the game's folder " + GameFolder());
  RunEntry();
  CloseScreenForExit();
  return 0;
}
