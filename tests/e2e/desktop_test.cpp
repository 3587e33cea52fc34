// The game among other programs on the desktop: it lets go of the pointer while another
// program has the focus, its window's close button ends play and then the game, and
// installed it keeps a player's settings, layer files and screenshots in their own folders.
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "../support/read_file.h"
#include "../support/window_manager.h"
#include "game_run.h"
#include "platform/files/png.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;

// Another program with a window of its own in the top-left corner, away from the game's.
class TOtherProgram {
 public:
  TOtherProgram() {
    const char* argv[] = {"xmessage", "-geometry", "+0+0", "-name", "kestrova_other", "another program", nullptr};
    if (posix_spawnp(&pid_, "xmessage", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
  }
  ~TOtherProgram() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  std::string Window() const {
    std::string id;
    if (pid_ > 0) {
      WaitUntil(
          [&] {
            id = FirstWindow("xdotool search --onlyvisible --classname '^kestrova_other$' 2>/dev/null");
            return !id.empty();
          },
          30);
    }
    return id;
  }

 private:
  static std::string FirstWindow(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    char line[64] = {};
    const bool got = fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    std::string id = got ? line : "";
    while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
    return id;
  }
  pid_t pid_ = -1;
};

// "X Y Side" of the player's line in a report.
std::string PlayerPlace(const std::string& report) {
  const size_t at = report.find("\nF 3001 ");
  if (at == std::string::npos) return {};
  std::istringstream line(report.substr(at + 1, report.find('\n', at + 1) - at - 1));
  std::string f, id, x, y, side;
  line >> f >> id >> x >> y >> side;
  return x + " " + y + " " + side;
}

// Where the player of the seed's world stands, and how it faces, before its first frame.
std::string StartPlace(const TGameFolder& folder, const std::string& seed) {
  const fs::path out = folder.LogPath() / "start.txt";
  const std::string command = "'" KESTROVA_BINARY_DIR "/kestrova-sim' --seed " + seed + " --map '" +
                              (folder.Path() / "map.txt").string() + "' --frames 0 --out '" + out.string() + "'";
  return std::system(command.c_str()) == 0 ? PlayerPlace(ReadWholeFile(out)) : "no start";
}

// Presses F12 and reads back the picture the game saves for it, the `nth` of the run; null
// when none comes. The game has taken every event sent to it before the key once it has
// saved the picture, and the picture shows the frame it drew next.
TPixmapPtr GameScreenshot(TGameProcess& game, int nth) {
  if (!Xdotool("key F12")) return nullptr;
  const std::string path = game.WaitForErrorLine("Kestrova: screenshot saved as ", 60, nth);
  return path.empty() ? nullptr : LoadPixmapFile(path);
}

TEST(Desktop, PointerStaysWithTheProgramThatHasTheFocus) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("focus");
  // F12's pictures go to the run's own folder.
  TGameProcess game(folder, false, {"--seed", "3", "--report", (folder.LogPath() / "r.txt").string()},
                    {{"XDG_DATA_HOME", folder.LogPath().string()}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_focus_play.png", ShowsHud)) << game.Errors();
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  const std::pair<int, int> centre = WindowCentre(window);
  EXPECT_TRUE(WaitUntil([&] { return PointerPosition() == centre; }, 30))
      << "the game does not hold the pointer while it has the focus";

  // Another program takes the focus, which pauses the game. The pointer goes over the game's
  // window, where the game hears of it, and stays there.
  TOtherProgram other;
  const std::string otherWindow = other.Window();
  ASSERT_FALSE(otherWindow.empty()) << "xmessage did not come up";
  ASSERT_TRUE(Xdotool("windowfocus --sync " + otherWindow));
  ASSERT_TRUE(WaitFor(game, window, "e2e_focus_paused.png", ShowsPause));
  ASSERT_TRUE(Xdotool("mousemove --sync 20 10"));
  EXPECT_EQ(PointerPosition(), std::make_pair(20, 10)) << "the pointer is held in the game's window";
  const std::pair<int, int> overGame{centre.first - 300, centre.second - 200};
  ASSERT_TRUE(Xdotool("mousemove --sync " + std::to_string(overGame.first) + " " + std::to_string(overGame.second)));

  // Back to the game, still paused, where the pointer is the user's. Once the game has saved
  // F12's picture it has taken the motion, which came before the focus and the key.
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  const TPixmapPtr paused = GameScreenshot(game, 1);
  ASSERT_TRUE(paused) << game.Errors();
  EXPECT_TRUE(ShowsPause(*paused));
  EXPECT_EQ(PointerPosition(), overGame) << "the game moved the pointer while another program had the focus";

  // Once play goes on, the pointer is centred again and the player has not turned.
  ASSERT_TRUE(Xdotool("key p"));
  EXPECT_TRUE(WaitUntil([&] { return PointerPosition() == centre; }, 30)) << "the pointer was not centred again";
  EndTheGame(game, window, "e2e_focus_score.png");
  EXPECT_EQ(PlayerPlace(ReadWholeFile(folder.LogPath() / "r.txt")), StartPlace(folder, "3")) << "the player turned";
}

TEST(Desktop, PauseStopsTheRulesAndItsDemoReplaysAsPlayed) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("pause");
  const fs::path logs = folder.LogPath();
  TGameProcess game(folder, false,
                    {"--seed", "3", "--record", (logs / "paused.demo").string(), "--report", (logs / "r.txt").string()},
                    {{"XDG_DATA_HOME", logs.string()}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_pause_play.png", ShowsHud)) << game.Errors();
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));

  // Paused by P: walking while paused moves nobody; P goes on. The game has taken W held once
  // it saves F12's picture, which shows it still paused.
  ASSERT_TRUE(Xdotool("key p"));
  ASSERT_TRUE(WaitFor(game, window, "e2e_pause_p.png", ShowsPause));
  ASSERT_TRUE(Xdotool("keydown w"));
  const TPixmapPtr walking = GameScreenshot(game, 1);
  ASSERT_TRUE(Xdotool("keyup w"));
  ASSERT_TRUE(walking) << game.Errors();
  EXPECT_TRUE(ShowsPause(*walking));
  ASSERT_TRUE(Xdotool("key p"));
  ASSERT_TRUE(WaitFor(game, window, "e2e_pause_resumed.png", ShowsHud));

  // Paused by another program taking the focus; getting it back does not go on by itself (F12's
  // picture, taken after the focus came back, shows the pause), a click in the window does
  // (and fires nothing).
  {
    TOtherProgram other;
    const std::string otherWindow = other.Window();
    ASSERT_FALSE(otherWindow.empty()) << "xmessage did not come up";
    ASSERT_TRUE(Xdotool("windowfocus --sync " + otherWindow));
    ASSERT_TRUE(WaitFor(game, window, "e2e_pause_focus.png", ShowsPause));
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    const TPixmapPtr still = GameScreenshot(game, 2);
    ASSERT_TRUE(still) << game.Errors();
    EXPECT_TRUE(ShowsPause(*still)) << "the game went on by itself";
  }
  ASSERT_TRUE(Xdotool("mousemove --window " + window + " 100 100 click 1"));
  ASSERT_TRUE(WaitFor(game, window, "e2e_pause_clicked.png", ShowsHud));
  EndTheGame(game, window, "e2e_pause_score.png");

  // The player stands where play began, facing as it began: no rules ran while paused.
  const std::string played = ReadWholeFile(logs / "r.txt");
  EXPECT_EQ(PlayerPlace(played), StartPlace(folder, "3"));
  EXPECT_NE(PlayerPlace(played), "");
  ASSERT_EQ(std::system(("'" KESTROVA_BINARY_DIR "/kestrova-sim' --replay '" + (logs / "paused.demo").string() +
                         "' --out '" + (logs / "replayed.txt").string() + "'")
                            .c_str()),
            0);
  EXPECT_TRUE(ReadWholeFile(logs / "replayed.txt") == played) << "the demo with pauses replays otherwise";
}

// The pause menu with its second line, the volume, chosen: marked in yellow.
bool ShowsVolumeChosen(const TPixmap& shot) {
  int yellow = 0;
  for (int y = shot.height / 2 - 102; y < shot.height / 2 - 84; ++y) {
    for (int x = shot.width / 2 - 200; x < shot.width / 2 + 200; ++x)
      yellow += PixelAt(shot, x, y) == TRgb{255, 220, 0};
  }
  return yellow > 20;
}

// The settings file's text once it holds `line`, waiting for the game to write it; empty if it
// never does.
std::string SettingsOnceHolding(const fs::path& file, const std::string& line) {
  std::string text;
  WaitUntil(
      [&] {
        text = ReadWholeFile(file);
        return text.find("\n" + line + "\n") != std::string::npos;
      },
      60, 100);
  return text.find("\n" + line + "\n") != std::string::npos ? text : std::string();
}

TEST(Desktop, PauseMenuWorksByKeysMouseAndPadAndItsDemoReplaysAsPlayed) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  if (!TWindowManager::Available()) GTEST_SKIP() << "no openbox (scripts/deps.sh installs it)";
  TWindowManager openbox;
  ASSERT_TRUE(openbox.Started());
  TGameFolder folder("menu");
  const fs::path logs = folder.LogPath();
  const fs::path config = logs / "config";
  const fs::path settings = config / "kestrova" / "settings.txt";
  const fs::path script = logs / "pad.txt";
  // A button is let go only once the game has seen it pressed: the pad reports its state.
  const auto pad = [&](const std::string& button, const std::function<bool()>& seen) {
    std::ofstream(script, std::ios::app) << "button " << button << " 1\n";
    const bool taken = WaitUntil(seen, 60, 100);
    std::ofstream(script, std::ios::app) << "button " << button << " 0\n";
    return taken;
  };
  std::ofstream(script) << "attach\n";
  std::vector<std::pair<std::string, std::string>> env = VirtualPadEnvironment(script.string());
  env.emplace_back("XDG_CONFIG_HOME", config.string());
  {
    TGameProcess game(folder, false,
                      {"--seed", "3", "--record", (logs / "menu.demo").string(), "--report", (logs / "r.txt").string()},
                      env);
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_menu_play.png", ShowsHud)) << game.Errors();
    ASSERT_TRUE(Xdotool("windowmove " + window + " 0 0"));
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));

