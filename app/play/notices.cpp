#include "app/play/notices.h"

#include <algorithm>
#include <functional>

#include "app/play/play_session.h"
#include "platform/system/clock.h"
#include "platform/text/language.h"
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

bool Waits(TNoticeKind kind) { return kind == TNoticeKind::Plain || kind == TNoticeKind::Picture; }

// Sound and urgent notices go before every plain one, after those of their own sort.
void PutInFront(std::deque<TNotice>& notices, TNotice notice) {
  auto at = std::find_if(notices.begin(), notices.end(), [](const TNotice& n) { return Waits(n.kind); });
  if (at != notices.end() && at == notices.begin() && at->shown) at->shown = false;
  notices.insert(at, std::move(notice));
}

// Beyond the bound the oldest plain notice not showing goes; sound and urgent ones stay.
void KeepBound(std::deque<TNotice>& notices) {
  while (notices.size() > kMostNotices) {
    auto oldest =
        std::find_if(notices.begin(), notices.end(), [](const TNotice& n) { return Waits(n.kind) && !n.shown; });
    if (oldest == notices.end()) oldest = notices.begin() + (notices.front().shown ? 1 : 0);
    notices.erase(oldest);
  }
}

TNotice* Find(std::deque<TNotice>& notices, const std::function<bool(const TNotice&)>& which) {
  auto found = std::find_if(notices.begin(), notices.end(), which);
  return found == notices.end() ? nullptr : &*found;
}

}  // namespace

void PostNotice(const std::string& text, TNoticeKind kind) {
  std::deque<TNotice>& notices = Queue();
  if (kind == TNoticeKind::Sound) {
    if (TNotice* last = Find(notices, [](const TNotice& n) { return n.kind == TNoticeKind::Sound; })) {
      last->text = text;
      last->shown = false;
      return;
    }
  } else if (Find(notices, [&](const TNotice& n) { return n.kind == kind && n.text == text; }) != nullptr) {
    return;
  }
  TNotice notice{text, kind, false, 0, 1};
  if (Waits(kind)) {
    notices.push_back(std::move(notice));
  } else {
    PutInFront(notices, std::move(notice));
  }
  KeepBound(notices);
}

void PostPictureNotice(const std::string& file) {
  TNotice* last = Find(Queue(), [](const TNotice& n) { return n.kind == TNoticeKind::Picture; });
  if (last == nullptr) {
    PostNotice(TrFill("Bild: %s", {file}), TNoticeKind::Picture);
    return;
  }
  ++last->count;
  last->text = TrFill("%s Bilder gespeichert", {std::to_string(last->count)});
  last->shown = false;
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
    if (ClockDiff(now, n.since) < (n.kind == TNoticeKind::Sound ? kSoundNoticeMs : kNoticeMs)) break;
    notices.pop_front();
  }
  if (!notices.empty()) Draw(notices.front().text);
}

std::string CurrentNotice() {
  const std::deque<TNotice>& notices = Queue();
  return notices.empty() || !notices.front().shown ? std::string() : notices.front().text;
}
