#include "app/controls_help.h"

#include <cstdio>

namespace {

std::string Keys(const TPlayerSettings& s, TAction action) { return KeyListText(s.Keys(action)); }

std::string Line(const std::string& label, const std::string& what) {
  std::string line = label;
  line.resize(16, ' ');
  return line + what;
}

std::string Turn(const TPlayerSettings& s) {
  char degrees[32];
  std::snprintf(degrees, sizeof degrees, "%g", s.mouseSensitivity);
  std::string turn = std::string("Maus, ") + degrees + " Grad je Pixel";
  return s.mouseInvert ? turn + ", umgekehrt" : turn;
}

}  // namespace

std::vector<std::string> ControlsInForce(const TPlayerSettings& s, bool pad) {
  std::vector<std::string> lines = {
      Line("Gehen", Keys(s, TAction::Forward) + " / " + Keys(s, TAction::Back)),
      Line("Seitwaerts", Keys(s, TAction::Left) + " / " + Keys(s, TAction::Right)),
      Line("Drehen", Turn(s)),
      Line("Feuer", "linke Maustaste; Waffe 1: " + Keys(s, TAction::FireWeapon1)),
      Line("Waffe waehlen", Keys(s, TAction::Weapon1) + " " + Keys(s, TAction::Weapon2) + " " +
                                Keys(s, TAction::Weapon3) + " " + Keys(s, TAction::Weapon4) + " " +
                                Keys(s, TAction::Weapon5)),
      Line("Pause", Keys(s, TAction::Pause) + " (weiter auch mit Klick)"),
      Line("Bildschirmfoto", Keys(s, TAction::Screenshot)),
      Line("Vollbild", Keys(s, TAction::FullScreen) + ", Alt+Return"),
      Line("Ton aus/an", Keys(s, TAction::Mute)),
      Line("Leiser/Lauter", Keys(s, TAction::VolumeDown) + " / " + Keys(s, TAction::VolumeUp)),
      Line("Spiel beenden", "Escape"),
  };
  if (pad) {
    lines.push_back(Line("Gamepad", "linker Stick gehen, rechter Stick drehen"));
    lines.push_back(Line("", "rechter Trigger feuern, linker Trigger Waffe 1"));
    lines.push_back(Line("", "Schultertasten Waffe wechseln, Start beenden"));
  }
  return lines;
}

std::string ControlsHelp(const TPlayerSettings& d) {
  const auto keys = [&](TAction a) { return KeyListText(d.Keys(a)); };
  return "controls (keys can be changed in $XDG_CONFIG_HOME/kestrova/settings.txt):\n"
         "  walk forward / back       " +
         keys(TAction::Forward) + " / " + keys(TAction::Back) + "\n" + "  strafe left / right       " +
         keys(TAction::Left) + " / " + keys(TAction::Right) + "\n" +
         "  turn                      the mouse, horizontally\n"
         "  fire                      left mouse button; weapon 1: " +
         keys(TAction::FireWeapon1) + "\n" + "  select weapon 1 .. 5      " + keys(TAction::Weapon1) + " " +
         keys(TAction::Weapon2) + " " + keys(TAction::Weapon3) + " " + keys(TAction::Weapon4) + " " +
         keys(TAction::Weapon5) + "\n" + "  pause and go on           " + keys(TAction::Pause) + "\n" +
         "  screenshot                " + keys(TAction::Screenshot) + "\n" + "  window or full screen     " +
         keys(TAction::FullScreen) + ", Alt+Return\n" + "  sound off and on          " + keys(TAction::Mute) + "\n" +
         "  volume down / up          " + keys(TAction::VolumeDown) + " / " + keys(TAction::VolumeUp) + "\n" +
         "  end the game              Escape; on the score screen Return or Space quits\n"
         "  game controller           left stick or D-pad walks, right stick turns, right trigger\n"
         "                            fires, left trigger fires weapon 1, shoulders change the\n"
         "                            weapon, Start or Back ends the game\n";
}
