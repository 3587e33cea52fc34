// Settings files (config.txt, map.txt) are read one line at a time and each line is turned
// into a number. Checks that any bytes read that way split into exactly the lines the rules
// give, and that the number conversions agree with each other.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "memory_file.h"
#include "platform/files/textio.h"

namespace {

using fuzz::Require;

// The lines a reader must see: split at LF and NUL, every CR dropped; no empty line after
// the last terminator, since the end of the file itself yields only the empty text.
std::vector<std::string> ExpectedLines(const uint8_t* data, size_t size) {
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t b = data[i];
    if (b == 10 || b == 0) {
      lines.push_back(current);
      current.clear();
    } else if (b != 13) {
      current.push_back(static_cast<char>(b));
    }
  }
  if (size > 0 && data[size - 1] != 10 && data[size - 1] != 0) lines.push_back(current);
  return lines;
}

// Decimal, %binary or $hex after optional whitespace and sign; wraps modulo 2^32.
int32_t ReferenceTextToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= 9 && text[i] <= 13))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint32_t base = 10;
  if (i < text.size() && text[i] == '%') {
    base = 2;
    ++i;
  } else if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  uint32_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    uint32_t digit = 99;
    if (c >= '0' && c <= '9') digit = static_cast<uint32_t>(c - '0');
    if (c >= 'a' && c <= 'f') digit = static_cast<uint32_t>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') digit = static_cast<uint32_t>(c - 'A' + 10);
    if (digit >= base) break;
    value = value * base + digit;
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

void CheckNumber(int32_t value) {
  const std::string text = IntToText(value);
  Require(!text.empty() && text.size() <= 11, "IntToText length");
  Require(TextToInt(text) == value, "TextToInt(IntToText(n)) == n");
  Require(IntToText(TextToInt(text)) == text, "IntToText(TextToInt(IntToText(n))) round trip");
  Require(text == "0" || (text[0] != '0' && text.rfind("-0", 0) != 0), "no leading zeros");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> expected = ExpectedLines(data, size);
  TStreamPtr stream = fuzz::OpenMemoryFile(data, size);
  Require(stream->Size() == static_cast<int32_t>(size), "stream size is the file size");

  size_t index = 0;
  while (!stream->Eof()) {
    const std::string line = ReadLine(stream);
    Require(line.find('\n') == std::string::npos, "line holds no LF");
    Require(line.find('\r') == std::string::npos, "line holds no CR");
    Require(line.find('\0') == std::string::npos, "line holds no NUL");
    Require(index < expected.size() && line == expected[index], "line as split by the rules");
    ++index;
    const int32_t value = TextToInt(line);
    Require(value == ReferenceTextToInt(line), "TextToInt as the reference reads it");
    CheckNumber(value);
  }
  Require(index == expected.size(), "every line read");
  Require(stream->Pos() == static_cast<int32_t>(size), "whole file consumed");
  // Past the end, as a too-short settings file is read: empty lines, value 0.
  for (int i = 0; i < 2; ++i) {
    const std::string line = ReadLine(stream);
    Require(line.empty() && TextToInt(line) == 0, "empty past the end");
  }
  CloseStream(stream);
  CloseStream(stream);
  Require(ReadLine(stream).empty(), "empty after close");

  if (size >= 4) {
    int32_t n;
    std::memcpy(&n, data, 4);
    CheckNumber(n);
  }
  return 0;
}
