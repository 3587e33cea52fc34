// The game loop: start of play, controls, camera, the frame's drawing passes, the HUD and the
// score screen, driven through injected input events on a recording screen.
#include <gtest/gtest.h>

#include <filesystem>

#include "../support/read_file.h"
#include "../support/scene.h"
#include "app/play/game_tally.h"
#include "app/play/notices.h"
#include "app/play/pad_controls.h"
#include "app/play/placement.h"
#include "app/play/play_session.h"
#include "app/play/player_keys.h"
#include "app/player/bindings.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/core/events.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "rules/answers.h"
#include "state/game.h"
#include "tests/actors/scene.h"
#include "world/tmap.h"

namespace {

using scene::Land;

void Press(int32_t key) { InjectEvent({EVENT_KEYDOWN, key}); }
void Release(int32_t key) { InjectEvent({EVENT_KEYUP, key}); }

class LoopTest : public scene::Scene {
 protected:
  void SetUp() override {
    Scene::SetUp();
    // The game's own controls, as Tapp::init starts them: a close request counts as Escape.
    StartControls();
    Land(90, 90, 150, 150);
    ClearKeys();
    ClearButtons();
  }
  // The player at (x, y) facing up, with the pointer resting at the centre.
  void Start(float x, float y) {
    Player(x, y);
    MovePointer(game.screenW / 2, game.screenH / 2);
  }
  std::vector<TRecordedCall> Rects() const { return rec->CallsOf(DrawOp::DrawRect); }
};

TEST_F(LoopTest, StartPlacesThePlayerOnLandAfterTheEnemies) {
  Enemy(7000, 7000, 1);
  const int32_t seed = RandomState();
  Tapp::start();
  ASSERT_NE(game.player, nullptr);
  const auto figures = Figures();
  ASSERT_EQ(figures.size(), 2u);
  EXPECT_EQ(figures[1], game.player.get());
  // The corner of a land cell: (64 x - 32, 64 y - 32) with x, y in 90..150.
  const auto cx = static_cast<int32_t>(game.player->X + 32) / 64;
  const auto cy = static_cast<int32_t>(game.player->Y + 32) / 64;
  EXPECT_EQ(game.player->X, static_cast<float>(64 * cx - 32));
  EXPECT_EQ(game.player->Y, static_cast<float>(64 * cy - 32));
  EXPECT_EQ(TMap::getpos(cx, cy), 1);
  EXPECT_NE(RandomState(), seed);
  EXPECT_EQ(game.player->HP, 1000.0f);
  EXPECT_EQ(game.player->weapons, (std::array<int32_t, 5>{1000, -1, -1, -1, -1}));
  EXPECT_EQ(game.player->weapon, 0);
  EXPECT_EQ(game.player->Art, 0);
  EXPECT_EQ(game.player->Side, 0);
  EXPECT_EQ(PointerX(), game.screenW / 2);
  EXPECT_EQ(PointerY(), game.screenH / 2);
}

// Below the application nothing stops the program: the search for land and a texture that
// cannot be made report back, and the game decides.
TEST_F(LoopTest, NoLandAndUndrawablePicturesAreReportedAndStopTheGameAtTheTop) {
  game.mapGrid.Clear();
  int32_t x = 0;
  int32_t y = 0;
  EXPECT_FALSE(FindLandCell(x, y));
  EXPECT_FALSE(PlaceEnemies());
  EXPECT_EQ(Count(game.figureList), 0);
  EXPECT_EXIT(Tapp::start(), ::testing::ExitedWithCode(1), "no land");

  Land(90, 90, 150, 150);
  Start(7000, 7000);
  rec->SetMaxTextureSize(0);
  EXPECT_EXIT(Tapp::frame(), ::testing::ExitedWithCode(1), "Unable to calculate tex size");
}

TEST_F(LoopTest, OppositeKeysBothApplyAndArrowsEqualLetters) {
  Start(7000, 7000);
  Press(87);  // W
  Press(83);  // S
  Tapp::frame();
  EXPECT_EQ(game.player->X, 7000.0f);
  EXPECT_EQ(game.player->Y, 6999.0f);  // 3 forward, then 2 back
  Release(87);
  Release(83);
  Press(38);  // up arrow and D together: forward and right
  Press(68);
  Tapp::frame();
  EXPECT_EQ(game.player->X, 7003.0f);
  EXPECT_EQ(game.player->Y, 6996.0f);
  Release(38);
  Release(68);
  Press(37);  // left arrow and A: one step only
  Press(65);
  Tapp::frame();
  EXPECT_EQ(game.player->X, 7000.0f);
}

TEST_F(LoopTest, HighestHeldDigitSelectsTheWeapon) {
  Start(7000, 7000);
  Press(50);  // 2
  Press(52);  // 4
  Tapp::frame();
  EXPECT_EQ(game.player->weapon, 3);
  Release(52);
  Tapp::frame();
  EXPECT_EQ(game.player->weapon, 1);
  EXPECT_EQ(Count(game.shotList), 0);  // weapon 2 at -1 never fires; nothing was asked to
  // The game counts a tap made and let go between two frames as held in the next one.
  Release(50);
  CountQuickTaps(true);
  Press(53);
  Release(53);
  Tapp::frame();
  EXPECT_EQ(game.player->weapon, 4);
  Press(49);
  Release(49);
  Tapp::frame();
  EXPECT_EQ(game.player->weapon, 0);
  Tapp::frame();
  EXPECT_EQ(game.player->weapon, 0);
  CountQuickTaps(false);
}

TEST_F(LoopTest, ButtonAndEnterMakeTwoFireCalls) {
  Start(7000, 7000);
  const int32_t before = RandomState();
  int32_t fired = 0;
  for (int32_t call = 0; call < 2; ++call) {
    if (RandomInt(0, 10) == 1) {
      RandomInt(-5, 5);
      ++fired;
    }
  }
  const int32_t after = RandomState();
  SetRandomState(before);
  InjectEvent({EVENT_MOUSEDOWN, 1, game.screenW / 2, game.screenH / 2});
  Press(13);
  Tapp::frame();
  EXPECT_EQ(RandomState(), after);
  EXPECT_EQ(Count(game.shotList), fired);
  EXPECT_EQ(game.player->weapons[0], 1000 - fired);
}

TEST_F(LoopTest, PointerOffsetTurnsThePlayerAndIsPulledBack) {
  Start(7000, 7000);
  InjectEvent({EVENT_MOUSEMOVE, 0, game.screenW / 2 + 10, game.screenH / 2 + 50});
  Tapp::frame();
  EXPECT_EQ(game.player->Side, 10);
  Tapp::frame();  // the warp brought it back to the centre
  EXPECT_EQ(game.player->Side, 10);
  InjectEvent({EVENT_MOUSEMOVE, 0, game.screenW / 2 - 25, game.screenH / 2});
  Tapp::frame();
  EXPECT_EQ(game.player->Side, -15);
}

TEST_F(LoopTest, CameraTruncatesTowardZero) {
  game.mapGrid.Clear();
  Land(5, 5, 12, 12);
  Start(500.7f, 700.0f);
  Tapp::frame();
  EXPECT_EQ(game.camX, -11);  // 500.7 - 512 = -11.3
  EXPECT_EQ(game.camY, 316);
}

TEST_F(LoopTest, EscapeEndsTheGameAfterTheFrameIsDrawnInFull) {
  Start(7000, 7000);
  Press(27);
  rec->Clear();
  Tapp::frame();
  EXPECT_EQ(game.gameState, TGamePhase::Quit);
  EXPECT_EQ(rec->Calls().front().op, DrawOp::Cls);
  EXPECT_EQ(rec->Calls().back().op, DrawOp::Flip);
  EXPECT_EQ(Rects().size(), 6u);
}

TEST_F(LoopTest, FrameDrawsDecalsItemsFiguresShotsThenTheHud) {
  Start(7000, 7000);
  Tblood::draw();  // makes the list
  game.bloodList->AddLast(Tblood{7000, 7000, 0, 0.5f});
  TItem::neu(7200, 7000, 2);
  auto enemy = Enemy(7100, 7100, 0, 2);
  enemy->weapons[2] = 0;  // fires once, at once
  rec->Clear();
  Tapp::frame();
  std::vector<const TPixmap*> order;
  for (const auto& c : Drawn()) {
    if (c.pixmap == game.bloodImage->pixmaps[0].get()) order.push_back(c.pixmap);
    if (c.pixmap == game.itemImages[2]->pixmaps[0].get()) order.push_back(c.pixmap);
    if (c.pixmap == game.figureImages[0]->pixmaps[0].get()) order.push_back(c.pixmap);
    if (c.pixmap == game.shotImages[2]->pixmaps[0].get()) order.push_back(c.pixmap);
  }
  EXPECT_EQ(order,
            (std::vector<const TPixmap*>{game.bloodImage->pixmaps[0].get(), game.itemImages[2]->pixmaps[0].get(),
                                         game.figureImages[0]->pixmaps[0].get(), game.figureImages[0]->pixmaps[0].get(),
                                         game.shotImages[2]->pixmaps[0].get()}));
  // The HUD comes after the last shot and before the flip.
  const auto& calls = rec->Calls();
  size_t lastShot = 0;
  size_t firstRect = 0;
  for (size_t i = 0; i < calls.size(); ++i) {
    if (calls[i].pixmap == game.shotImages[2]->pixmaps[0].get()) lastShot = i;
    if (calls[i].op == DrawOp::DrawRect && firstRect == 0) firstRect = i;
  }
  EXPECT_LT(lastShot, firstRect);
}

TEST_F(LoopTest, HudBarsAtTheStartAndAtHalfHealth) {
  Start(7000, 7000);
  Tapp::drawhub();
  auto rects = Rects();
  ASSERT_EQ(rects.size(), 6u);
  const auto width = [](const TRecordedCall& c) { return c.args[2] - c.args[0]; };
  EXPECT_FLOAT_EQ(width(rects[0]), 255.0f);
  EXPECT_EQ(rects[0].args[4], 20.0);
  EXPECT_EQ(rects[0].args[5], 1.0);
  EXPECT_EQ(rects[0].state.r, 255);
  EXPECT_EQ(rects[0].state.g, 0);
  EXPECT_EQ(rects[0].state.b, 128);
  EXPECT_FLOAT_EQ(width(rects[1]), 255.0f);
  EXPECT_EQ(rects[1].args[5], 21.0);
  for (int32_t i = 2; i <= 5; ++i) {
    EXPECT_FLOAT_EQ(width(rects[i]), -0.255f);
    EXPECT_EQ(rects[i].args[5], 21.0 + 20.0 * (i - 1));
    EXPECT_EQ(rects[i].state.r, 0);
    EXPECT_EQ(rects[i].state.g, 255);
  }
  // Five labels of three glyphs and "HP:", the last in the last bar's colour, at (0, 0).
  const auto glyphs = Drawn();
  ASSERT_EQ(glyphs.size(), 18u);
  EXPECT_EQ(glyphs[3].args[5], 42.0);  // "W2:" at y 42
  EXPECT_EQ(glyphs[15].args[4], 0.0);
  EXPECT_EQ(glyphs[15].args[5], 0.0);
  EXPECT_EQ(glyphs[15].state.r, 0);
  EXPECT_EQ(glyphs[15].state.g, 255);

  rec->Clear();
  game.player->HP = 500.0f;
  Tapp::drawhub();
  rects = Rects();
  EXPECT_FLOAT_EQ(width(rects[0]), 127.5f);
  EXPECT_EQ(rects[0].state.r, 127);
  EXPECT_EQ(rects[0].state.g, 127);
  EXPECT_EQ(rects[0].state.b, 128);
}

// The drawing calls alone: the state calls between them follow what the driver held before.
std::vector<TRecordedCall> Drawings(std::vector<TRecordedCall> calls) {
  std::erase_if(calls, [](const TRecordedCall& c) {
    return c.op != DrawOp::DrawRect && c.op != DrawOp::DrawFrame && c.op != DrawOp::DrawLine;
  });
  return calls;
}

// The same drawings, with the same arguments, pictures and colours.
bool SameCalls(const std::vector<TRecordedCall>& a, const std::vector<TRecordedCall>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const TRecordedCall& x, const TRecordedCall& y) {
    return x.op == y.op && x.args == y.args && x.pixmap == y.pixmap && x.state.r == y.state.r &&
           x.state.g == y.state.g && x.state.b == y.state.b;
  });
}

