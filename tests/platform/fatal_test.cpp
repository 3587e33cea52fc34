#include "platform/system/fatal.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "platform/system/stop_signal.h"

namespace {

TEST(FatalTest, MessageBoxTextIsWrappedAtBlanks) {
  EXPECT_EQ(WrapLines("short text", 72), "short text");
  EXPECT_EQ(WrapLines("aaa bbb ccc ddd", 7), "aaa bbb\nccc ddd");
  // A word longer than a line stays whole; lines that already end are kept.
  EXPECT_EQ(WrapLines("abcdefghij k", 4), "abcdefghij\nk");
  EXPECT_EQ(WrapLines("ab\ncd ef gh", 5), "ab\ncd ef\ngh");
  const std::string wrapped = WrapLines(std::string(30, 'x') + " " + std::string(30, 'y') + " z", 40);
  EXPECT_EQ(wrapped, std::string(30, 'x') + "\n" + std::string(30, 'y') + " z");
}

TEST(FatalTest, StopsWithStatusOneAndTheMessageOnStderr) {
  EXPECT_EXIT(Fatal("cannot read map.txt"), ::testing::ExitedWithCode(1), "^Kestrova: cannot read map.txt\n$");
}

}  // namespace

// The first stop signal is kept for the game loop to end on; a second ends the process at once,
// as that signal does by default.
TEST(StopSignals, TheFirstIsKeptAndTheSecondEndsAtOnce) {
  EXPECT_EXIT(
      {
        InstallStopSignals();
        raise(SIGTERM);
        if (StopSignal() != SIGTERM) std::_Exit(1);
        raise(SIGINT);
        std::_Exit(0);
      },
      ::testing::KilledBySignal(SIGINT), "");
}
