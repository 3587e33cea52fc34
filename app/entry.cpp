#include "app/globals.h"
#include "app/tapp.h"

int32_t RunEntry() {
  static bool entered = false;
  if (entered) return 0;
  entered = true;
  CreateTables();
  Tapp::init();
  Tapp::laden();
  Tapp::run();
  return 0;
}
