// One language at a time: German draws every caption exactly as the game has always written
// it, English draws each in English, and a switch takes effect with the next text drawn. The
// texts are read back from the glyphs the real drawing code hands the recording driver.
#include "platform/text/language.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/loading/loading.h"
#include "app/menu/controls_help.h"
#include "app/player/scores.h"
#include "app/player/settings.h"
#include "app/tapp.h"
#include "platform/core/events.h"
#include "state/game.h"
#include "tests/actors/scene.h"
#include "tests/support/scene.h"

namespace {

// Presses Enter once the score screen has been presented, which ends it.
class EnterDriver : public TRecordingDriver {
 public:
  void Flip(int32_t sync) override {
    TRecordingDriver::Flip(sync);
    InjectEvent({EVENT_KEYDOWN, 13});
    InjectEvent({EVENT_KEYUP, 13});
  }
};

class LanguageTest : public scene::Scene {
 protected:
  void SetUp() override {
    Scene::SetUp();
    UseCatalogueFolder(KESTROVA_BINARY_DIR "/game/locale");
  }
  void TearDown() override {
    UseLanguage(TLanguage::German);
    Tapp::launch.playAgain = false;
    Scene::TearDown();
  }

  // The loading screen of each stage, the HUD, and the score screen with the best score and
  // the keys: every text drawn, in order.
  std::vector<std::string> Screens() {
    std::vector<std::string> texts;
    const auto add = [&](const std::vector<TRecordedCall>& calls) {
      for (const std::string& t : TextsDrawn(calls)) texts.push_back(t);
    };
    CloseScreen();
    EXPECT_TRUE(OpenHeadlessScreen(rec, 1024, 768, 0, 0, 0));
    for (const TLoadStage& stage : LoadStages()) {
      rec->Clear();
      Tapp::ladeb(stage.percent, stage.caption);
      add(rec->Calls());
    }
    Player(7000, 7000);
    rec->Clear();
    Tapp::drawhub();
    add(rec->Calls());
    auto enter = std::make_shared<EnterDriver>();
    CloseScreen();
    EXPECT_TRUE(OpenHeadlessScreen(enter, 1024, 768, 0, 0, 0));
    game.player->EP = 42;
    Tapp::launch.playAgain = true;
    Tapp::endscreen("7");
    add(enter->Calls());
    // A recorded game's: its place and the one key; a replay's: the score alone.
    Tapp::launch.playAgain = false;
    for (const std::string place : {"8", ""}) {
      enter->Clear();
      Tapp::endscreen(place);
      add(enter->Calls());
    }
    return texts;
  }
};

// Each language's loading captions, the HUD and the score screen's keys (another game offered,
// or not), in drawing order.
std::vector<std::string> Expected(const std::string& credit, const std::string& lade,
                                  const std::vector<std::string>& captions, const std::string& keys,
                                  const std::string& endKey) {
  std::vector<std::string> texts;
  for (const std::string& caption : captions) {
    texts.insert(texts.end(), {"Loading Kestrova", credit, lade + caption});
  }
  texts.insert(texts.end(), {"W1:", "W2:", "W3:", "W4:", "W5:", "HP:", "Score: 42", "7", keys, "Score: 42", "8", endKey,
                             "Score: 42"});
  return texts;
}

TEST_F(LanguageTest, GermanDrawsEveryCaptionAsItAlwaysWasAndEnglishInEnglish) {
  UseLanguage(TLanguage::German);
  EXPECT_EQ(Screens(), Expected("Eine Welt aus Zufall, gebaut von der Kestrova-Werkstatt", "Lade: ",
                                {"Tiles", "Figuren", "Schuesse", "Blut wird abgezapft", "Item", "Erstelle Map",
                                 "Runde Ecken", "Begehe Map", "Fuelle Ozeane", "Dekoriere Umgebung", "Suche Waelder",
                                 "Sounds werden aufgenommen", "Leute sterben nicht lautlos!", "Gegner werden geboren",
                                 "Items werden verloren", "Maps speichern"},
                                "Enter: Ende   N: neue Welt   R: gleiche Welt", "Enter: Ende"));
  UseLanguage(TLanguage::English);
  EXPECT_EQ(Screens(), Expected("A world of chance, built by the Kestrova workshop", "Loading: ",
                                {"Tiles", "Figures", "Shots", "Tapping blood", "Items", "Creating the map",
                                 "Rounding corners", "Walking the map", "Filling the oceans", "Decorating the land",
                                 "Looking for forests", "Recording sounds", "People do not die silently!",
                                 "Enemies are being born", "Items are being lost", "Saving the maps"},
                                "Enter: quit   N: new world   R: same world", "Enter: quit"));
}

TEST_F(LanguageTest, NoticesAndControlsFollowTheLanguageInForceAtOnce) {
  TPlayerSettings s;
  s.mouseSensitivity = 2;
  const TSettingsProblem problem{6, "unbekannter Name"};
  UseLanguage(TLanguage::English);
  EXPECT_EQ(SettingsNotice({problem, problem}), "settings.txt line 6: unknown name (+1 more)");
  EXPECT_EQ(ControlsInForce(s, false)[1], "Strafe          A Left / D Right");
  EXPECT_EQ(ControlsInForce(s, false)[2], "Turn            mouse, 2° a pixel");
  EXPECT_EQ(SettingsNotice({problem}), "settings.txt line 6: unknown name");
  // The best score's line is one sentence in each language, its numbers filled in.
  const std::string data = KESTROVA_BINARY_DIR "/language_test_data";
  std::filesystem::remove_all(data);
  setenv("XDG_DATA_HOME", data.c_str(), 1);
  bool kept = false;
  EXPECT_EQ(KeepFinishedGame(500, TGameCounts{}, 1, kept), "Best: 500   place 1 of 1");
  EXPECT_TRUE(kept);
  UseLanguage(TLanguage::German);
  EXPECT_EQ(KeepFinishedGame(900, TGameCounts{}, 2, kept), "Bester: 900   Platz 1 von 2");
  // A game the file could not take claims no place among those kept.
  const std::string scores = data + "/kestrova/scores.txt";
  std::filesystem::rename(scores, scores + ".away");
  std::filesystem::create_directory(scores);
  testing::internal::CaptureStderr();
  EXPECT_EQ(KeepFinishedGame(950, TGameCounts{}, 3, kept),
            "Dieses Spiel ist nicht unter den Punkteständen gespeichert");
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(kept);
  unsetenv("XDG_DATA_HOME");
  s.mouseInvert = true;
  EXPECT_EQ(ControlsInForce(s, false)[2], "Drehen          Maus, 2 Grad je Pixel, umgekehrt");
  UseLanguage(TLanguage::English);
  EXPECT_EQ(ControlsInForce(s, false)[2], "Turn            mouse, 2° a pixel, inverted");
  s.mouseInvert = false;
  UseLanguage(TLanguage::German);
  EXPECT_EQ(SettingsNotice({problem, problem}), "settings.txt Zeile 6: unbekannter Name (+1 weitere)");
  // Umlauts count as one character each: what follows the label lines up.
  EXPECT_EQ(ControlsInForce(s, false)[1], "Seitwärts       A Left / D Right");
  EXPECT_EQ(ControlsInForce(s, false)[4].substr(0, 19), "Waffe wählen    1 ");

  // Without catalogues every text stays German, and so it does with a file that is no
  // catalogue or one cut short inside its tables.
  UseCatalogueFolder(KESTROVA_BINARY_DIR "/no-such-folder");
  UseLanguage(TLanguage::English);
  EXPECT_EQ(Tr("Lade: %s"), "Lade: %s");
  // A value's own "%s" is never filled, and one left without a value stays as it is.
  EXPECT_EQ(TrFill("Bester: %s   Platz %s von %s", {"%s", "2"}), "Bester: %s   Platz 2 von %s");
  const std::filesystem::path damaged = KESTROVA_BINARY_DIR "/language_test/en/LC_MESSAGES";
  std::filesystem::create_directories(damaged);
  std::ifstream in(KESTROVA_BINARY_DIR "/game/locale/en/LC_MESSAGES/kestrova.mo", std::ios::binary);
  const std::string whole{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(whole.size(), 100u);
  for (const std::string& bytes : {whole.substr(0, 100), "not a catalogue" + whole.substr(15)}) {
    std::ofstream(damaged / "kestrova.mo", std::ios::binary) << bytes;
    UseCatalogueFolder(KESTROVA_BINARY_DIR "/language_test");
    EXPECT_EQ(Tr("Lade: %s"), "Lade: %s");
  }
  std::ofstream(damaged / "kestrova.mo", std::ios::binary) << whole;
  UseCatalogueFolder(KESTROVA_BINARY_DIR "/language_test");
  EXPECT_EQ(Tr("Lade: %s"), "Loading: %s");

  // Entries sharing their bytes would let a small file fill the memory: such a catalogue is
  // refused whole, said on stderr, as is one that is a folder.
  const auto mo = [](uint32_t secondAt) {
    const std::vector<uint32_t> words{0x950412de, 0, 2, 28, 44, 0, 0, 8, 60, 3, 68, 11, 71, 3, secondAt};
    std::string bytes(reinterpret_cast<const char*>(words.data()), 4 * words.size());
    return bytes + "Lade: %s" + "Tag" + "Loading: %s" + "Day";
  };
  for (const uint32_t secondAt : {82u, 72u}) {
    std::ofstream(damaged / "kestrova.mo", std::ios::binary) << mo(secondAt);
    UseCatalogueFolder(KESTROVA_BINARY_DIR "/language_test");
    testing::internal::CaptureStderr();
    const bool sound = secondAt == 82;
    EXPECT_EQ(Tr("Lade: %s"), sound ? "Loading: %s" : "Lade: %s");
    EXPECT_EQ(Tr("Tag"), sound ? "Day" : "Tag");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.find("/language_test/en/LC_MESSAGES/kestrova.mo") == std::string::npos, sound) << said;
  }
  std::filesystem::remove(damaged / "kestrova.mo");
  std::filesystem::create_directory(damaged / "kestrova.mo");
  UseCatalogueFolder(KESTROVA_BINARY_DIR "/language_test");
  testing::internal::CaptureStderr();
  EXPECT_EQ(Tr("Lade: %s"), "Lade: %s");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("kestrova.mo: it is a folder"), std::string::npos);
  std::filesystem::remove(damaged / "kestrova.mo");
}

TEST(Language, TheDesktopsLocaleChoosesGermanOnlyWhenItSaysSo) {
  const auto with = [](const char* all, const char* messages, const char* lang) {
    for (const auto& [name, value] : {std::pair{"LC_ALL", all}, {"LC_MESSAGES", messages}, {"LANG", lang}}) {
      if (value == nullptr) {
        unsetenv(name);
      } else {
        setenv(name, value, 1);
      }
    }
    return DesktopLanguage();
  };
  EXPECT_EQ(with(nullptr, nullptr, "de_DE.UTF-8"), TLanguage::German);
  EXPECT_EQ(with(nullptr, "de_AT.UTF-8", "en_US.UTF-8"), TLanguage::German);
  EXPECT_EQ(with("fr_FR.UTF-8", "de_DE.UTF-8", "de_DE.UTF-8"), TLanguage::English);
  EXPECT_EQ(with("", "", "de_CH"), TLanguage::German);
  EXPECT_EQ(with(nullptr, nullptr, "C.UTF-8"), TLanguage::English);
  EXPECT_EQ(with(nullptr, nullptr, nullptr), TLanguage::English);
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  unsetenv("LANG");
}

}  // namespace
