#include "game_run.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <grp.h>
#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "../support/read_file.h"
#include "../support/report.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

// The first line a command prints, without its line end.
std::string FirstLine(const std::string& command) {
  std::string out;
  FILE* pipe = popen((command + " | head -n 1").c_str(), "r");
  if (pipe == nullptr) return out;
  std::array<char, 256> buf{};
  while (fgets(buf.data(), buf.size(), pipe) != nullptr) out += buf.data();
  pclose(pipe);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

// The X server's cookie, readable by the unprivileged player. Empty when the
// server asks for none.
std::string ShareXAuthority(const fs::path& logs) {
  const char* cookie = std::getenv("XAUTHORITY");
  if (cookie == nullptr || *cookie == 0) return {};
  const fs::path copy = logs / "xauthority";
  std::error_code error;
  fs::copy_file(cookie, copy, fs::copy_options::overwrite_existing, error);
  fs::permissions(copy, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read, error);
  return copy.string();
}

// The X server of the tests now and then drops a new connection, so the X tools
// get a few tries.
bool RunXTool(const std::string& command) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (std::system(command.c_str()) == 0) return true;
    SleepMilliseconds(100);
  }
  return false;
}

// One connection for all screenshots. Reading the window directly, rather than through a
// screen grabbing tool, never holds the X server for everyone else.
Display* ScreenshotConnection() {
  static Display* display = nullptr;
  for (int attempt = 0; display == nullptr && attempt < 4; ++attempt) {
    display = XOpenDisplay(nullptr);
    if (display == nullptr) SleepMilliseconds(100);
  }
  // A window that is gone by the time it is read is no reason to stop the tests.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  return display;
}

// The window's pixels as RGB, or null when it cannot be read.
TPixmapPtr CaptureWindow(unsigned long window) {
  Display* display = ScreenshotConnection();
  XWindowAttributes attributes{};
  if (display == nullptr || XGetWindowAttributes(display, window, &attributes) == 0) return nullptr;
  XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
  if (image == nullptr) return nullptr;
  TPixmapPtr shot = TPixmap::Create(attributes.width, attributes.height, PF_RGB888);
  const auto channel = [](unsigned long pixel, unsigned long mask) {
    return static_cast<uint8_t>((pixel & mask) >> std::countr_zero(mask));
  };
  for (int y = 0; y < attributes.height; ++y) {
    for (int x = 0; x < attributes.width; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      uint8_t* out = shot->PixelPtr(x, y);
      out[0] = channel(pixel, image->red_mask);
      out[1] = channel(pixel, image->green_mask);
      out[2] = channel(pixel, image->blue_mask);
    }
  }
  XDestroyImage(image);
  return shot;
}

}  // namespace

