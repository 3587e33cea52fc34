// The generator must still make exactly the committed files: a change to the art code
// without a regeneration, or output that depends on anything but the code, shows here.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<char> Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "kestrova-assetgen-XXXXXX").string();
    if (mkdtemp(tmpl.data())) path_ = tmpl;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

int RunQuietly(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()); }

}  // namespace

TEST(AssetGenerator, RunningItAgainGivesTheCommittedFilesByteForByte) {
  TempDir out;
  ASSERT_FALSE(out.Path().empty());
  fs::path sheet = out.Path() / "sheet.png";
  ASSERT_EQ(
      RunQuietly(std::string("'") + KESTROVA_ASSETGEN + "' '" + out.Path().string() + "' '" + sheet.string() + "'"), 0);
  fs::path src(KESTROVA_SOURCE_DIR);
  int compared = 0;
  for (const auto& e : fs::directory_iterator(out.Path())) {
    if (e.path() == sheet) continue;
    SCOPED_TRACE(e.path().filename().string());
    fs::path committed = src / "assets" / e.path().filename();
    ASSERT_TRUE(fs::exists(committed));
    EXPECT_TRUE(Bytes(e.path()) == Bytes(committed));
    ++compared;
  }
  EXPECT_EQ(compared, 40);
  EXPECT_TRUE(Bytes(sheet) == Bytes(src / "docs" / "assets.png"));
  // The settings files are not the generator's: it must leave them out.
  EXPECT_FALSE(fs::exists(out.Path() / "config.txt"));
  EXPECT_FALSE(fs::exists(out.Path() / "map.txt"));
}

TEST(AssetGenerator, WindowIconIsTheDesktopIconAt64Pixels) {
  TempDir out;
  ASSERT_FALSE(out.Path().empty());
  ASSERT_EQ(RunQuietly(std::string("'") + KESTROVA_ASSETGEN + "' --icons '" + out.Path().string() + "' game"), 0);
  const fs::path desktop = out.Path() / "hicolor" / "64x64" / "apps" / "game.png";
  ASSERT_TRUE(fs::exists(desktop));
  EXPECT_TRUE(Bytes(desktop) == Bytes(fs::path(KESTROVA_SOURCE_DIR) / "assets" / "icon.png"));
}

TEST(AssetGenerator, ReportsAnUnwritableFolder) {
  TempDir out;
  ASSERT_FALSE(out.Path().empty());
  // Root ignores permissions: a plain file where the folder should be cannot be written into.
  fs::path notDir = out.Path() / "file";
  std::ofstream(notDir) << "x";
  EXPECT_NE(RunQuietly(std::string("'") + KESTROVA_ASSETGEN + "' '" + notDir.string() + "'"), 0);
  EXPECT_NE(RunQuietly(std::string("'") + KESTROVA_ASSETGEN + "'"), 0);
}
