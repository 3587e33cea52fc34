#include "reference_game.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "platform/system/clock.h"
#include "rules/degrees.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace refgame {

namespace {

// Clock differences wrap like the 32-bit millisecond counter they are made of.
int32_t Diff(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

double Sq(double v) { return std::pow(v, 2.0); }

int32_t Cell(float v) { return TruncToInt((static_cast<double>(v) + 32.0) / 64.0); }

void Put(std::string& out, const char* fmt, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, v);
  out += ' ';
  out += buf;
}

void PutF(std::string& out, float v) { Put(out, "%.9g", static_cast<double>(v)); }
void PutI(std::string& out, int32_t v) {
  out += ' ';
  out += std::to_string(v);
}

}  // namespace

int32_t FrameClock(int32_t start, int32_t step, int32_t frame) {
  return static_cast<int32_t>(static_cast<uint32_t>(start) +
                              static_cast<uint32_t>(step) * static_cast<uint32_t>(frame));
}

ScriptInput::ScriptInput(const std::string& script, int32_t screenW) : centre_(screenW / 2) {
  std::istringstream in(script);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream ls(line);
    Event e{};
    std::string what, code;
    ls >> e.frame >> what >> code;
    e.kind = what == "down" ? 0 : what == "up" ? 1 : 2;
    e.code = code == "mouse1" ? 256 : std::stoi(code);
    events_.push_back(e);
  }
  std::stable_sort(events_.begin(), events_.end(),
                   [](const Event& a, const Event& b) { return a.frame < b.frame; });
}

FrameInput ScriptInput::Next() {
  FrameInput in;
  in.pointerX = centre_;
  for (; pos_ < events_.size() && events_[pos_].frame <= frame_; ++pos_) {
    const Event& e = events_[pos_];
    if (e.frame < frame_) continue;
    if (e.kind == 0) {
      if (!held_[e.code] && e.code == 27) ++escapeCount_;
      held_[e.code] = true;
    } else if (e.kind == 1) {
      held_[e.code] = false;
    } else {
      in.pointerX = centre_ + e.code;
    }
  }
  for (int k = 0; k < 256; ++k) in.held[k] = held_[k];
  in.mouse1 = held_[256];
  in.escapePressed = escapeCount_ > 0;
  escapeCount_ = 0;
  ++frame_;
  return in;
}

bool Game::Setup(const std::string& mapFile, int32_t seed, int32_t clock, int32_t screenW,
                 int32_t screenH) {
  screenW_ = screenW;
  screenH_ = screenH;
  now_ = clock;
  UseFixedClock(clock);
  SeedRandom(seed);
  game.mapParamsFile = mapFile;
  if (!GenerateWorld() || !WorldHasLand()) return false;

  auto landCell = [](int32_t& x, int32_t& y) {
    do {
      x = RandomInt(2048, 1);
      y = RandomInt(2048, 1);
    } while (TMap::getpos(x, y) != 1);
  };
  for (int i = 0; i <= 3000; ++i) {
    int32_t x, y;
    landCell(x, y);
    const int32_t kind = RandomInt(0, 5);
    NewFigure(64 * x - 32, 64 * y - 32, kind);
  }
  for (int i = 0; i <= 5000; ++i) {
    int32_t x, y;
    landCell(x, y);
    const int32_t kind = RandomInt(0, 6);
    NewItem(64 * x - 32, 64 * y - 32, kind);
  }
  int32_t x, y;
  landCell(x, y);
  player = NewFigure(64 * x - 32, 64 * y - 32, 0);
  player->HP = 1000.0f;
  player->weapons.fill(-1);
  player->weapons[0] = 1000;
  player->weapon = 0;
  return true;
}

std::shared_ptr<Figure> Game::NewFigure(int32_t x, int32_t y, int32_t art) {
  auto f = std::make_shared<Figure>();
  f->id = nextId_++;
  f->link = figures_.AddLast(f);
  f->X = static_cast<float>(x);
  f->Y = static_cast<float>(y);
  f->Art = art;
  f->HP = 100.0f;
  f->weapon = RandomInt(0, 4);
  f->weapons[f->weapon] = 100000;
  return f;
}

void Game::NewItem(int32_t x, int32_t y, int32_t art) {
  auto it = std::make_shared<Item>();
  it->link = items_.AddLast(it);
  it->X = x;
  it->Y = y;
  it->Art = art;
  it->r = RandomInt(360, 1);
}

