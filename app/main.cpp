#include "app/tapp.h"
#include "platform/crash.h"
#include "platform/fatal.h"
#include "platform/startup.h"

int main() {
  InstallCrashHandler();
  if (!EnterProgramFolder()) Fatal("cannot change to the program's own folder");
  RunEntry();
  CloseScreenForExit();
  return 0;
}
