#include "sim_script.h"

#include <sstream>

#include "platform/text/words.h"

namespace {

// The fields of a line, between any of the blanks `>>` skips.
std::vector<std::string_view> Tokens(const std::string& line) { return Words(line, " \t\n\v\f\r"); }

bool ParseLine(const std::vector<std::string_view>& t, SimEvent& e, std::string& why) {
  if (t.size() != 3) {
    why = "expected three fields: frame, then down, up, pointer or pause, then a code, offset or time";
    return false;
  }
  if (!ParseInt(t[0], e.frame) || e.frame < 0) {
    why = "the frame must be a whole number of 0 or more";
    return false;
  }
  if (t[1] == "pointer") {
    e.kind = SimEvent::kPointer;
    if (!ParseInt(t[2], e.code)) {
      why = "the pointer offset must be a whole number";
      return false;
    }
    return true;
  }
  if (t[1] == "pause") {
    e.kind = SimEvent::kPause;
    if (!ParseInt(t[2], e.code, 0)) {
      why = "the pause must be a whole number of milliseconds, 0 or more";
      return false;
    }
    return true;
  }
  if (t[1] != "down" && t[1] != "up") {
    why = "the event must be down, up, pointer or pause";
    return false;
  }
  e.kind = t[1] == "down" ? SimEvent::kDown : SimEvent::kUp;
  if (t[2] == "mouse1") {
    e.code = 0;
    return true;
  }
  if (!ParseInt(t[2], e.code) || e.code < 1 || e.code > 255) {
    why = "the key must be a key code 1..255 or mouse1";
    return false;
  }
  return true;
}

}  // namespace

bool ParseSimScript(const std::string& text, std::vector<SimEvent>& events, std::string& error) {
  std::istringstream in(text);
  std::string line;
  for (int32_t number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto tokens = Tokens(line);
    if (tokens.empty() || tokens[0][0] == '#') continue;
    SimEvent e;
    e.line = number;
    std::string why;
    if (!ParseLine(tokens, e, why)) {
      error = "line " + std::to_string(number) + " (\"" + line + "\"): " + why;
      return false;
    }
    events.push_back(e);
  }
  return true;
}
