// Screenshots: a picture saved as a PNG under a name of its own in the player's screenshots
// folder (platform/files/paths.h). Which key asks for one is the application's business.
#pragma once
#include <string>

#include "platform/files/pixmap.h"

// Saves the picture as kestrova-YYYYMMDD-HHMMSS-mmm.png in the folder (made when missing) and
// says where on stderr; a warning there when it cannot. The path written, or empty.
std::string SaveScreenshot(const TPixmap& picture, const std::string& folder);
