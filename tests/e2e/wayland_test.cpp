// The game on a Wayland desktop the test starts itself (sway on its headless backend, with
// Xwayland), natively and through XWayland, at output scales 1.5 and 2 and with sway's stock
// configuration: it starts under the desktop entry's app_id, turns by the pointer's motion
// exactly, lets the pointer go in the pause, and ends cleanly when the compositor goes away.
// What the rules took is read from the demo being recorded, what is shown from the game's
// own F12 pictures, the window from sway's tree.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../support/read_file.h"
#include "../support/wayland_desktop.h"
#include "game_run.h"
#include "platform/files/png.h"
#include "platform/system/stop_signal.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kAppId = "org.kestrova.Kestrova";

enum class TDriver { Native, XWayland };

// The game on the desktop, recording its demo and writing its report into the run's folder.
class TWaylandGame {
 public:
  TWaylandGame(TWaylandDesktop& desktop, const TGameFolder& folder, TDriver driver)
      : desktop_(desktop),
        native_(driver == TDriver::Native),
        demo_(folder.LogPath() / "d.demo"),
        report_(folder.LogPath() / "r.txt"),
        game_(folder, false, {"--seed", "3", "--record", demo_.string(), "--report", report_.string()},
              Environment(desktop, folder, driver)) {}

  TGameProcess& Process() { return game_; }
  const fs::path& Demo() const { return demo_; }
  const fs::path& Report() const { return report_; }
  // Sway's criteria for the game's window: its app_id natively, its X11 class through XWayland.
  std::string Window() const { return std::string(native_ ? "[app_id=\"" : "[class=\"") + kAppId + "\"]"; }
  // The window is in sway's tree under the desktop entry's name.
  bool Shown() {
    return WaitUntil([&] { return Named(desktop_.Tree()); }, 60, 100);
  }
  // The window's own node says so; its workspace's does too, always.
  bool FullScreen() const {
    const std::string tree = desktop_.Tree();
    const size_t name = tree.find(NameKey());
    const size_t mode = name == std::string::npos ? name : tree.rfind("\"fullscreen_mode\": ", name);
    return mode != std::string::npos && tree.compare(mode + 19, 1, "1") == 0;
  }
  // Where the player faces, once the rules have run a frame.
  std::optional<int> Side() const {
    const std::vector<std::string> player = PlayerSoFar(demo_);
    if (player.size() < 5) return std::nullopt;
    return std::stoi(player[4]);
  }
  bool Faces(int side) {
    return WaitUntil([&] { return Side() == side; }, 60, 100);
  }
  // The window shown under its name and play begun, focused: the player's facing once motion
  // turns it.
  std::optional<int> Playing() {
    if (!Shown() || !WaitUntil([&] { return Side().has_value(); }, 60, 100)) return {};
    desktop_.Sway(Window() + " focus");
    return Held();
  }
  // Once the desktop has locked the pointer for play, motion turns: nudged a unit at a time
  // until it does, the player's facing then. Nothing before that may count as a turn.
  std::optional<int> Held() {
    const std::optional<int> before = Side();
    if (!before || !WaitUntil([&] { return desktop_.MovePointer(1, 0) && Side() != before; }, 30, 300)) return {};
    return Side();
  }
  // The game's own pictures of its frames, F12 after F12, until one shows what `seen` looks for
  // (a key pressed together with F12 acts after the frame it is seen in); null if none does.
  TPixmapPtr PictureShowing(bool (*seen)(const TPixmap&)) {
    for (int tries = 0; tries < 5; ++tries) {
      if (!desktop_.Keys({"F12"})) return nullptr;
      const std::string path = game_.WaitForErrorLine("Kestrova: screenshot saved as ", 60, ++pictures_);
      const TPixmapPtr picture = path.empty() ? nullptr : LoadPixmapFile(path);
      if (!picture || seen(*picture)) return picture;
    }
    return nullptr;
  }
  // The demo replayed headless gives the report the game wrote.
  bool Replays() const {
    const fs::path replayed = fs::path(report_) += ".replayed";
    const std::string command =
        "'" KESTROVA_BINARY_DIR "/kestrova-sim' --replay '" + demo_.string() + "' --out '" + replayed.string() + "'";
    return std::system(command.c_str()) == 0 && ReadWholeFile(replayed) == ReadWholeFile(report_);
  }

