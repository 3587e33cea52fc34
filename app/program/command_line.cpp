#include "app/program/command_line.h"

#include <charconv>
#include <string_view>

#include "platform/files/paths.h"
#include "platform/text/language.h"

std::string Usage() {
  return Tr("Aufruf: ") +
         "kestrova [--seed N] [--record FILE] [--replay FILE] [--report FILE] [--scores] [--help] [--version]\n" +
         Tr("  --seed N         die Welt aus dem Startwert N bauen statt aus der Uhr\n"
            "  --record FILE    ein Demo des Spiels in FILE schreiben, während es gespielt wird\n"
            "  --replay FILE    das Demo in FILE ansehen (Escape oder Schließen des Fensters beendet es)\n"
            "  --report FILE    den Stand des Spiels bei Spielende in FILE schreiben (jedes Spiel der Reihe nach)\n"
            "  --scores         die besten Punktestände zeigen, den besten zuerst\n"
            "  --help           diesen Text zeigen\n"
            "  --version        die Version zeigen\n");
}

bool ParseCommandLine(int argc, const char* const* argv, TCommandLine& line, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--help") {
      line.help = true;
      continue;
    }
    if (a == "--version") {
      line.version = true;
      continue;
    }
    if (a == "--scores") {
      line.scores = true;
      continue;
    }
    if (a != "--seed" && a != "--record" && a != "--replay" && a != "--report") {
      error = Tr("unbekannte Option '") + std::string(a) + "'";
      return false;
    }
    if (i + 1 >= argc || std::string_view(argv[i + 1]).empty()) {
      error = std::string(a) + Tr(" braucht einen Wert");
      return false;
    }
    const std::string_view value = argv[++i];
    if (a == "--seed") {
      int32_t seed = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seed);
      if (ec != std::errc() || end != value.data() + value.size()) {
        error = "--seed: '" + std::string(value) + Tr("' ist keine ganze Zahl von -2147483648 bis 2147483647");
        return false;
      }
      line.seed = seed;
    } else {
      (a == "--record" ? line.record : a == "--replay" ? line.replay : line.report) = value;
    }
  }
  if (!line.replay.empty() && (line.seed || !line.record.empty())) {
    error = Tr("--replay spielt den Startwert und die Eingaben seines Demos; es nimmt kein --seed und kein --record");
    return false;
  }
  return FilesApart({{"--record", line.record}, {"--replay", line.replay}, {"--report", line.report}}, error);
}
