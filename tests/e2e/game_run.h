// The real game program run as a player runs it: a copy of its folder, started
// from another directory under the X server of the tests, watched through
// screenshots and driven with xdotool.
#pragma once
#include <sys/types.h>

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/files/pixmap.h"

// How the game under test is laid out: a copy of the build's game folder, the
// game installed with `cmake --install` into a fresh prefix, or the contents of
// the Debian package named by KESTROVA_DEB unpacked into a fresh root.
enum class TLayout { Copy, Installed, Package };

// A copy of the game's folder (program, pictures, sounds, settings) in a fresh
// temporary folder, removed again at the end. Installed or packaged, Path() is
// the installation's data folder and Program() PREFIX/games/kestrova.
class TGameFolder {
 public:
  explicit TGameFolder(const std::string& name, TLayout layout = TLayout::Copy);
  ~TGameFolder();
  TGameFolder(const TGameFolder&) = delete;
  TGameFolder& operator=(const TGameFolder&) = delete;

  const std::filesystem::path& Path() const { return game_; }
  const std::filesystem::path& Program() const { return program_; }
  // The folder the game is installed in: the prefix, or the package's root.
  const std::filesystem::path& Installation() const { return installation_; }
  // Where the run's output and scratch files go: beside the game's folder,
  // never in it.
  const std::filesystem::path& LogPath() const { return logs_; }
  void Write(const std::string& name, const std::string& text) const;
  void Remove(const std::string& name) const;

 private:
  std::filesystem::path root_;
  std::filesystem::path game_;
  std::filesystem::path program_;
  std::filesystem::path installation_;
  std::filesystem::path logs_;
};

// The game program of a folder, running. Killed at the end if still running.
class TGameProcess {
 public:
  // Starts the program with "/" as its current directory, with the given
  // command-line arguments and extra environment variables. With unprivileged
  // true it runs as the user nobody, for whom permission bits hold even when
  // the tests run as root.
  TGameProcess(const TGameFolder& folder, bool unprivileged, const std::vector<std::string>& arguments = {},
               const std::vector<std::pair<std::string, std::string>>& environment = {});
  ~TGameProcess();
  TGameProcess(const TGameProcess&) = delete;
  TGameProcess& operator=(const TGameProcess&) = delete;

  bool Running();
  pid_t Pid() const { return pid_; }
  // The exit status, or -1 when the program has not ended within the given
  // seconds (it is then killed); 128 + signal when a signal ended it.
  int WaitForExit(int seconds);
  // What the program wrote to stderr so far.
  std::string Errors() const;
  // The rest of the `nth` stderr line that starts with `head` once it is complete, waiting for
  // it up to the given seconds (or until the program ends); empty if none came.
  std::string WaitForErrorLine(const std::string& head, int seconds, int nth = 1);
  // The visible game window, waiting for it up to the given seconds; empty if
  // none came.
  std::string Window(int seconds);
  // The message box the program stops with, if one is up; empty if not.
  static std::string MessageBox();
  void Pause();
  void Resume();
  // Sends the program a signal, as a desktop or a terminal does.
  void Signal(int sig);

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  std::filesystem::path errors_;
};

struct TCommand {
  int status = -1;  // the exit status, -1 when a signal ended it
  std::string out;
  std::string err;
};
// Runs a command line with stdout and stderr caught in files in `logs`.
TCommand RunCommand(const std::string& command, const std::filesystem::path& logs);

// Runs xdotool with these arguments; true when it succeeded.
bool Xdotool(const std::string& arguments);

// Captures the window into build/screenshots/<name> and reads it back; null on
// failure.
TPixmapPtr Screenshot(const std::string& window, const std::string& name);

using TRgb = std::array<int, 3>;
TRgb PixelAt(const TPixmap& shot, int x, int y);

void SleepMilliseconds(int ms);

// The environment a game started with the virtual pad preloaded needs: a sanitized game would
// refuse a library loaded before its sanitizer's, so that check is off (other builds ignore
// the setting).
std::vector<std::pair<std::string, std::string>> VirtualPadEnvironment(const std::string& script);

// Asks `seen` at once and then every `everyMs` milliseconds until it says yes; false when
// `seconds` pass first. The tests wait this way for what the game shows or writes, never for
// a fixed time: on a busy machine the game may take many times as long as on an idle one.
bool WaitUntil(const std::function<bool()>& seen, int seconds, int everyMs = 50);

// The report of the game that the demo being recorded holds so far: its frames replayed
// headless by kestrova-sim, which stops at the last whole one. Empty when it cannot be
// replayed. The demo is flushed every frame, so this is what the rules have seen.
std::string ReplayedSoFar(const std::filesystem::path& demo);
// The player's line of that report in words (F id X Y Side HP EP Art weapon w0 .. w4 Time);
// empty when there is none.
std::vector<std::string> PlayerSoFar(const std::filesystem::path& demo);

// Where the system pointer is on the screen.
std::pair<int, int> PointerPosition();
// The centre of the window's client area on the screen.
std::pair<int, int> WindowCentre(const std::string& window);
// Sends the window a close request (WM_DELETE_WINDOW), as a window manager's close
// button does.
bool SendCloseRequest(const std::string& window);
