#include "app/program/command_line.h"

#include <string_view>

#include "platform/files/paths.h"
#include "platform/system/options.h"
#include "platform/text/language.h"
#include "platform/text/words.h"

std::string Usage() {
  return TrFill("Aufruf: %s", {"kestrova [--new] [--seed N] [--record FILE] [--replay FILE|last|best] [--report FILE] "
                               "[--scores] [--help] "
                               "[--version]"}) +
         "\n" +
         Tr("  --new            ein neues Spiel beginnen; ein gesichertes bleibt für später\n"
            "  --seed N         die Welt aus dem Startwert N bauen statt aus der Uhr (ein neues Spiel)\n"
            "  --record FILE    ein Demo des Spiels in FILE schreiben, während es gespielt wird\n"
            "  --replay FILE    das Demo in FILE ansehen (Escape oder Schließen des Fensters beendet es);\n"
            "                   last: das zuletzt gespielte Spiel, best: das beste der aufbewahrten\n"
            "  --report FILE    den Stand des Spiels bei Spielende in FILE schreiben (jedes Spiel der Reihe nach)\n"
            "  --scores         die besten Punktestände zeigen, den besten zuerst\n"
            "  --help           diesen Text zeigen\n"
            "  --version        die Version zeigen\n");
}

bool ParseCommandLine(int argc, const char* const* argv, TCommandLine& line, std::string& error) {
  static const option options[] = {{"help", no_argument, nullptr, 'h'},
                                   {"version", no_argument, nullptr, 'v'},
                                   {"scores", no_argument, nullptr, 'S'},
                                   {"seed", required_argument, nullptr, 's'},
                                   {"record", required_argument, nullptr, 'r'},
                                   {"replay", required_argument, nullptr, 'p'},
                                   {"report", required_argument, nullptr, 'o'},
                                   {"new", no_argument, nullptr, 'n'},
                                   {nullptr, 0, nullptr, 0}};
  TOptionReader reader(argc, argv, options);
  for (int code = 0; (code = reader.Next()) != TOptionReader::kEnd;) {
    const std::string_view a = reader.Argument();
    if (code == TOptionReader::kUnknown) {
      error = TrFill("unbekannte Option '%s'", {std::string(a)});
      return false;
    }
    const char* const given = reader.Value();
    if (code == TOptionReader::kMissing || (given != nullptr && *given == '\0')) {
      error = TrFill("%s braucht einen Wert", {std::string(a)});
      return false;
    }
    const std::string_view value = given != nullptr ? given : "";
    switch (code) {
      case 'h':
        line.help = true;
        break;
      case 'v':
        line.version = true;
        break;
      case 'S':
        line.scores = true;
        break;
      case 'n':
        line.fresh = true;
        break;
      case 's': {
        int32_t seed = 0;
        if (!ParseInt(value, seed)) {
          error = TrFill("--seed: '%s' ist keine ganze Zahl von -2147483648 bis 2147483647", {std::string(value)});
          return false;
        }
        line.seed = seed;
        break;
      }
      default:
        (code == 'r' ? line.record : code == 'p' ? line.replay : line.report) = value;
    }
  }
  if (!line.replay.empty() && (line.seed || !line.record.empty() || line.fresh)) {
    error =
        Tr("--replay spielt den Startwert und die Eingaben seines Demos; es nimmt kein --seed, --record oder --new");
    return false;
  }
  return FilesApart({{"--record", line.record}, {"--replay", line.replay}, {"--report", line.report}}, error);
}
