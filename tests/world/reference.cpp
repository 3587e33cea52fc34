#include "reference.h"

#include <list>

#include "platform/files/textio.h"
#include "rules/degrees.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"

namespace reference {

namespace {

int32_t Clamp(int64_t v) { return static_cast<int32_t>(v < 1 ? 1 : v > 2046 ? 2046 : v); }

}  // namespace

int32_t Getpos(int32_t x, int32_t y) {
  if (x < 0 || x > 2047 || y < 0 || y > 2047) return 0;
  return CellBits(game.mapGrid[x][y], 7, 7) != 0 ? 1 : -1;
}

void Createdungeon() {
  int32_t tx = 1024;
  int32_t ty = 1024;
  for (int64_t i = 0; i <= game.pathCount; ++i) {
    int32_t wx = tx;
    int32_t wy = ty;
    const int32_t angle = RandomInt(0, 359);
    const int32_t len = RandomInt(game.pathLengthA, game.pathLengthB);
    tx = TruncToInt(wx + SinDeg(angle) * len);
    ty = TruncToInt(wy + CosDeg(angle) * len);
    if (wx < 2 && SinDeg(angle) < 0) tx = TruncToInt(wx - SinDeg(angle) * len);
    if (wy < 2 && CosDeg(angle) < 0) ty = TruncToInt(wy - CosDeg(angle) * len);
    if (wx > 2045 && SinDeg(angle) > 0) tx = TruncToInt(wx - SinDeg(angle) * len);
    if (wy > 2045 && CosDeg(angle) > 0) ty = TruncToInt(wy - CosDeg(angle) * len);
    tx = Clamp(tx);
    ty = Clamp(ty);
    do {
      const int32_t b = RandomInt(game.pathWidthA, game.pathWidthB);
      for (int64_t x = wx; x <= int64_t{wx} + b; ++x) {
        for (int64_t y = wy; y <= int64_t{wy} + b; ++y) game.mapGrid[Clamp(x)][Clamp(y)] = CMapWeg;
      }
      if (RandomInt(game.roomChance, 1) == 1) {
        const int32_t c = RandomInt(2, game.roomSizeMax);
        for (int64_t x = int64_t{tx} - c; x <= int64_t{tx} + c; ++x) {
          for (int64_t y = int64_t{ty} - c; y <= int64_t{ty} + c; ++y) {
            game.mapGrid[Clamp(x)][Clamp(y)] = CMapWeg;
          }
        }
      }
      if (wx < tx) ++wx;
      if (wx > tx) --wx;
      if (wy < ty) ++wy;
      if (wy > ty) --wy;
    } while (wx != tx || wy != ty);
  }
}

void Smoothmap(int32_t radius, int32_t passes) {
  for (int32_t p = 0; p < passes; ++p) {
    for (int32_t x = 1; x <= 2046; ++x) {
      for (int32_t y = 1; y <= 2046; ++y) {
        int32_t sum = 0;
        for (int32_t i = x - radius; i <= x + radius; ++i) {
          for (int32_t j = y - radius; j <= y + radius; ++j) sum += Getpos(i, j);
        }
        game.mapGrid[x][y] = sum > 0 ? 1 : 0;
      }
    }
  }
}

// Breadth-first over a linked list whose walk moves on before handing out an entry, so the
// entry just handed out can be removed and entries appended meanwhile are still reached.
void Checkpoint(int32_t x, int32_t y, int32_t target) {
  static constexpr int32_t kNeighbours[4][2] = {{-1, 0}, {0, -1}, {0, 1}, {1, 0}};
  std::list<Tpoint> queue;
  queue.push_back(Tpoint{x, y});
  while (!queue.empty()) {
    for (auto it = queue.begin(); it != queue.end();) {
      const auto current = it++;
      const Tpoint p = *current;
      for (const auto& d : kNeighbours) {
        const int32_t nx = p.x + d[0];
        const int32_t ny = p.y + d[1];
        if (nx >= 0 && nx <= 2047 && ny >= 0 && ny <= 2047 && Getpos(nx, ny) == target &&
            CellBits(game.mapGrid[nx][ny], 5, 5) == 0) {
          game.mapGrid[nx][ny] = static_cast<uint8_t>(game.mapGrid[nx][ny] + 4);
          queue.push_back(Tpoint{nx, ny});
        }
      }
      queue.erase(current);
    }
  }
}

void Checkmap() {
  bool seeded = false;
  for (int32_t x = 1000; x <= 1100; ++x) {
    for (int32_t y = 1000; y <= 1100; ++y) {
      if (!seeded && Getpos(x, y) == 1) {
        seeded = true;
        game.mapGrid[x][y] = static_cast<uint8_t>(game.mapGrid[x][y] + 4);
        Checkpoint(x, y, 1);
      }
    }
  }
  for (int32_t x = 0; x <= 2047; ++x) {
    for (int32_t y = 0; y <= 2047; ++y) game.mapGrid[x][y] = CellBits(game.mapGrid[x][y], 5, 5) != 0 ? 1 : 0;
  }
}

void Fillwatermap() {
  game.mapGrid[0][0] = static_cast<uint8_t>(game.mapGrid[0][0] + 4);
  Checkpoint(0, 0, -1);
  for (int32_t x = 0; x <= 2047; ++x) {
    for (int32_t y = 0; y <= 2047; ++y) {
      if (CellBits(game.mapGrid[x][y], 5, 5) != 0) game.mapGrid[x][y] = 2;
    }
  }
}

void Dekoratemap(int32_t radius) {
  for (int32_t x = 1; x <= 2046; ++x) {
    for (int32_t y = 1; y <= 2046; ++y) {
      if (Getpos(x, y) != 1) continue;
      int32_t sum = 0;
      for (int32_t i = x - radius; i <= x + radius; ++i) {
        for (int32_t j = y - radius; j <= y + radius; ++j) sum += Getpos(i, j);
      }
      int32_t h = sum / 3;
      if (h < 0) h = 0;
      game.mapGrid[x][y] = static_cast<uint8_t>(game.mapGrid[x][y] + h * 8);
    }
  }
}

void Bereichmap() {
  for (int32_t bx = 0; bx <= 1984; bx += 64) {
    for (int32_t by = 0; by <= 1984; by += 64) {
      int32_t land = 0;
      int32_t ocean = 0;
      for (int32_t x = bx; x <= bx + 63; ++x) {
        for (int32_t y = by; y <= by + 63; ++y) {
          if (Getpos(x, y) == 1) {
            ++land;
          } else if (CellBits(game.mapGrid[x][y], 5, 6) == 2) {
            ++ocean;
          }
        }
      }
      int32_t k = 0;
      if (ocean > 1000) {
        k = 3;
      } else if (land >= 2000) {
        k = 2;
      }
      for (int32_t x = bx; x <= bx + 63; ++x) {
        for (int32_t y = by; y <= by + 63; ++y) {
          if (CellBits(game.mapGrid[x][y], 5, 6) == 0) {
            game.mapGrid[x][y] = static_cast<uint8_t>(game.mapGrid[x][y] + k * 2);
          }
        }
      }
    }
  }
}

void Savemap(const std::string& path, int32_t first, int32_t last) {
  const TStreamPtr file = OpenWriteStream(path);
  for (int32_t x = 0; x <= 2047; ++x) {
    std::string line;
    for (int32_t y = 0; y <= 2047; ++y) {
      line += IntToText(CellBits(game.mapGrid[x][y], first, last) >> (7 - last));
    }
    WriteLine(file, line);
  }
  CloseStream(file);
}

}  // namespace reference
