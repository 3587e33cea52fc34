#include "app/demos/report.h"

#include <cstdio>
#include <unordered_map>

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "rules/random.h"
#include "state/game.h"

namespace {

class Out {
 public:
  Out& word(const char* w) {
    sep();
    text_ += w;
    return *this;
  }
  Out& num(int64_t v) {
    sep();
    text_ += std::to_string(v);
    return *this;
  }
  Out& real(float v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
    sep();
    text_ += buf;
    return *this;
  }
  void end() {
    text_ += '\n';
    fresh_ = true;
  }
  std::string take() { return std::move(text_); }

 private:
  void sep() {
    if (!fresh_) text_ += ' ';
    fresh_ = false;
  }
  std::string text_;
  bool fresh_ = true;
};

}  // namespace

FigureIds NumberFigures() {
  FigureIds ids;
  int32_t next = 0;
  if (game.figureList) game.figureList->ForEach([&](const Tfigur* f) { ids.emplace(f, next++); });
  return ids;
}

std::string StateReport(int32_t framesRun, const FigureIds& ids) {
  // Figures are never made after the first frame, and the report holds no references, so an
  // address names the same figure from numbering to report.
  const auto id = [&](const Tfigur* f) -> int64_t {
    const auto it = ids.find(f);
    return it == ids.end() ? -1 : it->second;
  };
  Out out;
  out.word("frames").num(framesRun).end();
  out.word("gameState").num(static_cast<int32_t>(game.gameState)).end();
  out.word("rng").num(RandomState()).end();
  out.word("camera").num(game.camX).num(game.camY).end();
  out.word("player").num(id(game.player.get())).end();

  out.word("figures").num(game.figureList ? game.figureList->Count() : 0).end();
  if (game.figureList) {
    game.figureList->ForEach([&](const Tfigur* f) {
      out.word("F").num(id(f)).real(f->X).real(f->Y).num(f->Side).real(f->HP).num(f->EP).num(f->Art).num(f->weapon);
      for (int32_t w : f->weapons) out.num(w);
      out.num(f->Time).end();
    });
  }
  out.word("items").num(game.itemList ? game.itemList->Count() : 0).end();
  if (game.itemList) {
    game.itemList->ForEach([&](const TItem* i) { out.word("I").num(i->X).num(i->Y).num(i->Art).num(i->r).end(); });
  }
  out.word("shots").num(game.shotList ? game.shotList->Count() : 0).end();
  if (game.shotList) {
    game.shotList->ForEach([&](const tshot* s) {
      out.word("S").real(s->x).real(s->y).real(s->s).num(s->t).num(s->art).num(s->g).num(s->r).num(s->hp);
      out.num(id(s->f.get())).end();
    });
  }
  out.word("blood").num(game.bloodList ? game.bloodList->Count() : 0).end();
  if (game.bloodList) {
    game.bloodList->ForEach([&](const Tblood* b) { out.word("B").num(b->X).num(b->Y).num(b->R).real(b->s).end(); });
  }
  return out.take();
}