void Game::NewBlood(int32_t x, int32_t y) {
  if (RandomInt(24, 1) != 1) return;
  auto b = std::make_shared<Blood>();
  blood_.AddLast(b);
  b->X = TruncToInt(x + RandomReal(-32.0, 64.0));
  b->Y = TruncToInt(y + RandomReal(-32.0, 64.0));
  b->R = RandomInt(360, 1);
  b->s = static_cast<float>(RandomReal(static_cast<double>(0.1f), 1.0));
  ++stats.blood;
}

std::shared_ptr<Shot> Game::NewShot(int32_t x, int32_t y, int32_t angle, int32_t kind,
                                    std::shared_ptr<Figure> owner) {
  if (!owner) owner = player;
  int32_t d = 0;
  switch (kind) {
    case 0:
      d = RandomInt(0, 10);
      break;
    case 1:
    case 4:
      d = RandomInt(0, 15);
      break;
    case 2:
    case 3: {
      // A Time of 0 means "never fired": the first shot leaves at once, whatever the clock.
      const int32_t limit = kind == 2 ? 500 : 2000;
      if (owner->Time == 0 || Diff(now_, owner->Time) > limit) {
        d = 1;
        owner->Time = now_;
      }
      break;
    }
    default:
      break;
  }
  const int32_t c = owner->weapons[owner->weapon];
  if (c < 0) {
    d = 0;
  } else if (d == 1) {
    owner->weapons[owner->weapon] = c - 1;
  }
  if (d != 1) return nullptr;

  auto s = std::make_shared<Shot>();
  s->link = shots_.AddLast(s);
  s->f = owner;
  s->x = static_cast<float>(x);
  s->y = static_cast<float>(y);
  s->s = static_cast<float>(angle + 180);
  s->r = TruncToInt(s->s);
  s->t = now_;
  s->art = kind;
  s->g = kind;
  switch (kind) {
    case 0:
      s->s = static_cast<float>(static_cast<double>(s->s) + RandomInt(-5, 5));
      s->hp = 3;
      break;
    case 1:
      s->r = RandomInt(360, 1);
      s->hp = 6;
      break;
    case 2:
      s->r = RandomInt(360, 1);
      s->hp = 9;
      break;
    case 3:
      s->r = RandomInt(360, 1);
      s->hp = 1;
      break;
    case 4:
      s->g = RandomInt(0, 7) + 4;
      s->r = RandomInt(360, 1);
      s->hp = 12;
      break;
    default:
      break;
  }
  ++stats.shotsByKind[kind];
  if (now_ < 0) ++stats.shotsByKindNegativeClock[kind];
  if (owner->gone) ++stats.shotsOfGoneOwners;
  if (owner == player) ++stats.playerShotsByKind[kind];
  return s;
}

void Game::Move(Figure& f, int32_t a, int32_t b) {
  const float nx =
      static_cast<float>(static_cast<double>(f.X) - b * CosDeg(f.Side + 90) + a * CosDeg(f.Side));
  const float ny =
      static_cast<float>(static_cast<double>(f.Y) - b * SinDeg(f.Side + 90) + a * SinDeg(f.Side));
  if (TMap::getpos(Cell(nx), Cell(ny)) != -1) {
    f.X = nx;
    f.Y = ny;
  } else if (TMap::getpos(Cell(nx), Cell(f.Y)) == 1) {
    f.X = nx;
  } else if (TMap::getpos(Cell(f.X), Cell(ny)) == 1) {
    f.Y = ny;
  }
}