TEST_F(LoopTest, ClassicHudIsTheBarsAloneAndExtendedAddsNumbersTheWeaponAndTheCorner) {
  Enemy(7000, 7200, 1);
  Start(7000, 7000);
  game.player->weapons[2] = 40;
  game.player->weapon = 2;
  game.player->EP = 12;
  Tapp::drawhub();
  const std::vector<TRecordedCall> bars = Drawings(rec->Calls());
  std::vector<std::string> problems;
  Apply(ParsePlayerSettings("hud = classic\n", "s.txt", problems));
  rec->Clear();
  Tapp::drawhub();
  EXPECT_TRUE(SameCalls(Drawings(rec->Calls()), bars));
  Apply(ParsePlayerSettings("hud = extended\n", "s.txt", problems));
  rec->Clear();
  Tapp::drawhub();
  const std::vector<TRecordedCall> extended = Drawings(rec->Calls());
  Apply({});
  ASSERT_GT(extended.size(), bars.size());
  EXPECT_TRUE(SameCalls({extended.begin(), extended.begin() + static_cast<std::ptrdiff_t>(bars.size())}, bars))
      << "the classic HUD first, call for call";
  // A frame round the selected third bar, which starts at y 61 (lines drawn from their end).
  const auto lines = rec->CallsOf(DrawOp::DrawLine);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].args[5], 60.0);
  EXPECT_EQ(lines[2].args[5], 79.0);
  // "1000" beside the hit points and weapon 1, "40" beside weapon 3, "-" beside the others,
  // and the corner's text.
  const std::string corner = "Score: 12   Gegner: 1";
  const auto glyphs = Drawn();
  ASSERT_EQ(glyphs.size(), 18u + 4 + 4 + 1 + 2 + 1 + 1 + corner.size());
  EXPECT_EQ(glyphs[18].args[4], 283.0);
  EXPECT_EQ(glyphs[18].args[5], 2.0);
  EXPECT_EQ(glyphs[27].args[5], 62.0);  // "40"
  EXPECT_EQ(glyphs[31].args[4], 8.0);
  EXPECT_EQ(glyphs[31].args[5], static_cast<double>(game.screenH - 24));
  EXPECT_EQ(glyphs[31].state.r, 255);
  EXPECT_EQ(CurrentGraphics()->color_red, bars.back().state.r) << "the colour is left as the classic HUD leaves it";
  EXPECT_EQ(CurrentGraphics()->color_green, bars.back().state.g);

  // 1500 rounds: the classic bar runs on past its 255 pixels, the extended one stops at its frame.
  game.player->weapons[2] = 1500;
  for (const auto& [hud, width] : {std::pair{"classic", 382.5}, std::pair{"extended", 255.0}}) {
    Apply(ParsePlayerSettings(std::string("hud = ") + hud + "\n", "s.txt", problems));
    rec->Clear();
    Tapp::drawhub();
    const auto rects = Rects();
    ASSERT_EQ(rects.size(), 6u) << hud;
    EXPECT_FLOAT_EQ(rects[3].args[2] - rects[3].args[0], width) << hud;
    EXPECT_FLOAT_EQ(rects[2].args[2] - rects[2].args[0], -0.255f) << hud << ": a weapon not there as it was";
  }
  Apply({});
}

