#include <gtest/gtest.h>

#include "platform/fatal.h"

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