 private:
  static std::vector<std::pair<std::string, std::string>> Environment(const TWaylandDesktop& desktop,
                                                                      const TGameFolder& folder, TDriver driver) {
    std::vector<std::pair<std::string, std::string>> environment = desktop.Environment();
    environment.emplace_back("SDL_VIDEODRIVER", driver == TDriver::Native ? "wayland" : "x11");
    environment.emplace_back("XDG_CONFIG_HOME", (folder.LogPath() / "config").string());
    environment.emplace_back("SDL_AUDIODRIVER", "dummy");
    return environment;
  }
  std::string NameKey() const { return std::string(native_ ? "\"app_id\": \"" : "\"class\": \"") + kAppId + "\""; }
  bool Named(const std::string& tree) const { return tree.find(NameKey()) != std::string::npos; }

  TWaylandDesktop& desktop_;
  bool native_;
  fs::path demo_;
  fs::path report_;
  TGameProcess game_;
  int pictures_ = 0;
};

// The menu's line under "Pause": its centre on the screen of the shipped config.txt.
constexpr int kMenuTop = kH / 2 - 120;
constexpr int kFullScreenLine = 6;

// Natively at a scale of 2, where the desktop is 960 x 540 units of 2 x 2 pixels: play turns
// by relative motion, unit for unit, both ways; F11 takes the whole output; in the pause the
// pointer is free and read through the letterbox (a click on "Vollbild" leaves full screen);
// turning is exact again after it; the close request leads to the score screen.
TEST(Wayland, NativeAtScaleTwoTurnsPausesAndClosesToTheScore) {
  if (!TWaylandDesktop::Available()) GTEST_SKIP() << "no sway, Xwayland or wl_input (scripts/deps.sh installs them)";
  TWaylandDesktop desktop(2.0);
  ASSERT_TRUE(desktop.Started());
  TGameFolder folder("wayland_native");
  TWaylandGame game(desktop, folder, TDriver::Native);
  const std::optional<int> held = game.Playing();
  ASSERT_TRUE(held) << desktop.Tree() << game.Process().Errors();
  const int side = *held;
  ASSERT_TRUE(desktop.MovePointer(30, 0));
  EXPECT_TRUE(game.Faces(side + 30)) << *game.Side();
  ASSERT_TRUE(desktop.MovePointer(-45, 7));
  EXPECT_TRUE(game.Faces(side - 15)) << *game.Side();

  ASSERT_TRUE(desktop.Keys({"F11"}));
  EXPECT_TRUE(WaitUntil([&] { return game.FullScreen(); }, 30, 100));
  ASSERT_TRUE(desktop.Keys({"p"}));
  ASSERT_TRUE(game.PictureShowing(ShowsPause)) << game.Process().Errors();
  // Full screen, the 1024 x 768 screen is shown 720 x 540 units large, 120 units from the left.
  const double scale = 540.0 / kH;
  const int lineY = kMenuTop + 18 * kFullScreenLine + 9;
  ASSERT_TRUE(desktop.PointerTo(120 + static_cast<int>(kW / 2 * scale), static_cast<int>(lineY * scale), 960, 540));
  ASSERT_TRUE(desktop.Click());
  EXPECT_TRUE(WaitUntil([&] { return !game.FullScreen(); }, 30, 100)) << "the click chose no line";
  EXPECT_NE(ReadWholeFile(folder.LogPath() / "config" / "kestrova" / "settings.txt").find("fullscreen = no"),
            std::string::npos);
  ASSERT_TRUE(desktop.Keys({"p"}));
  ASSERT_TRUE(game.PictureShowing(ShowsHud));
  EXPECT_EQ(game.Side(), side - 15) << "the pause turned the player";
  const std::optional<int> resumed = game.Held();
  ASSERT_TRUE(resumed);
  ASSERT_TRUE(desktop.MovePointer(12, 0));
  EXPECT_TRUE(game.Faces(*resumed + 12)) << *game.Side();

  desktop.Sway(game.Window() + " kill");
  ASSERT_TRUE(game.PictureShowing(ShowsScore)) << game.Process().Errors();
  ASSERT_TRUE(desktop.Keys({"Return"}));
  EXPECT_EQ(game.Process().WaitForExit(30), 0) << game.Process().Errors();
  EXPECT_TRUE(game.Replays());
}