// A screen that presses a key (or asks to close the window) after a given number of
// presented frames.
class PressingDriver : public TRecordingDriver {
 public:
  int32_t flips = 0;
  int32_t pressAt = 0;
  int32_t key = 0;
  int32_t closeAt = 0;
  void Flip(int32_t sync) override {
    TRecordingDriver::Flip(sync);
    ++flips;
    if (flips == closeAt) InjectEvent({EVENT_APPTERMINATE});
    // A safety press so a failing score screen ends the test instead of hanging it.
    if (flips == pressAt || flips == 100) {
      InjectEvent({EVENT_KEYDOWN, flips == pressAt ? key : 13});
      InjectEvent({EVENT_KEYUP, flips == pressAt ? key : 13});
    }
  }
};

class ScoreScreenTest : public LoopTest {
 protected:
  std::shared_ptr<PressingDriver> Screen(int32_t pressAt, int32_t key) {
    auto d = std::make_shared<PressingDriver>();
    CloseScreen();
    EXPECT_TRUE(OpenHeadlessScreen(d, game.screenW, game.screenH, 0, 0, 0));
    d->Clear();
    d->flips = 0;
    d->pressAt = pressAt;
    d->key = key;
    return d;
  }
};

TEST_F(ScoreScreenTest, PressesMadeDuringPlayDoNotEndIt) {
  auto d = Screen(3, 32);  // opening a screen clears the key counts: open it first
  Start(7000, 7000);
  game.player->EP = 42;
  // Firing with Enter during play: held, asked with KeyIsDown only, so the presses count on.
  Press(13);
  Release(13);
  Press(13);
  Press(32);
  Release(32);
  EXPECT_EQ(KeyIsDown(13), 1);
  Release(13);
  Tapp::endscreen();
  EXPECT_EQ(d->flips, 3);
  // "Score: 42" at scale 5 with its top-left corner at the centre of the screen.
  const auto glyphs = d->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(glyphs.size(), 27u);
  EXPECT_EQ(glyphs[0].args[4], 512.0);
  EXPECT_EQ(glyphs[0].args[5], 384.0);
  EXPECT_FLOAT_EQ(glyphs[1].args[4], 512.0f + 40.0f);
  EXPECT_FLOAT_EQ(glyphs[0].state.ix, 5.0f);
  EXPECT_EQ(glyphs[0].state.r, 255);
}

