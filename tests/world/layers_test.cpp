#include <gtest/gtest.h>

#include <filesystem>

#include "state/game.h"
#include "test_support.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace {

// A grid shaped like a finished world around a few chosen cells.
void MakeSampleGrid() {
  CreateMapGrid();
  std::fill(game.mapGrid.Data(), game.mapGrid.Data() + kMapCells, 2);
  game.mapGrid[5][0] = 2;
  game.mapGrid[5][1] = 2;
  game.mapGrid[5][2] = 17;   // land, height 2, earth
  game.mapGrid[5][3] = 221;  // land, height 27, grass
  game.mapGrid[5][4] = 0;    // enclosed non-land
  game.mapGrid[5][5] = 7;    // land, height 0, sand
}

std::string Saved(const TempDir& dir, const char* name, int32_t first, int32_t last) {
  bool written = false;
  TMap::Savemap(dir / name, first, last, &written);
  EXPECT_TRUE(written);
  return ReadFile(dir / name);
}

}  // namespace

TEST(LayerFiles, OneLinePerColumnWithValuesRunTogether) {
  MakeSampleGrid();
  TempDir dir;
  struct Case {
    const char* name;
    int32_t first, last;
    const char* column0Value;
    std::string column5Start;
  };
  const Case cases[] = {
      {"mapall.map", 0, 7, "2", "221722107"},
      {"mapcol.map", 7, 7, "0", "001101"},
      {"maptyp.map", 5, 6, "1", "110203"},
      {"maphight.map", 0, 4, "0", "0022700"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = Saved(dir, c.name, c.first, c.last);
    bool wellFormed = false;
    const auto lines = SplitCrLf(text, &wellFormed);
    EXPECT_TRUE(wellFormed);
    ASSERT_EQ(lines.size(), 2048u);
    // Column x = 0 is all ocean.
    std::string ocean;
    for (int i = 0; i < 2048; ++i) ocean += c.column0Value;
    EXPECT_EQ(lines[0], ocean);
    EXPECT_EQ(lines[5].substr(0, c.column5Start.size()), c.column5Start);
    EXPECT_EQ(text.find('\n'), lines[0].size() + 1);
  }
  // The one-digit layers have a fixed size.
  EXPECT_EQ(std::filesystem::file_size(dir / "mapcol.map"), 4198400u);
  EXPECT_EQ(std::filesystem::file_size(dir / "maptyp.map"), 4198400u);
}

TEST(LayerFiles, SameGridSameBytesAndFilesAreReplaced) {
  MakeSampleGrid();
  TempDir dir;
  WriteFile(dir / "mapall.map", std::string(10000000, 'x'));  // a longer old file
  const std::string first = Saved(dir, "mapall.map", 0, 7);
  const std::string second = Saved(dir, "mapall.map", 0, 7);
  EXPECT_EQ(first, second);
  EXPECT_EQ(first.find('x'), std::string::npos);
  // Nothing but the file itself is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
  // The four files of the loading sequence, into a folder.
  EXPECT_TRUE(SaveLayerFiles(dir.path().string()));
  for (const TLayerFile& layer : layerFiles) {
    EXPECT_TRUE(std::filesystem::exists(dir / layer.name)) << layer.name;
  }
  EXPECT_EQ(ReadFile(dir / "mapall.map"), first);
}

TEST(LayerFiles, FailedWritesAreReportedAndLeaveNothingBehind) {
  MakeSampleGrid();
  TempDir dir;
  // A folder where the file should go: it cannot be replaced.
  std::filesystem::create_directory(dir / "mapcol.map");
  testing::internal::CaptureStderr();
  bool written = true;
  TMap::Savemap(dir / "mapcol.map", 7, 7, &written);
  std::string message = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(written);
  EXPECT_NE(message.find("mapcol.map"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(dir / "mapcol.map"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);

  // A folder that does not exist.
  testing::internal::CaptureStderr();
  written = true;
  TMap::Savemap(dir / "none/maptyp.map", 5, 6, &written);
  message = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(written);
  EXPECT_NE(message.find("maptyp.map"), std::string::npos);

  // The other files are still written when one fails.
  testing::internal::CaptureStderr();
  EXPECT_FALSE(SaveLayerFiles(dir.path().string()));
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "mapall.map"));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir / "maphight.map"));

  // Bit positions outside the cell are refused.
  testing::internal::CaptureStderr();
  TMap::Savemap(dir / "bad.map", 0, 8, &written);
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(written);
  EXPECT_FALSE(std::filesystem::exists(dir / "bad.map"));
}
