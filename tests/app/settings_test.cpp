// The player's settings file: what it holds, what it cannot hold, the defaults it is written
// with, and how the game puts its values back without losing the player's other lines.
#include "app/player/settings.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/read_file.h"
#include "app/menu/controls_help.h"
#include "app/player/settings_in_force.h"
#include "platform/input/key_names.h"
#include "platform/input/keys.h"

namespace {

// A German keyboard: Y and Z swapped, the umlauts and ß beside the letters, + and # on the
// right; the rest of its keys as SDL names them.
int32_t GermanKeyOf(int32_t scancode) {
  switch (scancode) {
    case SDL_SCANCODE_Y:
      return 'z';
    case SDL_SCANCODE_Z:
      return 'y';
    case SDL_SCANCODE_LEFTBRACKET:
      return 0xFC;
    case SDL_SCANCODE_SEMICOLON:
      return 0xF6;
    case SDL_SCANCODE_APOSTROPHE:
      return 0xE4;
    case SDL_SCANCODE_MINUS:
      return 0xDF;
    case SDL_SCANCODE_RIGHTBRACKET:
      return '+';
    case SDL_SCANCODE_BACKSLASH:
      return '#';
    default:
      break;
  }
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) return 'a' + scancode - SDL_SCANCODE_A;
  return 0;
}
int32_t GermanScancodeOf(int32_t key) {
  for (int32_t sc = SDL_SCANCODE_A; sc < SDL_NUM_SCANCODES; ++sc) {
    if (GermanKeyOf(sc) == key) return sc;
  }
  return SDL_SCANCODE_UNKNOWN;
}

TPlayerSettings Sound(int32_t volume, bool mute) {
  TPlayerSettings s;
  s.volume = volume;
  s.mute = mute;
  return s;
}

