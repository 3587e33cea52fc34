#include "platform/system/options.h"

#include <cstring>
#include <utility>

TOptionReader::TOptionReader(int argc, const char* const* argv, const option* options, std::string shortOptions)
    // "+" stops at the first argument that is no option rather than moving it to the end, so
    // argv is only read.
    : argc_(argc),
      argv_(const_cast<char* const*>(argv)),
      options_(options),
      shortOptions_("+:" + std::move(shortOptions)) {
  optind = 0;  // glibc starts afresh, its state of an earlier command line forgotten
  opterr = 0;
}

bool TOptionReader::SpeltWhole(const char* argument) const {
  if (argument[0] != '-') return false;
  if (argument[1] == '-') {
    for (const option* o = options_; o->name != nullptr; ++o) {
      if (std::strcmp(argument + 2, o->name) == 0) return true;
    }
    return false;
  }
  return argument[1] != '\0' && argument[1] != ':' && argument[2] == '\0' &&
         shortOptions_.find(argument[1], 2) != std::string::npos;
}

int TOptionReader::Next() {
  if (done_) return kEnd;
  const int at = optind == 0 ? 1 : optind;
  argument_ = at < argc_ ? argv_[at] : nullptr;
  value_ = nullptr;
  const int code = getopt_long(argc_, argv_, shortOptions_.c_str(), options_, nullptr);
  if (code == -1) {
    done_ = true;
    // Options end at "--" or an argument that is no option; neither is taken.
    return argument_ == nullptr ? kEnd : kUnknown;
  }
  value_ = optarg;
  if (code == kUnknown || !SpeltWhole(argument_)) {
    done_ = true;
    return kUnknown;
  }
  if (code == kMissing) done_ = true;
  return code;
}

const char* TOptionReader::NextValue() { return optind < argc_ ? argv_[optind++] : nullptr; }
