// A headless Wayland desktop of its own for a test: sway on the headless backend, with
// Xwayland, in a private runtime folder, so the real game can be run natively on Wayland or
// through Xwayland and driven with a virtual mouse and keyboard (wl_input, built from
// wl_input.c next to this file).
#pragma once
#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#ifndef WL_INPUT_PATH
#define WL_INPUT_PATH "wl_input"
#endif

class TWaylandDesktop {
 public:
  // `scale` is the output's (1, 1.5, 2...): the desktop is then 1920x1080 pixels but
  // 1920/scale x 1080/scale logical ones. `stock_config` starts from the configuration sway is
  // shipped with instead of an empty one.
  explicit TWaylandDesktop(double scale = 1, bool stock_config = false) {
    char dir[] = "/tmp/kestrova-wayland-XXXXXX";  // Made 0700, as a runtime folder must be.
    if (!mkdtemp(dir)) return;
    runtime_dir_ = dir;
    WriteConfig(scale, stock_config);
    StartSway();
    // Sway runs what the configuration asks only once its sockets are in place; what it
    // exports to the programs it starts names them.
    if (!Wait([&] { return std::filesystem::exists(runtime_dir_ + "/env"); }, 200)) return;
    ReadEnvironment();
    StartInput();
  }
  ~TWaylandDesktop() {
    StopInput();
    Kill();
    if (!runtime_dir_.empty()) std::filesystem::remove_all(runtime_dir_);
  }
  TWaylandDesktop(const TWaylandDesktop&) = delete;
  TWaylandDesktop& operator=(const TWaylandDesktop&) = delete;

  static bool Available() {
    return std::system(
               "command -v sway >/dev/null && command -v swaymsg >/dev/null && "
               "command -v Xwayland >/dev/null") == 0 &&
           std::system("command -v " WL_INPUT_PATH " >/dev/null") == 0;
  }
  // Sway answers and the virtual mouse and keyboard are plugged in.
  bool Started() const { return sway_ > 0 && input_ > 0 && !wayland_display_.empty(); }

  // What a game run on this desktop needs in its environment. SDL picks X11 (so Xwayland, which
  // starts when its first client connects) when both displays are set, unless
  // SDL_VIDEODRIVER=wayland.
  std::vector<std::pair<std::string, std::string>> Environment() const {
    return {{"XDG_RUNTIME_DIR", runtime_dir_},
            {"WAYLAND_DISPLAY", wayland_display_},
            {"DISPLAY", x_display_},
            {"SWAYSOCK", sway_socket_},
            {"LIBGL_ALWAYS_SOFTWARE", "1"}};
  }

  // A sway command (`[app_id="kestrova"] focus`, `fullscreen`, `[class="kestrova"] kill`...);
  // the reply as JSON.
  std::string Sway(const std::string& command) const { return SwayMsg({"--", command}); }
  // All outputs, workspaces and windows: a native window has an "app_id", one of Xwayland's
  // "window_properties" with its "class".
  std::string Tree() const { return SwayMsg({"-t", "get_tree"}); }

  // Keys by X keysym name ("Escape", "p", "Left", "F11"...), each pressed and let go.
  bool Keys(std::initializer_list<const char*> keys) {
    for (const char* key : keys)
      if (!Input(std::string("key ") + key)) return false;
    return true;
  }
  // Relative motion, in logical pixels: what a game in SDL's relative mouse mode hears.
  bool MovePointer(double dx, double dy) { return Input("move " + std::to_string(dx) + " " + std::to_string(dy)); }
  // The cursor to x, y of the whole desktop in logical pixels (width and height as
  // `swaymsg -t get_outputs` has them).
  bool PointerTo(int x, int y, int width, int height) {
    return Input("abs " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(width) + " " +
                 std::to_string(height));
  }
  // Buttons: 1 left, 2 middle, 3 right.
  bool Click(int button = 1) { return Input("click " + std::to_string(button)); }

  // The compositor goes away under whatever runs on it, Xwayland with it.
  void Kill() {
    if (sway_ <= 0) return;
    kill(sway_, SIGTERM);
    waitpid(sway_, nullptr, 0);
    // What it started (Xwayland, swaybar...) is in its process group.
    killpg(sway_, SIGKILL);
    sway_ = -1;
  }

 private:
  void WriteConfig(double scale, bool stock_config) {
    std::ofstream config(runtime_dir_ + "/sway.conf");
    if (stock_config) config << "include /etc/sway/config\n";
    std::ostringstream scale_text;
    scale_text << scale;
    config << "output HEADLESS-1 resolution 1920x1080 scale " << scale_text.str() << "\n"
           << "xwayland enable\n";
    // Without a seat section sway 1.7 grants no client a pointer lock, which SDL's relative
    // mouse mode asks for: the stock configuration has none.
    if (!stock_config) config << "seat * pointer_constraint enable\n";
    // Written whole, then renamed: once there it is complete.
    config << "exec env > " << runtime_dir_ << "/env.new && mv " << runtime_dir_ << "/env.new " << runtime_dir_
           << "/env\n";
  }