TEST(PlayerSettings, EveryNameIsReadAndWhatCannotBeUsedIsNamedWithItsLine) {
  std::vector<std::string> problems;
  const TPlayerSettings s = ParsePlayerSettings(
      "# mine\n\n  volume =  35 \r\nmute=yes\nkey_forward = i Keypad 8\nkey_volume_up = Keypad + Left Alt\n"
      "mouse_sensitivity = 2.5\nmouse_invert = yes\nfullscreen = on\nscaling = whole\n",
      "s.txt", problems);
  EXPECT_TRUE(problems.empty()) << problems[0];
  EXPECT_EQ(s.volume, 35);
  EXPECT_TRUE(s.mute && s.mouseInvert && s.fullscreen);
  EXPECT_EQ(s.scaling, TScaling::Whole);
  EXPECT_EQ(ParsePlayerSettings("scaling = sharp\n", "s.txt", problems).scaling, TScaling::Sharp);
  EXPECT_EQ(s.music, 50);
  EXPECT_EQ(ParsePlayerSettings("music = 100\n", "s.txt", problems).music, 100);
  EXPECT_EQ(ParsePlayerSettings("music = 0\n", "s.txt", problems).music, 0);
  EXPECT_TRUE(problems.empty()) << problems[0];
  EXPECT_EQ(ParsePlayerSettings("music = 101\n", "s.txt", problems).music, 50);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], "s.txt:1: music must be a whole number from 0 to 100, not '101'; using 50");
  problems.clear();
  EXPECT_EQ(s.mouseSensitivity, 2.5);
  EXPECT_EQ(s.Keys(TAction::Forward), (std::vector<int32_t>{'I', 104}));
  EXPECT_EQ(s.Keys(TAction::VolumeUp), (std::vector<int32_t>{107, 164}));
  EXPECT_EQ(s.Keys(TAction::Back), (std::vector<int32_t>{'S', 40}));  // not named: today's keys

  std::vector<TSettingsProblem> briefs;
  const TPlayerSettings bad = ParsePlayerSettings(
      "volume = 101\nmute = maybe\nmouse_sensitivity = 0.09\nkey_pause = P Pouse\nkey_mute =\nloud = 3\njust words\n"
      "scaling = Smooth\n",
      "s.txt", problems, &briefs);
  EXPECT_EQ(bad, TPlayerSettings{});
  ASSERT_EQ(problems.size(), 8u);
  EXPECT_EQ(problems[7], "s.txt:8: scaling must be smooth, sharp or whole, not 'Smooth'; using smooth");
  problems.pop_back();
  briefs.pop_back();
  EXPECT_EQ(problems[0], "s.txt:1: volume must be a whole number from 0 to 100, not '101'; using 80");
  EXPECT_EQ(problems[1], "s.txt:2: mute must be yes or no, not 'maybe'; using no");
  EXPECT_EQ(problems[2], "s.txt:3: mouse_sensitivity must be a number from 0.1 to 10, not '0.09'; using 1");
  EXPECT_EQ(problems[3], "s.txt:4: key_pause: 'Pouse' is no key name; using P Pause");
  EXPECT_EQ(problems[4], "s.txt:5: key_mute: no key given; using M");
  EXPECT_EQ(problems[5], "s.txt:6: unknown setting 'loud'");
  EXPECT_EQ(problems[6], "s.txt:7: 'just words' is no setting: write name = value");
  // The window's notice: the first problem, short and in the game's language, and how many more.
  ASSERT_EQ(briefs.size(), 7u);
  const std::vector<std::string> kinds = {"falscher Wert",    "falscher Wert",    "falscher Wert",
                                          "unbekannte Taste", "unbekannte Taste", "unbekannter Name",
                                          "keine Einstellung"};
  for (size_t i = 0; i < briefs.size(); ++i) {
    EXPECT_EQ(briefs[i].line, static_cast<int32_t>(i + 1));
    EXPECT_EQ(briefs[i].brief, kinds[i]) << i;
  }
  EXPECT_EQ(SettingsNotice(briefs), "settings.txt Zeile 1: falscher Wert (+6 weitere)");
  EXPECT_EQ(SettingsNotice({briefs[5]}), "settings.txt Zeile 6: unbekannter Name");
  EXPECT_EQ(SettingsNotice({}), "");

  // Escape ends play: bound from the file it is refused, as the menu refuses it.
  problems.clear();
  briefs.clear();
  EXPECT_EQ(ParsePlayerSettings("key_pause = P Escape\nkey_mute = M\n", "s.txt", problems, &briefs), TPlayerSettings{});
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], "s.txt:1: key_pause: Escape ends play and is bound to nothing else; using P Pause");
  EXPECT_EQ(SettingsNotice(briefs), "settings.txt Zeile 1: Escape ist nicht belegbar");
}

TEST(PlayerSettings, TheLanguageIsGermanEnglishOrTheDesktopsAndNothingElse) {
  std::vector<std::string> problems;
  EXPECT_EQ(ParsePlayerSettings("", "s.txt", problems).language, TLanguageChoice::German);
  EXPECT_EQ(ParsePlayerSettings("language = de\n", "s.txt", problems).language, TLanguageChoice::German);
  EXPECT_EQ(ParsePlayerSettings("language = en\n", "s.txt", problems).language, TLanguageChoice::English);
  EXPECT_EQ(ParsePlayerSettings("language=auto\n", "s.txt", problems).language, TLanguageChoice::Desktop);
  EXPECT_TRUE(problems.empty()) << problems[0];
  std::vector<TSettingsProblem> briefs;
  for (const char* wrong : {"language = EN\n", "mute = no\nlanguage = deutsch\n", "language =\n"}) {
    problems.clear();
    briefs.clear();
    EXPECT_EQ(ParsePlayerSettings(wrong, "s.txt", problems, &briefs).language, TLanguageChoice::German) << wrong;
    ASSERT_EQ(problems.size(), 1u) << wrong;
    ASSERT_EQ(briefs.size(), 1u) << wrong;
    EXPECT_EQ(briefs[0].brief, "falscher Wert");
  }
  EXPECT_EQ(problems[0], "s.txt:1: language must be de, en or auto, not ''; using de");
  ParsePlayerSettings("mute = no\nlanguage = deutsch\n", "s.txt", problems);
  EXPECT_EQ(problems.back(), "s.txt:2: language must be de, en or auto, not 'deutsch'; using de");
  EXPECT_EQ(LanguageOf(TLanguageChoice::English), TLanguage::English);
  EXPECT_EQ(LanguageOf(TLanguageChoice::German), TLanguage::German);
}

