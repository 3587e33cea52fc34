// The world tool as a user runs it: arguments, exit status, messages and files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>

#include "rules/random.h"
#include "state/game.h"
#include "test_support.h"
#include "world/worldgen.h"

namespace {

const std::string kTool = KESTROVA_BINARY_DIR "/kestrova-worldgen";

struct TRun {
  int status;
  std::string out;
  std::string err;
};

// Runs the tool with arguments in folder cwd, capturing both output streams.
TRun RunTool(const TempDir& dir, const std::string& cwd, const std::string& args) {
  const std::string command = "cd '" + cwd + "' && '" + kTool + "' " + args + " >'" +
                              (dir / "stdout") + "' 2>'" + (dir / "stderr") + "'";
  const int raw = std::system(command.c_str());
  TRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(dir / "stdout"),
           ReadFile(dir / "stderr")};
  std::filesystem::remove(dir / "stdout");
  std::filesystem::remove(dir / "stderr");
  return run;
}

const char kParams[] = "60\n20\n80\n3\n8\n10\n10\n";

}  // namespace

TEST(WorldTool, HelpAndBadArguments) {
  TempDir dir;
  const std::string cwd = dir.path().string();
  TRun run = RunTool(dir, cwd, "--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("--seed N"), std::string::npos);

  for (const char* args :
       {"", "--seed", "--seed abc", "--seed 12x", "--seed 2147483648", "--seed -2147483649",
        "--seed 1 --frobnicate", "--seed 1 --map", "--seed 1 --out nowhere"}) {
    SCOPED_TRACE(args);
    run = RunTool(dir, cwd, args);
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("Usage"), std::string::npos);
  }
  // Nothing was written by any of them.
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(WorldTool, UnreadableParametersFile) {
  TempDir dir;
  const TRun run = RunTool(dir, dir.path().string(), "--seed 1 --map missing.txt");
  EXPECT_EQ(run.status, 2);
  EXPECT_TRUE(run.out.empty());
  EXPECT_NE(run.err.find("missing.txt"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(WorldTool, WritesTheSameWorldAsTheLibrary) {
  TempDir dir;
  std::filesystem::create_directory(dir / "tool");
  std::filesystem::create_directory(dir / "lib");
  WriteFile(dir / "params.txt", kParams);
  const TRun run =
      RunTool(dir, dir.path().string(), "--seed -77 --map params.txt --out tool --png world.png");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out.empty());
  EXPECT_TRUE(run.err.empty());

  CreateMapGrid();
  SeedRandom(-77);
  game.mapParamsFile = dir / "params.txt";
  ASSERT_TRUE(GenerateWorld());
  ASSERT_TRUE(SaveLayerFiles(dir / "lib"));
  game.mapParamsFile = "map.txt";
  for (const TLayerFile& layer : layerFiles) {
    const std::string made = ReadFile(dir / "tool/" + layer.name);
    EXPECT_FALSE(made.empty()) << layer.name;
    EXPECT_TRUE(made == ReadFile(dir / "lib/" + layer.name)) << layer.name;
  }
  // A PNG of 2048 x 2048 pixels.
  const std::string png = ReadFile(dir / "world.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\x08\0\0\0\x08\0", 8));
}

TEST(WorldTool, DefaultsToTheCurrentFolder) {
  TempDir dir;
  WriteFile(dir / "map.txt", kParams);
  const TRun run = RunTool(dir, dir.path().string(), "--seed 3");
  EXPECT_EQ(run.status, 0) << run.err;
  for (const TLayerFile& layer : layerFiles) {
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / layer.name)) << layer.name;
  }
}

TEST(WorldTool, WalksTooLongOrTooHeavyAreRefusedAlike) {
  TempDir dir;
  // Too many steps, and few steps that each stamp the whole world: the same refusal, at once.
  WriteFile(dir / "long.txt", "2147483647\n0\n0\n3\n3\n0\n0\n");
  WriteFile(dir / "heavy.txt", "16000000\n1\n1\n2047\n2047\n2047\n3\n");
  const TRun tooLong = RunTool(dir, dir.path().string(), "--seed 1 --map long.txt");
  const TRun tooHeavy = RunTool(dir, dir.path().string(), "--seed 1 --map heavy.txt");
  EXPECT_EQ(tooLong.status, 2);
  EXPECT_EQ(tooHeavy.status, 2);
  EXPECT_NE(tooHeavy.err.find("heavy.txt asks for a walk of 16000000 segments that would take more than"),
            std::string::npos)
      << tooHeavy.err;
  EXPECT_FALSE(std::filesystem::exists(dir / "mapcol.map"));
}

TEST(WorldTool, WorldWithoutLandAndFailedWrites) {
  TempDir dir;
  // A walk of no segments carves nothing: the files are written, the exit status says so.
  WriteFile(dir / "empty.txt", "-1\n10\n10\n3\n3\n5\n5\n");
  TRun run = RunTool(dir, dir.path().string(), "--seed 1 --map empty.txt");
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("no land"), std::string::npos);
  EXPECT_NE(run.err.find("empty.txt"), std::string::npos);
  EXPECT_EQ(std::filesystem::file_size(dir / "mapcol.map"), 4198400u);

  // A layer file that cannot be replaced.
  std::filesystem::remove(dir / "maptyp.map");
  std::filesystem::create_directory(dir / "maptyp.map");
  WriteFile(dir / "map.txt", kParams);
  run = RunTool(dir, dir.path().string(), "--seed 1");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("maptyp.map"), std::string::npos);
}
