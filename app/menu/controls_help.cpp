#include "app/menu/controls_help.h"

#include <cstdio>

#include "platform/text/language.h"
#include "platform/text/utf8.h"

namespace {

std::string Keys(const TPlayerSettings& s, TAction action) { return KeyListText(s.Keys(action)); }

// The label padded with spaces to `columns` characters, so what follows starts in one column
// whatever letters the label has.
std::string Padded(const std::string& label, size_t columns) {
  size_t characters = 0;
  for (size_t at = 0; at < label.size(); ++characters) NextCodePoint(label, at);
  return characters >= columns ? label : label + std::string(columns - characters, ' ');
}

std::string Line(const std::string& label, const std::string& what) { return Padded(label, 16) + what; }

std::string Turn(const TPlayerSettings& s) {
  char degrees[32];
  std::snprintf(degrees, sizeof degrees, "%g", s.mouseSensitivity);
  return s.mouseInvert ? TrFill("Maus, %s Grad je Pixel, umgekehrt", {degrees})
                       : TrFill("Maus, %s Grad je Pixel", {degrees});
}

std::string HelpLine(const std::string& label, const std::string& what) {
  return "  " + Padded(label, 26) + what + "\n";
}

}  // namespace

std::vector<std::string> ControlsInForce(const TPlayerSettings& s, bool pad) {
  std::vector<std::string> lines = {
      Line(Tr("Gehen"), Keys(s, TAction::Forward) + " / " + Keys(s, TAction::Back)),
      Line(Tr("Seitwärts"), Keys(s, TAction::Left) + " / " + Keys(s, TAction::Right)),
      Line(Tr("Drehen"), Turn(s)),
      Line(Tr("Feuer"), TrFill("linke Maustaste; Waffe 1: %s", {Keys(s, TAction::FireWeapon1)})),
      Line(Tr("Waffe wählen"), Keys(s, TAction::Weapon1) + " " + Keys(s, TAction::Weapon2) + " " +
                                   Keys(s, TAction::Weapon3) + " " + Keys(s, TAction::Weapon4) + " " +
                                   Keys(s, TAction::Weapon5)),
      Line(Tr("Pause"), TrFill("%s (weiter auch mit Klick)", {Keys(s, TAction::Pause)})),
      Line(Tr("Bildschirmfoto"), Keys(s, TAction::Screenshot)),
      Line(Tr("Vollbild"), Keys(s, TAction::FullScreen) + ", Alt+Return"),
      Line(Tr("Ton aus/an"), Keys(s, TAction::Mute)),
      Line(Tr("Leiser/Lauter"), Keys(s, TAction::VolumeDown) + " / " + Keys(s, TAction::VolumeUp)),
      Line(Tr("Spiel beenden"), "Escape"),
  };
  if (pad) {
    lines.push_back(Line(Tr("Gamepad"), Tr("linker Stick gehen, rechter Stick drehen")));
    lines.push_back(Line("", Tr("rechter Trigger feuern, linker Trigger Waffe 1")));
    lines.push_back(Line("", Tr("Schultertasten Waffe wechseln, Start beenden")));
  }
  return lines;
}

std::string ControlsHelp(const TPlayerSettings& d) {
  const auto keys = [&](TAction a) { return KeyListText(d.Keys(a)); };
  return Tr("Steuerung (die Tasten lassen sich im Pausenmenü oder in $XDG_CONFIG_HOME/kestrova/settings.txt ändern):") +
         "\n" + HelpLine(Tr("vor / zurück gehen"), keys(TAction::Forward) + " / " + keys(TAction::Back)) +
         HelpLine(Tr("seitwärts links / rechts"), keys(TAction::Left) + " / " + keys(TAction::Right)) +
         HelpLine(Tr("drehen"), Tr("die Maus, waagerecht")) +
         HelpLine(Tr("feuern"), TrFill("linke Maustaste; Waffe 1: %s", {keys(TAction::FireWeapon1)})) +
         HelpLine(Tr("Waffe 1 .. 5 wählen"), keys(TAction::Weapon1) + " " + keys(TAction::Weapon2) + " " +
                                                 keys(TAction::Weapon3) + " " + keys(TAction::Weapon4) + " " +
                                                 keys(TAction::Weapon5)) +
         HelpLine(Tr("Pause und weiter"), keys(TAction::Pause)) +
         HelpLine(Tr("Bildschirmfoto speichern"), keys(TAction::Screenshot)) +
         HelpLine(Tr("Fenster oder Vollbild"), keys(TAction::FullScreen) + ", Alt+Return") +
         HelpLine(Tr("Ton aus und an"), keys(TAction::Mute)) +
         HelpLine(Tr("leiser / lauter"), keys(TAction::VolumeDown) + " / " + keys(TAction::VolumeUp)) +
         HelpLine(Tr("Musik"), Tr("Pausenmenü oder music = 0..100 (0: keine)")) +
         HelpLine(Tr("das Spiel beenden"), Tr("Escape; auf dem Punktestand beendet Return oder Leertaste")) +
         HelpLine(Tr("Gamecontroller"), Tr("linker Stick oder Steuerkreuz geht, rechter Stick dreht, rechter")) +
         HelpLine("", Tr("Trigger feuert, linker Trigger feuert Waffe 1, die Schultertasten")) +
         HelpLine("", Tr("wechseln die Waffe, Start oder Back beendet das Spiel"));
}
