// F12 screenshots: the key asks for one, and the next frame the window presents is saved as
// a PNG in the player's screenshots folder (platform/paths.h). The game rules never see it.
#pragma once
#include <string>

#include "platform/pixmap.h"

void RequestScreenshot();
// True once after each request.
bool TakeScreenshotRequest();
// Saves the picture as kestrova-YYYYMMDD-HHMMSS-mmm.png in the folder (made when missing) and
// says where on stderr; a warning there when it cannot. The path written, or empty.
std::string SaveScreenshot(const TPixmap& picture, const std::string& folder);
