#include "app/tapp.h"

// The game loop arrives with the actors.
int32_t Tapp::run() { return 0; }

int32_t Tapp::drawhub() { return 0; }
