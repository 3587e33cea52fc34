#include "app/tapp.h"

// The loading sequence arrives with the world, platform and asset work.
int32_t Tapp::laden() { return 0; }

int32_t Tapp::ladeb(int32_t, const std::string&) { return 0; }
