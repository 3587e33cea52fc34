// The real program stopping with a message once its window is open: the message goes to
// stderr and into a box over the window, and the program ends with status 1 when it is closed.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "scene.h"

namespace {

namespace fs = std::filesystem;

std::string Capture(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  std::array<char, 512> buf{};
  while (pipe != nullptr && fgets(buf.data(), buf.size(), pipe) != nullptr) out += buf.data();
  if (pipe != nullptr) pclose(pipe);
  return out;
}

TEST(MessageBox, WorldWithoutLandIsReportedOverTheWindow) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == 0) GTEST_SKIP() << "no X display";
  TScratchFolder folder("message_box", true);
  fs::copy_file(GAME_PATH, folder.Path() / "kestrova");
  folder.Write("config.txt", "320\n240\n0\n60\n");
  folder.Write("map.txt", "-1\n");
  // Start the game, wait for the box (the window without a class), note its width, press
  // Enter in it and report how the game ended.
  const std::string script = R"(
    ./kestrova 2>err.txt >/dev/null &
    pid=$!
    for i in $(seq 1 150); do
      box=$(xwininfo -root -tree | grep '"Kestrova": ()' | awk '{print $1}')
      [ -n "$box" ] && break
      kill -0 $pid 2>/dev/null || break
      sleep 0.2
    done
    echo "box ${box:-none}"
    [ -n "$box" ] && xwininfo -id $box | awk '/Width:/ {print "width", $2}'
    [ -n "$box" ] && xdotool windowfocus --sync $box && xdotool key --window $box Return
    for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
    kill $pid 2>/dev/null
    wait $pid
    echo "status $?"
    grep '^Kestrova:' err.txt
  )";
  folder.Write("run.sh", script);
  const std::string out = Capture("sh run.sh");
  EXPECT_EQ(out.find("box none"), std::string::npos) << out;
  int width = 0;
  const size_t at = out.find("width ");
  ASSERT_NE(at, std::string::npos) << out;
  width = std::atoi(out.c_str() + at + 6);
  EXPECT_GT(width, 0);
  EXPECT_LT(width, 800) << "the message is wrapped into lines";
  EXPECT_NE(out.find("status 1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Kestrova: the world made from map.txt has no land"), std::string::npos) << out;
}

}  // namespace