TEST_F(ScoreScreenTest, AFreshEnterOrSpaceEndsIt) {
  Start(7000, 7000);
  for (const int32_t key : {13, 32}) {
    auto d = Screen(2, key);
    Tapp::endscreen();
    EXPECT_EQ(d->flips, 2) << key;
  }
}

TEST_F(ScoreScreenTest, CloseRequestEndsPlayAndASecondOneTheScoreScreen) {
  auto d = Screen(0, 0);
  Start(7000, 7000);
  InjectEvent({EVENT_APPTERMINATE});
  Tapp::frame();
  EXPECT_EQ(game.gameState, TGamePhase::Quit);
  d->flips = 0;
  d->closeAt = 3;
  Tapp::endscreen();
  EXPECT_EQ(d->flips, 3);
}

// The sound keys on the score screen: steps that stop at the top, mute, the notice of each,
// the file written once at the end; and Enter, bound to fire in play, is Enter again there.
TEST_F(ScoreScreenTest, TheSoundKeysStepAndMuteAndLeaveEnterToTheScoreScreen) {
  const std::filesystem::path dir = std::filesystem::path(KESTROVA_BINARY_DIR) / "test_sound_keys";
  std::filesystem::remove_all(dir);
  const std::string file = (dir / "settings.txt").string();
  TPlayerSettings s;
  s.volume = 90;
  s.keys[static_cast<size_t>(TAction::FireWeapon1)] = {'F'};
  TakePlayerSettings(file, s);
  Apply(s);
  UsePlayBindings(false);
  const auto tap = [](TAction action) {
    Press(PlayerSettings().Keys(action)[0]);
    Release(PlayerSettings().Keys(action)[0]);
  };
  tap(TAction::VolumeUp);
  tap(TAction::VolumeUp);
  RunPlayerKeys();
  EXPECT_EQ(PlayerSettings().volume, 100);
  EXPECT_EQ(CurrentNotice(), "Ton 100 %");
  Press(KEY_ENTER);
  Release(KEY_ENTER);
  EXPECT_EQ(KeyPressed(KEY_ENTER), 1) << "a sound key binds no key anew";
  tap(TAction::Mute);
  RunPlayerKeys();
  EXPECT_EQ(CurrentNotice(), "Ton aus");
  tap(TAction::VolumeDown);
  RunPlayerKeys();
  EXPECT_EQ(CurrentNotice(), "Ton 90 % (aus)");
  EXPECT_FALSE(std::filesystem::exists(file)) << "written when the program ends, not at each step";
  KeepPlayerSettings();
  const std::string written = ReadWholeFile(file);
  EXPECT_NE(written.find("\nvolume = 90\n"), std::string::npos) << written;
  EXPECT_NE(written.find("\nmute = yes\n"), std::string::npos) << written;
  TakePlayerSettings({}, {});
  Apply({});
  std::filesystem::remove_all(dir);
}