  void StartSway() {
    // Xwayland makes its socket folder if missing, readable only by its owner then: other
    // users' X servers could no longer add theirs.
    if (geteuid() == 0 && mkdir("/tmp/.X11-unix", 01777) == 0) chmod("/tmp/.X11-unix", 01777);
    sway_ = fork();
    if (sway_ > 0) setpgid(sway_, sway_);
    if (sway_ != 0) return;
    setpgid(0, 0);
    const int log = open((runtime_dir_ + "/sway.log").c_str(), O_WRONLY | O_CREAT, 0600);
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    setenv("XDG_RUNTIME_DIR", runtime_dir_.c_str(), 1);
    setenv("HOME", runtime_dir_.c_str(), 1);
    setenv("WLR_BACKENDS", "headless", 1);
    setenv("WLR_LIBINPUT_NO_DEVICES", "1", 1);
    setenv("WLR_RENDERER", "pixman", 1);
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY", "SWAYSOCK", "WAYLAND_SOCKET"}) unsetenv(name);
    // Sway refuses to run as root. In a user namespace of its own root is user 1000 to it, and
    // it is still root to the files it makes and to Xwayland, which lets in only clients of
    // the user it runs as: the tests', root.
    if (geteuid() == 0 && unshare(CLONE_NEWUSER) == 0) {
      WriteTo("/proc/self/setgroups", "deny");
      WriteTo("/proc/self/uid_map", "1000 0 1");
      WriteTo("/proc/self/gid_map", "1000 0 1");
    }
    const std::string config = runtime_dir_ + "/sway.conf";
    execlp("sway", "sway", "-c", config.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }

  void ReadEnvironment() {
    std::ifstream env(runtime_dir_ + "/env");
    for (std::string line; std::getline(env, line);) {
      const auto equals = line.find('=');
      if (equals == std::string::npos) continue;
      const std::string name = line.substr(0, equals), value = line.substr(equals + 1);
      if (name == "WAYLAND_DISPLAY") wayland_display_ = value;
      if (name == "DISPLAY") x_display_ = value;
      if (name == "SWAYSOCK") sway_socket_ = value;
    }
  }

  // One virtual mouse and keyboard for the desktop's whole life: sway takes the keyboard focus
  // away and gives it back whenever a keyboard is added, which a game sees as losing focus.
  void StartInput() {
    // A socket rather than a pipe: written to with MSG_NOSIGNAL, a wl_input that has gone
    // (with the compositor) makes a failed command, not a SIGPIPE for the test.
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
    input_ = fork();
    if (input_ == 0) {
      dup2(ends[1], STDIN_FILENO);
      dup2(ends[1], STDOUT_FILENO);
      for (const auto& [name, value] : Environment()) setenv(name.c_str(), value.c_str(), 1);
      execlp(WL_INPUT_PATH, WL_INPUT_PATH, "-", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ends[1]);
    input_fd_ = ends[0];
    input_out_ = fdopen(dup(input_fd_), "r");
    // Answered once both devices are in place.
    if (!Input("move 0 0")) StopInput();
  }
  void StopInput() {
    // Its stdin closed, wl_input removes its devices and ends.
    if (input_fd_ >= 0) shutdown(input_fd_, SHUT_WR), close(input_fd_);
    if (input_out_) fclose(input_out_);
    input_fd_ = -1;
    input_out_ = nullptr;
    if (input_ > 0) waitpid(input_, nullptr, 0);
    input_ = -1;
  }
  // A line for wl_input, true once the compositor has handled it.
  bool Input(const std::string& line) {
    if (input_fd_ < 0 || !input_out_) return false;
    const std::string text = line + "\n";
    if (send(input_fd_, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size())) return false;
    char answer[16];
    return fgets(answer, sizeof answer, input_out_) && std::string(answer) == "ok\n";
  }

  std::string SwayMsg(std::vector<std::string> args) const {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return "";
    const pid_t child = fork();
    if (child == 0) {
      dup2(out[1], STDOUT_FILENO);
      setenv("SWAYSOCK", sway_socket_.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>("swaymsg"), const_cast<char*>("-r")};
      for (auto& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      execvp("swaymsg", argv.data());
      _exit(127);
    }
    close(out[1]);
    std::string reply;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) reply.append(buffer, n);
    close(out[0]);
    waitpid(child, nullptr, 0);
    return reply;
  }

  static void WriteTo(const char* path, const char* text) {
    const int fd = open(path, O_WRONLY);
    if (fd < 0) return;
    [[maybe_unused]] const ssize_t written = write(fd, text, strlen(text));
    close(fd);
  }
  // Up to `tries` times 50 ms.
  template <typename Condition>
  static bool Wait(Condition condition, int tries) {
    for (int i = 0; i < tries; ++i) {
      if (condition()) return true;
      usleep(50000);
    }
    return condition();
  }

  std::string runtime_dir_, wayland_display_, x_display_, sway_socket_;
  pid_t sway_ = -1;
  pid_t input_ = -1;
  int input_fd_ = -1;
  FILE* input_out_ = nullptr;
};