    // Keys: down to the volume, two steps down from the default 80, P goes on; the notice says so.
    ASSERT_TRUE(Xdotool("key p"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_menu_pause.png", ShowsPause));
    ASSERT_TRUE(Xdotool("key Down Left Left p"));
    EXPECT_NE(SettingsOnceHolding(settings, "volume = 60"), "") << ReadWholeFile(settings);
    EXPECT_TRUE(WaitFor(game, window, "e2e_menu_notice.png", ShowsNotice));

    // The mouse: a click on the HUD's line makes it extended, a click beside the menu goes on.
    ASSERT_TRUE(Xdotool("key p"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_menu_pause2.png", ShowsPause));
    ASSERT_TRUE(Xdotool("mousemove --window " + window + " 512 417 click 1"));
    EXPECT_NE(SettingsOnceHolding(settings, "hud = extended"), "") << ReadWholeFile(settings);
    ASSERT_TRUE(Xdotool("mousemove --window " + window + " 100 700 click 1"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_menu_mouse.png", ShowsHud));

    // The pad: D-pad down to the volume and left a step, B goes back to play.
    ASSERT_TRUE(Xdotool("key p"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_menu_pause3.png", ShowsPause));
    EXPECT_TRUE(
        pad("dpdown", [&] { return WaitFor(game, window, "e2e_menu_pad_down.png", ShowsVolumeChosen) != nullptr; }));
    EXPECT_TRUE(pad("dpleft", [&] { return !SettingsOnceHolding(settings, "volume = 50").empty(); }))
        << ReadWholeFile(settings);
    EXPECT_TRUE(pad("b", [&] { return WaitFor(game, window, "e2e_menu_pad.png", ShowsHud) != nullptr; }));

    // Forward bound to I; the Escape that leaves the keys page does not end play.
    ASSERT_TRUE(Xdotool("key p"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_menu_pause4.png", ShowsPause));
    ASSERT_TRUE(Xdotool("key Up Up Up Return Return i Escape p"));
    EXPECT_NE(SettingsOnceHolding(settings, "key_forward = I"), "") << ReadWholeFile(settings);
    ASSERT_TRUE(WaitFor(game, window, "e2e_menu_bound.png", ShowsHud)) << "play ended";
    EndTheGame(game, window, "e2e_menu_score.png");
  }
  const std::string played = ReadWholeFile(logs / "r.txt");
  ASSERT_EQ(std::system(("'" KESTROVA_BINARY_DIR "/kestrova-sim' --replay '" + (logs / "menu.demo").string() +
                         "' --out '" + (logs / "replayed.txt").string() + "'")
                            .c_str()),
            0);
  EXPECT_TRUE(ReadWholeFile(logs / "replayed.txt") == played) << "the demo with the menu used replays otherwise";

  // Started again, the game walks the player forward with I.
  const fs::path demo = logs / "again.demo";
  TGameProcess game(folder, false, {"--seed", "3", "--record", demo.string()}, {{"XDG_CONFIG_HOME", config.string()}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_menu_again.png", ShowsHud)) << game.Errors();
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  std::istringstream start(StartPlace(folder, "3"));
  double x0 = 0, y0 = 0;
  ASSERT_TRUE(start >> x0 >> y0);
  ASSERT_TRUE(Xdotool("keydown i"));
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::vector<std::string> p = PlayerSoFar(demo);
        return p.size() > 4 && std::stod(p[3]) < y0 - 10;
      },
      60, 100))
      << "I walked nobody";
  ASSERT_TRUE(Xdotool("keyup i"));
  EndTheGame(game, window, "e2e_menu_again_score.png");
}

TEST(Desktop, CloseButtonEndsPlayThenTheGame) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("close");
  // A home of its own, where M keeps its setting.
  TGameProcess game(folder, false, {}, {{"HOME", folder.LogPath().string()}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_close_play.png", ShowsHud)) << game.Errors();
  ASSERT_TRUE(SendCloseRequest(window));
  const TPixmapPtr score = WaitFor(game, window, "e2e_close_score.png", ShowsScore);
  ASSERT_TRUE(score) << "no score screen after the first close request; stderr:\n" << game.Errors();
  EXPECT_TRUE(LeftHalfIsBlack(*score));
  // The score screen stays up and still takes keys: M's notice comes over it.
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  ASSERT_TRUE(Xdotool("key m"));
  ASSERT_TRUE(WaitFor(game, window, "e2e_close_notice.png", ShowsScoreAndNotice)) << game.Errors();
  ASSERT_TRUE(game.Running()) << "the score screen did not stay up";
  ASSERT_TRUE(SendCloseRequest(window));
  EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
}

// The four layer files, each written in full, in the player's cache folder and neither in the
// installed game's nor in the player's data folder; an installed game writes them there as a
// matter of course and says nothing.
void ExpectLayerFilesWithThePlayer(const fs::path& home, const TGameFolder& installed, const std::string& errors) {
  for (const char* name : {"mapall.map", "mapcol.map", "maptyp.map", "maphight.map"}) {
    std::error_code error;
    // At least one digit a cell and a line end a column: written in full.
    EXPECT_GE(fs::file_size(home / ".cache" / "kestrova" / name, error), 4198400u) << name;
    EXPECT_FALSE(fs::exists(installed.Path() / name)) << name;
    EXPECT_FALSE(fs::exists(home / ".local" / "share" / "kestrova" / name)) << name;
  }
  EXPECT_EQ(errors.find("instead"), std::string::npos) << errors;
  EXPECT_EQ(errors.find("warning"), std::string::npos) << errors;
}

// Every file and folder below the folder, a file with its size.
std::set<std::string> Listing(const fs::path& folder) {
  std::set<std::string> listing;
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
    listing.insert(entry.path().string() +
                   (entry.is_regular_file() ? ' ' + std::to_string(entry.file_size()) : std::string()));
  }
  return listing;
}

TEST(Desktop, InstalledGameKeepsThePlayersFilesInThePlayersFolders) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder installed("install", TLayout::Installed);
  ASSERT_TRUE(fs::exists(installed.Program())) << "cmake --install failed";
  // A fresh home for the player nobody, with a settings file of its own for a smaller window.
  const fs::path home = installed.LogPath() / "home";
  fs::create_directories(home / ".config" / "kestrova");
  std::ofstream(home / ".config" / "kestrova" / "config.txt") << "640\n480\n0\n60\n";
  // Layer files an earlier version kept with the player's data, which are removed.
  const fs::path data = home / ".local" / "share" / "kestrova";
  fs::create_directories(data);
  for (const char* name : {"mapall.map", "maphight.map"}) std::ofstream(data / name) << "0\n";
  for (const fs::path& folder : {home, home / ".local", home / ".local" / "share", data, home / ".config"})
    fs::permissions(folder, fs::perms::all);

  // Run from "/" as a player who cannot write into the installation.
  TGameProcess game(installed, true, {}, {{"HOME", home.string()}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  const TPixmapPtr play = WaitFor(game, window, "e2e_installed_play.png", ShowsHud);
  ASSERT_TRUE(play) << game.Errors();
  EXPECT_EQ(play->width, 640);
  EXPECT_EQ(play->height, 480);

  ExpectLayerFilesWithThePlayer(home, installed, game.Errors());

  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  ASSERT_TRUE(Xdotool("key F12"));
  // The message comes once the picture has been renamed into place whole.
  const fs::path shot = game.WaitForErrorLine("Kestrova: screenshot saved as ", 10);
  ASSERT_FALSE(shot.empty()) << game.Errors();
  EXPECT_EQ(shot.parent_path(), data / "screenshots");
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_NE(png_image_begin_read_from_file(&image, shot.c_str()), 0) << shot;
  EXPECT_EQ(image.width, 640u);
  EXPECT_EQ(image.height, 480u);
  png_image_free(&image);
  EndTheGame(game, window, "e2e_installed_score.png");
}

TEST(Desktop, PlayersKeysAndMouseReachTheRulesAndTheirDemoReplaysAsPlayed) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("bindings");
  const fs::path config = folder.LogPath() / "config";
  fs::create_directories(config / "kestrova");
  std::ofstream(config / "kestrova" / "settings.txt") << "key_forward = I\nmouse_sensitivity = 2\n";
  const fs::path report = folder.LogPath() / "r.txt";
  const fs::path demo = folder.LogPath() / "d.demo";
  TGameProcess game(folder, false, {"--seed", "3", "--record", demo.string(), "--report", report.string()},
                    {{"XDG_CONFIG_HOME", config.string()}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_bindings_play.png", ShowsHud)) << game.Errors();
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  // The game holds the pointer at its centre once it has the focus: motion from there is a turn.
  const std::pair<int, int> centre = WindowCentre(window);
  ASSERT_TRUE(WaitUntil([&] { return PointerPosition() == centre; }, 30));
  std::istringstream start(StartPlace(folder, "3"));
  double x0 = 0, y0 = 0;
  int side0 = 0;
  ASSERT_TRUE(start >> x0 >> y0 >> side0);
  // I held until the rules have walked the player up the screen, then the pointer moved until
  // they turn it: the demo being recorded, replayed so far, shows what they took.
  ASSERT_TRUE(Xdotool("keydown i"));
  const bool walked = WaitUntil(
      [&] {
        const std::vector<std::string> p = PlayerSoFar(demo);
        return p.size() > 4 && std::stod(p[3]) < y0 - 10;
      },
      60, 100);
  ASSERT_TRUE(Xdotool("keyup i"));
  EXPECT_TRUE(walked) << "I walked nobody";
  ASSERT_TRUE(Xdotool("mousemove_relative -- 30 0"));
  EXPECT_TRUE(WaitUntil(
      [&] {
        const std::vector<std::string> p = PlayerSoFar(demo);
        return p.size() > 4 && std::stod(p[4]) != side0;
      },
      60, 100))
      << "the mouse turned nobody";
  EndTheGame(game, window, "e2e_bindings_score.png");

  std::istringstream end(PlayerPlace(ReadWholeFile(report)));
  double x1 = 0, y1 = 0;
  int side1 = 0;
  ASSERT_TRUE(end >> x1 >> y1 >> side1) << ReadWholeFile(report);
  EXPECT_EQ(side1, side0 + 60) << "30 pixels at 2 degrees each";
  EXPECT_LT(y1, y0 - 10) << "I walked forward (up the screen)";
  const fs::path replayed = folder.LogPath() / "replayed.txt";
  const std::string command =
      "'" KESTROVA_BINARY_DIR "/kestrova-sim' --replay '" + demo.string() + "' --out '" + replayed.string() + "'";
  EXPECT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadWholeFile(replayed), ReadWholeFile(report));
}

// The Debian package unpacked into a root of its own (scripts/package names it in
// KESTROVA_DEB) and its game run as root, who could write anywhere, with a fresh home: the
// player's files go to the home and the root stays as the package made it.
TEST(Desktop, PackagedGameLeavesItsRootAsInstalled) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  if (std::getenv("KESTROVA_DEB") == nullptr) GTEST_SKIP() << "no package named in KESTROVA_DEB";
  TGameFolder packaged("package", TLayout::Package);
  ASSERT_TRUE(fs::exists(packaged.Program())) << "dpkg-deb -x " << std::getenv("KESTROVA_DEB") << " failed";
  const std::set<std::string> unpacked = Listing(packaged.Installation());
  const fs::path home = packaged.LogPath() / "home";
  fs::create_directories(home);

  TGameProcess game(packaged, false, {"--seed", "3"},
                    {{"HOME", home.string()}, {"XDG_CONFIG_HOME", ""}, {"XDG_DATA_HOME", ""}, {"XDG_CACHE_HOME", ""}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_packaged_play.png", ShowsHud)) << game.Errors();
  EndTheGame(game, window, "e2e_packaged_score.png");

  ExpectLayerFilesWithThePlayer(home, packaged, game.Errors());
  std::string added;
  for (const std::string& entry : Listing(packaged.Installation())) {
    if (unpacked.count(entry) == 0) added += entry + "\n";
  }
  EXPECT_EQ(added, "") << "written below the package's root";
}

}  // namespace

namespace {

bool IsBlack(const TRgb& c) { return c == TRgb{0, 0, 0}; }

// The 1024 x 768 frame shown at 1100 x 600: 800 x 600 between bars of 150 pixels.
bool ShowsFrameBetweenSideBars(const TPixmap& shot) {
  return shot.width == 1100 && shot.height == 600 && IsBlack(PixelAt(shot, 10, 300)) &&
         IsBlack(PixelAt(shot, 1090, 300)) && IsHudColour(PixelAt(shot, 200, 6));
}

// On the 1280 x 1024 desktop: 1280 x 960 between bars of 32 pixels above and below.
bool ShowsFrameBetweenBarsAboveAndBelow(const TPixmap& shot) {
  return shot.width == 1280 && shot.height == 1024 && IsBlack(PixelAt(shot, 640, 10)) &&
         IsBlack(PixelAt(shot, 640, 1014)) && IsHudColour(PixelAt(shot, 30, 40));
}

bool ShowsHudAtItsOwnSize(const TPixmap& shot) { return shot.width == kW && shot.height == kH && ShowsHud(shot); }

}  // namespace

// The window scaled, full screen and back, with play going on on the configured screen; the
// same motion turns the same angle in a scaled window and in full screen, both ways; the pause
// menu's full-screen line by keys switches full screen and nothing else, even with the window
// changing under the resting pointer; the pointer is free on the score screen; and full screen
// is kept as left for the next launch, both ways.
TEST(Desktop, WindowScalesGoesFullScreenKeepsItAndTurnsAlike) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  if (!TWindowManager::Available()) GTEST_SKIP() << "no openbox (scripts/deps.sh installs it)";
  TWindowManager openbox;
  ASSERT_TRUE(openbox.Started());
  TGameFolder folder("scale");
  const fs::path report = folder.LogPath() / "r.txt";
  const fs::path demo = folder.LogPath() / "d.demo";
  const fs::path config = folder.LogPath() / "config";
  const fs::path settings = config / "kestrova" / "settings.txt";
  const std::vector<std::pair<std::string, std::string>> env = {{"XDG_CONFIG_HOME", config.string()}};
  {
    TGameProcess game(folder, false, {"--seed", "3", "--record", demo.string(), "--report", report.string()}, env);
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_scale_play.png", ShowsHud)) << game.Errors();
    const auto faces = [&](int side) {
      return WaitUntil(
          [&] {
            const std::vector<std::string> p = PlayerSoFar(demo);
            return p.size() > 4 && std::stoi(p[4]) == side;
          },
          60, 100);
    };
    ASSERT_TRUE(faces(0));
    // The game's own pictures, at the screen's size however large the window: F12 after F12
    // until one shows it, as a key pressed with F12 acts after the frame it comes in.
    int pictures = 0;
    const auto pictureShows = [&](bool (*seen)(const TPixmap&)) {
      for (int tries = 0; tries < 5; ++tries) {
        const TPixmapPtr shot = GameScreenshot(game, ++pictures);
        if (!shot || seen(*shot)) return shot != nullptr;
      }
      return false;
    };

    // Wholly on the screen, where the X server can take its picture.
    ASSERT_TRUE(Xdotool("windowmove " + window + " 0 0"));
    ASSERT_TRUE(Xdotool("windowsize " + window + " 1100 600"));
    EXPECT_TRUE(WaitFor(game, window, "e2e_scale_wide.png", ShowsFrameBetweenSideBars)) << game.Errors();
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    ASSERT_TRUE(Xdotool("mousemove_relative -- 30 0"));
    EXPECT_TRUE(faces(30)) << "30 pixels in a window showing the screen at 0.78";
    ASSERT_TRUE(Xdotool("key alt+Return"));
    EXPECT_TRUE(WaitFor(game, window, "e2e_scale_full.png", ShowsFrameBetweenBarsAboveAndBelow)) << game.Errors();
    EXPECT_NE(SettingsOnceHolding(settings, "fullscreen = yes"), "");
    ASSERT_TRUE(Xdotool("mousemove_relative -- -45 0"));
    EXPECT_TRUE(faces(-15)) << "45 pixels back in full screen showing it at 1.25";

    // The menu's full-screen line by keys: Right leaves full screen, Left takes it again.
    ASSERT_TRUE(Xdotool("key p"));
    ASSERT_TRUE(pictureShows(ShowsPause));
    ASSERT_TRUE(Xdotool("key Down Down Down Down Down Down Right"));
    EXPECT_NE(SettingsOnceHolding(settings, "fullscreen = no"), "");
    EXPECT_TRUE(WaitFor(game, window, "e2e_scale_menu_window.png", [](const TPixmap& shot) {
      return shot.width == 1100 && shot.height == 600 && IsBlack(PixelAt(shot, 10, 300));
    }));
    ASSERT_TRUE(Xdotool("key Left"));
    const std::string again = SettingsOnceHolding(settings, "fullscreen = yes");
    EXPECT_NE(again.find("\nscaling = smooth\n"), std::string::npos) << again;
    // SDL puts the pointer back where it was in the window once the window has changed: moved
    // only after that, the pointer is the player's.
    EXPECT_TRUE(WaitFor(game, window, "e2e_scale_menu_full.png",
                        [](const TPixmap& shot) { return shot.width == 1280 && shot.height == 1024; }));
    ASSERT_TRUE(Xdotool("mousemove --sync 20 10"));
    ASSERT_TRUE(pictureShows(ShowsPause));
    EXPECT_EQ(PointerPosition(), std::make_pair(20, 10)) << "the pause moved the pointer";
    ASSERT_TRUE(Xdotool("key p"));
    EXPECT_TRUE(WaitFor(game, window, "e2e_scale_resumed.png", ShowsFrameBetweenBarsAboveAndBelow));
    EXPECT_TRUE(faces(-15)) << "the pause turned the player";

    // On the score screen the pointer is the player's: moved, it stays.
    ASSERT_TRUE(Xdotool("key Escape"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_scale_score.png", ShowsScore));
    ASSERT_TRUE(Xdotool("mousemove --sync 20 10"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_scale_score2.png", ShowsScore));
    EXPECT_EQ(PointerPosition(), std::make_pair(20, 10)) << "the score screen moved the pointer";
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
  }
  const fs::path replayed = folder.LogPath() / "replayed.txt";
  EXPECT_EQ(std::system(("'" KESTROVA_BINARY_DIR "/kestrova-sim' --replay '" + demo.string() + "' --out '" +
                         replayed.string() + "'")
                            .c_str()),
            0);
  EXPECT_EQ(ReadWholeFile(replayed), ReadWholeFile(report));
  // The rules saw the configured screen all along: the camera is half of it from the player.
  std::istringstream place(PlayerPlace(ReadWholeFile(report)));
  double x = 0, y = 0;
  ASSERT_TRUE(place >> x >> y) << ReadWholeFile(report);
  EXPECT_NE(ReadWholeFile(report).find("camera " + std::to_string(static_cast<int>(x - 512)) + " " +
                                       std::to_string(static_cast<int>(y - 384)) + "\n"),
            std::string::npos)
      << ReadWholeFile(report);

  // Launched again it opens full screen, as left; F11 takes it back to a window, which the
  // launch after opens.
  {
    TGameProcess game(folder, false, {"--seed", "3"}, env);
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_scale_relaunch.png", ShowsFrameBetweenBarsAboveAndBelow)) << game.Errors();
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    ASSERT_TRUE(Xdotool("key F11"));
    EXPECT_NE(SettingsOnceHolding(settings, "fullscreen = no"), "");
    EndTheGame(game, window, "e2e_scale_relaunch_score.png");
  }
  TGameProcess game(folder, false, {"--seed", "3"}, env);
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_scale_windowed.png", ShowsHudAtItsOwnSize)) << game.Errors();
  EndTheGame(game, window, "e2e_scale_windowed_score.png");
}
