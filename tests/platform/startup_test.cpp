#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  std::string out;
  int status = -1;
};

// Runs a shell command without a display, so the fault handler's message box cannot block.
Outcome RunCommand(const std::string& command) {
  const std::string full = "env -u DISPLAY -u WAYLAND_DISPLAY " + command;
  FILE* pipe = popen(full.c_str(), "r");
  Outcome result;
  std::array<char, 512> buf{};
  while (pipe != nullptr && fgets(buf.data(), buf.size(), pipe) != nullptr) result.out += buf.data();
  const int raw = pipe != nullptr ? pclose(pipe) : -1;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

class StartupTest : public ::testing::Test {
 protected:
  // Each test gets its own copy of the probe, so tests running in parallel keep their
  // config.txt files apart.
  void SetUp() override {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    root_ = fs::temp_directory_path() / ("kestrova_startup_" + name);
    fs::remove_all(root_);
    fs::create_directories(root_ / "game");
    elsewhere_ = root_ / "elsewhere";
    fs::create_directories(elsewhere_);
    probe_ = root_ / "game" / "startup_probe";
    fs::copy_file(PROBE_PATH, probe_);
  }
  void TearDown() override { fs::remove_all(root_); }
  void WriteConfig(const std::string& text) { std::ofstream(probe_.parent_path() / "config.txt") << text; }

  fs::path root_;
  fs::path probe_;
  fs::path elsewhere_;
};

TEST_F(StartupTest, RelativePathsResolveInTheProgramFolder) {
  // A decoy in the starting folder must not be read.
  std::ofstream(elsewhere_ / "config.txt") << "1\n2\n3\n4\n";
  WriteConfig("800 x\r\n600\r\n0\r\n75\r\nextra line\r\n");
  const Outcome cwd = RunCommand("sh -c 'cd " + elsewhere_.string() + " && " + probe_.string() + " cwd'");
  EXPECT_EQ(cwd.out, fs::canonical(probe_.parent_path()).string() + "\n");
  const Outcome settings = RunCommand("sh -c 'cd " + elsewhere_.string() + " && " + probe_.string() + " settings'");
  EXPECT_EQ(settings.status, 0);
  EXPECT_EQ(settings.out, "800 600 0 75\n");
}

TEST_F(StartupTest, ShortSettingsReadAsZeros) {
  WriteConfig("1024\nabc\n");
  // A height of 0 cannot be opened: the message names the file and every value read.
  const Outcome r = RunCommand(probe_.string() + " settings 2>&1");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("config.txt asks for a window of 1024 x 0 pixels, depth 0, at 0 Hz"), std::string::npos)
      << r.out;
}

TEST_F(StartupTest, MissingSettingsStopWithAMessage) {
  fs::remove(probe_.parent_path() / "config.txt");
  const Outcome r = RunCommand(probe_.string() + " settings 2>&1");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("config.txt"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("four lines"), std::string::npos) << r.out;
}

TEST_F(StartupTest, FaultsAreNamedAndExitNonZero) {
  struct Case {
    const char* kind;
    const char* name;
    int signal;
  };
  for (const Case& c : {Case{"segv", "EXCEPTION_ACCESS_VIOLATION", 11},
                        Case{"intdiv", "EXCEPTION_INT_DIVIDE_BY_ZERO", 8},
                        Case{"trap", "EXCEPTION_BREAKPOINT", 5},
                        Case{"stack", "EXCEPTION_STACK_OVERFLOW", 11}}) {
    const Outcome r = RunCommand(probe_.string() + " crash " + c.kind + " 2>&1");
    EXPECT_EQ(r.out, std::string("Windows exception: ") + c.name + "\n") << c.kind;
    EXPECT_EQ(r.status, 128 + c.signal) << c.kind;
  }
}

}  // namespace