// A whole game headless, played by a script that watches the frames: two shots of W1 defeat an
// enemy of kind 1 (Art 1) at point-blank range, each hitting in the frame that fired it; an item of
// W3's rounds taken at the start lets W3 defeat one of kind 0 further up with two shots
// that fly a few frames, and a third misses and runs out; a first-aid kit is taken; a minute's
// pause; then Escape. The tally counts it all, and the score screen tells it under the score.
class TScriptedGame : public TRunWatcher, public TRecordingDriver {
 public:
  std::shared_ptr<Tfigur> near, far;
  int32_t frames = 0;
  bool over = false;

  bool PlayStarts() override {
    // Play placed the player on some land; the script wants it here, under the enemies.
    game.player->X = 7000.0f;
    game.player->Y = 7000.0f;
    InjectEvent({EVENT_MOUSEDOWN, 1, game.screenW / 2, game.screenH / 2});
    return true;
  }
  bool FrameDone(bool) override {
    if (over) return true;
    ++frames;
    pauseFlips_ = -1;
    if (near->HP < 0.0f && stage_ == 0) {
      InjectEvent({EVENT_KEYDOWN, '3'});  // W3, still firing
      stage_ = 1;
    } else if (far->HP < 0.0f && stage_ == 1) {
      rounds_ = game.player->weapons[2];
      stage_ = 2;
    } else if (stage_ == 2 && game.player->weapons[2] < rounds_) {
      InjectEvent({EVENT_MOUSEUP, 1, game.screenW / 2, game.screenH / 2});  // the third is away
      stage_ = 3;
    } else if (stage_ >= 3 && ++stage_ == 13) {
      InjectEvent({EVENT_KEYDOWN, 'P'});
      InjectEvent({EVENT_KEYUP, 'P'});
      PumpEvents();  // seen before the loop asks, as a press during the frame would be
      pauseFlips_ = 0;
    } else if (stage_ == 40) {
      InjectEvent({EVENT_KEYDOWN, KEY_ESCAPE});
      InjectEvent({EVENT_KEYUP, KEY_ESCAPE});
    }
    return frames < 1000;
  }
  void PlayEnds(bool) override { over = true; }
  void Flip(int32_t sync) override {
    TRecordingDriver::Flip(sync);
    // A tenth of a second a frame, and a minute in the pause, which P ends in its second frame.
    const bool pausing = pauseFlips_ >= 0;
    if (pausing) ++pauseFlips_;
    UseFixedClock(RealNowMs() + (pauseFlips_ == 1 ? 60000 : 100));
    if (pauseFlips_ == 2 || pauseFlips_ > 100) {
      InjectEvent({EVENT_KEYDOWN, 'P'});
      InjectEvent({EVENT_KEYUP, 'P'});
    }
    if (over || ++flips_ > 3000) {
      InjectEvent({EVENT_KEYDOWN, KEY_ENTER});
      InjectEvent({EVENT_KEYUP, KEY_ENTER});
    }
  }
  TPixmapPtr GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h) override {
    TRecordingDriver::GrabPixmap(x, y, w, h);
    return TPixmap::Create(w, h, PF_RGBA8888);
  }

 private:
  int32_t stage_ = 0;
  int32_t rounds_ = 0;
  int32_t pauseFlips_ = -1;  // flips since the pause was asked for; -1 in play
  int32_t flips_ = 0;
};