TEST(PlayerSettings, DefaultsReadBackAndUpdatesKeepEveryOtherLine) {
  std::vector<std::string> problems;
  const std::string defaults = PlayerSettingsText({});
  EXPECT_EQ(ParsePlayerSettings(defaults, "s.txt", problems), TPlayerSettings{});
  EXPECT_TRUE(problems.empty()) << problems[0];
  EXPECT_NE(defaults.find("\nkey_volume_up = = Keypad +\n"), std::string::npos) << defaults;
  EXPECT_NE(defaults.find("\nscaling = smooth\n"), std::string::npos) << defaults;
}

TEST(PlayerSettings, UpdatesPutEverySettingInAndKeepThePlayersOtherLines) {
  TPlayerSettings s = Sound(30, true);
  s.hud = THud::Extended;
  s.language = TLanguageChoice::English;
  s.keys[static_cast<size_t>(TAction::Back)] = {'I'};
  const std::string text = "# night\nkey_forward = w up\nvolume = 80\nother = 1\n# mine\nhud = classic\n";
  const std::string written = UpdatePlayerSettings(text, s);
  // A line that already reads as the value stays as the player wrote it.
  EXPECT_EQ(written.substr(0, 83),
            "# night\nkey_forward = w up\nvolume = 30\nother = 1\n# mine\nhud = extended\n# Walk back\n")
      << written;
  EXPECT_NE(written.find("\nkey_back = I\n"), std::string::npos);
  EXPECT_NE(written.find("\n# Sound off: yes or no\nmute = yes\n"), std::string::npos);
  EXPECT_NE(written.find("\nlanguage = en\n"), std::string::npos);
  EXPECT_EQ(written.find("key_forward = W Up"), std::string::npos) << "not added again";
  std::vector<std::string> problems;
  EXPECT_EQ(ParsePlayerSettings(written, "s.txt", problems), s);
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0], "s.txt:4: unknown setting 'other'");
  EXPECT_EQ(UpdatePlayerSettings(written, s), written);
  problems.clear();
  const TPlayerSettings bad = ParsePlayerSettings("hud = fancy\nlanguage = fr\n", "s.txt", problems);
  EXPECT_EQ(bad.hud, THud::Classic);
  EXPECT_EQ(bad.language, TLanguageChoice::German);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0], "s.txt:1: hud must be classic or extended, not 'fancy'; using classic");

  // A comment after a value: the value reads without it, and a change keeps it.
  problems.clear();
  const std::string commented = "volume = 50  # quieter\nkey_back = I\t# mine\nmute = no #\n";
  TPlayerSettings read = Sound(50, false);
  read.keys[static_cast<size_t>(TAction::Back)] = {'I'};
  EXPECT_EQ(ParsePlayerSettings(commented, "s.txt", problems), read);
  EXPECT_TRUE(problems.empty()) << problems[0];
  EXPECT_EQ(UpdatePlayerSettings(commented, s).rfind("volume = 30  # quieter\nkey_back = I\t# mine\nmute = yes #\n", 0),
            0u)
      << UpdatePlayerSettings(commented, s);
}

TEST(PlayerSettings, MissingFileIsWrittenWithDefaultsAndAFolderInItsPlaceIsLeftAlone) {
  const std::filesystem::path dir = std::filesystem::path(KESTROVA_BINARY_DIR) / "test_settings";
  std::filesystem::remove_all(dir);
  const std::string file = (dir / "kestrova" / "settings.txt").string();
  EXPECT_EQ(ReadPlayerSettings(file), TPlayerSettings{});
  EXPECT_EQ(ReadWholeFile(file), PlayerSettingsText({}));
  ASSERT_TRUE(WritePlayerSettings(file, Sound(50, false)));
  EXPECT_EQ(ReadPlayerSettings(file), Sound(50, false));
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  EXPECT_EQ(ReadPlayerSettings(file), TPlayerSettings{});
  EXPECT_FALSE(WritePlayerSettings(file, Sound(50, false)));
  EXPECT_TRUE(std::filesystem::is_directory(file));
  std::filesystem::remove_all(dir);
}