void Game::UpdateFigure(const std::shared_ptr<Figure>& f) {
  if (f == player) {
    if (f->HP < 0) gameState = 1;
    return;
  }
  if (f->HP < 0) {
    figures_.Remove(f->link);
    f->gone = true;
    for (int i = 0; i < 51; ++i) NewBlood(TruncToInt(f->X), TruncToInt(f->Y));
    player->EP += 10;
    ++stats.enemyDeaths;
  }
  const double dx = static_cast<double>(player->X) - f->X;
  const double dy = static_cast<double>(player->Y) - f->Y;
  if (Sq(dx) + Sq(dy) >= 1000000.0) return;
  const double theta = ATan2Deg(dy, dx);
  switch (f->Art) {
    case 1:
      f->Side = TruncToInt((theta + f->Side + 90.0) / 2.0);
      break;
    case 2:
      f->Side = TruncToInt((theta + f->Side + 90.0) / 2.0);
      Move(*f, 0, -1);
      break;
    case 3:
      f->Side = TruncToInt(theta + 90.0);
      Move(*f, 0, -1);
      break;
    case 4:
      f->Side = TruncToInt(theta + 90.0);
      Move(*f, -1, 0);
      break;
    case 5: {
      f->Side = TruncToInt(theta + 90.0);
      const int32_t k = (now_ / 1000) % 3;
      ++stats.kind5Phases[k + 2];
      if (k == 0) {
        Move(*f, -3, 0);
      } else if (k == 1) {
        Move(*f, 2, -2);
      } else if (k == 2) {
        Move(*f, 3, 1);
      }
      break;
    }
    default:
      break;
  }
  const double sx = static_cast<double>(f->X) - camX_;
  const double sy = static_cast<double>(f->Y) - camY_;
  if (sx > -32.0 && sx < screenW_ + 32.0 && sy > -32.0 && sy < screenH_ + 32.0) {
    NewShot(TruncToInt(f->X), TruncToInt(f->Y), -f->Side, f->weapon, f);
  }
}

void Game::UpdateShot(const std::shared_ptr<Shot>& s) {
  auto step = [&](double speed) {
    s->x = static_cast<float>(s->x + SinDeg(s->s) * speed);
    s->y = static_cast<float>(s->y + CosDeg(s->s) * speed);
  };
  switch (s->art) {
    case 0:
      step(8);
      break;
    case 1:
      step(3);
      break;
    case 2:
      s->s = static_cast<float>(s->s + Diff(s->t, now_) / 100.0);
      step(7);
      break;
    case 3:
      step(3);
      for (int i = 0; i < 13; ++i) {
        const int32_t angle = RandomInt(360, 1);
        if (NewShot(TruncToInt(s->x), TruncToInt(s->y), angle, 0, s->f)) ++stats.throwOffs;
      }
      break;
    case 4: {
      s->s = static_cast<float>(s->s + RandomReal(-2.0, 2.0));
      float k = static_cast<float>(2000.0 - Diff(s->t, now_));
      s->x = static_cast<float>(s->x + SinDeg(s->s) * k / 2000.0 * 5.0);
      k = static_cast<float>(2000.0 - Diff(s->t, now_));
      s->y = static_cast<float>(s->y + CosDeg(s->s) * k / 2000.0 * 5.0);
      break;
    }
    default:
      break;
  }
  // Only figures less than 32 pixels away along x can be hit; take those (with a margin)
  // from the x-sorted order and test them exactly, in list order.
  const double sx = s->x;
  auto lo = std::lower_bound(byX_.begin(), byX_.end(), sx - 33.0,
                             [&](size_t i, double v) { return targets_[i].X < v; });
  near_.clear();
  for (; lo != byX_.end() && targets_[*lo].X <= sx + 33.0; ++lo) near_.push_back(*lo);
  std::sort(near_.begin(), near_.end());
  bool hit = false;
  for (size_t i : near_) {
    const HitTarget& target = targets_[i];
    Figure* f = target.f;
    if (f == s->f.get()) continue;
    if (Sq(s->x - target.X) + Sq(s->y - target.Y) >= 1024.0) continue;
    f->HP = static_cast<float>(f->HP - s->hp);
    if (f->HP < 0) {
      for (int i = 0; i < 51; ++i) NewBlood(TruncToInt(f->X), TruncToInt(f->Y));
    }
    s->t = 0;
    NewBlood(TruncToInt(s->x), TruncToInt(s->y));
    hit = true;
    ++stats.hits;
    if (now_ < 0) ++stats.hitsNegativeClock;
    if (s->f->gone) ++stats.hitsOfGoneOwners;
    if (now_ >= 0 && now_ <= 2000) ++stats.hitsEarlyClock;
    if (f == player.get()) ++stats.hitsOnPlayer;
  }
  // A shot that hit is spent at once, even while the clock reads 2000 or less.
  if (hit || Diff(now_, s->t) > 2000) {
    shots_.Remove(s->link);
    if (!hit) ++stats.expiredShots;
  }
}

