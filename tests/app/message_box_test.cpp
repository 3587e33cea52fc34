// The real program stopping with a message once its window is open: the message goes to
// stderr and into a box over the window, and the program ends with status 1 when it is closed.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

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

// Starts the game on a world without land in a folder of its own, waits for its box (the
// window without a class) and runs `whenUp` in the shell, with $pid the game and $box the box.
std::string RunUntilTheBox(const std::string& name, const std::string& whenUp) {
  TScratchFolder folder(name, true);
  fs::copy_file(GAME_PATH, folder.Path() / "kestrova");
  folder.Write("config.txt", "320\n240\n0\n60\n");
  folder.Write("map.txt", "-1\n");
  folder.Write("run.sh", R"(
    ./kestrova 2>err.txt >/dev/null &
    pid=$!
    for i in $(seq 1 150); do
      box=$(xwininfo -root -tree | grep '"Kestrova": ()' | awk '{print $1}')
      [ -n "$box" ] && break
      kill -0 $pid 2>/dev/null || break
      sleep 0.2
    done
    echo "box ${box:-none}"
  )" + whenUp);
  return Capture("sh run.sh");
}

TEST(MessageBox, WorldWithoutLandIsReportedOverTheWindow) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == 0) GTEST_SKIP() << "no X display";
  // Note the box's width, press Enter in it and report how the game ended.
  const std::string out = RunUntilTheBox("message_box", R"(
    [ -n "$box" ] && xwininfo -id $box | awk '/Width:/ {print "width", $2}'
    [ -n "$box" ] && xdotool windowfocus --sync $box && xdotool key --window $box Return
    for i in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
    kill $pid 2>/dev/null
    wait $pid
    echo "status $?"
    grep '^Kestrova:' err.txt
  )");
  EXPECT_EQ(out.find("box none"), std::string::npos) << out;
  const size_t at = out.find("width ");
  ASSERT_NE(at, std::string::npos) << out;
  const int width = std::atoi(out.c_str() + at + 6);
  EXPECT_GT(width, 0);
  EXPECT_LT(width, 800) << "the message is wrapped into lines";
  EXPECT_NE(out.find("status 1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("Kestrova: the world made from map.txt has no land"), std::string::npos) << out;
}

TEST(MessageBox, AStopSignalEndsTheGameAndItsBox) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == 0) GTEST_SKIP() << "no X display";
  // Each stop signal a desktop or terminal sends, once: the game ends with 128 + N and no box
  // is left on the screen.
  for (const auto& [sig, status] : {std::pair{"TERM", 143}, {"INT", 130}, {"HUP", 129}}) {
    const std::string out = RunUntilTheBox(std::string("message_box_") + sig, std::string(R"(
    kill -)") + sig + R"( $pid
    for i in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done
    kill -0 $pid 2>/dev/null && echo "still running" && kill -KILL $pid
    wait $pid
    echo "status $?"
    for i in $(seq 1 25); do
      xwininfo -root -tree | grep -q '"Kestrova": ()' || break
      sleep 0.2
    done
    xwininfo -root -tree | grep -q '"Kestrova": ()' && echo "box left"
    echo done
  )");
    EXPECT_EQ(out.find("box none"), std::string::npos) << sig << "\n" << out;
    EXPECT_EQ(out.find("still running"), std::string::npos) << sig << "\n" << out;
    EXPECT_NE(out.find("status " + std::to_string(status) + "\n"), std::string::npos) << sig << "\n" << out;
    EXPECT_EQ(out.find("box left"), std::string::npos) << sig << "\n" << out;
    EXPECT_NE(out.find("done"), std::string::npos) << sig << "\n" << out;
  }
}

}  // namespace