TEST(PlayerSettings, DuplicateNamesAreReportedAndTheLineThatCountsIsWrittenBack) {
  std::vector<std::string> problems;
  const std::string text = "volume = 20\nkey_forward = I\nvolume = 60\nkey_forward = O\n";
  const TPlayerSettings s = ParsePlayerSettings(text, "s.txt", problems);
  EXPECT_EQ(s.volume, 60);
  EXPECT_EQ(s.Keys(TAction::Forward), std::vector<int32_t>{'O'});
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0], "s.txt:3: volume is set again (line 1 set it before); this line counts");
  EXPECT_EQ(problems[1], "s.txt:4: key_forward is set again (line 2 set it before); this line counts");
  // The player's change lands where reading takes it from.
  const std::string written = UpdatePlayerSettings(text, Sound(70, false));
  EXPECT_EQ(written.substr(0, 59), "volume = 20\nkey_forward = I\nvolume = 70\nkey_forward = W Up\n");
  problems.clear();
  EXPECT_EQ(ParsePlayerSettings(written, "s.txt", problems).volume, 70);
  // A bad later line falls back to the default, not to the earlier line.
  problems.clear();
  EXPECT_EQ(ParsePlayerSettings("volume = 20\nvolume = loud\n", "s.txt", problems).volume, 80);
}

TEST(PlayerSettings, ProblemLinesAreEchoedEscapedAndCut) {
  std::vector<std::string> problems;
  // A terminal title escape, a screen clear and a NUL.
  const char lines[] = "\x1b]0;owned\x07 = 1\nkey_mute = M\x1b[2J\nab\0cd\n";
  ParsePlayerSettings(std::string(lines, sizeof lines - 1), "s.txt", problems);
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0], "s.txt:1: unknown setting '\\x1b]0;owned\\x07'");
  EXPECT_EQ(problems[1], "s.txt:2: key_mute: 'M\\x1b[2J' is no key name; using M");
  EXPECT_EQ(problems[2], "s.txt:3: 'ab\\x00cd' is no setting: write name = value");
  problems.clear();
  ParsePlayerSettings("key_forward = " + std::string(4 << 20, 'W') + "\n" + std::string(200, 'q') + "\n", "s.txt",
                      problems);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].find("s.txt:1: a line of 4194318 bytes, longer than any setting"), 0u) << problems[0];
  for (const std::string& p : problems) EXPECT_LT(p.size(), 200u) << p;
}

TEST(PlayerSettings, OnlyARegularFileOfSettingsSizeIsReadAndNothingElseIsOverwritten) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(KESTROVA_BINARY_DIR) / "test_settings_targets";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string file = (dir / "settings.txt").string();
  // A link to an endless device, a FIFO that nobody writes, a file past a megabyte: each is
  // named and passed over at once, the defaults hold, and none is written back.
  fs::create_symlink("/dev/zero", file);
  EXPECT_EQ(ReadPlayerSettings(file), TPlayerSettings{});
  EXPECT_FALSE(WritePlayerSettings(file, Sound(50, false)));
  EXPECT_TRUE(fs::is_symlink(file));
  fs::remove(file);
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  EXPECT_EQ(ReadPlayerSettings(file), TPlayerSettings{});
  EXPECT_FALSE(WritePlayerSettings(file, Sound(50, false)));
  EXPECT_EQ(fs::status(file).type(), fs::file_type::fifo);
  fs::remove(file);
  const std::string big = "volume = 30\n" + std::string((1 << 20) + 10, '#') + "\n";
  std::ofstream(file, std::ios::binary) << big;
  EXPECT_EQ(ReadPlayerSettings(file), TPlayerSettings{});
  EXPECT_FALSE(WritePlayerSettings(file, Sound(50, false)));
  EXPECT_EQ(fs::file_size(file), big.size());
  fs::remove_all(dir);
}

