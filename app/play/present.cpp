#include <string>

#include "app/play/notices.h"
#include "app/play/pause_watch.h"
#include "app/play/player_keys.h"
#include "app/tapp.h"
#include "platform/files/paths.h"
#include "platform/files/screenshot.h"
#include "platform/system/fatal.h"
#include "platform/text/language.h"
#include "platform/video/graphics.h"

void Tapp::present() {
  // A frame run unseen shows nothing; a screenshot asked for waits for the next one shown.
  if (DrawingSkipped()) return;
  KeepFrameIfPausing();
  if (TakeScreenshotRequest()) {
    // The back buffer holds the whole frame about to be shown.
    const TVex2DGraphics* g = CurrentGraphics();
    const TPixmapPtr shot = g != nullptr ? GrabPixmap(0, 0, g->g_width, g->g_height) : nullptr;
    const std::string path = shot ? SaveScreenshot(*shot, ScreenshotFolder()) : std::string();
    // stderr has the whole path or the reason; the corner the name.
    if (path.empty()) {
      PostNotice(Tr("Bild nicht gespeichert"));
    } else {
      PostPictureNotice(path.substr(path.rfind('/') + 1));
    }
  }
  Flip(-1);
  if (!DrawingFailure().empty()) Fatal(DrawingFailure());
}
