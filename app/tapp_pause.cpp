#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/bindings.h"
#include "app/controls_help.h"
#include "app/pause.h"
#include "app/tapp.h"
#include "platform/audio/sound.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/input/pad.h"
#include "platform/system/clock.h"
#include "platform/text/language.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "rules/rules_clock.h"
#include "state/game.h"

namespace {

constexpr float kCaptionScale = 4.0f;
// The last frame of play shows at this brightness under the caption.
constexpr int32_t kDimmed = 96;

// The frame kept when the pause was asked for, as an image to draw; null if none was kept.
std::shared_ptr<TImage> LastFrame() {
  TPixmapPtr kept = TakeKeptFrame();
  if (!kept) return nullptr;
  auto image = TImage::Create(kept->width, kept->height, 1, 0, 0, 0, 0);
  image->SetPixmap(0, std::move(kept));
  return image;
}

// The controls in force in small print under the caption, as a block centred on the screen.
void DrawControls() {
  const std::vector<std::string> lines = ControlsInForce(Bindings(), PadConnected());
  size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, TextColumns(line));
  const float x = static_cast<float>(game.screenW / 2) - 4.0f * static_cast<float>(longest);
  float y = static_cast<float>(game.screenH / 2) + 16.0f;
  for (const std::string& line : lines) {
    DrawString(line, x, y);
    y += 18.0f;
  }
}

// Leaves the draw state as the end of a frame of play leaves it.
void DrawPauseScreen(const std::shared_ptr<TImage>& last) {
  const std::string caption = Tr("Pause");
  Cls();
  SetColor(kDimmed, kDimmed, kDimmed);
  DrawImageFrame(last, 0.0f, 0.0f, 0);
  SetColor(255, 255, 255);
  SetDrawScale(kCaptionScale, kCaptionScale);
  const float width = 8.0f * kCaptionScale * static_cast<float>(TextColumns(caption));
  DrawString(caption, static_cast<float>(game.screenW / 2) - width / 2,
             static_cast<float>(game.screenH / 2) - 8.0f * kCaptionScale);
  SetDrawScale(1.0f, 1.0f);
  DrawControls();
  Tapp::present();
}

}  // namespace

int32_t Tapp::pause() {
  const std::shared_ptr<TImage> last = LastFrame();
  TakePauseInput();
  StopRulesClock();
  PauseSounds(true);
  FreePointerWhilePaused(true);
  bool clicked = false;
  for (;;) {
    DrawPauseScreen(last);
    const bool escape = KeyPressesWaiting(KEY_ESCAPE) != 0;
    const TPauseInput asked = TakePauseInput();
    clicked = asked.clicks != 0;
    if (escape || clicked || asked.keys != 0) break;
  }
  // The click that ends the pause fires nothing.
  if (clicked) ClearButtons();
  FreePointerWhilePaused(false);
  PauseSounds(false);
  RunRulesClock();
  return 0;
}