TGameFolder::TGameFolder(const std::string& name, TLayout layout) {
  // The game's copy lives in /tmp so that the unprivileged player can reach it
  // whatever folder the tests were built in.
  std::string pattern = (fs::temp_directory_path() / ("kestrova_e2e_" + name + "_XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) return;
  root_ = pattern;
  logs_ = root_ / "logs";
  fs::create_directories(logs_);
  if (layout == TLayout::Installed || layout == TLayout::Package) {
    installation_ = root_ / (layout == TLayout::Installed ? "prefix" : "root");
    const fs::path prefix = layout == TLayout::Installed ? installation_ : installation_ / "usr";
    game_ = prefix / "share" / "games" / "kestrova";
    program_ = prefix / "games" / "kestrova";
    const char* deb = std::getenv("KESTROVA_DEB");
    const std::string install =
        layout == TLayout::Installed
            ? std::string("'") + CMAKE_COMMAND + "' --install '" + KESTROVA_BINARY_DIR + "' --prefix '" +
                  prefix.string() + "' >/dev/null"
            : std::string("dpkg-deb -x '") + (deb != nullptr ? deb : "") + "' '" + installation_.string() + "'";
    if (std::system(install.c_str()) != 0) program_.clear();
  } else {
    game_ = root_ / "game";
    program_ = game_ / "kestrova";
    fs::create_directories(game_);
    fs::copy_file(GAME_PATH, program_);
    for (const auto& entry : fs::directory_iterator(fs::path(KESTROVA_SOURCE_DIR) / "assets")) {
      fs::copy_file(entry.path(), game_ / entry.path().filename());
    }
    fs::copy(fs::path(GAME_PATH).parent_path() / "locale", game_ / "locale", fs::copy_options::recursive);
  }
  const auto open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                    fs::perms::others_exec;
  fs::permissions(root_, open);
  if (layout == TLayout::Copy) fs::permissions(game_, open);
  fs::permissions(logs_, fs::perms::all);
}

TGameFolder::~TGameFolder() {
  std::error_code error;
  if (!game_.empty()) fs::permissions(game_, fs::perms::owner_all, fs::perm_options::add, error);
  if (!root_.empty()) fs::remove_all(root_, error);
}

void TGameFolder::Write(const std::string& name, const std::string& text) const {
  std::ofstream(game_ / name, std::ios::binary | std::ios::trunc) << text;
}

void TGameFolder::Remove(const std::string& name) const { fs::remove(game_ / name); }

TGameProcess::TGameProcess(const TGameFolder& folder, bool unprivileged, const std::vector<std::string>& arguments,
                           const std::vector<std::pair<std::string, std::string>>& environment)
    : errors_(folder.LogPath() / "stderr.txt") {
  const std::string program = folder.Program().string();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const std::string errors = errors_.string();
  const std::string cookie = unprivileged ? ShareXAuthority(folder.LogPath()) : std::string();
  // What the game keeps for the player (scores, screenshots) stays in the run's own folder
  // unless the test names a home or data folder of its own.
  const bool ownData = std::none_of(environment.begin(), environment.end(), [](const auto& e) {
    return e.first == "HOME" || e.first == "XDG_DATA_HOME";
  });
  const std::string data = (folder.LogPath() / "data").string();
  pid_ = fork();
  if (pid_ != 0) return;
  const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  const int null = open("/dev/null", O_RDWR);
  dup2(null, STDIN_FILENO);
  dup2(null, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  if (chdir("/") != 0) _exit(126);
  if (unprivileged && geteuid() == 0) {
    if (!cookie.empty()) setenv("XAUTHORITY", cookie.c_str(), 1);
    setenv("HOME", "/nonexistent", 1);
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(126);
  }
  if (ownData && !unprivileged) setenv("XDG_DATA_HOME", data.c_str(), 1);
  for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
  execv(program.c_str(), argv.data());
  _exit(127);
}

TGameProcess::~TGameProcess() {
  if (Running()) {
    kill(pid_, SIGCONT);
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool TGameProcess::Running() {
  if (pid_ <= 0 || status_ >= 0) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return true;
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
}

int TGameProcess::WaitForExit(int seconds) {
  if (!WaitUntil([this] { return !Running(); }, seconds, 100)) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    status_ = -1;
    pid_ = -1;
    return -1;
  }
  return status_;
}

std::string TGameProcess::Errors() const { return ReadWholeFile(errors_); }

std::string TGameProcess::WaitForErrorLine(const std::string& head, int seconds, int nth) {
  std::string line;
  WaitUntil(
      [&] {
        // Asked before the read: once the program has ended, the read holds all it wrote.
        const bool running = Running();
        const std::string errors = Errors();
        int seen = 0;
        for (size_t at = errors.find(head); at != std::string::npos; at = errors.find(head, at + 1)) {
          const size_t end = errors.find('\n', at);
          if ((at == 0 || errors[at - 1] == '\n') && end != std::string::npos && ++seen == nth) {
            line = errors.substr(at + head.size(), end - at - head.size());
            return true;
          }
        }
        return !running;
      },
      seconds);
  return line;
}

std::string TGameProcess::Window(int seconds) {
  std::string id;
  WaitUntil(
      [&] {
        if (!Running()) return true;
        id = FirstLine("xdotool search --onlyvisible --name '^Kestrova$' 2>/dev/null");
        return !id.empty();
      },
      seconds);
  return id;
}

std::string TGameProcess::MessageBox() {
  // The box has the game's title but, unlike the game window, no window class.
  return FirstLine(
      "xwininfo -root -tree 2>/dev/null | grep '\"Kestrova\": ()' "
      "| awk '{print $1}'");
}

void TGameProcess::Pause() { kill(pid_, SIGSTOP); }

void TGameProcess::Resume() { kill(pid_, SIGCONT); }

void TGameProcess::Signal(int sig) { kill(pid_, sig); }

TCommand RunCommand(const std::string& command, const std::filesystem::path& logs) {
  const std::filesystem::path out = logs / "out.txt";
  const std::filesystem::path err = logs / "err.txt";
  const int raw = std::system((command + " > '" + out.string() + "' 2> '" + err.string() + "'").c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWholeFile(out), ReadWholeFile(err)};
}

bool Xdotool(const std::string& arguments) { return RunXTool("xdotool " + arguments); }

TPixmapPtr Screenshot(const std::string& window, const std::string& name) {
  TPixmapPtr shot = CaptureWindow(std::stoul(window));
  if (!shot) return nullptr;
  const fs::path folder = fs::path(KESTROVA_BINARY_DIR) / "screenshots";
  fs::create_directories(folder);
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(shot->width);
  image.height = static_cast<png_uint_32>(shot->height);
  image.format = PNG_FORMAT_RGB;
  png_image_write_to_file(&image, (folder / name).c_str(), 0, shot->pixels.data(), shot->pitch, nullptr);
  return shot;
}

TRgb PixelAt(const TPixmap& shot, int x, int y) {
  uint8_t rgba[4];
  shot.ReadRGBA(x, y, rgba);
  return {rgba[0], rgba[1], rgba[2]};
}

void SleepMilliseconds(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

std::vector<std::pair<std::string, std::string>> VirtualPadEnvironment(const std::string& script) {
  const char* set = std::getenv("ASAN_OPTIONS");
  return {{"KESTROVA_VIRTUAL_PAD", script},
          {"LD_PRELOAD", VIRTUAL_PAD_PRELOAD},
          {"ASAN_OPTIONS", std::string(set != nullptr ? set : "") + ":verify_asan_link_order=0"}};
}

bool WaitUntil(const std::function<bool()>& seen, int seconds, int everyMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    if (seen()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    SleepMilliseconds(everyMs);
  }
}

std::string ReplayedSoFar(const fs::path& demo) {
  // A copy, so that the replay reads one state of the file while the game goes on writing.
  const fs::path copy = fs::path(demo) += ".so_far";
  const fs::path report = fs::path(demo) += ".so_far.txt";
  std::ofstream(copy, std::ios::binary | std::ios::trunc) << ReadWholeFile(demo);
  std::error_code error;
  fs::remove(report, error);
  const std::string command = "'" KESTROVA_BINARY_DIR "/kestrova-sim' --replay '" + copy.string() + "' --out '" +
                              report.string() + "' 2>/dev/null";
  const int raw = std::system(command.c_str());
  // 4: the copy stops before the end record, as a demo still being recorded does.
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return status == 0 || status == 4 ? ReadWholeFile(report) : std::string();
}

std::vector<std::string> PlayerSoFar(const fs::path& demo) {
  const TReport report = ReadReport(ReplayedSoFar(demo));
  return report.Player() != nullptr ? *report.Player() : std::vector<std::string>{};
}

std::pair<int, int> PointerPosition() {
  Display* display = ScreenshotConnection();
  if (display == nullptr) return {-1, -1};
  Window root = 0, child = 0;
  int x = -1, y = -1, wx = 0, wy = 0;
  unsigned int mask = 0;
  XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &wx, &wy, &mask);
  return {x, y};
}

std::pair<int, int> WindowCentre(const std::string& window) {
  Display* display = ScreenshotConnection();
  XWindowAttributes attributes{};
  const Window id = std::stoul(window);
  if (display == nullptr || XGetWindowAttributes(display, id, &attributes) == 0) return {-1, -1};
  int x = 0, y = 0;
  Window child = 0;
  XTranslateCoordinates(display, id, DefaultRootWindow(display), attributes.width / 2, attributes.height / 2, &x, &y,
                        &child);
  return {x, y};
}

bool SendCloseRequest(const std::string& window) {
  Display* display = ScreenshotConnection();
  if (display == nullptr) return false;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = std::stoul(window);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
  XFlush(display);
  return sent != 0;
}