void Game::Items() {
  items_.Walk([&](const std::shared_ptr<Item>& it) {
    const double dx = static_cast<double>(player->X) - it->X;
    const double dy = static_cast<double>(player->Y) - it->Y;
    if (Sq(dx) + Sq(dy) >= 4000.0) return;
    if (it->Art == 0) {
      player->HP = static_cast<float>(player->HP + 50.0);
    } else if (it->Art == 1) {
      player->HP = static_cast<float>(player->HP + 250.0);
    } else {
      player->weapons[it->Art - 2] += 500 / (it->Art - 1);
    }
    player->EP += 1;
    items_.Remove(it->link);
    ++stats.pickups;
    ++stats.pickupsByArt[it->Art];
  });
}

void Game::Frame(const FrameInput& in, int32_t now) {
  now_ = now;
  Figure& p = *player;
  if (in.held[38] || in.held[87]) Move(p, 0, 3);
  if (in.held[40] || in.held[83]) Move(p, 0, -2);
  if (in.held[37] || in.held[65]) Move(p, -3, 0);
  if (in.held[39] || in.held[68]) Move(p, 3, 0);
  for (int i = 0; i < 5; ++i) {
    if (in.held[49 + i]) p.weapon = i;
  }
  if (in.mouse1) NewShot(TruncToInt(p.X), TruncToInt(p.Y), -p.Side, p.weapon, player);
  if (in.held[13]) NewShot(TruncToInt(p.X), TruncToInt(p.Y), -p.Side, 0, nullptr);
  if (in.escapePressed) gameState = 2;
  p.Side = p.Side + in.pointerX - screenW_ / 2;
  camX_ = TruncToInt(static_cast<double>(p.X) - screenW_ / 2);
  camY_ = TruncToInt(static_cast<double>(p.Y) - screenH_ / 2);
  Items();
  figures_.Walk([&](const std::shared_ptr<Figure>& f) { UpdateFigure(f); });
  // Nothing adds, removes or moves a figure while the shots fly, so one snapshot of the
  // figure list in its order serves every shot of the pass.
  targets_.clear();
  figures_.Walk([&](const std::shared_ptr<Figure>& f) {
    targets_.push_back({f.get(), static_cast<double>(f->X), static_cast<double>(f->Y)});
  });
  byX_.resize(targets_.size());
  for (size_t i = 0; i < byX_.size(); ++i) byX_[i] = i;
  std::sort(byX_.begin(), byX_.end(),
            [&](size_t a, size_t b) { return targets_[a].X < targets_[b].X; });
  shots_.Walk([&](const std::shared_ptr<Shot>& s) { UpdateShot(s); });
}

std::string Game::Report(int32_t frames) const {
  std::string out;
  out += "frames " + std::to_string(frames) + "\n";
  out += "gameState " + std::to_string(gameState) + "\n";
  out += "rng " + std::to_string(RandomState()) + "\n";
  out += "camera " + std::to_string(camX_) + " " + std::to_string(camY_) + "\n";
  out += "player " + std::to_string(player->id) + "\n";
  out += "figures " + std::to_string(figures_.Count()) + "\n";
  figures_.Walk([&](const std::shared_ptr<Figure>& f) {
    out += "F";
    PutI(out, f->id);
    PutF(out, f->X);
    PutF(out, f->Y);
    PutI(out, f->Side);
    PutF(out, f->HP);
    PutI(out, f->EP);
    PutI(out, f->Art);
    PutI(out, f->weapon);
    for (int32_t w : f->weapons) PutI(out, w);
    PutI(out, f->Time);
    out += "\n";
  });
  out += "items " + std::to_string(items_.Count()) + "\n";
  items_.Walk([&](const std::shared_ptr<Item>& it) {
    out += "I";
    PutI(out, it->X);
    PutI(out, it->Y);
    PutI(out, it->Art);
    PutI(out, it->r);
    out += "\n";
  });
  out += "shots " + std::to_string(shots_.Count()) + "\n";
  shots_.Walk([&](const std::shared_ptr<Shot>& s) {
    out += "S";
    PutF(out, s->x);
    PutF(out, s->y);
    PutF(out, s->s);
    PutI(out, s->t);
    PutI(out, s->art);
    PutI(out, s->g);
    PutI(out, s->r);
    PutI(out, s->hp);
    PutI(out, s->f->id);
    out += "\n";
  });
  out += "blood " + std::to_string(blood_.Count()) + "\n";
  blood_.Walk([&](const std::shared_ptr<Blood>& b) {
    out += "B";
    PutI(out, b->X);
    PutI(out, b->Y);
    PutI(out, b->R);
    PutF(out, b->s);
    out += "\n";
  });
  return out;
}

}  // namespace refgame
