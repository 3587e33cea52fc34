// The game's command line as getopt_long reads it: the options spelt out whole, each value an
// argument of its own, nothing else taken, and each mistake worded as the game words it.
#include "app/program/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The error for a command line, empty when it is read.
std::string Mistake(std::vector<const char*> args, TCommandLine* read = nullptr) {
  args.insert(args.begin(), "kestrova");
  TCommandLine line;
  std::string error;
  const bool parsed = ParseCommandLine(static_cast<int>(args.size()), args.data(), line, error);
  if (read != nullptr) *read = line;
  EXPECT_EQ(parsed, error.empty());
  return error;
}

TEST(CommandLine, OptionsAreSpeltWholeAndEachMistakeIsNamed) {
  TCommandLine line;
  EXPECT_EQ(Mistake({"--seed", "-7", "--record", "a.demo", "--report", "r.txt", "--scores", "--help", "--version"},
                    &line),
            "");
  EXPECT_EQ(line.seed, -7);
  EXPECT_EQ(line.record, "a.demo");
  EXPECT_EQ(line.report, "r.txt");
  EXPECT_TRUE(line.scores && line.help && line.version);
  // Read again from the start, as the game does for the message in the player's language.
  EXPECT_EQ(Mistake({"--replay", "--help"}, &line), "");
  EXPECT_EQ(line.replay, "--help");
  EXPECT_FALSE(line.help);
  for (const char* unknown : {"--fast", "--seed=5", "--se", "--help=x", "-h", "--", "-", "game.demo"}) {
    EXPECT_EQ(Mistake({"--scores", unknown, "--fast"}), std::string("unbekannte Option '") + unknown + "'");
  }
  EXPECT_EQ(Mistake({"--seed"}), "--seed braucht einen Wert");
  EXPECT_EQ(Mistake({"--record", ""}), "--record braucht einen Wert");
  EXPECT_EQ(Mistake({"--seed", "12x"}), "--seed: '12x' ist keine ganze Zahl von -2147483648 bis 2147483647");
  EXPECT_EQ(Mistake({"--seed", "2147483648"}),
            "--seed: '2147483648' ist keine ganze Zahl von -2147483648 bis 2147483647");
  EXPECT_EQ(Mistake({"--seed", "+1"}), "--seed: '+1' ist keine ganze Zahl von -2147483648 bis 2147483647");
}

}  // namespace
