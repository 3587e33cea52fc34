// A second, deliberately plain transcription of the game's rules (figures, shots, items,
// blood, the placement of the actors and one frame of the loop without drawing), kept only
// for the tests: written apart from the game's code, with no buckets, remembered angles or
// culling, so it can tell whether the game's faster code still plays exactly the same game.
// Its one shortcut, a sorted-by-x pick of the figures a shot may hit, keeps test runs short.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace refgame {

// A doubly linked list with a head link. A walk holds the link that comes next, so the
// element just returned may unlink itself, and elements appended during a walk are visited
// unless the walk had already moved past the last one. Links are kept until the list dies,
// so an unlinked link keeps its successor.
template <class T>
class RefList {
 public:
  struct Link {
    std::shared_ptr<T> value;
    Link* prev = nullptr;
    Link* next = nullptr;
  };

  RefList() { head_.prev = head_.next = &head_; }
  RefList(const RefList&) = delete;
  RefList& operator=(const RefList&) = delete;

  Link* AddLast(std::shared_ptr<T> value) {
    links_.push_back(std::make_unique<Link>());
    Link* l = links_.back().get();
    l->value = std::move(value);
    l->prev = head_.prev;
    l->next = &head_;
    head_.prev->next = l;
    head_.prev = l;
    ++count_;
    return l;
  }

  void Remove(Link* l) {
    l->prev->next = l->next;
    l->next->prev = l->prev;
    --count_;
  }

  template <class F>
  void Walk(F&& visit) {
    Link* next = head_.next;
    while (next != &head_) {
      Link* cur = next;
      next = next->next;
      visit(cur->value);
    }
  }

  template <class F>
  void Walk(F&& visit) const {
    const Link* next = head_.next;
    while (next != &head_) {
      const Link* cur = next;
      next = next->next;
      visit(cur->value);
    }
  }

  int Count() const { return count_; }

 private:
  Link head_;
  std::vector<std::unique_ptr<Link>> links_;
  int count_ = 0;
};

struct Figure {
  int32_t id = 0;
  float HP = 0, X = 0, Y = 0;
  int32_t T = 0, Time = 0, EP = 0, Art = 0, Side = 0;
  std::array<int32_t, 5> weapons{};
  int32_t weapon = 0;
  RefList<Figure>::Link* link = nullptr;
  bool gone = false;  // left the figure list
};

struct Shot {
  float x = 0, y = 0, s = 0;
  int32_t t = 0, art = 0, g = 0, r = 0, hp = 0;
  std::shared_ptr<Figure> f;
  RefList<Shot>::Link* link = nullptr;
};

struct Item {
  int32_t X = 0, Y = 0, Art = 0, r = 0;
  RefList<Item>::Link* link = nullptr;
};

struct Blood {
  int32_t X = 0, Y = 0, R = 0;
  float s = 0;
};

// What the input queries of one frame answer.
struct FrameInput {
  std::array<bool, 256> held{};  // KeyIsDown
  bool mouse1 = false;           // ButtonIsDown(1)
  bool escapePressed = false;    // KeyPressed(27) counted a press
  int32_t pointerX = 0;          // PointerX
};

// Turns a simulator script into each frame's input: events of frame k are applied before
// frame k's queries; keys stay held until released; a press counts only for a key that
// was up; the pointer stands at the centre unless a pointer line names the frame.
class ScriptInput {
 public:
  ScriptInput(const std::string& script, int32_t screenW);
  FrameInput Next();  // the input of the next frame, starting with frame 0

 private:
  struct Event {
    int32_t frame;
    int kind;      // 0 down, 1 up, 2 pointer
    int32_t code;  // key code, 256 for mouse1, or the pointer offset
  };
  std::vector<Event> events_;
  size_t pos_ = 0;
  int32_t frame_ = 0;
  int32_t centre_;
  std::array<bool, 257> held_{};
  int escapeCount_ = 0;
};

// What happened during a run, to show that a comparison covered the interesting rules.
struct Stats {
  int enemyDeaths = 0;
  int hits = 0;
  int hitsOnPlayer = 0;
  int pickups = 0;
  std::array<int, 7> pickupsByArt{};
  std::array<int, 5> shotsByKind{};        // every shot fired, by kind
  std::array<int, 5> playerShotsByKind{};  // shots owned by the player, by kind
  int throwOffs = 0;                       // kind-0 shots thrown off by kind-3 shots
  int blood = 0;
  int expiredShots = 0;
  std::array<int, 5> shotsByKindNegativeClock{};
  int hitsNegativeClock = 0;
  int hitsEarlyClock = 0;            // while the clock reads 0 .. 2000
  std::array<int, 5> kind5Phases{};  // updates of kind-5 enemies in range, by phase + 2
  // Shots fired for, and hits by shots of, figures that have left the list (a dying enemy's
  // last update, throw-offs of its kind-3 shots).
  int shotsOfGoneOwners = 0;
  int hitsOfGoneOwners = 0;
};

class Game {
 public:
  // Generates the world from mapFile with the seed, places enemies, items and the player.
  // False when the world has no land.
  bool Setup(const std::string& mapFile, int32_t seed, int32_t clock, int32_t screenW,
             int32_t screenH);
  void Frame(const FrameInput& in, int32_t now);
  std::string Report(int32_t frames) const;

  int32_t gameState = 0;
  Stats stats;
  std::shared_ptr<Figure> player;

 private:
  std::shared_ptr<Figure> NewFigure(int32_t x, int32_t y, int32_t art);
  void NewItem(int32_t x, int32_t y, int32_t art);
  void NewBlood(int32_t x, int32_t y);
  std::shared_ptr<Shot> NewShot(int32_t x, int32_t y, int32_t angle, int32_t kind,
                                std::shared_ptr<Figure> owner);
  void Move(Figure& f, int32_t a, int32_t b);
  void UpdateFigure(const std::shared_ptr<Figure>& f);
  void UpdateShot(const std::shared_ptr<Shot>& s);
  void Items();

  int32_t screenW_ = 0, screenH_ = 0;
  int32_t camX_ = 0, camY_ = 0;
  int32_t now_ = 0;
  int32_t nextId_ = 0;
  RefList<Figure> figures_;
  RefList<Item> items_;
  RefList<Shot> shots_;
  RefList<Blood> blood_;
  struct HitTarget {
    Figure* f;
    double X, Y;
  };
  std::vector<HitTarget> targets_;  // the figure list in its order
  std::vector<size_t> byX_;         // indices into targets_, by x
  std::vector<size_t> near_;
};

// NowMs during frame k: start + step * k in wrapping 32-bit arithmetic.
int32_t FrameClock(int32_t start, int32_t step, int32_t frame);

}  // namespace refgame