// Through XWayland at a scale of 1.5: the window carries the app id as its class and turns by
// motion; the compositor killed during play ends the game with status 5, its demo and report
// kept, and the demo replays to the report.
TEST(Wayland, XWaylandAtScaleOneAndAHalfEndsWhenTheCompositorGoes) {
  if (!TWaylandDesktop::Available()) GTEST_SKIP() << "no sway, Xwayland or wl_input (scripts/deps.sh installs them)";
  TWaylandDesktop desktop(1.5);
  ASSERT_TRUE(desktop.Started());
  TGameFolder folder("wayland_x");
  TWaylandGame game(desktop, folder, TDriver::XWayland);
  const std::optional<int> held = game.Playing();
  ASSERT_TRUE(held) << desktop.Tree() << game.Process().Errors();
  const int side = *held;
  ASSERT_TRUE(desktop.MovePointer(-20, 0));
  EXPECT_TRUE(game.Faces(side - 20)) << *game.Side();
  ASSERT_TRUE(desktop.MovePointer(50, 0));
  EXPECT_TRUE(game.Faces(side + 30)) << *game.Side();

  desktop.Kill();
  EXPECT_EQ(game.Process().WaitForExit(30), kDisplayLostStatus) << game.Process().Errors();
  EXPECT_NE(game.Process().Errors().find("is gone"), std::string::npos) << game.Process().Errors();
  EXPECT_TRUE(game.Replays());
}

// Sway's stock configuration grants no pointer lock, so the pointer is not held and its motion
// reaches the game twice (as motion and as relative motion): the game still starts natively and
// turns by motion over its window, to the right and to the left.
TEST(Wayland, StockConfigurationStillTurns) {
  if (!TWaylandDesktop::Available()) GTEST_SKIP() << "no sway, Xwayland or wl_input (scripts/deps.sh installs them)";
  TWaylandDesktop desktop(1.0, true);
  ASSERT_TRUE(desktop.Started());
  TGameFolder folder("wayland_stock");
  TWaylandGame game(desktop, folder, TDriver::Native);
  ASSERT_TRUE(game.Shown()) << desktop.Tree() << game.Process().Errors();
  // Over the window before play holds the pointer: unlocked, it reaches the game only there.
  ASSERT_TRUE(desktop.PointerTo(960, 540, 1920, 1080));
  const std::optional<int> held = game.Playing();
  ASSERT_TRUE(held) << game.Process().Errors();
  const int side = *held;
  ASSERT_TRUE(desktop.MovePointer(25, 0));
  EXPECT_TRUE(WaitUntil([&] { return game.Side() >= side + 25; }, 60, 100)) << *game.Side();
  const int right = *game.Side();
  ASSERT_TRUE(desktop.MovePointer(-25, 0));
  EXPECT_TRUE(WaitUntil([&] { return game.Side() <= right - 25; }, 60, 100)) << *game.Side();
  ASSERT_TRUE(desktop.Keys({"Escape"}));
  ASSERT_TRUE(game.PictureShowing(ShowsScore)) << game.Process().Errors();
  ASSERT_TRUE(desktop.Keys({"Return"}));
  EXPECT_EQ(game.Process().WaitForExit(30), 0) << game.Process().Errors();
}

}  // namespace