TEST(PlayerSettings, VolumeGainFollowsLoudnessAndMuteIsSilence) {
  EXPECT_EQ(SoundGain(Sound(80, false)), 1.0f);
  EXPECT_EQ(SoundGain(Sound(0, false)), 0.0f);
  EXPECT_EQ(SoundGain(Sound(100, true)), 0.0f);
  EXPECT_GT(SoundGain(Sound(100, false)), SoundGain(Sound(90, false)));
  EXPECT_LT(SoundGain(Sound(40, false)), 0.5f * SoundGain(Sound(80, false)));
}

}  // namespace

namespace {

TEST(PlayerSettings, PauseScreenListsTheKeysInForceAndThePadOnlyWhenThere) {
  TPlayerSettings s;
  s.keys[static_cast<size_t>(TAction::Forward)] = {'I'};
  s.mouseSensitivity = 2;
  const std::vector<std::string> lines = ControlsInForce(s, false);
  EXPECT_EQ(lines[0], "Gehen           I / S Down");
  EXPECT_EQ(lines[2], "Drehen          Maus, 2 Grad je Pixel");
  EXPECT_EQ(ControlsInForce(s, true).size(), lines.size() + 3);
  EXPECT_NE(ControlsHelp().find("  vor / zurück gehen        W Up / S Down\n"), std::string::npos);
  EXPECT_NE(ControlsHelp(s).find("  vor / zurück gehen        I / S Down\n"), std::string::npos) << ControlsHelp(s);
}

// On a German layout keys are named as labelled, written so and read back to the same keys;
// what a US layout names keeps its meaning: a letter is that letter, "[" the key right of P.
TEST(PlayerSettings, KeysAreNamedAsTheLayoutLabelsThemAndReadBackTheSame) {
  UseKeyboardLayout(GermanKeyOf, GermanScancodeOf);
  EXPECT_EQ(KeyName('Y'), "Y");
  EXPECT_EQ(KeyName('Z'), "Z");
  EXPECT_EQ(KeyName(KEY_OPENBRACKET), "Ü");
  EXPECT_EQ(KeyName(KEY_SEMICOLON), "Ö");
  EXPECT_EQ(KeyName(KEY_MINUS), "ß");
  EXPECT_EQ(KeyName(KEY_CLOSEBRACKET), "+");
  EXPECT_EQ(KeyName(KEY_BACKSLASH), "\\");  // '#' would start a comment in the file
  std::vector<std::string> problems;
  TPlayerSettings s =
      ParsePlayerSettings("key_forward = y Ü\nkey_back = ö ß\nkey_left = [ \\ +\nkey_right = Z\n", "s.txt", problems);
  EXPECT_TRUE(problems.empty()) << problems[0];
  EXPECT_EQ(s.Keys(TAction::Forward), (std::vector<int32_t>{'Y', KEY_OPENBRACKET}));
  EXPECT_EQ(s.Keys(TAction::Back), (std::vector<int32_t>{KEY_SEMICOLON, KEY_MINUS}));
  EXPECT_EQ(s.Keys(TAction::Left), (std::vector<int32_t>{KEY_OPENBRACKET, KEY_BACKSLASH, KEY_CLOSEBRACKET}));
  EXPECT_EQ(s.Keys(TAction::Right), (std::vector<int32_t>{'Z'}));
  const std::string written = PlayerSettingsText(s);
  EXPECT_NE(written.find("\nkey_forward = Y Ü\n"), std::string::npos) << written;
  EXPECT_NE(written.find("\nkey_left = Ü \\ +\n"), std::string::npos) << written;
  EXPECT_EQ(ParsePlayerSettings(written, "s.txt", problems), s);

  UseKeyboardLayout(nullptr, nullptr);
  EXPECT_EQ(KeyName('Y'), "Y");
  EXPECT_EQ(KeyName(KEY_OPENBRACKET), "[");
  EXPECT_EQ(KeyCodeFromName("Ü"), 0);
  EXPECT_EQ(KeyCodeFromName("["), KEY_OPENBRACKET);
}

}  // namespace
