#include "app/play/notices.h"

#include "app/play/play_session.h"
#include "platform/system/clock.h"
#include "platform/video/draw_state_kept.h"
#include "platform/video/graphics.h"
#include "state/game.h"

namespace {

constexpr int32_t kSoundNoticeMs = 2000;
constexpr int32_t kNoticeMs = 4000;
constexpr float kNoticeScale = 2.0f;

// Top right, white, over whatever the frame shows; in the right half of the screen, away from
// the HUD and beside the score screen's text, at half the size when twice would reach further.
void Draw(const std::string& text) {
  if (CurrentGraphics() == nullptr) return;
  const TDrawStateKept kept;
  float scale = kNoticeScale;
  if (8.0f * scale * static_cast<float>(TextColumns(text)) + 8.0f > static_cast<float>(game.screenW / 2)) scale = 1.0f;
  SetColor(255, 255, 255);
  SetAlpha(1.0f);
  SetBlend(3);
  SetDrawRotation(0.0f);
  SetDrawScale(scale, scale);
  const float width = 8.0f * scale * static_cast<float>(TextColumns(text));
  DrawString(text, static_cast<float>(game.screenW) - width - 8.0f, 8.0f);
}

std::deque<TNotice>& Queue() { return PlaySession().notices.queue; }

}  // namespace

void PostNotice(const std::string& text) { Queue().push_back({text, false, false, 0}); }

void PostSoundNotice(const std::string& text) {
  for (TNotice& n : Queue()) {
    if (!n.sound) continue;
    n.text = text;
    n.shown = false;
    return;
  }
  Queue().push_back({text, true, false, 0});
}

void DrawNotices() {
  const int32_t now = RealNowMs();
  std::deque<TNotice>& notices = Queue();
  while (!notices.empty()) {
    TNotice& n = notices.front();
    if (!n.shown) {
      n.shown = true;
      n.since = now;
    }
    if (ClockDiff(now, n.since) < (n.sound ? kSoundNoticeMs : kNoticeMs)) break;
    notices.pop_front();
  }
  if (!notices.empty()) Draw(notices.front().text);
}

std::string CurrentNotice() {
  const std::deque<TNotice>& notices = Queue();
  return notices.empty() || !notices.front().shown ? std::string() : notices.front().text;
}