// The texts of one drawn screen with where they stand: (text, y, scale, right end).
struct TLine {
  std::string text;
  double y, scale, right;
};
std::vector<TLine> Lines(const std::vector<TRecordedCall>& calls) {
  std::vector<TLine> lines;
  std::vector<TRecordedCall> glyphs;
  for (const TRecordedCall& c : calls) {
    if (c.op == DrawOp::DrawFrame) glyphs.push_back(c);
  }
  size_t at = 0;
  for (const std::string& text : TextsDrawn(glyphs)) {
    size_t n = 0;
    for (unsigned char ch : text) n += (ch & 0xC0) != 0x80;
    const TRecordedCall& first = glyphs[at];
    lines.push_back({text, first.args[5], first.state.ix, glyphs[at + n - 1].args[4] + 8.0 * first.state.ix});
    at += n;
  }
  return lines;
}

TEST_F(LoopTest, TheTallyCountsAWholeGameAndTheScoreScreenTellsIt) {
  auto script = std::make_shared<TScriptedGame>();
  CloseScreen();
  ASSERT_TRUE(OpenHeadlessScreen(script, game.screenW, game.screenH, 0, 0, 0));
  StartPlaySession();
  PlaySession().WatchEvents();
  UsePlayBindings(true);
  // Enemies that never fire: their weapon has no rounds.
  script->near = Enemy(7000, 6975, 1, 2);
  script->far = Enemy(7000, 6940, 0, 2);
  const auto away = Enemy(7000, 5000, 3, 2);
  for (const auto& f : {script->near, script->far, away}) f->weapons[2] = -1;
  script->near->HP = 5.0f;    // two shots of W1
  script->far->HP = 14.0f;    // two of W3
  TItem::neu(7000, 7000, 4);  // 166 rounds for W3
  TItem::neu(7010, 7000, 0);
  TItem::neu(7000, 5000, 2);
  SetRunWatcher(script.get());
  Tapp::run();
  SetRunWatcher(nullptr);
  PlaySession().StopWatchingEvents();
  UsePlayBindings(false);

  const TGameTally& tally = PlaySession().tally;
  TGameCounts expected;
  expected.end = TGameEnd::ByPlayer;
  expected.seconds = script->frames / 10;  // the minute's pause left out
  expected.defeated = {1, 1, 0, 0, 0, 0};
  expected.shots = {2, 0, 3, 0, 0};
  expected.hits = {2, 0, 2, 0, 0};
  expected.items = 2;
  EXPECT_EQ(tally.Counts(), expected) << CountsText(tally.Counts());
  EXPECT_EQ(tally.Enemies(), 3);
  EXPECT_EQ(game.player->EP, 22);

  // The score screen's last frame: the score as it always was, then the tally under it, above
  // the keys.
  const auto screens = SplitScreens(script->Calls());
  ASSERT_FALSE(screens.empty());
  const std::vector<TLine> lines = Lines(screens.back());
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0].text, "Score: 22");
  EXPECT_EQ(lines[0].y, 384.0);
  EXPECT_EQ(lines[0].scale, 5.0);
  std::vector<std::string> texts;
  for (const TLine& l : lines) texts.push_back(l.text);
  char played[32];
  std::snprintf(played, sizeof played, "Gespielt: 0:%02d", expected.seconds);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Score: 22", "Spiel vorbei: vom Spieler beendet", played, "Gegner besiegt: 2 von 3",
                       "Art 1 bis 6: 1, 1, 0, 0, 0, 0", "Schüsse: 5, Treffer: 4 (80 %)",
                       "Je Waffe Schüsse/Treffer: W1 2/2, W3 3/2", "Gegenstände aufgenommen: 2", "Enter: Ende"}));

  // On the smallest and a large screen the lines stay on it, one under the other, above the keys.
  for (const auto& [w, h] : {std::pair{800, 600}, std::pair{1280, 1024}}) {
    auto d = std::make_shared<PressingDriver>();
    d->pressAt = 1;
    d->key = KEY_ENTER;
    CloseScreen();
    ASSERT_TRUE(OpenHeadlessScreen(d, w, h, 0, 0, 0));
    game.screenW = w;
    game.screenH = h;
    Tapp::endscreen("Bester: 22   Platz 1 von 1");
    const std::vector<TLine> shown = Lines(SplitScreens(d->Calls()).back());
    ASSERT_GE(shown.size(), 8u) << w;
    EXPECT_EQ(shown.back().text, "Enter: Ende");
    for (size_t i = 1; i < shown.size(); ++i) {
      EXPECT_LE(shown[i - 1].y + 16.0 * shown[i - 1].scale, shown[i].y) << w << ": " << shown[i].text;
      EXPECT_LE(shown[i].right, w) << w << ": " << shown[i].text;
    }
    EXPECT_LE(shown.back().y + 16.0, h) << w;
    if (w == 1280) {
      EXPECT_EQ(shown[2].scale, 2.0) << "large where there is room";
    }
  }
}

}  // namespace
