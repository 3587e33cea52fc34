// Command lines read with getopt_long, as the game and its tools have always read them: every
// option spelt out whole and every value an argument of its own ("--seed 5", neither
// "--seed=5" nor "--se 5"), and no argument that is not an option or its value ("--" and
// "-" included). getopt_long's own messages are off: the caller words each mistake.
#pragma once
#include <getopt.h>

#include <string>

class TOptionReader {
 public:
  enum : int { kEnd = -1, kUnknown = '?', kMissing = ':' };

  // `options` ends with a zeroed entry, as getopt_long's; `shortOptions` as its optstring,
  // without the leading "+:". Reading starts afresh at argv[1].
  TOptionReader(int argc, const char* const* argv, const option* options, std::string shortOptions = "");

  // The next option's `val`; kEnd after the last argument; kUnknown for an argument that is
  // no option (Argument() is it); kMissing for an option whose value is missing (Argument()
  // names the option). After kUnknown or kMissing, kEnd.
  int Next();
  // The argument just read, as written, and the value that came with it (nullptr for none).
  const char* Argument() const { return argument_; }
  const char* Value() const { return value_; }
  // The argument after the value, for an option that takes two; nullptr when there is none.
  const char* NextValue();

 private:
  bool SpeltWhole(const char* argument) const;

  int argc_;
  char* const* argv_;
  const option* options_;
  std::string shortOptions_;
  const char* argument_ = nullptr;
  const char* value_ = nullptr;
  bool done_ = false;
};
